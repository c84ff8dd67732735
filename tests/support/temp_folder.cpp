#include "temp_folder.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sjis_path.h"
#include "wide_names.h"

namespace testing_support {

namespace {

}  // namespace

namespace {

// Names as the disk holds them: a test may leave names behind that code
// page 932 cannot spell.
void DeleteWideTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteWideTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

void DeleteTree(const std::string& folder) { DeleteWideTree(tarvik::WideFromAnsi(folder)); }

namespace {

std::string TempBase() {
    char base[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, base);
    if (length == 0 || length >= MAX_PATH) throw std::runtime_error("no temporary folder");
    return base;
}

// Adds the files under `folder` to `files`, named relative to the top.
void CollectFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>& files) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectFiles(folder + "\\" + name, prefix + name + "\\", files);
        } else {
            files.push_back(prefix + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

TempFolder::TempFolder() {
    static int counter = 0;
    const std::string base = TempBase();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::string candidate = base + "tarvik_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                                      std::to_string(++counter);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    SetCurrentDirectoryA(tarvik::ExeFolder().c_str());
    // Only ever a folder this object made inside the temporary folder.
    if (path_.rfind(TempBase() + "tarvik_test_", 0) == 0) DeleteTree(path_);
}

std::string TempFolder::File(const std::string& name, const std::string& content) const {
    const std::string path = Child(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    CollectFiles(folder, "", files);
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> TempFolder::Files() const { return FilesUnder(path_); }

std::string ReadWideFile(const std::wstring& path) {
    std::string content;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return content;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    return content;
}

bool WriteWideFile(const std::wstring& path, const std::string& content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const bool written = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &put, nullptr) &&
                         put == content.size();
    CloseHandle(file);
    return written;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CurrentFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    return std::string(buffer, length < MAX_PATH ? length : 0);
}

}  // namespace testing_support
