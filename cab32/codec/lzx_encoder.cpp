#include "lzx_encoder.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "bit_writer.h"
#include "lzx_block_coder.h"
#include "lzx_prices.h"
#include "lzx_tables.h"
#include "match_finder.h"

namespace cab32 {
namespace {

using namespace lzx;

// Search effort per window. Windows up to 128 KB stay in the processor's
// caches, where more candidates per position cost little and short matches
// close by matter most; the largest windows are chosen for the smallest
// output and keep longer matches going.
SearchEffort EffortFor(int windowBits) {
    if (windowBits <= 17) return {32, 4, 48};
    if (windowBits <= 19) return {16, 8, 48};
    return {16, 8, 64};
}
// Matches at least this long are taken without looking one byte ahead.
constexpr std::uint32_t kLazyLimit = 48;
// After this many searches without a paying match the parse skips ahead,
// one more position per 2^kSkipGrowth further misses, at most kMaxSkip.
// Skipped positions are still indexed until kLeapAfterMisses (a match may
// start there later), then no longer.
constexpr std::uint32_t kSkipAfterMisses = 32;
constexpr int kSkipGrowth = 4;
constexpr std::uint32_t kMaxSkip = 128;
constexpr std::uint32_t kLeapAfterMisses = 256;

struct Choice {
    std::uint32_t length = 0;
    std::uint32_t offset = 0;
    int repeat = -1;  // index into the repeated offsets, or -1
    int value = 0;    // bits saved over literals; no match when <= 0
};

class LzxEncoder final : public StretchEncoder {
public:
    LzxEncoder(int windowBits, int framesPerBlock)
        : finder_(windowBits, EffortFor(windowBits)),
          mainSymbols_(kNumChars + 8 * PositionSlotCount(windowBits)),
          prices_(mainSymbols_),
          maxOffset_(MaxOffset(windowBits)),
          emptyTrees_(EmptyTrees(windowBits)),
          frames_(static_cast<std::size_t>(framesPerBlock)) {}

    bool Encode(const StretchInput& input, EncodedStretch& out) override;

private:
    void Start(const StretchInput& input);
    void SumLiteralPrices(std::span<const std::uint8_t> frame);
    void Consider(Choice& best, std::uint32_t position, std::uint32_t length, std::uint32_t offset, int repeat) const;
    Choice Best(std::uint32_t position, std::uint32_t end);
    void Parse(std::uint32_t position, std::uint32_t end);
    std::uint32_t PassLiterals(std::uint32_t position, std::uint32_t end);
    void EmitLiteral(std::uint32_t position) {
        frames_[held_ - 1].items.push_back(LiteralItem(*finder_.At(position)));
    }
    void EmitMatch(const Choice& match);
    void FlushBlock(EncodedStretch& out);
    void CutPayloads(const std::vector<std::uint8_t>& bytes, const std::vector<std::size_t>& frameEnds,
                     EncodedStretch& out);

