// The operation and compression boxes, and the controls each operation uses
// (the table in operation_controls.h).
#include <optional>
#include <string>

#include "main_layout.h"
#include "main_window.h"
#include "sjis_path.h"
#include "window_text.h"

namespace tarvik {

namespace {

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

std::optional<JobKind> TfrmCabMain::CurrentJobKind() const { return JobKindFromSwitch(WindowText(edtPara1)); }

void TfrmCabMain::cobTypeChange() {
    // The box is a drop-down list, so its text is one of the table's items.
    if (const std::optional<std::string_view> compressionSwitch = CompressionSwitchOf(WindowText(cobType))) {
        SetWindowTextA(edtType, std::string(*compressionSwitch).c_str());
    }
}

void TfrmCabMain::ApplyOperationControls(const OperationControls& controls) {
    ShowWindow(Panel1, controls.panel1Visible ? SW_SHOW : SW_HIDE);
    EnableWindow(cobType, controls.cobTypeEnabled);
    EnableWindow(edtMelt, controls.edtMeltEnabled);
    EnableWindow(cmdDirec, controls.cmdDirecEnabled);
    EnableWindow(CheckBox1, controls.checkBox1Enabled);
    EnableWindow(CheckBox2, controls.checkBox2Enabled);
    EnableWindow(CheckBox3, controls.checkBox3Enabled);
    EnableWindow(CheckBox4, controls.checkBox4Enabled);
}

void TfrmCabMain::cobPara1Change() {
    SetWindowTextA(edtMelt, "");
    ShowWindow(CheckListBox1, SW_HIDE);
    ShowWindow(ListBox1, SW_SHOW);
    const std::optional<JobKind> kind = JobKindFromItem(WindowText(cobPara1));
    if (!kind) {
        // No operation chosen (the box offers none such): the folder field is
        // offered, the check boxes are not, Panel1 and cobType stay as they are.
        EnableWindow(edtMelt, TRUE);
        EnableWindow(cmdDirec, TRUE);
        for (HWND checkBox : {CheckBox1, CheckBox2, CheckBox3, CheckBox4}) EnableWindow(checkBox, FALSE);
    } else {
        ApplyOperationControls(OperationControlsFor(*kind));
        SetWindowTextA(edtPara1, JobKindInfoOf(*kind).operationSwitch);
    }
    // Compress only creates new archives: an existing path is dropped.
    if (kind == JobKind::Compress && PathExists(WindowText(edtCab))) SetWindowTextA(edtCab, "");
    if (kind == JobKind::Extract) CheckBox3Click();
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
