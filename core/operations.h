// The five operations and the nine compression types a job can name: their
// items (the names the user chooses them by) and their command switches.
// Which controls of the window each operation uses is the window's own
// table (ui/main_window/operation_controls.h).
#pragma once

#include <optional>
#include <string_view>

namespace tarvik {

enum class JobKind { Compress, Extract, SelfExtract, List, Test };

struct JobKindInfo {
    JobKind kind;
    const char* item;             // the name the operation is chosen by
    const char* operationSwitch;  // its command switch
};

// In the order the operations are offered.
inline constexpr JobKindInfo kJobKinds[] = {
    {JobKind::Compress, "圧縮", "-a"},
    {JobKind::Extract, "解凍", "-x"},
    {JobKind::SelfExtract, "自己解凍書庫", "-f"},
    {JobKind::List, "内容一覧", "-l"},
    {JobKind::Test, "検査", "-t"},
};

// The row of an operation.
constexpr const JobKindInfo& JobKindInfoOf(JobKind kind) {
    for (const JobKindInfo& info : kJobKinds) {
        if (info.kind == kind) return info;
    }
    return kJobKinds[0];
}

struct CompressionTypeInfo {
    const char* item;               // the name the type is chosen by
    const char* compressionSwitch;  // its command switch
};

// In the order the types are offered.
inline constexpr CompressionTypeInfo kCompressionTypes[] = {
    {"LZX 15", "-ml15"}, {"LZX 16", "-ml16"}, {"LZX 17", "-ml17"}, {"LZX 18", "-ml18"},
    {"LZX 19", "-ml19"}, {"LZX 20", "-ml20"}, {"LZX 21", "-ml21"}, {"MSZIP", "-mz"},
    {"無圧縮", "-ms"},
};

// The job kind named by an operation switch (letter case ignored).
std::optional<JobKind> JobKindFromSwitch(std::string_view operationSwitch);
// The job kind named by an operation's item (letter case ignored).
std::optional<JobKind> JobKindFromItem(std::string_view item);
// The switch of a compression type's item (letter case ignored), or nothing
// for a text that is no item.
std::optional<std::string_view> CompressionSwitchOf(std::string_view item);

}  // namespace tarvik
