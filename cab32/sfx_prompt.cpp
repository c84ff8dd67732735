#include "sfx_prompt.h"

namespace cab32 {

namespace {

constexpr char kClassName[] = "Cab32SfxPrompt";
constexpr int kEditId = 100;

struct PromptState {
    HWND edit = nullptr;
    std::string folder;
    bool accepted = false;
    bool done = false;
};

void CreateControls(HWND window, PromptState& state, HINSTANCE instance) {
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    struct Control {
        const char* className;
        const char* text;
        DWORD style;
        int x, y, width, height;
        int id;
    };
    const Control controls[] = {
        {"STATIC", "解凍先のフォルダを指定してください。", SS_LEFT, 12, 12, 380, 18, 0},
        {"EDIT", state.folder.c_str(), ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 12, 36, 380, 22, kEditId},
        {"BUTTON", "解凍", BS_DEFPUSHBUTTON | WS_TABSTOP, 212, 70, 86, 26, IDOK},
        {"BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, 306, 70, 86, 26, IDCANCEL},
    };
    for (const Control& c : controls) {
        HWND control = CreateWindowExA(0, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, c.x, c.y, c.width,
                                       c.height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
                                       nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.id == kEditId) state.edit = control;
    }
}

void Finish(HWND window, PromptState& state, bool accepted) {
    if (accepted) {
        char buffer[MAX_PATH * 2] = {};
        GetWindowTextA(state.edit, buffer, sizeof buffer);
        state.folder = buffer;
    }
    state.accepted = accepted;
    state.done = true;
    DestroyWindow(window);
}

LRESULT CALLBACK PromptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
            break;
        case WM_COMMAND:
            if (state && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                Finish(window, *state, LOWORD(wParam) == IDOK);
                return 0;
            }
            break;
        case WM_CLOSE:
            if (state) Finish(window, *state, false);
            return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool AskDestinationFolder(HINSTANCE instance, std::string& folder) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PromptProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return false;
    PromptState state;
    state.folder = folder;
    HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, "自己解凍", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 420, 140, nullptr, nullptr, instance, &state);
    if (!window) return false;
    CreateControls(window, state, instance);
    ShowWindow(window, SW_SHOWNORMAL);
    SetFocus(state.edit);
    MSG message;
    while (!state.done && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (state.accepted) folder = state.folder;
    return state.accepted;
}

}  // namespace cab32
