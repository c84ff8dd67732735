#include "cabinet_writer.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>
#include <span>
#include <thread>

#include "data_block.h"
#include "cab_format.h"
#include "cabinet_content.h"
#include "input_reader.h"
#include "sjis_path.h"
#include "stretch_workers.h"
#include "win_file.h"

namespace cab32 {
namespace {

using cab32::kNameIsUtf8;

constexpr std::size_t kMaxFiles = 0xFFFF;
constexpr std::size_t kMaxNameBytes = 255;
// A folder counts its data blocks in 16 bits.
constexpr std::uint64_t kMaxFolderBytes = std::uint64_t{0xFFFF} * kFrameSize;
// Frames an LZX block covers in a single cabinet: its trees are sent once
// for 128 KB instead of for every 32 KB (about 0.7% smaller).
constexpr int kFramesPerLzxBlock = 4;

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
        record.attributes = static_cast<std::uint16_t>((file.attributes & kKeptAttributes) | (file.nameIsUtf8 ? kNameIsUtf8 : 0));
        records.push_back(record);
        total += size;
    }
    return {};
}

// Where CFHEADER holds the set ID.
constexpr std::uint64_t kSetIdOffset = 32;

// The set ID is a digest of everything that goes into the set: the
// settings, each file's stored name, size, date, time and attributes, and
// the data blocks as they are placed (a function of the files' bytes and
// the settings alone), folded to 16 bits. The same sources with the
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

// How long the calling thread waits for the workers before it calls the
// progress callback again (which keeps the caller's windows drawn).
constexpr std::chrono::milliseconds kProgressInterval{50};
// The memory one job may take, also in a 32-bit process; the compressing
// threads are capped to stay within it beside the rest of the job.
constexpr std::uint64_t kJobMemory = std::uint64_t{512} << 20;
constexpr std::uint64_t kOtherMemory = std::uint64_t{64} << 20;
constexpr int kMaxThreads = 64;

EncoderSettings SettingsFor(const WriterOptions& options) {
    EncoderSettings settings;
    settings.compression = options.compression;
    settings.lzxWindowBits = options.lzxWindowBits;
    settings.mszipLevel = options.mszipLevel;
    // In volumes every frame is placed at once, as a cut must be able to
    // end the folder right after it.
    settings.framesPerBlock = options.volumeSizeBytes == 0 ? kFramesPerLzxBlock : 1;
    return settings;
}

// CAB32_THREADS in the environment, or 0 when it is not set or not a number.
int ThreadsFromEnvironment() {
    char text[16];
    const DWORD length = GetEnvironmentVariableA("CAB32_THREADS", text, sizeof text);
    if (length == 0 || length >= sizeof text) return 0;
    char* end = nullptr;
    const long threads = std::strtol(text, &end, 10);
    return *end == '\0' && threads > 0 && threads <= kMaxThreads ? static_cast<int>(threads) : 0;
}

int ThreadCount(const WriterOptions& options, const EncoderSettings& settings) {
    int wanted = options.threads > 0 ? options.threads : ThreadsFromEnvironment();
    if (wanted <= 0) wanted = static_cast<int>(std::thread::hardware_concurrency());
    const std::uint64_t each = StretchWorkers::WorkerBytes(settings) + 2 * StretchWorkers::StretchBytes(settings);
    const auto byMemory = static_cast<int>(std::min<std::uint64_t>((kJobMemory - kOtherMemory) / each, kMaxThreads));
    return std::clamp(wanted, 1, std::max(byMemory, 1));
}

// The cabinet files a job has made: deleted again unless the job keeps them.
struct OutputFiles {
    std::vector<std::string> paths;
    bool kept = false;

    OutputFiles() = default;
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;
    ~OutputFiles() {
        if (!kept)
            for (const std::string& path : paths) DeleteFileA(path.c_str());
    }
    std::vector<std::string> Keep() {
        kept = true;
        return paths;
    }
};

