#include "cab_reader.h"

#include <fcntl.h>
#include <fdi.h>

#include <memory>

#include "cab_io.h"
#include "member_path.h"
#include "result_codes.h"
#include "sjis_path.h"

namespace cab32 {

namespace {

// A member written to a temporary file, waiting until FDI has moved on
// (FDI reports a file closed even when its data turned out bad).
struct PendingFile {
    std::string tempPath;
    std::string finalPath;
    std::string name;
    std::uint16_t attributes = 0;
    std::uint32_t expectedSize = 0;
    INT_PTR handle = 0;  // 0 once closed; FDI may also close it on its own
    bool sizeOk = false;
    DWORD writeError = 0;  // a write that failed (disk full, ...)
    bool active = false;
};

struct ReadContext {
    const ReadRequest* request = nullptr;
    Progress* progress = nullptr;
    OutputText* output = nullptr;
    const CabDirectory* directory = nullptr;
    std::size_t nextMember = 0;  // position in the directory's file table
    bool continuingSet = false;  // this cabinet follows one already read
    PendingFile pending;
    std::vector<bool> wantedFound;
    std::string missingVolume;
    std::string unsafeVolume;  // a next-volume name that leaves the folder
    int result = kOk;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    std::uint64_t written = 0;  // bytes of the current member so far
    unsigned count = 0;
};

void Fail(ReadContext& context, int result) {
    if (context.result == kOk) context.result = result;
}

std::string FromUtf8(const std::string& text) {
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return text;
    std::wstring buffer(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), buffer.data(), wide);
    const int narrow = WideCharToMultiByte(CP_ACP, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(narrow > 0 ? narrow : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, buffer.data(), wide, result.data(), narrow, nullptr, nullptr);
    return result;
}

// The directory entry FDI is talking about: FDI walks the file table in order.
const CabMember* TakeMember(ReadContext& context, const char* storedName) {
    const auto& members = context.directory->members;
    for (std::size_t i = context.nextMember; i < members.size(); ++i) {
        if (members[i].name == storedName) {
            context.nextMember = i + 1;
            return &members[i];
        }
    }
    return nullptr;
}

bool IsWanted(ReadContext& context, const std::string& name) {
    const auto& wanted = context.request->wanted;
    if (wanted.empty()) return true;
    bool found = false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (tarvik::SameTextIgnoringCase(WithBackslashes(wanted[i]), WithBackslashes(name))) {
            context.wantedFound[i] = true;
            found = true;
        }
    }
    return found;
}

// Why a write failed, in words.
std::string DescribeWriteError(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return "ディスクの空きが足りません";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return "書き込みが拒否されました";
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY: return "フォルダを作れません";
        default: return "エラー " + std::to_string(error);
    }
}

void ReportWriteFailure(ReadContext& context, const std::string& path, DWORD error) {
    context.output->Line("書き込めませんでした: " + path + " (" + DescribeWriteError(error) + ")");
    Fail(context, kWriteFailed);
}

// Drops the member being written: its handle (unless FDI or the close
// notification closed it already; a second close finds nothing) and its
// temporary file, so nothing of it stays on disk.
void DiscardPending(ReadContext& context) {
    PendingFile& pending = context.pending;
    if (!pending.active) return;
    if (pending.handle) io::CloseFile(pending.handle);
    if (!pending.tempPath.empty()) DeleteFileA(pending.tempPath.c_str());
    pending = {};
}

