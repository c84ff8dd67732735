#include "sfx_prompt.h"

#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <type_traits>

#include "window_class.h"

namespace cab32 {

namespace {

constexpr char kClassName[] = "Cab32SfxPrompt";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kClientWidth = 404;
constexpr int kClientHeight = 108;
constexpr int kFieldId = 100;
constexpr int kBrowseId = 101;

// The folder field and 参照... share a row; 参照... sits above キャンセル.
struct ControlRow {
    int id;
    const char* className;
    const char* text;  // null: the folder
    DWORD style;       // besides WS_CHILD | WS_VISIBLE
    int x, y, width, height;
};
constexpr DWORD kField = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr ControlRow kControls[] = {
    // id       class     text                                    style                          x    y   w    h
    {0,         "STATIC", "解凍先のフォルダを指定してください。", SS_LEFT | SS_NOPREFIX,         12,  12, 380, 18},
    {kFieldId,  "EDIT",   nullptr,                                kField,                        12,  36, 286, 22},
    {kBrowseId, "BUTTON", "参照...",                              kButton,                       306, 36, 86,  22},
    {IDOK,      "BUTTON", "解凍",                                 BS_DEFPUSHBUTTON | WS_TABSTOP, 212, 70, 86,  26},
    {IDCANCEL,  "BUTTON", "キャンセル",                           kButton,                       306, 70, 86,  26},
};

std::string TextOf(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void CentreInWorkArea(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    const RECT& work = monitor.rcWork;
    RECT frame{};
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
                 work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// COM on this thread for the picker's new dialog style; undone only when
// this object's call succeeded (S_FALSE included, as COM counts it).
class ComApartment {
public:
    ComApartment() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (started_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool started_;
};

struct ShellMemoryFree {
    void operator()(void* memory) const { CoTaskMemFree(memory); }
};
using ItemList = std::unique_ptr<std::remove_pointer_t<PIDLIST_ABSOLUTE>, ShellMemoryFree>;

// Opens the picker on the folder that the field names.
int CALLBACK PickerStarted(HWND picker, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
}

}  // namespace

bool PickFolderWithShell(HWND owner, std::string& folder) {
    const ComApartment com;
    BROWSEINFOA request{};
    request.hwndOwner = owner;
    request.lpszTitle = "解凍先のフォルダを選んでください。";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    request.lpfn = PickerStarted;
    request.lParam = folder.empty() ? 0 : reinterpret_cast<LPARAM>(folder.c_str());
    const ItemList chosen(SHBrowseForFolderA(&request));
    if (!chosen) return false;
    char path[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(chosen.get(), path)) return false;
    folder = path;
    return true;
}

DestinationPrompt::~DestinationPrompt() {
    if (window_) DestroyWindow(window_);
}

bool DestinationPrompt::Open(const std::string& folder) {
    if (!tarvik::RegisterWindowClass(instance_, kClassName, Procedure)) return false;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    // Made hidden at the corner, then shown where it belongs.
    if (!CreateWindowExA(kExStyle, kClassName, "自己解凍", kStyle, 0, 0, frame.right - frame.left,
                         frame.bottom - frame.top, nullptr, nullptr, instance_, this)) {
        return false;
    }
    CreateControls(folder);
    CentreInWorkArea(window_);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetFocus(field_);
    return true;
}

bool DestinationPrompt::Wait(std::string& folder) {
    MSG message;
    while (!done_ && window_ && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (accepted_) folder = answer_;
    return accepted_;
}

void DestinationPrompt::CreateControls(const std::string& folder) {
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const ControlRow& row : kControls) {
        const HWND control = CreateWindowExA(0, row.className, row.text ? row.text : folder.c_str(),
                                             WS_CHILD | WS_VISIBLE | row.style, row.x, row.y, row.width,
                                             row.height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                             instance_, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (row.id == kFieldId) field_ = control;
        if (row.id == kBrowseId) browse_ = control;
    }
}

void DestinationPrompt::Browse() {
    std::string folder = TextOf(field_);
    if (picker_(window_, folder)) SetWindowTextA(field_, folder.c_str());
    SetFocus(field_);
}

void DestinationPrompt::Finish(bool accepted) {
    if (accepted) answer_ = TextOf(field_);
    accepted_ = accepted;
    done_ = true;
    DestroyWindow(window_);
}

LRESULT CALLBACK DestinationPrompt::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* prompt = static_cast<DestinationPrompt*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        prompt->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(prompt));
    }
    auto* prompt = reinterpret_cast<DestinationPrompt*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!prompt) return DefWindowProcA(window, message, wParam, lParam);
    const LRESULT result = prompt->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        prompt->window_ = nullptr;
    }
    return result;
}

LRESULT DestinationPrompt::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: Finish(true); return 0;
        case IDCANCEL: Finish(false); return 0;
        case kBrowseId: Browse(); return 0;
        default: break;
        }
        break;
    case DM_GETDEFID: {
        // Enter presses the focused button, 解凍 everywhere else.
        const HWND focus = GetFocus();
        const int id = focus && GetParent(focus) == window_ && focus != field_ ? GetDlgCtrlID(focus) : IDOK;
        return MAKELRESULT(id, DC_HASDEFID);
    }
    case WM_CLOSE:
        Finish(false);
        return 0;
    default: break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

bool AskDestinationFolder(HINSTANCE instance, std::string& folder) {
    DestinationPrompt prompt(instance);
    return prompt.Open(folder) && prompt.Wait(folder);
}

}  // namespace cab32
