#include "commands.h"

#include "extract_job.h"
#include "cabinet_job.h"
#include "compression_defaults.h"
#include "list_file.h"
#include "listing.h"
#include "member_path.h"
#include "result_codes.h"
#include "self_extractor.h"
#include "source_files.h"
#include "sjis_path.h"

namespace cab32 {

namespace {

std::string CurrentFolder() {
    char buffer[MAX_PATH * 2];
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length == 0 || length >= sizeof buffer ? std::string(".") : std::string(buffer, length);
}

// The names of the command's list files followed by those on the line.
int CollectNames(const CabCommand& command, std::vector<std::string>& names, OutputText& output) {
    for (const std::string& listFile : command.listFiles) {
        auto listed = ReadListFile(listFile);
        if (!listed) {
            output.Line("リストファイルを読めません: " + listFile);
            return kListFileUnreadable;
        }
        names.insert(names.end(), listed->begin(), listed->end());
    }
    names.insert(names.end(), command.names.begin(), command.names.end());
    return kOk;
}

void SetCompression(const CabCommand& command, WriteRequest& request, OutputText& output) {
    request.compression = command.compression.value_or(Compression::Mszip);
    switch (request.compression) {
        case Compression::None: output.Line("圧縮方法: 無圧縮"); break;
        case Compression::Lzx:
            output.Line("圧縮方法: LZX (レベル " + std::to_string(command.lzxLevel) + ")");
            request.lzxWindowBits = command.lzxLevel;
            break;
        default:
            output.Line("圧縮方法: MSZIP");
            request.compression = Compression::Mszip;
            break;
    }
}

int RunAdd(CabCommand& command, Progress& progress, OutputText& output) {
    WriteRequest request;
    request.cabinetPath = FullAnsiPath(command.archive);
    request.volumeBytes = command.volumeKb * 1024ul;
    const std::string firstCabinet = command.volumeKb ? VolumeFileName(request.cabinetPath, 1) : request.cabinetPath;
    if (FileExists(firstCabinet)) {
        output.Line("書庫が既に存在します: " + firstCabinet);
        return kArchiveExists;
    }
    std::vector<std::string> names;
    if (int result = CollectNames(command, names, output); result != kOk) return result;
    if (int result = CollectSources(names, request.files, output); result != kOk) return result;
    if (request.files.empty()) {
        output.Line("圧縮するファイルが指定されていません。");
        return kNoFiles;
    }
    ApplyCompressionDefaults(command);
    SetCompression(command, request, output);
    const int result = WriteCabinet(request, progress, output);
    if (result == kOk) output.Line(std::to_string(request.files.size()) + " 個のファイルを圧縮しました。");
    return result;
}

int RunRead(const CabCommand& command, bool testOnly, Progress& progress, OutputText& output) {
    ReadRequest request;
    request.cabinetPath = FullAnsiPath(command.archive);
    request.testOnly = testOnly;
    request.folder = command.folder.empty() ? CurrentFolder() : FullAnsiPath(command.folder);
    request.dropFolders = command.dropFolders;
    request.followVolumes = command.followVolumes || testOnly;  // a test covers the whole set
    if (!FileExists(request.cabinetPath)) {
        output.Line("書庫が見つかりません: " + request.cabinetPath);
        return kArchiveNotFound;
    }
    if (int result = CollectNames(command, request.wanted, output); result != kOk) return result;
    if (request.wanted.empty() && !command.listFiles.empty()) {
        output.Line("解凍するファイルが指定されていません。");
        return kNoFiles;
    }
    if (!testOnly) output.Line("解凍先: " + request.folder);
    const int result = ReadCabinet(request, progress, output);
    if (testOnly) output.Line(result == kOk ? "書庫は正常です。" : "書庫に異常があります。");
    else if (result == kOk) output.Line("解凍を終了しました。");
    return result;
}

int RunList(const CabCommand& command, OutputText& output) {
    const std::string path = FullAnsiPath(command.archive);
    const FileCabSource source(path, 0);
    CabDirectory directory;
    // A folder that cannot be decoded can still be listed.
    if (int result = OpenCabinet(source, path, DirectoryCheck::AllowUnknownFolders, directory, output);
        result != kOk) {
        return result;
    }
    WriteListing(path, directory, output);
    return kOk;
}

// The folder of -f. Tarvik32 quotes a folder with blanks, as it does the
// folder of -x; a caller that passes it unquoted sends several tokens, which
// are joined again.
std::string SelfExtractFolder(const CabCommand& command) {
    std::string folder = command.folder;
    for (const std::string& part : command.names) folder += " " + part;
    return folder;
}

}  // namespace

int RunCommand(CabCommand command, HMODULE module, Progress& progress, OutputText& output) {
    switch (command.operation) {
        case Operation::Add: return RunAdd(command, progress, output);
        case Operation::Extract: return RunRead(command, false, progress, output);
        case Operation::Test: return RunRead(command, true, progress, output);
        case Operation::List: return RunList(command, output);
        case Operation::SelfExtract: {
            const std::string folder = SelfExtractFolder(command);
            return MakeSelfExtractor(module, FullAnsiPath(command.archive), folder.empty() ? folder : FullAnsiPath(folder),
                                     output);
        }
        case Operation::None: break;
    }
    output.Line("命令が指定されていません。");
    return kBadCommand;
}

}  // namespace cab32
