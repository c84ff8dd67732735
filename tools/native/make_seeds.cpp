// Writes the fuzzers' seed corpus: small streams the encoders make, in the
// fuzz targets' input layout. Run by hand when the layout changes:
//   make_seeds tests/native/corpus
#include <filesystem>
#include <string>

#include "fuzz_frames.h"
#include "test_streams.h"

using namespace tarvik::testing;
using cab32::Compression;

namespace {

std::vector<FuzzBlock> Blocks(const Folder& folder) {
    std::vector<FuzzBlock> blocks;
    for (const Block& block : folder.blocks) blocks.push_back({block.payload, block.size});
    return blocks;
}

void Write(const std::string& folder, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(folder);
    WriteWholeFile(folder + "/" + name, bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 1;
    const std::string root = argv[1];
    const Bytes samples[] = {SampleData(Sample::Text, 3000, 1), SampleData(Sample::Mixed, 40000, 2),
                             SampleData(Sample::Calls, 2000, 3), Bytes{'x'},
                             SampleData(Sample::Random, 4999, 4)};  // an uncompressed LZX block with its pad byte
    for (std::size_t i = 0; i < std::size(samples); ++i) {
        const std::string n = std::to_string(i);
        for (int bits : {15, 18, 21})
            Write(root + "/lzx", "w" + std::to_string(bits) + "-" + n,
                  PackFuzzFrames(static_cast<std::uint8_t>(bits - 15), Blocks(EncodeWithWriter(Compression::Lzx, bits, samples[i], 2))));
        for (int bits : {10, 15, 21})
            Write(root + "/quantum", "w" + std::to_string(bits) + "-" + n,
                  PackFuzzFrames(static_cast<std::uint8_t>(bits - 10), Blocks(EncodeQuantum(bits, samples[i]))));
        Write(root + "/mszip", n, PackFuzzFrames(0, Blocks(EncodeWithWriter(Compression::Mszip, 0, samples[i]))));
        Write(root + "/stored", n, PackFuzzFrames(0, Blocks(EncodeWithWriter(Compression::None, 0, samples[i]))));
        for (Compression method : {Compression::None, Compression::Mszip, Compression::Lzx})
            Write(root + "/cabinet", std::to_string(static_cast<int>(method)) + "-" + n,
                  BuildCabinet(EncodeWithWriter(method, 16, samples[i])));
        Bytes roundtrip{static_cast<std::uint8_t>(i * 5), 1};
        roundtrip.insert(roundtrip.end(), samples[i].begin(), samples[i].begin() + std::min<std::size_t>(samples[i].size(), 5000));
        Write(root + "/roundtrip", n, roundtrip);
    }
    return 0;
}
