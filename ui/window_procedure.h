// The one window procedure of every window class of the program.
#pragma once

#include <windows.h>

#include <string>

#include "callback_wall.h"
#include "window_class.h"

namespace tarvik {

// Keeps the window object in the window's user data from WM_NCCREATE to
// WM_NCDESTROY and hands every message to its OnMessage. It is also the
// wall where the program's errors stop (callback_wall.h): whatever a handler
// throws ends that handler and is shown in the window's standard error box
// (its ShowError), as is an error a control filter passes up.
template <typename Window>
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        created->Attach(hwnd);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->Attach(nullptr);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    // noexcept: a standard error box that throws ends the program (callback_wall.h).
    const auto showError = [self](const std::string& text) noexcept { self->ShowError(text); };
    if (message == StandardErrorMessage()) {
        showError(*reinterpret_cast<const std::string*>(lParam));
        return TRUE;
    }
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        showError(CurrentExceptionText());
        return 0;
    }
}

}  // namespace tarvik
