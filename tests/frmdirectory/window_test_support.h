// Helpers for tests that drive real windows in this thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace window_test {

// Dispatches every message waiting in this thread's queue.
void Pump();

// A fresh folder under the temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string Child(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

bool FolderExists(const std::string& path);
std::string CurrentFolder();

// Answers every standard error box ("Tarvik32") shown in this thread while
// it lives, and keeps the texts it showed.
class ErrorBoxWatcher {
public:
    ErrorBoxWatcher();
    ~ErrorBoxWatcher();
    ErrorBoxWatcher(const ErrorBoxWatcher&) = delete;
    ErrorBoxWatcher& operator=(const ErrorBoxWatcher&) = delete;
    const std::vector<std::string>& Texts() const;

private:
    UINT_PTR timer_;
};

// Runs `action` on the first top-level window of this thread with the given
// caption, from a timer, while a modal loop (a dialog) is running.
class WhenWindowAppears {
public:
    using Action = void (*)(HWND window);
    WhenWindowAppears(const std::string& caption, Action action);
    ~WhenWindowAppears();
    WhenWindowAppears(const WhenWindowAppears&) = delete;
    WhenWindowAppears& operator=(const WhenWindowAppears&) = delete;
    bool Ran() const;

private:
    UINT_PTR timer_;
};

}  // namespace window_test
