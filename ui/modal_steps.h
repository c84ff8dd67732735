// Every modal step of the program's windows goes through these interfaces,
// so tests can answer message boxes, file dialogs, the input prompt and the
// modal windows with a script while the real windows run.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tarvik {

class MessageBoxStep {
public:
    virtual ~MessageBoxStep() = default;
    // Shows a message box (MessageBoxA's arguments) and returns the button pressed.
    virtual int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
};

// The program's own message boxes.
class SystemMessageBoxes : public MessageBoxStep {
public:
    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
        return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
    }
};

struct InputPromptRequest {
    std::string caption;
    std::string prompt;
    std::string initialText;
    int maxLength = 255;
};

class InputPromptStep {
public:
    virtual ~InputPromptStep() = default;
    // The text the user confirmed with OK, or nullopt when cancelled.
    virtual std::optional<std::string> AskText(HWND owner, const InputPromptRequest& request) = 0;
};

}  // namespace tarvik
