// The library's exported entry points, "cab32.dll": their names, types and
// numbers are in cab32_api.h, the results of Cab in result_codes.h.
#include <windows.h>

#include <memory>
#include <mutex>
#include <set>

#include "cab32_api.h"
#include "extract_job.h"
#include "command_line.h"
#include "commands.h"
#include "member_path.h"
#include "member_record.h"
#include "output_text.h"
#include "progress_window.h"
#include "result_codes.h"

namespace {

constexpr int kVersion = 100;  // 1.00

HMODULE g_module = nullptr;
volatile LONG g_running = 0;
HWND g_owner = nullptr;

// An open enumeration: the cabinet's tables and the next member to report.
struct ArchiveEnumeration {
    explicit ArchiveEnumeration(cab32::CabDirectory tables) : directory(std::move(tables)), records(directory) {}
    cab32::CabDirectory directory;
    cab32::MemberRecords records;
    std::string pattern;
    std::size_t next = 0;
};

std::mutex g_archivesLock;
std::set<ArchiveEnumeration*> g_archives;

ArchiveEnumeration* FindArchive(HANDLE handle) {
    std::lock_guard lock(g_archivesLock);
    auto* archive = static_cast<ArchiveEnumeration*>(handle);
    return g_archives.count(archive) ? archive : nullptr;
}

// Fills the record with the next member matching the pattern; -1 at the end.
int ReportNextMember(ArchiveEnumeration& archive, void* record) {
    const auto& members = archive.directory.members;
    const bool everyMember = archive.pattern == "*" || archive.pattern == "*.*";
    while (archive.next < members.size()) {
        const std::size_t index = archive.next++;
        if (everyMember || cab32::MatchesWildcard(archive.pattern, cab32::MemberNameAsAnsi(members[index]))) {
            archive.records.Fill(index, record);
            return 0;
        }
    }
    return -1;
}

// Every exported function is a wall: whatever goes wrong inside (an
// exception of any kind) ends in the function's documented failure value
// instead of unwinding into the caller's frames.
template <typename Result, typename Body>
Result Walled(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// The line for a command that ended in an exception.
const char* DescribeException() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "メモリが足りません。";
    } catch (...) {
        return "内部エラーのため処理を中止しました。";
    }
}

// Clears the busy flag however the command ends.
struct RunningGuard {
    ~RunningGuard() { InterlockedExchange(&g_running, 0); }
};

const char* CaptionFor(cab32::Operation operation) {
    switch (operation) {
        case cab32::Operation::Add: return "圧縮しています";
        case cab32::Operation::Extract: return "解凍しています";
        case cab32::Operation::Test: return "検査しています";
        default: return "処理しています";
    }
}

int RunParsed(HWND owner, const char* commandLine, cab32::OutputText& output) {
    cab32::ParsedCommand parsed = cab32::ParseCommand(commandLine ? commandLine : "");
    if (!parsed.ok) {
        output.Line(parsed.error);
        return cab32::kBadCommand;
    }
    HWND progressOwner = owner ? owner : g_owner;
    cab32::ProgressWindow progress(g_module, progressOwner, CaptionFor(parsed.command.operation));
    return cab32::RunCommand(std::move(parsed.command), g_module, progress, output);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

int WINAPI Cab(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
    if (InterlockedCompareExchange(&g_running, 1, 0) != 0) {
        return Walled(cab32::kBusy, [&] {
            cab32::OutputText text(output ? outputSize : 0);
            text.Line("別の処理を実行中です。");
            text.CopyTo(output, outputSize);
            return cab32::kBusy;
        });
    }
    RunningGuard guard;
    // No more text is kept than the caller's buffer takes.
    cab32::OutputText text(output ? outputSize : 0);
    int result = cab32::kInternal;
    try {
        result = RunParsed(owner, commandLine, text);
    } catch (...) {
        result = cab32::kInternal;
        Walled(0, [&] {
            text.Line(DescribeException());
            return 0;
        });
    }
    text.CopyTo(output, outputSize);
    return result;
}

int WINAPI CabGetVersion() { return kVersion; }

BOOL WINAPI CabGetRunning() { return InterlockedCompareExchange(&g_running, 0, 0) != 0; }

// Mode 2 (and any other): the tables must be sound; no data is decompressed,
// since the program asks on every keystroke in its archive field.
BOOL WINAPI CabCheckArchive(LPCSTR path, int mode) {
    (void)mode;
    return Walled<BOOL>(FALSE, [&]() -> BOOL {
        if (!path || !*path) return FALSE;
        cab32::FileCabSource source(path, 0);
        cab32::CabDirectory directory;
        return source.IsOpen() && cab32::ReadCabDirectory(source, directory, true) == cab32::CabFault::None;
    });
}

// Every entry point of the library has its number (cab32_api.h).
BOOL WINAPI CabQueryFunctionList(int index) { return tarvik::cab32::IsEntryPointNumber(index) ? TRUE : FALSE; }

BOOL WINAPI CabSetOwnerWindow(HWND owner) {
    g_owner = owner;
    return TRUE;
}

BOOL WINAPI CabClearOwnerWindow() {
    g_owner = nullptr;
    return TRUE;
}

HANDLE WINAPI CabOpenArchive(HWND, LPCSTR path, DWORD) {
    return Walled<HANDLE>(nullptr, [&]() -> HANDLE {
        if (!path) return nullptr;
        cab32::FileCabSource source(path, 0);
        cab32::CabDirectory directory;
        const cab32::CabFault fault = source.IsOpen() ? cab32::ReadCabDirectory(source, directory, false)
                                                      : cab32::CabFault::Unreadable;
        // A folder that cannot be decoded does not keep its members from being listed.
        if (fault != cab32::CabFault::None && fault != cab32::CabFault::UnknownCompression) return nullptr;
        auto archive = std::make_unique<ArchiveEnumeration>(std::move(directory));
        std::lock_guard lock(g_archivesLock);
        g_archives.insert(archive.get());
        return archive.release();
    });
}

int WINAPI CabCloseArchive(HANDLE handle) {
    return Walled(-1, [&] {
        ArchiveEnumeration* archive = FindArchive(handle);
        if (!archive) return -1;
        {
            std::lock_guard lock(g_archivesLock);
            g_archives.erase(archive);
        }
        delete archive;
        return 0;
    });
}

int WINAPI CabFindFirst(HANDLE handle, LPCSTR wildcard, void* record) {
    return Walled(-1, [&] {
        ArchiveEnumeration* archive = FindArchive(handle);
        if (!archive || !record) return -1;
        archive->pattern = (wildcard && *wildcard) ? wildcard : "*";
        archive->next = 0;
        return ReportNextMember(*archive, record);
    });
}

int WINAPI CabFindNext(HANDLE handle, void* record) {
    return Walled(-1, [&] {
        ArchiveEnumeration* archive = FindArchive(handle);
        if (!archive || !record) return -1;
        return ReportNextMember(*archive, record);
    });
}

}  // extern "C"
