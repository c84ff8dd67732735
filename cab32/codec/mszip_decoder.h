// MSZIP decoding: every block is "CK" and a complete deflate stream whose
// matches may reach back into the previous 32 KB of the folder's output.
#pragma once

#include "frame_decoder.h"

namespace cab32 {

[[nodiscard]] std::unique_ptr<FrameDecoder> MakeMszipDecoder();

}  // namespace cab32
