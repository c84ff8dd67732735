#include "frame_encoder.h"

#include "lzx_encoder.h"
#include "lzx_tables.h"
#include "mszip_encoder.h"

namespace tarvik::cabwriter {
namespace {

// Stores the data as it is.
class StoreEncoder final : public FrameEncoder {
public:
    bool Encode(std::span<const std::uint8_t> frame, Payloads& ready) override {
        ready.emplace_back(frame.begin(), frame.end());
        return true;
    }
};

}  // namespace

std::unique_ptr<FrameEncoder> MakeFrameEncoder(Compression compression, int lzxWindowBits, int mszipLevel,
                                               int framesPerBlock) {
    switch (compression) {
    case Compression::None: return std::make_unique<StoreEncoder>();
    case Compression::Mszip: return MakeMszipEncoder(mszipLevel);
    case Compression::Lzx: return MakeLzxEncoder(lzxWindowBits, framesPerBlock);
    }
    return nullptr;
}

std::uint16_t FolderCompressionType(Compression compression, int lzxWindowBits) {
    switch (compression) {
    case Compression::None: return 0x0000;
    case Compression::Mszip: return 0x0001;
    case Compression::Lzx: return static_cast<std::uint16_t>(0x0003 | (lzxWindowBits << 8));
    }
    return 0;
}

}  // namespace tarvik::cabwriter
