// Writes LZX blocks: Huffman trees from the block's own statistics, sent as
// differences from the previous block's trees, then the coded items; or
// the bytes as they are, where coding would not make them smaller.
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

// One frame's items and the bytes they stand for.
struct FrameItems {
    std::vector<Item> items;
    std::vector<std::uint8_t> bytes;
};

class BlockCoder {
public:
    explicit BlockCoder(int windowBits);

    // Writes consecutive frames as one block: verbatim or aligned-offset,
    // whichever is shorter, or uncompressed when that is shorter still (it
    // stores `repeats`, the repeated offsets after the frames' items). Each
    // frame ends on a 16-bit boundary; `frameEnds` receives the output size
    // at each of those boundaries.
    void WriteBlock(BitWriter& out, std::span<const FrameItems> frames, const std::uint32_t (&repeats)[3],
                    std::vector<std::size_t>& frameEnds);

    // Code lengths of the last coded block (all zero before the first).
    const std::vector<std::uint8_t>& MainLengths() const { return previousMain_; }
    const std::vector<std::uint8_t>& LengthLengths() const { return previousLength_; }

private:
    std::vector<std::uint8_t> previousMain_;
    std::vector<std::uint8_t> previousLength_;
};

// Sends code lengths [first, last) of a tree through a pretree, coded as
// differences from the previous lengths. Exposed for tests.
void WriteTreeLengths(BitWriter& out, std::span<const std::uint8_t> lengths,
                      std::span<const std::uint8_t> previous, int first, int last);

}  // namespace tarvik::cabwriter::lzx
