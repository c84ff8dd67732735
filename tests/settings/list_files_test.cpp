#include "list_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

using namespace tarvik;

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string CurrentFolder() {
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

// Each test works in a fresh folder of its own under %TEMP%, and gets the
// current folder back afterwards, since some cases change it.
class ListFiles : public testing::Test {
protected:
    void SetUp() override {
        savedFolder_ = CurrentFolder();
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::string(temp) + "tarvik_lists_" + std::to_string(GetCurrentProcessId()) +
                  "_" + info->name();
        RemoveTree(folder_);
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedFolder_.c_str());
        RemoveTree(folder_);
    }

    std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }

    static std::string Bytes(const std::string& path) {
        std::string text;
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
        CloseHandle(file);
        return text;
    }

    static void PutBytes(const std::string& path, const std::string& bytes) {
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD done = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(file);
    }

    std::string savedFolder_;
    std::string folder_;
};

}  // namespace

TEST_F(ListFiles, SavedListLoadsAsTheSameEntries) {
    const std::vector<std::string> entries = {
        "C:\\My Documents\\a.txt", "", " blanks at both ends ", "\"already quoted\"",
        "C:\\" + std::string(600, 'L') + ".txt", "", "C:\\ソフト\\表.txt", "C:\\My Documents\\a.txt",
    };
    const std::string path = PathOf("list.sav");
    ASSERT_TRUE(SaveListFile(path, entries));

    std::string expected;
    for (const auto& entry : entries) expected += entry + "\r\n";
    EXPECT_EQ(Bytes(path), expected) << "list files are never quoted";

    const auto loaded = LoadListFile(path);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(*loaded, entries);
}

TEST_F(ListFiles, LinesEndAtLfOrCrLfAndTheLastNeedsNoEnd) {
    const std::string path = PathOf("mixed.sav");
    PutBytes(path, "C:\\a.txt\nC:\\b.txt\r\n\r\nlone\rcr\nC:\\last.txt");
    EXPECT_EQ(LoadListFile(path),
              (std::vector<std::string>{"C:\\a.txt", "C:\\b.txt", "", "lone\rcr", "C:\\last.txt"}));

    PutBytes(path, "");
    EXPECT_EQ(LoadListFile(path), std::vector<std::string>{});
    PutBytes(path, "\r\n");
    EXPECT_EQ(LoadListFile(path), std::vector<std::string>{""});
}

TEST_F(ListFiles, NulEndsTheEntryAndDropsTheRestOfItsLine) {
    const std::string path = PathOf("with_nul.sav");
    constexpr char bytes[] = "C:\\a.txt\0junk\r\nC:\\b.txt\r\n\0\r\n";
    PutBytes(path, std::string(bytes, sizeof bytes - 1));
    EXPECT_EQ(LoadListFile(path), (std::vector<std::string>{"C:\\a.txt", "C:\\b.txt", ""}));
}

TEST_F(ListFiles, NothingIsLoadedFromAMissingFileOrAFolder) {
    EXPECT_EQ(LoadListFile(PathOf("absent.sav")), std::nullopt);
    EXPECT_EQ(LoadListFile(folder_), std::nullopt);
    EXPECT_FALSE(SaveListFile(PathOf("no such folder\\list.sav"), {"a"}));
}

TEST_F(ListFiles, ResponseFileQuotesOnlyEntriesWithAnAsciiBlank) {
    const std::string path = PathOf("Files.txt");
    ASSERT_TRUE(WriteResponseFile(path, {"C:\\My Documents\\a.txt", "C:\\Data\\a.txt",
                                         "C:\\全角\x81\x40空白.txt", ""}));
    EXPECT_EQ(Bytes(path),
              "\"C:\\My Documents\\a.txt\"\r\nC:\\Data\\a.txt\r\nC:\\全角\x81\x40空白.txt\r\n\r\n");

    // Rewritten whole: a shorter list leaves nothing of the longer one, and
    // an empty list leaves an empty file.
    ASSERT_TRUE(WriteResponseFile(path, {"x"}));
    EXPECT_EQ(Bytes(path), "x\r\n");
    ASSERT_TRUE(WriteResponseFile(path, {}));
    EXPECT_EQ(Bytes(path), "");
}

TEST_F(ListFiles, UnwritableResponseFileKeepsItsOldContent) {
    EXPECT_FALSE(WriteResponseFile(PathOf("missing folder\\Files.txt"), {"a"}));
    EXPECT_EQ(Bytes(PathOf("missing folder\\Files.txt")), "<missing>");

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
    // The folder name ends in "ソ" (83 5C): its second byte is no separator.
    const std::string folder = PathOf("データソ");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string path = PathOf("Files.txt");

    EXPECT_EQ(RefreshResponseFile(path, {folder + "\\x.txt", "D:\\B\\y z.txt", "C:\\表"}, true),
              RefreshResult::Written);
    EXPECT_EQ(CurrentFolder(), folder);
    EXPECT_EQ(Bytes(path), "x.txt\r\n\"y z.txt\"\r\n表\r\n");
}

TEST_F(ListFiles, RefreshFromADriveRootMakesTheRootCurrent) {
    EXPECT_EQ(RefreshResponseFile(PathOf("Files.txt"), {"C:\\x.txt"}, true), RefreshResult::Written);
    EXPECT_EQ(CurrentFolder(), "C:\\");
}

TEST_F(ListFiles, RefreshWithDirectoriesWritesFullEntriesWhereverItRuns) {
    const std::string before = CurrentFolder();
    const std::string path = PathOf("Files.txt");
    EXPECT_EQ(RefreshResponseFile(path, {"C:\\A\\x.txt", "D:\\B\\y z.txt"}, false),
              RefreshResult::Written);
    EXPECT_EQ(Bytes(path), "C:\\A\\x.txt\r\n\"D:\\B\\y z.txt\"\r\n");
    EXPECT_EQ(CurrentFolder(), before);
}

TEST_F(ListFiles, RefreshOfAnEmptyListTouchesNothing) {
    const std::string before = CurrentFolder();
    const std::string path = PathOf("Files.txt");
    PutBytes(path, "kept\r\n");
    EXPECT_EQ(RefreshResponseFile(path, {}, true), RefreshResult::NothingToWrite);
    EXPECT_EQ(Bytes(path), "kept\r\n");
    EXPECT_EQ(CurrentFolder(), before);
}

TEST_F(ListFiles, RefreshChangesTheFolderEvenWhenTheFileCannotBeWritten) {
    EXPECT_EQ(RefreshResponseFile(PathOf("gone\\Files.txt"), {folder_ + "\\a.txt"}, true),
              RefreshResult::Failed);
    EXPECT_EQ(CurrentFolder(), folder_);
}

TEST_F(ListFiles, DeletingTheResponseFileTwiceIsHarmless) {
    const std::string path = PathOf("Files.txt");
    PutBytes(path, "x\r\n");
    DeleteResponseFile(path);
    EXPECT_EQ(Bytes(path), "<missing>");
    DeleteResponseFile(path);
    EXPECT_EQ(Bytes(path), "<missing>");
}
