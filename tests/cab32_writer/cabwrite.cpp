// cabwrite: writes a cabinet with the library's own writer, for the tests
// and the benchmark.
//   cabwrite METHOD VOLUMEBYTES OUTPUT FILE...
//   METHOD: none, mszip, mszip1..mszip9, lzx15..lzx21
//   VOLUMEBYTES: 0 for one cabinet; otherwise volumes named like OUTPUT
//     with two digits before the extension (a.cab: a01.cab, a02.cab, ...)
//   FILE: "stored*source", a plain source path (stored under its file
//     name), or "@list" naming a file with one such entry a line.
// Exit code 0 on success, 1 for a usage error, 10 + the error number otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "cabinet_writer.h"
#include "sjis_path.h"
#include "wide_names.h"

namespace {

using namespace cab32;

bool ParseMethod(const std::string& text, WriterOptions& options) {
    if (text == "none") {
        options.compression = Compression::None;
    } else if (text.rfind("mszip", 0) == 0) {
        options.compression = Compression::Mszip;
        if (text.size() > 5) options.mszipLevel = std::atoi(text.c_str() + 5);
    } else if (text.rfind("lzx", 0) == 0 && text.size() > 3) {
        options.compression = Compression::Lzx;
        options.lzxWindowBits = std::atoi(text.c_str() + 3);
    } else {
        return false;
    }
    return true;
}

WriterInputFile DescribeFile(const std::string& entry) {
    WriterInputFile file;
    const std::size_t star = entry.find('*');  // "*" cannot occur in a Windows path
    file.displayPath = star == std::string::npos ? entry : entry.substr(star + 1);
    file.sourcePath = tarvik::WideFromAnsi(file.displayPath);
    file.storedName = star == std::string::npos ? std::string(tarvik::FileNamePart(entry)) : entry.substr(0, star);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(file.displayPath.c_str(), GetFileExInfoStandard, &data)) {
        FILETIME local;
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        FileTimeToDosDateTime(&local, &file.dosDate, &file.dosTime);
        file.attributes = static_cast<std::uint16_t>(data.dwFileAttributes);
    }
    return file;
}

void AddEntries(const std::string& argument, std::vector<WriterInputFile>& files) {
    if (argument.empty() || argument[0] != '@') {
        files.push_back(DescribeFile(argument));
        return;
    }
    std::ifstream list(argument.substr(1));
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) files.push_back(DescribeFile(line));
    }
}

}  // namespace

int main(int argc, char** argv) {
    WriterOptions options;
    if (argc < 4 || !ParseMethod(argv[1], options)) {
        std::fprintf(stderr, "usage: cabwrite METHOD VOLUMEBYTES OUTPUT FILE...\n");
        return 1;
    }
    options.volumeSizeBytes = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    const std::string output = argv[3];
    options.cabinetPath = output;
    options.volumePath = [output](int number) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%02d", number);
        return tarvik::InsertBeforeExtension(output, digits);
    };
    std::vector<WriterInputFile> files;
    for (int i = 4; i < argc; ++i) AddEntries(argv[i], files);
    const WriteResult result = WriteCabinet(files, options);
    if (result.error != WriteError::None) {
        std::fprintf(stderr, "cabwrite: error %d %s\n", static_cast<int>(result.error), result.failedPath.c_str());
        return 10 + static_cast<int>(result.error);
    }
    for (const std::string& path : result.cabinets) std::printf("%s\n", path.c_str());
    std::printf("bytes %llu\n", static_cast<unsigned long long>(result.cabinetBytes));
    return 0;
}
