// Table-driven decoding of canonical Huffman codes (shorter codes first,
// equal lengths in symbol order), as LZX sends them. Codes up to the
// table's width are found with one table look-up; longer ones (rare) by
// walking the code lengths above it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "bit_reader.h"

namespace cab32 {

inline constexpr int kMaxCodeLength = 16;

// What a code's table does not hold: the symbols in code order and where
// each length's codes start, for the codes longer than the table's width.
class HuffmanLongCodes {
public:
    static constexpr std::uint16_t kShortFlag = 0x8000;

    // Fills `table` (2^tableBits entries: flag | symbol << 5 | length, 0
    // for a longer code) and the long codes' walk from these code lengths
    // (0 = symbol unused, at most 16). False when the lengths over- or
    // under-fill the code space; all zeros make an empty code, which builds
    // but decodes nothing.
    [[nodiscard]] bool Build(std::span<const std::uint8_t> lengths, int tableBits, std::span<std::uint16_t> table);

    // The symbol whose code longer than `tableBits` starts the next 16
    // bits, and its length; -1 when none does. Takes the bits by value: a
    // reader whose address never leaves a decoding loop can stay in
    // registers.
    int Decode(std::uint32_t next16, int tableBits, int& length) const;

private:
    std::uint16_t countOfLength_[kMaxCodeLength + 1] = {};
    std::uint32_t firstCode_[kMaxCodeLength + 1] = {};
    std::uint16_t firstIndex_[kMaxCodeLength + 1] = {};
    std::vector<std::uint16_t> sortedSymbols_;
};

// The table lives in the object and its width is a constant, so a decoding
// loop reaches it at a fixed distance from the decoder's address and loads
// nothing but the entry.
template <int TableBits>
class HuffmanDecoder {
public:
    static_assert(TableBits >= 1 && TableBits <= kMaxCodeLength);

    [[nodiscard]] bool Build(std::span<const std::uint8_t> lengths) {
        return longCodes_.Build(lengths, TableBits, table_);
    }

    // The next symbol, or -1 when the bits match no code (an empty code).
    // The reader must hold at least 16 bits (Refill before).
    int Decode(LzxBitReader& bits) const {
        const std::uint16_t entry = table_[bits.Peek(TableBits)];
        if (entry & HuffmanLongCodes::kShortFlag) {
            bits.Skip(entry & 0x1F);
            return entry >> 5 & 0x3FF;
        }
        int length = 0;
        const int symbol = longCodes_.Decode(bits.Peek(kMaxCodeLength), TableBits, length);
        if (symbol >= 0) bits.Skip(length);
        return symbol;
    }

private:
    std::array<std::uint16_t, std::size_t{1} << TableBits> table_{};
    HuffmanLongCodes longCodes_;
};

}  // namespace cab32