// The member before this one came out whole: give it its real name.
void FinishPending(ReadContext& context) {
    PendingFile& pending = context.pending;
    if (!pending.active) return;
    const bool whole = pending.handle == 0 && pending.sizeOk;
    if (whole && context.request->testOnly) {
        context.output->Line("正常: " + pending.name);
        ++context.count;
        pending = {};
        return;
    }
    if (pending.writeError != 0) {
        ReportWriteFailure(context, pending.finalPath, pending.writeError);
        DiscardPending(context);
        return;
    }
    if (!whole) {
        context.output->Line("データが壊れています: " + pending.name);
        Fail(context, kDataError);
        DiscardPending(context);
        return;
    }
    if (!MoveFileExA(pending.tempPath.c_str(), pending.finalPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ReportWriteFailure(context, pending.finalPath, GetLastError());
        DiscardPending(context);
        return;
    }
    SetFileAttributesA(pending.finalPath.c_str(), pending.attributes ? pending.attributes : FILE_ATTRIBUTE_NORMAL);
    context.output->Line("解凍: " + pending.name);
    ++context.count;
    pending = {};
}

// Opens the temporary file that receives a member; 0 skips the member (a
// member that cannot be written fails alone, the others go on).
INT_PTR StartMemberFile(ReadContext& context, const std::string& name, const FDINOTIFICATION& note) {
    const ReadRequest& request = *context.request;
    PendingFile& pending = context.pending;
    pending = {};
    pending.name = name;
    pending.attributes = static_cast<std::uint16_t>(note.attribs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    pending.expectedSize = static_cast<std::uint32_t>(note.cb);
    if (request.testOnly) {
        pending.handle = io::OpenSink();
        pending.active = true;
        return pending.handle;
    }
    const std::string relative = request.dropFolders ? std::string(tarvik::FileNamePart(name)) : name;
    pending.finalPath = JoinPath(request.folder, relative);
    char temp[MAX_PATH];
    const std::string folder = tarvik::FolderOfPath(pending.finalPath);
    if (!CreateFoldersFor(pending.finalPath) ||
        !GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "c32", 0, temp)) {
        ReportWriteFailure(context, pending.finalPath, GetLastError());
        pending = {};
        return 0;
    }
    pending.tempPath = temp;
    pending.handle = io::OpenPath(temp, _O_WRONLY | _O_CREAT | _O_TRUNC, false);
    if (pending.handle == -1) {
        ReportWriteFailure(context, pending.finalPath, GetLastError());
        DeleteFileA(temp);
        pending = {};
        return 0;
    }
    pending.active = true;
    return pending.handle;
}

bool InDecodableFolder(const CabDirectory& directory, const CabMember& member) {
    const std::size_t folder = ContinuesFromPrevious(member) ? 0
                               : ContinuesToNext(member)    ? directory.folders.size() - 1
                                                            : member.folderIndex;
    return folder >= directory.folders.size() || IsDecodableCompression(directory.folders[folder].compression);
}

INT_PTR OnCopyFile(ReadContext& context, FDINOTIFICATION& note) {
    FinishPending(context);
    const CabMember* member = TakeMember(context, note.psz1);
    std::string name = (note.attribs & kNameIsUtf8) ? FromUtf8(note.psz1) : std::string(note.psz1);
    name = WithBackslashes(name);
    if (!IsWanted(context, name)) return 0;
    if (member && !InDecodableFolder(*context.directory, *member)) {
        context.output->Line("対応していない圧縮形式のため取り出せません: " + name);
        Fail(context, kDataError);
        return 0;
    }
    if (member && ContinuesToNext(*member) && !context.request->followVolumes && !context.request->testOnly) {
        context.output->Line("次のボリュームに続くため解凍しません: " + name);
        Fail(context, kMemberSkipped);
        return 0;
    }
    if (!IsSafeMemberName(name)) {
        // A test still checks the member's data; only writing it is refused.
        context.output->Line(context.request->testOnly ? "展開先の外を指す名前です: " + name
                                                       : "展開先の外を指す名前のため拒否しました: " + name);
        Fail(context, kUnsafeName);
        if (!context.request->testOnly) return 0;
    }
    context.progress->Update(name, context.done, context.total);
    return StartMemberFile(context, name, note);
}

INT_PTR OnCloseFile(ReadContext& context, FDINOTIFICATION& note) {
    PendingFile& pending = context.pending;
    if (!pending.active || note.hf != pending.handle) {
        io::CloseFile(note.hf);
        return TRUE;
    }
    io::OpenFile* file = io::FromHandle(pending.handle);
    pending.sizeOk = file && file->written == pending.expectedSize;
    pending.writeError = file ? file->writeError : 0;
    context.done += pending.expectedSize;
    context.written = 0;
    if (file && !file->sink) {
        FILETIME local{};
        FILETIME utc{};
        if (DosDateTimeToFileTime(note.date, note.time, &local) && LocalFileTimeToFileTime(&local, &utc)) {
            SetFileTime(file->file.get(), nullptr, nullptr, &utc);
        }
    }
    io::CloseFile(pending.handle);
    pending.handle = 0;
    context.progress->Update(pending.name, context.done, context.total);
    return TRUE;
}

INT_PTR OnNextCabinet(ReadContext& context, FDINOTIFICATION& note) {
    const std::string name = note.psz1 ? note.psz1 : "";
    if (!IsBareFileName(name)) {
        context.unsafeVolume = name;
        return -1;
    }
    const std::string path = JoinPath(note.psz3 ? note.psz3 : "", name);
    if (note.fdie != FDIERROR_NONE || !FileExists(path)) {
        context.missingVolume = path;
        return -1;
    }
    return 0;
}

FNFDINOTIFY(Notify) {
    ReadContext& context = *static_cast<ReadContext*>(pfdin->pv);
    switch (fdint) {
        case fdintCOPY_FILE: return OnCopyFile(context, *pfdin);
        case fdintCLOSE_FILE_INFO: return OnCloseFile(context, *pfdin);
        case fdintNEXT_CABINET: return OnNextCabinet(context, *pfdin);
        case fdintPARTIAL_FILE:
            FinishPending(context);
            TakeMember(context, pfdin->psz1);
            if (!context.continuingSet) {
                context.output->Line("前のボリュームから続くため解凍しません: " + std::string(pfdin->psz1));
                Fail(context, kMemberSkipped);
            }
            return 0;
        default: return 0;
    }
}

// Moves the bar while a large member is being written.
void OnMemberBytes(void* pv, unsigned bytes) {
    ReadContext& context = *static_cast<ReadContext*>(pv);
    context.written += bytes;
    context.progress->Update(context.pending.name, context.done + context.written, context.total);
}

struct FdiDestroyer {
    void operator()(void* fdi) const { FDIDestroy(fdi); }
};
using FdiHandle = std::unique_ptr<void, FdiDestroyer>;

int ResultForFdiError(const ERF& erf) {
    switch (erf.erfOper) {
        case FDIERROR_CABINET_NOT_FOUND: return kArchiveNotFound;
        case FDIERROR_NOT_A_CABINET:
        case FDIERROR_UNKNOWN_CABINET_VERSION:
        case FDIERROR_RESERVE_MISMATCH:
        case FDIERROR_WRONG_CABINET: return kNotCabinet;
        case FDIERROR_CORRUPT_CABINET:
        case FDIERROR_BAD_COMPR_TYPE:
        case FDIERROR_MDI_FAIL: return kDataError;
        case FDIERROR_TARGET_FILE: return kWriteFailed;
        default: return kInternal;
    }
}

void ReportUnsafeVolume(const std::string& name, OutputText& output) {
    output.Line("次のボリューム名が書庫のフォルダの外を指すため読みません: " + name);
}

// Runs FDI over one cabinet of the set.
int CopyOneCabinet(ReadContext& context, const std::string& path) {
    ERF erf{};
    FdiHandle fdi(FDICreate(io::Alloc, io::Free, io::FdiOpen, io::FdiRead, io::FdiWrite, io::FdiClose, io::FdiSeek,
                            cpuUNKNOWN, &erf));
    if (!fdi) return kInternal;
    const std::size_t sep = tarvik::LastPathSeparator(path);
    std::string folder = sep == tarvik::npos ? std::string() : path.substr(0, sep + 1);
    std::string name = path.substr(sep == tarvik::npos ? 0 : sep + 1);
    const BOOL copied = FDICopy(fdi.get(), name.data(), folder.data(), 0, Notify, nullptr, &context);
    if (copied) {
        FinishPending(context);
        return kOk;
    }
    if (context.pending.active) context.output->Line("取り出せませんでした: " + context.pending.name);
    DiscardPending(context);
    if (!context.unsafeVolume.empty()) {
        ReportUnsafeVolume(context.unsafeVolume, *context.output);
        return kUnsafeName;
    }
    if (!context.missingVolume.empty()) {
        context.output->Line("続きのボリュームが見つかりません: " + context.missingVolume);
        return kArchiveNotFound;
    }
    if (context.result != kOk) return context.result;  // reported where it happened
    const int result = ResultForFdiError(erf);
    context.output->Line(result == kDataError ? "データが壊れています: " + path : "書庫を読めません: " + path);
    return result;
}

std::uint64_t MemberBytes(const CabDirectory& directory) {
    std::uint64_t total = 0;
    for (const CabMember& member : directory.members) total += member.size;
    return total;
}

}  // namespace

