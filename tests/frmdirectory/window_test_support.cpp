#include "window_test_support.h"

#include <atomic>

namespace window_test {

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::vector<std::string> g_errorTexts;

void CALLBACK AnswerErrorBoxes(HWND, UINT, UINT_PTR, DWORD) {
    const HWND box = FindWindowA("#32770", "Tarvik32");
    if (!box) return;
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    g_errorTexts.emplace_back(text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

std::string g_awaitedCaption;
WhenWindowAppears::Action g_action = nullptr;
bool g_actionRan = false;

void CALLBACK RunActionWhenFound(HWND, UINT, UINT_PTR, DWORD) {
    if (g_actionRan) return;
    const HWND window = FindWindowA(nullptr, g_awaitedCaption.c_str());
    if (!window || !IsWindowVisible(window)) return;
    g_actionRan = true;
    g_action(window);
}

}  // namespace

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "tarvik_chooser_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(counter++);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CurrentFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    return std::string(buffer, length < MAX_PATH ? length : 0);
}

ErrorBoxWatcher::ErrorBoxWatcher() : timer_(SetTimer(nullptr, 0, 50, AnswerErrorBoxes)) { g_errorTexts.clear(); }
ErrorBoxWatcher::~ErrorBoxWatcher() { KillTimer(nullptr, timer_); }
const std::vector<std::string>& ErrorBoxWatcher::Texts() const { return g_errorTexts; }

WhenWindowAppears::WhenWindowAppears(const std::string& caption, Action action)
    : timer_(SetTimer(nullptr, 0, 50, RunActionWhenFound)) {
    g_awaitedCaption = caption;
    g_action = action;
    g_actionRan = false;
}
WhenWindowAppears::~WhenWindowAppears() { KillTimer(nullptr, timer_); }
bool WhenWindowAppears::Ran() const { return g_actionRan; }

}  // namespace window_test
