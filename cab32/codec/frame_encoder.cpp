#include "frame_encoder.h"

#include <algorithm>

#include "lzx_encoder.h"
#include "lzx_tables.h"
#include "mszip_encoder.h"

namespace cab32 {
namespace {

// Stores the data as it is.
class StoreEncoder final : public StretchEncoder {
public:
    bool Encode(const StretchInput& input, EncodedStretch& out) override {
        out = EncodedStretch();
        for (std::size_t at = 0; at < input.data.size(); at += kFrameSize) {
            const std::size_t size = std::min(kFrameSize, input.data.size() - at);
            out.payloads.emplace_back(input.data.begin() + static_cast<std::ptrdiff_t>(at),
                                      input.data.begin() + static_cast<std::ptrdiff_t>(at + size));
            if (input.doneBytes) input.doneBytes->fetch_add(size, std::memory_order_relaxed);
        }
        return true;
    }
};

// Frames per stretch (the writer's README.md has the measurements): 1 MB,
// and for LZX at least two windows, as LZX indexes a whole window of
// history before each stretch (10 ms for 2 MB, a tenth of compressing it).
constexpr int kStretchFrames = 32;

}  // namespace

bool ValidSettings(const EncoderSettings& settings) {
    if (settings.framesPerBlock < 1 || settings.framesPerBlock > 256 || settings.stretchFrames < 0) return false;
    switch (settings.compression) {
    case Compression::None: return true;
    case Compression::Mszip: return settings.mszipLevel >= 1 && settings.mszipLevel <= 9;
    case Compression::Lzx:
        return settings.lzxWindowBits >= lzx::kMinWindowBits && settings.lzxWindowBits <= lzx::kMaxWindowBits;
    case Compression::Quantum: return false;  // read, never written
    }
    return false;
}

int StretchFrames(const EncoderSettings& settings) {
    int frames = settings.stretchFrames;
    if (frames == 0 && settings.compression == Compression::Lzx)
        frames = std::max(kStretchFrames, 2 * (1 << settings.lzxWindowBits) / static_cast<int>(kFrameSize));
    if (frames == 0) frames = kStretchFrames;
    // Whole blocks only.
    const int block = settings.compression == Compression::Lzx ? settings.framesPerBlock : 1;
    return std::max(block, frames / block * block);
}

std::size_t HistoryBytes(const EncoderSettings& settings) {
    switch (settings.compression) {
    case Compression::None: return 0;
    case Compression::Mszip: return 32768;  // deflate's window
    case Compression::Lzx: return std::size_t{1} << settings.lzxWindowBits;
    case Compression::Quantum: break;
    }
    return 0;
}

std::unique_ptr<StretchEncoder> MakeStretchEncoder(const EncoderSettings& settings) {
    if (!ValidSettings(settings)) return nullptr;
    switch (settings.compression) {
    case Compression::None: return std::make_unique<StoreEncoder>();
    case Compression::Mszip: return MakeMszipEncoder(settings.mszipLevel);
    case Compression::Lzx: return MakeLzxEncoder(settings.lzxWindowBits, settings.framesPerBlock);
    case Compression::Quantum: break;
    }
    return nullptr;
}

FolderJoiner::FolderJoiner(const EncoderSettings& settings) {
    if (settings.compression == Compression::Lzx) trees_ = lzx::EmptyTrees(settings.lzxWindowBits);
}

void FolderJoiner::Join(EncodedStretch& stretch) {
    if (!stretch.pending.empty()) {
        std::vector<std::uint8_t> bytes;
        std::vector<std::size_t> frameEnds;
        BitWriter bits(bytes);
        lzx::WriteCodedBlock(bits, stretch.pending, stretch.pendingPlan, trees_, frameEnds);
        std::size_t from = 0;
        for (std::size_t i = 0; i < frameEnds.size(); ++i) {
            stretch.payloads[stretch.pendingFrame + i].assign(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                                              bytes.begin() + static_cast<std::ptrdiff_t>(frameEnds[i]));
            from = frameEnds[i];
        }
        stretch.pending.clear();
    }
}

void FolderJoiner::Pass(const EncodedStretch& stretch, std::size_t frames) {
    for (const EncodedStretch::CodedBlock& block : stretch.codedBlocks)
        if (block.framesEnd <= frames) trees_ = block.trees;
}

FrameEncoder::FrameEncoder(const EncoderSettings& settings, std::unique_ptr<StretchEncoder> encoder)
    : encoder_(std::move(encoder)),
      joiner_(settings),
      stretchBytes_(static_cast<std::size_t>(StretchFrames(settings)) * kFrameSize),
      historyBytes_(HistoryBytes(settings)) {}

bool FrameEncoder::Encode(std::span<const std::uint8_t> frame, Payloads& ready) {
    held_.insert(held_.end(), frame.begin(), frame.end());
    return held_.size() < stretchBytes_ || EncodeHeld(ready);
}

bool FrameEncoder::Finish(Payloads& ready) { return held_.empty() || EncodeHeld(ready); }

bool FrameEncoder::EncodeHeld(Payloads& ready) {
    StretchInput input;
    input.history = history_;
    input.data = held_;
    input.startsFolder = !started_;
    EncodedStretch out;
    if (!encoder_->Encode(input, out)) return false;
    joiner_.Join(out);
    joiner_.Pass(out, out.payloads.size());
    for (std::vector<std::uint8_t>& payload : out.payloads) ready.push_back(std::move(payload));
    started_ = true;
    // The next stretch's history: the last bytes of this one and of the history before it.
    history_.insert(history_.end(), held_.begin(), held_.end());
    if (history_.size() > historyBytes_)
        history_.erase(history_.begin(), history_.end() - static_cast<std::ptrdiff_t>(historyBytes_));
    held_.clear();
    return true;
}

std::unique_ptr<FrameEncoder> MakeFrameEncoder(const EncoderSettings& settings) {
    std::unique_ptr<StretchEncoder> encoder = MakeStretchEncoder(settings);
    if (!encoder) return nullptr;
    return std::make_unique<FrameEncoder>(settings, std::move(encoder));
}

}  // namespace cab32
