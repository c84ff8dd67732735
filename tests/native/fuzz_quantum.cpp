// Fuzz target: the Quantum, windows 2^10 to 2^21 decoder on arbitrary blocks.
#include "fuzz_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    tarvik::testing::DecodeFuzzFrames(static_cast<std::uint16_t>(0x0002 | (10 + data[0] % 12) << 8), data, size);
    return 0;
}
