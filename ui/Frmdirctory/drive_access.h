// Owners of what the folder chooser holds while it reads drives: a file
// search and the process error mode while a drive is touched.
#pragma once

#include <windows.h>

#include <string>

#include "handle_owner.h"

namespace tarvik {

struct CloseFileSearch {
    static bool IsNone(HANDLE search) { return search == nullptr || search == INVALID_HANDLE_VALUE; }
    void operator()(HANDLE search) const { FindClose(search); }
};

// Owns one FindFirstFileA search and walks its entries.
class FileSearch {
public:
    [[nodiscard]] static FileSearch Start(const std::string& pattern) {
        FileSearch search;
        search.handle_ = OwnedHandle<HANDLE, CloseFileSearch>(FindFirstFileA(pattern.c_str(), &search.entry_));
        return search;
    }

    bool Found() const { return static_cast<bool>(handle_); }
    const WIN32_FIND_DATAA& Entry() const { return entry_; }
    [[nodiscard]] bool Next() { return FindNextFileA(handle_.get(), &entry_) != FALSE; }

private:
    FileSearch() = default;
    OwnedHandle<HANDLE, CloseFileSearch> handle_;
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
