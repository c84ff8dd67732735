#include "list_box_items.h"

namespace tarvik {

namespace {

// Stops a list box from redrawing until the end of the scope, then repaints
// it once (list boxes handle WM_SETREDRAW themselves and skip their per-item
// scroll bar and painting work meanwhile).
class RedrawPause {
public:
    explicit RedrawPause(HWND window) : window_(window) { SendMessageA(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPause() {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND window_;
};

void InsertAll(HWND listBox, const std::vector<std::string>& items) {
    std::size_t bytes = 0;
    for (const std::string& item : items) bytes += item.size() + 1;
    // One allocation for all items instead of a regrowth every few.
    SendMessageA(listBox, LB_INITSTORAGE, static_cast<WPARAM>(items.size()), static_cast<LPARAM>(bytes));
    for (const std::string& item : items) {
        SendMessageA(listBox, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
    }
}

}  // namespace

void AppendListBoxItems(HWND listBox, const std::vector<std::string>& items) {
    if (items.empty()) return;
    RedrawPause pause(listBox);
    InsertAll(listBox, items);
}

void ReplaceListBoxItems(HWND listBox, const std::vector<std::string>& items) {
    RedrawPause pause(listBox);
    SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
    InsertAll(listBox, items);
}

}  // namespace tarvik
