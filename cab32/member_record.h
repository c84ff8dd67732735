// The 560-byte member record that CabFindFirst and CabFindNext fill.
//
// Offset  Size  Field
//      0     4  original size of the member in bytes
//      4     4  compressed size: the member's share of its folder's stored
//               bytes (0 when unknown, e.g. the member spans cabinets)
//      8     2  date, MS-DOS format (bits 15-9 year-1980, 8-5 month, 4-0 day)
//     10     2  time, MS-DOS format (bits 15-11 hour, 10-5 minute, 4-0 s/2)
//     12     2  attributes (read-only 0x01, hidden 0x02, system 0x04,
//               archive 0x20, executable 0x40, name stored as UTF-8 0x80)
//     14     2  folder index in the cabinet (0xFFFD-0xFFFF: spans cabinets)
//     16     2  compression of the folder (low 4 bits 0 none, 1 MSZIP,
//               2 Quantum, 3 LZX; bits 8-12 the LZX window)
//     18     4  position of the member in the cabinet's file table (0-based)
//     22     4  offset of the member in its folder's uncompressed data
//     26   264  member path, NUL-terminated code page 932 text
//    290    16  compression method as text ("MSZIP", "LZX:21", "無圧縮")
//    306   254  reserved, zero
// Integers are little-endian.
#pragma once

#include <cstdint>
#include <vector>

#include "cab_format.h"

namespace cab32 {

inline constexpr int kRecordSize = 560;
inline constexpr int kRecordPathOffset = 26;
inline constexpr int kRecordPathSize = 264;
inline constexpr int kRecordMethodOffset = 290;
inline constexpr int kRecordMethodSize = 16;

// The compression as short text: "MSZIP", "LZX:21", "Quantum", "無圧縮".
const char* CompressionName(std::uint16_t compression, char (&buffer)[16]);

// Fills the records of one cabinet's members. What a record needs from the
// whole cabinet (each folder's plain size) is worked out once, so filling a
// record costs the same for the first member as for the 65,535th.
class MemberRecords {
public:
    explicit MemberRecords(const CabDirectory& directory);
    // Fills `record` (560 bytes) for member `index`.
    void Fill(std::size_t index, void* record) const;

private:
    std::uint32_t CompressedShare(const CabMember& member) const;

    const CabDirectory& directory_;
    std::vector<std::uint64_t> folderPlainBytes_;
};

}  // namespace cab32
