// The one window procedure of every window class of the program.
#pragma once

#include <windows.h>

#include <exception>

namespace tarvik {

// Keeps the window object in the window's user data from WM_NCCREATE to
// WM_NCDESTROY and hands every message to its OnMessage. It is also the
// place where the program's errors stop: nothing unwinds through the window
// system's frames; an error ends the handler that raised it and is shown in
// the standard error box (the object's ShowError).
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
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        self->ShowError(error.what());
        return 0;
    }
}

}  // namespace tarvik
