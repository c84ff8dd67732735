// A list box whose entries each carry a check mark, toggled with the mouse on
// the mark or with the Space key. Rows are 13 pixels high.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "job_command.h"
#include "message_filter.h"

namespace tarvik {

class CheckListBox {
public:
    static constexpr int kRowHeight = 13;
    // Style bits the list box must be created with.
    static constexpr DWORD kStyle =
        WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;

    // Takes over a list box created with kStyle.
    void Attach(HWND list);
    HWND hwnd() const { return list_; }

    // Replaces every entry with `texts`, all marks cleared.
    void SetEntries(const std::vector<std::string>& texts);
    int Count() const;
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    void Toggle(int index);
    std::vector<CheckedEntry> Entries() const;

    // Called by the parent for WM_DRAWITEM of this control.
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    LRESULT Filter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const ControlProcedure& next);
    std::string Text(int index) const;
    HWND list_ = nullptr;
};

}  // namespace tarvik
