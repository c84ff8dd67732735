#include "cab_checksum.h"

namespace tarvik::cabwriter {

std::uint32_t CabChecksum(std::span<const std::uint8_t> data, std::uint32_t seed) {
    std::uint32_t sum = seed;
    const std::size_t words = data.size() / 4;
    const std::uint8_t* p = data.data();
    for (std::size_t i = 0; i < words; ++i, p += 4)
        sum ^= std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
               (std::uint32_t{p[3]} << 24);
    std::uint32_t tail = 0;
    switch (data.size() % 4) {
    case 3: tail |= std::uint32_t{*p++} << 16; [[fallthrough]];
    case 2: tail |= std::uint32_t{*p++} << 8; [[fallthrough]];
    case 1: tail |= std::uint32_t{*p++}; break;
    default: break;
    }
    return sum ^ tail;
}

std::uint32_t DataBlockChecksum(std::span<const std::uint8_t> data, std::uint16_t uncompressedSize) {
    const auto compressed = static_cast<std::uint16_t>(data.size());
    const std::uint8_t sizes[4] = {static_cast<std::uint8_t>(compressed & 0xFF),
                                   static_cast<std::uint8_t>(compressed >> 8),
                                   static_cast<std::uint8_t>(uncompressedSize & 0xFF),
                                   static_cast<std::uint8_t>(uncompressedSize >> 8)};
    return CabChecksum(sizes, CabChecksum(data, 0));
}

}  // namespace tarvik::cabwriter
