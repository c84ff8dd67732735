#include "cab_writer.h"

#include <windows.h>

#include "cab_checksum.h"
#include "cab_layout.h"
#include "sjis_path.h"
#include "win_file.h"

namespace tarvik::cabwriter {
namespace {

constexpr std::size_t kMaxFiles = 0xFFFF;
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::uint64_t kMaxFolderBytes = std::uint64_t{0xFFFF} * kFrameSize;
constexpr std::uint16_t kAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

WriteResult Failure(WriteError error, std::string path = {}) {
    WriteResult result;
    result.error = error;
    result.failedPath = std::move(path);
    return result;
}

WriteResult CheckRequest(const std::vector<WriterInputFile>& files, const WriterOptions& options) {
    if (files.size() > kMaxFiles) return Failure(WriteError::TooManyFiles);
    for (const WriterInputFile& file : files) {
        if (file.storedName.empty()) return Failure(WriteError::EmptyName, file.sourcePath);
        if (file.storedName.size() > kMaxNameBytes) return Failure(WriteError::NameTooLong, file.storedName);
    }
    if (options.volumeSizeBytes == 0 ? options.cabinetPath.empty() : !options.volumePath)
        return Failure(WriteError::NoOutputName);
    return {};
}

// Sizes every source and gives each its place in the folder.
WriteResult MeasureSources(const std::vector<WriterInputFile>& files, std::vector<FileRecord>& records) {
    std::uint64_t offset = 0;
    for (const WriterInputFile& file : files) {
        WinFile source = WinFile::OpenForReading(file.sourcePath);
        std::uint64_t size = 0;
        if (!source.IsOpen() || !source.Size(size)) return Failure(WriteError::SourceUnreadable, file.sourcePath);
        if (size > 0xFFFFFFFFull) return Failure(WriteError::SourceTooLarge, file.sourcePath);
        if (offset + size > kMaxFolderBytes) return Failure(WriteError::InputTooLarge, file.sourcePath);
        records.push_back({file.storedName, static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(offset),
                           file.dosDate, file.dosTime, static_cast<std::uint16_t>(file.attributes & kAttributeMask)});
        offset += size;
    }
    return {};
}

// Compresses the concatenated sources frame by frame into the scratch file.
class FolderCompressor {
public:
    FolderCompressor(FrameEncoder& encoder, WinFile& scratch, const WriterOptions& options, std::uint64_t total)
        : encoder_(encoder), scratch_(scratch), options_(options), total_(total) {
        frame_.reserve(kFrameSize);
    }

    WriteResult AddSource(const WriterInputFile& file, std::uint32_t size) {
        if (size == 0) return {};
        WinFile source = WinFile::OpenForReading(file.sourcePath);
        if (!source.IsOpen()) return Failure(WriteError::SourceUnreadable, file.sourcePath);
        std::uint32_t left = size;
        while (left > 0) {
            const auto room = static_cast<std::uint32_t>(kFrameSize - frame_.size());
            const std::uint32_t want = left < room ? left : room;
            const std::size_t at = frame_.size();
            frame_.resize(at + want);
            std::uint32_t got = 0;
            if (!source.Read(frame_.data() + at, want, got)) return Failure(WriteError::SourceUnreadable, file.sourcePath);
            if (got != want) return Failure(WriteError::SourceChanged, file.sourcePath);
            left -= want;
            if (frame_.size() == kFrameSize) {
                if (WriteResult r = FlushFrame(); r.error != WriteError::None) return r;
            }
        }
        std::uint64_t sizeNow = 0;
        if (!source.Size(sizeNow) || sizeNow != size) return Failure(WriteError::SourceChanged, file.sourcePath);
        return {};
    }

    WriteResult Finish() { return frame_.empty() ? WriteResult{} : FlushFrame(); }
    const std::vector<BlockRecord>& Blocks() const { return blocks_; }

private:
    WriteResult FlushFrame() {
        if (!encoder_.Encode(frame_, packed_)) return Failure(WriteError::CompressorFailed);
        if (!scratch_.Write(packed_.data(), static_cast<std::uint32_t>(packed_.size())))
            return Failure(WriteError::ScratchFailed);
        blocks_.push_back({static_cast<std::uint32_t>(packed_.size()), static_cast<std::uint16_t>(frame_.size())});
        done_ += frame_.size();
        frame_.clear();
        if (options_.progress && !options_.progress(done_, total_)) return Failure(WriteError::Cancelled);
        return {};
    }

