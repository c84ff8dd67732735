#include "data_block.h"

namespace cab32 {

DataBlockHeader ReadDataBlockHeader(const unsigned char* bytes) {
    DataBlockHeader header;
    header.checksum = ReadLe32(bytes);
    header.dataSize = ReadLe16(bytes + 4);
    header.plainSize = ReadLe16(bytes + 6);
    return header;
}

std::uint32_t CabChecksum(std::span<const std::uint8_t> data, std::uint32_t seed) {
    std::uint32_t sum = seed;
    const std::size_t words = data.size() / 4;
    const std::uint8_t* p = data.data();
    for (std::size_t i = 0; i < words; ++i, p += 4) sum ^= ReadLe32(p);
    std::uint32_t tail = 0;
    switch (data.size() % 4) {
    case 3: tail |= std::uint32_t{*p++} << 16; [[fallthrough]];
    case 2: tail |= std::uint32_t{*p++} << 8; [[fallthrough]];
    case 1: tail |= std::uint32_t{*p++}; break;
    default: break;
    }
    return sum ^ tail;
}

std::uint32_t DataBlockChecksum(std::span<const std::uint8_t> headerRest, std::span<const std::uint8_t> data) {
    return CabChecksum(headerRest, CabChecksum(data, 0));
}

void AppendDataBlockHeader(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> data,
                           std::uint16_t plainSize) {
    std::uint8_t sizes[4];
    StoreLe16(sizes, static_cast<std::uint32_t>(data.size()));
    StoreLe16(sizes + 2, plainSize);
    AppendLe32(out, DataBlockChecksum(sizes, data));
    out.insert(out.end(), sizes, sizes + 4);
}

bool DataBlockChecksumMatches(std::span<const std::uint8_t> header, std::span<const std::uint8_t> data) {
    const std::uint32_t stored = ReadLe32(header.data());
    return stored == 0 || stored == DataBlockChecksum(header.subspan(4), data);
}

}  // namespace cab32
