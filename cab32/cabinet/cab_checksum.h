// The cabinet format's data block checksum: the XOR of the data read as
// little-endian 32-bit words, with a tail of 1 to 3 bytes folded in
// high byte first.
#pragma once

#include <cstdint>
#include <span>

namespace tarvik::cabwriter {

std::uint32_t CabChecksum(std::span<const std::uint8_t> data, std::uint32_t seed);

// The checksum stored in a CFDATA header: over the data, then over the
// compressed and uncompressed sizes.
std::uint32_t DataBlockChecksum(std::span<const std::uint8_t> data, std::uint16_t uncompressedSize);

}  // namespace tarvik::cabwriter
