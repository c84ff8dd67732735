#include "lzx_block_coder.h"

#include "huffman.h"
#include "lzx_tables.h"

namespace tarvik::cabwriter::lzx {
namespace {

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

void PutSymbol(BitWriter& out, const std::vector<std::uint16_t>& codes,
               const std::vector<std::uint8_t>& lengths, int symbol) {
    out.Put(codes[symbol], lengths[symbol]);
}

struct Statistics {
    std::vector<std::uint32_t> main, length, aligned;
};

Statistics Count(std::span<const std::vector<Item>> frames, int mainSymbols) {
    Statistics stats{std::vector<std::uint32_t>(mainSymbols, 0),
                     std::vector<std::uint32_t>(kNumSecondaryLengths, 0),
                     std::vector<std::uint32_t>(kAlignedSymbols, 0)};
    for (const std::vector<Item>& items : frames) {
        for (const Item& item : items) {
            ++stats.main[item.mainSymbol];
            if (item.lengthSymbol != kNoLengthSymbol) ++stats.length[item.lengthSymbol];
            if (item.mainSymbol >= kNumChars && item.extraBits >= 3) ++stats.aligned[item.extra & 7];
        }
    }
    return stats;
}

// True when coding the low three offset bits through the aligned tree
// (plus its 24-bit description) is shorter than sending them plainly.
bool AlignedPays(const Statistics& stats, const std::vector<std::uint8_t>& alignedLengths) {
    std::uint64_t plain = 0, aligned = 24;
    for (int s = 0; s < kAlignedSymbols; ++s) {
        plain += 3ull * stats.aligned[s];
        aligned += std::uint64_t{alignedLengths[s]} * stats.aligned[s];
    }
    return aligned < plain;
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
    PutSymbol(out, codes.main, codes.mainLengths, item.mainSymbol);
    if (item.mainSymbol < kNumChars) return;
    if (item.lengthSymbol != kNoLengthSymbol) PutSymbol(out, codes.length, codes.lengthLengths, item.lengthSymbol);
    if (codes.alignedBlock && item.extraBits >= 3) {
        out.Put(item.extra >> 3, item.extraBits - 3);
        PutSymbol(out, codes.aligned, codes.alignedLengths, static_cast<int>(item.extra & 7));
    } else if (item.extraBits != 0) {
        out.Put(item.extra, item.extraBits);
    }
}

}  // namespace

void WriteTreeLengths(BitWriter& out, std::span<const std::uint8_t> lengths,
                      std::span<const std::uint8_t> previous, int first, int last) {
    const std::vector<PretreeToken> tokens = TokenizeLengths(lengths, previous, first, last);
    std::vector<std::uint32_t> frequencies(kPretreeSymbols, 0);
    for (const PretreeToken& token : tokens) ++frequencies[token.symbol];
    const std::vector<std::uint8_t> pretree = BuildCodeLengths(frequencies, 15);
    const std::vector<std::uint16_t> codes = CanonicalCodes(pretree);
    for (std::uint8_t len : pretree) out.Put(len, 4);
    for (const PretreeToken& token : tokens) {
        PutSymbol(out, codes, pretree, token.symbol);
        if (token.extraBits != 0) out.Put(token.extra, token.extraBits);
    }
}

BlockCoder::BlockCoder(int windowBits)
    : previousMain_(kNumChars + 8 * PositionSlotCount(windowBits), 0),
      previousLength_(kNumSecondaryLengths, 0) {}

void BlockCoder::WriteBlock(BitWriter& out, std::span<const std::vector<Item>> frames, std::uint32_t uncompressedSize,
                            std::vector<std::size_t>& frameEnds) {
    const int mainSymbols = static_cast<int>(previousMain_.size());
    const Statistics stats = Count(frames, mainSymbols);
    const std::vector<std::uint8_t> mainLengths = BuildCodeLengths(stats.main, 16);
    const std::vector<std::uint8_t> lengthLengths = BuildCodeLengths(stats.length, 16);
    const std::vector<std::uint8_t> alignedLengths = BuildCodeLengths(stats.aligned, 7);
    const bool aligned = AlignedPays(stats, alignedLengths);

    out.Put(aligned ? kBlockAligned : kBlockVerbatim, 3);
    out.Put(uncompressedSize >> 8, 16);
    out.Put(uncompressedSize & 0xFF, 8);
    if (aligned)
        for (std::uint8_t len : alignedLengths) out.Put(len, 3);
    WriteTreeLengths(out, mainLengths, previousMain_, 0, kNumChars);
    WriteTreeLengths(out, mainLengths, previousMain_, kNumChars, mainSymbols);
    WriteTreeLengths(out, lengthLengths, previousLength_, 0, kNumSecondaryLengths);

    const Codes codes{CanonicalCodes(mainLengths), mainLengths, CanonicalCodes(lengthLengths), lengthLengths,
                      CanonicalCodes(alignedLengths), alignedLengths, aligned};
    for (const std::vector<Item>& items : frames) {
        for (const Item& item : items) PutItem(out, codes, item);
        out.AlignToWord();
        frameEnds.push_back(out.Bytes());
    }
    previousMain_ = mainLengths;
    previousLength_ = lengthLengths;
}

}  // namespace tarvik::cabwriter::lzx
