// The file list, its panel of buttons, and the archive and folder fields.
#include <windows.h>
#include <commdlg.h>

#include "archiver.h"
#include "cab32_api.h"
#include "list_box_items.h"
#include "list_files.h"
#include "main_layout.h"
#include "main_window.h"
#include "sjis_path.h"
#include "window_text.h"

namespace tarvik {

namespace {

// Sets the text of an edit; the change handling runs only when it differs.
void SetTextIfChanged(HWND edit, const std::string& text) {
    if (WindowText(edit) != text) SetWindowTextA(edit, text.c_str());
}

}  // namespace

std::vector<std::string> TfrmCabMain::FileList() const {
    std::vector<std::string> entries;
    const auto count = SendMessageA(ListBox1, LB_GETCOUNT, 0, 0);
    entries.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) entries.push_back(ListItemText(ListBox1, i));
    return entries;
}

void TfrmCabMain::SetFileList(const std::vector<std::string>& entries) { ReplaceListBoxItems(ListBox1, entries); }

bool TfrmCabMain::FileListIsMultiSelect() const {
    return (GetWindowLongPtrA(ListBox1, GWL_STYLE) & LBS_EXTENDEDSEL) != 0;
}

// A list box cannot change its selection mode once created, so the control
// is made anew in the same place with the same entries, font, tab position
// and drop handling.
void TfrmCabMain::RecreateListBox1(bool multiSelect) {
    if (FileListIsMultiSelect() == multiSelect) return;
    const std::vector<std::string> entries = FileList();
    const HWND old = ListBox1;
    // The style comes from the layout table, not from the old control: the
    // window system clears WS_VSCROLL from a list's style while it has
    // nothing to scroll, and a list made with that style never shows one.
    const DWORD current = static_cast<DWORD>(GetWindowLongPtrA(old, GWL_STYLE));
    const DWORD style = WS_CHILD | kListBox1Style | (current & (WS_VISIBLE | WS_DISABLED)) |
                        (multiSelect ? LBS_EXTENDEDSEL : 0);
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(old, GWL_EXSTYLE));
    RECT place{};
    GetWindowRect(old, &place);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
    ListBox1 = CreateWindowExA(exStyle, "LISTBOX", "", style, place.left, place.top, place.right - place.left,
                               place.bottom - place.top, window_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LISTBOX1)), options_.instance,
                               nullptr);
    SetWindowPos(ListBox1, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(ListBox1, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont_.get()), FALSE);
    SendMessageA(ListBox1, LB_SETITEMHEIGHT, 0, kFileListRowHeight);
    DestroyWindow(old);
    SetFileList(entries);
    DragAcceptFiles(ListBox1, TRUE);
    InstallDropFilter(ListBox1);
}

