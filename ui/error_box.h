// The program's standard error box: the last word on an error that a window
// handler could not deal with.
#pragma once

#include <windows.h>

#include <string>

namespace tarvik {

// The text as the box shows it: a full stop is added when the last byte sorts
// after "." (as the last byte of every Japanese message does); empty text
// stays empty.
std::string StandardErrorText(const std::string& text);

// A modal box with the caption "Tarvik32", the error icon and an OK button.
void ShowStandardErrorBox(HWND owner, const std::string& text);

}  // namespace tarvik
