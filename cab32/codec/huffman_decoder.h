// Table-driven decoding of canonical Huffman codes (shorter codes first,
// equal lengths in symbol order), as LZX sends them. Codes up to
// `tableBits` long are found with one table look-up; longer ones (rare) by
// walking the code lengths above it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bit_reader.h"

namespace cab32 {

inline constexpr int kMaxCodeLength = 16;

class HuffmanDecoder {
public:
    // Builds the tables for these code lengths (0 = symbol unused, at most
    // 16). False when the lengths over- or under-fill the code space; all
    // zeros make an empty code, which builds but decodes nothing.
    [[nodiscard]] bool Build(std::span<const std::uint8_t> lengths, int tableBits);

    // The next symbol, or -1 when the bits match no code (an empty code).
    // The reader must hold at least 16 bits (Refill before).
    int Decode(LzxBitReader& bits) const {
        const std::uint16_t entry = table_[bits.Peek(tableBits_)];
        if (entry & kShortFlag) {
            bits.Skip(entry & 0x1F);
            return entry >> 5 & 0x3FF;
        }
        int length = 0;
        const int symbol = DecodeLong(bits.Peek(kMaxCodeLength), length);
        if (symbol >= 0) bits.Skip(length);
        return symbol;
    }

private:
    static constexpr std::uint16_t kShortFlag = 0x8000;
    // Takes the next 16 bits by value: a reader whose address never leaves
    // a decoding loop can stay in registers.
    int DecodeLong(std::uint32_t next16, int& length) const;

    int tableBits_ = 1;
    std::vector<std::uint16_t> table_;  // flag | symbol << 5 | length
    std::uint16_t countOfLength_[kMaxCodeLength + 1] = {};
    std::uint32_t firstCode_[kMaxCodeLength + 1] = {};
    std::uint16_t firstIndex_[kMaxCodeLength + 1] = {};
    std::vector<std::uint16_t> sortedSymbols_;
};

}  // namespace cab32
