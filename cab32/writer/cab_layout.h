// Lays a folder's data blocks and file entries out over one cabinet or a
// set of volumes, and builds each cabinet's header (CFHEADER, CFFOLDER and
// CFFILE entries). No file access: the writer feeds in sizes and names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvik::cabwriter {

struct FileRecord {
    std::string name;  // stored bytes, code page 932
    std::uint32_t size = 0;
    std::uint32_t folderOffset = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;
};

struct BlockRecord {
    std::uint32_t compressedSize = 0;
    std::uint16_t uncompressedSize = 0;
};

// A run of one block's compressed bytes placed in one cabinet. A block cut
// at a volume's end continues in the next volume; every piece but the last
// records an uncompressed size of 0.
struct DataPiece {
    std::uint32_t block = 0;
    std::uint32_t from = 0;
    std::uint32_t length = 0;
    bool completesBlock = true;
};

inline constexpr std::uint16_t kContinuedFromPrevious = 0xFFFD;
inline constexpr std::uint16_t kContinuedToNext = 0xFFFE;
inline constexpr std::uint16_t kContinuedBothWays = 0xFFFF;

struct ListedFile {
    std::uint32_t file = 0;          // index into the file records
    std::uint16_t folderIndex = 0;   // 0 or one of the continuation markers
};

struct CabinetPlan {
    std::vector<ListedFile> files;
    std::vector<DataPiece> pieces;
};

struct LayoutInput {
    const std::vector<FileRecord>* files = nullptr;
    const std::vector<BlockRecord>* blocks = nullptr;
    std::uint32_t volumeSize = 0;  // 0: one cabinet of any size
    // The stored name (no folder) of volume 1, 2, ...; used in the
    // previous/next fields of spanned cabinets.
    std::function<std::string(int volumeNumber)> volumeName;
};

// Empty when the volume size cannot hold a header and some data.
std::vector<CabinetPlan> PlanCabinets(const LayoutInput& input);

struct HeaderFields {
    std::uint16_t setId = 0;
    std::uint16_t cabinetIndex = 0;
    std::uint16_t compressionType = 0;
    bool hasPrevious = false;
    bool hasNext = false;
    std::string previousName;
    std::string nextName;
};

// The header bytes of one cabinet, up to its first CFDATA block.
std::vector<std::uint8_t> BuildHeader(const CabinetPlan& plan, const std::vector<FileRecord>& files,
                                      const HeaderFields& fields);

// Size of the cabinet file: header plus every piece with its CFDATA header.
std::uint32_t CabinetSize(const CabinetPlan& plan, std::size_t headerSize);

}  // namespace tarvik::cabwriter
