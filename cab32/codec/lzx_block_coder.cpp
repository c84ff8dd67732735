#include "lzx_block_coder.h"

#include "huffman.h"
#include "lzx_tables.h"

namespace cab32::lzx {
namespace {

constexpr int kBlockUncompressed = 3;
constexpr int kBlockHeaderBits = 3 + 24;

struct PretreeToken {
    std::uint8_t symbol;
    std::uint8_t extraBits;
    std::uint8_t extra;
};

int RunLength(std::span<const std::uint8_t> lengths, int from, int last, std::uint8_t value) {
    int run = 0;
    while (from + run < last && lengths[from + run] == value) ++run;
    return run;
}

std::uint8_t Delta(std::uint8_t previous, std::uint8_t now) {
    return static_cast<std::uint8_t>((previous + 17 - now) % 17);
}

// Pretree symbols 0-16 change one length by a delta; 17 and 18 write runs of
// zeros; 19 writes 4 or 5 equal lengths.
std::vector<PretreeToken> TokenizeLengths(std::span<const std::uint8_t> lengths,
                                          std::span<const std::uint8_t> previous, int first, int last) {
    std::vector<PretreeToken> tokens;
    tokens.reserve(static_cast<std::size_t>(last - first));
    for (int i = first; i < last;) {
        const std::uint8_t value = lengths[i];
        const int run = RunLength(lengths, i, last, value);
        if (value == 0 && run >= 20) {
            const int take = run < 51 ? run : 51;
            tokens.push_back({18, 5, static_cast<std::uint8_t>(take - 20)});
            i += take;
        } else if (value == 0 && run >= 4) {
            const int take = run < 19 ? run : 19;
            tokens.push_back({17, 4, static_cast<std::uint8_t>(take - 4)});
            i += take;
        } else if (run >= 4) {
            const int take = run < 5 ? run : 5;
            tokens.push_back({19, 1, static_cast<std::uint8_t>(take - 4)});
            tokens.push_back({Delta(previous[i], value), 0, 0});
            i += take;
        } else {
            tokens.push_back({Delta(previous[i], value), 0, 0});
            ++i;
        }
    }
    return tokens;
}

// Part of a tree as the reader gets it: the pretree's lengths, then tokens.
struct TreeDescription {
    std::vector<PretreeToken> tokens;
    std::vector<std::uint8_t> pretree;

    std::uint64_t Bits() const {
        std::uint64_t bits = 4 * kPretreeSymbols;
        for (const PretreeToken& token : tokens) bits += pretree[token.symbol] + token.extraBits;
        return bits;
    }

