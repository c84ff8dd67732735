#include "lzx_encoder.h"

#include <array>
#include <utility>

#include "bit_writer.h"
#include "lzx_block_coder.h"
#include "lzx_prices.h"
#include "lzx_tables.h"
#include "match_finder.h"

namespace tarvik::cabwriter {
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

class LzxEncoder final : public FrameEncoder {
public:
    LzxEncoder(int windowBits, int framesPerBlock)
        : finder_(windowBits, EffortFor(windowBits)),
          coder_(windowBits),
          prices_(kNumChars + 8 * PositionSlotCount(windowBits)),
          maxOffset_(MaxOffset(windowBits)),
          frames_(static_cast<std::size_t>(framesPerBlock)) {}

    bool Encode(std::span<const std::uint8_t> frame, Payloads& ready) override {
        FrameItems& held = frames_[held_++];
        held.items.clear();
        held.bytes.assign(frame.begin(), frame.end());
        frameStart_ = finder_.Append(frame);
        SumLiteralPrices(frame);
        Parse(frameStart_, frameStart_ + static_cast<std::uint32_t>(frame.size()));
        if (held_ == frames_.size()) FlushBlock(ready);
        return true;
    }

    bool Finish(Payloads& ready) override {
        if (held_ > 0) FlushBlock(ready);
        return true;
    }

private:
    void SumLiteralPrices(std::span<const std::uint8_t> frame);
    void Consider(Choice& best, std::uint32_t position, std::uint32_t length, std::uint32_t offset, int repeat) const;
    Choice Best(std::uint32_t position, std::uint32_t end);
    void Parse(std::uint32_t position, std::uint32_t end);
    std::uint32_t PassLiterals(std::uint32_t position, std::uint32_t end);
    void EmitLiteral(std::uint32_t position) {
        frames_[held_ - 1].items.push_back({*finder_.At(position), kNoLengthSymbol, 0, 0});
    }
    void EmitMatch(const Choice& match);
    void FlushBlock(Payloads& ready);

    MatchFinder finder_;
    lzx::BlockCoder coder_;
    lzx::Prices prices_;
    std::uint32_t maxOffset_;
    std::uint32_t repeats_[3] = {1, 1, 1};
    std::uint32_t misses_ = 0;  // searches in a row where no match paid
    bool first_ = true;
    std::vector<FrameItems> frames_;  // the frames of the next block, held_ of them filled
    std::size_t held_ = 0;
    std::uint32_t frameStart_ = 0;
    std::vector<std::uint32_t> literalSums_;  // literal prices of the frame's bytes before each position
};

// Writes the held frames as one block and cuts the bits into one payload
// per frame at the 16-bit boundaries where the frames end.
void LzxEncoder::FlushBlock(Payloads& ready) {
    std::vector<std::uint8_t> bytes;
    BitWriter bits(bytes);
    if (first_) {
        bits.Put(0, 1);  // no x86 call translation
        first_ = false;
    }
    std::vector<std::size_t> frameEnds;
    coder_.WriteBlock(bits, std::span<const FrameItems>(frames_.data(), held_), repeats_, frameEnds);
    std::size_t from = 0;
    for (std::size_t end : frameEnds) {
        ready.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           bytes.begin() + static_cast<std::ptrdiff_t>(end));
        from = end;
    }
    held_ = 0;
    prices_.Update(coder_.MainLengths(), coder_.LengthLengths());
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
        if (offset > position) continue;
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
    int slot;
    std::uint8_t extraBits = 0;
    std::uint32_t extra = 0;
    if (match.repeat >= 0) {
        slot = match.repeat;
        std::swap(repeats_[0], repeats_[match.repeat]);
    } else {
        const std::uint32_t formatted = match.offset + 2;
        slot = PositionSlotOf(formatted);
        extraBits = static_cast<std::uint8_t>(ExtraBits(slot));
        extra = formatted - kPositionBase[slot];
        repeats_[2] = repeats_[1];
        repeats_[1] = repeats_[0];
        repeats_[0] = match.offset;
    }
    const std::uint32_t lengthHeader = match.length - kMinMatch;
    const std::uint32_t primary = lengthHeader < kNumPrimaryLengths ? lengthHeader : kNumPrimaryLengths;
    const auto lengthSymbol = lengthHeader < kNumPrimaryLengths
                                  ? kNoLengthSymbol
                                  : static_cast<std::uint16_t>(lengthHeader - kNumPrimaryLengths);
    frames_[held_ - 1].items.push_back(
        {static_cast<std::uint16_t>(kNumChars + slot * 8 + primary), lengthSymbol, extraBits, extra});
}

}  // namespace

std::unique_ptr<FrameEncoder> MakeLzxEncoder(int windowBits, int framesPerBlock) {
    if (windowBits < kMinWindowBits || windowBits > kMaxWindowBits || framesPerBlock < 1) return nullptr;
    // The block size field has 24 bits.
    if (framesPerBlock > 256) framesPerBlock = 256;
    return std::make_unique<LzxEncoder>(windowBits, framesPerBlock);
}

}  // namespace tarvik::cabwriter
