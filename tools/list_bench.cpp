// Times how long the file list takes to show a cabinet's members, for the
// benchmark script. Usage:
//   list_bench craft N OUT.cab      -> a stored cabinet of N one-byte members
//                                      named dirNNN\fileNNNNN.txt
//   list_bench enum DLL CAB         -> the library's own enumeration
//                                      (CabOpenArchive, CabFindFirst/Next,
//                                      CabCloseArchive): "members ms"
//   list_bench window SECONDS CAB   -> drives a running Tarvik32 window: Extract,
//                                      the cabinet typed into the archive field
//                                      (timed until the list is filled), then
//                                      the selective extraction copy (timed):
//                                      "members field-ms copy-ms", or "timeout"
// Each window step is one synchronous message, so its time is the handler's.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cab32_api.h"
#include "dll_module.h"
#include "stored_cabinet.h"

namespace api = tarvik::cab32;

namespace {

// Control numbers of the main window (ui/main_window/main_layout.h).
constexpr int kCobPara1 = 1001;
constexpr int kEdtCab = 1005;
constexpr int kListBox1 = 1010;
constexpr int kCheckListBox1 = 1015;
constexpr int kCheckBox3 = 1016;

// <chrono> does not compile with the code page 932 execution character set.
struct Clock {
    static LONGLONG now() {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        return counter.QuadPart;
    }
};

double MillisecondsSince(LONGLONG start) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(Clock::now() - start) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int Craft(unsigned count, const char* path) {
    std::vector<testing_support::StoredMember> members;
    for (unsigned i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "dir%03u\\file%05u.txt", i / 100, i);
        members.push_back({name, "x"});
    }
    return testing_support::WriteBytes(path, testing_support::BuildStoredCabinet(members)) ? 0 : 1;
}

int Enumerate(const char* dllPath, const char* cabPath) {
    const tarvik::DllModule dll = tarvik::DllModule::Load(dllPath);
    auto* open = dll.Find(api::kCabOpenArchive);
    auto* close = dll.Find(api::kCabCloseArchive);
    auto* first = dll.Find(api::kCabFindFirst);
    auto* next = dll.Find(api::kCabFindNext);
    if (!open || !close || !first || !next) return 2;
    std::vector<unsigned char> record(api::kMemberRecordSize);
    const auto start = Clock::now();
    HANDLE archive = open(nullptr, cabPath, 0);
    if (!archive) return 1;
    unsigned members = 0;
    for (int found = first(archive, "*.*", record.data()); found != -1; found = next(archive, record.data())) {
        ++members;
    }
    close(archive);
    std::printf("%u %.1f\n", members, MillisecondsSince(start));
    return 0;
}

// Sends a message and waits at most `limit` for the window to handle it.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD limitMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, limitMs, &result) != 0;
}

LRESULT Count(HWND main, int id, UINT message) { return SendMessageA(GetDlgItem(main, id), message, 0, 0); }

void Command(HWND main, int id, WORD code, DWORD limitMs, bool& ok) {
    ok = ok && Send(main, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(main, id)), limitMs);
}

int DriveWindow(DWORD limitMs, const char* cabPath) {
    HWND main = nullptr;
    for (int i = 0; i < 600 && !main; ++i) {
        main = FindWindowA("TfrmCabMain", nullptr);
        if (!main) Sleep(100);
    }
    if (!main) return 2;
    Sleep(500);  // let the start-up steps finish
    bool ok = true;
    // Extract, with an empty archive field and selective extraction off.
    SendMessageA(GetDlgItem(main, kCheckBox3), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(main, kCobPara1), CB_SETCURSEL, 1, 0);
    Command(main, kCobPara1, CBN_SELCHANGE, limitMs, ok);
    ok = ok && Send(GetDlgItem(main, kEdtCab), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), limitMs);

    auto start = Clock::now();
    ok = ok && Send(GetDlgItem(main, kEdtCab), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(cabPath), limitMs);
    const double fieldMs = MillisecondsSince(start);
    // After a timeout the window is still busy: any further message would wait for it.
    if (!ok) {
        std::printf("timeout\n");
        return 3;
    }
    const LRESULT listed = Count(main, kListBox1, LB_GETCOUNT);

    SendMessageA(GetDlgItem(main, kCheckBox3), BM_SETCHECK, BST_CHECKED, 0);
    start = Clock::now();
    Command(main, kCheckBox3, BN_CLICKED, limitMs, ok);
    const double copyMs = MillisecondsSince(start);
    if (!ok) {
        std::printf("timeout\n");
        return 3;
    }
    const LRESULT copied = Count(main, kCheckListBox1, LB_GETCOUNT);
    std::printf("%ld %.1f %.1f %ld\n", static_cast<long>(listed), fieldMs, copyMs, static_cast<long>(copied));
    return listed == copied ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "craft" && argc == 4) return Craft(static_cast<unsigned>(std::atoi(argv[2])), argv[3]);
    if (verb == "enum" && argc == 4) return Enumerate(argv[2], argv[3]);
    if (verb == "window" && argc == 4) return DriveWindow(static_cast<DWORD>(std::atoi(argv[2])) * 1000u, argv[3]);
    std::fprintf(stderr, "usage: list_bench craft N OUT | enum DLL CAB | window SECONDS CAB\n");
    return 2;
}
