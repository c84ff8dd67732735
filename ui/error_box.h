// The program's standard error box: the last word on an error that a handler
// could not deal with (callback_wall.h says how errors get here).
#pragma once

#include <windows.h>

#include <string>

#include "modal_steps.h"

namespace tarvik {

// The text as the box shows it: a full stop is added when the last byte sorts
// after "." (as the last byte of every Japanese message does); empty text
// stays empty.
std::string StandardErrorText(const std::string& text);

// Shows the box through `boxes`: caption "Tarvik32", the error icon, an OK
// button, modal to every window of the program.
void ShowStandardErrorBox(MessageBoxStep& boxes, HWND owner, const std::string& text);

}  // namespace tarvik
