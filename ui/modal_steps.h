// Every modal step of the program's windows goes through this interface, so
// tests can answer message boxes, file dialogs, the input prompt and the
// modal windows with a script while the real windows run.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tarvik {

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
