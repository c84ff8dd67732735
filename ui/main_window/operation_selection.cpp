// The operation and compression boxes, and the controls each operation uses.
#include <optional>

#include "main_layout.h"
#include "main_window.h"
#include "sjis_path.h"
#include "window_text.h"

namespace tarvik {

namespace {

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

void TfrmCabMain::cobTypeChange() {
    const std::string type = WindowText(cobType);
    if (SameTextIgnoringCase(type, "MSZIP")) {
        SetWindowTextA(edtType, "-mz");
    } else if (SameTextIgnoringCase(type, "無圧縮")) {
        SetWindowTextA(edtType, "-ms");
    } else {
        // The level digits of "LZX 15" to "LZX 21", as far as they exist.
        SetWindowTextA(edtType, ("-ml" + (type.size() > 4 ? type.substr(4, 2) : std::string())).c_str());
    }
}

void TfrmCabMain::cobPara1Change() {
    // Reset, every time and in this order.
    EnableWindow(cmdDirec, TRUE);
    EnableWindow(edtMelt, TRUE);
    EnableWindow(CheckBox1, FALSE);
    EnableWindow(CheckBox2, FALSE);
    EnableWindow(CheckBox3, FALSE);
    SetWindowTextA(edtMelt, "");
    ShowWindow(CheckListBox1, SW_HIDE);
    ShowWindow(ListBox1, SW_SHOW);
    EnableWindow(CheckBox4, FALSE);

    const std::optional<JobKind> kind = JobKindFromItem(WindowText(cobPara1));
    if (kind == JobKind::Compress) {
        ShowWindow(Panel1, SW_SHOW);
        EnableWindow(cmdDirec, FALSE);
        EnableWindow(edtMelt, FALSE);
        EnableWindow(cobType, TRUE);
        EnableWindow(CheckBox1, TRUE);
        EnableWindow(CheckBox4, TRUE);
        SetWindowTextA(edtPara1, "-a");
        // Compress only creates new archives: an existing path is dropped.
        if (PathExists(WindowText(edtCab))) SetWindowTextA(edtCab, "");
    } else if (kind == JobKind::Extract) {
        ShowWindow(Panel1, SW_HIDE);
        EnableWindow(CheckBox3, TRUE);
        EnableWindow(CheckBox2, TRUE);
        EnableWindow(cobType, FALSE);
        EnableWindow(CheckBox4, TRUE);
        SetWindowTextA(edtPara1, "-x");
        CheckBox3Click();
    } else if (kind == JobKind::SelfExtract) {
        ShowWindow(Panel1, SW_HIDE);
        EnableWindow(cobType, FALSE);
        SetWindowTextA(edtPara1, "-f");
    } else if (kind == JobKind::Test) {
        ShowWindow(Panel1, SW_HIDE);
        EnableWindow(cobType, FALSE);
        EnableWindow(cmdDirec, FALSE);
        EnableWindow(edtMelt, FALSE);
        SetWindowTextA(edtPara1, "-t");
    } else if (kind == JobKind::List) {
        ShowWindow(Panel1, SW_HIDE);
        EnableWindow(cmdDirec, FALSE);
        EnableWindow(edtMelt, FALSE);
        EnableWindow(cobType, FALSE);
        SetWindowTextA(edtPara1, "-l");
    }
    edtCabChange();
}

void TfrmCabMain::CheckBox3Click() {
    if (SendMessageA(ListBox1, LB_GETCOUNT, 0, 0) <= 0) {
        // Nothing listed: selective extraction cannot be switched on.
        SetCheckBox(CheckBox3, false);
        return;
    }
    if (SendMessageA(CheckBox3, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        checkList_.SetEntries(FileList());
        ShowWindow(ListBox1, SW_HIDE);
        ShowWindow(CheckListBox1, SW_SHOW);
    } else {
        ShowWindow(ListBox1, SW_SHOW);
        ShowWindow(CheckListBox1, SW_HIDE);
    }
}

}  // namespace tarvik
