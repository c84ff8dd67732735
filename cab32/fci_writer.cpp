#include "fci_writer.h"

#include <fcntl.h>

#include <map>
#include <memory>
#include <set>

#include "cab_io.h"
#include "member_path.h"
#include "result_codes.h"
#include "sjis_path.h"

namespace cab32 {

namespace {

struct WriteContext {
    const WriteRequest* request = nullptr;
    Progress* progress = nullptr;
    std::string folder;               // with its trailing "\"
    std::set<std::string> cabinetNames;  // full paths FCI may create as cabinets
    std::vector<std::string> created;    // cabinets this job created
    bool cabinetExisted = false;
    std::string current;               // member being stored
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    std::map<std::string, std::int64_t> sizes;  // of each source file
};

WriteContext* Context(void* pv) { return static_cast<WriteContext*>(pv); }

std::string CabinetNameFor(const WriteContext& context, int number) {
    const std::string& path = context.request->cabinetPath;
    return std::string(tarvik::FileNamePart(context.request->volumeBytes ? VolumeFileName(path, number) : path));
}

FNFCIOPEN(OpenCallback) {
    (void)pmode;
    WriteContext* context = Context(pv);
    const bool isCabinet = context->cabinetNames.count(pszFile) != 0;
    const INT_PTR handle = io::OpenPath(pszFile, oflag, isCabinet && (oflag & _O_CREAT));
    if (handle == -1) {
        *err = static_cast<int>(GetLastError());
        if (isCabinet && *err == ERROR_FILE_EXISTS) context->cabinetExisted = true;
    } else if (isCabinet && (oflag & _O_CREAT)) {
        context->created.emplace_back(pszFile);
    }
    return handle;
}

FNFCIREAD(ReadCallback) {
    (void)pv;
    const UINT got = io::FdiRead(hf, memory, cb);
    if (got == static_cast<UINT>(-1)) *err = static_cast<int>(GetLastError());
    return got;
}

FNFCIWRITE(WriteCallback) {
    (void)pv;
    const UINT put = io::WriteExactly(hf, memory, cb);
    if (put != cb) *err = static_cast<int>(GetLastError());
    return put;
}

FNFCICLOSE(CloseCallback) {
    (void)err, (void)pv;
    return io::CloseFile(hf);
}

FNFCISEEK(SeekCallback) {
    (void)pv;
    const LONG position = io::FdiSeek(hf, dist, seektype);
    if (position == -1) *err = static_cast<int>(GetLastError());
    return position;
}

FNFCIDELETE(DeleteCallback) {
    (void)pv;
    if (DeleteFileA(pszFile)) return 0;
    *err = static_cast<int>(GetLastError());
    return -1;
}

// A fresh name in the temporary folder; the file itself is left to FCI.
FNFCIGETTEMPFILE(TempFileCallback) {
    (void)pv;
    char folder[MAX_PATH];
    char name[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "c32", 0, name)) return FALSE;
    DeleteFileA(name);
    if (lstrlenA(name) >= cbTempName) return FALSE;
    lstrcpyA(pszTempName, name);
    return TRUE;
}

FNFCIFILEPLACED(PlacedCallback) {
    (void)pccab, (void)pszFile, (void)cbFile, (void)fContinuation, (void)pv;
    return 0;
}

FNFCIGETNEXTCABINET(NextCabinetCallback) {
    (void)cbPrevCab;
    WriteContext* context = Context(pv);
    const std::string name = CabinetNameFor(*context, pccab->iCab);
    if (name.size() >= sizeof pccab->szCab) return FALSE;
    lstrcpyA(pccab->szCab, name.c_str());
    context->cabinetNames.insert(context->folder + name);
    return TRUE;
}

FNFCISTATUS(StatusCallback) {
    WriteContext* context = Context(pv);
    if (typeStatus == statusFile) {
        context->done += cb2;
        context->progress->Update(context->current, context->done, context->total);
    }
    return typeStatus == statusCabinet ? static_cast<LONG>(cb2) : 0;
}

USHORT DosAttributes(DWORD attributes) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE;
    return static_cast<USHORT>(attributes & kKept);
}

