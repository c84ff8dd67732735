// Fills the member record that CabFindFirst and CabFindNext return; its
// layout, field by field, is in cab32_api.h.
#pragma once

#include <cstdint>
#include <vector>

#include "cab32_api.h"
#include "cab_format.h"

namespace cab32 {

// The compression as short text: "MSZIP", "LZX:21", "Quantum", "無圧縮".
const char* CompressionName(std::uint16_t compression, char (&buffer)[16]);

// Fills the records of one cabinet's members. What a record needs from the
// whole cabinet (each folder's plain size) is worked out once, so filling a
// record costs the same for the first member as for the 65,535th.
class MemberRecords {
public:
    explicit MemberRecords(const CabDirectory& directory);
    // Fills `record` (kMemberRecordSize bytes) for member `index`.
    void Fill(std::size_t index, void* record) const;

private:
    std::uint32_t CompressedShare(const CabMember& member) const;

    const CabDirectory& directory_;
    std::vector<std::uint64_t> folderPlainBytes_;
};

}  // namespace cab32
