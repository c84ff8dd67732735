// Registering the window classes of the program and the library.
#pragma once

#include <windows.h>

namespace tarvik {

// Registers a window class with a button-face background and the given
// cursor. A class registered before (a second window object of the same
// class, as tests make) counts as registered; false when it cannot be.
[[nodiscard]] inline bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure,
                                              HICON icon = nullptr, LPCSTR cursor = IDC_ARROW) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, cursor);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace tarvik
