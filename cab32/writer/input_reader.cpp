#include "input_reader.h"

#include <algorithm>

#include "frame_encoder.h"

namespace tarvik::cabwriter {
namespace {

WriteResult Failure(WriteError error, std::string path) {
    WriteResult result;
    result.error = error;
    result.failedPath = std::move(path);
    return result;
}

}  // namespace

InputReader::InputReader(const std::vector<WriterInputFile>& sources, std::vector<FileRecord>& records,
                         std::uint64_t maxFolderBytes)
    : sources_(sources), records_(records), maxFolderBytes_(maxFolderBytes) {}

void InputReader::EndFolderAfter(std::uint32_t last) {
    if (last + 1 < folderEnd_) folderEnd_ = last + 1;
}

// Starts the cursor's file in the folder, unless it would overfill it.
bool InputReader::StartFile() {
    const FileRecord& record = records_[cursor_];
    if (cursor_ > folderStart_ && folderBytes_ + record.size > maxFolderBytes_) {
        folderEnd_ = cursor_;
        return false;
    }
    records_[cursor_].folderOffset = static_cast<std::uint32_t>(folderBytes_);
    opened_ = true;
    consumed_ = 0;
    return true;
}

WriteResult InputReader::ReadInto(std::vector<std::uint8_t>& data) {
    const WriterInputFile& source = sources_[cursor_];
    if (!file_.IsOpen()) {
        file_ = WinFile::OpenForReading(source.sourcePath);
        if (!file_.IsOpen()) return Failure(WriteError::SourceUnreadable, source.displayPath);
    }
    const std::uint32_t want = std::min<std::uint32_t>(records_[cursor_].size - consumed_,
                                                       static_cast<std::uint32_t>(kFrameSize - data.size()));
    const std::size_t at = data.size();
    data.resize(at + want);
    std::uint32_t got = 0;
    if (!file_.Read(data.data() + at, want, got)) return Failure(WriteError::SourceUnreadable, source.displayPath);
    if (got != want) return Failure(WriteError::SourceChanged, source.displayPath);
    consumed_ += want;
    folderBytes_ += want;
    return {};
}

WriteResult InputReader::Next(Frame& frame, bool& done) {
    frame.data.clear();
    frame.files = {cursor_, cursor_, true};
    frame.startsFolder = !inFolder_;
    frame.endsFolder = false;
    done = false;
    if (!inFolder_) {
        if (cursor_ >= records_.size()) {
            done = true;
            return {};
        }
        inFolder_ = true;
        opened_ = false;  // a file started at the end of the last folder starts again here
        folderStart_ = cursor_;
        folderEnd_ = static_cast<std::uint32_t>(records_.size());
        folderBytes_ = 0;
    }
    while (cursor_ < folderEnd_) {
        if (!opened_ && !StartFile()) break;
        const std::uint32_t size = records_[cursor_].size;
        if (consumed_ < size || size == 0) {
            if (frame.data.size() == kFrameSize) return {};  // the file goes on in the next frame
            if (consumed_ < size)
                if (WriteResult r = ReadInto(frame.data); r.error != WriteError::None) return r;
            frame.files.last = cursor_;
            frame.files.empty = false;
            if (consumed_ < size) continue;
        }
        std::uint64_t sizeNow = 0;
        if (file_.IsOpen() && (!file_.Size(sizeNow) || sizeNow != size))
            return Failure(WriteError::SourceChanged, sources_[cursor_].displayPath);
        file_.Close();
        opened_ = false;
        ++cursor_;
    }
    frame.endsFolder = true;
    inFolder_ = false;
    return {};
}

std::uint64_t InputReader::NextFrameNewEntryBytes() const {
    if (!inFolder_) return 0;
    std::uint64_t room = kFrameSize;
    std::uint64_t bytes = 0;
    std::uint32_t index = cursor_;
    if (opened_ && consumed_ > 0) {
        const std::uint64_t rest = records_[index].size - consumed_;
        if (rest >= room) return 0;
        room -= rest;
        ++index;
    }
    for (; index < folderEnd_ && room > 0; ++index) {
        bytes += FileEntrySize(records_[index].name);
        room -= std::min<std::uint64_t>(room, records_[index].size);
    }
    return bytes;
}

}  // namespace tarvik::cabwriter
