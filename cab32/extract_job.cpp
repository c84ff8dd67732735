#include "extract_job.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <set>

#include "decode_ahead.h"
#include "folder_reader.h"
#include "member_path.h"
#include "result_codes.h"
#include "sjis_path.h"
#include "wide_names.h"

namespace cab32 {

namespace {

// A folder part of fewer data blocks is decoded on the calling thread.
constexpr std::uint32_t kBlocksWorthAThread = 64;

struct ReadContext {
    const ReadRequest& request;
    Progress& progress;
    OutputText& output;
    std::vector<bool> wantedFound;
    int result = kOk;
    std::uint64_t done = 0;   // bytes of members finished
    std::uint64_t total = 0;  // bytes of the members of the cabinets read so far
    // Numbers the temporary files; starts where another process is unlikely to be.
    std::uint32_t temporaryNumber = GetTickCount() ^ (GetCurrentProcessId() << 16);
};

void Fail(ReadContext& context, int result) {
    if (context.result == kOk) context.result = result;
}

// A member's exact name as UTF-16 text, with "\" separators.
std::wstring ExactMemberName(const CabMember& member) {
    std::wstring name = (member.attributes & kNameIsUtf8) ? tarvik::WideFromUtf8(member.name)
                                                           : tarvik::WideFromAnsi(member.name);
    std::replace(name.begin(), name.end(), L'/', L'\\');
    return name;
}

std::wstring WideFileNamePart(const std::wstring& path) {
    const std::size_t sep = path.find_last_of(L"\\:");
    return sep == path.npos ? path : path.substr(sep + 1);
}

// Creates every folder on the way to `path` (its last part is a file name).
bool CreateFoldersForWide(const std::wstring& path) {
    const std::size_t sep = path.find_last_of(L'\\');
    if (sep == path.npos || sep == 0) return true;
    const std::wstring folder = path.substr(0, sep);
    if (folder.back() == L':') return true;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!CreateFoldersForWide(folder)) return false;
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool IsWanted(ReadContext& context, const std::string& name) {
    const auto& wanted = context.request.wanted;
    if (wanted.empty()) return true;
    bool found = false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (tarvik::SameTextIgnoringCase(WithBackslashes(wanted[i]), name)) {
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
    context.output.Line("書き込めませんでした: " + path + " (" + DescribeWriteError(error) + ")");
    Fail(context, kWriteFailed);
}

// One member on its way out of its folder's data: written to a temporary
// file beside its target (in a test only counted) and renamed once whole.
struct MemberTarget {
    std::string name;        // code page 932 form, for the output
    std::wstring exactName;  // the name the file is created under
    std::uint64_t start = 0;  // where the member begins in its folder's bytes
    std::uint32_t size = 0;
    std::uint32_t written = 0;
    std::uint16_t attributes = 0;
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::string finalPath;  // code page 932 form of the target, for the output
    std::wstring finalWidePath;
    std::wstring tempPath;
    UniqueHandle file;
    DWORD writeError = 0;  // the first write that failed (disk full, ...)

    std::uint64_t End() const { return start + size; }
};

MemberTarget TargetFor(const CabMember& member, std::string name, std::wstring exactName) {
    MemberTarget target;
    target.name = std::move(name);
    target.exactName = std::move(exactName);
    target.start = member.folderOffset;
    target.size = member.size;
    target.attributes = static_cast<std::uint16_t>(member.attributes & kKeptAttributes);
    target.date = member.date;
    target.time = member.time;
    return target;
}

// A new temporary file ("c32XXXXXXXX.tmp") in `folder` (empty or ending in
// a separator), created at once: GetTempFileName would create it, close it
// and leave it to be opened again.
UniqueHandle CreateTemporaryFile(const std::wstring& folder, std::uint32_t& number, std::wstring& path) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        wchar_t name[16];
        swprintf(name, 16, L"c32%08x.tmp", static_cast<unsigned>(number++));
        path = folder + name;
        UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (file) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    path.clear();
    return {};
}

// Drops a member that did not come out whole: nothing of it stays on disk.
void Discard(MemberTarget& target) {
    target.file.Reset();
    if (!target.tempPath.empty()) DeleteFileW(target.tempPath.c_str());
    target.tempPath.clear();
}

// The members of one folder, written while its bytes are decoded. A folder
// that goes on in the next cabinet keeps its decoder and its unfinished
// members until that cabinet's part of it has been read.
class FolderExtraction {
public:
    FolderExtraction(ReadContext& context, std::uint16_t compression, std::uint16_t setId)
        : context_(context), reader_(compression), setId_(setId) {}

