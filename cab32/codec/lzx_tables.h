// Constants and position-slot tables of the LZX format as cabinets use it.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace cab32::lzx {

inline constexpr int kNumChars = 256;
inline constexpr int kMinMatch = 2;
inline constexpr int kMaxMatch = 257;
inline constexpr int kNumPrimaryLengths = 7;
inline constexpr int kNumSecondaryLengths = 249;
inline constexpr int kPretreeSymbols = 20;
inline constexpr int kAlignedSymbols = 8;
inline constexpr int kMinWindowBits = 15;
inline constexpr int kMaxWindowBits = 21;

inline constexpr int kBlockVerbatim = 1;
inline constexpr int kBlockAligned = 2;

// Number of position slots for a window of 2^windowBits bytes (30 to 50).
constexpr int PositionSlotCount(int windowBits) {
    constexpr int counts[] = {30, 32, 34, 36, 38, 42, 50};
    return counts[windowBits - kMinWindowBits];
}

// Number of extra offset bits a slot carries.
constexpr int ExtraBits(int slot) {
    if (slot < 4) return 0;
    const int bits = (slot - 2) / 2;
    return bits < 17 ? bits : 17;
}

// Smallest formatted offset (real offset + 2) of a slot.
constexpr std::uint32_t PositionBase(int slot) {
    std::uint32_t base = 0;
    for (int s = 0; s < slot; ++s) base += 1u << ExtraBits(s);
    return base;
}

// The largest window has 50 slots; one entry more gives the end of the last.
inline constexpr int kPositionTableSize = 51;

// PositionBase and ExtraBits of every slot, for look-ups while coding.
inline constexpr std::array<std::uint32_t, kPositionTableSize> kPositionBase = [] {
    std::array<std::uint32_t, kPositionTableSize> table{};
    for (int slot = 0; slot < kPositionTableSize; ++slot) table[slot] = PositionBase(slot);
    return table;
}();
inline constexpr std::array<std::uint8_t, kPositionTableSize> kExtraBits = [] {
    std::array<std::uint8_t, kPositionTableSize> table{};
    for (int slot = 0; slot < kPositionTableSize; ++slot) table[slot] = static_cast<std::uint8_t>(ExtraBits(slot));
    return table;
}();

// The slot of a formatted offset (real offset + 2, so at least 3).
inline int PositionSlotOf(std::uint32_t formatted) {
    if (formatted < 4) return static_cast<int>(formatted);
    if (formatted >= (1u << 19)) return 38 + static_cast<int>((formatted - (1u << 19)) >> 17);
    const int high = 31 - std::countl_zero(formatted);
    return 2 * high + static_cast<int>((formatted >> (high - 1)) & 1u);
}

// Largest real match offset a window allows.
constexpr std::uint32_t MaxOffset(int windowBits) { return (1u << windowBits) - 3; }

}  // namespace cab32::lzx