    FrameEncoder& encoder_;
    WinFile& scratch_;
    const WriterOptions& options_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::vector<std::uint8_t> frame_;
    std::vector<std::uint8_t> packed_;
    std::vector<BlockRecord> blocks_;
};

std::string CabinetPath(const WriterOptions& options, int number) {
    return options.volumeSizeBytes == 0 ? options.cabinetPath : options.volumePath(number);
}

// The compressed blocks waiting in the scratch file.
struct Spool {
    WinFile& scratch;
    const std::vector<BlockRecord>& blocks;
    std::vector<std::uint64_t> offsets;
};

void AppendLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Writes one cabinet: its header, then each data piece with its CFDATA header.
WriteResult WriteOneCabinet(const std::string& path, const std::vector<std::uint8_t>& header,
                            const CabinetPlan& plan, Spool& spool) {
    WinFile out = WinFile::CreateNew(path);
    if (!out.IsOpen())
        return Failure(GetLastError() == ERROR_FILE_EXISTS ? WriteError::OutputExists : WriteError::OutputFailed, path);
    std::vector<std::uint8_t> buffer(header);
    std::vector<std::uint8_t> piece;
    for (const DataPiece& part : plan.pieces) {
        piece.resize(part.length);
        std::uint32_t got = 0;
        if (!spool.scratch.Seek(spool.offsets[part.block] + part.from) ||
            !spool.scratch.Read(piece.data(), part.length, got) || got != part.length)
            return Failure(WriteError::ScratchFailed);
        const auto uncompressed =
            static_cast<std::uint16_t>(part.completesBlock ? spool.blocks[part.block].uncompressedSize : 0);
        AppendLe(buffer, DataBlockChecksum(piece, uncompressed), 4);
        AppendLe(buffer, part.length, 2);
        AppendLe(buffer, uncompressed, 2);
        buffer.insert(buffer.end(), piece.begin(), piece.end());
        if (buffer.size() >= (1u << 20)) {
            if (!out.Write(buffer.data(), static_cast<std::uint32_t>(buffer.size())))
                return Failure(WriteError::OutputFailed, path);
            buffer.clear();
        }
    }
    if (!out.Write(buffer.data(), static_cast<std::uint32_t>(buffer.size())))
        return Failure(WriteError::OutputFailed, path);
    return {};
}

WriteResult WriteAllCabinets(const std::vector<CabinetPlan>& plans, const std::vector<FileRecord>& records,
                             const WriterOptions& options, Spool& spool) {
    WriteResult result;
    const int count = static_cast<int>(plans.size());
    for (int k = 0; k < count; ++k) {
        HeaderFields fields;
        fields.setId = options.setId;
        fields.cabinetIndex = static_cast<std::uint16_t>(k);
        fields.compressionType = FolderCompressionType(options.compression, options.lzxWindowBits);
        fields.hasPrevious = k > 0;
        fields.hasNext = k + 1 < count;
        if (fields.hasPrevious) fields.previousName = std::string(FileNamePart(CabinetPath(options, k)));
        if (fields.hasNext) fields.nextName = std::string(FileNamePart(CabinetPath(options, k + 2)));
        const std::vector<std::uint8_t> header = BuildHeader(plans[k], records, fields);
        const std::string path = CabinetPath(options, k + 1);
        WriteResult one = WriteOneCabinet(path, header, plans[k], spool);
        if (one.error != WriteError::None) {
            if (one.error != WriteError::OutputExists) result.cabinets.push_back(path);
            one.cabinets = std::move(result.cabinets);
            return one;
        }
        result.cabinets.push_back(path);
        result.cabinetBytes += CabinetSize(plans[k], header.size());
    }
    return result;
}

WriteResult CompressFolder(const std::vector<WriterInputFile>& files, const std::vector<FileRecord>& records,
                           FolderCompressor& compressor) {
    for (std::size_t i = 0; i < files.size(); ++i)
        if (WriteResult r = compressor.AddSource(files[i], records[i].size); r.error != WriteError::None) return r;
    return compressor.Finish();
}

}  // namespace

WriteResult WriteCabinet(const std::vector<WriterInputFile>& files, const WriterOptions& options) {
    if (WriteResult r = CheckRequest(files, options); r.error != WriteError::None) return r;
    std::unique_ptr<FrameEncoder> encoder =
        MakeFrameEncoder(options.compression, options.lzxWindowBits, options.mszipLevel);
    if (!encoder) return Failure(WriteError::BadSettings);
    std::vector<FileRecord> records;
    if (WriteResult r = MeasureSources(files, records); r.error != WriteError::None) return r;
    WinFile scratch = WinFile::CreateScratch();
    if (!scratch.IsOpen()) return Failure(WriteError::ScratchFailed);

    const std::uint64_t total = records.empty() ? 0 : std::uint64_t{records.back().folderOffset} + records.back().size;
    FolderCompressor compressor(*encoder, scratch, options, total);
    if (WriteResult r = CompressFolder(files, records, compressor); r.error != WriteError::None) return r;

    const std::vector<BlockRecord>& blocks = compressor.Blocks();
    LayoutInput layout{&records, &blocks, options.volumeSizeBytes,
                       [&](int number) { return std::string(FileNamePart(CabinetPath(options, number))); }};
    const std::vector<CabinetPlan> plans = PlanCabinets(layout);
    if (plans.empty()) return Failure(WriteError::VolumeTooSmall);

    Spool spool{scratch, blocks, {0}};
    for (const BlockRecord& block : blocks) spool.offsets.push_back(spool.offsets.back() + block.compressedSize);
    WriteResult result = WriteAllCabinets(plans, records, options, spool);
    if (result.error != WriteError::None) {
        for (const std::string& path : result.cabinets) DeleteFileA(path.c_str());
        result.cabinets.clear();
    }
    return result;
}

}  // namespace tarvik::cabwriter