FNFCIGETOPENINFO(OpenInfoCallback) {
    (void)pv;
    UniqueHandle file = OpenForReading(pszName);
    BY_HANDLE_FILE_INFORMATION info{};
    FILETIME local{};
    if (!file || !GetFileInformationByHandle(file.get(), &info) ||
        !FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, pdate, ptime)) {
        *err = static_cast<int>(GetLastError());
        return -1;
    }
    *pattribs = DosAttributes(info.dwFileAttributes);
    return io::AdoptFile(std::move(file));
}

struct FciDestroyer {
    void operator()(void* fci) const { FCIDestroy(fci); }
};
using FciHandle = std::unique_ptr<void, FciDestroyer>;

// Every source must be readable before the first byte is written.
int CheckSources(WriteContext& context, OutputText& output) {
    for (const FileToStore& file : context.request->files) {
        UniqueHandle handle = OpenForReading(file.sourcePath);
        const std::int64_t size = handle ? FileSizeOf(handle.get()) : -1;
        if (size < 0 || size > 0x7FFF0000) {
            output.Line("ファイルを読めません: " + file.sourcePath);
            return kSourceUnreadable;
        }
        context.total += static_cast<std::uint64_t>(size);
        context.sizes[file.sourcePath] = size;
    }
    return kOk;
}

bool PrepareCabinetInfo(WriteContext& context, CCAB& ccab) {
    const WriteRequest& request = *context.request;
    ccab.cb = request.volumeBytes ? request.volumeBytes : 0x7FFFFFFF;
    ccab.cbFolderThresh = 0x7FFFFFFF;
    ccab.iCab = 1;
    ccab.setID = static_cast<USHORT>(GetTickCount());
    const std::size_t sep = tarvik::LastPathSeparator(request.cabinetPath);
    context.folder = sep == tarvik::npos ? std::string() : request.cabinetPath.substr(0, sep + 1);
    const std::string name = CabinetNameFor(context, 1);
    if (context.folder.size() >= sizeof ccab.szCabPath || name.size() >= sizeof ccab.szCab) return false;
    lstrcpyA(ccab.szCabPath, context.folder.c_str());
    lstrcpyA(ccab.szCab, name.c_str());
    context.cabinetNames.insert(context.folder + name);
    return true;
}

int AddAllFiles(void* fci, WriteContext& context, OutputText& output) {
    for (const FileToStore& file : context.request->files) {
        context.current = file.storedName;
        std::string source = file.sourcePath;
        std::string stored = file.storedName;
        if (!FCIAddFile(fci, source.data(), stored.data(), FALSE, NextCabinetCallback, StatusCallback,
                        OpenInfoCallback, context.request->compression)) {
            output.Line("格納できませんでした: " + file.sourcePath);
            return context.cabinetExisted ? kArchiveExists : kWriteFailed;
        }
        output.Line("格納: " + file.storedName);
    }
    if (!FCIFlushCabinet(fci, FALSE, NextCabinetCallback, StatusCallback)) {
        return context.cabinetExisted ? kArchiveExists : kWriteFailed;
    }
    return kOk;
}

