// Quantum's adaptive models and tables, shared by its decoder and the
// encoder the tests make streams with. A model keeps its symbols sorted by
// falling frequency as cumulative counts: cumulative_[0] is the total,
// cumulative_[entries] is 0. After each symbol its count and those before
// it grow by 8; past 3800 they are halved, and every 50th time rebuilt and
// sorted again (a selection sort, whose order of equal counts both ends
// must share).
#pragma once

#include <array>
#include <cstdint>

namespace cab32::quantum {

inline constexpr int kMinWindowBits = 10;
inline constexpr int kMaxWindowBits = 21;
inline constexpr int kPositionSlots = 42;
inline constexpr int kLengthSlots = 27;

struct Tables {
    std::array<std::uint32_t, kPositionSlots> positionBase{};
    std::array<std::uint8_t, kPositionSlots> positionExtra{};
    std::array<std::uint32_t, kLengthSlots> lengthBase{};
    std::array<std::uint8_t, kLengthSlots> lengthExtra{};
};

inline const Tables& SlotTables() {
    static const Tables tables = [] {
        Tables t;
        std::uint32_t offset = 0;
        for (int i = 0; i < kPositionSlots; ++i) {
            t.positionBase[i] = offset;
            t.positionExtra[i] = static_cast<std::uint8_t>((i < 2 ? 0 : i - 2) >> 1);
            offset += 1u << t.positionExtra[i];
        }
        offset = 0;
        for (int i = 0; i < kLengthSlots - 1; ++i) {
            t.lengthBase[i] = offset;
            t.lengthExtra[i] = static_cast<std::uint8_t>((i < 2 ? 0 : i - 2) >> 2);
            offset += 1u << t.lengthExtra[i];
        }
        t.lengthBase[kLengthSlots - 1] = 254;
        t.lengthExtra[kLengthSlots - 1] = 0;
        return t;
    }();
    return tables;
}

class Model {
public:
    void Init(int firstSymbol, int entries) {
        entries_ = entries;
        shiftsLeft_ = 4;
        for (int i = 0; i <= entries; ++i) {
            symbol_[i] = static_cast<std::uint16_t>(firstSymbol + i);
            cumulative_[i] = static_cast<std::uint16_t>(entries - i);
        }
    }
    int Entries() const { return entries_; }
    std::uint16_t Symbol(int index) const { return symbol_[index]; }
    std::uint32_t Cumulative(int index) const { return cumulative_[index]; }
    int IndexOf(int symbol) const {
        for (int i = 0; i < entries_; ++i)
            if (symbol_[i] == symbol) return i;
        return -1;
    }

    // Counts the symbol at `index` as seen.
    void Update(int index) {
        for (int i = 0; i <= index; ++i) cumulative_[i] = static_cast<std::uint16_t>(cumulative_[i] + 8);
        if (cumulative_[0] > 3800) Rescale();
    }

private:
    void Rescale() {
        if (--shiftsLeft_ != 0) {
            for (int i = entries_ - 1; i >= 0; --i) {
                cumulative_[i] = static_cast<std::uint16_t>(cumulative_[i] >> 1);
                if (cumulative_[i] <= cumulative_[i + 1])
                    cumulative_[i] = static_cast<std::uint16_t>(cumulative_[i + 1] + 1);
            }
            return;
        }
        shiftsLeft_ = 50;
        for (int i = 0; i < entries_; ++i)  // cumulative counts to halved frequencies
            cumulative_[i] = static_cast<std::uint16_t>((cumulative_[i] - cumulative_[i + 1] + 1) >> 1);
        for (int i = 0; i < entries_ - 1; ++i) {
            for (int j = i + 1; j < entries_; ++j) {
                if (cumulative_[i] < cumulative_[j]) {
                    std::swap(cumulative_[i], cumulative_[j]);
                    std::swap(symbol_[i], symbol_[j]);
                }
            }
        }
        for (int i = entries_ - 1; i >= 0; --i)
            cumulative_[i] = static_cast<std::uint16_t>(cumulative_[i] + cumulative_[i + 1]);
    }

    int entries_ = 0;
    int shiftsLeft_ = 4;
    std::uint16_t symbol_[65] = {};
    std::uint16_t cumulative_[65] = {};
};

// The nine models of a folder, set up for a window of 2^windowBits bytes.
struct Models {
    Model selector;       // 0-3 literal groups, 4 match of 3, 5 match of 4, 6 longer match
    Model literals[4];    // bytes 0x00-0x3F, 0x40-0x7F, 0x80-0xBF, 0xC0-0xFF
    Model offset3;        // position slots of 3-byte matches
    Model offset4;        // of 4-byte matches
    Model offsetLonger;   // of longer matches
    Model length;         // length slots of longer matches

    explicit Models(int windowBits) {
        const int slots = 2 * windowBits;
        selector.Init(0, 7);
        for (int i = 0; i < 4; ++i) literals[i].Init(64 * i, 64);
        offset3.Init(0, slots < 24 ? slots : 24);
        offset4.Init(0, slots < 36 ? slots : 36);
        offsetLonger.Init(0, slots);
        length.Init(0, kLengthSlots);
    }
};

}  // namespace cab32::quantum
