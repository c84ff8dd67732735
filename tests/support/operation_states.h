// What choosing each operation must leave in the main window, laid out as the
// program's documentation lays it out: one row a control, one column an
// operation, in the order of the operation box.
#pragma once

#include <cstddef>
#include <string_view>

namespace testing_support {

struct OperationColumn {
    const char* item;             // the item of the operation box
    const char* operationSwitch;  // what edtPara1 then shows
};

inline constexpr OperationColumn kOperationColumns[] = {
    {"圧縮", "-a"}, {"解凍", "-x"}, {"自己解凍書庫", "-f"}, {"内容一覧", "-l"}, {"検査", "-t"},
};
inline constexpr std::size_t kOperationCount = std::size(kOperationColumns);

struct ControlRow {
    const char* control;
    const char* states[kOperationCount];  // "visible" / "hidden", "enabled" / "disabled"
};

// ListBox1 stays visible and CheckListBox1 hidden in every column unless
// selective extraction shows the check list; edtMelt is emptied in every one.
inline constexpr ControlRow kControlRows[] = {
    //              Compress    Extract     SelfExtract List        Test
    {"Panel1",    {"visible",  "hidden",   "hidden",   "hidden",   "hidden"}},
    {"cobType",   {"enabled",  "disabled", "disabled", "disabled", "disabled"}},
    {"edtMelt",   {"disabled", "enabled",  "enabled",  "disabled", "disabled"}},
    {"cmdDirec",  {"disabled", "enabled",  "enabled",  "disabled", "disabled"}},
    {"CheckBox1", {"enabled",  "disabled", "disabled", "disabled", "disabled"}},
    {"CheckBox2", {"disabled", "enabled",  "disabled", "disabled", "disabled"}},
    {"CheckBox3", {"disabled", "enabled",  "disabled", "disabled", "disabled"}},
    {"CheckBox4", {"enabled",  "enabled",  "disabled", "disabled", "disabled"}},
};

// True for "visible" and "enabled".
inline bool StateIsOn(std::string_view state) { return state == "visible" || state == "enabled"; }

}  // namespace testing_support
