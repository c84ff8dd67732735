#include "window_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "job_command.h"
#include "key_access.h"
#include "sjis_path.h"
#include "wide_names.h"

namespace testing_support {

int ScriptedSteps::ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT type) {
    messages.push_back({text, caption, type});
    return IDOK;
}

tarvik::FileDialogAnswer ScriptedSteps::ShowFileDialog(HWND, const tarvik::FileDialogRequest& request) {
    dialogRequests.push_back(request);
    if (dialogAnswers.empty()) return {};
    tarvik::FileDialogAnswer answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
}

namespace {

// One action waiting for a timer of this thread; a new one replaces it.
std::function<void()> g_timerAction;
UINT_PTR g_timer = 0;

void CancelTimerAction() {
    if (g_timer) KillTimer(nullptr, std::exchange(g_timer, 0));
    g_timerAction = nullptr;
}

void CALLBACK RunTimerAction(HWND, UINT, UINT_PTR, DWORD) {
    std::function<void()> action = std::move(g_timerAction);
    CancelTimerAction();
    if (action) action();
}

// The result window shown for real and the count of showings the script left open.
HWND g_shownResultWindow = nullptr;
int* g_leftOpen = nullptr;

void CALLBACK CloseLeftOpenResultWindow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!IsWindowVisible(g_shownResultWindow)) return;
    ++*g_leftOpen;
    ShowWindow(g_shownResultWindow, SW_HIDE);
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

void RunFromMessageLoop(std::function<void()> action, UINT delayMs) {
    CancelTimerAction();
    g_timerAction = std::move(action);
    g_timer = SetTimer(nullptr, 0, delayMs, RunTimerAction);
}

WhenWindowAppears::WhenWindowAppears(const std::string& caption, Action action)
    : timer_(SetTimer(nullptr, 0, 50, RunActionWhenFound)) {
    g_awaitedCaption = caption;
    g_action = action;
    g_actionRan = false;
}
WhenWindowAppears::~WhenWindowAppears() { KillTimer(nullptr, timer_); }
bool WhenWindowAppears::Ran() const { return g_actionRan; }

void ScriptedSteps::ShowResultWindow() {
    ++resultWindowShown;
    if (!realResultWindow) return;
    if (!insideResultWindow.empty()) {
        RunFromMessageLoop(std::move(insideResultWindow.front()));
        insideResultWindow.pop_front();
    }
    // A window the script leaves open is closed a while later, and counted.
    g_shownResultWindow = realResultWindow->hwnd();
    g_leftOpen = &resultWindowLeftOpen;
    const UINT_PTR guard = SetTimer(nullptr, 0, 5000, CloseLeftOpenResultWindow);
    realResultWindow->ShowModal();
    KillTimer(nullptr, guard);
    CancelTimerAction();
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PressKey(tarvik::TfrmCabMain& window, HWND control, UINT virtualKey, bool controlDown) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = controlDown ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG message{control, WM_KEYDOWN, virtualKey, 1, 0, {}};
    if (!window.PreTranslateMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    PumpMessages();
}

std::string TextOf(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<std::string> ListItems(HWND box) {
    char className[16] = {};
    GetClassNameA(box, className, sizeof className);
    const bool combo = lstrcmpiA(className, "ComboBox") == 0;
    std::vector<std::string> items;
    const auto count = SendMessageA(box, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string text(static_cast<std::size_t>(SendMessageA(box, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0)),
                         '\0');
        SendMessageA(box, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(text);
    }
    return items;
}

bool IsEnabledControl(HWND window) { return IsWindowEnabled(window) != FALSE; }
bool IsShownControl(HWND window) { return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

void MakeKeyReadOnly(const char* subKey) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    if (!SetKeyAccess(subKey, "D:P(A;;KRSDWD;;;WD)")) throw std::runtime_error("cannot protect the key");
}

bool KeyExists(const char* subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

DWORD ReadDword(const char* subKey, const char* value) {
    DWORD data = 0xDEAD;
    DWORD size = sizeof data;
    RegGetValueA(HKEY_CURRENT_USER, subKey, value, RRF_RT_REG_DWORD, nullptr, &data, &size);
    return data;
}

void ResetProgramState() {
    for (const char* subKey : {"Software\\Tarvik32", "Software\\ArchiverDll\\Cab32"}) {
        SetKeyAccess(subKey, "D:(A;;KA;;;WD)");  // a test may have made it read-only
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tarvik32");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tarvik32");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ArchiverDll\\Cab32");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ArchiverDll\\Cab32");
    DeleteFileA(ResponseFile().c_str());
    RemoveDirectoryA(ResponseFile().c_str());
    SetCurrentDirectoryA(tarvik::ExeFolder().c_str());
}

std::string ResponseFile() { return tarvik::ResponseFilePath(tarvik::ExeFolder()); }


MainWindowFixture::MainWindowFixture(FakeVariant variant, bool withLibrary) {
    ResetProgramState();
    if (withLibrary) {
        fake = std::make_unique<FakeCab32>(variant);
        // Only a file that starts like a cabinet passes the library's check.
        fake->script().checkAnswer = fake_cab32::kCheckCabinetFile;
    } else {
        UseNoLibrary();
    }
    outbuffer = std::make_unique<tarvik::TfrmOutbuffer>(GetModuleHandleA(nullptr), steps);
}

MainWindowFixture::~MainWindowFixture() {
    window.reset();
    outbuffer.reset();
    application.reset();
    PumpMessages();
    ResetProgramState();
    fake.reset();
    ResetLibrarySearch();
}

namespace {

// A real drop handle in global memory, as the shell hands it over.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    std::size_t size = sizeof(DROPFILES) + sizeof(wchar_t);
    for (const std::wstring& path : paths) size += (path.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& path : paths) {
        std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        text += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

}  // namespace

void DropWide(HWND target, const std::vector<std::wstring>& paths) {
    SendMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

void Drop(HWND target, const std::vector<std::string>& paths) {
    std::vector<std::wstring> wide;
    for (const std::string& path : paths) wide.push_back(tarvik::WideFromAnsi(path));
    DropWide(target, wide);
}

void MainWindowFixture::Start(const std::string& commandLine) { Start(tarvik::WideFromAnsi(commandLine)); }

void MainWindowFixture::Start(const std::wstring& commandLine) {
    tarvik::TfrmCabMain::Options options;
    options.instance = GetModuleHandleA(nullptr);
    options.steps = &steps;
    options.outbuffer = outbuffer.get();
    options.commandLine = commandLine;
    window = std::make_unique<tarvik::TfrmCabMain>(options);
    application = std::make_unique<tarvik::ApplicationWindow>(options.instance, steps);
    if (!window->Create(application->hwnd())) ADD_FAILURE() << "the main window was not made";
    application->SetMainWindow(window->hwnd());
    if (!outbuffer->Create(window->hwnd())) ADD_FAILURE() << "the result window was not made";
    window->Show();
    PumpMessages();
}

void MainWindowFixture::SelectOperation(const char* item) {
    SendMessageA(window->cobPara1, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
    SendMessageA(window->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window->cobPara1), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(window->cobPara1));
}

void MainWindowFixture::SelectCompression(const char* item) {
    SendMessageA(window->cobType, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
    SendMessageA(window->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window->cobType), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(window->cobType));
}

void MainWindowFixture::SetCheck(HWND checkBox, bool checked) {
    if ((SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) {
        // A click as the user makes it.
        SendMessageA(checkBox, BM_CLICK, 0, 0);
    }
}

void MainWindowFixture::SetArchivePath(const std::string& path) { SetWindowTextA(window->edtCab, path.c_str()); }

}  // namespace testing_support
