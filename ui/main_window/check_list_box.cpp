#include "check_list_box.h"

#include <commctrl.h>

#include "list_box_items.h"
#include "window_text.h"

namespace tarvik {

void CheckListBox::Attach(HWND list) {
    list_ = list;
    SendMessageA(list_, LB_SETITEMHEIGHT, 0, kRowHeight);
    InstallMessageFilter<CheckListBox, &CheckListBox::Filter>(list_, this);
}

// New items of a list box with strings carry 0 as their data: no mark.
void CheckListBox::SetEntries(const std::vector<std::string>& texts) { ReplaceListBoxItems(list_, texts); }

int CheckListBox::Count() const { return static_cast<int>(SendMessageA(list_, LB_GETCOUNT, 0, 0)); }

bool CheckListBox::Checked(int index) const {
    const auto data = SendMessageA(list_, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data != LB_ERR && data != 0;
}

void CheckListBox::SetChecked(int index, bool checked) {
    if (index < 0 || index >= Count()) return;
    SendMessageA(list_, LB_SETITEMDATA, static_cast<WPARAM>(index), checked ? 1 : 0);
    RECT row{};
    SendMessageA(list_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
    InvalidateRect(list_, &row, FALSE);
}

void CheckListBox::Toggle(int index) { SetChecked(index, !Checked(index)); }

std::string CheckListBox::Text(int index) const { return ListItemText(list_, index); }

std::vector<CheckedEntry> CheckListBox::Entries() const {
    std::vector<CheckedEntry> entries;
    for (int i = 0; i < Count(); ++i) entries.push_back({Text(i), Checked(i)});
    return entries;
}

void CheckListBox::Draw(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1)) return;
    const int index = static_cast<int>(item.itemID);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    RECT row = item.rcItem;
    FillRect(item.hDC, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    RECT mark{row.left + 1, row.top + 1, row.left + kRowHeight - 1, row.bottom - 1};
    DrawFrameControl(item.hDC, &mark, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (Checked(index) ? DFCS_CHECKED : 0));

    RECT textArea{row.left + kRowHeight + 2, row.top, row.right, row.bottom};
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::string text = Text(index);
    DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &textArea,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &row);
}

LRESULT CheckListBox::Filter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const ControlProcedure& next) {
    switch (message) {
    case WM_LBUTTONDOWN: {
        const LRESULT result = next(message, wParam, lParam);
        const auto hit = SendMessageA(window, LB_ITEMFROMPOINT, 0, lParam);
        // The high word says whether the point lies outside every row.
        if (HIWORD(hit) == 0 && static_cast<short>(LOWORD(lParam)) < kRowHeight) Toggle(LOWORD(hit));
        return result;
    }
    case WM_CHAR:
        if (wParam == ' ') {
            const auto caret = SendMessageA(window, LB_GETCARETINDEX, 0, 0);
            if (caret != LB_ERR) Toggle(static_cast<int>(caret));
            return 0;
        }
        break;
    default:
        break;
    }
    return next(message, wParam, lParam);
}

}  // namespace tarvik
