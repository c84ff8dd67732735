// Fuzz target: the stored blocks decoder on arbitrary blocks.
#include "fuzz_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    tarvik::testing::DecodeFuzzFrames(0x0000, data, size);
    return 0;
}