void TfrmCabMain::DrawListBox1Item(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::string text = ListItemText(item.hwndItem, static_cast<int>(item.itemID));
    RECT textArea = item.rcItem;
    textArea.left += 2;
    // "&" is drawn as itself, never as an accelerator mark.
    DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &textArea,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void TfrmCabMain::cmdAddClick() {
    FileDialogRequest request{FileDialogRequest::Kind::Open, "ALL FILES|*.*", "", openDialog2Name_,
                              OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING |
                                  OFN_EXPLORER};
    const FileDialogAnswer answer = ShowFileDialog(request);
    // A cancelled Add keeps the list and the response file as they were.
    if (!answer.confirmed) return;
    if (!answer.names.empty()) openDialog2Name_ = answer.names.front();
    SetFileList(answer.names);
    IgnoreSilently(WriteResponseFile(ResponseFilePath(ExeFolder()), answer.names));
}

void TfrmCabMain::cmdDelClick() {
    const auto current = FileListIsMultiSelect() ? SendMessageA(ListBox1, LB_GETCARETINDEX, 0, 0)
                                                 : SendMessageA(ListBox1, LB_GETCURSEL, 0, 0);
    if (current >= 0 && current < SendMessageA(ListBox1, LB_GETCOUNT, 0, 0)) {
        SendMessageA(ListBox1, LB_DELETESTRING, static_cast<WPARAM>(current), 0);
    }
    IgnoreSilently(WriteResponseFile(ResponseFilePath(ExeFolder()), FileList()));
}

void TfrmCabMain::cmdClearClick() {
    DeleteResponseFile(ResponseFilePath(ExeFolder()));
    SetFileList({});
}

void TfrmCabMain::cmdListSaveClick() {
    if (SendMessageA(ListBox1, LB_GETCOUNT, 0, 0) <= 0) {
        options_.steps->ShowMessageBox(window_, "リストが存在しません", "Tarvik32", MB_OK);
        return;
    }
    FileDialogRequest request{FileDialogRequest::Kind::Save, "SAV FILES|*.sav", "sav", saveDialog1Name_,
                              OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER};
    const FileDialogAnswer answer = ShowFileDialog(request);
    if (!answer.confirmed || answer.names.empty()) return;
    saveDialog1Name_ = answer.names.front();
    IgnoreSilently(SaveListFile(saveDialog1Name_, FileList()));
}

void TfrmCabMain::cmdListLoadClick() {
    openDialog1Name_.clear();
    FileDialogRequest request{FileDialogRequest::Kind::Open, "Save File|*.sav", "", openDialog1Name_,
                              OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER};
    const FileDialogAnswer answer = ShowFileDialog(request);
    if (!answer.confirmed || answer.names.empty()) return;
    openDialog1Name_ = answer.names.front();
    // The list is replaced only when a list file was actually read.
    if (const auto entries = LoadListFile(openDialog1Name_)) SetFileList(*entries);
}

void TfrmCabMain::Button1Click() {
    const bool compress = CurrentJobKind() == JobKind::Compress;
    std::string& lastName = compress ? saveDialog1Name_ : openDialog1Name_;
    FileDialogRequest request{compress ? FileDialogRequest::Kind::Save : FileDialogRequest::Kind::Open,
                              "CAB Files|*.cab", "cab", lastName,
                              static_cast<DWORD>((compress ? OFN_OVERWRITEPROMPT : 0) | OFN_HIDEREADONLY |
                                                 OFN_ENABLESIZING | OFN_EXPLORER)};
    const FileDialogAnswer answer = ShowFileDialog(request);
    // A cancelled browse leaves the archive field as it was.
    if (!answer.confirmed || answer.names.empty()) return;
    lastName = answer.names.front();
    if (!compress && GetFileAttributesA(lastName.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    SetTextIfChanged(edtCab, lastName);
}

void TfrmCabMain::edtCabChange() {
    const std::string path = WindowText(edtCab);
    if (path.empty()) {
        SetFileList({});
        return;
    }
    if (!ArchiverCheckArchive(path.c_str(), cab32::kCheckMode)) return;
    SetFileList({});
    // A cabinet's members are shown with multiple selection, an empty list
    // with single selection. The list box is re-made for the switch while it
    // is empty, so tens of thousands of members are never copied over.
    RecreateListBox1(true);
    // All at once: a cabinet may hold 65,535 members.
    AppendListBoxItems(ListBox1, ArchiveMembers(window_, path.c_str()));
    if (SendMessageA(ListBox1, LB_GETCOUNT, 0, 0) == 0) RecreateListBox1(false);
}

// However the chooser ended, the field takes the folder last confirmed in it.
void TfrmCabMain::cmdDirecClick() { SetWindowTextA(edtMelt, options_.steps->ShowFolderChooser().c_str()); }

void TfrmCabMain::CheckBox1Click() {
    IgnoreSilently(RefreshResponseFile(ResponseFilePath(ExeFolder()), FileList(),
                                       SendMessageA(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED));
}

}  // namespace tarvik
