// A console program that loads a "cab32.dll" and calls one of its entry
// points, so that shell-driven tests can compare its work with cabextract
// and gcab. Usage:
//   cab32_driver DLL cab "COMMAND"   -> output on stdout, exit code = result;
//                  the seconds the Cab call took on stderr ("cab-seconds N",
//                  and the processor seconds of the process meanwhile,
//                  "cab-cpu-seconds N", which a busy machine inflates less),
//                  so that benchmarks time the work and not Wine's start
//   cab32_driver DLL check PATH      -> exit code 0 when CabCheckArchive passes
//   cab32_driver DLL members PATH [WILDCARD] -> one member path a line
//   cab32_driver DLL record PATH     -> size, date, time, attributes, path
//   cab32_driver DLL busy "COMMAND"  -> runs a long command on a thread and
//                  checks CabGetRunning and a refused second Cab call
//   cab32_driver DLL progress "COMMAND" owner|none -> runs the command with
//                  or without an owner window and checks that a progress
//                  window owned by it appears (owner) or none does (none)
//   cab32_driver - answer FOLDER     -> answers a running self-extractor's
//                  prompt with FOLDER (printing the folder it proposed) and
//                  confirms its closing message box
//   cab32_driver - craft OUT NAME... -> writes an uncompressed cabinet whose
//                  members carry exactly these names (each holds its name),
//                  for names no archiver would store, such as "..\x"
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "cab32_api.h"
#include "dll_module.h"
#include "stored_cabinet.h"

namespace api = tarvik::cab32;

namespace {

// User and kernel time of this process so far, in seconds.
double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

int RunCab(const tarvik::DllModule& dll, const char* command) {
    auto* cab = dll.Find(api::kCab);
    if (!cab) return 200;
    std::vector<char> output(64000, '\x7F');
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const double processorBefore = ProcessorSeconds();
    QueryPerformanceCounter(&start);
    const int result = cab(nullptr, command, output.data(), static_cast<DWORD>(output.size()));
    QueryPerformanceCounter(&end);
    const double processorAfter = ProcessorSeconds();
    std::fprintf(stderr, "cab-seconds %.4f\n",
                 static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    std::fprintf(stderr, "cab-cpu-seconds %.4f\n", processorAfter - processorBefore);
    std::fwrite(output.data(), 1, std::strlen(output.data()), stdout);
    return result;
}

int Members(const tarvik::DllModule& dll, const char* path, const char* wildcard, bool details) {
    auto* open = dll.Find(api::kCabOpenArchive);
    auto* close = dll.Find(api::kCabCloseArchive);
    auto* first = dll.Find(api::kCabFindFirst);
    auto* next = dll.Find(api::kCabFindNext);
    if (!open || !close || !first || !next) return 200;
    HANDLE archive = open(nullptr, path, 0);
    if (!archive) return 1;
    unsigned char record[api::kMemberRecordSize];
    for (int found = first(archive, wildcard, record); found != -1; found = next(archive, record)) {
        DWORD size = 0;
        WORD date = 0, time = 0, attributes = 0;
        std::memcpy(&size, record + api::kRecordOriginalSize.offset, sizeof size);
        std::memcpy(&date, record + api::kRecordDate.offset, sizeof date);
        std::memcpy(&time, record + api::kRecordTime.offset, sizeof time);
        std::memcpy(&attributes, record + api::kRecordAttributes.offset, sizeof attributes);
        if (details) std::printf("%lu %u %u %u ", static_cast<unsigned long>(size), date, time, attributes);
        std::printf("%s\n", reinterpret_cast<const char*>(record + api::kRecordPath.offset));
    }
    close(archive);
    return 0;
}

int Craft(const char* path, char** names, int count) {
    std::vector<testing_support::StoredMember> members;
    for (int i = 0; i < count; ++i) members.push_back({names[i], names[i]});
    testing_support::StoredCabinetOptions options;
    options.checksums = false;
    return testing_support::WriteBytes(path, testing_support::BuildStoredCabinet(members, options)) ? 0 : 1;
}

// While `command` runs on another thread, CabGetRunning answers true and a
// second Cab call is refused with result 12; afterwards it answers false.
int Busy(const tarvik::DllModule& dll, const char* command) {
    auto* cab = dll.Find(api::kCab);
    auto* running = dll.Find(api::kCabGetRunning);
    if (!cab || !running) return 200;
    std::atomic<int> result{-1};
    std::thread worker([&] {
        std::vector<char> output(64000);
        result = cab(nullptr, command, output.data(), static_cast<DWORD>(output.size()));
    });
    bool sawRunning = false;
    int secondResult = -1;
    for (int i = 0; i < 20000 && result == -1 && !sawRunning; ++i) {
        if (running()) {
            sawRunning = true;
            char output[256];
            secondResult = cab(nullptr, "-l nothing.cab", output, sizeof output);
        }
        Sleep(1);
    }
    worker.join();
    const bool idleAfter = !running();
    std::printf("running=%d second=%d result=%d idle=%d\n", sawRunning, secondResult, result.load(), idleAfter);
    return sawRunning && secondResult == 12 && result == 0 && idleAfter ? 0 : 1;
}

// Watches for the library's progress window while `command` runs.
// The library's progress window of this process: another program running
// the library at the same time (a test beside this one) has its own.
HWND OwnProgressWindow() {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "Cab32ProgressWindow", nullptr))) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId()) return window;
    }
    return nullptr;
}

