#include "lzx_decoder.h"

#include <array>
#include <cstring>
#include <vector>

#include "bit_reader.h"
#include "huffman_decoder.h"
#include "lzx_tables.h"

namespace cab32 {
namespace {

using namespace cab32::lzx;

constexpr int kBlockUncompressed = 3;
constexpr int kMainTableBits = 12;
constexpr int kLengthTableBits = 12;
constexpr int kPretreeTableBits = 6;
constexpr int kAlignedTableBits = 7;
// Bytes past the window's end that a match copy may overwrite (and put back).
constexpr std::uint32_t kWindowSlack = 8;
// Frames after this many are never call-translated.
constexpr std::uint32_t kTranslatedFrames = 32768;

class LzxDecoder final : public FrameDecoder {
public:
    explicit LzxDecoder(int windowBits)
        : windowSize_(1u << windowBits),
          mask_(windowSize_ - 1),
          window_(windowSize_ + kWindowSlack),
          mainLengths_(kNumChars + 8 * PositionSlotCount(windowBits), 0),
          lengthLengths_(kNumSecondaryLengths, 0) {}

    bool Decode(std::span<const std::uint8_t> payload, std::span<std::uint8_t> output) override;

private:
    bool ReadBlockHeader(LzxBitReader& bits);
    bool ReadLengths(LzxBitReader& bits, std::vector<std::uint8_t>& lengths, int first, int last);
    bool DecodeItems(LzxBitReader& bits, std::uint64_t until);
    bool CopyMatch(std::uint8_t* window, std::uint64_t decoded, std::uint32_t offset, std::uint32_t length) const;

