#include "job_command.h"

#include <windows.h>

#include "sjis_path.h"

namespace tarvik {

std::string ResponseFilePath(std::string_view programFolder) {
    return std::string(programFolder) + "\\Files.txt";
}

namespace {

// The compression command names the response file from the program's drive
// and folder with its trailing "\", so a program in a drive root gives
// "C:\Files.txt" where the extraction command has "C:\\Files.txt".
std::string CompressResponseFilePath(std::string_view programFolder) {
    std::string path(programFolder);
    if (!EndsWithSeparator(path)) path += '\\';
    return path + "Files.txt";
}

// The "@" token, naming the response file in the program's folder as built
// by `pathInFolder`.
std::string ResponseFileToken(const JobRequest& r, std::string (*pathInFolder)(std::string_view)) {
    const std::string shortForm = r.programFolderShort.empty() ? std::string() : pathInFolder(r.programFolderShort);
    return " @" + ResponseFileArgument(pathInFolder(r.programFolder), shortForm);
}

}  // namespace

std::string ResponseFileArgument(const std::string& path, const std::string& shortFormPath) {
    // The bare path is what libraries have always been given; it is kept
    // wherever it reads as one token.
    if (path.find(' ') == std::string::npos) return path;
    if (!shortFormPath.empty() && shortFormPath.find(' ') == std::string::npos) return shortFormPath;
    return QuoteIfSpaced(path);
}

std::string ShortPathName(const std::string& path) {
    char shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return shortPath;
}

std::string BuildJobCommand(const JobRequest& r) {
    const std::optional<JobKind> kind = JobKindFromSwitch(r.operationSwitch);
    if (!kind) return {};
    if ((*kind == JobKind::Compress) == r.archiveExists) return {};

    std::string command = r.operationSwitch;
    command += ' ';
    switch (*kind) {
    case JobKind::Compress:
        if (!r.compressionType.empty()) {
            command += r.compressionSwitch;
            command += ' ';
        }
        if (r.multiVolume) command += "-v:1400 ";
        command += QuoteIfSpaced(r.archivePath);
        command += ResponseFileToken(r, CompressResponseFilePath);
        break;
    case JobKind::Extract:
        if (r.noDirectoriesOnExtraction) command += "-j ";
        if (r.multiVolume) command += "-k ";
        command += QuoteIfSpaced(r.archivePath);
        command += ' ';
        command += QuoteIfSpaced(r.extractionFolder);
        if (r.selectiveExtraction) command += ResponseFileToken(r, ResponseFilePath);
        break;
    case JobKind::SelfExtract:
        // Quoted like the extraction folder: unquoted, a folder with a blank
        // would reach the library as two arguments.
        command += QuoteIfSpaced(r.archivePath);
        command += ' ';
        command += QuoteIfSpaced(r.extractionFolder);
        break;
    case JobKind::List:
    case JobKind::Test:
        command += QuoteIfSpaced(r.archivePath);
        break;
    }
    return command;
}

std::vector<std::string> CheckedMembers(const std::vector<CheckedEntry>& entries) {
    std::vector<std::string> members;
    for (const CheckedEntry& entry : entries) {
        if (entry.checked) members.push_back(entry.text);
    }
    return members;
}

}  // namespace tarvik
