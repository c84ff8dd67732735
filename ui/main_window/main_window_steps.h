// The modal steps of the main window. The program answers them with real
// message boxes, dialogs and modal windows; tests answer them with a script.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "modal_steps.h"

namespace tarvik {

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    std::string filter;            // "CAB Files|*.cab" form
    std::string defaultExtension;  // without dot; empty for none
    std::string initialName;       // the name last confirmed in this dialog
    DWORD flags = 0;               // OFN_* options
};

struct FileDialogAnswer {
    bool confirmed = false;
    std::vector<std::string> names;  // full paths; several with OFN_ALLOWMULTISELECT
    // Best-fit forms of chosen files that no code page 932 path can name:
    // left out of `names`, and the user is told.
    std::vector<std::string> refused;
};

// Message boxes (the warning, the notices, the standard error box) come
// through MessageBoxStep.
class MainWindowSteps : public MessageBoxStep {
public:
    // Shows the result output window modally.
    virtual void ShowResultWindow() = 0;
    // Shows the folder chooser modally and answers the folder last confirmed
    // in it (ChosenFolder), however the showing ended.
    virtual std::string ShowFolderChooser() = 0;
    virtual FileDialogAnswer ShowFileDialog(HWND owner, const FileDialogRequest& request) = 0;
    // Hands one request to the help viewer (WinHelp).
    virtual void ShowHelp(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data) = 0;
};

}  // namespace tarvik
