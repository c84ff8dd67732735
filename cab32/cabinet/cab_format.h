// The on-disk tables of a cabinet (header, folders, files, data block
// headers), read and checked without decompressing anything. Used by
// CabCheckArchive, which runs on every keystroke in the program's archive
// field, by member enumeration and by the data test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format.h"

namespace cab32 {

struct CabFolder {
    std::uint32_t dataOffset = 0;
    std::uint16_t dataBlocks = 0;
    std::uint16_t compression = 0;  // low 4 bits: 0 none, 1 MSZIP, 2 Quantum, 3 LZX
};

struct CabMember {
    std::uint32_t size = 0;
    std::uint32_t folderOffset = 0;
    std::uint16_t folderIndex = 0;
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attributes = 0;
    std::string name;  // as stored, code page 932 (or UTF-8 with kNameIsUtf8)
};

struct CabDirectory {
    std::uint32_t cabinetSize = 0;
    std::uint16_t setId = 0;
    std::uint16_t cabinetIndex = 0;
    std::string previousCabinet;  // empty when none
    std::string nextCabinet;      // empty when none
    std::uint8_t dataReserve = 0;
    std::vector<CabFolder> folders;
    std::vector<CabMember> members;
};

enum class CabFault { None, Unreadable, NotCabinet, Truncated, BadTables, BadChecksum, UnknownCompression };

// Whether the library can decode a folder compressed this way: stored, MSZIP,
// Quantum at level 1-7 with a window of 2^10 to 2^21 bytes, or LZX with a
// window of 2^15 to 2^21 bytes.
bool IsDecodableCompression(std::uint16_t compression);

// Random-access bytes of one cabinet (a file, a part of a file, or memory).
class CabSource {
public:
    virtual ~CabSource() = default;
    virtual std::int64_t Size() const = 0;
    // Reads `count` bytes at `offset` of the cabinet; false unless all were read.
    virtual bool Read(std::int64_t offset, void* buffer, std::uint32_t count) const = 0;
};

// Reads and checks the header, folder table and file table against the
// available size; with `walkDataBlocks` also follows every data block header
// and checks that each member lies inside its folder's data and that the
// folders' data lie after the tables, inside the file and apart from each
// other. The work is bounded by the file's size, whatever the tables claim.
// A folder whose compression cannot be decoded is reported last, as
// UnknownCompression, with every table read: a reader may still take the
// members of the other folders.
CabFault ReadCabDirectory(const CabSource& source, CabDirectory& directory, bool walkDataBlocks);

// Reads every data block and checks its checksum (a stored 0 means none).
CabFault VerifyDataChecksums(const CabSource& source, const CabDirectory& directory);

// Whether the member lies (partly) in another cabinet of its set.
inline bool ContinuesFromPrevious(const CabMember& m) {
    return m.folderIndex == kContinuedFromPrevious || m.folderIndex == kContinuedBothWays;
}
inline bool ContinuesToNext(const CabMember& m) {
    return m.folderIndex == kContinuedToNext || m.folderIndex == kContinuedBothWays;
}

}  // namespace cab32
