#include "input_reader.h"

#include <algorithm>

#include "frame_encoder.h"

namespace cab32 {
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

void InputReader::Rewind(const ReaderPosition& position) {
    file_.Close();  // opened again at `consumed` when read
    at_ = position;
}

void InputReader::EndFolderAfter(std::uint32_t last) {
    if (last + 1 < at_.folderEnd) at_.folderEnd = last + 1;
}

// Starts the cursor's file in the folder, unless it would overfill it.
bool InputReader::StartFile() {
    const FileRecord& record = records_[at_.cursor];
    if (at_.cursor > at_.folderStart && at_.folderBytes + record.size > maxFolderBytes_) {
        at_.folderEnd = at_.cursor;
        return false;
    }
    records_[at_.cursor].folderOffset = static_cast<std::uint32_t>(at_.folderBytes);
    at_.opened = true;
    at_.consumed = 0;
    return true;
}

WriteResult InputReader::ReadInto(std::vector<std::uint8_t>& data) {
    const WriterInputFile& source = sources_[at_.cursor];
    if (!file_.IsOpen()) {
        file_ = WinFile::OpenForReading(source.sourcePath);
        if (!file_.IsOpen() || (at_.consumed > 0 && !file_.Seek(at_.consumed)))
            return Failure(WriteError::SourceUnreadable, source.displayPath);
    }
    const std::uint32_t want = std::min<std::uint32_t>(records_[at_.cursor].size - at_.consumed,
                                                       static_cast<std::uint32_t>(kFrameSize - data.size()));
    const std::size_t start = data.size();
    data.resize(start + want);
    std::uint32_t got = 0;
    if (!file_.Read(data.data() + start, want, got)) return Failure(WriteError::SourceUnreadable, source.displayPath);
    if (got != want) return Failure(WriteError::SourceChanged, source.displayPath);
    at_.consumed += want;
    at_.folderBytes += want;
    return {};
}

WriteResult InputReader::Next(Frame& frame, bool& done) {
    frame.data.clear();
    frame.files = {at_.cursor, at_.cursor, true};
    frame.startsFolder = !at_.inFolder;
    frame.endsFolder = false;
    done = false;
    if (!at_.inFolder) {
        if (at_.cursor >= records_.size()) {
            done = true;
            return {};
        }
        at_.inFolder = true;
        at_.opened = false;  // a file started at the end of the last folder starts again here
        at_.folderStart = at_.cursor;
        at_.folderEnd = static_cast<std::uint32_t>(records_.size());
        at_.folderBytes = 0;
    }
    while (at_.cursor < at_.folderEnd) {
        if (!at_.opened && !StartFile()) break;
        const std::uint32_t size = records_[at_.cursor].size;
        if (at_.consumed < size || size == 0) {
            if (frame.data.size() == kFrameSize) return {};  // the file goes on in the next frame
            if (at_.consumed < size)
                if (WriteResult r = ReadInto(frame.data); r.error != WriteError::None) return r;
            frame.files.last = at_.cursor;
            frame.files.empty = false;
            if (at_.consumed < size) continue;
        }
        std::uint64_t sizeNow = 0;
        if (file_.IsOpen() && (!file_.Size(sizeNow) || sizeNow != size))
            return Failure(WriteError::SourceChanged, sources_[at_.cursor].displayPath);
        file_.Close();
        at_.opened = false;
        ++at_.cursor;
    }
    frame.endsFolder = true;
    at_.inFolder = false;
    return {};
}

std::uint64_t InputReader::NextFrameNewEntryBytes(const ReaderPosition& position, std::uint32_t folderEnd) const {
    if (!position.inFolder) return 0;
    const std::uint32_t end = std::min(folderEnd, position.folderEnd);
    std::uint64_t room = kFrameSize;
    std::uint64_t bytes = 0;
    std::uint32_t index = position.cursor;
    if (position.opened && position.consumed > 0) {
        const std::uint64_t rest = records_[index].size - position.consumed;
        if (rest >= room) return 0;
        room -= rest;
        ++index;
    }
    for (; index < end && room > 0; ++index) {
        bytes += FileEntrySize(records_[index].name);
        room -= std::min<std::uint64_t>(room, records_[index].size);
    }
    return bytes;
}

}  // namespace cab32