    std::uint32_t windowSize_;
    std::uint32_t mask_;
    std::vector<std::uint8_t> window_;
    std::uint64_t decoded_ = 0;     // bytes decoded into the window so far
    std::uint64_t frameStart_ = 0;  // folder offset of the next frame to hand out
    std::uint32_t framesDone_ = 0;
    bool lastFrameSeen_ = false;
    bool failed_ = false;
    bool headerRead_ = false;
    std::uint32_t translationSize_ = 0;
    int blockType_ = 0;
    std::uint32_t blockRemaining_ = 0;
    bool padAfterBlock_ = false;  // an uncompressed block of odd size is followed by one byte
    std::uint32_t repeats_[3] = {1, 1, 1};
    std::vector<std::uint8_t> mainLengths_;
    std::vector<std::uint8_t> lengthLengths_;
    HuffmanDecoder<kMainTableBits> main_;
    HuffmanDecoder<kLengthTableBits> length_;
    HuffmanDecoder<kAlignedTableBits> aligned_;
    HuffmanDecoder<kPretreeTableBits> pretree_;
};

bool LzxDecoder::Decode(std::span<const std::uint8_t> payload, std::span<std::uint8_t> output) {
    // Only a folder's last frame may be shorter than 32 KB: every frame
    // starts on a 32 KB boundary of the window.
    if (failed_ || lastFrameSeen_ || output.empty() || output.size() > kFrameSize) return false;
    failed_ = true;  // until this frame is known to be good
    lastFrameSeen_ = output.size() < kFrameSize;
    LzxBitReader bits(payload);
    if (!headerRead_) {
        if (bits.Read(1) != 0) {
            translationSize_ = bits.Read(16) << 16;
            translationSize_ |= bits.Read(16);
        }
        headerRead_ = true;
    }
    const std::uint64_t frameEnd = frameStart_ + output.size();
    while (decoded_ < frameEnd) {
        if (blockRemaining_ == 0) {
            if (!ReadBlockHeader(bits)) return false;
            continue;
        }
        // A match may run up to 257 bytes past the frame, never past its block.
        const std::uint64_t want = std::min<std::uint64_t>(blockRemaining_, frameEnd - decoded_);
        const std::uint64_t before = decoded_;
        if (blockType_ == kBlockUncompressed) {
            if (!bits.ReadBytes(&window_[decoded_ & mask_], want)) return false;
            decoded_ += want;
        } else if (!DecodeItems(bits, decoded_ + want)) {
            return false;
        }
        if (decoded_ - before > blockRemaining_) return false;
        blockRemaining_ -= static_cast<std::uint32_t>(decoded_ - before);
        if (bits.Overrun()) return false;
    }
    std::memcpy(output.data(), &window_[frameStart_ & mask_], output.size());
    if (translationSize_ != 0 && framesDone_ < kTranslatedFrames)
        UndoCallTranslation(output, static_cast<std::uint32_t>(frameStart_), translationSize_);
    frameStart_ = frameEnd;
    ++framesDone_;
    failed_ = false;
    return true;
}

bool LzxDecoder::ReadBlockHeader(LzxBitReader& bits) {
    if (padAfterBlock_) bits.SkipBytes(1);
    padAfterBlock_ = false;
    bits.Refill();
    blockType_ = static_cast<int>(bits.Read(3));
    blockRemaining_ = bits.Read(16) << 8;
    blockRemaining_ |= bits.Read(8);
    switch (blockType_) {
    case kBlockAligned: {
        std::uint8_t alignedLengths[kAlignedSymbols];
        for (std::uint8_t& length : alignedLengths) length = static_cast<std::uint8_t>(bits.Read(3));
        if (!aligned_.Build(alignedLengths)) return false;
        [[fallthrough]];
    }
    case kBlockVerbatim:
        if (!ReadLengths(bits, mainLengths_, 0, kNumChars) ||
            !ReadLengths(bits, mainLengths_, kNumChars, static_cast<int>(mainLengths_.size())) ||
            !main_.Build(mainLengths_) ||
            !ReadLengths(bits, lengthLengths_, 0, kNumSecondaryLengths) ||
            !length_.Build(lengthLengths_))
            return false;
        break;
    case kBlockUncompressed: {
        bits.AlignForRawBytes();
        std::uint8_t stored[12];
        if (!bits.ReadBytes(stored, sizeof stored)) return false;
        for (int r = 0; r < 3; ++r) {
            const std::uint8_t* p = stored + 4 * r;
            repeats_[r] = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                          std::uint32_t{p[3]} << 24;
        }
        padAfterBlock_ = (blockRemaining_ & 1) != 0;
        break;
    }
    default:
        return false;
    }
    return !bits.Overrun();
}

// Code lengths [first, last) sent through a pretree as changes to the
// previous block's lengths (mod 17), with runs of zeros and of equal values.
bool LzxDecoder::ReadLengths(LzxBitReader& bits, std::vector<std::uint8_t>& lengths, int first, int last) {
    std::uint8_t pretreeLengths[kPretreeSymbols];
    for (std::uint8_t& length : pretreeLengths) length = static_cast<std::uint8_t>(bits.Read(4));
    if (!pretree_.Build(pretreeLengths)) return false;
    auto changed = [](std::uint8_t previous, int delta) { return static_cast<std::uint8_t>((previous + 17 - delta) % 17); };
    for (int x = first; x < last;) {
        bits.Refill();
        const int symbol = pretree_.Decode(bits);
        int run = 1;
        std::uint8_t value = 0;
        if (symbol < 0) return false;
        if (symbol == 17) {
            run = static_cast<int>(bits.Read(4)) + 4;
        } else if (symbol == 18) {
            run = static_cast<int>(bits.Read(5)) + 20;
        } else if (symbol == 19) {
            run = static_cast<int>(bits.Read(1)) + 4;
            bits.Refill();
            const int delta = pretree_.Decode(bits);
            if (delta < 0 || delta > 16) return false;
            value = changed(lengths[x], delta);
        } else {
            value = changed(lengths[x], symbol);
        }
        if (run > last - x) return false;
        std::memset(&lengths[x], value, static_cast<std::size_t>(run));
        x += run;
    }
    return !bits.Overrun();
}

// Decodes literals and matches until at least `until` bytes are decoded.
// The reader, the position and the repeated offsets are held in locals:
// the stores into the window (bytes, which may alias any object whose
// address is known) would otherwise make the compiler load them again from
// memory after every byte. One refill (48 bits or more) gives the main code
// and the length code (16 bits each at most), after a literal's code too; a
// match's offset bits (up to 17, or 14 and an aligned code of up to 7) take
// a second one.
bool LzxDecoder::DecodeItems(LzxBitReader& reader, std::uint64_t until) {
    const bool alignedBlock = blockType_ == kBlockAligned;
    LzxBitReader bits = reader;
    std::uint8_t* const window = window_.data();
    const std::uint32_t mask = mask_;
    std::uint64_t decoded = decoded_;
    std::uint32_t repeats[3] = {repeats_[0], repeats_[1], repeats_[2]};
    bool good = true;
    while (decoded < until) {
        bits.Refill();
        int symbol = main_.Decode(bits);
        if (static_cast<unsigned>(symbol) < kNumChars) {
            window[decoded++ & mask] = static_cast<std::uint8_t>(symbol);
            if (decoded >= until) break;
            // A literal's code leaves at least 32 of the refill's bits: enough
            // for one more item's main and length codes.
            symbol = main_.Decode(bits);
            if (static_cast<unsigned>(symbol) < kNumChars) {
                window[decoded++ & mask] = static_cast<std::uint8_t>(symbol);
                continue;
            }
        }
        if (symbol < 0) {
            good = false;
            break;
        }
        const int header = symbol - kNumChars;
        std::uint32_t length = static_cast<std::uint32_t>(header & 7);
        if (length == kNumPrimaryLengths) {
            const int more = length_.Decode(bits);
            if (more < 0) {
                good = false;
                break;
            }
            length += static_cast<std::uint32_t>(more);
        }
        length += kMinMatch;
        const int slot = header >> 3;
        std::uint32_t offset;
        if (slot > 2) {
            const int extra = kExtraBits[slot];
            offset = kPositionBase[slot] - 2;
            bits.Refill();
            if (alignedBlock && extra >= 3) {
                offset += bits.Take(extra - 3) << 3;
                const int low = aligned_.Decode(bits);
                if (low < 0) {
                    good = false;
                    break;
                }
                offset += static_cast<std::uint32_t>(low);
            } else {
                offset += bits.Take(extra);
            }
            repeats[2] = repeats[1];
            repeats[1] = repeats[0];
            repeats[0] = offset;
        } else {
            offset = repeats[slot];
            repeats[slot] = repeats[0];
            repeats[0] = offset;
        }
        if (!CopyMatch(window, decoded, offset, length)) {
            good = false;
            break;
        }
        decoded += length;
    }
    reader = bits;
    decoded_ = decoded;
    for (int r = 0; r < 3; ++r) repeats_[r] = repeats[r];
    return good;
}

// Copies `length` bytes forward from `from` to `out` eight bytes a step,
// where no step's source overlaps the bytes an earlier step wrote: the
// source lies 8 or more bytes before the destination, or anywhere after it.
// The last step may run up to 7 bytes past the end (into the slack past the
// window's end at most); those bytes may still be history, so they are
// saved first and put back after. Most matches are short, and a call to the
// C library's memcpy (Wine's, in the Windows builds) would cost more than
// the copy.
inline void CopyInSteps(std::uint8_t* out, const std::uint8_t* from, std::uint32_t length) {
    std::uint8_t saved[8];
    std::memcpy(saved, out + length, 8);
    std::uint32_t i = 0;
    do {
        std::uint64_t chunk;
        std::memcpy(&chunk, from + i, 8);
        std::memcpy(out + i, &chunk, 8);
        i += 8;
    } while (i < length);
    std::memcpy(out + length, saved, 8);
}

// The same for a run of one byte (offset 1), which memset would do with a
// call into the C library.
inline void FillInSteps(std::uint8_t* out, std::uint8_t byte, std::uint32_t length) {
    const std::uint64_t eight = 0x0101010101010101ull * byte;
    std::uint8_t saved[8];
    std::memcpy(saved, out + length, 8);
    std::uint32_t i = 0;
    do {
        std::memcpy(out + i, &eight, 8);
        i += 8;
    } while (i < length);
    std::memcpy(out + length, saved, 8);
}

// Copies a match to window position `decoded`. The source must lie in
// data already decoded and within the window; the destination never wraps
// the window.
bool LzxDecoder::CopyMatch(std::uint8_t* window, std::uint64_t decoded, std::uint32_t offset,
                           std::uint32_t length) const {
    const std::uint32_t at = static_cast<std::uint32_t>(decoded & mask_);
    if (offset == 0 || offset > decoded || offset >= windowSize_ || at + length > windowSize_) return false;
    std::uint8_t* out = window + at;
    if (offset <= at) {
        const std::uint8_t* from = out - offset;
        if (offset >= 8) {
            CopyInSteps(out, from, length);
        } else if (offset == 1) {
            FillInSteps(out, out[-1], length);
        } else {
            for (std::uint32_t i = 0; i < length; ++i) out[i] = from[i];
        }
    } else if (at + length <= offset) {
        // The source lies wholly in the window's last bytes, after the
        // destination (as often as not in a large window).
        CopyInSteps(out, out + (windowSize_ - offset), length);
    } else {
        // The source runs over the window's end to its start.
        std::uint32_t from = at + windowSize_ - offset;
        for (std::uint32_t i = 0; i < length; ++i) out[i] = window[from++ & mask_];
    }
    return true;
}

}  // namespace

void UndoCallTranslation(std::span<std::uint8_t> frame, std::uint32_t framePosition, std::uint32_t translationSize) {
    if (frame.size() <= 10) return;
    const auto size = static_cast<std::int64_t>(translationSize);
    std::uint8_t* data = frame.data();
    std::uint8_t* const end = data + frame.size() - 10;
    auto position = static_cast<std::int64_t>(framePosition);
    while (data < end) {
        if (*data++ != 0xE8) {
            ++position;
            continue;
        }
        const auto absolute = static_cast<std::int32_t>(std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                                                        std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 24);
        if (absolute >= -position && absolute < size) {
            const std::int64_t relative = absolute >= 0 ? absolute - position : absolute + size;
            const auto bytes = static_cast<std::uint32_t>(relative);
            for (int i = 0; i < 4; ++i) data[i] = static_cast<std::uint8_t>(bytes >> (8 * i));
        }
        data += 4;
        position += 5;
    }
}

std::unique_ptr<FrameDecoder> MakeLzxDecoder(int windowBits) {
    if (windowBits < kMinWindowBits || windowBits > kMaxWindowBits) return nullptr;
    return std::make_unique<LzxDecoder>(windowBits);
}

}  // namespace cab32