int ProgressWindow(const tarvik::DllModule& dll, const char* command, bool withOwner) {
    auto* cab = dll.Find(api::kCab);
    auto* setOwner = dll.Find(api::kCabSetOwnerWindow);
    auto* clearOwner = dll.Find(api::kCabClearOwnerWindow);
    if (!cab || !setOwner || !clearOwner) return 200;
    HWND owner = withOwner ? CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                             nullptr, nullptr, nullptr, nullptr)
                           : nullptr;
    if (withOwner && !owner) return 201;
    std::atomic<bool> done{false};
    std::atomic<HWND> seen{nullptr};
    std::atomic<HWND> seenOwner{nullptr};
    std::thread watcher([&] {
        while (!done && !seen) {
            if (HWND window = OwnProgressWindow()) {
                seenOwner = GetWindow(window, GW_OWNER);
                seen = window;
            }
            Sleep(5);
        }
    });
    setOwner(owner);
    std::vector<char> output(64000);
    const int result = cab(owner, command, output.data(), static_cast<DWORD>(output.size()));
    clearOwner();
    done = true;
    watcher.join();
    const bool gone = OwnProgressWindow() == nullptr;
    std::printf("result=%d window=%d owned=%d gone=%d\n", result, seen.load() != nullptr,
                seenOwner.load() == owner && owner != nullptr, gone);
    if (owner) DestroyWindow(owner);
    if (result != 0 || !gone) return 1;
    return withOwner ? (seen.load() && seenOwner.load() == owner ? 0 : 1) : (seen.load() ? 1 : 0);
}

// Up to 60 s, as long as the suite lets the self-extractor run: a new
// program can take tens of seconds to show its first window under Wine on a
// loaded machine.
HWND WaitForWindow(const char* className, const char* caption) {
    for (int i = 0; i < 6000; ++i) {
        if (HWND window = FindWindowA(className, caption)) return window;
        Sleep(10);
    }
    return nullptr;
}

int AnswerPrompt(const char* folder) {
    HWND prompt = WaitForWindow("Cab32SfxPrompt", nullptr);
    // The prompt gets its controls after it is created: wait until it shows.
    for (int i = 0; prompt && !IsWindowVisible(prompt) && i < 1000; ++i) Sleep(10);
    if (!prompt) return 1;
    HWND edit = FindWindowExA(prompt, nullptr, "EDIT", nullptr);
    char proposed[MAX_PATH] = {};
    if (edit) SendMessageA(edit, WM_GETTEXT, sizeof proposed, reinterpret_cast<LPARAM>(proposed));
    std::printf("%s\n", proposed);
    if (!edit || !SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder))) return 1;
    PostMessageA(prompt, WM_COMMAND, IDOK, 0);
    HWND done = WaitForWindow("#32770", nullptr);
    if (!done) return 1;
    PostMessageA(done, WM_COMMAND, IDOK, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 100;
    if (std::string(argv[2]) == "craft") return Craft(argv[3], argv + 4, argc - 4);
    if (std::string(argv[2]) == "answer") return AnswerPrompt(argv[3]);
    tarvik::DllModule dll = tarvik::DllModule::Load(argv[1]);
    if (!dll) return 101;
    const std::string action = argv[2];
    if (action == "cab") return RunCab(dll, argv[3]);
    if (action == "busy") return Busy(dll, argv[3]);
    if (action == "progress") return ProgressWindow(dll, argv[3], argc > 4 && std::string(argv[4]) == "owner");
    if (action == "check") {
        auto* check = dll.Find(api::kCabCheckArchive);
        return check && check(argv[3], 2) ? 0 : 1;
    }
    if (action == "members") return Members(dll, argv[3], argc > 4 ? argv[4] : "*.*", false);
    if (action == "record") return Members(dll, argv[3], "*.*", true);
    return 100;
}
