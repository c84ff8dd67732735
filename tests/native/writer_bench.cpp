// Times the writer's frame encoders natively on files given on the command
// line (one folder, as the library writes a single cabinet) and checks the
// result with the decoders. For tuning the match finder; not a test.
//   writer_bench METHOD FILE...   (METHOD: mszip, lzx15 .. lzx21)
#include <chrono>
#include <cstdio>
#include <string>

#include "test_streams.h"

int main(int argc, char** argv) {
    using namespace tarvik::testing;
    using tarvik::cabwriter::Compression;
    if (argc < 3) return 2;
    const std::string method = argv[1];
    Bytes data;
    for (int i = 2; i < argc; ++i) {
        const Bytes file = ReadWholeFile(argv[i]);
        data.insert(data.end(), file.begin(), file.end());
    }
    const auto start = std::chrono::steady_clock::now();
    const Folder folder = method == "mszip" ? EncodeWithWriter(Compression::Mszip, 0, data)
                                            : EncodeWithWriter(Compression::Lzx, std::stoi(method.substr(3)), data, 4);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::uint64_t bytes = 0;
    for (const Block& block : folder.blocks) bytes += block.payload.size() + 8;
    Bytes check;
    const bool same = DecodeFolder(folder, check) && check == data;
    std::printf("%s: %zu -> %llu bytes, %.2f MB/s%s\n", method.c_str(), data.size(),
                static_cast<unsigned long long>(bytes), data.size() / 1048576.0 / seconds.count(),
                same ? "" : "  DECODE MISMATCH");
    return same ? 0 : 1;
}
