// Streams and cabinets for the native tests, the seed corpus and the fuzzers:
// sample data, folders compressed by the library's own encoders, a small
// reader of single cabinets and a writer of single-folder cabinets that
// cabextract can check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cab_format.h"
#include "frame_decoder.h"
#include "frame_encoder.h"

namespace tarvik::testing {

using Bytes = std::vector<std::uint8_t>;

// One CFDATA block: its payload and the bytes it decodes to.
struct Block {
    Bytes payload;
    std::uint16_t size = 0;
};

struct Folder {
    std::uint16_t type = 0;  // CFFOLDER compression type word
    std::vector<Block> blocks;
};

enum class Sample { Text, Random, Mixed, Calls };
// Deterministic data of one kind: words in lines, random bytes, runs of
// both with repeats at long distances, or x86-like code full of E8 calls.
Bytes SampleData(Sample kind, std::size_t size, std::uint32_t seed);

// The data compressed by the writer's encoders (None, Mszip, Lzx) in
// stretches of `stretchFrames` frames (0: as the writer cuts them), or by
// the test Quantum encoder (window bits 10..21).
Folder EncodeWithWriter(cab32::Compression method, int lzxWindowBits, const Bytes& data, int framesPerBlock = 1,
                        int stretchFrames = 0);
Folder EncodeQuantum(int windowBits, const Bytes& data);

// Decodes every block of the folder; false at the first bad one.
bool DecodeFolder(const Folder& folder, Bytes& out);

// A cabinet with one folder holding one file named "data.bin".
Bytes BuildCabinet(const Folder& folder);
// The folders of a single cabinet (no volumes), read back.
bool ReadCabinetFolders(const Bytes& cabinet, std::vector<Folder>& folders);

// Runs cabextract on the cabinet; the one file's bytes, or false.
bool ExtractWithCabextract(const Bytes& cabinet, Bytes& out);
// Empty when both the library's decoders and cabextract give back
// `expected` from the folder; else which of them did not.
std::string DecodersDisagree(const Folder& folder, const Bytes& expected);

// A cabinet held in memory, for the structure and folder readers.
class MemoryCabSource final : public cab32::CabSource {
public:
    MemoryCabSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit MemoryCabSource(const Bytes& bytes) : MemoryCabSource(bytes.data(), bytes.size()) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }
    bool Read(std::int64_t offset, void* buffer, std::uint32_t count) const override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

Bytes ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const Bytes& bytes);

}  // namespace tarvik::testing
