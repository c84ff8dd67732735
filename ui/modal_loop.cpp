#include "modal_loop.h"

namespace tarvik {

void ModalLoop::Run(HWND window, HWND focus) {
    if (running_ || !window) return;
    const HWND owner = GetWindow(window, GW_OWNER);
    const HWND previousActive = GetActiveWindow();
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    if (focus) SetFocus(focus);

    running_ = true;
    MSG message{};
    while (running_ && IsWindowVisible(window)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: leave the quit message to the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    running_ = false;

    if (ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, TRUE);
    if (IsWindow(window)) ShowWindow(window, SW_HIDE);
    const HWND back = previousActive && IsWindow(previousActive) ? previousActive : owner;
    if (back && IsWindow(back)) SetActiveWindow(back);
}

void ModalLoop::End(HWND window) {
    if (running_) {
        running_ = false;  // Run hides the window once the owner takes input again
    } else {
        ShowWindow(window, SW_HIDE);
    }
}

void CentreOnDesktop(HWND window) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tarvik
