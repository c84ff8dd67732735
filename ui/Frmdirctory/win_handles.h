// Owners of what the folder chooser holds while it reads drives: a file
// search and the process error mode while a drive is touched.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace tarvik {

// Owns one FindFirstFileA search and walks its entries.
class FileSearch {
public:
    [[nodiscard]] static FileSearch Start(const std::string& pattern) {
        FileSearch search;
        search.handle_ = FindFirstFileA(pattern.c_str(), &search.entry_);
        return search;
    }
    ~FileSearch() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    FileSearch(FileSearch&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)), entry_(other.entry_) {}
    FileSearch& operator=(FileSearch&&) = delete;

    bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAA& Entry() const { return entry_; }
    [[nodiscard]] bool Next() { return FindNextFileA(handle_, &entry_) != FALSE; }

private:
    FileSearch() = default;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA entry_{};
};

// Keeps the system from asking "insert a disk" while a drive without a
// medium is touched; the failure then comes back as an error code.
class QuietDriveErrors {
public:
    QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {
        SetErrorMode(previous_ | SEM_FAILCRITICALERRORS);
    }
    ~QuietDriveErrors() { SetErrorMode(previous_); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    UINT previous_;
};

}  // namespace tarvik