// Compresses the folders and fills the cabinets one after another. A
// volume that fills up inside a folder ends in the middle of a data block;
// the files that block touches are listed in both volumes as continued,
// and their folder ends with the last of them, as readers expect: the
// continued folder of a volume holds only files carried over from the
// volume before.
//
// The calling thread reads stretches ahead and hands them to the workers,
// then places the finished ones in order. A volume cut ends the folder
// early, so the frames read after the cut frame are dropped and read again;
// they start a stretch of their own in every case, as the cut frame's
// stretch is always read whole before any of it is placed.
class CabinetSetWriter {
public:
    CabinetSetWriter(const std::vector<WriterInputFile>& sources, std::vector<FileRecord>& records,
                     const WriterOptions& options, const EncoderSettings& settings, int threads, WinFile& scratch,
                     std::vector<std::string>& written, std::uint64_t total)
        : records_(records),
          options_(options),
          settings_(settings),
          scratch_(scratch),
          reader_(sources, records, kMaxFolderBytes),
          workers_(settings, threads),
          joiner_(settings),
          stretchFrames_(StretchFrames(settings)),
          historyBytes_(HistoryBytes(settings)),
          maxInFlight_(2 * static_cast<std::size_t>(threads)),
          listedIn_(records.size(), 0),
          total_(total),
          compressionType_(FolderCompressionType(options.compression, options.lzxWindowBits)),
          written_(written) {
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

    bool Started() const { return workers_.Started(); }
    WriteResult Run();
    // Known once every block has been placed (the last cabinet is written
    // with it; the volumes before it hold 0 until SetSetIdOfEarlierVolumes).
    std::uint16_t SetId() const { return digest_.SetId(); }
    std::uint64_t WrittenBytes() const { return writtenBytes_; }

private:
    // What placing needs of a frame read ahead.
    struct FramePlan {
        std::uint16_t size = 0;  // 0: no data (the end of a folder, empty files)
        FileRange files;
        bool startsFolder = false;
        ReaderPosition after;  // the reader's position after the frame
    };
    struct Stretch {
        std::shared_ptr<StretchJob> job;
        std::vector<FramePlan> frames;
    };
    static constexpr std::uint32_t kNoCut = 0xFFFFFFFF;

    WriteResult ReadAhead();
    WriteResult ReadStretch(Stretch& stretch);
    bool RoomForMoreStretches() const;
    WriteResult PlaceOldest();
    WriteResult WaitForOldest();
    void DropAfterCut(const Stretch& stretch, std::size_t frame);
    bool ReportProgress();
    void KeepTail(std::vector<std::uint8_t>& tail, std::span<const std::uint8_t> bytes) const;
    std::vector<std::uint8_t> SpareBuffer();
    void Recycle(StretchJob& job);
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
    const EncoderSettings& settings_;
    WinFile& scratch_;
    InputReader reader_;
    StretchWorkers workers_;
    FolderJoiner joiner_;
    const std::size_t stretchFrames_;
    const std::size_t historyBytes_;
    const std::size_t maxInFlight_;
    std::deque<Stretch> inFlight_;  // read, not yet placed, oldest first
    std::uint64_t inFlightBytes_ = 0;
    bool inputDone_ = false;
    std::vector<std::uint8_t> folderTail_;  // the folder's last bytes read, the next stretch's history
    std::vector<std::vector<std::uint8_t>> spare_;
    Frame frame_;
    const FramePlan* placing_ = nullptr;  // the frame whose block is being placed
    std::uint32_t cutEnd_ = kNoCut;       // set by a cut: the folder now ends before this file
    CabinetContent cabinet_;
    int number_ = 1;
    std::uint64_t scratchEnd_ = 0;
    std::vector<int> listedIn_;  // the cabinet number that lists each file last
    bool folderIsContinuation_ = false;
    std::uint32_t folderFirstFile_ = 0;
    std::uint64_t total_;
    std::uint64_t done_ = 0;      // bytes placed
    std::uint64_t reported_ = 0;  // the last progress reported
    std::uint16_t compressionType_;
    std::vector<std::string>& written_;
    std::uint64_t writtenBytes_ = 0;
    SetIdDigest digest_;
};

WriteResult CabinetSetWriter::Run() {
    for (;;) {
        if (WriteResult r = ReadAhead(); Failed(r)) return r;
        if (inFlight_.empty()) break;
        if (WriteResult r = PlaceOldest(); Failed(r)) return r;
    }
    return CloseCabinet(false);
}

// Reads stretches and hands them to the workers while there is room in
// flight. With volumes, only as much as the current volume could still
// take uncompressed is read ahead (at least one stretch): the frames after
// a cut are read again.
WriteResult CabinetSetWriter::ReadAhead() {
    while (!inputDone_ && inFlight_.size() < maxInFlight_ && (inFlight_.empty() || RoomForMoreStretches())) {
        Stretch stretch;
        if (WriteResult r = ReadStretch(stretch); Failed(r)) return r;
        if (stretch.frames.empty()) break;
        inFlightBytes_ += stretch.job->data.size();
        if (!stretch.job->data.empty()) workers_.Submit(stretch.job);
        inFlight_.push_back(std::move(stretch));
    }
    return {};
}

// The frames of one stretch: up to stretchFrames_ with data, ending with
// its folder.
WriteResult CabinetSetWriter::ReadStretch(Stretch& stretch) {
    stretch.job = std::make_shared<StretchJob>();
    StretchJob& job = *stretch.job;
    job.data = SpareBuffer();
    job.history = SpareBuffer();
    std::size_t dataFrames = 0;
    for (;;) {
        bool finished = false;
        if (WriteResult r = reader_.Next(frame_, finished); Failed(r)) return r;
        if (finished) {
            inputDone_ = true;
            break;
        }
        if (frame_.startsFolder) {
            job.startsFolder = true;
            folderTail_.clear();
        }
        job.data.insert(job.data.end(), frame_.data.begin(), frame_.data.end());
        stretch.frames.push_back(
            {static_cast<std::uint16_t>(frame_.data.size()), frame_.files, frame_.startsFolder, reader_.Position()});
        if (!frame_.data.empty()) ++dataFrames;
        if (frame_.endsFolder || dataFrames == stretchFrames_) break;
    }
    job.history.assign(folderTail_.begin(), folderTail_.end());
    KeepTail(folderTail_, job.data);
    return {};
}

// Appends `bytes` to `tail` and keeps the last historyBytes_ of the two.
void CabinetSetWriter::KeepTail(std::vector<std::uint8_t>& tail, std::span<const std::uint8_t> bytes) const {
    if (bytes.size() >= historyBytes_) {
        tail.assign(bytes.end() - static_cast<std::ptrdiff_t>(historyBytes_), bytes.end());
        return;
    }
    tail.insert(tail.end(), bytes.begin(), bytes.end());
    if (tail.size() > historyBytes_)
        tail.erase(tail.begin(), tail.end() - static_cast<std::ptrdiff_t>(historyBytes_));
}

bool CabinetSetWriter::RoomForMoreStretches() const {
    const std::uint64_t limit = options_.volumeSizeBytes;
    if (limit == 0) return true;
    const std::uint64_t used = cabinet_.HeaderSize(NamesFor(true)) + cabinet_.DataSize();
    // At worst nothing compresses, and every frame's block adds its header
    // and a few bytes.
    const std::uint64_t frames = inFlightBytes_ / kFrameSize + 2 * stretchFrames_;
    const std::uint64_t worst = inFlightBytes_ + stretchFrames_ * kFrameSize + frames * 64;
    return used + worst <= limit;
}

WriteResult CabinetSetWriter::WaitForOldest() {
    const StretchJob& job = *inFlight_.front().job;
    while (!workers_.WaitFor(job, kProgressInterval)) {
        if (workers_.Failed()) return Failure(WriteError::CompressorFailed);
        if (!ReportProgress()) return Failure(WriteError::Cancelled);
    }
    if (workers_.Failed() || job.Failed()) return Failure(WriteError::CompressorFailed);
    return {};
}

// Places the oldest stretch's blocks frame by frame, in the cabinets' order.
WriteResult CabinetSetWriter::PlaceOldest() {
    Stretch& stretch = inFlight_.front();
    StretchJob& job = *stretch.job;
    if (!job.data.empty()) {
        if (WriteResult r = WaitForOldest(); Failed(r)) return r;
        if (job.startsFolder) joiner_ = FolderJoiner(settings_);
        joiner_.Join(job.out);
    }
    std::size_t placed = 0;  // frames with data
    for (std::size_t i = 0; i < stretch.frames.size(); ++i) {
        const FramePlan& frame = stretch.frames[i];
        if (frame.startsFolder) {
            cabinet_.AddFolder(compressionType_);
            folderIsContinuation_ = false;
            folderFirstFile_ = frame.files.first;
        }
        if (frame.size == 0) {
            if (WriteResult r = ListEmptyFiles(frame.files); Failed(r)) return r;
            continue;
        }
        placing_ = &frame;
        if (WriteResult r = Place(job.out.payloads[placed++], frame.size, frame.files); Failed(r)) return r;
        done_ += frame.size;
        if (cutEnd_ != kNoCut) {
            joiner_.Pass(job.out, placed);
            DropAfterCut(stretch, i);
            return ReportProgress() ? WriteResult{} : Failure(WriteError::Cancelled);
        }
        if (!ReportProgress()) return Failure(WriteError::Cancelled);
    }
    joiner_.Pass(job.out, placed);
    inFlightBytes_ -= job.data.size();
    Recycle(job);
    inFlight_.pop_front();
    return {};
}

// Buffers of placed stretches serve the next ones: memory the process has
// touched before is much cheaper to fill than fresh pages.
std::vector<std::uint8_t> CabinetSetWriter::SpareBuffer() {
    if (spare_.empty()) return {};
    std::vector<std::uint8_t> buffer = std::move(spare_.back());
    spare_.pop_back();
    buffer.clear();
    return buffer;
}

void CabinetSetWriter::Recycle(StretchJob& job) {
    if (!job.Finished() && !job.data.empty()) return;  // a worker may still read it
    if (spare_.size() < 2 * maxInFlight_ + 2) spare_.push_back(std::move(job.data));
    if (spare_.size() < 2 * maxInFlight_ + 2) spare_.push_back(std::move(job.history));
}

// A cut in `frame` of the oldest stretch ended its folder early: what was
// read after the frame is dropped, and the reader goes back to read the
// rest of the folder and what follows again.
void CabinetSetWriter::DropAfterCut(const Stretch& stretch, std::size_t frame) {
    reader_.Rewind(stretch.frames[frame].after);
    reader_.EndFolderAfter(cutEnd_ - 1);
    cutEnd_ = kNoCut;
    const StretchJob& cutJob = *stretch.job;
    std::size_t kept = 0;
    for (std::size_t i = 0; i <= frame; ++i) kept += stretch.frames[i].size;
    folderTail_ = cutJob.history;
    KeepTail(folderTail_, std::span(cutJob.data).first(kept));
    for (const Stretch& dropped : inFlight_) workers_.Drop(*dropped.job);
    inFlight_.clear();
    inFlightBytes_ = 0;
    inputDone_ = false;
}

// Tells the caller how far the job has come: the bytes placed, or those
// the workers have compressed when they are further.
bool CabinetSetWriter::ReportProgress() {
    if (!options_.progress) return true;
    std::uint64_t compressed = done_;
    for (const Stretch& stretch : inFlight_)
        if (!stretch.job->Finished()) compressed += stretch.job->DoneBytes();
    reported_ = std::max(reported_, std::min(compressed, total_));
    return options_.progress(reported_, total_);
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
    cutEnd_ = last + 1;
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
    // Every placed byte once, in order: the same whatever the number of
    // threads, and frames read again after a volume cut are not counted twice.
    digest_.Add(bytes);
    digest_.Add(uncompressed);
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
        AppendDataBlockHeader(buffer, piece, part.uncompressedSize);
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
    if (!reader_.FolderContinues(placing_->after, cutEnd_)) return 0;
    return kDataHeaderSize + 1 + reader_.NextFrameNewEntryBytes(placing_->after, cutEnd_);
}

std::string CabinetSetWriter::CabinetPath(int number) const {
    return options_.volumeSizeBytes == 0 ? options_.cabinetPath : options_.volumePath(number);
}

// The names written in the current cabinet; while it is being filled the
// next name is counted too, as the volume may yet need it.
CabinetNames CabinetSetWriter::NamesFor(bool more) const {
    CabinetNames names;
    if (options_.volumeSizeBytes == 0) return names;
    if (number_ > 1) names.previous = std::string(tarvik::FileNamePart(CabinetPath(number_ - 1)));
    if (more) names.next = std::string(tarvik::FileNamePart(CabinetPath(number_ + 1)));
    return names;
}

// Writes the set ID into the volumes written before the last one.
WriteResult SetSetIdOfEarlierVolumes(const std::vector<std::string>& written, std::uint16_t setId) {
    std::uint8_t bytes[2];
    StoreLe16(bytes, setId);
    for (std::size_t i = 0; i + 1 < written.size(); ++i) {
        WinFile volume = WinFile::OpenForUpdate(written[i]);
        if (!volume.IsOpen() || !volume.Seek(kSetIdOffset) || !volume.Write(bytes, sizeof bytes))
            return Failure(WriteError::OutputFailed, written[i]);
    }
    return {};
}

}  // namespace

