#include "application_window.h"

#include <stdexcept>

#include "error_box.h"
#include "resource_ids.h"
#include "window_procedure.h"

namespace tarvik {

namespace {

constexpr char kApplicationClass[] = "TApplication";

}  // namespace

ApplicationWindow::ApplicationWindow(HINSTANCE instance, MessageBoxStep& boxes) : boxes_(boxes) {
    if (!RegisterWindowClass(instance, kApplicationClass, WindowProcedure<ApplicationWindow>,
                             LoadIconA(instance, MAKEINTRESOURCEA(IDI_TARVIK32)))) {
        throw std::runtime_error("ウィンドウクラスを登録できません");
    }
    // Minimising it hides the windows it owns.
    CreateWindowExA(0, kApplicationClass, "Tarvik32", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                    GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                    nullptr, instance, this);
    if (!window_) throw std::runtime_error("ウィンドウを作成できません");
    ShowWindow(window_, SW_SHOWNORMAL);
}

ApplicationWindow::~ApplicationWindow() {
    if (window_) DestroyWindow(window_);
}

void ApplicationWindow::ShowError(const std::string& text) { ShowStandardErrorBox(boxes_, window_, text); }

LRESULT ApplicationWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // The focus goes on to the window it owns.
        if (LOWORD(wParam) == WA_INACTIVE) break;
        if (HWND owned = GetWindow(window_, GW_ENABLEDPOPUP)) SetFocus(owned);
        return 0;
    case WM_CLOSE:
        // "Close window" on the task bar button, or a task manager's end of
        // the task: the main window's own close request, with its checks,
        // its save and its refusal while the library works.
        if (!IsWindow(mainWindow_)) break;
        SendMessageA(mainWindow_, WM_CLOSE, 0, 0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace tarvik