    bool Supported() const { return reader_.Supported(); }
    std::uint16_t SetId() const { return setId_; }
    bool HasMembers() const { return next_ < pending_.size() || !active_.empty(); }

    void Add(MemberTarget target) { pending_.push_back(std::move(target)); }

    // Decodes this cabinet's blocks of the folder as far as its members
    // need (to the end when `goesOn`: the next cabinet continues the data).
    void ReadPart(const CabSource& source, const CabDirectory& directory, const CabFolder& folder, bool goesOn) {
        std::stable_sort(pending_.begin() + static_cast<std::ptrdiff_t>(next_), pending_.end(),
                         [](const MemberTarget& a, const MemberTarget& b) { return a.start < b.start; });
        reader_.StartPart(source, directory, folder);
        Deliver({}, reader_.Position());
        // Frames are decoded on a thread of their own while the members'
        // files are written here, unless there is nothing to write or the
        // part is too short to gain.
        DecodeAhead ahead(reader_, !context_.request.testOnly && folder.dataBlocks >= kBlocksWorthAThread);
        while (HasMembers() || goesOn) {
            std::span<const std::uint8_t> frame;
            std::uint64_t frameStart = 0;
            switch (ahead.Next(frame, frameStart)) {
                case FolderReader::Step::Frame: Deliver(frame, frameStart); break;
                case FolderReader::Step::PartEnded:
                    if (!goesOn) Abandon("データが壊れています: ", kDataError);
                    return;
                case FolderReader::Step::Bad: Abandon("データが壊れています: ", kDataError); return;
            }
        }
    }

    // The members that cannot be finished fail, each with its name.
    void Abandon(const std::string& why, int result) {
        for (; next_ < pending_.size(); ++next_) FailMember(pending_[next_], why, result);
        for (MemberTarget& target : active_) FailMember(target, why, result);
        active_.clear();
    }

private:
    void FailMember(MemberTarget& target, const std::string& why, int result) {
        context_.output.Line(why + target.name);
        Fail(context_, result);
        Discard(target);
    }

    // Hands the frame's bytes to every member they belong to; members that
    // begin in it are opened, members that end in it are finished.
    void Deliver(std::span<const std::uint8_t> frame, std::uint64_t frameStart) {
        const std::uint64_t frameEnd = frameStart + frame.size();
        while (next_ < pending_.size()) {
            MemberTarget& target = pending_[next_];
            const bool reached = target.start < frameEnd || (target.size == 0 && target.start <= frameEnd);
            if (!reached) break;
            ++next_;
            if (target.start < frameStart) {
                FailMember(target, "データが壊れています: ", kDataError);  // its first bytes have gone by
            } else if (Open(target)) {
                active_.push_back(std::move(target));
            }
        }
        for (MemberTarget& target : active_) {
            const std::uint64_t from = std::max(target.start, frameStart);
            const std::uint64_t to = std::min(target.End(), frameEnd);
            if (to > from) Write(target, frame.data() + (from - frameStart), static_cast<DWORD>(to - from));
        }
        const auto finished = std::partition(active_.begin(), active_.end(),
                                             [frameEnd](const MemberTarget& t) { return t.End() > frameEnd; });
        for (auto it = finished; it != active_.end(); ++it) Finish(*it);
        active_.erase(finished, active_.end());
        if (!active_.empty()) {
            context_.progress.Update(active_.front().name, context_.done + (frameEnd - active_.front().start),
                                     context_.total);
        }
    }

