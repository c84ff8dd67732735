// Times the writer's frame encoders natively on files given on the command
// line (one folder, as the library writes a single cabinet, compressed on
// one thread) and checks the result with the decoders. For tuning the match
// finder and the stretch sizes; not a test. With --cab the folder is also
// written as a one-file cabinet, e.g. for cabcore_bench.
//   writer_bench METHOD [--stretch FRAMES] [--cab OUT] FILE...   (METHOD: mszip, lzx15 .. lzx21)
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <string>

#include "test_streams.h"

int main(int argc, char** argv) {
    using namespace tarvik::testing;
    using cab32::Compression;
    if (argc < 3) return 2;
    const std::string method = argv[1];
    int first = 2;
    int stretchFrames = 0;
    const char* cabinetPath = nullptr;
    for (;;) {
        if (std::strcmp(argv[first], "--stretch") == 0 && argc > first + 2) {
            stretchFrames = std::stoi(argv[first + 1]);
        } else if (std::strcmp(argv[first], "--cab") == 0 && argc > first + 2) {
            cabinetPath = argv[first + 1];
        } else {
            break;
        }
        first += 2;
    }
    Bytes data;
    for (int i = first; i < argc; ++i) {
        const Bytes file = ReadWholeFile(argv[i]);
        data.insert(data.end(), file.begin(), file.end());
    }
    // Processor time as well as the clock's: the build machine is shared.
    const auto processor = [] {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    };
    const double processorStart = processor();
    const auto start = std::chrono::steady_clock::now();
    const Folder folder = method == "mszip"
                              ? EncodeWithWriter(Compression::Mszip, 0, data, 1, stretchFrames)
                              : EncodeWithWriter(Compression::Lzx, std::stoi(method.substr(3)), data, 4, stretchFrames);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double processorSeconds = processor() - processorStart;
    std::uint64_t bytes = 0;
    for (const Block& block : folder.blocks) bytes += block.payload.size() + 8;
    Bytes check;
    const bool same = DecodeFolder(folder, check) && check == data;
    if (cabinetPath) WriteWholeFile(cabinetPath, BuildCabinet(folder));
    std::printf("%s: %zu -> %llu bytes, %.2f MB/s, %.2f MB/s of processor time%s\n", method.c_str(), data.size(),
                static_cast<unsigned long long>(bytes), data.size() / 1048576.0 / seconds.count(),
                data.size() / 1048576.0 / processorSeconds, same ? "" : "  DECODE MISMATCH");
    return same ? 0 : 1;
}
