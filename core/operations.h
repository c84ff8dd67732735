// The five operations and the nine compression types the main window offers:
// their items, their command switches, and which of the main window's
// controls each operation uses. Nothing here touches a window; the main
// window applies these tables.
#pragma once

#include <optional>
#include <string_view>

namespace tarvik {

enum class JobKind { Compress, Extract, SelfExtract, List, Test };

// The controls of the main window that an operation enables or shows. Every
// change of operation also empties edtMelt, hides CheckListBox1 and shows
// ListBox1 (Extract may then show CheckListBox1 in its place); no other
// control is touched.
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

struct JobKindInfo {
    JobKind kind;
    const char* item;             // item text of the operation box
    const char* operationSwitch;  // shown in edtPara1
    OperationControls controls;
};

// In the item order of the operation box.
inline constexpr JobKindInfo kJobKinds[] = {
    //                                            Panel1 cobType edtMelt cmdDirec CheckBox1 CheckBox2 CheckBox3 CheckBox4
    {JobKind::Compress, "圧縮", "-a",             {kOn,  kOn,    kOff,   kOff,    kOn,      kOff,     kOff,     kOn}},
    {JobKind::Extract, "解凍", "-x",              {kOff, kOff,   kOn,    kOn,     kOff,     kOn,      kOn,      kOn}},
    {JobKind::SelfExtract, "自己解凍書庫", "-f",  {kOff, kOff,   kOn,    kOn,     kOff,     kOff,     kOff,     kOff}},
    {JobKind::List, "内容一覧", "-l",             {kOff, kOff,   kOff,   kOff,    kOff,     kOff,     kOff,     kOff}},
    {JobKind::Test, "検査", "-t",                 {kOff, kOff,   kOff,   kOff,    kOff,     kOff,     kOff,     kOff}},
};

// The row of an operation.
constexpr const JobKindInfo& JobKindInfoOf(JobKind kind) {
    for (const JobKindInfo& info : kJobKinds) {
        if (info.kind == kind) return info;
    }
    return kJobKinds[0];
}

// What choosing the operation leaves enabled and visible.
constexpr const OperationControls& OperationControlsFor(JobKind kind) { return JobKindInfoOf(kind).controls; }

struct CompressionTypeInfo {
    const char* item;               // item text of the compression box
    const char* compressionSwitch;  // shown in edtType
};

// In the item order of the compression box.
inline constexpr CompressionTypeInfo kCompressionTypes[] = {
    {"LZX 15", "-ml15"}, {"LZX 16", "-ml16"}, {"LZX 17", "-ml17"}, {"LZX 18", "-ml18"},
    {"LZX 19", "-ml19"}, {"LZX 20", "-ml20"}, {"LZX 21", "-ml21"}, {"MSZIP", "-mz"},
    {"無圧縮", "-ms"},
};

// The job kind named by an operation switch (letter case ignored).
std::optional<JobKind> JobKindFromSwitch(std::string_view operationSwitch);
// The job kind named by an item of the operation box (letter case ignored).
std::optional<JobKind> JobKindFromItem(std::string_view item);
// The switch of an item of the compression box (letter case ignored), or
// nothing for a text that is no item.
std::optional<std::string_view> CompressionSwitchOf(std::string_view item);

}  // namespace tarvik
