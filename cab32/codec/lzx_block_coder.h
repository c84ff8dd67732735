// Writes LZX blocks: Huffman trees from the block's own statistics, sent as
// differences from the previous coded block's trees, then the coded items;
// or the bytes as they are, where coding would not make them smaller.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bit_writer.h"

namespace cab32::lzx {

// A literal (extraBits unused, lengthSymbol 0xFFFF) or a match.
struct Item {
    std::uint16_t mainSymbol;
    std::uint16_t lengthSymbol;  // 0xFFFF when the main symbol holds the whole length
    std::uint8_t extraBits;      // offset footer bits
    std::uint32_t extra;         // offset footer value
};

inline constexpr std::uint16_t kNoLengthSymbol = 0xFFFF;

inline Item LiteralItem(std::uint8_t byte) { return {byte, kNoLengthSymbol, 0, 0}; }
// A match of `length` bytes (2 to 257) in position slot `slot`: one of the
// three repeated offsets (0 to 2, no footer), or the slot of a new offset
// with the footer that completes it.
Item MatchItem(int slot, std::uint32_t length, std::uint8_t extraBits = 0, std::uint32_t extra = 0);
// A match at a new offset (1 or more bytes back).
Item NewOffsetMatch(std::uint32_t offset, std::uint32_t length);

// One frame's items and the bytes they stand for (which stay owned by the
// caller; a block written coded needs only their count).
struct FrameItems {
    std::vector<Item> items;
    std::span<const std::uint8_t> bytes;
};

// Code lengths of a coded block's main and length trees. A reader keeps the
// last ones it read: the next block's trees are sent as differences.
struct BlockTrees {
    std::vector<std::uint8_t> main;
    std::vector<std::uint8_t> length;
};

// All-zero trees for a window: what a reader holds before the first block.
BlockTrees EmptyTrees(int windowBits);

// A block's trees and what its items cost, from its statistics alone.
struct BlockPlan {
    BlockTrees trees;
    std::vector<std::uint8_t> aligned;
    bool alignedBlock = false;  // aligned-offset block: long offsets' low bits through the aligned tree
    std::uint64_t itemBits = 0;  // items and footers, frame padding counted as 8 bits per frame
    std::uint64_t bytes = 0;     // uncompressed size
};

BlockPlan PlanBlock(std::span<const FrameItems> frames, int mainSymbols);

// True when storing the bytes is shorter than coding them with trees sent
// as differences from `previous`.
bool StoringIsShorter(const BlockPlan& plan, const BlockTrees& previous);

// Writes consecutive frames as one verbatim or aligned-offset block (as
// planned), its trees as differences from `previous`. Each frame ends on a
// 16-bit boundary; `frameEnds` receives the output size at each of them.
void WriteCodedBlock(BitWriter& out, std::span<const FrameItems> frames, const BlockPlan& plan,
                     const BlockTrees& previous, std::vector<std::size_t>& frameEnds);

// Writes the frames' bytes as an uncompressed block that stores `repeats`,
// the repeated offsets a reader holds after it.
void WriteUncompressedBlock(BitWriter& out, std::span<const FrameItems> frames, std::uint64_t bytes,
                            const std::uint32_t (&repeats)[3], std::vector<std::size_t>& frameEnds);

// Sends code lengths [first, last) of a tree through a pretree, coded as
// differences from the previous lengths. Exposed for tests.
void WriteTreeLengths(BitWriter& out, std::span<const std::uint8_t> lengths,
                      std::span<const std::uint8_t> previous, int first, int last);

}  // namespace cab32::lzx
