// The command string of one archive job, built from what the main window holds
// when the job starts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

enum class JobKind { Compress, Extract, SelfExtract, List, Test };

struct JobKindInfo {
    JobKind kind;
    const char* item;            // item text of the operation box
    const char* operationSwitch;
};

// In the item order of the operation box.
inline constexpr JobKindInfo kJobKinds[] = {
    {JobKind::Compress, "圧縮", "-a"},
    {JobKind::Extract, "解凍", "-x"},
    {JobKind::SelfExtract, "自己解凍書庫", "-f"},
    {JobKind::List, "内容一覧", "-l"},
    {JobKind::Test, "検査", "-t"},
};

struct CompressionTypeInfo {
    const char* item;               // item text of the compression box
    const char* compressionSwitch;
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

// One entry of the member check list.
struct CheckedEntry {
    std::string text;
    bool checked = false;
};

struct JobRequest {
    std::string operationSwitch;    // "-a", "-x", "-f", "-l", "-t"
    std::string compressionType;    // selected compression item; empty when none
    std::string compressionSwitch;  // "-ml15".."-ml21", "-mz", "-ms"
    std::string archivePath;
    std::string extractionFolder;
    bool noDirectoriesOnExtraction = false;
    bool multiVolume = false;
    bool selectiveExtraction = false;
    std::vector<CheckedEntry> members;
    bool archiveExists = false;
    std::string programFolder;      // ExeFolder(): holds the response file
    std::string programFolderShort; // its short (8.3) form; empty when it has none
};

// The response file "Files.txt" in the program's folder, as named by the
// extraction command (ExeFolder followed by "\Files.txt").
std::string ResponseFilePath(std::string_view programFolder);

// The command string of the job, or empty text when the request names no job.
std::string BuildJobCommand(const JobRequest& request);

// The response-file path as a command names it after "@": unchanged without
// a blank; with one, the same path in the short form of the program's folder
// when that form has no blank, otherwise in double quotes.
std::string ResponseFileArgument(const std::string& path, const std::string& shortFormPath);

// The short (8.3) form of an existing path, as the file system gives it;
// empty when it gives none.
std::string ShortPathName(const std::string& path);

// The texts of the checked entries, in list order: the member list of a
// selective extraction.
std::vector<std::string> CheckedMembers(const std::vector<CheckedEntry>& entries);

}  // namespace tarvik
