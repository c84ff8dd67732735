// Quantum decoding for cabinet folders, windows of 2^10 to 2^21 bytes.
// Every CFDATA block is one frame whose arithmetic coder starts afresh;
// the models and the window carry on through the folder.
#pragma once

#include "frame_decoder.h"

namespace cab32 {

// Null for window bits outside 10..21.
[[nodiscard]] std::unique_ptr<FrameDecoder> MakeQuantumDecoder(int windowBits);

}  // namespace cab32
