#include "error_box.h"

namespace tarvik {

std::string StandardErrorText(const std::string& text) {
    if (text.empty() || static_cast<unsigned char>(text.back()) <= '.') return text;
    return text + ".";
}

void ShowStandardErrorBox(MessageBoxStep& boxes, HWND owner, const std::string& text) {
    boxes.ShowMessageBox(owner, StandardErrorText(text), "Tarvik32", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace tarvik
