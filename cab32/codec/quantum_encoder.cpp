#include "quantum_encoder.h"

namespace cab32 {
namespace {

using namespace quantum;

constexpr int kHashBits = 14;
constexpr int kMaxChain = 32;
constexpr std::uint32_t kMaxLength = 259;

int SlotOf(std::uint32_t value, const std::uint32_t* bases, int count) {
    int slot = 0;
    while (slot + 1 < count && bases[slot + 1] <= value) ++slot;
    return slot;
}

std::uint32_t HashAt(const std::uint8_t* p) {
    return ((std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]) * 2654435761u) >> (32 - kHashBits);
}

}  // namespace

QuantumEncoder::QuantumEncoder(int windowBits)
    : windowSize_(1u << windowBits), models_(windowBits), head_(std::size_t{1} << kHashBits, -1) {}

void QuantumEncoder::PutBit(int bit) { codeBits_.push_back(static_cast<std::uint8_t>(bit)); }

void QuantumEncoder::PutBits(std::uint32_t value, int count) {
    if (count > 0) footers_.push_back({16 + shifts_, value, count});
}

// Narrows the interval to the symbol and sends the bits that are settled.
void QuantumEncoder::Put(Model& model, int symbol) {
    const int index = model.IndexOf(symbol);
    const std::uint32_t total = model.Cumulative(0);
    const std::uint32_t range = high_ - low_ + 1;
    high_ = low_ + model.Cumulative(index) * range / total - 1;
    low_ = low_ + model.Cumulative(index + 1) * range / total;
    model.Update(index);
    for (;;) {
        if (high_ < 0x8000 || low_ >= 0x8000) {
            const int bit = high_ >= 0x8000 ? 1 : 0;
            PutBit(bit);
            for (; pending_ > 0; --pending_) PutBit(!bit);
            low_ &= 0x7FFF;
            high_ &= 0x7FFF;
        } else if (low_ >= 0x4000 && high_ < 0xC000) {
            ++pending_;
            low_ -= 0x4000;
            high_ -= 0x4000;
        } else {
            break;
        }
        low_ = low_ << 1;
        high_ = high_ << 1 | 1;
        ++shifts_;
    }
}

// Ends the frame: two bits that pick a value inside the interval, zeros
// for the 16 bits the decoder reads ahead, and the footers merged in.
std::vector<std::uint8_t> QuantumEncoder::Finish() {
    ++pending_;
    const int bit = low_ < 0x4000 ? 0 : 1;
    PutBit(bit);
    for (; pending_ > 0; --pending_) PutBit(!bit);
    codeBits_.insert(codeBits_.end(), 16, 0);
    std::vector<std::uint8_t> bits;
    std::size_t footer = 0;
    for (std::size_t i = 0; i <= codeBits_.size(); ++i) {
        for (; footer < footers_.size() && footers_[footer].atCodeBit == i; ++footer)
            for (int b = footers_[footer].count - 1; b >= 0; --b) bits.push_back(footers_[footer].value >> b & 1);
        if (i < codeBits_.size()) bits.push_back(codeBits_[i]);
    }
    std::vector<std::uint8_t> out((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i) out[i / 8] |= static_cast<std::uint8_t>(bits[i] << (7 - i % 8));
    return out;
}

bool QuantumEncoder::Encodable(std::uint32_t length, std::uint32_t offset) const {
    const Tables& t = SlotTables();
    const int slot = SlotOf(offset - 1, t.positionBase.data(), kPositionSlots);
    if (length == 3) return slot < models_.offset3.Entries();
    if (length == 4) return slot < models_.offset4.Entries();
    return slot < models_.offsetLonger.Entries();
}

std::uint32_t QuantumEncoder::LongestMatch(std::size_t position, std::size_t end, std::uint32_t& offset) const {
    std::uint32_t best = 0;
    if (position + 3 > end) return 0;
    const std::uint32_t limit = static_cast<std::uint32_t>(std::min<std::size_t>(end - position, kMaxLength));
    std::int64_t candidate = head_[HashAt(&history_[position])];
    for (int tries = 0; candidate >= 0 && tries < kMaxChain; ++tries, candidate = chain_[candidate]) {
        const auto distance = static_cast<std::uint32_t>(position - static_cast<std::size_t>(candidate));
        if (distance > windowSize_) break;
        std::uint32_t length = 0;
        while (length < limit && history_[candidate + length] == history_[position + length]) ++length;
        if (length > best && length >= 3 && Encodable(length, distance)) {
            best = length;
            offset = distance;
        }
    }
    return best;
}

void QuantumEncoder::PutMatch(std::uint32_t length, std::uint32_t offset) {
    const Tables& t = SlotTables();
    const int slot = SlotOf(offset - 1, t.positionBase.data(), kPositionSlots);
    const std::uint32_t footer = offset - 1 - t.positionBase[slot];
    if (length <= 4) {
        Put(models_.selector, static_cast<int>(length) + 1);  // 4 or 5
        Put(length == 3 ? models_.offset3 : models_.offset4, slot);
    } else {
        const int lengthSlot = SlotOf(length - 5, t.lengthBase.data(), kLengthSlots);
        Put(models_.selector, 6);
        Put(models_.length, lengthSlot);
        PutBits(length - 5 - t.lengthBase[lengthSlot], t.lengthExtra[lengthSlot]);
        Put(models_.offsetLonger, slot);
    }
    PutBits(footer, t.positionExtra[slot]);
}

std::vector<std::uint8_t> QuantumEncoder::EncodeFrame(std::span<const std::uint8_t> frame) {
    codeBits_.clear();
    footers_.clear();
    shifts_ = 0;
    low_ = 0;
    high_ = 0xFFFF;
    pending_ = 0;
    std::size_t position = history_.size();
    history_.insert(history_.end(), frame.begin(), frame.end());
    chain_.resize(history_.size(), -1);
    const std::size_t end = history_.size();
    auto insert = [&](std::size_t at) {
        if (at + 3 > end) return;
        const std::uint32_t hash = HashAt(&history_[at]);
        chain_[at] = head_[hash];
        head_[hash] = static_cast<std::int64_t>(at);
    };
    while (position < end) {
        std::uint32_t offset = 0;
        const std::uint32_t length = LongestMatch(position, end, offset);
        if (length == 0) {
            const std::uint8_t byte = history_[position];
            Put(models_.selector, byte >> 6);
            Put(models_.literals[byte >> 6], byte);
            insert(position++);
            continue;
        }
        PutMatch(length, offset);
        for (std::uint32_t i = 0; i < length; ++i) insert(position++);
    }
    return Finish();
}

}  // namespace cab32
