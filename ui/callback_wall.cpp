#include "callback_wall.h"

#include <exception>

#include "error_box.h"

namespace tarvik {

std::string CurrentExceptionText() noexcept {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return kUnexpectedErrorText;
    }
}

UINT StandardErrorMessage() noexcept {
    static const UINT message = RegisterWindowMessageA("Tarvik32.StandardError");
    return message;
}

void PassErrorUp(HWND window, const std::string& text) noexcept {
    for (HWND candidate = window; candidate; candidate = GetParent(candidate)) {
        if (SendMessageA(candidate, StandardErrorMessage(), 0, reinterpret_cast<LPARAM>(&text))) return;
    }
    SystemMessageBoxes boxes;
    ShowStandardErrorBox(boxes, nullptr, text);
}

}  // namespace tarvik
