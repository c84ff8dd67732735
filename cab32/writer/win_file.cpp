#include "win_file.h"

namespace cab32 {

WinFile& WinFile::operator=(WinFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = INVALID_HANDLE_VALUE;
    }
    return *this;
}

WinFile WinFile::OpenForReading(const std::wstring& path) {
    return WinFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

WinFile WinFile::CreateNew(const std::string& path) {
    return WinFile(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

WinFile WinFile::CreateScratch() {
    char folder[MAX_PATH + 1];
    char path[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH) return WinFile();
    if (GetTempFileNameA(folder, "cab", 0, path) == 0) return WinFile();
    return WinFile(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

WinFile WinFile::OpenForUpdate(const std::string& path) {
    return WinFile(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WinFile::Size(std::uint64_t& size) const {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(handle_, &value)) return false;
    size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

bool WinFile::Read(void* buffer, std::uint32_t count, std::uint32_t& got) {
    got = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (got < count) {
        DWORD done = 0;
        if (!ReadFile(handle_, bytes + got, count - got, &done, nullptr)) return false;
        if (done == 0) break;
        got += done;
    }
    return true;
}

bool WinFile::Write(const void* buffer, std::uint32_t count) {
    const auto* bytes = static_cast<const char*>(buffer);
    std::uint32_t written = 0;
    while (written < count) {
        DWORD done = 0;
        if (!WriteFile(handle_, bytes + written, count - written, &done, nullptr) || done == 0) return false;
        written += done;
    }
    return true;
}

bool WinFile::Seek(std::uint64_t position) {
    LARGE_INTEGER target;
    target.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(handle_, target, nullptr, FILE_BEGIN) != 0;
}

void WinFile::Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace cab32
