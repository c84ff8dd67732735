// Reads one folder's data blocks in order and turns them back into the
// folder's bytes, 32 KB frame by frame, also when the folder goes on in the
// next cabinet of a set. Portable: the cabinet's bytes come through CabSource.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "cab_format.h"
#include "frame_decoder.h"

namespace cab32 {

class FolderReader {
public:
    // A reader for a folder compressed this way; Supported() is false when
    // no decoder reads it.
    explicit FolderReader(std::uint16_t compression);

    bool Supported() const { return decoder_ != nullptr; }
    std::uint16_t Compression() const { return compression_; }

    // The folder's blocks in one cabinet, read from `source` (which must stay
    // open until Next has answered PartEnded). A folder continued from the
    // previous cabinet gets its next part here once the current one ended.
    void StartPart(const CabSource& source, const CabDirectory& directory, const CabFolder& folder);

    enum class Step {
        Frame,      // `frame` holds the next bytes of the folder
        PartEnded,  // this cabinet's blocks are all read
        Bad,        // unreadable, wrong checksum or undecodable: the folder ends here
    };
    [[nodiscard]] Step Next(std::span<const std::uint8_t>& frame) { return NextInto(frame_, frame); }
    // The same, decoding into `buffer` (at least kFrameSize bytes).
    [[nodiscard]] Step NextInto(std::span<std::uint8_t> buffer, std::span<const std::uint8_t>& frame);

    // Bytes of the folder decoded so far.
    std::uint64_t Position() const { return position_; }

private:
    bool ReadBlockPiece(std::uint16_t& plainSize, std::span<const std::uint8_t>& piece);
    bool Fill(std::int64_t offset, std::size_t count);

    std::uint16_t compression_;
    std::unique_ptr<cab32::FrameDecoder> decoder_;
    const CabSource* source_ = nullptr;
    std::uint8_t reserve_ = 0;
    std::int64_t offset_ = 0;
    std::int64_t limit_ = 0;
    std::uint16_t blocksLeft_ = 0;
    bool failed_ = false;
    std::uint64_t position_ = 0;
    std::vector<std::uint8_t> payload_;  // the block's data; a split block's first piece waits here
    std::vector<std::uint8_t> frame_;
    // Read-ahead: consecutive blocks cost one read per buffer, not two per block.
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferStart_ = 0;
    std::size_t bufferFilled_ = 0;
};

}  // namespace cab32
