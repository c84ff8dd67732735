// Bit output in LZX order: bits fill 16-bit words from the most significant
// end, and each word is stored little-endian.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace cab32 {

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // Appends the low `bitCount` bits of `value` (0 to 24 bits), high bit first.
    void Put(std::uint32_t value, int bitCount) {
        accumulator_ = (accumulator_ << bitCount) | (value & ((1u << bitCount) - 1u));
        pending_ += bitCount;
        while (pending_ >= 16) {
            pending_ -= 16;
            const auto word = static_cast<std::uint16_t>(accumulator_ >> pending_);
            out_.push_back(static_cast<std::uint8_t>(word & 0xFF));
            out_.push_back(static_cast<std::uint8_t>(word >> 8));
        }
        accumulator_ &= (std::uint64_t{1} << pending_) - 1u;
    }

    // Bytes written so far (whole words only).
    std::size_t Bytes() const { return out_.size(); }

    // Pads with zero bits up to the next 16-bit word, as the reader skips
    // to one at the end of every 32 KB frame.
    void AlignToWord() {
        if (pending_ > 0) Put(0, 16 - pending_);
    }

    // Pads with 1 to 16 zero bits (16 on a word boundary), as readers skip
    // before the bytes of an uncompressed block.
    void PadForBytes() { Put(0, 16 - pending_); }

    // Appends bytes as they are; only on a word boundary.
    void PutBytes(std::span<const std::uint8_t> bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }

private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t accumulator_ = 0;
    int pending_ = 0;
};

}  // namespace cab32
