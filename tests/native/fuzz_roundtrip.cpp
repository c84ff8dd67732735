// Fuzz target: whatever the encoders make decodes to their input. The
// first byte picks the method (stored, MSZIP, LZX 15-21, Quantum 10-21),
// the second the frames per LZX block (low two bits) and per stretch
// (0: the writer's, else 1-63); the rest is the data.
#include <cstdlib>

#include "fuzz_frames.h"
#include "test_streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvik::testing;
    using cab32::Compression;
    if (size < 3 || size > 300000) return 0;
    const int method = data[0] % 21;
    const int framesPerBlock = 1 + data[1] % 4;
    const int stretchFrames = data[1] >> 2;
    const Bytes input(data + 2, data + size);
    Folder folder;
    if (method == 0) folder = EncodeWithWriter(Compression::None, 0, input, 1, stretchFrames);
    else if (method == 1) folder = EncodeWithWriter(Compression::Mszip, 0, input, 1, stretchFrames);
    else if (method <= 8) folder = EncodeWithWriter(Compression::Lzx, 13 + method, input, framesPerBlock, stretchFrames);
    else folder = EncodeQuantum(method + 1, input);
    Bytes output;
    if (!DecodeFolder(folder, output) || output != input) std::abort();
    return 0;
}
