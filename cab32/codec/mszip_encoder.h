// MSZIP: each block is "CK" and a complete raw deflate stream whose
// matches may reach into the previous block, as Microsoft's readers and
// libmspack keep the last 32 KB of output across blocks.
#pragma once

#include "frame_encoder.h"

namespace cab32 {

// The level must be 1..9.
[[nodiscard]] std::unique_ptr<StretchEncoder> MakeMszipEncoder(int level);

}  // namespace cab32
