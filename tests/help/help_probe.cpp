// help_probe HELPFILE contents|intro|finder|check
// help_probe PROGRAM menu
// Sends the help viewer the requests the program's Help menu sends: the
// contents (HELP_CONTEXT 1), the introduction (HELP_CONTEXT 4) or the
// finder (HELP_FINDER), with a window of its own as the owner.
// "check" drives the viewer: each request must show its topic, and each
// button of the contents topic must open the topic it names. It prints
// what it finds, closes the viewer and returns 0 only when all is right.
// A HELPFILE without a drive is taken relative to this program's folder.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "sjis_path.h"

namespace {

// Control ids of the viewer's main window: the button bar and the text.
constexpr int kButtonBoxId = 0x700;
constexpr int kTextId = 0x701;

std::string FirstLineOfViewer() {
    HWND viewer = FindWindowA("MS_WINHELP", nullptr);
    HWND text = viewer ? GetDlgItem(viewer, kTextId) : nullptr;
    if (!text) return {};
    // The text control belongs to the viewer's process: GetWindowText would
    // only return its caption, so the text is asked for with WM_GETTEXT, as
    // UTF-16 (the ANSI form does not survive the trip between processes).
    const auto length = SendMessageW(text, WM_GETTEXTLENGTH, 0, 0);
    std::wstring wide(static_cast<std::size_t>(length) * 2 + 16, L'\0');  // room for line end forms
    SendMessageW(text, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(std::wcslen(wide.c_str()));
    std::string line(wide.size() * 2 + 1, '\0');
    const int bytes = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), line.data(),
                                          static_cast<int>(line.size()), nullptr, nullptr);
    line.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
    return line.substr(0, line.find_first_of("\r\n"));
}

// Waits until the viewer shows a topic whose first line is `title`.
bool WaitForTitle(const std::string& title) {
    for (int i = 0; i < 100; ++i) {
        if (FirstLineOfViewer() == title) return true;
        Sleep(100);
    }
    return false;
}

HWND FindButton(const std::string& label) {
    HWND viewer = FindWindowA("MS_WINHELP", nullptr);
    HWND box = viewer ? GetDlgItem(viewer, kButtonBoxId) : nullptr;
    for (HWND child = box ? GetWindow(box, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[128] = {};
        GetWindowTextA(child, text, sizeof text);
        if (label == text) return child;
    }
    return nullptr;
}

// The viewer's own buttons: contents, index and back.
constexpr int kViewerButtons = 3;
constexpr const char* kViewerContentsLabel = "概要";
constexpr const char* kViewerIndexLabel = "索引(&I)";
constexpr int kIndexListId = 0x151;  // the word list of the viewer's index page

int CountButtons() {
    HWND viewer = FindWindowA("MS_WINHELP", nullptr);
    HWND box = viewer ? GetDlgItem(viewer, kButtonBoxId) : nullptr;
    int count = 0;
    for (HWND child = box ? GetWindow(box, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) ++count;
    return count;
}

bool Expect(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    if (!ok) {
        std::printf("  the viewer shows: %s\n  buttons:", FirstLineOfViewer().c_str());
        HWND viewer = FindWindowA("MS_WINHELP", nullptr);
        HWND box = viewer ? GetDlgItem(viewer, kButtonBoxId) : nullptr;
        for (HWND child = box ? GetWindow(box, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
            char label[128] = {};
            GetWindowTextA(child, label, sizeof label);
            std::printf(" [%s %d]", label, GetDlgCtrlID(child));
        }
        std::printf("\n");
    }
    return ok;
}

// The first request starts the viewer; Wine's WinHelp gives up when the
// viewer's window is not there yet, so the request is repeated.
bool Request(HWND owner, const char* file, UINT command, ULONG_PTR data) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (WinHelpA(owner, file, command, data)) return true;
        Sleep(500);
    }
    return false;
}

// Opens the viewer's index with its own button, picks `word` and confirms.
bool ChooseFromIndex(const char* word) {
    HWND indexButton = FindButton(kViewerIndexLabel);
    if (!indexButton) return false;
    PostMessageA(indexButton, BM_CLICK, 0, 0);
    HWND list = nullptr;
    HWND sheet = nullptr;
    for (int i = 0; i < 50 && !list; ++i) {
        Sleep(100);
        sheet = FindWindowA("#32770", nullptr);
        HWND page = sheet ? FindWindowExA(sheet, nullptr, "#32770", nullptr) : nullptr;
        list = page ? GetDlgItem(page, kIndexListId) : nullptr;
    }
    if (!list) return false;
    const auto item = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(word));
    if (item == LB_ERR) return false;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(item), 0);
    HWND okButton = GetDlgItem(sheet, IDOK);
    if (okButton) PostMessageA(okButton, BM_CLICK, 0, 0);
    return okButton != nullptr;
}