FileCabSource::FileCabSource(const std::string& path, std::int64_t base) : file_(OpenForReading(path)), base_(base) {}

std::int64_t FileCabSource::Size() const {
    const std::int64_t size = file_ ? FileSizeOf(file_.get()) : -1;
    return size < base_ ? -1 : size - base_;
}

bool FileCabSource::Read(std::int64_t offset, void* buffer, std::uint32_t count) const {
    return file_ && ReadAt(file_.get(), base_ + offset, buffer, count);
}

bool CreateFoldersFor(const std::string& path) {
    const std::size_t sep = tarvik::LastPathSeparator(path);
    if (sep == tarvik::npos || sep == 0) return true;
    const std::string folder = path.substr(0, sep);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!CreateFoldersFor(folder)) return false;
    return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string DescribeFault(CabFault fault) {
    switch (fault) {
        case CabFault::None: return "正常";
        case CabFault::Unreadable: return "ファイルを読めません";
        case CabFault::NotCabinet: return "CAB 書庫ではありません";
        case CabFault::Truncated: return "書庫が途中で切れています";
        case CabFault::BadTables: return "書庫の管理情報が壊れています";
        case CabFault::BadChecksum: return "チェックサムが一致しません";
        case CabFault::UnknownCompression: return "対応していない圧縮形式です";
    }
    return "不明なエラー";
}