    MatchFinder finder_;
    int mainSymbols_;
    lzx::Prices prices_;
    std::uint32_t maxOffset_;
    lzx::BlockTrees emptyTrees_;
    // The repeated offsets as a reader holds them; 0 where they are not
    // known (at the start of a stretch inside a folder: they come from the
    // stretch before), and a match never uses an unknown one.
    std::uint32_t repeats_[3] = {1, 1, 1};
    std::uint32_t misses_ = 0;  // searches in a row where no match paid
    bool first_ = true;         // the folder's first block: the stream header goes first
    // The trees of the stretch's last coded block; unknown before its
    // first, which the folder's order codes, where the stretch does not
    // start the folder.
    bool treesKnown_ = false;
    lzx::BlockTrees trees_;
    std::vector<FrameItems> frames_;  // the frames of the next block, held_ of them filled
    std::size_t held_ = 0;
    std::size_t framesDone_ = 0;      // frames of the stretch in finished blocks
    std::uint32_t frameStart_ = 0;
    std::vector<std::uint32_t> literalSums_;  // literal prices of the frame's bytes before each position
    std::vector<std::uint8_t> blockBytes_;
    std::vector<std::size_t> frameEnds_;
};

void LzxEncoder::Start(const StretchInput& input) {
    finder_.Reset();
    frameStart_ = input.history.empty() ? 0 : finder_.Prime(input.history);
    prices_ = lzx::Prices(mainSymbols_);
    misses_ = 0;
    first_ = input.startsFolder;
    for (std::uint32_t& repeat : repeats_) repeat = input.startsFolder ? 1 : 0;
    treesKnown_ = input.startsFolder;
    trees_ = emptyTrees_;
    held_ = 0;
    framesDone_ = 0;
}

bool LzxEncoder::Encode(const StretchInput& input, EncodedStretch& out) {
    out = EncodedStretch();
    Start(input);
    for (std::size_t at = 0; at < input.data.size(); at += cab32::kFrameSize) {
        if (input.stop && input.stop->load(std::memory_order_relaxed)) return false;
        const std::span<const std::uint8_t> frame =
            input.data.subspan(at, std::min(cab32::kFrameSize, input.data.size() - at));
        FrameItems& held = frames_[held_++];
        held.items.clear();
        held.bytes = frame;
        frameStart_ = finder_.Append(frame);
        SumLiteralPrices(frame);
        Parse(frameStart_, frameStart_ + static_cast<std::uint32_t>(frame.size()));
        if (held_ == frames_.size() || at + frame.size() == input.data.size()) FlushBlock(out);
        if (input.doneBytes) input.doneBytes->fetch_add(frame.size(), std::memory_order_relaxed);
    }
    return true;
}

// Codes the held frames as one block, stored where that is shorter, and
// cuts its bits into one payload per frame at the 16-bit boundaries where
// the frames end. The first coded block of a stretch inside a folder is
// left to the folder's order: its trees go as differences from trees that
// only the stretch before knows. Storing is then weighed against trees sent
// whole.
void LzxEncoder::FlushBlock(EncodedStretch& out) {
    const std::span<const FrameItems> frames(frames_.data(), held_);
    lzx::BlockPlan plan = lzx::PlanBlock(frames, mainSymbols_);
    std::vector<std::uint8_t>& bytes = blockBytes_;  // kept: no allocation per block
    std::vector<std::size_t>& frameEnds = frameEnds_;
    bytes.clear();
    frameEnds.clear();
    BitWriter bits(bytes);
    if (first_) {
        bits.Put(0, 1);  // no x86 call translation
        first_ = false;
    }
    prices_.Update(plan.trees.main, plan.trees.length);
    if (lzx::StoringIsShorter(plan, treesKnown_ ? trees_ : emptyTrees_)) {
        // A reader takes the repeated offsets from the block: the unknown
        // ones become 1, which no match has used.
        for (std::uint32_t& repeat : repeats_)
            if (repeat == 0) repeat = 1;
        lzx::WriteUncompressedBlock(bits, frames, plan.bytes, repeats_, frameEnds);
        CutPayloads(bytes, frameEnds, out);
    } else if (treesKnown_) {
        lzx::WriteCodedBlock(bits, frames, plan, trees_, frameEnds);
        trees_ = plan.trees;
        CutPayloads(bytes, frameEnds, out);
        out.codedBlocks.push_back({framesDone_ + held_, std::move(plan.trees)});
    } else {
        out.pendingFrame = framesDone_;
        out.pending.assign(std::make_move_iterator(frames_.begin()),
                           std::make_move_iterator(frames_.begin() + static_cast<std::ptrdiff_t>(held_)));
        out.payloads.resize(out.payloads.size() + held_);
        trees_ = plan.trees;
        out.codedBlocks.push_back({framesDone_ + held_, plan.trees});
        out.pendingPlan = std::move(plan);
        treesKnown_ = true;
    }
    framesDone_ += held_;
    held_ = 0;
}

void LzxEncoder::CutPayloads(const std::vector<std::uint8_t>& bytes, const std::vector<std::size_t>& frameEnds,
                             EncodedStretch& out) {
    std::size_t from = 0;
    for (std::size_t end : frameEnds) {
        out.payloads.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(end));
        from = end;
    }
}

// Running sums of the frame's literal prices: what a match replaces, at a glance.
void LzxEncoder::SumLiteralPrices(std::span<const std::uint8_t> frame) {
    literalSums_.resize(frame.size() + 1);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        literalSums_[i] = sum;
        sum += prices_.Literal(frame[i]);
    }
    literalSums_[frame.size()] = sum;
}

