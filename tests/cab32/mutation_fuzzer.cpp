// A mutation fuzzer for the library's reading: takes sound cabinets, writes
// bounded, seeded mutations of them (bit flips, truncations, edits of header,
// folder, file and data block fields, spliced bytes) and runs the check, the
// member enumeration, -l, -t and -x on each. Nothing may crash, hang, write
// outside the target folder or leave a temporary file behind.
//
// Usage: cab32_mutate DLL CORPUS_FOLDER WORK_FOLDER CASES SEED [ONLY_CASE]
//   CORPUS_FOLDER holds the sound cabinets; a cabinet whose name ends in
//   "01.cab" is the first of a set and its later volumes lie beside it (only
//   the first volume is mutated). Exit code 0 when every case passed; 1 with
//   the failing cases listed; a crash or a hang (a call over 10 s) ends the
//   process at once, after the case and its seed were printed. A failing
//   cabinet is kept in WORK_FOLDER\failures.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cab32_api.h"
#include "dll_module.h"
#include "temp_folder.h"

namespace api = tarvik::cab32;

namespace {

constexpr DWORD kCallLimitMs = 10000;

std::uint32_t Get(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | (at + i < b.size() ? static_cast<unsigned char>(b[at + i]) : 0);
    return v;
}

void Set(std::string& b, std::size_t at, int bytes, std::uint32_t v) {
    for (int i = 0; i < bytes && at + i < b.size(); ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Where the fields of a sound cabinet lie, found once before mutating it.
struct Layout {
    std::vector<std::size_t> folders;  // folder table entries
    std::vector<std::size_t> files;    // file table entries
    std::vector<std::size_t> blocks;   // data block headers
    std::size_t headerReserve = 0;     // where the reserve sizes are, 0 when none
};

Layout Locate(const std::string& cab) {
    Layout layout;
    std::size_t at = 36;
    const std::uint32_t flags = Get(cab, 30, 2);
    std::size_t folderReserve = 0, dataReserve = 0;
    if (flags & 4) {
        layout.headerReserve = at;
        folderReserve = Get(cab, at + 2, 1);
        dataReserve = Get(cab, at + 3, 1);
        at += 4 + Get(cab, at, 2);
    }
    for (std::uint32_t bit : {1u, 2u}) {  // previous and next cabinet: a name and a disk
        if (!(flags & bit)) continue;
        for (int s = 0; s < 2; ++s) at = cab.find('\0', at) + 1;
    }
    for (std::uint32_t i = 0; i < Get(cab, 26, 2) && at + 8 <= cab.size(); ++i, at += 8 + folderReserve) {
        layout.folders.push_back(at);
        std::size_t block = Get(cab, at, 4);
        for (std::uint32_t n = 0; n < Get(cab, at + 4, 2) && block + 8 <= cab.size(); ++n) {
            layout.blocks.push_back(block);
            block += 8 + dataReserve + Get(cab, block + 4, 2);
        }
    }
    at = Get(cab, 16, 4);
    for (std::uint32_t i = 0; i < Get(cab, 28, 2) && at + 16 < cab.size(); ++i) {
        layout.files.push_back(at);
        at = cab.find('\0', at + 16) + 1;
        if (at == 0) break;
    }
    return layout;
}

class Mutator {
public:
    explicit Mutator(std::uint32_t seed) : random_(seed) {}

    std::string Mutate(std::string cab, const Layout& layout) {
        const int edits = 1 + Below(3);
        for (int i = 0; i < edits && !cab.empty(); ++i) Edit(cab, layout);
        return cab;
    }

private:
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(random_() % n); }
    template <typename T>
    std::size_t Pick(const std::vector<T>& items) { return Below(static_cast<std::uint32_t>(items.size())); }

    // A value worth trying in place of `original`.
    std::uint32_t Interesting(std::uint32_t original, int bytes) {
        const std::uint32_t max = bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1;
        const std::uint32_t choices[] = {0, 1, original + 1, original - 1, max, max / 2, max / 2 + 1,
                                         0x8000, 0x8001, 0x7FFF, original * 2, static_cast<std::uint32_t>(random_())};
        return choices[Below(sizeof choices / sizeof choices[0])] & max;
    }

    void EditField(std::string& cab, std::size_t at, int bytes) {
        Set(cab, at, bytes, Interesting(Get(cab, at, bytes), bytes));
    }

    void Edit(std::string& cab, const Layout& layout) {
        switch (Below(8)) {
        case 0:  // bit flips anywhere
            for (std::uint32_t n = 1 + Below(8); n > 0; --n) cab[Below(static_cast<std::uint32_t>(cab.size()))] ^= static_cast<char>(1 << Below(8));
            break;
        case 1:  // cut short
            cab.resize(Below(static_cast<std::uint32_t>(cab.size())));
            break;
        case 2: {  // a header field: size, file table offset, counts, flags, set, index
            const std::pair<std::size_t, int> fields[] = {{8, 4}, {16, 4}, {24, 1}, {25, 1}, {26, 2},
                                                          {28, 2}, {30, 2}, {32, 2}, {34, 2}};
            const auto& field = fields[Below(9)];
            EditField(cab, field.first, field.second);
            if (layout.headerReserve && Below(4) == 0) EditField(cab, layout.headerReserve + Below(4), 1);
            break;
        }
        case 3:  // a folder entry: data offset, block count, compression
            if (layout.folders.empty()) break;
            if (Below(3) == 0) {
                const std::uint32_t kinds[] = {0, 1, 0x0F03, 0x1503, 0x1603, 0x0E03, 0x1572, 0x1502, 0x0912, 4, 0xFFFF};
                Set(cab, layout.folders[Pick(layout.folders)] + 6, 2, kinds[Below(11)]);
            } else {
                const std::pair<std::size_t, int> fields[] = {{0, 4}, {4, 2}, {6, 2}};
                const auto& field = fields[Below(3)];
                EditField(cab, layout.folders[Pick(layout.folders)] + field.first, field.second);
            }
            break;
        case 4: {  // a file entry: size, offset, folder index, date, attributes, name
            if (layout.files.empty()) break;
            const std::size_t entry = layout.files[Pick(layout.files)];
            const std::pair<std::size_t, int> fields[] = {{0, 4}, {4, 4}, {8, 2}, {10, 2}, {14, 2}};
            const std::size_t which = Below(6);
            if (which < 5) {
                if (which == 2 && Below(2) == 0) Set(cab, entry + 8, 2, 0xFFFD + Below(3));  // spans volumes
                else EditField(cab, entry + fields[which].first, fields[which].second);
            } else {
                const char* names[] = {"..\\", "C:", "\\", "\xFF\x5C", "/", "\0"};
                const char* piece = names[Below(6)];
                std::memcpy(&cab[std::min(cab.size() - 1, entry + 16)], piece, std::max<std::size_t>(1, std::strlen(piece)));
            }
            break;
        }
        case 5: {  // a data block header: checksum, stored and plain sizes
            if (layout.blocks.empty()) break;
            const std::pair<std::size_t, int> fields[] = {{0, 4}, {4, 2}, {6, 2}};
            const auto& field = fields[Below(3)];
            EditField(cab, layout.blocks[Pick(layout.blocks)] + field.first, field.second);
            break;
        }
        case 6: {  // bytes inside a data block (compressed data)
            if (layout.blocks.empty()) break;
            const std::size_t at = layout.blocks[Pick(layout.blocks)] + 8 + Below(64);
            for (std::uint32_t n = 1 + Below(4); n > 0 && at < cab.size(); --n) cab[std::min(cab.size() - 1, at + Below(32))] = static_cast<char>(random_());
            break;
        }
        default: {  // a stretch of the cabinet copied over another place
            const std::uint32_t length = 1 + Below(64);
            if (cab.size() <= length) break;
            const std::size_t from = Below(static_cast<std::uint32_t>(cab.size() - length));
            const std::size_t to = Below(static_cast<std::uint32_t>(cab.size() - length));
            cab.replace(to, length, cab.substr(from, length));
            break;
        }
        }
    }

    std::mt19937 random_;
};

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, got);
        std::fclose(in);
    }
    return bytes;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

