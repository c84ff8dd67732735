#include "frame_decoder.h"

#include <cstring>

#include "lzx_decoder.h"
#include "mszip_decoder.h"
#include "quantum_decoder.h"

namespace cab32 {
namespace {

class StoredDecoder final : public FrameDecoder {
public:
    bool Decode(std::span<const std::uint8_t> payload, std::span<std::uint8_t> output) override {
        if (payload.size() != output.size() || output.size() > kFrameSize) return false;
        if (!output.empty()) std::memcpy(output.data(), payload.data(), output.size());
        return true;
    }
};

}  // namespace

std::unique_ptr<FrameDecoder> MakeFrameDecoder(std::uint16_t compressionType) {
    const int windowBits = static_cast<int>(TypeWindowBits(compressionType));
    switch (TypeMethod(compressionType)) {
    case static_cast<unsigned>(Compression::None): return std::make_unique<StoredDecoder>();
    case static_cast<unsigned>(Compression::Mszip): return MakeMszipDecoder();
    case static_cast<unsigned>(Compression::Quantum): return MakeQuantumDecoder(windowBits);
    case static_cast<unsigned>(Compression::Lzx): return MakeLzxDecoder(windowBits);
    }
    return nullptr;
}

}  // namespace cab32
