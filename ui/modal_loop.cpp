#include "modal_loop.h"

namespace tarvik {

void RunModalLoop(HWND window, HWND owner) {
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);

    MSG message;
    while (IsWindowVisible(window) && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // Enable the owner before the window is hidden for good, so the
    // activation goes back to it and not to another application.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (owner) SetActiveWindow(owner);
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

HFONT CreateUiFont(int characterHeight) {
    return CreateFontA(-characterHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック");
}

}  // namespace tarvik
