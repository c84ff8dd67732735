// The header of a data block (CFDATA) and the format's checksum: the XOR of
// the bytes read as little-endian 32-bit words, with a tail of 1 to 3 bytes
// folded in high byte first. A block's checksum covers its data, then the
// rest of its header (the two sizes and any reserved bytes).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "format.h"

namespace cab32 {

// The fixed part of a block header; reserved bytes may follow it.
inline constexpr std::size_t kBlockHeaderSize = 8;

struct DataBlockHeader {
    std::uint32_t checksum = 0;  // 0: none stored
    std::uint16_t dataSize = 0;  // compressed bytes after the header
    std::uint16_t plainSize = 0; // 0 in a block cut at a cabinet's end, but in its last piece

    // Whether the sizes are possible at all: no more than a frame, and no
    // more compressed bytes than a frame can grow to.
    bool SizesFit() const { return dataSize <= kMaxBlockData && plainSize <= kFrameSize; }
};

// Reads the fixed part of a header (kBlockHeaderSize bytes).
DataBlockHeader ReadDataBlockHeader(const unsigned char* bytes);

std::uint32_t CabChecksum(std::span<const std::uint8_t> data, std::uint32_t seed);

// The checksum of a block: `headerRest` is its header after the checksum
// field (sizes and reserved bytes).
std::uint32_t DataBlockChecksum(std::span<const std::uint8_t> headerRest, std::span<const std::uint8_t> data);

// Appends a header without reserved bytes for a block of `data` that
// holds `plainSize` bytes once decoded (0 in a cut block's first piece).
void AppendDataBlockHeader(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> data,
                           std::uint16_t plainSize);

// Whether a block read from a cabinet (`header`: its whole header, reserved
// bytes included) carries no checksum or the right one.
bool DataBlockChecksumMatches(std::span<const std::uint8_t> header, std::span<const std::uint8_t> data);

}  // namespace cab32
