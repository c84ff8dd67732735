#include "directory_list_box.h"

#include <algorithm>

#include "sjis_path.h"
#include "drive_access.h"

namespace tarvik {

namespace {

constexpr int kIndentStep = 10;     // pixels per level of the tree
constexpr int kGlyphWidth = 16;     // room taken by the folder picture

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string ProcessCurrentFolder() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return {};
    std::string folder(size, '\0');
    const DWORD length = GetCurrentDirectoryA(size, folder.data());
    folder.resize(length < size ? length : 0);
    return folder;
}

std::string ChildPath(const std::string& folder, const std::string& name) {
    return EndsWithSeparator(folder) ? folder + name : folder + "\\" + name;
}

// Length of the root part including its "\": 3 for "C:\x", the length up to
// and including the "\" after the share name for "\\server\share\x".
std::size_t RootLength(std::string_view folder) {
    std::size_t position = 0;
    const int separatorsInRoot = folder.starts_with("\\\\") ? 4 : 1;
    for (int i = 0; i < separatorsInRoot; ++i) {
        const std::size_t separator = FindFirstSjisChar(folder.substr(position), "\\");
        if (separator == npos) return folder.size();
        position += separator + 1;
    }
    return position;
}

// Names of the subfolders of `folder`, sorted as Explorer sorts them.
std::vector<std::string> ReadSubfolders(const std::string& folder) {
    std::vector<std::string> names;
    QuietDriveErrors quiet;
    auto search = FileSearch::Start(ChildPath(folder, "*"));
    for (bool more = search.Found(); more; more = search.Next()) {
        const WIN32_FIND_DATAA& entry = search.Entry();
        const std::string name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

// A small folder picture drawn with the DC pen and brush (no GDI objects to
// own); an open folder for the levels of the current path.
void DrawFolderGlyph(HDC dc, int left, int top, bool open) {
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    SetDCPenColor(dc, RGB(128, 96, 0));
    SetDCBrushColor(dc, RGB(240, 200, 80));
    Rectangle(dc, left, top, left + 6, top + 3);
    Rectangle(dc, left, top + 2, left + 13, top + 11);
    if (open) {
        SetDCBrushColor(dc, RGB(255, 232, 140));
        const POINT flap[] = {{left + 3, top + 5}, {left + 15, top + 5}, {left + 12, top + 10}, {left, top + 10}};
        Polygon(dc, flap, 4);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

}  // namespace

std::vector<std::string> PathLevels(const std::string& folder) {
    std::vector<std::string> levels;
    std::size_t start = RootLength(folder);
    if (start == 0) return levels;
    levels.push_back(folder.substr(0, start));
    while (start < folder.size()) {
        const std::size_t separator = FindFirstSjisChar(std::string_view(folder).substr(start), "\\");
        const std::size_t end = separator == npos ? folder.size() : start + separator;
        if (end > start) levels.push_back(folder.substr(0, end));
        start = end + 1;
    }
    return levels;
}

void DirectoryListBox::Attach(HWND listBox) {
    listBox_ = listBox;
    InstallMessageFilter<DirectoryListBox, &DirectoryListBox::Filter>(listBox_, this);
    SendMessageA(listBox_, LB_SETITEMHEIGHT, 0, MAKELPARAM(kLineHeight, 0));
    directory_ = ProcessCurrentFolder();
    Rebuild();
}

bool DirectoryListBox::OpenFolder(const std::string& path) {
    {
        QuietDriveErrors quiet;
        if (!SetCurrentDirectoryA(path.c_str())) return false;
    }
    // The system's spelling of the folder: "D:" becomes that drive's folder.
    const std::string entered = ProcessCurrentFolder();
    directory_ = entered.empty() ? path : entered;
    Rebuild();
    return true;
}

bool DirectoryListBox::SwitchToDrive(char letter) {
    if (UpperAscii(letter) == UpperAscii(Drive())) return true;
    return OpenFolder(std::string(1, letter) + ":");
}

void DirectoryListBox::Update() { Rebuild(); }

void DirectoryListBox::Rebuild() {
    lines_.clear();
    const std::vector<std::string> levels = PathLevels(directory_);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const std::string label = i == 0 ? levels[i] : std::string(FileNamePart(levels[i]));
        lines_.push_back({levels[i], label, static_cast<int>(i), true});
    }
    for (const std::string& name : ReadSubfolders(directory_))
        lines_.push_back({ChildPath(directory_, name), name, static_cast<int>(levels.size()), false});

    SendMessageA(listBox_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listBox_, LB_RESETCONTENT, 0, 0);
    for (const Line& line : lines_)
        SendMessageA(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.label.c_str()));
    SendMessageA(listBox_, LB_SETCURSEL, levels.empty() ? 0 : levels.size() - 1, 0);
    SendMessageA(listBox_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox_, nullptr, TRUE);
}

void DirectoryListBox::OpenLine(int index) {
    if (index < 0 || index >= static_cast<int>(lines_.size())) return;
    const std::string path = lines_[index].path;
    // A folder removed since the list was read cannot be entered: show what
    // is there now instead.
    if (!OpenFolder(path)) Update();
}

void DirectoryListBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.itemID >= lines_.size()) return;
    const Line& line = lines_[item.itemID];
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int left = item.rcItem.left + 2 + line.indent * kIndentStep;
    DrawFolderGlyph(item.hDC, left, item.rcItem.top + 3, line.onPath);

    RECT textRect = item.rcItem;
    textRect.left = left + kGlyphWidth + 2;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextA(item.hDC, line.label.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

LRESULT DirectoryListBox::Filter(HWND, UINT message, WPARAM wParam, LPARAM lParam, const ControlProcedure& next) {
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter opens the highlighted folder instead of pressing the default button.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTALLKEYS | next(message, wParam, lParam);
        break;
    }
    case WM_KEYDOWN:
        if (wParam != VK_RETURN) break;
        OpenLine(static_cast<int>(SendMessageA(listBox_, LB_GETCURSEL, 0, 0)));
        return 0;
    case WM_CHAR:
        if (wParam == '\r') return 0;  // already handled as a key; no search for it
        break;
    case WM_LBUTTONDBLCLK: {
        const LRESULT result = next(message, wParam, lParam);
        const LRESULT hit = SendMessageA(listBox_, LB_ITEMFROMPOINT, 0, lParam);
        if (HIWORD(hit) == 0) OpenLine(LOWORD(hit));
        return result;
    }
    }
    return next(message, wParam, lParam);
}

}  // namespace tarvik
