// Reads the source files one after another as 32 KB frames of folder data.
// A folder ends where the writer asks (after a file continued into the
// next volume) or before a file that would make it too large to count.
// The reader can go back to where it was after an earlier frame, for the
// writer reads ahead of the frames it has placed.
#pragma once

#include <cstdint>
#include <vector>

#include "cabinet_writer.h"
#include "cabinet_content.h"
#include "win_file.h"

namespace cab32 {

// Files [first, last] a frame has data of (or passes, for empty files).
struct FileRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    bool empty = true;
};

struct Frame {
    std::vector<std::uint8_t> data;
    FileRange files;
    bool startsFolder = false;
    bool endsFolder = false;
};

// Where the reader is: enough to go back there.
struct ReaderPosition {
    std::uint32_t cursor = 0;
    std::uint32_t consumed = 0;  // bytes read of the cursor's file
    bool opened = false;         // the cursor's file has started
    bool inFolder = false;
    std::uint32_t folderEnd = 0;  // index of the first file after the folder
    std::uint32_t folderStart = 0;
    std::uint64_t folderBytes = 0;
};

class InputReader {
public:
    InputReader(const std::vector<WriterInputFile>& sources, std::vector<FileRecord>& records,
                std::uint64_t maxFolderBytes);

    // The next frame; false with `done` set when every file has been read.
    // Sets each file's folder offset as it starts.
    WriteResult Next(Frame& frame, bool& done);

    const ReaderPosition& Position() const { return at_; }
    // Goes back to a position this reader has been at.
    void Rewind(const ReaderPosition& position);

    // Ends the current folder after file `last`.
    void EndFolderAfter(std::uint32_t last);

    // True while the folder has more data to come after `position`, when it
    // ends at file index `folderEnd` at the latest.
    bool FolderContinues(const ReaderPosition& position, std::uint32_t folderEnd) const {
        return position.inFolder && position.cursor < std::min(folderEnd, position.folderEnd);
    }

    // Entry bytes of the files the folder's next frame after `position`
    // would start, or 0 when the folder ends with the frame before it.
    std::uint64_t NextFrameNewEntryBytes(const ReaderPosition& position, std::uint32_t folderEnd) const;

private:
    bool StartFile();
    WriteResult ReadInto(std::vector<std::uint8_t>& data);

    const std::vector<WriterInputFile>& sources_;
    std::vector<FileRecord>& records_;
    std::uint64_t maxFolderBytes_;
    ReaderPosition at_;
    WinFile file_;
};

}  // namespace cab32
