// LZX decoding for cabinet folders, windows of 2^15 to 2^21 bytes:
// verbatim, aligned-offset and uncompressed blocks, the repeated offsets,
// and the x86 call translation the stream header may ask for.
#pragma once

#include <cstdint>
#include <span>

#include "frame_decoder.h"

namespace cab32 {

// Null for window bits outside 15..21.
[[nodiscard]] std::unique_ptr<FrameDecoder> MakeLzxDecoder(int windowBits);

// Turns the absolute call targets the compressor wrote after each E8 byte
// back into relative ones. `framePosition` is the frame's offset in the
// folder, `translationSize` the size named in the stream header. Exposed
// for tests.
void UndoCallTranslation(std::span<std::uint8_t> frame, std::uint32_t framePosition, std::uint32_t translationSize);

}  // namespace cab32
