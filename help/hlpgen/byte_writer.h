// Little-endian byte building for the help file, including the packed
// integers the viewer uses inside paragraph records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hlpgen {

using Bytes = std::vector<std::uint8_t>;

class ByteWriter {
public:
    void U8(unsigned value) { bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF)); }
    void U16(unsigned value) {
        U8(value);
        U8(value >> 8);
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    void Append(const Bytes& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    void Append(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
    // Text followed by its terminating NUL.
    void TextZ(std::string_view text) {
        Append(text);
        U8(0);
    }
    void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void PatchU16(std::size_t at, unsigned value) {
        bytes_.at(at) = static_cast<std::uint8_t>(value & 0xFF);
        bytes_.at(at + 1) = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    }
    void PatchU32(std::size_t at, std::uint32_t value) {
        PatchU16(at, value & 0xFFFF);
        PatchU16(at + 2, value >> 16);
    }

    // Packed unsigned short: one byte (value * 2) up to 0x7F, else two
    // bytes (value * 2 + 1).
    void PackedUShort(unsigned value) {
        if (value <= 0x7F) {
            U8(value * 2);
        } else if (value <= 0x7FFF) {
            U16(value * 2 + 1);
        } else {
            throw std::length_error("value too large for a packed unsigned short");
        }
    }
    // Packed signed short: biased by 0x40 in the one-byte form and by
    // 0x4000 in the two-byte form.
    void PackedShort(int value) {
        if (value >= -0x40 && value <= 0x3F) {
            U8(static_cast<unsigned>(value + 0x40) * 2);
        } else if (value >= -0x4000 && value <= 0x3FFF) {
            U16(static_cast<unsigned>(value + 0x4000) * 2 + 1);
        } else {
            throw std::length_error("value too large for a packed short");
        }
    }
    // Packed signed long: biased by 0x4000 in the two-byte form and by
    // 0x40000000 in the four-byte form.
    void PackedLong(long value) {
        if (value >= -0x4000 && value <= 0x3FFF) {
            U16(static_cast<unsigned>(value + 0x4000) * 2);
        } else if (value >= -0x40000000L && value <= 0x3FFFFFFFL) {
            U32(static_cast<std::uint32_t>(value + 0x40000000L) * 2 + 1);
        } else {
            throw std::length_error("value too large for a packed long");
        }
    }

    [[nodiscard]] const Bytes& Data() const { return bytes_; }
    [[nodiscard]] Bytes Take() { return std::move(bytes_); }
    [[nodiscard]] std::size_t Size() const { return bytes_.size(); }

private:
    Bytes bytes_;
};

}  // namespace hlpgen
