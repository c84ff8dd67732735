// package_probe PROGRAM compress FILE1 FILE2
//   Starts the installed program with two files on its command line: a
//   Compress job must run at once and show its result window. Closes the
//   result window, then the program.
// package_probe PROGRAM extract CABINET MEMBER...
//   Starts the program with a cabinet: Extract must be chosen, the archive
//   field must show the cabinet and the file list its members. Closes it.
// Either way the program, once closed, must have written its settings into
// "Software\Tarvik32" (removed before the start) and removed its response
// file. Prints one line per check and returns 0 only when all pass. The waits
// are long because the program may run in an emulated machine.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "main_layout.h"
#include "registry_key.h"
#include "sjis_path.h"

namespace {

constexpr DWORD kJobSeconds = 600;
constexpr DWORD kStartSeconds = 300;
constexpr DWORD kCloseSeconds = 120;
constexpr char kSettingsKey[] = "Software\\Tarvik32";

bool Expect(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    return ok;
}

bool WaitUntil(DWORD seconds, const std::function<bool()>& done) {
    for (DWORD waited = 0; waited < seconds * 1000; waited += 200) {
        if (done()) return true;
        Sleep(200);
    }
    return done();
}

// Controls belong to the program's process: their text is asked for as
// UTF-16 (the ANSI forms do not survive the trip between processes).
std::string FromWide(const std::wstring& wide) {
    std::string text(wide.size() * 2 + 1, '\0');
    const int bytes = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                                          static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
    return text;
}

std::string TextOf(HWND control) {
    std::wstring wide(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    SendMessageW(control, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(std::wcslen(wide.c_str()));
    return FromWide(wide);
}

std::vector<std::string> ListItems(HWND listBox) {
    std::vector<std::string> items;
    const auto count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring wide(static_cast<std::size_t>(SendMessageW(listBox, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
        wide.resize(std::wcslen(wide.c_str()));
        items.push_back(FromWide(wide));
    }
    return items;
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner != search.processId || !IsWindowVisible(window) || std::strcmp(name, search.className) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

// The program, started with a command line; ended by force if it is still
// running when the probe is done with it.
class StartedProgram {
public:
    StartedProgram(const std::string& program, const std::vector<std::string>& arguments) {
        std::string commandLine = "\"" + program + "\"";
        for (const auto& argument : arguments) commandLine += " \"" + argument + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process_)) {
            CloseHandle(process_.hThread);
        }
    }
    ~StartedProgram() {
        if (!process_.hProcess) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    bool WaitForExit(DWORD seconds) const { return WaitForSingleObject(process_.hProcess, seconds * 1000) == WAIT_OBJECT_0; }

    // A shown top-level window of the program with this class name.
    HWND ShownWindow(const char* className) const {
        WindowSearch search{process_.dwProcessId, className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    PROCESS_INFORMATION process_{};
};

// The text of a message box: its static controls, one after the other.
std::string MessageBoxText(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") == 0) text += TextOf(child);
    }
    return text;
}

// Closes the main window as the user would and checks what closing leaves.
bool CloseProgram(const StartedProgram& started, const std::string& program) {
    HWND main = started.ShownWindow("TfrmCabMain");
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    bool ok = Expect(main && started.WaitForExit(kCloseSeconds), "the program closes");
    const auto key = tarvik::RegistryKey::Open(HKEY_CURRENT_USER, kSettingsKey);
    ok &= Expect(key.ReadDword("CommpressDir").has_value() && key.ReadDword("ExtractDir").has_value(),
                 "closing wrote CommpressDir and ExtractDir into HKCU\\Software\\Tarvik32");
    const std::string responseFile = tarvik::FolderOfPath(program) + "\\Files.txt";
    ok &= Expect(GetFileAttributesA(responseFile.c_str()) == INVALID_FILE_ATTRIBUTES,
                 "closing removed " + responseFile);
    return ok;
}

int Compress(const std::string& program, const std::vector<std::string>& files) {
    StartedProgram started(program, files);
    if (!Expect(started.started(), "the program starts")) return 1;
    HWND resultWindow = nullptr;
    HWND warning = nullptr;
    WaitUntil(kJobSeconds, [&] {
        resultWindow = started.ShownWindow("TfrmOutbuffer");
        warning = started.ShownWindow("#32770");
        return resultWindow || warning;
    });
    bool ok = Expect(resultWindow != nullptr, "the Compress job runs at once and shows its result window");
    if (warning) {
        Expect(false, "no warning box; it says: " + MessageBoxText(warning));
        PostMessageA(warning, WM_COMMAND, IDOK, 0);
    }
    if (resultWindow) {
        PostMessageA(resultWindow, WM_CLOSE, 0, 0);
        ok &= Expect(WaitUntil(kCloseSeconds, [&] { return !started.ShownWindow("TfrmOutbuffer"); }),
                     "the result window closes");
    }
    return CloseProgram(started, program) && ok ? 0 : 1;
}

int Extract(const std::string& program, const std::string& cabinet, const std::vector<std::string>& members) {
    StartedProgram started(program, {cabinet});
    if (!Expect(started.started(), "the program starts")) return 1;
    std::string operation;
    std::string archive;
    std::vector<std::string> listed;
    WaitUntil(kStartSeconds, [&] {
        HWND main = started.ShownWindow("TfrmCabMain");
        if (!main) return false;
        operation = TextOf(GetDlgItem(main, tarvik::IDC_COBPARA1));
        archive = TextOf(GetDlgItem(main, tarvik::IDC_EDTCAB));
        listed = ListItems(GetDlgItem(main, tarvik::IDC_LISTBOX1));
        return operation == "解凍" && listed.size() == members.size();
    });
    bool ok = Expect(operation == "解凍", "Extract is chosen (shown: " + operation + ")");
    ok &= Expect(archive == cabinet, "the archive field shows the cabinet (shown: " + archive + ")");
    std::string shown;
    for (const auto& item : listed) shown += " [" + item + "]";
    ok &= Expect(listed == members, "the file list shows the members (shown:" + shown + ")");
    return CloseProgram(started, program) && ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: package_probe PROGRAM compress FILE1 FILE2 | PROGRAM extract CABINET MEMBER...\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string mode = argv[2];
    const std::vector<std::string> rest(argv + 3, argv + argc);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);  // so that only this run's close can write it
    if (mode == "compress" && rest.size() == 2) return Compress(program, rest);
    if (mode == "extract") return Extract(program, rest[0], {rest.begin() + 1, rest.end()});
    std::printf("package_probe: unknown mode %s\n", mode.c_str());
    return 2;
}
