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

// Deflate level of MSZIP unless asked otherwise, with the history carried
// across blocks. The default is tuned (mszip_encoder.cpp): level 6's ratio
// within 0.2%, faster than level 6 with blocks compressed apart (gcab).
inline constexpr int kDefaultMszipLevel = 6;
// The match length after which the default level searches a quarter of its chains.
inline constexpr int kDefaultGoodLength = 4;

// Finished CFDATA payloads, one per frame, oldest first.
using Payloads = std::vector<std::vector<std::uint8_t>>;

class FrameEncoder {
public:
    virtual ~FrameEncoder() = default;
    // Compresses the next frame (1 to 32768 bytes; only the folder's last
    // frame may be shorter) and appends to `ready` the payloads of the
    // frames it has finished, in the order the frames came. False when the
    // compressor fails.
    virtual bool Encode(std::span<const std::uint8_t> frame, Payloads& ready) = 0;
    // Ends the folder: appends the payloads of every frame still held.
    virtual bool Finish(Payloads& ready) {
        (void)ready;
        return true;
    }
};

// Null when the settings are out of range (window bits outside 15..21,
// deflate level outside 1..9) or the compressor cannot start. LZX may code
// up to `framesPerBlock` frames as one block (smaller, as the block's trees
// are sent once) and then hands their payloads out together.
[[nodiscard]] std::unique_ptr<FrameEncoder> MakeFrameEncoder(Compression compression, int lzxWindowBits,
                                                             int mszipLevel, int framesPerBlock = 1);

// The CFFOLDER compression type word for these settings.
std::uint16_t FolderCompressionType(Compression compression, int lzxWindowBits);

}  // namespace tarvik::cabwriter
