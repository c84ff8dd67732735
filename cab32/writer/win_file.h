// A small owner of a Win32 file handle with the few calls the cabinet
// writer makes: open, create, read and write whole buffers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace cab32 {

class WinFile {
public:
    WinFile() = default;
    WinFile(const WinFile&) = delete;
    WinFile& operator=(const WinFile&) = delete;
    WinFile(WinFile&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    WinFile& operator=(WinFile&& other) noexcept;
    ~WinFile() { Close(); }

    [[nodiscard]] static WinFile OpenForReading(const std::wstring& path);
    // Fails when the file already exists: a cabinet never replaces a file.
    [[nodiscard]] static WinFile CreateNew(const std::string& path);
    // A scratch file in the temporary folder, removed when closed.
    [[nodiscard]] static WinFile CreateScratch();
    // An existing file opened for writing in place (nothing cut off).
    [[nodiscard]] static WinFile OpenForUpdate(const std::string& path);

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Size(std::uint64_t& size) const;
    // Reads up to `count` bytes; `got` < count only at the end of the file.
    bool Read(void* buffer, std::uint32_t count, std::uint32_t& got);
    bool Write(const void* buffer, std::uint32_t count);
    bool Seek(std::uint64_t position);
    void Close();

private:
    explicit WinFile(HANDLE handle) : handle_(handle) {}
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace cab32
