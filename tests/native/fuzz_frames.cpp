#include "fuzz_frames.h"

#include <algorithm>

#include "frame_decoder.h"

namespace tarvik::testing {

void DecodeFuzzFrames(std::uint16_t folderType, const std::uint8_t* data, std::size_t size) {
    auto decoder = cab32::MakeFrameDecoder(folderType);
    if (!decoder) return;
    std::vector<std::uint8_t> output;
    std::size_t at = 1;
    while (at + 4 <= size) {
        const std::size_t length = std::min<std::size_t>(data[at] | data[at + 1] << 8, size - at - 4);
        const std::size_t outputSize = (data[at + 2] | data[at + 3] << 8) + 1u;
        at += 4;
        // Exact-size buffers, so that the address sanitizer sees any overrun.
        std::vector<std::uint8_t> payload(data + at, data + at + length);
        output.assign(outputSize, 0);
        at += length;
        if (!decoder->Decode(payload, output)) return;
    }
}

std::vector<std::uint8_t> PackFuzzFrames(std::uint8_t parameter, const std::vector<FuzzBlock>& blocks) {
    std::vector<std::uint8_t> out{parameter};
    for (const FuzzBlock& block : blocks) {
        const auto length = static_cast<std::uint16_t>(block.payload.size());
        const auto size = static_cast<std::uint16_t>(block.size - 1);
        out.insert(out.end(), {std::uint8_t(length), std::uint8_t(length >> 8), std::uint8_t(size), std::uint8_t(size >> 8)});
        out.insert(out.end(), block.payload.begin(), block.payload.end());
    }
    return out;
}

}  // namespace tarvik::testing
