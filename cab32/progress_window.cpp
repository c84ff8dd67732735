#include "progress_window.h"

#include <algorithm>

#include "window_class.h"

namespace cab32 {

namespace {

constexpr char kClassName[] = "Cab32ProgressWindow";
constexpr DWORD kShowAfterMs = 500;
constexpr DWORD kRepaintEveryMs = 50;
constexpr int kWidth = 360;
constexpr int kHeight = 110;

}  // namespace

ProgressWindow::ProgressWindow(HINSTANCE instance, HWND owner, std::string caption)
    : instance_(instance), owner_(owner), caption_(std::move(caption)), startTick_(GetTickCount()) {}

ProgressWindow::~ProgressWindow() {
    if (window_) DestroyWindow(window_);
    // The library is unloaded after each call; its class must go with it.
    if (classRegistered_) UnregisterClassA(kClassName, instance_);
}

void ProgressWindow::Update(std::string_view member, std::uint64_t done, std::uint64_t total) {
    if (!owner_ || !IsWindow(owner_)) return;
    const DWORD now = GetTickCount();
    member_.assign(member);
    permille_ = total == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(done * 1000 / total, 1000));
    if (!window_ && now - startTick_ >= kShowAfterMs) Create();
    if (now - lastTick_ < kRepaintEveryMs) return;
    lastTick_ = now;
    if (window_) InvalidateRect(window_, nullptr, TRUE);
    PumpMessages();
}

void ProgressWindow::Create() {
    classRegistered_ = tarvik::RegisterWindowClass(instance_, kClassName, WindowProc, nullptr, IDC_WAIT);
    if (!classRegistered_) return;
    RECT ownerRect{};
    GetWindowRect(owner_, &ownerRect);
    const int x = (ownerRect.left + ownerRect.right - kWidth) / 2;
    const int y = (ownerRect.top + ownerRect.bottom - kHeight) / 2;
    window_ = CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, caption_.c_str(), WS_POPUP | WS_CAPTION, x, y, kWidth,
                              kHeight, owner_, nullptr, instance_, this);
    if (!window_) return;
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
}

void ProgressWindow::Paint(HWND window) const {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT text{10, 8, client.right - 10, 28};
    DrawTextA(dc, member_.c_str(), static_cast<int>(member_.size()), &text,
              DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_NOPREFIX);
    RECT bar{10, 36, client.right - 10, 56};
    FrameRect(dc, &bar, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT filled{bar.left + 1, bar.top + 1, bar.left + 1 + (bar.right - bar.left - 2) * permille_ / 1000, bar.bottom - 1};
    FillRect(dc, &filled, GetSysColorBrush(COLOR_HIGHLIGHT));
    EndPaint(window, &paint);
}

// The work runs on the caller's thread: every window of the thread is
// kept drawn and answering meanwhile, not only this one. The caller's
// windows stay as it left them for the job (disabled, as a rule), and a
// close request or a second job meets the caller's own busy check while
// CabGetRunning answers true. A quit request is left for the caller's
// message loop.
void ProgressWindow::PumpMessages() const {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_PAINT:
            if (self) {
                self->Paint(window);
                return 0;
            }
            break;
        case WM_CLOSE: return 0;  // the work cannot be interrupted
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace cab32
