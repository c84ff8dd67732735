#include "cabinet_writer.h"

#include <windows.h>

#include <deque>
#include <span>

#include "cab_checksum.h"
#include "cab_format.h"
#include "cabinet_content.h"
#include "input_reader.h"
#include "sjis_path.h"
#include "win_file.h"

namespace tarvik::cabwriter {
namespace {

using cab32::kNameIsUtf8;

constexpr std::size_t kMaxFiles = 0xFFFF;
constexpr std::size_t kMaxNameBytes = 255;
// A folder counts its data blocks in 16 bits.
constexpr std::uint64_t kMaxFolderBytes = std::uint64_t{0xFFFF} * kFrameSize;
// Frames an LZX block covers in a single cabinet: its trees are sent once
// for 128 KB instead of for every 32 KB (about 0.7% smaller).
constexpr int kFramesPerLzxBlock = 4;
constexpr std::uint16_t kAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

WriteResult Failure(WriteError error, std::string path = {}) {
    WriteResult result;
    result.error = error;
    result.failedPath = std::move(path);
    return result;
}

bool Failed(const WriteResult& result) { return result.error != WriteError::None; }

WriteResult CheckRequest(const std::vector<WriterInputFile>& files, const WriterOptions& options) {
    if (files.size() > kMaxFiles) return Failure(WriteError::TooManyFiles);
    for (const WriterInputFile& file : files) {
        if (file.storedName.empty()) return Failure(WriteError::EmptyName, file.displayPath);
        if (file.storedName.size() > kMaxNameBytes) return Failure(WriteError::NameTooLong, file.storedName);
    }
    if (options.volumeSizeBytes == 0 ? options.cabinetPath.empty() : !options.volumePath)
        return Failure(WriteError::NoOutputName);
    return {};
}

// Sizes every source; a file must fit in one folder.
WriteResult MeasureSources(const std::vector<WriterInputFile>& files, std::vector<FileRecord>& records,
                           std::uint64_t& total) {
    total = 0;
    for (const WriterInputFile& file : files) {
        WinFile source = WinFile::OpenForReading(file.sourcePath);
        std::uint64_t size = 0;
        if (!source.IsOpen() || !source.Size(size)) return Failure(WriteError::SourceUnreadable, file.displayPath);
        if (size > kMaxFolderBytes) return Failure(WriteError::SourceTooLarge, file.displayPath);
        FileRecord record;
        record.name = file.storedName;
        record.size = static_cast<std::uint32_t>(size);
        record.dosDate = file.dosDate;
        record.dosTime = file.dosTime;
        record.attributes = static_cast<std::uint16_t>((file.attributes & kAttributeMask) | (file.nameIsUtf8 ? kNameIsUtf8 : 0));
        records.push_back(record);
        total += size;
    }
    return {};
}

void AppendLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Where CFHEADER holds the set ID.
constexpr std::uint64_t kSetIdOffset = 32;

// The set ID is a digest of everything that goes into the set: the
// settings, each file's stored name, size, date, time and attributes, and
// its bytes as they are read, folded to 16 bits. The same sources with the
// same settings therefore give byte-identical cabinets run after run, while two
// different sets (made on the same day or not) differ with near certainty,
// which is what the ID is for: telling the volumes of one set from
// another's. Each step is a bijection of the state for a given word, so
// sources that differ in one word always leave different states.
class SetIdDigest {
public:
    void Add(std::uint64_t value) {
        state_ ^= value;
        state_ *= 0x9E3779B97F4A7C15ull;
        state_ ^= state_ >> 32;
    }
    void Add(std::span<const std::uint8_t> bytes) {
        Add(bytes.size());
        std::size_t at = 0;
        for (; at + 8 <= bytes.size(); at += 8) {
            std::uint64_t word = 0;
            for (int i = 0; i < 8; ++i) word |= std::uint64_t{bytes[at + i]} << (8 * i);
            Add(word);
        }
        std::uint64_t tail = 0;
        for (int i = 0; at < bytes.size(); ++at, ++i) tail |= std::uint64_t{bytes[at]} << (8 * i);
        Add(tail);
    }
    void Add(const std::string& text) {
        Add(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    std::uint16_t SetId() const {
        std::uint64_t h = state_;  // the 64-bit finalizer of MurmurHash3: every bit reaches every other
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        h *= 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 33;
        return static_cast<std::uint16_t>(h ^ (h >> 16) ^ (h >> 32) ^ (h >> 48));
    }

private:
    std::uint64_t state_ = 0x243F6A8885A308D3ull;
};

// Compresses the folders and fills the cabinets one after another. A
// volume that fills up inside a folder ends in the middle of a data block;
// the files that block touches are listed in both volumes as continued,
// and their folder ends with the last of them, as readers expect: the
// continued folder of a volume holds only files carried over from the
// volume before.
class CabinetSetWriter {
public:
    CabinetSetWriter(const std::vector<WriterInputFile>& sources, std::vector<FileRecord>& records,
                     const WriterOptions& options, WinFile& scratch, std::uint64_t total)
        : records_(records),
          options_(options),
          scratch_(scratch),
          reader_(sources, records, kMaxFolderBytes),
          listedIn_(records.size(), 0),
          total_(total),
          compressionType_(FolderCompressionType(options.compression, options.lzxWindowBits)) {
        for (const std::uint64_t setting : {std::uint64_t{compressionType_}, std::uint64_t(options.mszipLevel),
                                            std::uint64_t{options.volumeSizeBytes}, std::uint64_t{records.size()}}) {
            digest_.Add(setting);
        }
        for (const FileRecord& record : records) {
            digest_.Add(record.name);
            digest_.Add(record.size);
            digest_.Add(std::uint64_t{record.dosDate} << 32 | std::uint64_t{record.dosTime} << 16 | record.attributes);
        }
    }

    WriteResult Run();
    std::vector<std::string>& Written() { return written_; }
    // Known once every source has been read (the last cabinet is written
    // with it; the volumes before it hold 0 until SetSetIdOfEarlierVolumes).
    std::uint16_t SetId() const { return digest_.SetId(); }
    std::uint64_t WrittenBytes() const { return writtenBytes_; }

private:
    WriteResult HandleFrame(const Frame& frame);
    WriteResult Place(std::span<const std::uint8_t> block, std::uint16_t uncompressed, FileRange touched);
    WriteResult Cut(std::uint32_t first, std::uint32_t last);
    WriteResult MoveFolderToNextCabinet(FileRange touched);
    WriteResult AddPiece(std::span<const std::uint8_t> bytes, std::uint16_t uncompressed);
    WriteResult CloseCabinet(bool more);
    void ListNewFiles(FileRange touched);
    WriteResult ListEmptyFiles(FileRange touched);
    std::uint64_t NewEntryBytes(FileRange touched) const;
    std::uint64_t ReserveForNextBlock() const;
    std::string CabinetPath(int number) const;
    CabinetNames NamesFor(bool more) const;

    std::vector<FileRecord>& records_;
    const WriterOptions& options_;
    WinFile& scratch_;
    InputReader reader_;
    std::unique_ptr<FrameEncoder> encoder_;
    struct WaitingFrame {
        std::uint16_t size;
        FileRange files;
    };
    std::deque<WaitingFrame> waiting_;  // frames given to the encoder whose blocks are not placed yet
    Payloads ready_;
    CabinetContent cabinet_;
    int number_ = 1;
    std::uint64_t scratchEnd_ = 0;
    std::vector<int> listedIn_;  // the cabinet number that lists each file last
    bool folderIsContinuation_ = false;
    std::uint32_t folderFirstFile_ = 0;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::uint16_t compressionType_;
    std::vector<std::string> written_;
    std::uint64_t writtenBytes_ = 0;
    SetIdDigest digest_;
};

WriteResult CabinetSetWriter::Run() {
    Frame frame;
    for (;;) {
        bool finished = false;
        if (WriteResult r = reader_.Next(frame, finished); Failed(r)) return r;
        if (finished) break;
        digest_.Add(frame.data);
        if (WriteResult r = HandleFrame(frame); Failed(r)) return r;
    }
    return CloseCabinet(false);
}

// Compresses a frame and places the blocks that are ready. LZX holds
// several frames per block in a single cabinet; in volumes every frame is
// placed at once, as a cut must be able to end the folder right after it.
WriteResult CabinetSetWriter::HandleFrame(const Frame& frame) {
    if (frame.startsFolder) {
        const int framesPerBlock = options_.volumeSizeBytes == 0 ? kFramesPerLzxBlock : 1;
        encoder_ = MakeFrameEncoder(options_.compression, options_.lzxWindowBits, options_.mszipLevel, framesPerBlock);
        if (!encoder_) return Failure(WriteError::BadSettings);
        cabinet_.AddFolder(compressionType_);
        folderIsContinuation_ = false;
        folderFirstFile_ = frame.files.first;
    }
    ready_.clear();
    if (!frame.data.empty()) {
        waiting_.push_back({static_cast<std::uint16_t>(frame.data.size()), frame.files});
        if (!encoder_->Encode(frame.data, ready_)) return Failure(WriteError::CompressorFailed);
    }
    if (frame.endsFolder && !encoder_->Finish(ready_)) return Failure(WriteError::CompressorFailed);
    for (const std::vector<std::uint8_t>& payload : ready_) {
        const WaitingFrame waiting = waiting_.front();
        waiting_.pop_front();
        if (WriteResult r = Place(payload, waiting.size, waiting.files); Failed(r)) return r;
    }
    if (frame.data.empty()) return ListEmptyFiles(frame.files);
    done_ += frame.data.size();
    if (options_.progress && !options_.progress(done_, total_)) return Failure(WriteError::Cancelled);
    return {};
}

// Places one compressed block, cutting it at the end of each volume it fills.
WriteResult CabinetSetWriter::Place(std::span<const std::uint8_t> block, std::uint16_t uncompressed,
                                    FileRange touched) {
    const std::uint64_t limit = options_.volumeSizeBytes;
    for (;;) {
        const std::uint64_t fixed =
            cabinet_.HeaderSize(NamesFor(true), NewEntryBytes(touched)) + cabinet_.DataSize() + kDataHeaderSize;
        if (limit == 0 || fixed + block.size() + ReserveForNextBlock() <= limit) {
            ListNewFiles(touched);
            return AddPiece(block, uncompressed);
        }
        const std::uint64_t room = fixed < limit ? limit - fixed : 0;
        const std::uint64_t take = std::min<std::uint64_t>(room, block.size() - 1);
        if (take == 0) {
            if (cabinet_.LastFolderHasData() || folderIsContinuation_ || cabinet_.FolderCount() < 2)
                return Failure(WriteError::VolumeTooSmall);
            if (WriteResult r = MoveFolderToNextCabinet(touched); Failed(r)) return r;
            continue;
        }
        ListNewFiles(touched);
        if (WriteResult r = AddPiece(block.first(take), 0); Failed(r)) return r;
        block = block.subspan(take);
        if (WriteResult r = Cut(folderIsContinuation_ ? folderFirstFile_ : touched.first, touched.last); Failed(r))
            return r;
    }
}

// Closes the volume inside the current folder: files [first, last] go on
// in the next volume, where the folder ends with them.
WriteResult CabinetSetWriter::Cut(std::uint32_t first, std::uint32_t last) {
    cabinet_.MarkContinuedToNext(first, last);
    reader_.EndFolderAfter(last);
    if (WriteResult r = CloseCabinet(true); Failed(r)) return r;
    cabinet_.AddFolder(compressionType_);
    for (std::uint32_t file = first; file <= last; ++file) {
        cabinet_.ListFile(file, kContinuedFromPrevious, records_[file].name);
        listedIn_[file] = number_;
    }
    folderIsContinuation_ = true;
    folderFirstFile_ = first;
    return {};
}

// A folder whose first block does not fit starts in the next volume instead.
WriteResult CabinetSetWriter::MoveFolderToNextCabinet(FileRange touched) {
    cabinet_.RemoveLastFolder();
    if (WriteResult r = CloseCabinet(true); Failed(r)) return r;
    cabinet_.AddFolder(compressionType_);
    folderFirstFile_ = touched.first;
    return {};
}

WriteResult CabinetSetWriter::AddPiece(std::span<const std::uint8_t> bytes, std::uint16_t uncompressed) {
    const auto length = static_cast<std::uint32_t>(bytes.size());
    if (!scratch_.Seek(scratchEnd_) || !scratch_.Write(bytes.data(), length)) return Failure(WriteError::ScratchFailed);
    cabinet_.AddPiece({scratchEnd_, length, uncompressed});
    scratchEnd_ += length;
    return {};
}

// Writes the current cabinet file and starts the next one empty.
WriteResult CabinetSetWriter::CloseCabinet(bool more) {
    const CabinetNames names = NamesFor(more);
    const std::string path = CabinetPath(number_);
    // Only the last cabinet is written after every source has been read.
    const std::vector<std::uint8_t> header =
        cabinet_.BuildHeader(records_, names, more ? 0 : SetId(), static_cast<std::uint16_t>(number_ - 1));
    if (header.size() + cabinet_.DataSize() > 0xFFFFFFFFull) return Failure(WriteError::InputTooLarge);
    WinFile out = WinFile::CreateNew(path);
    if (!out.IsOpen())
        return Failure(GetLastError() == ERROR_FILE_EXISTS ? WriteError::OutputExists : WriteError::OutputFailed, path);
    written_.push_back(path);
    std::vector<std::uint8_t> buffer(header);
    std::vector<std::uint8_t> piece;
    for (const DataPiece& part : cabinet_.Pieces()) {
        piece.resize(part.length);
        std::uint32_t got = 0;
        if (!scratch_.Seek(part.scratchOffset) || !scratch_.Read(piece.data(), part.length, got) || got != part.length)
            return Failure(WriteError::ScratchFailed);
        AppendLe(buffer, DataBlockChecksum(piece, part.uncompressedSize), 4);
        AppendLe(buffer, part.length, 2);
        AppendLe(buffer, part.uncompressedSize, 2);
        buffer.insert(buffer.end(), piece.begin(), piece.end());
        if (buffer.size() >= (1u << 20)) {
            if (!out.Write(buffer.data(), static_cast<std::uint32_t>(buffer.size())))
                return Failure(WriteError::OutputFailed, path);
            buffer.clear();
        }
    }
    if (!out.Write(buffer.data(), static_cast<std::uint32_t>(buffer.size())))
        return Failure(WriteError::OutputFailed, path);
    writtenBytes_ += header.size() + cabinet_.DataSize();
    cabinet_ = CabinetContent();
    scratchEnd_ = 0;
    ++number_;
    return {};
}

void CabinetSetWriter::ListNewFiles(FileRange touched) {
    if (touched.empty) return;
    const auto folder = static_cast<std::uint16_t>(cabinet_.FolderCount() - 1);
    for (std::uint32_t file = touched.first; file <= touched.last; ++file) {
        if (listedIn_[file] == number_) continue;
        cabinet_.ListFile(file, folder, records_[file].name);
        listedIn_[file] = number_;
    }
}

// Lists a folder that holds only empty files, in the next volume when its
// entries do not fit in this one.
WriteResult CabinetSetWriter::ListEmptyFiles(FileRange touched) {
    if (touched.empty) return {};
    const std::uint64_t needed = cabinet_.HeaderSize(NamesFor(true), NewEntryBytes(touched)) + cabinet_.DataSize();
    if (options_.volumeSizeBytes != 0 && needed > options_.volumeSizeBytes && cabinet_.FolderCount() > 1 &&
        !cabinet_.LastFolderHasData()) {
        if (WriteResult r = MoveFolderToNextCabinet(touched); Failed(r)) return r;
    }
    ListNewFiles(touched);
    return {};
}

std::uint64_t CabinetSetWriter::NewEntryBytes(FileRange touched) const {
    std::uint64_t bytes = 0;
    if (touched.empty) return 0;
    for (std::uint32_t file = touched.first; file <= touched.last; ++file)
        if (listedIn_[file] != number_) bytes += FileEntrySize(records_[file].name);
    return bytes;
}

// Room a whole block must leave so that the folder's next block can still
// start in this volume with its new file entries and at least one byte.
std::uint64_t CabinetSetWriter::ReserveForNextBlock() const {
    if (!reader_.FolderContinues()) return 0;
    return kDataHeaderSize + 1 + reader_.NextFrameNewEntryBytes();
}

std::string CabinetSetWriter::CabinetPath(int number) const {
    return options_.volumeSizeBytes == 0 ? options_.cabinetPath : options_.volumePath(number);
}

// The names written in the current cabinet; while it is being filled the
// next name is counted too, as the volume may yet need it.
CabinetNames CabinetSetWriter::NamesFor(bool more) const {
    CabinetNames names;
    if (options_.volumeSizeBytes == 0) return names;
    if (number_ > 1) names.previous = std::string(FileNamePart(CabinetPath(number_ - 1)));
    if (more) names.next = std::string(FileNamePart(CabinetPath(number_ + 1)));
    return names;
}

// Writes the set ID into the volumes written before the last one.
WriteResult SetSetIdOfEarlierVolumes(const std::vector<std::string>& written, std::uint16_t setId) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(setId & 0xFF), static_cast<std::uint8_t>(setId >> 8)};
    for (std::size_t i = 0; i + 1 < written.size(); ++i) {
        WinFile volume = WinFile::OpenForUpdate(written[i]);
        if (!volume.IsOpen() || !volume.Seek(kSetIdOffset) || !volume.Write(bytes, sizeof bytes))
            return Failure(WriteError::OutputFailed, written[i]);
    }
    return {};
}

}  // namespace

WriteResult WriteCabinet(const std::vector<WriterInputFile>& files, const WriterOptions& options) {
    if (WriteResult r = CheckRequest(files, options); Failed(r)) return r;
    if (!MakeFrameEncoder(options.compression, options.lzxWindowBits, options.mszipLevel))
        return Failure(WriteError::BadSettings);
    std::vector<FileRecord> records;
    std::uint64_t total = 0;
    if (WriteResult r = MeasureSources(files, records, total); Failed(r)) return r;
    WinFile scratch = WinFile::CreateScratch();
    if (!scratch.IsOpen()) return Failure(WriteError::ScratchFailed);

    CabinetSetWriter writer(files, records, options, scratch, total);
    WriteResult result = writer.Run();
    if (!Failed(result)) result = SetSetIdOfEarlierVolumes(writer.Written(), writer.SetId());
    if (Failed(result)) {
        for (const std::string& path : writer.Written()) DeleteFileA(path.c_str());
        return result;
    }
    result.cabinets = std::move(writer.Written());
    result.cabinetBytes = writer.WrittenBytes();
    return result;
}

}  // namespace tarvik::cabwriter
