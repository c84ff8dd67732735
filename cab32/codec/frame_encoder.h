// The compressors of folder data. A folder's data is cut into stretches of
// a fixed number of 32 KB frames, counted from the folder's start; each
// stretch is compressed on its own, primed with the folder's bytes before
// it, so that stretches can be compressed on several threads at once and
// the output is the same whatever their number. Every frame becomes the
// payload of one CFDATA block.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "format.h"
#include "lzx_block_coder.h"

namespace cab32 {

// Deflate level of MSZIP unless asked otherwise, with the history carried
// across blocks. The default is tuned (mszip_encoder.cpp): level 6's ratio
// within 0.2%, faster than level 6 with blocks compressed apart (gcab).
inline constexpr int kDefaultMszipLevel = 6;
// The match length after which the default level searches a quarter of its chains.
inline constexpr int kDefaultGoodLength = 4;

struct EncoderSettings {
    Compression compression = Compression::Mszip;
    int lzxWindowBits = 21;               // 15..21
    int mszipLevel = kDefaultMszipLevel;  // 1..9
    // LZX: frames coded as one block (their trees are sent once), 1..256.
    int framesPerBlock = 1;
    // Frames per stretch (a multiple of framesPerBlock); 0: StretchFrames().
    int stretchFrames = 0;
};

// False for window bits outside 15..21, a deflate level outside 1..9 or
// frames per block outside 1..256.
bool ValidSettings(const EncoderSettings& settings);

// Frames per stretch when the settings name none: long enough that priming
// costs little beside compressing (LZX indexes a whole window of history),
// short enough for a job of a few dozen MB to keep every processor busy:
// 1 MB, and for LZX two windows (4 MB for LZX 21).
int StretchFrames(const EncoderSettings& settings);

// Bytes of the folder before a stretch that its compressor looks back at.
std::size_t HistoryBytes(const EncoderSettings& settings);

// Finished CFDATA payloads, one per frame, oldest first.
using Payloads = std::vector<std::vector<std::uint8_t>>;

struct StretchInput {
    // The folder's last bytes before the stretch (up to HistoryBytes), empty
    // for the stretch that starts the folder.
    std::span<const std::uint8_t> history;
    // The stretch's frames: 32 KB each, only the folder's last may be shorter.
    std::span<const std::uint8_t> data;
    bool startsFolder = false;
    // Set by another thread to stop the work: Encode then answers false.
    const std::atomic<bool>* stop = nullptr;
    // Each frame's size is added here as it is compressed.
    std::atomic<std::uint64_t>* doneBytes = nullptr;
};

struct EncodedStretch {
    Payloads payloads;  // one per frame
    // LZX: the first coded block of a stretch that does not start its
    // folder sends its trees as differences from the trees the reader holds
    // from the stretch before, which only the folder's order knows. Its
    // frames' payloads stay empty until FolderJoiner::Join codes it.
    std::size_t pendingFrame = 0;            // index of its first frame
    std::vector<lzx::FrameItems> pending;   // its frames; empty when there is none
    lzx::BlockPlan pendingPlan;
    // LZX: the trees of each coded block, after the number of the stretch's
    // frames that end with it.
    struct CodedBlock {
        std::size_t framesEnd;
        lzx::BlockTrees trees;
    };
    std::vector<CodedBlock> codedBlocks;
};

// Compresses stretches, one at a time; one per thread. Every stretch is
// compressed from a fresh start, so the output depends on the stretch's
// input alone.
class StretchEncoder {
public:
    virtual ~StretchEncoder() = default;
    // False when the compressor fails or was stopped.
    [[nodiscard]] virtual bool Encode(const StretchInput& input, EncodedStretch& out) = 0;
};

// Null when the settings are not valid or the compressor cannot start.
[[nodiscard]] std::unique_ptr<StretchEncoder> MakeStretchEncoder(const EncoderSettings& settings);

// Completes a folder's stretches in order: codes each stretch's pending
// LZX block against the trees a reader holds after the frames before.
class FolderJoiner {
public:
    explicit FolderJoiner(const EncoderSettings& settings);
    // Completes the stretch's payloads, then goes past its first `frames`
    // frames (all of them unless a volume cut ends the folder earlier).
    void Join(EncodedStretch& stretch);
    void Pass(const EncodedStretch& stretch, std::size_t frames);

private:
    lzx::BlockTrees trees_;
};

// One folder compressed frame by frame on the calling thread, in the same
// stretches as on several threads.
class FrameEncoder {
public:
    explicit FrameEncoder(const EncoderSettings& settings, std::unique_ptr<StretchEncoder> encoder);
    // Takes the next frame (1 to 32768 bytes; only the folder's last frame
    // may be shorter) and appends to `ready` the payloads of the frames it
    // has finished, in order: a stretch's once the stretch is complete.
    [[nodiscard]] bool Encode(std::span<const std::uint8_t> frame, Payloads& ready);
    // Ends the folder: appends the payloads of every frame still held.
    [[nodiscard]] bool Finish(Payloads& ready);

private:
    bool EncodeHeld(Payloads& ready);

    std::unique_ptr<StretchEncoder> encoder_;
    FolderJoiner joiner_;
    std::size_t stretchBytes_;
    std::size_t historyBytes_;
    std::vector<std::uint8_t> history_;
    std::vector<std::uint8_t> held_;
    bool started_ = false;
};

// Null when the settings are not valid.
[[nodiscard]] std::unique_ptr<FrameEncoder> MakeFrameEncoder(const EncoderSettings& settings);

}  // namespace cab32
