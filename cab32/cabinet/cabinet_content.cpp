#include "cabinet_content.h"

namespace cab32 {
namespace {

constexpr std::uint32_t kHeaderFixedSize = 36;

void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

std::uint64_t NamesSize(const CabinetNames& names) {
    std::uint64_t size = 0;
    if (!names.previous.empty()) size += names.previous.size() + 2;  // name and an empty disk label
    if (!names.next.empty()) size += names.next.size() + 2;
    return size;
}

}  // namespace

void CabinetContent::AddFolder(std::uint16_t compressionType) { folders_.push_back({compressionType, 0}); }

void CabinetContent::RemoveLastFolder() { folders_.pop_back(); }

void CabinetContent::ListFile(std::uint32_t file, std::uint16_t folderIndex, const std::string& name) {
    files_.push_back({file, folderIndex});
    entryBytes_ += FileEntrySize(name);
}

void CabinetContent::MarkContinuedToNext(std::uint32_t first, std::uint32_t last) {
    for (ListedFile& listed : files_) {
        if (listed.file < first || listed.file > last) continue;
        listed.folderIndex = listed.folderIndex == kContinuedFromPrevious || listed.folderIndex == kContinuedBothWays
                                 ? kContinuedBothWays
                                 : kContinuedToNext;
    }
}

void CabinetContent::AddPiece(const DataPiece& piece) {
    pieces_.push_back(piece);
    ++folders_.back().pieces;
    dataBytes_ += kDataHeaderSize + piece.length;
}

std::uint64_t CabinetContent::HeaderSize(const CabinetNames& names, std::uint64_t extraEntryBytes) const {
    return kHeaderFixedSize + NamesSize(names) + kFolderEntrySize * folders_.size() + entryBytes_ + extraEntryBytes;
}

std::vector<std::uint8_t> CabinetContent::BuildHeader(const std::vector<FileRecord>& records,
                                                      const CabinetNames& names, std::uint16_t setId,
                                                      std::uint16_t cabinetIndex) const {
    std::vector<std::uint8_t> out;
    out.reserve(HeaderSize(names));
    AppendLe32(out, 0x4643534D);  // "MSCF"
    AppendLe32(out, 0);
    AppendLe32(out, 0);  // cabinet size, set below
    AppendLe32(out, 0);
    AppendLe32(out, 0);  // offset of the first CFFILE, set below
    AppendLe32(out, 0);
    out.push_back(3);  // format version 1.3
    out.push_back(1);
    AppendLe16(out, static_cast<std::uint32_t>(folders_.size()));
    AppendLe16(out, static_cast<std::uint32_t>(files_.size()));
    AppendLe16(out, (names.previous.empty() ? 0 : 0x0001) | (names.next.empty() ? 0 : 0x0002));
    AppendLe16(out, setId);
    AppendLe16(out, cabinetIndex);
    if (!names.previous.empty()) {
        PutText(out, names.previous);
        PutText(out, "");
    }
    if (!names.next.empty()) {
        PutText(out, names.next);
        PutText(out, "");
    }
    // Pieces are stored folder by folder, so each folder's data starts after
    // the pieces of the folders before it.
    std::uint64_t dataAt = HeaderSize(names);
    std::size_t piece = 0;
    for (const Folder& folder : folders_) {
        AppendLe32(out, static_cast<std::uint32_t>(dataAt));
        AppendLe16(out, folder.pieces);
        AppendLe16(out, folder.compressionType);
        for (std::uint32_t n = 0; n < folder.pieces; ++n, ++piece) dataAt += kDataHeaderSize + pieces_[piece].length;
    }
    StoreLe32(&out[16], static_cast<std::uint32_t>(out.size()));
    for (const ListedFile& listed : files_) {
        const FileRecord& file = records[listed.file];
        AppendLe32(out, file.size);
        AppendLe32(out, file.folderOffset);
        AppendLe16(out, listed.folderIndex);
        AppendLe16(out, file.dosDate);
        AppendLe16(out, file.dosTime);
        AppendLe16(out, file.attributes);
        PutText(out, file.name);
    }
    StoreLe32(&out[8], static_cast<std::uint32_t>(out.size() + dataBytes_));
    return out;
}

}  // namespace cab32
