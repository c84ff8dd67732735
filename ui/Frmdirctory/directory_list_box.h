// The folder tree list of the folder chooser: a list box that shows the path
// from the drive root down to its current folder, one level a line, followed
// by the subfolders of the current folder. Double-click or Enter on a line
// opens that folder; a single click only highlights it. Whenever the current
// folder changes, the process's current folder follows it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "message_filter.h"

namespace tarvik {

class DirectoryListBox {
public:
    static constexpr int kLineHeight = 16;
    // Style bits the list box must be created with.
    static constexpr DWORD kStyle = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;

    DirectoryListBox() = default;
    DirectoryListBox(const DirectoryListBox&) = delete;
    DirectoryListBox& operator=(const DirectoryListBox&) = delete;

    // Takes over a list box created with kStyle and opens the process's
    // current folder in it.
    void Attach(HWND listBox);
    HWND hwnd() const { return listBox_; }

    // The current folder: "C:\" for a drive root, "C:\Data" below it.
    const std::string& Directory() const { return directory_; }
    // The drive letter of the current folder (its first character).
    char Drive() const { return directory_.empty() ? '\0' : directory_.front(); }

    // Makes `path` the current folder of the list and of the process. False,
    // with nothing changed, when the folder cannot be entered.
    [[nodiscard]] bool OpenFolder(const std::string& path);
    // Moves to the current folder of another drive ("D:" as the path); the
    // same drive, compared without case, changes nothing.
    [[nodiscard]] bool SwitchToDrive(char letter);
    // Reads the subfolders of the current folder from disk again.
    void Update();

    // Paints one line; the owner window forwards its WM_DRAWITEM here.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    struct Line {
        std::string path;   // the folder the line opens
        std::string label;  // the text shown
        int indent = 0;     // depth below the root
        bool onPath = false;  // a level of the current folder, not a subfolder
    };

    void Rebuild();
    void OpenLine(int index);
    LRESULT Filter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const ControlProcedure& next);

    HWND listBox_ = nullptr;
    std::string directory_;
    std::vector<Line> lines_;
};

// The folders from the root down to `folder`, each as a full path:
// "C:\a\b" gives "C:\", "C:\a", "C:\a\b". A 0x5C byte that ends a
// double-byte character does not split a level.
std::vector<std::string> PathLevels(const std::string& folder);

}  // namespace tarvik
