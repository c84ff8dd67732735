// Shows a window modally over its owner: the owner is disabled, messages are
// pumped until the window hides itself, then the owner is enabled and
// activated again.
#pragma once

#include <windows.h>

namespace tarvik {

void RunModalLoop(HWND window, HWND owner);

// Centres a window of the given client size on the desktop's work area.
void CentreOnDesktop(HWND window);

// The window's font for every control: "ＭＳ Ｐゴシック" with the given
// character height, Shift-JIS character set.
HFONT CreateUiFont(int characterHeight);

}  // namespace tarvik
