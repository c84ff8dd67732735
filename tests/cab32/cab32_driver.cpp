// A console program that loads a "cab32.dll" and calls one of its entry
// points, so that shell-driven tests can compare its work with cabextract
// and gcab. Usage:
//   cab32_driver DLL cab "COMMAND"   -> output on stdout, exit code = result
//   cab32_driver DLL check PATH      -> exit code 0 when CabCheckArchive passes
//   cab32_driver DLL members PATH [WILDCARD] -> one member path a line
//   cab32_driver DLL record PATH     -> size, date, time, attributes, path
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cab32_api.h"
#include "dll_module.h"

namespace api = tarvik::cab32;

namespace {

int RunCab(const tarvik::DllModule& dll, const char* command) {
    auto* cab = dll.Find<api::CabFn>("Cab");
    if (!cab) return 200;
    std::vector<char> output(64000, '\x7F');
    const int result = cab(nullptr, command, output.data(), static_cast<DWORD>(output.size()));
    std::fwrite(output.data(), 1, std::strlen(output.data()), stdout);
    return result;
}

int Members(const tarvik::DllModule& dll, const char* path, const char* wildcard, bool details) {
    auto* open = dll.Find<api::CabOpenArchiveFn>("CabOpenArchive");
    auto* close = dll.Find<api::CabCloseArchiveFn>("CabCloseArchive");
    auto* first = dll.Find<api::CabFindFirstFn>("CabFindFirst");
    auto* next = dll.Find<api::CabFindNextFn>("CabFindNext");
    if (!open || !close || !first || !next) return 200;
    HANDLE archive = open(nullptr, path, 0);
    if (!archive) return 1;
    unsigned char record[api::kMemberRecordSize];
    for (int found = first(archive, wildcard, record); found != -1; found = next(archive, record)) {
        DWORD size = 0;
        WORD date = 0, time = 0, attributes = 0;
        std::memcpy(&size, record, 4);
        std::memcpy(&date, record + 8, 2);
        std::memcpy(&time, record + 10, 2);
        std::memcpy(&attributes, record + 12, 2);
        if (details) std::printf("%lu %u %u %u ", static_cast<unsigned long>(size), date, time, attributes);
        std::printf("%s\n", reinterpret_cast<const char*>(record + api::kMemberPathOffset));
    }
    close(archive);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 100;
    tarvik::DllModule dll = tarvik::DllModule::Load(argv[1]);
    if (!dll) return 101;
    const std::string action = argv[2];
    if (action == "cab") return RunCab(dll, argv[3]);
    if (action == "check") {
        auto* check = dll.Find<api::CabCheckArchiveFn>("CabCheckArchive");
        return check && check(argv[3], 2) ? 0 : 1;
    }
    if (action == "members") return Members(dll, argv[3], argc > 4 ? argv[4] : "*.*", false);
    if (action == "record") return Members(dll, argv[3], "*.*", true);
    return 100;
}
