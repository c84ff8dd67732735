// Bit input for the cabinet decoders. Both readers keep up to 64 bits in a
// buffer whose most significant bit is the next bit of the stream, so a
// decoder peeks a whole Huffman code or offset footer at once. Past the end
// of the input they read zero bits and remember that they did: a decoder
// that has consumed more bits than the input holds has met bad data.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

namespace cab32 {

// LZX order: 16-bit little-endian words, each read from its most
// significant bit down.
class LzxBitReader {
public:
    explicit LzxBitReader(std::span<const std::uint8_t> input) : data_(input.data()), size_(input.size()) {}

    // Makes at least 48 bits available to Peek (the buffer then holds 48 to
    // 63). Bits below the counted ones are zero or the stream's next bits,
    // never anything else, so a refill may OR a word in again where it
    // already is.
    void Refill() {
        if (next_ + 8 <= size_) {
            // Four words with one load, then as many of them as fit counted:
            // no loop and no branch on the fill level.
            std::uint64_t quad = Load64(data_ + next_);
            quad = (quad << 32) | (quad >> 32);  // the first word on top
            quad = ((quad & 0x0000FFFF0000FFFFull) << 16) | ((quad >> 16) & 0x0000FFFF0000FFFFull);
            buffer_ |= quad >> bitsLeft_;
            const int words = (63 - bitsLeft_) >> 4;
            next_ += 2 * static_cast<unsigned>(words);
            bitsLeft_ += 16 * words;
            return;
        }
        while (bitsLeft_ < 48) {
            std::uint64_t word = 0;
            if (next_ + 1 < size_) {
                word = std::uint64_t{data_[next_]} | (std::uint64_t{data_[next_ + 1]} << 8);
            } else if (next_ < size_) {
                word = data_[next_];  // an odd last byte is the low half of its word
            }
            next_ += 2;
            buffer_ |= word << (48 - bitsLeft_);
            bitsLeft_ += 16;
        }
    }

    // The next `count` bits (1 to 32) without consuming them; Refill first.
    std::uint32_t Peek(int count) const { return static_cast<std::uint32_t>(buffer_ >> (64 - count)); }
    void Skip(int count) {
        buffer_ <<= count;
        bitsLeft_ -= count;
    }
    // Takes 0 to 32 bits that a refill made available.
    std::uint32_t Take(int count) {
        // Two shifts: a shift by the buffer's whole width is undefined.
        const auto value = static_cast<std::uint32_t>((buffer_ >> 1) >> (63 - count));
        Skip(count);
        return value;
    }
    // Reads 0 to 32 bits.
    std::uint32_t Read(int count) {
        if (count == 0) return 0;
        Refill();
        const std::uint32_t value = Peek(count);
        Skip(count);
        return value;
    }

    std::uint64_t ConsumedBits() const { return std::uint64_t{next_} * 8 - static_cast<std::uint64_t>(bitsLeft_); }
    bool Overrun() const { return ConsumedBits() > std::uint64_t{size_} * 8; }

    // An uncompressed block's header ends with 1 to 16 bits of padding up to
    // the next word boundary; its bytes follow from there. Words count from
    // where word reading last started (after raw bytes, at any byte).
    void AlignForRawBytes() {
        const std::uint64_t consumed = ConsumedBits() - origin_ * 8;
        SetBytePosition(origin_ + (consumed + 16 - consumed % 16) / 8);
    }
    // Copies raw bytes from the current (byte-aligned) position; false past the end.
    bool ReadBytes(std::uint8_t* out, std::size_t count) {
        const std::uint64_t at = ConsumedBits() / 8;
        if (at > size_ || count > size_ - at) return false;
        std::memcpy(out, data_ + at, count);
        SetBytePosition(at + count);
        return true;
    }
    void SkipBytes(std::size_t count) { SetBytePosition(ConsumedBits() / 8 + count); }

private:
    static std::uint64_t Load64(const std::uint8_t* p) {
        std::uint64_t value = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, p, 8);
        } else {
            for (int i = 7; i >= 0; --i) value = value << 8 | p[i];
        }
        return value;
    }

    void SetBytePosition(std::uint64_t position) {
        origin_ = position;
        next_ = position;
        buffer_ = 0;
        bitsLeft_ = 0;
    }

    const std::uint8_t* data_;
    std::uint64_t size_;
    std::uint64_t next_ = 0;    // next byte to load
    std::uint64_t origin_ = 0;  // where the current run of words started
    std::uint64_t buffer_ = 0;
    int bitsLeft_ = 0;
};

// Quantum order: bytes read from their most significant bit down.
class MsbBitReader {
public:
    explicit MsbBitReader(std::span<const std::uint8_t> input) : data_(input.data()), size_(input.size()) {}

    std::uint32_t Read(int count) {  // 0 to 32 bits
        if (count == 0) return 0;
        if (bitsLeft_ < count) Refill();
        const auto value = static_cast<std::uint32_t>(buffer_ >> (64 - count));
        buffer_ <<= count;
        bitsLeft_ -= count;
        return value;
    }
    std::uint32_t ReadBit() { return Read(1); }

    std::uint64_t ConsumedBits() const { return next_ * 8 - static_cast<std::uint64_t>(bitsLeft_); }
    // True when more than `slackBits` bits past the input's end were consumed.
    bool OverrunBy(std::uint64_t slackBits) const { return ConsumedBits() > size_ * 8 + slackBits; }

private:
    void Refill() {
        while (bitsLeft_ <= 56) {
            const std::uint64_t byte = next_ < size_ ? data_[next_] : 0;
            ++next_;
            buffer_ |= byte << (56 - bitsLeft_);
            bitsLeft_ += 8;
        }
    }

    const std::uint8_t* data_;
    std::uint64_t size_;
    std::uint64_t next_ = 0;
    std::uint64_t buffer_ = 0;
    int bitsLeft_ = 0;
};

}  // namespace cab32
