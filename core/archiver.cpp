#include "archiver.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cab32_api.h"
#include "dll_module.h"

namespace tarvik {

namespace {

DllModule LoadArchiver() { return DllModule::Load(cab32::kLibraryFileName); }

// Length of the NUL-terminated text at `text`, reading at most `limit` bytes.
std::size_t BoundedLength(const char* text, std::size_t limit) {
    const void* nul = std::memchr(text, '\0', limit);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : limit;
}

}  // namespace

bool ArchiverHasFunction(int functionIndex) {
    const DllModule library = LoadArchiver();
    const auto query = library.Find(cab32::kCabQueryFunctionList);
    return query && query(functionIndex) != FALSE;
}

std::uint16_t ArchiverVersion() {
    if (!ArchiverHasFunction(cab32::kCabGetVersion.number)) return 0;
    const DllModule library = LoadArchiver();
    const auto getVersion = library.Find(cab32::kCabGetVersion);
    const int version = getVersion ? getVersion() : 0;
    return static_cast<std::uint16_t>(static_cast<unsigned>(version) & 0xFFFFu);
}

bool ArchiverIsRunning() {
    if (!ArchiverHasFunction(cab32::kCabGetRunning.number)) return false;
    const DllModule library = LoadArchiver();
    const auto getRunning = library.Find(cab32::kCabGetRunning);
    return getRunning && getRunning() != FALSE;
}

bool ArchiverCheckArchive(const char* archivePath, int mode) {
    if (!ArchiverHasFunction(cab32::kCabCheckArchive.number)) return false;
    const DllModule library = LoadArchiver();
    const auto check = library.Find(cab32::kCabCheckArchive);
    return check && check(archivePath ? archivePath : "", mode) != FALSE;
}

int RunArchiverCommand(HWND owner, const char* commandLine, char* output, std::int32_t outputSize) {
    // A buffer that cannot even hold the terminating NUL cannot be filled.
    if (outputSize <= 0 || !output) return -1;
    std::vector<char> buffer(static_cast<std::size_t>(outputSize), '\0');

    if (!ArchiverHasFunction(cab32::kCab.number)) return -1;
    if (ArchiverIsRunning()) return -1;  // never enter the library while it works

    const DllModule library = LoadArchiver();
    const auto setOwner = library.Find(cab32::kCabSetOwnerWindow);
    const auto clearOwner = library.Find(cab32::kCabClearOwnerWindow);
    const auto cab = library.Find(cab32::kCab);
    if (!setOwner || !clearOwner || !cab) return -1;

    setOwner(owner);
    const int result = cab(owner, commandLine ? commandLine : "", buffer.data(),
                           static_cast<DWORD>(outputSize));
    const std::size_t length = BoundedLength(buffer.data(), buffer.size() - 1);
    std::memcpy(output, buffer.data(), length);
    output[length] = '\0';
    clearOwner();
    return result;
}

std::vector<std::string> ArchiveMembers(HWND owner, const char* archivePath) {
    std::vector<char> record(cab32::kMemberRecordSize, '\0');
    std::vector<std::string> members;

    const DllModule library = LoadArchiver();
    const auto open = library.Find(cab32::kCabOpenArchive);
    const auto close = library.Find(cab32::kCabCloseArchive);
    const auto findFirst = library.Find(cab32::kCabFindFirst);
    const auto findNext = library.Find(cab32::kCabFindNext);
    if (!open || !close || !findFirst || !findNext) return members;

    const HANDLE archive = open(owner, archivePath ? archivePath : "", cab32::kOpenMode);
    if (!archive) return members;  // nothing to enumerate, nothing to close

    const char* path = record.data() + cab32::kRecordPath.offset;
    const std::size_t pathRoom = record.size() - cab32::kRecordPath.offset;
    for (int found = findFirst(archive, cab32::kEveryMember, record.data()); found != -1;
         found = findNext(archive, record.data())) {
        // The path is read only within the record, whatever the library wrote.
        members.emplace_back(path, BoundedLength(path, pathRoom));
    }
    close(archive);
    return members;
}

std::optional<std::string> ArchiverPath() {
    const DllModule library = LoadArchiver();
    if (!library) return std::nullopt;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(library.get(), path, MAX_PATH);
    return std::string(path);
}

}  // namespace tarvik
