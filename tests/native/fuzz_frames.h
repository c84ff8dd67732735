// The input layout of the decoder fuzz targets: one byte of parameters
// (the window), then blocks, each a 2-byte payload length, a 2-byte output
// size minus one and the payload (cut short where the input ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvik::testing {

void DecodeFuzzFrames(std::uint16_t folderType, const std::uint8_t* data, std::size_t size);

struct FuzzBlock {
    std::vector<std::uint8_t> payload;
    std::uint16_t size;
};
std::vector<std::uint8_t> PackFuzzFrames(std::uint8_t parameter, const std::vector<FuzzBlock>& blocks);

}  // namespace tarvik::testing