std::string MemberNameAsAnsi(const CabMember& member) {
    return WithBackslashes((member.attributes & kNameIsUtf8) ? FromUtf8(member.name) : member.name);
}

// Checks one cabinet's tables (and for a test its checksums) before FDI runs.
static int CheckBeforeCopy(const std::string& path, std::int64_t base, bool checksums, CabDirectory& directory,
                    OutputText& output) {
    FileCabSource source(path, base);
    if (!source.IsOpen()) {
        output.Line("書庫が見つかりません: " + path);
        return kArchiveNotFound;
    }
    CabFault fault = ReadCabDirectory(source, directory, true);
    // Members of a folder that cannot be decoded are refused one by one; the
    // other folders are still read.
    if (fault == CabFault::UnknownCompression) fault = CabFault::None;
    if (fault == CabFault::None && checksums) fault = VerifyDataChecksums(source, directory);
    if (fault == CabFault::None) return kOk;
    output.Line(DescribeFault(fault) + ": " + path);
    return fault == CabFault::BadChecksum ? kDataError : kNotCabinet;
}

int ReadCabinet(const ReadRequest& request, Progress& progress, OutputText& output) {
    ReadContext context;
    context.request = &request;
    context.progress = &progress;
    context.output = &output;
    context.wantedFound.assign(request.wanted.size(), false);
    if (request.base != 0) io::SetEmbeddedCabinet(request.cabinetPath, request.base);
    io::SetWriteObserver(OnMemberBytes, &context);
    std::string path = request.cabinetPath;
    int result = kOk;
    for (int volume = 0; volume < 1000 && result == kOk; ++volume) {
        CabDirectory directory;
        result = CheckBeforeCopy(path, request.base, request.testOnly, directory, output);
        if (result != kOk) break;
        context.directory = &directory;
        context.nextMember = 0;
        context.total = context.done + MemberBytes(directory);
        result = CopyOneCabinet(context, path);
        if (!request.followVolumes || directory.nextCabinet.empty()) break;
        if (!IsBareFileName(directory.nextCabinet)) {
            ReportUnsafeVolume(directory.nextCabinet, output);
            result = kUnsafeName;
            break;
        }
        path = JoinPath(tarvik::FolderOfPath(path), directory.nextCabinet);
        context.continuingSet = true;
    }
    io::SetEmbeddedCabinet({}, 0);
    io::SetWriteObserver(nullptr, nullptr);
    if (result == kOk) result = context.result;
    for (std::size_t i = 0; i < request.wanted.size(); ++i) {
        if (context.wantedFound[i]) continue;
        output.Line("書庫にありません: " + request.wanted[i]);
        if (result == kOk) result = kMemberNotFound;
    }
    return result;
}

}  // namespace cab32
