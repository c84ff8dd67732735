#include "quantum_decoder.h"

#include <cstring>
#include <vector>

#include "bit_reader.h"
#include "quantum_model.h"

namespace cab32 {
namespace {

using namespace quantum;

// The coder looks 16 bits ahead of what the encoder wrote; a frame's
// payload may end before them.
constexpr std::uint64_t kLookaheadBits = 16;

class QuantumDecoder final : public FrameDecoder {
public:
    explicit QuantumDecoder(int windowBits)
        : windowSize_(1u << windowBits),
          // The ring holds at least a whole frame, so a frame can be handed
          // out after decoding it even when the window is smaller.
          ringMask_((windowSize_ > kFrameSize ? windowSize_ : kFrameSize) - 1),
          ring_(ringMask_ + 1),
          models_(windowBits) {}

    bool Decode(std::span<const std::uint8_t> payload, std::span<std::uint8_t> output) override;

private:
    int Next(Model& model);
    bool CopyMatch(std::uint32_t offset, std::uint32_t length, std::uint64_t frameEnd);

    std::uint32_t windowSize_;
    std::uint32_t ringMask_;
    std::vector<std::uint8_t> ring_;
    Models models_;
    std::uint64_t decoded_ = 0;
    bool lastFrameSeen_ = false;
    bool failed_ = false;
    MsbBitReader* bits_ = nullptr;
    std::uint32_t high_ = 0, low_ = 0, code_ = 0;  // 16-bit coder state
};

// Decodes one symbol of `model` and narrows the coder's interval to it.
int QuantumDecoder::Next(Model& model) {
    const std::uint32_t total = model.Cumulative(0);
    const std::uint32_t range = ((high_ - low_) & 0xFFFF) + 1;
    const std::uint32_t target = ((((code_ - low_) & 0xFFFF) + 1) * total - 1) / range;
    int index = 1;
    while (index < model.Entries() && model.Cumulative(index) > target) ++index;
    --index;
    const int symbol = model.Symbol(index);
    high_ = (low_ + model.Cumulative(index) * range / total - 1) & 0xFFFF;
    low_ = (low_ + model.Cumulative(index + 1) * range / total) & 0xFFFF;
    model.Update(index);
    for (;;) {
        if ((low_ & 0x8000) != (high_ & 0x8000)) {
            if ((low_ & 0x4000) == 0 || (high_ & 0x4000) != 0) break;
            code_ ^= 0x4000;  // the interval straddles the middle: widen it around there
            low_ &= 0x3FFF;
            high_ |= 0x4000;
        }
        low_ = (low_ << 1) & 0xFFFF;
        high_ = ((high_ << 1) | 1) & 0xFFFF;
        code_ = ((code_ << 1) | bits_->ReadBit()) & 0xFFFF;
    }
    return symbol;
}

bool QuantumDecoder::CopyMatch(std::uint32_t offset, std::uint32_t length, std::uint64_t frameEnd) {
    if (offset > decoded_ || offset > windowSize_ || decoded_ + length > frameEnd) return false;
    std::uint64_t from = decoded_ - offset;
    for (std::uint32_t i = 0; i < length; ++i) ring_[decoded_++ & ringMask_] = ring_[from++ & ringMask_];
    return true;
}

bool QuantumDecoder::Decode(std::span<const std::uint8_t> payload, std::span<std::uint8_t> output) {
    if (failed_ || lastFrameSeen_ || output.empty() || output.size() > kFrameSize) return false;
    failed_ = true;
    lastFrameSeen_ = output.size() < kFrameSize;
    MsbBitReader bits(payload);
    bits_ = &bits;
    high_ = 0xFFFF;
    low_ = 0;
    code_ = bits.Read(16);
    const Tables& tables = SlotTables();
    const std::uint64_t frameStart = decoded_;
    const std::uint64_t frameEnd = decoded_ + output.size();
    while (decoded_ < frameEnd) {
        const int selector = Next(models_.selector);
        if (selector < 4) {
            ring_[decoded_++ & ringMask_] = static_cast<std::uint8_t>(Next(models_.literals[selector]));
            continue;
        }
        std::uint32_t length = 3;
        int slot;
        if (selector == 4) {
            slot = Next(models_.offset3);
        } else if (selector == 5) {
            slot = Next(models_.offset4);
            length = 4;
        } else {
            const int lengthSlot = Next(models_.length);
            length = tables.lengthBase[lengthSlot] + bits.Read(tables.lengthExtra[lengthSlot]) + 5;
            slot = Next(models_.offsetLonger);
        }
        const std::uint32_t offset = tables.positionBase[slot] + bits.Read(tables.positionExtra[slot]) + 1;
        if (!CopyMatch(offset, length, frameEnd)) return false;
    }
    bits_ = nullptr;
    if (bits.OverrunBy(kLookaheadBits)) return false;
    const std::size_t at = frameStart & ringMask_;  // frames start on 32 KB boundaries of the ring
    std::memcpy(output.data(), &ring_[at], output.size());
    failed_ = false;
    return true;
}

}  // namespace

std::unique_ptr<FrameDecoder> MakeQuantumDecoder(int windowBits) {
    if (windowBits < kMinWindowBits || windowBits > kMaxWindowBits) return nullptr;
    return std::make_unique<QuantumDecoder>(windowBits);
}

}  // namespace cab32
