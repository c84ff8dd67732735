// What one cabinet file holds while it is being filled: its folders, the
// file entries it lists and the pieces of compressed data, and the header
// (CFHEADER, CFFOLDER and CFFILE entries) built from them. No file access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format.h"

namespace cab32 {

struct FileRecord {
    std::string name;  // stored bytes, code page 932
    std::uint32_t size = 0;
    std::uint32_t folderOffset = 0;  // set when the file's folder is known
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;
};

struct ListedFile {
    std::uint32_t file = 0;         // index into the file records
    std::uint16_t folderIndex = 0;  // folder in this cabinet, or a continuation marker
};

// Compressed bytes of one data block, or of part of a block cut at a
// volume's end (then uncompressedSize is 0 in every part but the last).
struct DataPiece {
    std::uint64_t scratchOffset = 0;
    std::uint32_t length = 0;
    std::uint16_t uncompressedSize = 0;
};

struct CabinetNames {
    std::string previous;  // empty: the first cabinet of a set
    std::string next;      // empty: the last
};

class CabinetContent {
public:
    void AddFolder(std::uint16_t compressionType);
    void RemoveLastFolder();
    int FolderCount() const { return static_cast<int>(folders_.size()); }
    bool LastFolderHasData() const { return !folders_.empty() && folders_.back().pieces != 0; }

    void ListFile(std::uint32_t file, std::uint16_t folderIndex, const std::string& name);
    // Marks the listed files [first, last] as continuing in the next cabinet.
    void MarkContinuedToNext(std::uint32_t first, std::uint32_t last);
    const std::vector<ListedFile>& Files() const { return files_; }

    void AddPiece(const DataPiece& piece);
    const std::vector<DataPiece>& Pieces() const { return pieces_; }
    bool Empty() const { return pieces_.empty() && files_.empty(); }

    // Header size with these names, plus one extra folder and extra file
    // entries of `extraEntryBytes` when asked (to test whether they fit).
    std::uint64_t HeaderSize(const CabinetNames& names, std::uint64_t extraEntryBytes = 0) const;
    std::uint64_t DataSize() const { return dataBytes_; }

    std::vector<std::uint8_t> BuildHeader(const std::vector<FileRecord>& records, const CabinetNames& names,
                                          std::uint16_t setId, std::uint16_t cabinetIndex) const;

private:
    struct Folder {
        std::uint16_t compressionType = 0;
        std::uint32_t pieces = 0;
    };
    std::vector<Folder> folders_;
    std::vector<ListedFile> files_;
    std::vector<DataPiece> pieces_;
    std::uint64_t entryBytes_ = 0;
    std::uint64_t dataBytes_ = 0;
};

// Size of a CFFILE entry for a stored name.
inline std::uint64_t FileEntrySize(const std::string& name) { return 16 + name.size() + 1; }

inline constexpr std::uint32_t kDataHeaderSize = 8;
inline constexpr std::uint32_t kFolderEntrySize = 8;

}  // namespace cab32
