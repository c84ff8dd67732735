// A small Quantum compressor, used only by the tests to make the streams
// the decoder is checked with (no archiver at hand writes Quantum). Greedy
// matching over hash chains; every 32 KB frame is one CFDATA payload whose
// arithmetic coder starts afresh, as readers expect.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "quantum_model.h"

namespace cab32 {

class QuantumEncoder {
public:
    explicit QuantumEncoder(int windowBits);  // 10..21

    // Compresses the folder's next frame (1 to 32768 bytes; only the last
    // may be shorter) into one payload.
    std::vector<std::uint8_t> EncodeFrame(std::span<const std::uint8_t> frame);

    // The CFFOLDER type word for this window (and a compression level, which
    // readers ignore).
    static std::uint16_t FolderType(int windowBits, int level = 4) {
        return static_cast<std::uint16_t>(2 | (level << 4) | (windowBits << 8));
    }

private:
    void Put(quantum::Model& model, int symbol);
    void PutBits(std::uint32_t value, int count);
    void PutBit(int bit);
    std::vector<std::uint8_t> Finish();
    std::uint32_t LongestMatch(std::size_t position, std::size_t end, std::uint32_t& offset) const;
    bool Encodable(std::uint32_t length, std::uint32_t offset) const;
    void PutMatch(std::uint32_t length, std::uint32_t offset);

    std::uint32_t windowSize_;
    quantum::Models models_;
    std::vector<std::uint8_t> history_;  // everything so far: tests compress little data
    std::vector<std::int64_t> head_;
    std::vector<std::int64_t> chain_;
    // The decoder's code register runs 16 bits ahead of the coder, so the
    // plain footer bits a match sends belong 16 code bits after the point
    // where the coder stands: both streams are kept apart and merged when
    // the frame ends.
    struct Footer {
        std::size_t atCodeBit;
        std::uint32_t value;
        int count;
    };
    std::vector<std::uint8_t> codeBits_;
    std::vector<Footer> footers_;
    std::size_t shifts_ = 0;
    std::uint32_t low_ = 0, high_ = 0xFFFF;
    int pending_ = 0;
};

}  // namespace cab32