struct ButtonTarget {
    const char* label;
    const char* title;
};

// The contents topic's buttons and the first line of the topic each opens.
constexpr ButtonTarget kContentsButtons[] = {
    {"始めに", "始めに"},
    {"画面", "画面の見方"},
    {"圧縮", "圧縮する"},
    {"解凍", "解凍する"},
    {"自己解凍", "自己解凍書庫を作る"},
    {"一覧と検査", "内容一覧と検査"},
    {"ドロップ", "ドラッグアンドドロップとコマンドライン"},
    {"設定", "設定の保存"},
    {"DLLがない", "「CAB32.DLLは見つかりません」と表示されたら"},
};
constexpr const char* kContentsTitle = "Tarvik32 ヘルプ目次";

int Check(HWND owner, const char* file) {
    bool ok = true;
    ok &= Expect(Request(owner, file, HELP_CONTEXT, 4) && WaitForTitle("始めに"),
                 "HELP_CONTEXT 4 shows the introduction");
    ok &= Expect(Request(owner, file, HELP_FINDER, 0) && WaitForTitle(kContentsTitle),
                 "HELP_FINDER shows the contents");
    // From the contents through each button and back with the viewer's own
    // contents button: every topic reached by a click must show its buttons.
    Request(owner, file, HELP_CONTEXT, 1);
    for (const auto& target : kContentsButtons) {
        const bool atContents = WaitForTitle(kContentsTitle);
        HWND button = FindButton(target.label);
        if (button) PostMessageA(button, BM_CLICK, 0, 0);
        const bool opened = atContents && button && WaitForTitle(target.title);
        Sleep(300);
        ok &= Expect(opened && CountButtons() > kViewerButtons,
                     std::string("button ") + target.label + " opens " + target.title + " with its buttons");
        HWND contents = FindButton(kViewerContentsLabel);
        if (contents) PostMessageA(contents, BM_CLICK, 0, 0);
    }
    ok &= Expect(WaitForTitle(kContentsTitle), "the viewer's contents button leads back to the contents");
    ok &= Expect(ChooseFromIndex("LZX") && WaitForTitle("圧縮形式"), "the index word LZX opens 圧縮形式");
    WinHelpA(owner, file, HELP_QUIT, 0);
    return ok ? 0 : 1;
}

// Starts the program and chooses its three Help menu items, as a user would:
// each must bring the viewer to its topic. The menu commands are the ids of
// the main window's menu items.
int CheckProgramMenu(const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return Expect(false, "the program starts") ? 0 : 1;
    }
    HWND main = nullptr;
    for (int i = 0; i < 100 && !main; ++i) {
        Sleep(100);
        main = FindWindowA("TfrmCabMain", nullptr);
    }
    bool ok = Expect(main != nullptr, "the program shows its main window");
    constexpr WPARAM kContents = 2002, kSearch = 2003, kIntroduction = 2004;
    if (main) {
        PostMessageA(main, WM_COMMAND, kIntroduction, 0);
        ok &= Expect(WaitForTitle("始めに"), "始めに(&O) opens the introduction");
        PostMessageA(main, WM_COMMAND, kContents, 0);
        ok &= Expect(WaitForTitle(kContentsTitle), "目次(&M) opens the contents");
        PostMessageA(main, WM_COMMAND, kIntroduction, 0);
        WaitForTitle("始めに");
        PostMessageA(main, WM_COMMAND, kSearch, 0);
        ok &= Expect(WaitForTitle(kContentsTitle), "トピックの検索(&S) opens the finder");
        if (HWND viewer = FindWindowA("MS_WINHELP", nullptr)) PostMessageA(viewer, WM_CLOSE, 0, 0);
        PostMessageA(main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 2;
    std::string file = __argv[1];
    if (tarvik::FindFirstSjisChar(file, ":") == tarvik::npos) file = tarvik::ExeFolder() + "\\" + file;
    const std::string what = __argv[2];
    if (what == "menu") return CheckProgramMenu(file);
    HWND owner = CreateWindowExA(0, "STATIC", "help probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    int result = 0;
    if (what == "check") {
        result = Check(owner, file.c_str());
    } else {
        const UINT command = what == "finder" ? HELP_FINDER : HELP_CONTEXT;
        const ULONG_PTR data = what == "intro" ? 4 : what == "finder" ? 0 : 1;
        result = Request(owner, file.c_str(), command, data) ? 0 : 1;
        Sleep(5000);  // keeps the owner alive while the viewer opens the file
    }
    if (owner) DestroyWindow(owner);
    return result;
}
