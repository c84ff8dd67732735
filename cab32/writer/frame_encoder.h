// The compressor of one folder: it turns the folder's data, 32 KB at a
// time, into the payloads of consecutive CFDATA blocks. Earlier frames stay
// the history of later ones where the method allows it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tarvik::cabwriter {

enum class Compression { None, Mszip, Lzx };

inline constexpr std::size_t kFrameSize = 32768;

class FrameEncoder {
public:
    virtual ~FrameEncoder() = default;
    // Compresses the next frame (1 to 32768 bytes; only the folder's last
    // frame may be shorter) into `out`, replacing its contents. False when
    // the compressor fails.
    virtual bool Encode(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out) = 0;
};

// Null when the settings are out of range (window bits outside 15..21,
// deflate level outside 1..9) or the compressor cannot start.
[[nodiscard]] std::unique_ptr<FrameEncoder> MakeFrameEncoder(Compression compression, int lzxWindowBits,
                                                             int mszipLevel);

// The CFFOLDER compression type word for these settings.
std::uint16_t FolderCompressionType(Compression compression, int lzxWindowBits);

}  // namespace tarvik::cabwriter