// Keeps the match if it saves more bits over literals than the best so far.
void LzxEncoder::Consider(Choice& best, std::uint32_t position, std::uint32_t length, std::uint32_t offset,
                          int repeat) const {
    const int slot = repeat >= 0 ? repeat : PositionSlotOf(offset + 2);
    const std::uint32_t at = position - frameStart_;
    const int value = static_cast<int>(literalSums_[at + length] - literalSums_[at]) -
                      static_cast<int>(prices_.Match(length, slot));
    if (value > best.value) best = {length, offset, repeat, value};
}

// Best of the three repeated offsets and the matches the finder offers.
// Matches stop at the frame's end: readers decode each frame on its own.
Choice LzxEncoder::Best(std::uint32_t position, std::uint32_t end) {
    const std::uint32_t remaining = end - position;
    const std::uint32_t maxLength = remaining < kMaxMatch ? remaining : kMaxMatch;
    Choice best;
    for (int r = 0; r < 3 && maxLength >= kMinMatch; ++r) {
        const std::uint32_t offset = repeats_[r];
        if (offset == 0 || offset > position) continue;
        const std::uint32_t length = finder_.MatchLength(position, offset, maxLength);
        if (length >= kMinMatch) Consider(best, position, length, offset, r);
    }
    MatchList found;
    finder_.FindMatches(position, maxLength, maxOffset_, found);
    for (int i = 0; i < found.count; ++i) {
        const MatchCandidate& match = found.items[i];
        int repeat = -1;
        for (int r = 0; r < 3; ++r)
            if (repeats_[r] == match.offset) repeat = r;
        Consider(best, position, match.length, match.offset, repeat);
    }
    return best;
}

// Emits the literal at `position` and, where nothing has paid for a while
// (random or already compressed data), a few more without searching them.
std::uint32_t LzxEncoder::PassLiterals(std::uint32_t position, std::uint32_t end) {
    ++misses_;
    std::uint32_t step = misses_ <= kSkipAfterMisses ? 1 : 1 + ((misses_ - kSkipAfterMisses) >> kSkipGrowth);
    if (step > kMaxSkip) step = kMaxSkip;
    for (; step > 0 && position < end; --step) EmitLiteral(position++);
    if (misses_ > kLeapAfterMisses) finder_.Leap(position);
    return position;
}

// Greedy parsing with lazy evaluation: a match is put off by a literal when
// the match one byte later saves more.
void LzxEncoder::Parse(std::uint32_t position, std::uint32_t end) {
    Choice current = Best(position, end);
    while (position < end) {
        if (current.value <= 0) {
            position = PassLiterals(position, end);
            current = position < end ? Best(position, end) : Choice{};
            continue;
        }
        misses_ = 0;
        if (current.length < kLazyLimit && position + 1 < end) {
            const Choice next = Best(position + 1, end);
            if (next.value > current.value) {
                EmitLiteral(position++);
                current = next;
                continue;
            }
        }
        EmitMatch(current);
        position += current.length;
        current = position < end ? Best(position, end) : Choice{};
    }
}

// Codes a match and updates the repeated offsets exactly as a reader does.
void LzxEncoder::EmitMatch(const Choice& match) {
    std::vector<Item>& items = frames_[held_ - 1].items;
    if (match.repeat >= 0) {
        std::swap(repeats_[0], repeats_[match.repeat]);
        items.push_back(MatchItem(match.repeat, match.length));
    } else {
        repeats_[2] = repeats_[1];
        repeats_[1] = repeats_[0];
        repeats_[0] = match.offset;
        items.push_back(NewOffsetMatch(match.offset, match.length));
    }
}

}  // namespace

std::unique_ptr<StretchEncoder> MakeLzxEncoder(int windowBits, int framesPerBlock) {
    return std::make_unique<LzxEncoder>(windowBits, framesPerBlock);
}

}  // namespace cab32
