// The program's own answers to the main window's modal steps: real message
// boxes, file dialogs and the two modal windows.
#pragma once

#include <functional>
#include <string>

#include "main_window_steps.h"

namespace tarvik {

class TfrmOutbuffer;

class RealMainWindowSteps : public MainWindowSteps {
public:
    RealMainWindowSteps(TfrmOutbuffer& outbuffer, std::function<std::string()> showFolderChooser)
        : outbuffer_(outbuffer), showFolderChooser_(std::move(showFolderChooser)) {}

    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
    void ShowResultWindow() override;
    std::string ShowFolderChooser() override;
    FileDialogAnswer ShowFileDialog(HWND owner, const FileDialogRequest& request) override;
    void ShowHelp(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data) override;

private:
    TfrmOutbuffer& outbuffer_;
    std::function<std::string()> showFolderChooser_;
};

// "Name|*.ext" to the file dialog's form: NUL-separated pairs ending in two NULs.
std::wstring DialogFilter(const std::string& filter);

// The names an open dialog returns: one full path, or with multiple selection
// a folder followed by NUL-separated file names.
std::vector<std::wstring> DialogNames(const wchar_t* buffer);

}  // namespace tarvik
