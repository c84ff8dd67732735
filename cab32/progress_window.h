// A small window (member name and bar) that the library shows, owned by the
// caller's window, while a command takes longer than half a second. While
// the command runs, its updates keep every window of the caller's thread
// drawn (the work runs on that thread, or waits there for its workers).
#pragma once

#include <windows.h>

#include <string>

#include "progress.h"

namespace cab32 {

class ProgressWindow final : public Progress {
public:
    ProgressWindow(HINSTANCE instance, HWND owner, std::string caption);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void Update(std::string_view member, std::uint64_t done, std::uint64_t total) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Create();
    void Paint(HWND window) const;
    void PumpMessages() const;

    HINSTANCE instance_;
    HWND owner_;
    std::string caption_;
    DWORD startTick_;
    DWORD lastTick_ = 0;
    HWND window_ = nullptr;
    bool classRegistered_ = false;
    std::string member_;
    int permille_ = 0;
};

}  // namespace cab32
