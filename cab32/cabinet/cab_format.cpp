#include "cab_format.h"

#include <algorithm>
#include <cstring>

#include "data_block.h"

namespace cab32 {

namespace {

constexpr std::uint32_t kHeaderSize = 36;
constexpr std::uint16_t kFlagPrevious = 1;
constexpr std::uint16_t kFlagNext = 2;
constexpr std::uint16_t kFlagReserve = 4;
constexpr std::size_t kMaxName = 256;


// A cursor over bytes read from the cabinet; every read is bounds-checked.
class ByteCursor {
public:
    explicit ByteCursor(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    bool Has(std::size_t count) const { return count <= bytes_.size() - position_; }
    const unsigned char* Take(std::size_t count) {
        if (!Has(count)) return nullptr;
        const unsigned char* p = bytes_.data() + position_;
        position_ += count;
        return p;
    }
    bool String(std::string& text) {
        const std::size_t limit = std::min(bytes_.size(), position_ + kMaxName);
        for (std::size_t i = position_; i < limit; ++i) {
            if (bytes_[i] == 0) {
                text.assign(reinterpret_cast<const char*>(bytes_.data() + position_), i - position_);
                position_ = i + 1;
                return true;
            }
        }
        return false;
    }
    std::size_t Position() const { return position_; }

private:
    std::vector<unsigned char> bytes_;
    std::size_t position_ = 0;
};

bool ReadBlock(const CabSource& source, std::int64_t offset, std::size_t count, std::vector<unsigned char>& bytes) {
    bytes.resize(count);
    return count == 0 || source.Read(offset, bytes.data(), static_cast<std::uint32_t>(count));
}

struct HeaderFields {
    std::uint32_t filesOffset = 0;
    std::uint16_t folderCount = 0;
    std::uint16_t fileCount = 0;
    std::uint16_t folderReserve = 0;
};

// Header, optional reserve and neighbour names, then the folder table.
CabFault ParseHeaderAndFolders(ByteCursor& cursor, CabDirectory& dir, HeaderFields& fields) {
    const unsigned char* h = cursor.Take(kHeaderSize);
    if (!h || std::memcmp(h, "MSCF", 4) != 0 || ReadLe32(h + 4) != 0) return CabFault::NotCabinet;
    if (h[25] != 1) return CabFault::NotCabinet;  // format version 1.x
    dir.cabinetSize = ReadLe32(h + 8);
    fields.filesOffset = ReadLe32(h + 16);
    fields.folderCount = ReadLe16(h + 26);
    fields.fileCount = ReadLe16(h + 28);
    const std::uint16_t flags = ReadLe16(h + 30);
    dir.setId = ReadLe16(h + 32);
    dir.cabinetIndex = ReadLe16(h + 34);
    if (flags & kFlagReserve) {
        const unsigned char* r = cursor.Take(4);
        if (!r || !cursor.Take(ReadLe16(r))) return CabFault::BadTables;
        fields.folderReserve = r[2];
        dir.dataReserve = r[3];
    }
    std::string disk;
    if ((flags & kFlagPrevious) && !(cursor.String(dir.previousCabinet) && cursor.String(disk))) {
        return CabFault::BadTables;
    }
    if ((flags & kFlagNext) && !(cursor.String(dir.nextCabinet) && cursor.String(disk))) return CabFault::BadTables;
    for (std::uint16_t i = 0; i < fields.folderCount; ++i) {
        const unsigned char* f = cursor.Take(8);
        if (!f || !cursor.Take(fields.folderReserve)) return CabFault::BadTables;
        CabFolder folder{ReadLe32(f), ReadLe16(f + 4), ReadLe16(f + 6)};
        if (folder.dataOffset > dir.cabinetSize) return CabFault::BadTables;
        dir.folders.push_back(folder);
    }
    return cursor.Position() <= fields.filesOffset ? CabFault::None : CabFault::BadTables;
}

bool FolderIndexValid(std::uint16_t index, std::size_t folderCount) {
    return index < folderCount || index >= kContinuedFromPrevious;
}

CabFault ParseFiles(ByteCursor& cursor, CabDirectory& dir, std::uint16_t fileCount) {
    dir.members.reserve(fileCount);
    for (std::uint16_t i = 0; i < fileCount; ++i) {
        const unsigned char* f = cursor.Take(16);
        if (!f) return CabFault::Truncated;
        CabMember member{ReadLe32(f), ReadLe32(f + 4), ReadLe16(f + 8), ReadLe16(f + 10), ReadLe16(f + 12), ReadLe16(f + 14), {}};
        if (!cursor.String(member.name)) return cursor.Has(1) ? CabFault::BadTables : CabFault::Truncated;
        if (member.name.empty() || !FolderIndexValid(member.folderIndex, dir.folders.size())) {
            return CabFault::BadTables;
        }
        dir.members.push_back(std::move(member));
    }
    return CabFault::None;
}

// Small reads through a 4 KB window: following the headers of many small
// data blocks costs one read per window instead of one per header.
class WindowedReader {
public:
    WindowedReader(const CabSource& source, std::int64_t limit) : source_(source), limit_(limit) {}

