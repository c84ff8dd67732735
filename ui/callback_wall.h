// Where an exception thrown in the program's own code ends.
//
// The window system calls the program through window procedures, control
// filters and dialog procedures. No exception may unwind through the
// system's frames, so every one of these callbacks catches everything that
// its handler throws:
//
// - A window procedure (WindowProcedure, window_procedure.h; every window
//   class of the program uses it): the handler ends where it threw, the
//   message answers 0, and the window shows the error in the standard error
//   box through its ShowError, which goes through the window's
//   MessageBoxStep (what the tests answer with a script).
// - A control filter (InstallMessageFilter, message_filter.h: the drop
//   filters of ListBox1 and edtCab, the check list, the folder list, the
//   result text): the filter ends, the message answers 0, and the error goes
//   to the nearest of the program's windows above the control (its parent,
//   or else its owner), which shows it as above.
// - The input prompt's dialog procedure: as a control filter; the prompt's
//   owner shows the error.
// - Start-up (WinMain): the standard error box; the program then ends.
//
// The text shown is what() of a std::exception, and kUnexpectedErrorText for
// anything else. Showing the box must not throw: should it, the program ends
// at once (std::terminate) rather than unwind through the system.
#pragma once

#include <windows.h>

#include <string>

namespace tarvik {

inline constexpr char kUnexpectedErrorText[] = "予期しないエラーが発生しました";

// The text of the exception being handled; call only inside a catch block.
std::string CurrentExceptionText() noexcept;

// The message that asks one of the program's windows to show the
// std::string at lParam in its standard error box; it answers TRUE.
UINT StandardErrorMessage() noexcept;

// Shows `text` in the standard error box of `window` or of the nearest of
// the program's windows above it; with none, in a box of its own.
void PassErrorUp(HWND window, const std::string& text) noexcept;

}  // namespace tarvik
