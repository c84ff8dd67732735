// Showing the program's secondary windows modally, and placing them.
#pragma once

#include <windows.h>

namespace tarvik {

// Shows a window modally over its owner: the owner is disabled and messages
// are pumped until End, or until the window is hidden or destroyed; then the
// owner is enabled again before the window hides, so that the activation
// goes back to the program and not to another one.
class ModalLoop {
public:
    // Shows `window` with the focus on `focus` and returns when the showing
    // ends. A showing that is already running is not started again.
    void Run(HWND window, HWND focus);
    // Ends the running showing; with none running, just hides `window`.
    void End(HWND window);
    bool Running() const { return running_; }

private:
    bool running_ = false;
};

// Centres a window on the desktop's work area.
void CentreOnDesktop(HWND window);

}  // namespace tarvik
