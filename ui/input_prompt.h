// A one-line input prompt: caption, prompt text, an edit prefilled and fully
// selected, "OK" (the default button) and "キャンセル" (also Escape).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "modal_steps.h"

namespace tarvik {

class InputPrompt : public InputPromptStep {
public:
    explicit InputPrompt(HINSTANCE instance) : instance_(instance) {}
    // The confirmed text, or nullopt when cancelled. Throws when the dialog
    // cannot be created.
    std::optional<std::string> AskText(HWND owner, const InputPromptRequest& request) override;

private:
    HINSTANCE instance_;
};

}  // namespace tarvik
