// Reads the source files one after another as 32 KB frames of folder data.
// A folder ends where the writer asks (after a file continued into the
// next volume) or before a file that would make it too large to count.
#pragma once

#include <cstdint>
#include <vector>

#include "cabinet_writer.h"
#include "cabinet_content.h"
#include "win_file.h"

namespace tarvik::cabwriter {

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

class InputReader {
public:
    InputReader(const std::vector<WriterInputFile>& sources, std::vector<FileRecord>& records,
                std::uint64_t maxFolderBytes);

    // The next frame; false with `done` set when every file has been read.
    // Sets each file's folder offset as it starts.
    WriteResult Next(Frame& frame, bool& done);

    // Ends the current folder after file `last`.
    void EndFolderAfter(std::uint32_t last);

    // True while the current folder has more data to come.
    bool FolderContinues() const { return inFolder_ && cursor_ < folderEnd_; }

    // Entry bytes of the files the next frame of the current folder would
    // start, or 0 when the current folder ends with the frame just read.
    std::uint64_t NextFrameNewEntryBytes() const;

private:
    bool StartFile();
    WriteResult ReadInto(std::vector<std::uint8_t>& data);

    const std::vector<WriterInputFile>& sources_;
    std::vector<FileRecord>& records_;
    std::uint64_t maxFolderBytes_;
    std::uint32_t cursor_ = 0;
    std::uint32_t consumed_ = 0;  // bytes read of the cursor's file
    bool opened_ = false;         // the cursor's file has started
    WinFile file_;
    bool inFolder_ = false;
    std::uint32_t folderEnd_ = 0;  // index of the first file after the folder
    std::uint32_t folderStart_ = 0;
    std::uint64_t folderBytes_ = 0;
};

}  // namespace tarvik::cabwriter
