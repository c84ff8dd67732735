// Uncompressed cabinets built byte by byte from the format's tables, for
// tests and benchmarks that need cabinets no archiver would make (unusual
// names, damaged tables, tens of thousands of members).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct StoredMember {
    std::string name;  // stored as it stands (code page 932)
    std::string data;
};

struct StoredCabinetOptions {
    std::uint16_t folderIndex = 0;  // the folder index every file entry carries
    bool checksums = true;          // false: every data block's checksum is 0 (none)
};

// One folder of stored data blocks of up to 32 KB, the members' data in
// order; every member dated 2026-12-08 21:05:30 with the archive attribute.
std::string BuildStoredCabinet(const std::vector<StoredMember>& members, StoredCabinetOptions options = {});

// The cabinet checksum of `bytes`, continuing from `seed`, as the format defines it.
std::uint32_t CabinetChecksum(const std::string& bytes, std::uint32_t seed);

// Writes `bytes` to the file `path`; false when it cannot.
bool WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace testing_support
