// Times the portable core reading one cabinet (no volumes) as the library
// does: the tables, then every folder through the folder reader, frame by
// frame, from the file (the bytes are counted, not kept). Prints
// "decode-seconds N" and the bytes decoded; exit code 1 on bad data.
//   cabcore_bench CABINET
#include <chrono>
#include <cstdio>

#include "folder_reader.h"

namespace {

// The cabinet file, read with stdio as the library reads with Win32.
class FileSource final : public cab32::CabSource {
public:
    explicit FileSource(const char* path) : file_(std::fopen(path, "rb")) {}
    ~FileSource() override {
        if (file_) std::fclose(file_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    std::int64_t Size() const override {
        if (!file_ || std::fseek(file_, 0, SEEK_END) != 0) return -1;
        return std::ftell(file_);
    }
    bool Read(std::int64_t offset, void* buffer, std::uint32_t count) const override {
        return file_ && std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0 &&
               std::fread(buffer, 1, count, file_) == count;
    }

private:
    std::FILE* file_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const auto start = std::chrono::steady_clock::now();
    const FileSource source(argv[1]);
    cab32::CabDirectory directory;
    if (cab32::ReadCabDirectory(source, directory, true) != cab32::CabFault::None) return 1;
    std::uint64_t total = 0;
    for (const cab32::CabFolder& folder : directory.folders) {
        cab32::FolderReader reader(folder.compression);
        reader.StartPart(source, directory, folder);
        std::span<const std::uint8_t> frame;
        cab32::FolderReader::Step step;
        while ((step = reader.Next(frame)) == cab32::FolderReader::Step::Frame) total += frame.size();
        if (step == cab32::FolderReader::Step::Bad) return 1;
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("decode-seconds %.4f\nbytes %llu\n", seconds.count(), static_cast<unsigned long long>(total));
    return 0;
}
