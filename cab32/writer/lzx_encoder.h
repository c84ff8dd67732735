// The LZX compressor for cabinet folders, window 2^15 to 2^21 bytes.
#pragma once

#include "frame_encoder.h"

namespace tarvik::cabwriter {

// Null for window bits outside 15..21. Every frame becomes one block and
// ends on a 16-bit boundary; the stream header says "no x86 call
// translation" (one zero bit), so readers leave E8 bytes alone.
[[nodiscard]] std::unique_ptr<FrameEncoder> MakeLzxEncoder(int windowBits);

}  // namespace tarvik::cabwriter
