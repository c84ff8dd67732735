#include "error_box.h"

namespace tarvik {

std::string StandardErrorText(const std::string& text) {
    if (text.empty() || static_cast<unsigned char>(text.back()) <= '.') return text;
    return text + ".";
}

void ShowStandardErrorBox(HWND owner, const std::string& text) {
    MessageBoxA(owner, StandardErrorText(text).c_str(), "Tarvik32", MB_ICONERROR | MB_OK);
}

}  // namespace tarvik