    bool Open(MemberTarget& target) {
        const ReadRequest& request = context_.request;
        context_.progress.Update(target.name, context_.done, context_.total);
        if (request.testOnly) return true;
        // The file is made under the member's exact name, whatever code
        // page 932 can spell; the output shows the best-fit form.
        const std::wstring relative = request.dropFolders ? WideFileNamePart(target.exactName) : target.exactName;
        target.finalWidePath = tarvik::JoinWidePath(tarvik::WideFromAnsi(request.folder), relative);
        target.finalPath = tarvik::AnsiForDisplay(target.finalWidePath);
        const std::size_t sep = target.finalWidePath.find_last_of(L'\\');
        const std::wstring folder = sep == std::wstring::npos ? L"" : target.finalWidePath.substr(0, sep + 1);
        if (CreateFoldersForWide(target.finalWidePath))
            target.file = CreateTemporaryFile(folder, context_.temporaryNumber, target.tempPath);
        if (!target.file) {
            ReportWriteFailure(context_, target.finalPath, GetLastError());
            return false;
        }
        return true;
    }

    void Write(MemberTarget& target, const std::uint8_t* bytes, DWORD count) {
        target.written += count;
        if (!target.file || target.writeError != 0) return;
        while (count > 0) {
            // A write that stops short is tried again for the rest: the
            // second try says why (a full disk answers ERROR_DISK_FULL).
            DWORD put = 0;
            const BOOL written = WriteFile(target.file.get(), bytes, count, &put, nullptr);
            if (!written || put == 0) {
                target.writeError = written ? ERROR_DISK_FULL : GetLastError();
                Discard(target);  // frees the space at once
                return;
            }
            bytes += put;
            count -= put;
        }
    }

