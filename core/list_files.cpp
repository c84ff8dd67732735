#include "list_files.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "sjis_path.h"

namespace tarvik {

namespace {

// Owns one file handle opened with CreateFileA.
class FileHandle {
public:
    [[nodiscard]] static FileHandle Open(const std::string& path, DWORD access, DWORD disposition) {
        return FileHandle(CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&&) = delete;

    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Every line ends in CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& entries, bool quoteSpaced) {
    std::string text;
    for (const std::string& entry : entries) {
        text += quoteSpaced ? QuoteIfSpaced(entry) : entry;
        text += "\r\n";
    }
    return text;
}

// Creates or truncates the file and writes `text`. The whole text is built
// before the file is touched, so a file that cannot be created keeps its
// earlier content.
bool WriteWholeFile(const std::string& path, const std::string& text) {
    const FileHandle file = FileHandle::Open(path, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file) return false;
    std::size_t written = 0;
    while (written < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1 << 20));
        DWORD done = 0;
        if (!WriteFile(file.get(), text.data() + written, chunk, &done, nullptr) || done == 0) {
            return false;
        }
        written += done;
    }
    return true;
}

// The file's bytes up to its end or up to a read error, whichever comes first.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    const FileHandle file = FileHandle::Open(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return std::nullopt;
    std::string text;
    char buffer[64 * 1024];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    return text;
}

// Splits at LF, dropping a CR just before it, and cuts each line at its
// first NUL. LF, CR and NUL are never the second byte of a double-byte
// character, so a byte search is safe here.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lineFeed = text.find('\n', start);
        const std::size_t end = lineFeed == npos ? text.size() : lineFeed;
        std::string_view line = text.substr(start, end - start);
        if (lineFeed != npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        entries.emplace_back(line.substr(0, line.find('\0')));
        if (lineFeed == npos) break;
        start = lineFeed + 1;
    }
    return entries;
}

}  // namespace

bool WriteResponseFile(const std::string& responsePath, const std::vector<std::string>& entries) {
    return WriteWholeFile(responsePath, JoinLines(entries, true));
}

RefreshResult RefreshResponseFile(const std::string& responsePath,
                                  const std::vector<std::string>& fileList, bool noDirectories) {
    if (fileList.empty()) return RefreshResult::NothingToWrite;
    if (!noDirectories) {
        return WriteResponseFile(responsePath, fileList) ? RefreshResult::Written
                                                         : RefreshResult::Failed;
    }
    // The folder is set even when the file cannot be written; a first entry
    // without any folder leaves the current folder as it is.
    const std::string folder = FolderOfPath(fileList.front());
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
    std::vector<std::string> bareNames;
    bareNames.reserve(fileList.size());
    for (const std::string& entry : fileList) bareNames.emplace_back(FileNamePart(entry));
    return WriteResponseFile(responsePath, bareNames) ? RefreshResult::Written
                                                      : RefreshResult::Failed;
}

void DeleteResponseFile(const std::string& responsePath) {
    DeleteFileA(responsePath.c_str());
}

bool SaveListFile(const std::string& path, const std::vector<std::string>& entries) {
    return WriteWholeFile(path, JoinLines(entries, false));
}

std::optional<std::vector<std::string>> LoadListFile(const std::string& path) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return std::nullopt;
    return SplitLines(*text);
}

}  // namespace tarvik
