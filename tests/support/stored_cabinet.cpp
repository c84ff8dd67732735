#include "stored_cabinet.h"

#include <cstdio>

namespace testing_support {

namespace {

constexpr std::size_t kBlockSize = 32768;
constexpr std::uint32_t kHeaderSize = 36;
constexpr std::uint16_t kFlagNextCabinet = 2;

void Put16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::uint32_t Byte(const std::string& bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

// The data blocks of one folder; an empty folder still has one empty block.
std::string DataBlocks(const std::string& data, bool checksums, std::uint32_t& count) {
    std::string blocks;
    count = 0;
    std::size_t at = 0;
    do {
        const std::string piece = data.substr(at, kBlockSize);
        std::string sizes;
        Put16(sizes, static_cast<std::uint32_t>(piece.size()));
        Put16(sizes, static_cast<std::uint32_t>(piece.size()));
        Put32(blocks, checksums ? CabinetChecksum(sizes, CabinetChecksum(piece, 0)) : 0);
        blocks += sizes + piece;
        ++count;
        at += kBlockSize;
    } while (at < data.size());
    return blocks;
}

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

std::string BuildStoredCabinet(const std::vector<StoredFolder>& folders, const StoredCabinetOptions& options) {
    std::string files;
    std::vector<std::string> folderData(folders.size());
    std::uint32_t fileCount = 0;
    for (std::size_t f = 0; f < folders.size(); ++f) {
        for (const StoredMember& m : folders[f].members) {
            Put32(files, static_cast<std::uint32_t>(m.data.size()));
            Put32(files, static_cast<std::uint32_t>(folderData[f].size()));
            Put16(files, static_cast<std::uint32_t>(options.folderIndex >= 0 ? options.folderIndex : f));
            Put16(files, (46u << 9) | (12u << 5) | 8u);   // 2026-12-08
            Put16(files, (21u << 11) | (5u << 5) | 15u);  // 21:05:30
            Put16(files, 0x20);
            files += m.name + '\0';
            folderData[f] += m.data;
            ++fileCount;
        }
    }
    std::string names;
    if (!options.nextCabinet.empty()) names = options.nextCabinet + '\0' + "disk" + '\0';
    const std::uint32_t filesOffset =
        kHeaderSize + static_cast<std::uint32_t>(names.size() + 8 * folders.size());
    std::uint32_t dataOffset = filesOffset + static_cast<std::uint32_t>(files.size());
    std::string folderTable;
    std::string data;
    for (std::size_t f = 0; f < folders.size(); ++f) {
        std::uint32_t blockCount = 0;
        const std::string blocks = DataBlocks(folderData[f], options.checksums, blockCount);
        Put32(folderTable, dataOffset + static_cast<std::uint32_t>(data.size()));
        Put16(folderTable, blockCount);
        Put16(folderTable, folders[f].compression);
        data += blocks;
    }
    const std::uint32_t total = dataOffset + static_cast<std::uint32_t>(data.size());
    std::string cab = "MSCF";
    for (std::uint32_t v : {0u, total, 0u, filesOffset, 0u}) Put32(cab, v);
    cab += "\x03\x01";
    const std::uint32_t flags = options.nextCabinet.empty() ? 0 : kFlagNextCabinet;
    for (std::uint32_t v : {static_cast<std::uint32_t>(folders.size()), fileCount, flags,
                            std::uint32_t{options.setId}, std::uint32_t{options.cabinetIndex}}) {
        Put16(cab, v);
    }
    return cab + names + folderTable + files + data;
}

std::string BuildStoredCabinet(const std::vector<StoredMember>& members, const StoredCabinetOptions& options) {
    return BuildStoredCabinet(std::vector<StoredFolder>{{members, 0}}, options);
}

std::size_t FolderEntryOffset(const std::string& cabinet, std::size_t index) {
    std::size_t at = kHeaderSize;
    if (Byte(cabinet, 30) & kFlagNextCabinet) {
        for (int name = 0; name < 2; ++name) at = cabinet.find('\0', at) + 1;
    }
    return at + 8 * index;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace testing_support
