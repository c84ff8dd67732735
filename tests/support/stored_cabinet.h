// Cabinets built byte by byte from the format's tables, for tests and
// benchmarks that need cabinets no archiver would make (unusual names,
// damaged tables, foreign compression settings, tens of thousands of members).
// The data is always stored as it is; a folder may still claim another
// compression in its table entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct StoredMember {
    std::string name;  // stored as it stands (code page 932)
    std::string data;
};

struct StoredFolder {
    std::vector<StoredMember> members;
    std::uint16_t compression = 0;  // what the folder entry claims (0: stored)
};

struct StoredCabinetOptions {
    std::int32_t folderIndex = -1;  // >= 0: the folder index every file entry carries
    bool checksums = true;          // false: every data block's checksum is 0 (none)
    std::string nextCabinet;        // the next volume's name in the header, if any
    std::uint16_t setId = 7;
    std::uint16_t cabinetIndex = 0;  // the cabinet's place in its set, from 0
};

// Data blocks of up to 32 KB per folder, each folder's members' data in
// order; every member dated 2026-12-08 21:05:30 with the archive attribute.
std::string BuildStoredCabinet(const std::vector<StoredFolder>& folders, const StoredCabinetOptions& options = {});
std::string BuildStoredCabinet(const std::vector<StoredMember>& members, const StoredCabinetOptions& options = {});

// Where the table entry of folder `index` starts (a header without reserve).
std::size_t FolderEntryOffset(const std::string& cabinet, std::size_t index);

// The cabinet checksum of `bytes`, continuing from `seed`, as the format defines it.
std::uint32_t CabinetChecksum(const std::string& bytes, std::uint32_t seed);

// Writes `bytes` to the file `path`; false when it cannot.
bool WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace testing_support
