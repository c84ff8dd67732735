// The library's open files (owned by the shared handle owner) and whole-file reads.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "handle_owner.h"

namespace cab32 {

// A kernel handle closed with CloseHandle; INVALID_HANDLE_VALUE and null
// both mean "none".
using UniqueHandle = tarvik::KernelHandle;

[[nodiscard]] inline UniqueHandle OpenForReading(const std::string& path) {
    return UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Size of an open file, or -1.
inline std::int64_t FileSizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) ? size.QuadPart : -1;
}

// Reads `count` bytes at `offset`; false unless all of them were read.
inline bool ReadAt(HANDLE file, std::int64_t offset, void* buffer, DWORD count) {
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    DWORD got = 0;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ReadFile(file, buffer, count, &got, nullptr) &&
           got == count;
}

// Reads a whole small file (a list file); false when it cannot be read.
inline bool ReadWholeFile(const std::string& path, std::string& text) {
    UniqueHandle file = OpenForReading(path);
    if (!file) return false;
    const std::int64_t size = FileSizeOf(file.get());
    if (size < 0 || size > 64 * 1024 * 1024) return false;
    text.assign(static_cast<std::size_t>(size), '\0');
    return size == 0 || ReadAt(file.get(), 0, text.data(), static_cast<DWORD>(size));
}

inline bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace cab32