// Ends the process when one library call takes longer than the limit.
class Watchdog {
public:
    Watchdog() : thread_([this] { Watch(); }) {}
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }
    void Start(const std::string& what) {
        what_ = what;
        started_ = GetTickCount64();
    }
    void Stop() { started_ = 0; }

private:
    void Watch() {
        while (!stop_) {
            const ULONGLONG started = started_;
            if (started && GetTickCount64() - started > kCallLimitMs) {
                std::printf("HANG: %s took over %lu s\n", what_.c_str(), kCallLimitMs / 1000);
                std::fflush(stdout);
                ExitProcess(3);
            }
            Sleep(50);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<ULONGLONG> started_{0};
    std::string what_;
    std::thread thread_;
};

bool IsCabinetName(const std::string& name) { return name.size() > 4 && name.substr(name.size() - 4) == ".cab"; }

// "a02.cab" and later: volumes that follow the first of their set.
bool IsLaterVolume(const std::string& name) {
    if (name.size() < 7) return false;
    const std::string number = name.substr(name.size() - 6, 2);
    return std::isdigit(static_cast<unsigned char>(number[0])) && std::isdigit(static_cast<unsigned char>(number[1])) &&
           number != "01";
}

struct Library {
    decltype(&::Cab) cab;
    decltype(&::CabCheckArchive) check;
    decltype(&::CabOpenArchive) open;
    decltype(&::CabCloseArchive) close;
    decltype(&::CabFindFirst) first;
    decltype(&::CabFindNext) next;
};

// Runs every reading operation on `cabinet`; the text of what went wrong, or empty.
// `inputs` are the files of `folder` before the run (the cabinet and its volumes).
std::string RunCase(const Library& lib, Watchdog& watchdog, const std::string& folder, const std::string& cabinet,
                    const std::vector<std::string>& inputs) {
    std::vector<char> output(64000);
    const auto call = [&](const std::string& what, auto body) {
        watchdog.Start(what);
        body();
        watchdog.Stop();
    };
    call("CabCheckArchive", [&] { lib.check(cabinet.c_str(), 2); });
    call("enumeration", [&] {
        unsigned char record[api::kMemberRecordSize];
        if (HANDLE archive = lib.open(nullptr, cabinet.c_str(), 0)) {
            int found = lib.first(archive, "*.*", record);
            for (int n = 0; found != -1 && n < 70000; ++n) found = lib.next(archive, record);
            lib.close(archive);
        }
    });
    const std::string out = folder + "\\out\\";
    for (const std::string& command : {"-l " + cabinet, "-t " + cabinet, "-x " + cabinet + " " + out,
                                      "-x -k -j " + cabinet + " " + out + "k\\"}) {
        call(command, [&] { lib.cab(nullptr, command.c_str(), output.data(), static_cast<DWORD>(output.size())); });
    }
    for (const std::string& file : testing_support::FilesUnder(folder)) {
        const std::string name = file.substr(file.rfind('\\') + 1);
        if (name.rfind("c32", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".tmp") {
            return "temporary file left: " + file;
        }
        if (file.rfind("out\\", 0) != 0 && std::find(inputs.begin(), inputs.end(), file) == inputs.end()) {
            return "wrote outside the target: " + file;
        }
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: cab32_mutate DLL CORPUS WORK CASES SEED [ONLY_CASE]\n");
        return 2;
    }
    const tarvik::DllModule dll = tarvik::DllModule::Load(argv[1]);
    const Library lib{dll.Find(api::kCab), dll.Find(api::kCabCheckArchive),
                      dll.Find(api::kCabOpenArchive), dll.Find(api::kCabCloseArchive),
                      dll.Find(api::kCabFindFirst), dll.Find(api::kCabFindNext)};
    if (!lib.cab || !lib.check || !lib.open || !lib.close || !lib.first || !lib.next) return 2;
    const std::string corpus = argv[2], work = argv[3];
    const long cases = std::atol(argv[4]);
    const std::uint32_t seed = static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 10));
    const long only = argc > 6 ? std::atol(argv[6]) : -1;

    std::vector<std::string> sources = testing_support::FilesUnder(corpus);
    std::erase_if(sources, [](const std::string& name) { return !IsCabinetName(name) || IsLaterVolume(name); });
    if (sources.empty()) return 2;
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA((work + "\\failures").c_str(), nullptr);

    // Nothing may appear in the work folder outside the case folder.
    const auto besideTheCase = [&] {
        std::vector<std::string> files = testing_support::FilesUnder(work);
        std::erase_if(files, [](const std::string& f) { return f.rfind("case\\", 0) == 0; });
        return files;
    };
    std::vector<std::string> workBefore = besideTheCase();

    Watchdog watchdog;
    int failures = 0;
    for (long i = 0; i < cases; ++i) {
        if (only >= 0 && i != only) continue;
        const std::string& source = sources[static_cast<std::size_t>(i) % sources.size()];
        const std::string original = ReadWhole(corpus + "\\" + source);
        const std::string mutated = Mutator(seed + static_cast<std::uint32_t>(i) * 7919u).Mutate(original, Locate(original));
        const std::string folder = work + "\\case";
        testing_support::DeleteTree(folder);
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string cabinet = folder + "\\" + source;
        WriteWhole(cabinet, mutated);
        // The other volumes of a set lie beside its mutated first volume.
        if (source.size() > 6 && source.substr(source.size() - 6) == "01.cab") {
            for (char n = '2'; n <= '9'; ++n) {
                const std::string volume = source.substr(0, source.size() - 5) + n + ".cab";
                CopyFileA((corpus + "\\" + volume).c_str(), (folder + "\\" + volume).c_str(), FALSE);
            }
        }
        const std::vector<std::string> inputs = testing_support::FilesUnder(folder);
        std::printf("case %ld (seed %lu, %s)\n", i, static_cast<unsigned long>(seed), source.c_str());
        std::fflush(stdout);
        std::string problem = RunCase(lib, watchdog, folder, cabinet, inputs);
        if (problem.empty() && besideTheCase() != workBefore) problem = "wrote beside the case folder";
        if (!problem.empty()) {
            ++failures;
            std::printf("FAIL: case %ld: %s\n", i, problem.c_str());
            WriteWhole(work + "\\failures\\case" + std::to_string(i) + "-" + source, mutated);
            workBefore = besideTheCase();
        }
    }
    testing_support::DeleteTree(work + "\\case");
    std::printf("%ld cases, %d failed\n", only >= 0 ? 1L : cases, failures);
    return failures == 0 ? 0 : 1;
}