void Append16(std::string& bytes, std::uint32_t value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

void Append32(std::string& bytes, std::uint32_t value) {
    Append16(bytes, value & 0xFFFF);
    Append16(bytes, value >> 16);
}

// The file table entry of a zero-byte member.
bool AppendEmptyMember(std::string& table, const FileToStore& file) {
    UniqueHandle handle = OpenForReading(file.sourcePath);
    BY_HANDLE_FILE_INFORMATION info{};
    FILETIME local{};
    WORD date = 0;
    WORD time = 0;
    if (!handle || !GetFileInformationByHandle(handle.get(), &info) ||
        !FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
        return false;
    }
    Append32(table, 0);  // size
    Append32(table, 0);  // offset in the folder
    Append16(table, 0);  // folder
    Append16(table, date);
    Append16(table, time);
    Append16(table, DosAttributes(info.dwFileAttributes));
    table += file.storedName;
    table += '\0';
    return true;
}

// A cabinet whose members are all zero bytes long: one folder without data
// blocks. Written here because Wine's FCI fails on a folder without data.
int WriteDataFreeCabinet(const WriteContext& context, OutputText& output) {
    std::string table;
    for (const FileToStore& file : context.request->files) {
        if (!AppendEmptyMember(table, file)) {
            output.Line("ファイルを読めません: " + file.sourcePath);
            return kSourceUnreadable;
        }
        output.Line("格納: " + file.storedName);
    }
    constexpr std::uint32_t kTablesStart = 36 + 8;
    const auto size = static_cast<std::uint32_t>(kTablesStart + table.size());
    std::string bytes = "MSCF";
    for (std::uint32_t field : {0u, size, 0u, kTablesStart, 0u}) Append32(bytes, field);
    bytes += '\x03';
    bytes += '\x01';
    for (std::uint32_t field : {1u, static_cast<std::uint32_t>(context.request->files.size()), 0u,
                                static_cast<std::uint32_t>(GetTickCount() & 0xFFFF), 0u}) {
        Append16(bytes, field);
    }
    Append32(bytes, size);  // the folder's (empty) data starts at the end
    Append32(bytes, 0);     // no data blocks, no compression
    bytes += table;
    const std::string path = *context.cabinetNames.begin();
    UniqueHandle out(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD put = 0;
    const bool written = out && WriteFile(out.get(), bytes.data(), size, &put, nullptr) && put == size;
    if (!written) {
        const bool existed = !out && GetLastError() == ERROR_FILE_EXISTS;
        if (out) {
            out.Reset();
            DeleteFileA(path.c_str());
        }
        output.Line("書庫を作成できませんでした: " + path);
        return existed ? kArchiveExists : kWriteFailed;
    }
    output.Line("作成: " + path);
    return kOk;
}

bool AllFilesEmpty(const WriteContext& context) {
    for (const auto& entry : context.sizes) {
        if (entry.second != 0) return false;
    }
    return true;
}

}  // namespace

bool FciCompressesLzx() {
    // Wine's cabinet.dll stores LZX requests uncompressed; Wine is known by
    // the export its ntdll adds.
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
}

int WriteCabinet(const WriteRequest& request, Progress& progress, OutputText& output) {
    WriteContext context;
    context.request = &request;
    context.progress = &progress;
    if (int result = CheckSources(context, output); result != kOk) return result;
    CCAB ccab{};
    if (!PrepareCabinetInfo(context, ccab)) {
        output.Line("書庫のパスが長すぎます: " + request.cabinetPath);
        return kWriteFailed;
    }
    if (AllFilesEmpty(context)) return WriteDataFreeCabinet(context, output);
    int result = kInternal;
    {
        ERF erf{};
        FciHandle fci(FCICreate(&erf, PlacedCallback, io::Alloc, io::Free, OpenCallback, ReadCallback, WriteCallback,
                                CloseCallback, SeekCallback, DeleteCallback, TempFileCallback, &ccab, &context));
        if (fci) result = AddAllFiles(fci.get(), context, output);
        if (result != kOk && erf.fError) {
            output.Line("FCI エラー " + std::to_string(erf.erfOper) + " (" + std::to_string(erf.erfType) + ")");
        }
    }
    if (result != kOk) {
        for (const std::string& path : context.created) DeleteFileA(path.c_str());
        if (result == kArchiveExists) output.Line("書庫が既に存在するため作成しません。");
        output.Line("書庫を作成できませんでした。");
        return result;
    }
    for (const std::string& path : context.created) output.Line("作成: " + path);
    return kOk;
}

}  // namespace cab32
