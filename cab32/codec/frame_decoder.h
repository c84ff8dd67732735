// The decompressor of one folder: it turns the payloads of the folder's
// CFDATA blocks, one after another, back into their bytes. Each block
// carries one frame of at most 32 KB; earlier frames stay the history of
// later ones, so a folder's blocks must come in order, starting at the first.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "format.h"

namespace cab32 {

class FrameDecoder {
public:
    virtual ~FrameDecoder() = default;
    // Decodes one block's payload into exactly `output.size()` bytes (1 to
    // 32768). False when the data is bad: lengths, offsets, tables or trees
    // that do not fit, or a payload that ends too soon. After a false the
    // folder cannot be decoded further.
    [[nodiscard]] virtual bool Decode(std::span<const std::uint8_t> payload, std::span<std::uint8_t> output) = 0;
};

// Null when the type word names no method this library reads: an unknown
// method, an LZX window outside 2^15..2^21 or a Quantum window outside
// 2^10..2^21.
[[nodiscard]] std::unique_ptr<FrameDecoder> MakeFrameDecoder(std::uint16_t compressionType);

}  // namespace cab32
