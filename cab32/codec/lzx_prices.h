// What LZX symbols are expected to cost, in bits, so that the parse can
// weigh a match against the literals it replaces.
#pragma once

#include <cstdint>
#include <vector>

#include "lzx_tables.h"

namespace cab32::lzx {

// Prices from the code lengths of the block written last; before the
// first block, rough guesses.
class Prices {
public:
    explicit Prices(int mainSymbols) : main_(mainSymbols, kFirstMatch), length_(kNumSecondaryLengths, kFirstLength) {
        for (int s = 0; s < kNumChars; ++s) main_[s] = kFirstLiteral;
    }

    // Symbols the last block did not use are priced as rare ones.
    void Update(const std::vector<std::uint8_t>& mainLengths, const std::vector<std::uint8_t>& lengthLengths) {
        for (std::size_t s = 0; s < main_.size(); ++s) main_[s] = mainLengths[s] ? mainLengths[s] : kUnusedMain;
        for (std::size_t s = 0; s < length_.size(); ++s)
            length_[s] = lengthLengths[s] ? lengthLengths[s] : kUnusedLength;
    }

    std::uint32_t Literal(std::uint8_t byte) const { return main_[byte]; }

    // A match of `length` bytes in position slot `slot` (0-2: a repeated offset).
    std::uint32_t Match(std::uint32_t length, int slot) const {
        const std::uint32_t header = length - kMinMatch;
        const std::uint32_t offsetBits = static_cast<std::uint32_t>(ExtraBits(slot));
        if (header < kNumPrimaryLengths) return main_[kNumChars + slot * 8 + header] + offsetBits;
        return main_[kNumChars + slot * 8 + kNumPrimaryLengths] + length_[header - kNumPrimaryLengths] + offsetBits;
    }

private:
    static constexpr std::uint8_t kFirstLiteral = 8;
    static constexpr std::uint8_t kFirstMatch = 10;
    static constexpr std::uint8_t kFirstLength = 7;
    static constexpr std::uint8_t kUnusedMain = 14;
    static constexpr std::uint8_t kUnusedLength = 10;
    std::vector<std::uint8_t> main_;
    std::vector<std::uint8_t> length_;
};

}  // namespace cab32::lzx
