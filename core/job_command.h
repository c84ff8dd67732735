// The command string of one archive job, built from the choices the user
// made for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations.h"

namespace tarvik {

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
