// The LZX compressor for cabinet folders, window 2^15 to 2^21 bytes.
#pragma once

#include "frame_encoder.h"

namespace tarvik::cabwriter {

// Null for window bits outside 15..21. A block covers `framesPerBlock`
// frames (fewer at the folder's end); every frame ends on a 16-bit
// boundary. The stream header says "no x86 call translation" (one zero
// bit), so readers leave E8 bytes alone.
[[nodiscard]] std::unique_ptr<FrameEncoder> MakeLzxEncoder(int windowBits, int framesPerBlock);

}  // namespace tarvik::cabwriter
