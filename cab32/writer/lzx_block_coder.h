// Writes LZX blocks: Huffman trees from the block's own statistics, sent as
// differences from the previous block's trees, then the coded items.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bit_writer.h"

namespace tarvik::cabwriter::lzx {

// A literal (extraBits unused, lengthSymbol 0xFFFF) or a match.
struct Item {
    std::uint16_t mainSymbol;
    std::uint16_t lengthSymbol;  // 0xFFFF when the main symbol holds the whole length
    std::uint8_t extraBits;      // offset footer bits
    std::uint32_t extra;         // offset footer value
};

inline constexpr std::uint16_t kNoLengthSymbol = 0xFFFF;

class BlockCoder {
public:
    explicit BlockCoder(int windowBits);

    // Writes one verbatim or aligned-offset block, whichever is shorter,
    // holding the items of consecutive frames (`uncompressedSize` bytes in
    // all). Each frame's items end on a 16-bit boundary; `frameEnds`
    // receives the output size at each of those boundaries.
    void WriteBlock(BitWriter& out, std::span<const std::vector<Item>> frames, std::uint32_t uncompressedSize,
                    std::vector<std::size_t>& frameEnds);

private:
    std::vector<std::uint8_t> previousMain_;
    std::vector<std::uint8_t> previousLength_;
};

// Sends code lengths [first, last) of a tree through a pretree, coded as
// differences from the previous lengths. Exposed for tests.
void WriteTreeLengths(BitWriter& out, std::span<const std::uint8_t> lengths,
                      std::span<const std::uint8_t> previous, int first, int last);

}  // namespace tarvik::cabwriter::lzx
