// Fuzz target: the MSZIP decoder on arbitrary blocks.
#include "fuzz_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    tarvik::testing::DecodeFuzzFrames(0x0001, data, size);
    return 0;
}