    void Write(BitWriter& out) const {
        const std::vector<std::uint16_t> codes = CanonicalCodes(pretree);
        for (std::uint8_t len : pretree) out.Put(len, 4);
        for (const PretreeToken& token : tokens) {
            out.Put(codes[token.symbol], pretree[token.symbol]);
            if (token.extraBits != 0) out.Put(token.extra, token.extraBits);
        }
    }
};

TreeDescription DescribeTree(std::span<const std::uint8_t> lengths, std::span<const std::uint8_t> previous,
                             int first, int last) {
    TreeDescription tree{TokenizeLengths(lengths, previous, first, last), {}};
    std::vector<std::uint32_t> frequencies(kPretreeSymbols, 0);
    for (const PretreeToken& token : tree.tokens) ++frequencies[token.symbol];
    tree.pretree = BuildCodeLengths(frequencies, 15);
    return tree;
}

struct Statistics {
    std::vector<std::uint32_t> main, length, aligned;
    std::uint64_t footerBits = 0;  // offset footer bits sent plainly
    std::uint64_t bytes = 0;
};

Statistics Count(std::span<const FrameItems> frames, int mainSymbols) {
    Statistics stats{std::vector<std::uint32_t>(mainSymbols, 0),
                     std::vector<std::uint32_t>(kNumSecondaryLengths, 0),
                     std::vector<std::uint32_t>(kAlignedSymbols, 0)};
    for (const FrameItems& frame : frames) {
        stats.bytes += frame.bytes.size();
        for (const Item& item : frame.items) {
            ++stats.main[item.mainSymbol];
            if (item.mainSymbol < kNumChars) continue;
            if (item.lengthSymbol != kNoLengthSymbol) ++stats.length[item.lengthSymbol];
            if (item.extraBits >= 3) ++stats.aligned[item.extra & 7];
            stats.footerBits += item.extraBits;
        }
    }
    return stats;
}

std::uint64_t SymbolBits(std::span<const std::uint32_t> frequencies, std::span<const std::uint8_t> lengths) {
    std::uint64_t bits = 0;
    for (std::size_t s = 0; s < frequencies.size(); ++s) bits += std::uint64_t{frequencies[s]} * lengths[s];
    return bits;
}

// Footer bits when the low three bits of long offsets go through the
// aligned tree (which costs 24 bits to describe).
std::uint64_t AlignedFooterBits(const Statistics& stats, std::span<const std::uint8_t> alignedLengths) {
    std::uint64_t bits = stats.footerBits + 24;
    for (int s = 0; s < kAlignedSymbols; ++s)
        bits = bits - 3ull * stats.aligned[s] + std::uint64_t{alignedLengths[s]} * stats.aligned[s];
    return bits;
}

struct Codes {
    std::vector<std::uint16_t> main;
    const std::vector<std::uint8_t>& mainLengths;
    std::vector<std::uint16_t> length;
    const std::vector<std::uint8_t>& lengthLengths;
    std::vector<std::uint16_t> aligned;
    const std::vector<std::uint8_t>& alignedLengths;
    bool alignedBlock;
};

void PutItem(BitWriter& out, const Codes& codes, const Item& item) {
    out.Put(codes.main[item.mainSymbol], codes.mainLengths[item.mainSymbol]);
    if (item.mainSymbol < kNumChars) return;
    if (item.lengthSymbol != kNoLengthSymbol)
        out.Put(codes.length[item.lengthSymbol], codes.lengthLengths[item.lengthSymbol]);
    if (codes.alignedBlock && item.extraBits >= 3) {
        out.Put(item.extra >> 3, item.extraBits - 3);
        out.Put(codes.aligned[item.extra & 7], codes.alignedLengths[item.extra & 7]);
    } else if (item.extraBits != 0) {
        out.Put(item.extra, item.extraBits);
    }
}

std::uint64_t TreeBits(const BlockPlan& plan, const BlockTrees& previous) {
    const int mainSymbols = static_cast<int>(plan.trees.main.size());
    return DescribeTree(plan.trees.main, previous.main, 0, kNumChars).Bits() +
           DescribeTree(plan.trees.main, previous.main, kNumChars, mainSymbols).Bits() +
           DescribeTree(plan.trees.length, previous.length, 0, kNumSecondaryLengths).Bits();
}

}  // namespace

Item MatchItem(int slot, std::uint32_t length, std::uint8_t extraBits, std::uint32_t extra) {
    const std::uint32_t header = length - kMinMatch;
    const std::uint32_t primary = header < kNumPrimaryLengths ? header : kNumPrimaryLengths;
    const std::uint16_t lengthSymbol =
        header < kNumPrimaryLengths ? kNoLengthSymbol : static_cast<std::uint16_t>(header - kNumPrimaryLengths);
    return {static_cast<std::uint16_t>(kNumChars + slot * 8 + primary), lengthSymbol, extraBits, extra};
}

Item NewOffsetMatch(std::uint32_t offset, std::uint32_t length) {
    const std::uint32_t formatted = offset + 2;
    const int slot = PositionSlotOf(formatted);
    return MatchItem(slot, length, kExtraBits[slot], formatted - kPositionBase[slot]);
}

void WriteTreeLengths(BitWriter& out, std::span<const std::uint8_t> lengths,
                      std::span<const std::uint8_t> previous, int first, int last) {
    DescribeTree(lengths, previous, first, last).Write(out);
}

BlockTrees EmptyTrees(int windowBits) {
    return {std::vector<std::uint8_t>(kNumChars + 8 * PositionSlotCount(windowBits), 0),
            std::vector<std::uint8_t>(kNumSecondaryLengths, 0)};
}

BlockPlan PlanBlock(std::span<const FrameItems> frames, int mainSymbols) {
    const Statistics stats = Count(frames, mainSymbols);
    BlockPlan plan;
    plan.trees.main = BuildCodeLengths(stats.main, 16);
    plan.trees.length = BuildCodeLengths(stats.length, 16);
    plan.aligned = BuildCodeLengths(stats.aligned, 7);
    const std::uint64_t alignedFooters = AlignedFooterBits(stats, plan.aligned);
    plan.alignedBlock = alignedFooters < stats.footerBits;
    plan.itemBits = SymbolBits(stats.main, plan.trees.main) + SymbolBits(stats.length, plan.trees.length) +
                    (plan.alignedBlock ? alignedFooters : stats.footerBits) + 8 * frames.size();
    plan.bytes = stats.bytes;
    return plan;
}

bool StoringIsShorter(const BlockPlan& plan, const BlockTrees& previous) {
    const std::uint64_t codedBits = kBlockHeaderBits + TreeBits(plan, previous) + plan.itemBits;
    const std::uint64_t storedBits = kBlockHeaderBits + 16 + 96 + 8 * (plan.bytes + plan.bytes % 2);
    return storedBits < codedBits;
}

void WriteCodedBlock(BitWriter& out, std::span<const FrameItems> frames, const BlockPlan& plan,
                     const BlockTrees& previous, std::vector<std::size_t>& frameEnds) {
    const int mainSymbols = static_cast<int>(plan.trees.main.size());
    const TreeDescription trees[3] = {DescribeTree(plan.trees.main, previous.main, 0, kNumChars),
                                      DescribeTree(plan.trees.main, previous.main, kNumChars, mainSymbols),
                                      DescribeTree(plan.trees.length, previous.length, 0, kNumSecondaryLengths)};
    out.Put(plan.alignedBlock ? kBlockAligned : kBlockVerbatim, 3);
    out.Put(static_cast<std::uint32_t>(plan.bytes >> 8), 16);
    out.Put(static_cast<std::uint32_t>(plan.bytes & 0xFF), 8);
    if (plan.alignedBlock)
        for (std::uint8_t len : plan.aligned) out.Put(len, 3);
    for (const TreeDescription& tree : trees) tree.Write(out);

    const Codes codes{CanonicalCodes(plan.trees.main), plan.trees.main, CanonicalCodes(plan.trees.length),
                      plan.trees.length, CanonicalCodes(plan.aligned), plan.aligned, plan.alignedBlock};
    for (const FrameItems& frame : frames) {
        for (const Item& item : frame.items) PutItem(out, codes, item);
        out.AlignToWord();
        frameEnds.push_back(out.Bytes());
    }
}

// The frames' bytes as they are, after the repeated offsets; a block of odd
// size is followed by one pad byte.
void WriteUncompressedBlock(BitWriter& out, std::span<const FrameItems> frames, std::uint64_t size,
                            const std::uint32_t (&repeats)[3], std::vector<std::size_t>& frameEnds) {
    out.Put(kBlockUncompressed, 3);
    out.Put(static_cast<std::uint32_t>(size >> 8), 16);
    out.Put(static_cast<std::uint32_t>(size & 0xFF), 8);
    out.PadForBytes();
    for (std::uint32_t repeat : repeats) {
        const std::uint8_t le[4] = {static_cast<std::uint8_t>(repeat), static_cast<std::uint8_t>(repeat >> 8),
                                    static_cast<std::uint8_t>(repeat >> 16), static_cast<std::uint8_t>(repeat >> 24)};
        out.PutBytes(le);
    }
    for (const FrameItems& frame : frames) {
        out.PutBytes(frame.bytes);
        frameEnds.push_back(out.Bytes());
    }
    if (size % 2 != 0) {
        static constexpr std::uint8_t kPad[1] = {0};
        out.PutBytes(kPad);
        frameEnds.back() = out.Bytes();
    }
}

}  // namespace cab32::lzx
