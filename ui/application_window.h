// The application window: the zero-sized owner of every window of the
// program. Its title "Tarvik32" is what the task bar shows, while the main
// window's caption carries the version.
#pragma once

#include <windows.h>

#include <string>

#include "modal_steps.h"

namespace tarvik {

class ApplicationWindow {
public:
    // Throws when the window cannot be created. Its errors are shown through `boxes`.
    ApplicationWindow(HINSTANCE instance, MessageBoxStep& boxes);
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;
    ~ApplicationWindow();

    HWND hwnd() const { return window_; }
    // The window whose close request every close request of this one becomes.
    void SetMainWindow(HWND mainWindow) { mainWindow_ = mainWindow; }

private:
    template <typename Window>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND window) { window_ = window; }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowError(const std::string& text);

    MessageBoxStep& boxes_;
    HWND window_ = nullptr;
    HWND mainWindow_ = nullptr;
};

}  // namespace tarvik