int WriterThreads(const WriterOptions& options) { return ThreadCount(options, SettingsFor(options)); }

WriteResult WriteCabinet(const std::vector<WriterInputFile>& files, const WriterOptions& options) {
    if (WriteResult r = CheckRequest(files, options); Failed(r)) return r;
    const EncoderSettings settings = SettingsFor(options);
    if (!ValidSettings(settings)) return Failure(WriteError::BadSettings);
    std::vector<FileRecord> records;
    std::uint64_t total = 0;
    if (WriteResult r = MeasureSources(files, records, total); Failed(r)) return r;
    WinFile scratch = WinFile::CreateScratch();
    if (!scratch.IsOpen()) return Failure(WriteError::ScratchFailed);

    OutputFiles written;
    WriteResult result;
    {
        CabinetSetWriter writer(files, records, options, settings, ThreadCount(options, settings), scratch,
                                written.paths, total);
        if (!writer.Started()) return Failure(WriteError::CompressorFailed);
        result = writer.Run();
        if (!Failed(result)) result = SetSetIdOfEarlierVolumes(written.paths, writer.SetId());
        result.cabinetBytes = writer.WrittenBytes();
    }
    if (Failed(result)) return result;
    result.cabinets = written.Keep();
    return result;
}

}  // namespace cab32
