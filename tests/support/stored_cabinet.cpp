#include "stored_cabinet.h"

#include <cstdio>

namespace testing_support {

namespace {

constexpr std::size_t kBlockSize = 32768;

void Put16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::uint32_t Byte(const std::string& bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

}  // namespace

std::uint32_t CabinetChecksum(const std::string& bytes, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4) {
        sum ^= Byte(bytes, i) | Byte(bytes, i + 1) << 8 | Byte(bytes, i + 2) << 16 | Byte(bytes, i + 3) << 24;
    }
    std::uint32_t tail = 0;
    for (; i < bytes.size(); ++i) tail = (tail << 8) | Byte(bytes, i);  // the last bytes, first one highest
    return sum ^ tail;
}

std::string BuildStoredCabinet(const std::vector<StoredMember>& members, StoredCabinetOptions options) {
    std::string files;
    std::string data;
    for (const StoredMember& m : members) {
        Put32(files, static_cast<std::uint32_t>(m.data.size()));
        Put32(files, static_cast<std::uint32_t>(data.size()));
        Put16(files, options.folderIndex);
        Put16(files, (46u << 9) | (12u << 5) | 8u);   // 2026-12-08
        Put16(files, (21u << 11) | (5u << 5) | 15u);  // 21:05:30
        Put16(files, 0x20);
        files += m.name + '\0';
        data += m.data;
    }
    std::string blocks;
    std::uint32_t blockCount = 0;
    std::size_t at = 0;
    do {  // an empty folder still has one empty block
        const std::string piece = data.substr(at, kBlockSize);
        std::string sizes;
        Put16(sizes, static_cast<std::uint32_t>(piece.size()));
        Put16(sizes, static_cast<std::uint32_t>(piece.size()));
        Put32(blocks, options.checksums ? CabinetChecksum(sizes, CabinetChecksum(piece, 0)) : 0);
        blocks += sizes + piece;
        ++blockCount;
        at += kBlockSize;
    } while (at < data.size());
    const std::uint32_t filesOffset = 36 + 8;
    const std::uint32_t dataOffset = filesOffset + static_cast<std::uint32_t>(files.size());
    const std::uint32_t total = dataOffset + static_cast<std::uint32_t>(blocks.size());
    std::string cab = "MSCF";
    for (std::uint32_t v : {0u, total, 0u, filesOffset, 0u}) Put32(cab, v);
    cab += "\x03\x01";
    for (std::uint32_t v : {1u, static_cast<std::uint32_t>(members.size()), 0u, 7u, 0u}) Put16(cab, v);
    Put32(cab, dataOffset);
    Put16(cab, blockCount);
    Put16(cab, 0);  // stored
    return cab + files + blocks;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace testing_support
