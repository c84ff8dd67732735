// Fuzz target: the LZX, windows 2^15 to 2^21 decoder on arbitrary blocks.
#include "fuzz_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    tarvik::testing::DecodeFuzzFrames(static_cast<std::uint16_t>(0x0003 | (15 + data[0] % 7) << 8), data, size);
    return 0;
}
