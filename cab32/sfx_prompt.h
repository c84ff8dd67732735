// The self-extractor's question for the destination folder.
#pragma once

#include <windows.h>

#include <string>

namespace cab32 {

// Lets the user choose a folder, starting at `folder`: true with the choice
// in `folder`, false with `folder` untouched when the user cancels.
using FolderPicker = bool (*)(HWND owner, std::string& folder);

// The system's folder picker (SHBrowseForFolder, file system folders only).
bool PickFolderWithShell(HWND owner, std::string& folder);

// The window "自己解凍": the destination folder in a field, "参照..." that
// fills the field from the folder picker, "解凍" (also Enter) and
// "キャンセル" (also Esc). Made and shown by Open; Wait runs it until the
// user answers.
class DestinationPrompt {
public:
    explicit DestinationPrompt(HINSTANCE instance, FolderPicker picker = PickFolderWithShell)
        : instance_(instance), picker_(picker) {}
    ~DestinationPrompt();
    DestinationPrompt(const DestinationPrompt&) = delete;
    DestinationPrompt& operator=(const DestinationPrompt&) = delete;

    // Shows the window with `folder` in its field, centred in the work area
    // of its monitor. False when the window cannot be made.
    [[nodiscard]] bool Open(const std::string& folder);
    // Runs the window until it is answered: true and the field's folder on
    // 解凍; false on キャンセル or when the window is closed.
    bool Wait(std::string& folder);

    HWND hwnd() const { return window_; }
    HWND Field() const { return field_; }
    HWND BrowseButton() const { return browse_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls(const std::string& folder);
    void Browse();
    void Finish(bool accepted);

    HINSTANCE instance_;
    FolderPicker picker_;
    HWND window_ = nullptr;
    HWND field_ = nullptr;
    HWND browse_ = nullptr;
    std::string answer_;
    bool accepted_ = false;
    bool done_ = false;
};

// Shows the prompt with `folder` filled in; true and the edited folder on
// 解凍, false on キャンセル or when the window cannot be shown.
bool AskDestinationFolder(HINSTANCE instance, std::string& folder);

}  // namespace cab32
