// The LZX compressor for cabinet folders, window 2^15 to 2^21 bytes.
#pragma once

#include "frame_encoder.h"

namespace cab32 {

// A block covers `framesPerBlock` frames (fewer at a stretch's end); every
// frame ends on a 16-bit boundary. A folder's stream header says "no x86
// call translation" (one zero bit), so readers leave E8 bytes alone. The
// settings must be valid.
[[nodiscard]] std::unique_ptr<StretchEncoder> MakeLzxEncoder(int windowBits, int framesPerBlock);

}  // namespace cab32
