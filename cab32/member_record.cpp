#include "member_record.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "extract_job.h"

namespace cab32 {

namespace {

// Text cut to the field, leaving room for the NUL the zeroed record holds.
void PutText(unsigned char* record, const tarvik::cab32::RecordField& field, std::string_view text) {
    std::memcpy(record + field.offset, text.data(), std::min(text.size(), field.size - 1));
}

}  // namespace

const char* CompressionName(std::uint16_t compression, char (&buffer)[16]) {
    switch (TypeMethod(compression)) {
        case static_cast<unsigned>(Compression::None): return "無圧縮";
        case static_cast<unsigned>(Compression::Mszip): return "MSZIP";
        case static_cast<unsigned>(Compression::Quantum): return "Quantum";
        case static_cast<unsigned>(Compression::Lzx):
            std::snprintf(buffer, sizeof buffer, "LZX:%u", TypeWindowBits(compression));
            return buffer;
        default: return "?";
    }
}

MemberRecords::MemberRecords(const CabDirectory& directory)
    : directory_(directory), folderPlainBytes_(directory.folders.size(), 0) {
    for (const CabMember& member : directory.members) {
        if (member.folderIndex < folderPlainBytes_.size()) folderPlainBytes_[member.folderIndex] += member.size;
    }
}

// The member's share of its folder's stored bytes, in proportion to its size.
std::uint32_t MemberRecords::CompressedShare(const CabMember& member) const {
    if (member.folderIndex >= directory_.folders.size()) return 0;
    const std::uint64_t folderPlain = folderPlainBytes_[member.folderIndex];
    const CabFolder& folder = directory_.folders[member.folderIndex];
    const std::size_t next = member.folderIndex + 1u;
    const std::uint64_t end = next < directory_.folders.size() ? directory_.folders[next].dataOffset
                                                               : std::uint64_t{directory_.cabinetSize};
    const std::uint64_t stored = end > folder.dataOffset ? end - folder.dataOffset : 0;
    return folderPlain == 0 ? 0 : static_cast<std::uint32_t>(stored * member.size / folderPlain);
}

void MemberRecords::Fill(std::size_t index, void* record) const {
    namespace api = tarvik::cab32;
    auto* bytes = static_cast<unsigned char*>(record);
    std::memset(bytes, 0, api::kMemberRecordSize);
    const CabMember& member = directory_.members[index];
    const std::uint16_t compression =
        member.folderIndex < directory_.folders.size() ? directory_.folders[member.folderIndex].compression : 0;
    StoreLe32(bytes + api::kRecordOriginalSize.offset, member.size);
    StoreLe32(bytes + api::kRecordCompressedSize.offset, CompressedShare(member));
    StoreLe16(bytes + api::kRecordDate.offset, member.date);
    StoreLe16(bytes + api::kRecordTime.offset, member.time);
    StoreLe16(bytes + api::kRecordAttributes.offset, member.attributes);
    StoreLe16(bytes + api::kRecordFolderIndex.offset, member.folderIndex);
    StoreLe16(bytes + api::kRecordCompression.offset, compression);
    StoreLe32(bytes + api::kRecordPosition.offset, static_cast<std::uint32_t>(index));
    StoreLe32(bytes + api::kRecordFolderOffset.offset, member.folderOffset);
    PutText(bytes, api::kRecordPath, MemberNameAsAnsi(member));
    char buffer[16];
    PutText(bytes, api::kRecordMethod, CompressionName(compression, buffer));
}

}  // namespace cab32
