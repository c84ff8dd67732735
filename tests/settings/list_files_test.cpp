#include "list_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace tarvik;
using Entries = std::vector<std::string>;

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
        else DeleteFileA(path.c_str());
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    RemoveDirectoryA(folder.c_str());
}

std::string CurrentFolder() {
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

void PutBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Each test works in a fresh folder of its own under %TEMP% and gets the
// current folder back afterwards, since refreshing may change it.
class ListFiles : public testing::Test {
protected:
    void SetUp() override {
        savedFolder_ = CurrentFolder();
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "tarvik_lists_" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedFolder_.c_str());
        RemoveTree(folder_);
    }
    std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }

    std::string savedFolder_, folder_;
};

}  // namespace

TEST_F(ListFiles, SavedListLoadsAsTheSameEntries) {
    const Entries entries = {"C:\\My Documents\\a.txt", "", " blanks at both ends ", "\"quoted\"",
                             "C:\\" + std::string(600, 'L') + ".txt", "", "C:\\ソフト\\表.txt",
                             "C:\\My Documents\\a.txt"};
    const std::string path = PathOf("list.sav");
    ASSERT_TRUE(SaveListFile(path, entries));
    std::string expected;
    for (const auto& entry : entries) expected += entry + "\r\n";
    EXPECT_EQ(Bytes(path), expected) << "list files are never quoted";
    EXPECT_EQ(LoadListFile(path), entries);
}

TEST_F(ListFiles, LoadingSplitsAtLfOrCrLfAndCutsEntriesAtNul) {
    const std::string path = PathOf("typed.sav");
    constexpr char bytes[] = "C:\\a.txt\nC:\\b.txt\0junk\r\n\r\nlone\rcr\nC:\\last.txt";
    PutBytes(path, std::string(bytes, sizeof bytes - 1));
    EXPECT_EQ(LoadListFile(path), (Entries{"C:\\a.txt", "C:\\b.txt", "", "lone\rcr", "C:\\last.txt"}));
    PutBytes(path, "");
    EXPECT_EQ(LoadListFile(path), Entries{});

    EXPECT_EQ(LoadListFile(PathOf("absent.sav")), std::nullopt);
    EXPECT_EQ(LoadListFile(folder_), std::nullopt);
}

TEST_F(ListFiles, ResponseFileQuotesOnlyEntriesWithAnAsciiBlank) {
    const std::string path = PathOf("Files.txt");
    ASSERT_TRUE(WriteResponseFile(path, {"C:\\My Documents\\a.txt", "C:\\Data\\a.txt", "全角\x81\x40空白", ""}));
    EXPECT_EQ(Bytes(path), "\"C:\\My Documents\\a.txt\"\r\nC:\\Data\\a.txt\r\n全角\x81\x40空白\r\n\r\n");
    ASSERT_TRUE(WriteResponseFile(path, {}));
    EXPECT_EQ(Bytes(path), "") << "rewritten whole, never appended to";
}

TEST_F(ListFiles, UnwritableResponseFileKeepsItsOldContent) {
    EXPECT_FALSE(WriteResponseFile(PathOf("missing folder\\Files.txt"), {"a"}));
    // A file held open without sharing cannot be created anew. (A read-only
    // attribute would do on Windows, but Wine running as root ignores it.)
    const std::string path = PathOf("Files.txt");
    PutBytes(path, "old\r\n");
    const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteResponseFile(path, {"new"}));
    CloseHandle(held);
    EXPECT_EQ(Bytes(path), "old\r\n");
}

TEST_F(ListFiles, RefreshWithoutDirectoriesWritesBareNamesFromTheFirstFolder) {
    // The folder name ends in "ソ" (83 5C), whose second byte is no separator.
    const std::string folder = PathOf("データソ"), path = PathOf("Files.txt");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(RefreshResponseFile(path, {folder + "\\x.txt", "D:\\B\\y z.txt", "C:\\表"}, true),
              RefreshResult::Written);
    EXPECT_EQ(CurrentFolder(), folder);
    EXPECT_EQ(Bytes(path), "x.txt\r\n\"y z.txt\"\r\n表\r\n");

    EXPECT_EQ(RefreshResponseFile(PathOf("gone\\Files.txt"), {"C:\\x.txt"}, true), RefreshResult::Failed);
    EXPECT_EQ(CurrentFolder(), "C:\\") << "a drive root, set even though nothing was written";
}

TEST_F(ListFiles, RefreshWithDirectoriesKeepsTheCurrentFolder) {
    const std::string before = CurrentFolder(), path = PathOf("Files.txt");
    EXPECT_EQ(RefreshResponseFile(path, {"C:\\A\\x.txt", "D:\\B\\y z.txt"}, false), RefreshResult::Written);
    EXPECT_EQ(Bytes(path), "C:\\A\\x.txt\r\n\"D:\\B\\y z.txt\"\r\n");
    EXPECT_EQ(RefreshResponseFile(path, {}, true), RefreshResult::NothingToWrite);
    EXPECT_EQ(Bytes(path), "C:\\A\\x.txt\r\n\"D:\\B\\y z.txt\"\r\n");
    EXPECT_EQ(CurrentFolder(), before);
}