    void Finish(MemberTarget& target) {
        context_.done += target.size;
        context_.progress.Update(target.name, context_.done, context_.total);
        if (target.writeError != 0) {
            ReportWriteFailure(context_, target.finalPath, target.writeError);
            return;
        }
        if (context_.request.testOnly) {
            context_.output.Line("正常: " + target.name);
            return;
        }
        FILETIME local{};
        FILETIME utc{};
        if (DosDateTimeToFileTime(target.date, target.time, &local) && LocalFileTimeToFileTime(&local, &utc)) {
            SetFileTime(target.file.get(), nullptr, nullptr, &utc);
        }
        target.file.Reset();
        if (!MoveFileExW(target.tempPath.c_str(), target.finalWidePath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            ReportWriteFailure(context_, target.finalPath, GetLastError());
            Discard(target);
            return;
        }
        // A new file has the archive attribute already; anything else is set.
        if (target.attributes != FILE_ATTRIBUTE_ARCHIVE) {
            SetFileAttributesW(target.finalWidePath.c_str(),
                               target.attributes ? target.attributes : FILE_ATTRIBUTE_NORMAL);
        }
        context_.output.Line("解凍: " + target.name);
    }

    ReadContext& context_;
    FolderReader reader_;
    std::uint16_t setId_;
    std::vector<MemberTarget> pending_;  // in folder order from next_ on
    std::size_t next_ = 0;
    std::vector<MemberTarget> active_;   // opened, not yet finished
};

// The folder a member's data lies in: a member continued from the previous
// cabinet is in the first folder, one going on in the next in the last.
std::size_t FolderOf(const CabDirectory& directory, const CabMember& member) {
    if (ContinuesFromPrevious(member)) return 0;
    if (ContinuesToNext(member)) return directory.folders.size() - 1;
    return member.folderIndex;
}

// The file table's members of each folder, each list in table order.
std::vector<std::vector<const CabMember*>> MembersByFolder(const CabDirectory& directory) {
    std::vector<std::vector<const CabMember*>> members(directory.folders.size());
    for (const CabMember& member : directory.members) members[FolderOf(directory, member)].push_back(&member);
    return members;
}

struct Refusal {
    const char* why = nullptr;  // null: the member can be taken
    int result = kOk;
};

// Why a member of this folder cannot be taken.
Refusal RefusalFor(const ReadContext& context, const CabMember& member, const FolderExtraction* folder) {
    if (!folder) return {"前のボリュームから続くため解凍しません: ", kMemberSkipped};
    if (!folder->Supported()) return {"対応していない圧縮形式のため取り出せません: ", kDataError};
    if (ContinuesToNext(member) && !context.request.followVolumes) {
        return {"次のボリュームに続くため解凍しません: ", kMemberSkipped};
    }
    return {};
}

// Reads one cabinet of the set. `carried` is the folder that went on from
// the previous cabinet (null when none); it comes back holding the last
// folder when that goes on in the next one.
void ReadOneCabinet(ReadContext& context, const CabSource& source, const CabDirectory& directory,
                    std::unique_ptr<FolderExtraction>& carried) {
    const ReadRequest& request = context.request;
    const bool firstContinues = std::any_of(directory.members.begin(), directory.members.end(), ContinuesFromPrevious);
    const bool lastGoesOn = request.followVolumes && !directory.nextCabinet.empty() &&
                            std::any_of(directory.members.begin(), directory.members.end(), ContinuesToNext);
    if (carried && (!firstContinues || carried->SetId() != directory.setId)) {
        carried->Abandon("データが壊れています: ", kDataError);  // the next cabinet does not go on with it
        carried.reset();
    }
    const auto membersByFolder = MembersByFolder(directory);
    for (std::size_t index = 0; index < directory.folders.size(); ++index) {
        const CabFolder& folder = directory.folders[index];
        std::unique_ptr<FolderExtraction> extraction;
        if (index == 0 && firstContinues) extraction = std::move(carried);  // none when the set starts here
        else extraction = std::make_unique<FolderExtraction>(context, folder.compression, directory.setId);
        for (const CabMember* member : membersByFolder[index]) {
            const std::string name = MemberNameAsAnsi(*member);
            if (!IsWanted(context, name)) continue;
            if (extraction && ContinuesFromPrevious(*member)) continue;  // already on its way out
            if (const Refusal refusal = RefusalFor(context, *member, extraction.get()); refusal.why) {
                context.output.Line(refusal.why + name);
                Fail(context, refusal.result);
                continue;
            }
            const std::wstring exactName = ExactMemberName(*member);
            if (!IsSafeMemberName(name) || !IsSafeMemberName(exactName)) {
                // A test still checks the member's data; only writing it is refused.
                context.output.Line(request.testOnly ? "展開先の外を指す名前です: " + name
                                                     : "展開先の外を指す名前のため拒否しました: " + name);
                Fail(context, kUnsafeName);
                if (!request.testOnly) continue;
            }
            extraction->Add(TargetFor(*member, name, exactName));
        }
        const bool goesOn = lastGoesOn && index + 1 == directory.folders.size();
        if (!extraction || !extraction->Supported() || (!extraction->HasMembers() && !goesOn)) continue;
        extraction->ReadPart(source, directory, folder, goesOn);
        if (goesOn) carried = std::move(extraction);
    }
}

std::uint64_t MemberBytes(const CabDirectory& directory) {
    std::uint64_t total = 0;
    for (const CabMember& member : directory.members) total += member.size;
    return total;
}

void ReportUnsafeVolume(const std::string& name, OutputText& output) {
    output.Line("次のボリューム名が書庫のフォルダの外を指すため読みません: " + name);
}

// The cabinets of a set read in one job. A set is a chain that ends: each
// next volume must be a file not read before in the job, carry the first
// cabinet's set ID and the index after the previous one's. Indices count in
// 16 bits, so no chain runs past 65,536 cabinets whatever the headers name,
// even where a file's identity cannot be told.
class VolumeChain {
public:
    // Why the file cannot be the next volume (empty: it can).
    std::string RefusalOfFile(const FileCabSource& source) const {
        const std::string identity = source.Identity();
        if (!identity.empty() && files_.count(identity)) return "この書庫は既に読んだボリュームです: ";
        return {};
    }

    // Why a cabinet with these tables cannot be the next volume (empty: it can).
    std::string RefusalOfTables(const CabDirectory& directory) const {
        if (!started_) return {};
        if (directory.setId != setId_) return "別の分割書庫のボリュームです: ";
        if (directory.cabinetIndex != lastIndex_ + 1) return "ボリュームの順番が正しくありません: ";
        return {};
    }

    void Add(const FileCabSource& source, const CabDirectory& directory) {
        if (const std::string identity = source.Identity(); !identity.empty()) files_.insert(identity);
        if (!started_) setId_ = directory.setId;
        started_ = true;
        lastIndex_ = directory.cabinetIndex;
    }

