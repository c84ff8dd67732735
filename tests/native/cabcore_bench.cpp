// Times the portable core's decoders on one cabinet (no volumes): reading
// the file, walking its data blocks and decoding every folder in memory.
// Prints "decode-seconds N" and the bytes decoded; exit code 1 on bad data.
//   cabcore_bench CABINET
#include <chrono>
#include <cstdio>

#include "test_streams.h"

int main(int argc, char** argv) {
    using namespace tarvik::testing;
    if (argc != 2) return 2;
    const auto start = std::chrono::steady_clock::now();
    std::vector<Folder> folders;
    if (!ReadCabinetFolders(ReadWholeFile(argv[1]), folders)) return 1;
    std::uint64_t total = 0;
    Bytes out;
    for (const Folder& folder : folders) {
        if (!DecodeFolder(folder, out)) return 1;
        total += out.size();
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("decode-seconds %.4f\nbytes %llu\n", seconds.count(), static_cast<unsigned long long>(total));
    return 0;
}
