#include "lzx_encoder.h"

#include <array>
#include <utility>

#include "bit_writer.h"
#include "lzx_block_coder.h"
#include "lzx_tables.h"
#include "match_finder.h"

namespace tarvik::cabwriter {
namespace {

using namespace lzx;

// Search effort: the largest windows are chosen for the smallest output, so
// they look through longer chains (about 1% smaller, half the speed).
struct Effort {
    int maxChain;
    std::uint32_t niceLength;
};
constexpr Effort EffortFor(int windowBits) { return windowBits >= 20 ? Effort{64, 160} : Effort{48, 96}; }
// Matches at least this long are taken without looking one byte ahead.
constexpr std::uint32_t kLazyLimit = 48;
// After this many positions without a match the search skips ahead, one
// more position per 2^kSkipGrowth further misses, at most kMaxSkip.
constexpr std::uint32_t kSkipAfterMisses = 32;
constexpr int kSkipGrowth = 4;
constexpr std::uint32_t kMaxSkip = 16;

const std::array<std::uint32_t, 51> kPositionBase = [] {
    std::array<std::uint32_t, 51> table{};
    for (int slot = 0; slot < 51; ++slot) table[slot] = PositionBase(slot);
    return table;
}();

struct Choice {
    std::uint32_t length = 0;
    std::uint32_t offset = 0;
    int repeat = -1;  // index into the repeated offsets, or -1
    int value = 0;    // rough bits saved over literals; no match when <= 0
};

// Rough saving of a match over literals of about six bits each, used to
// pick between candidates; the block coder later prices everything exactly.
int EstimateValue(std::uint32_t length, std::uint32_t offset, bool repeated) {
    int cost = repeated ? 7 : 9 + ExtraBits(PositionSlotOf(offset + 2));
    if (length - kMinMatch >= kNumPrimaryLengths) cost += 5;
    return 6 * static_cast<int>(length) - cost;
}

class LzxEncoder final : public FrameEncoder {
public:
    LzxEncoder(int windowBits, int framesPerBlock)
        : finder_(windowBits, EffortFor(windowBits).maxChain, EffortFor(windowBits).niceLength),
          coder_(windowBits),
          maxOffset_(MaxOffset(windowBits)),
          framesPerBlock_(static_cast<std::size_t>(framesPerBlock)) {}

    bool Encode(std::span<const std::uint8_t> frame, Payloads& ready) override {
        const std::uint32_t start = finder_.Append(frame);
        frames_.emplace_back();
        Parse(start, start + static_cast<std::uint32_t>(frame.size()));
        blockSize_ += static_cast<std::uint32_t>(frame.size());
        if (frames_.size() >= framesPerBlock_) FlushBlock(ready);
        return true;
    }

    bool Finish(Payloads& ready) override {
        if (!frames_.empty()) FlushBlock(ready);
        return true;
    }

private:
    Choice Best(std::uint32_t position, std::uint32_t end);
    void Parse(std::uint32_t position, std::uint32_t end);
    void EmitLiteral(std::uint32_t position);
    void EmitMatch(const Choice& match);
    void FlushBlock(Payloads& ready);

    MatchFinder finder_;
    lzx::BlockCoder coder_;
    std::uint32_t maxOffset_;
    std::uint32_t repeats_[3] = {1, 1, 1};
    std::uint32_t misses_ = 0;  // positions in a row where no match paid
    std::size_t framesPerBlock_;
    bool first_ = true;
    std::vector<std::vector<Item>> frames_;  // items of the frames held for the next block
    std::uint32_t blockSize_ = 0;
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
    coder_.WriteBlock(bits, frames_, blockSize_, frameEnds);
    std::size_t from = 0;
    for (std::size_t end : frameEnds) {
        ready.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           bytes.begin() + static_cast<std::ptrdiff_t>(end));
        from = end;
    }
    frames_.clear();
    blockSize_ = 0;
}

// Best of the three repeated offsets and the longest hash-chain match.
// Matches stop at the frame's end: readers decode each frame on its own.
Choice LzxEncoder::Best(std::uint32_t position, std::uint32_t end) {
    const std::uint32_t remaining = end - position;
    const std::uint32_t maxLength = remaining < kMaxMatch ? remaining : kMaxMatch;
    Choice best;
    for (int r = 0; r < 3 && maxLength >= kMinMatch; ++r) {
        const std::uint32_t offset = repeats_[r];
        if (offset > position) continue;
        const std::uint32_t length = finder_.MatchLength(position, offset, maxLength);
        if (length < kMinMatch) continue;
        const int value = EstimateValue(length, offset, true);
        if (value > best.value) best = {length, offset, r, value};
    }
    MatchList found;
    finder_.FindMatches(position, maxLength, maxOffset_, found);
    for (int i = 0; i < found.count; ++i) {
        const MatchCandidate& match = found.items[i];
        int repeat = -1;
        for (int r = 0; r < 3; ++r)
            if (repeats_[r] == match.offset) repeat = r;
        const int value = EstimateValue(match.length, match.offset, repeat >= 0);
        if (value > best.value) best = {match.length, match.offset, repeat, value};
    }
    return best;
}

// Greedy parsing with one step of lazy evaluation. Where nothing has
// matched for a while (random or already compressed data) the search
// looks at fewer and fewer positions, until a match turns up again.
void LzxEncoder::Parse(std::uint32_t position, std::uint32_t end) {
    Choice current = Best(position, end);
    while (position < end) {
        if (current.value <= 0) {
            ++misses_;
            std::uint32_t step = misses_ <= kSkipAfterMisses ? 1 : 1 + ((misses_ - kSkipAfterMisses) >> kSkipGrowth);
            if (step > kMaxSkip) step = kMaxSkip;
            for (; step > 0 && position < end; --step) EmitLiteral(position++);
            if (position < end) current = Best(position, end);
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

void LzxEncoder::EmitLiteral(std::uint32_t position) {
    frames_.back().push_back({*finder_.At(position), kNoLengthSymbol, 0, 0});
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
    frames_.back().push_back(
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