    // False when the last cabinet read has the highest index a set can number.
    bool CanGoOn() const { return lastIndex_ < 0xFFFF; }

private:
    std::set<std::string> files_;
    bool started_ = false;
    std::uint16_t setId_ = 0;
    std::uint16_t lastIndex_ = 0;
};

// Opens one cabinet of the set and checks that it goes on with the chain,
// then its tables (and for a test its checksums) before any member is
// written. A refused cabinet ends the job with kNotCabinet.
int OpenVolumeOfChain(const ReadRequest& request, const FileCabSource& source, const std::string& path,
                      const VolumeChain& chain, CabDirectory& directory, OutputText& output) {
    if (const std::string why = chain.RefusalOfFile(source); !why.empty()) {
        output.Line(why + path);
        return kNotCabinet;
    }
    // Members of a folder that cannot be decoded are refused one by one; the
    // other folders are still read.
    if (int result = OpenCabinet(source, path, DirectoryCheck::AllowUnknownFolders, directory, output);
        result != kOk) {
        return result;
    }
    if (const std::string why = chain.RefusalOfTables(directory); !why.empty()) {
        output.Line(why + path);
        return kNotCabinet;
    }
    if (request.testOnly && VerifyDataChecksums(source, directory) != CabFault::None) {
        output.Line(DescribeFault(CabFault::BadChecksum) + ": " + path);
        return kDataError;
    }
    return kOk;
}

// The next volume's path, or an empty string (with the reason in the output
// and `result`) when the set cannot go on.
std::string NextVolumePath(const std::string& path, const CabDirectory& directory, OutputText& output, int& result) {
    if (!IsBareFileName(directory.nextCabinet)) {
        ReportUnsafeVolume(directory.nextCabinet, output);
        result = kUnsafeName;
        return {};
    }
    std::string next = JoinPath(tarvik::FolderOfPath(path), directory.nextCabinet);
    if (!FileExists(next)) {
        output.Line("続きのボリュームが見つかりません: " + next);
        result = kArchiveNotFound;
        return {};
    }
    return next;
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

std::string FileCabSource::Identity() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file_ || !GetFileInformationByHandle(file_.get(), &info)) return {};
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow);
}

int OpenCabinet(const FileCabSource& source, const std::string& path, DirectoryCheck check, CabDirectory& directory,
                OutputText& output) {
    if (!source.IsOpen()) {
        output.Line("書庫が見つかりません: " + path);
        return kArchiveNotFound;
    }
    CabFault fault = ReadCabDirectory(source, directory, true);
    if (check == DirectoryCheck::AllowUnknownFolders && fault == CabFault::UnknownCompression) fault = CabFault::None;
    if (fault == CabFault::None) return kOk;
    output.Line(DescribeFault(fault) + ": " + path);
    return kNotCabinet;
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
    return WithBackslashes((member.attributes & kNameIsUtf8) ? tarvik::AnsiForDisplay(tarvik::WideFromUtf8(member.name))
                                                             : member.name);
}

int ReadCabinet(const ReadRequest& request, Progress& progress, OutputText& output) {
    ReadContext context{request, progress, output, std::vector<bool>(request.wanted.size(), false)};
    std::unique_ptr<FolderExtraction> carried;
    std::string path = request.cabinetPath;
    int result = kOk;
    VolumeChain chain;
    for (bool first = true;; first = false) {
        const FileCabSource source(path, first ? request.base : 0);
        CabDirectory directory;
        result = OpenVolumeOfChain(request, source, path, chain, directory, output);
        if (result != kOk) break;
        chain.Add(source, directory);
        context.total += MemberBytes(directory);
        ReadOneCabinet(context, source, directory, carried);
        if (!request.followVolumes || directory.nextCabinet.empty()) break;
        if (!chain.CanGoOn()) {
            output.Line("分割書庫のボリュームが多すぎます (65536 個まで): " + path);
            result = kNotCabinet;
            break;
        }
        path = NextVolumePath(path, directory, output, result);
        if (path.empty()) break;
    }
    if (carried) carried->Abandon("取り出せませんでした: ", kDataError);
    if (result == kOk) result = context.result;
    for (std::size_t i = 0; i < request.wanted.size(); ++i) {
        if (context.wantedFound[i]) continue;
        output.Line("書庫にありません: " + request.wanted[i]);
        if (result == kOk) result = kMemberNotFound;
    }
    return result;
}

}  // namespace cab32