    // `count` bytes at `offset` (at most the window), or null when they lie
    // past the limit or cannot be read.
    const unsigned char* At(std::int64_t offset, std::size_t count) {
        if (offset < 0 || count > kWindow || offset + static_cast<std::int64_t>(count) > limit_) return nullptr;
        if (offset < start_ || offset + static_cast<std::int64_t>(count) > start_ + static_cast<std::int64_t>(filled_)) {
            filled_ = static_cast<std::size_t>(std::min<std::int64_t>(std::int64_t{kWindow}, limit_ - offset));
            if (!source_.Read(offset, window_, static_cast<std::uint32_t>(filled_))) {
                filled_ = 0;
                return nullptr;
            }
            start_ = offset;
        }
        return window_ + (offset - start_);
    }

private:
    static constexpr std::size_t kWindow = 4096;
    const CabSource& source_;
    std::int64_t limit_;
    std::int64_t start_ = 0;
    std::size_t filled_ = 0;
    unsigned char window_[kWindow];
};

struct FolderData {
    std::int64_t begin = 0;       // first data block header
    std::int64_t end = 0;         // just after the last block
    std::int64_t plainBytes = 0;  // the folder's size once decompressed
};

// Follows the data block headers of one folder; false when a block is too
// large or runs past the end of the cabinet.
bool WalkFolderBlocks(WindowedReader& reader, const CabDirectory& dir, const CabFolder& folder, FolderData& data) {
    std::int64_t offset = folder.dataOffset;
    data.begin = offset;
    for (std::uint16_t block = 0; block < folder.dataBlocks; ++block) {
        const unsigned char* bytes = reader.At(offset, kBlockHeaderSize);
        if (!bytes) return false;
        const DataBlockHeader header = ReadDataBlockHeader(bytes);
        if (!header.SizesFit()) return false;
        offset += kBlockHeaderSize + dir.dataReserve + header.dataSize;
        if (offset > dir.cabinetSize) return false;
        data.plainBytes += header.plainSize;
    }
    data.end = offset;
    return true;
}

// Folders whose data share bytes (with each other or with the tables) could
// make a reader go over the same bytes again and again.
bool FolderDataApart(std::vector<FolderData> folders, std::int64_t tablesEnd) {
    std::erase_if(folders, [](const FolderData& f) { return f.begin == f.end; });
    std::sort(folders.begin(), folders.end(),
              [](const FolderData& a, const FolderData& b) { return a.begin < b.begin; });
    std::int64_t previousEnd = tablesEnd;
    for (const FolderData& folder : folders) {
        if (folder.begin < previousEnd) return false;
        previousEnd = folder.end;
    }
    return true;
}

CabFault CheckDataBlocks(const CabSource& source, const CabDirectory& dir, std::int64_t tablesEnd) {
    // Each block header takes at least 8 bytes after the tables, so the file
    // cannot hold more blocks than its size allows.
    std::int64_t blocks = 0;
    for (const CabFolder& folder : dir.folders) blocks += folder.dataBlocks;
    if (blocks * (8 + dir.dataReserve) > std::int64_t{dir.cabinetSize} - tablesEnd) return CabFault::BadTables;

    WindowedReader reader(source, dir.cabinetSize);
    std::vector<FolderData> folders(dir.folders.size());
    for (std::size_t i = 0; i < dir.folders.size(); ++i) {
        if (!WalkFolderBlocks(reader, dir, dir.folders[i], folders[i])) return CabFault::Truncated;
    }
    if (!FolderDataApart(folders, tablesEnd)) return CabFault::BadTables;
    for (const CabMember& member : dir.members) {
        // A member of a folder that goes on in the next cabinet may end there.
        const bool lastFolderSpans = !dir.nextCabinet.empty() && member.folderIndex + 1u == dir.folders.size();
        if (member.folderIndex >= dir.folders.size() || lastFolderSpans) continue;
        if (std::int64_t{member.folderOffset} + member.size > folders[member.folderIndex].plainBytes) {
            return CabFault::BadTables;
        }
    }
    return CabFault::None;
}

}  // namespace

CabFault ReadCabDirectory(const CabSource& source, CabDirectory& dir, bool walkDataBlocks) {
    dir = {};
    const std::int64_t available = source.Size();
    if (available < 0) return CabFault::Unreadable;
    std::vector<unsigned char> bytes;
    if (available < kHeaderSize || !ReadBlock(source, 0, 4, bytes) || std::memcmp(bytes.data(), "MSCF", 4) != 0) {
        return CabFault::NotCabinet;
    }
    ReadBlock(source, 0, kHeaderSize, bytes);
    const std::uint32_t declaredSize = ReadLe32(bytes.data() + 8);
    const std::uint32_t filesOffset = ReadLe32(bytes.data() + 16);
    if (declaredSize > available) return CabFault::Truncated;
    if (filesOffset < kHeaderSize || filesOffset > declaredSize || filesOffset > 16 * 1024 * 1024) {
        return CabFault::BadTables;
    }
    if (!ReadBlock(source, 0, filesOffset, bytes)) return CabFault::Unreadable;
    ByteCursor head(std::move(bytes));
    HeaderFields fields;
    if (CabFault fault = ParseHeaderAndFolders(head, dir, fields); fault != CabFault::None) return fault;
    const std::size_t tableLimit = std::size_t{fields.fileCount} * (16 + kMaxName);
    const std::size_t tableSize = std::min<std::size_t>(declaredSize - filesOffset, tableLimit);
    if (!ReadBlock(source, filesOffset, tableSize, bytes)) return CabFault::Unreadable;
    ByteCursor files(std::move(bytes));
    if (CabFault fault = ParseFiles(files, dir, fields.fileCount); fault != CabFault::None) return fault;
    if (!dir.members.empty() && dir.folders.empty()) return CabFault::BadTables;
    const std::int64_t tablesEnd = std::int64_t{filesOffset} + static_cast<std::int64_t>(files.Position());
    if (walkDataBlocks) {
        if (CabFault fault = CheckDataBlocks(source, dir, tablesEnd); fault != CabFault::None) return fault;
    }
    const bool decodable = std::all_of(dir.folders.begin(), dir.folders.end(),
                                       [](const CabFolder& f) { return IsDecodableCompression(f.compression); });
    return decodable ? CabFault::None : CabFault::UnknownCompression;
}

bool IsDecodableCompression(std::uint16_t compression) {
    const unsigned window = TypeWindowBits(compression);
    switch (TypeMethod(compression)) {
        case static_cast<unsigned>(Compression::None):
        case static_cast<unsigned>(Compression::Mszip):
            return true;
        case static_cast<unsigned>(Compression::Quantum): {
            const unsigned level = TypeLevel(compression);
            return level >= 1 && level <= 7 && window >= 10 && window <= 21;
        }
        case static_cast<unsigned>(Compression::Lzx): return window >= 15 && window <= 21;
        default: return false;
    }
}

CabFault VerifyDataChecksums(const CabSource& source, const CabDirectory& dir) {
    std::vector<unsigned char> block;
    std::vector<unsigned char> data;
    for (const CabFolder& folder : dir.folders) {
        std::int64_t offset = folder.dataOffset;
        for (std::uint16_t i = 0; i < folder.dataBlocks; ++i) {
            const std::size_t headerSize = kBlockHeaderSize + dir.dataReserve;
            if (!ReadBlock(source, offset, headerSize, block)) return CabFault::Truncated;
            const DataBlockHeader header = ReadDataBlockHeader(block.data());
            if (!ReadBlock(source, offset + static_cast<std::int64_t>(headerSize), header.dataSize, data)) {
                return CabFault::Truncated;
            }
            if (!DataBlockChecksumMatches(block, data)) return CabFault::BadChecksum;
            offset += static_cast<std::int64_t>(headerSize) + header.dataSize;
        }
    }
    return CabFault::None;
}

}  // namespace cab32
