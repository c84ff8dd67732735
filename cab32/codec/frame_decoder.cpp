#include "frame_decoder.h"

#include <cstring>

#include "lzx_decoder.h"
#include "mszip_decoder.h"
#include "quantum_decoder.h"

namespace tarvik::codec {
namespace {

class StoredDecoder final : public FrameDecoder {
public:
    bool Decode(std::span<const std::uint8_t> payload, std::span<std::uint8_t> output) override {
        if (payload.size() != output.size() || output.size() > kMaxFrameSize) return false;
        if (!output.empty()) std::memcpy(output.data(), payload.data(), output.size());
        return true;
    }
};

}  // namespace

std::unique_ptr<FrameDecoder> MakeFrameDecoder(std::uint16_t compressionType) {
    const int windowBits = (compressionType >> 8) & 0x1F;
    switch (static_cast<Method>(compressionType & 0x0F)) {
    case Method::Stored: return std::make_unique<StoredDecoder>();
    case Method::Mszip: return MakeMszipDecoder();
    case Method::Quantum: return MakeQuantumDecoder(windowBits);
    case Method::Lzx: return MakeLzxDecoder(windowBits);
    }
    return nullptr;
}

}  // namespace tarvik::codec
