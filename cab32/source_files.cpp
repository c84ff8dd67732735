#include "source_files.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "member_path.h"
#include "result_codes.h"
#include "sjis_path.h"
#include "wide_names.h"
#include "win_handles.h"

namespace cab32 {

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE;

// A file or folder as the file system knows it, whatever path reached it.
using FileId = std::tuple<DWORD, DWORD, DWORD>;

FileId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

std::vector<std::wstring> WideComponents(std::wstring_view path) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != L'\\' && path[i] != L'/') continue;
        if (i > start) parts.emplace_back(path.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// `path` with its last `count` components as the disk spells them (long
// names, exact letter case), each looked up in the folder before it; the
// path as it is when a lookup fails. Only the components a stored name
// takes are looked up: GetLongPathName looks up every component, and under
// Wine each lookup is a directory search of several server calls (1.8 ms a
// file five folders deep, a third of a second for 150 files).
std::wstring LongPathOf(const std::wstring& path, std::size_t count) {
    if (count == 0 || path.find_first_of(L"*?") != std::wstring::npos) return path;
    std::vector<std::size_t> starts;  // where each component begins
    for (std::size_t i = 0; i < path.size(); ++i) {
        const bool separator = path[i] == L'\\' || path[i] == L'/';
        if (!separator && (i == 0 || path[i - 1] == L'\\' || path[i - 1] == L'/')) starts.push_back(i);
    }
    std::size_t first = starts.size() > count ? starts.size() - count : 0;
    if (first == 0 && path.size() >= 2 && path[1] == L':') first = 1;  // a drive is not looked up
    if (first >= starts.size()) return path;
    std::wstring result = path.substr(0, starts[first]);
    for (std::size_t k = first; k < starts.size(); ++k) {
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : path.size();
        std::wstring part = path.substr(starts[k], end - starts[k]);
        std::wstring separators;
        while (!part.empty() && (part.back() == L'\\' || part.back() == L'/')) {
            separators.insert(separators.begin(), part.back());
            part.pop_back();
        }
        if (part == L"." || part == L"..") {
            result += part + separators;
            continue;
        }
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((result + part).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return path;
        FindClose(search);
        result += found.cFileName + separators;
    }
    return result;
}


// A folder's entries (without "." and ".."), sorted by name: letter case
// ignored first, so "a" and "B" keep the order a user sees, then exactly.
bool ListFolder(const std::wstring& folder, std::vector<WIN32_FIND_DATAW>& entries) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(tarvik::JoinWidePath(folder, L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") entries.push_back(found);
    } while (FindNextFileW(search, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    std::sort(entries.begin(), entries.end(), [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
        const int folded = CompareStringOrdinal(a.cFileName, -1, b.cFileName, -1, TRUE);
        if (folded != CSTR_EQUAL) return folded == CSTR_LESS_THAN;
        return std::wstring_view(a.cFileName) < std::wstring_view(b.cFileName);
    });
    return complete;
}

class SourceCollector {
public:
    SourceCollector(std::vector<SourceFile>& files, OutputText& output) : files_(files), output_(output) {}

    int AddListed(const std::string& listed) {
        const std::string full = FullAnsiPath(listed);
        const std::wstring path = LongPathOf(tarvik::WideFromAnsi(full), StoredComponents(listed));
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Unreadable("ファイルを読めません: ", full);
        const std::wstring stored = StoredNameOnDisk(listed, path);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return AddFolder(path, stored);
        return AddFile(path, stored);
    }

private:
    int Unreadable(const char* why, const std::string& path) {
        output_.Line(why + path);
        return kSourceUnreadable;
    }

    // Everything under `folder`, stored below `prefix`. A folder met again
    // (through a link back up, or named twice) is not walked again.
    int AddFolder(const std::wstring& folder, const std::wstring& prefix) {
        const std::string shown = tarvik::AnsiForDisplay(folder);
        UniqueHandle handle(CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!handle || !GetFileInformationByHandle(handle.get(), &info))
            return Unreadable("フォルダを読めません: ", shown);
        if (!foldersSeen_.insert(IdOf(info)).second) return kOk;
        std::vector<WIN32_FIND_DATAW> entries;
        if (!ListFolder(folder, entries)) return Unreadable("フォルダを読めません: ", shown);
        for (const WIN32_FIND_DATAW& entry : entries) {
            const std::wstring path = tarvik::JoinWidePath(folder, entry.cFileName);
            const std::wstring stored = prefix.empty() ? std::wstring(entry.cFileName) : prefix + L'\\' + entry.cFileName;
            const int result = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? AddFolder(path, stored)
                                                                                    : AddFile(path, stored);
            if (result != kOk) return result;
        }
        return kOk;
    }

    int AddFile(const std::wstring& path, const std::wstring& stored) {
        SourceFile file;
        file.path = path;
        file.displayPath = tarvik::AnsiForDisplay(path);
        UniqueHandle handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        FILETIME local{};
        if (!handle || !GetFileInformationByHandle(handle.get(), &info) ||
            !FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) ||
            !FileTimeToDosDateTime(&local, &file.dosDate, &file.dosTime)) {
            return Unreadable("ファイルを読めません: ", file.displayPath);
        }
        if (!filesSeen_.insert(IdOf(info)).second) return kOk;  // one member per source file
        const auto [clash, added] = storedNames_.emplace(UpperCase(stored), file.displayPath);
        if (!added) {
            output_.Line("同じ名前で格納されるファイルが二つあります: " + clash->second + " と " + file.displayPath);
            return kBadCommand;
        }
        file.attributes = static_cast<std::uint16_t>(info.dwFileAttributes & kKeptAttributes);
        file.displayName = tarvik::AnsiForDisplay(stored);
        if (std::optional<std::string> exact = tarvik::ExactAnsi(stored)) {
            file.storedName = std::move(*exact);
        } else {
            file.storedName = tarvik::Utf8FromWide(stored);
            file.nameIsUtf8 = true;
        }
        files_.push_back(std::move(file));
        return kOk;
    }

    std::vector<SourceFile>& files_;
    OutputText& output_;
    std::set<FileId> foldersSeen_;
    std::set<FileId> filesSeen_;
    std::map<std::wstring, std::string> storedNames_;  // upper-cased stored name -> its source
};

}  // namespace

std::string FullAnsiPath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return length == 0 || length >= sizeof buffer ? path : std::string(buffer, length);
}

std::size_t StoredComponents(const std::string& listed) {
    const std::vector<std::string> listedParts = PathComponents(listed);
    const bool hasDotParts = std::any_of(listedParts.begin(), listedParts.end(),
                                         [](const std::string& part) { return part == "." || part == ".."; });
    return hasDotParts ? 0 : PathComponents(StoredNameFor(listed)).size();
}

std::wstring StoredNameOnDisk(const std::string& listed, const std::wstring& fullLongPath) {
    const std::string stored = StoredNameFor(listed);
    const std::vector<std::string> listedParts = PathComponents(listed);
    const bool hasDotParts = std::any_of(listedParts.begin(), listedParts.end(),
                                         [](const std::string& part) { return part == "." || part == ".."; });
    const std::size_t count = PathComponents(stored).size();
    const std::vector<std::wstring> onDisk = WideComponents(fullLongPath);
    // The listed parts end the absolute path one for one unless "." or ".."
    // steps were among them; then the listed spelling is kept.
    if (hasDotParts || count > onDisk.size()) return tarvik::WideFromAnsi(stored);
    std::wstring name;
    for (std::size_t i = onDisk.size() - count; i < onDisk.size(); ++i) {
        if (!name.empty()) name += L'\\';
        name += onDisk[i];
    }
    return name;
}

int CollectSources(const std::vector<std::string>& listed, std::vector<SourceFile>& files, OutputText& output) {
    SourceCollector collector(files, output);
    for (const std::string& name : listed) {
        if (const int result = collector.AddListed(name); result != kOk) return result;
    }
    return kOk;
}

}  // namespace cab32
