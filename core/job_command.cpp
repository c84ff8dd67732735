#include "job_command.h"

#include "sjis_path.h"

namespace tarvik {

std::optional<JobKind> JobKindFromSwitch(std::string_view operationSwitch) {
    for (const JobKindInfo& info : kJobKinds) {
        if (SameTextIgnoringCase(operationSwitch, info.operationSwitch)) return info.kind;
    }
    return std::nullopt;
}

std::optional<JobKind> JobKindFromItem(std::string_view item) {
    for (const JobKindInfo& info : kJobKinds) {
        if (SameTextIgnoringCase(item, info.item)) return info.kind;
    }
    return std::nullopt;
}

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

}  // namespace

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
        command += " @";
        command += CompressResponseFilePath(r.programFolder);
        break;
    case JobKind::Extract:
        if (r.noDirectoriesOnExtraction) command += "-j ";
        if (r.multiVolume) command += "-k ";
        command += QuoteIfSpaced(r.archivePath);
        command += ' ';
        command += QuoteIfSpaced(r.extractionFolder);
        if (r.selectiveExtraction) {
            command += " @";
            command += ResponseFilePath(r.programFolder);
        }
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
