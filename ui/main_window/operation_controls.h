// Which of the main window's controls each operation enables or shows. Every
// change of operation also empties edtMelt, hides CheckListBox1 and shows
// ListBox1 (Extract may then show CheckListBox1 in its place); no other
// control is touched.
#pragma once

#include <iterator>

#include "operations.h"

namespace tarvik {

struct OperationControls {
    bool panel1Visible;    // the file list buttons
    bool cobTypeEnabled;   // the compression type
    bool edtMeltEnabled;   // the extraction folder
    bool cmdDirecEnabled;  // its browse button
    bool checkBox1Enabled;  // no folders when compressing
    bool checkBox2Enabled;  // no folders when extracting
    bool checkBox3Enabled;  // choose the members to extract
    bool checkBox4Enabled;  // multi-volume
};

inline constexpr bool kOn = true;
inline constexpr bool kOff = false;

struct OperationControlsRow {
    JobKind kind;
    OperationControls controls;
};

// In the order of kJobKinds (the operation box's items).
inline constexpr OperationControlsRow kOperationControls[] = {
    //                       Panel1 cobType edtMelt cmdDirec CheckBox1 CheckBox2 CheckBox3 CheckBox4
    {JobKind::Compress,     {kOn,  kOn,    kOff,   kOff,    kOn,      kOff,     kOff,     kOn}},
    {JobKind::Extract,      {kOff, kOff,   kOn,    kOn,     kOff,     kOn,      kOn,      kOn}},
    {JobKind::SelfExtract,  {kOff, kOff,   kOn,    kOn,     kOff,     kOff,     kOff,     kOff}},
    {JobKind::List,         {kOff, kOff,   kOff,   kOff,    kOff,     kOff,     kOff,     kOff}},
    {JobKind::Test,         {kOff, kOff,   kOff,   kOff,    kOff,     kOff,     kOff,     kOff}},
};

// True when the table has one row for each operation, in kJobKinds' order.
constexpr bool CoversEveryOperationInOrder() {
    if (std::size(kOperationControls) != std::size(kJobKinds)) return false;
    for (std::size_t i = 0; i < std::size(kJobKinds); ++i) {
        if (kOperationControls[i].kind != kJobKinds[i].kind) return false;
    }
    return true;
}
static_assert(CoversEveryOperationInOrder(), "one row of controls for each operation, in kJobKinds' order");

// What choosing the operation leaves enabled and visible.
constexpr const OperationControls& OperationControlsFor(JobKind kind) {
    for (const OperationControlsRow& row : kOperationControls) {
        if (row.kind == kind) return row.controls;
    }
    return kOperationControls[0].controls;
}

}  // namespace tarvik
