#include "folder_reader.h"

#include <algorithm>
#include <cstring>

#include "data_block.h"

namespace cab32 {

namespace {

constexpr std::size_t kReadAhead = 256 * 1024;

}  // namespace

FolderReader::FolderReader(std::uint16_t compression)
    : compression_(compression), decoder_(cab32::MakeFrameDecoder(compression)) {
    frame_.resize(cab32::kFrameSize);
}

void FolderReader::StartPart(const CabSource& source, const CabDirectory& directory, const CabFolder& folder) {
    source_ = &source;
    reserve_ = directory.dataReserve;
    offset_ = folder.dataOffset;
    limit_ = std::min<std::int64_t>(directory.cabinetSize, source.Size());
    blocksLeft_ = folder.dataBlocks;
    bufferFilled_ = 0;
    // The next cabinet must carry on with the same kind of data.
    if (folder.compression != compression_) failed_ = true;
}

bool FolderReader::Fill(std::int64_t offset, std::size_t count) {
    if (offset < 0 || offset + static_cast<std::int64_t>(count) > limit_) return false;
    const std::int64_t bufferEnd = bufferStart_ + static_cast<std::int64_t>(bufferFilled_);
    if (offset >= bufferStart_ && offset + static_cast<std::int64_t>(count) <= bufferEnd) return true;
    const std::size_t size = static_cast<std::size_t>(std::min<std::int64_t>(
        std::max(kReadAhead, count), limit_ - offset));
    buffer_.resize(size);
    bufferFilled_ = 0;
    if (!source_->Read(offset, buffer_.data(), static_cast<std::uint32_t>(size))) return false;
    bufferStart_ = offset;
    bufferFilled_ = size;
    return true;
}

// The next block's data after checking its checksum, in the read-ahead
// buffer until the next read.
bool FolderReader::ReadBlockPiece(std::uint16_t& plainSize, std::span<const std::uint8_t>& piece) {
    const std::size_t headerSize = kBlockHeaderSize + reserve_;
    if (!Fill(offset_, headerSize)) return false;
    std::uint8_t header[kBlockHeaderSize + 255];
    std::memcpy(header, buffer_.data() + (offset_ - bufferStart_), headerSize);
    const DataBlockHeader fields = ReadDataBlockHeader(header);
    // A cut block's pieces together carry no more than one block may.
    if (!fields.SizesFit() || payload_.size() + fields.dataSize > kMaxBlockData) return false;
    plainSize = fields.plainSize;
    const std::int64_t dataOffset = offset_ + static_cast<std::int64_t>(headerSize);
    if (!Fill(dataOffset, fields.dataSize)) return false;
    piece = std::span<const std::uint8_t>(buffer_.data() + (dataOffset - bufferStart_), fields.dataSize);
    if (!DataBlockChecksumMatches(std::span<const std::uint8_t>(header, headerSize), piece)) return false;
    offset_ = dataOffset + fields.dataSize;
    --blocksLeft_;
    return true;
}

FolderReader::Step FolderReader::NextInto(std::span<std::uint8_t> buffer, std::span<const std::uint8_t>& frame) {
    if (failed_ || !decoder_) return Step::Bad;
    if (blocksLeft_ == 0) return Step::PartEnded;
    std::uint16_t plainSize = 0;
    std::span<const std::uint8_t> piece;
    if (!ReadBlockPiece(plainSize, piece)) {
        failed_ = true;
        return Step::Bad;
    }
    if (plainSize == 0) {
        // Only the last block of a cabinet may be cut: its rest opens the
        // folder's part in the next cabinet.
        payload_.insert(payload_.end(), piece.begin(), piece.end());
        if (blocksLeft_ != 0) failed_ = true;
        return failed_ ? Step::Bad : Step::PartEnded;
    }
    // A whole block is decoded where it was read; the rest of a cut one
    // joins its first piece.
    if (!payload_.empty()) {
        payload_.insert(payload_.end(), piece.begin(), piece.end());
        piece = payload_;
    }
    if (buffer.size() < plainSize) {
        failed_ = true;
        return Step::Bad;
    }
    const std::span<std::uint8_t> output = buffer.first(plainSize);
    const bool decoded = decoder_->Decode(piece, output);
    payload_.clear();
    if (!decoded) {
        failed_ = true;
        return Step::Bad;
    }
    position_ += plainSize;
    frame = output;
    return Step::Frame;
}

}  // namespace cab32
