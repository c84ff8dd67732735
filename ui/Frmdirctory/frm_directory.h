// The folder chooser frmDirectory: a drive box, a folder tree list, OK,
// Close and "新規フォルダ". Created once and hidden; shown modally as often as
// needed, keeping its drive and folder between showings. Each showing
// answers the folder last confirmed with OK, however it ended.
#pragma once

#include <windows.h>

#include <string>

#include "button_glyph.h"
#include "directory_list_box.h"
#include "drive_combo_box.h"
#include "modal_loop.h"
#include "modal_steps.h"
#include "window_handles.h"

namespace tarvik {

class TfrmDirectory {
public:
    // Control ids, in tab order.
    enum ControlId : int {
        IdDirectoryListBox1 = 1001,
        IdDriveComboBox1 = 1002,
        IdBitBtn1 = 1003,
        IdBitBtn2 = 1004,
        IdButton1 = 1005,
    };

    // The new-folder prompt goes through `prompt`, errors through `boxes`.
    TfrmDirectory(HINSTANCE instance, InputPromptStep& prompt, MessageBoxStep& boxes);
    ~TfrmDirectory();
    TfrmDirectory(const TfrmDirectory&) = delete;
    TfrmDirectory& operator=(const TfrmDirectory&) = delete;

    // Creates the hidden window, owned by `owner`; the list opens the
    // process's current folder. False when the window cannot be created.
    [[nodiscard]] bool Create(HWND owner);
    // Shows the window modally until OK, Close or the close box ends it, and
    // answers ChosenFolder().
    std::string ShowModal();
    HWND hwnd() const { return hwnd_; }

    // The folder last confirmed with OK, followed by one "\" (a drive root
    // therefore ends in two). Empty until the first OK of the run.
    const std::string& ChosenFolder() const { return chosenFolder_; }

    // The folder list's current folder.
    const std::string& CurrentFolder() const { return directoryListBox1_.Directory(); }

    void DriveComboBox1Change();
    void BitBtn1Click();
    void Button1Click();

private:
    template <typename Window>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    void ShowError(const std::string& text);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int notification);
    void CreateControls();

    HINSTANCE instance_;
    InputPromptStep& prompt_;
    MessageBoxStep& boxes_;
    HWND hwnd_ = nullptr;
    std::string chosenFolder_;
    Font font_;
    DirectoryListBox directoryListBox1_;
    DriveComboBox driveComboBox1_;
    ButtonGlyph okGlyph_;
    ButtonGlyph closeGlyph_;
    ModalLoop modal_;
    HWND lastFocus_ = nullptr;
};

}  // namespace tarvik
