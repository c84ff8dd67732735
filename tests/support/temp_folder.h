// Temporary folders for tests that write files.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// A folder for one test's files, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` inside the folder.
    std::string Child(const std::string& name) const { return path_ + "\\" + name; }
    // Writes a file in the folder and returns its path.
    std::string File(const std::string& name, const std::string& content = "x") const;
    // Every file under the folder, as paths relative to it, sorted.
    std::vector<std::string> Files() const;

private:
    std::string path_;
};

// Every file under `folder`, as paths relative to it, sorted.
std::vector<std::string> FilesUnder(const std::string& folder);

// Deletes a folder and everything in it, following nothing but its own entries.
void DeleteTree(const std::string& folder);

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// The same for a file named as the disk holds it.
std::string ReadWideFile(const std::wstring& path);
bool WriteWideFile(const std::wstring& path, const std::string& content);

bool FolderExists(const std::string& path);
// The process's current folder.
std::string CurrentFolder();

}  // namespace testing_support
