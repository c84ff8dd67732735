#include "sjis_path.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace tarvik;

TEST(ShiftJisPaths, SeparatorSearchStepsOverTrailBytesAndRootsKeepTheirSeparator) {
    // "ソ" is 83 5C and "表" is 95 5C: their second byte is no separator.
    const std::string path = "C:\\ソフト\\表";
    ASSERT_EQ(std::string("ソ"), "\x83\x5C");
    EXPECT_EQ(LastPathSeparator(path), 9u);
    EXPECT_EQ(FileNamePart(path), "表");
    EXPECT_EQ(LastPathSeparator("ソ"), npos);
    EXPECT_EQ(FileNamePart("C:\\データ\\ソ"), "ソ");
    EXPECT_EQ(FolderOfPath("C:\\ソ\\a.txt"), "C:\\ソ");
    EXPECT_EQ(FolderOfPath("C:\\能\\表"), "C:\\能");
    EXPECT_EQ(FileNamePart("a:b"), "b");
    EXPECT_EQ(FileNamePart("plain"), "plain");
    // The folder of a root keeps its separator.
    EXPECT_EQ(FolderOfPath("C:\\app.exe"), "C:\\");
    EXPECT_EQ(FolderOfPath("C:\\Tools\\app.exe"), "C:\\Tools");
    EXPECT_EQ(FolderOfPath("C:app.exe"), "C:");
    EXPECT_EQ(FolderOfPath("\\app.exe"), "\\");
    EXPECT_EQ(FolderOfPath("\\\\server\\share\\app.exe"), "\\\\server\\share");
    EXPECT_EQ(FolderOfPath("app.exe"), "");
    // A trail byte 5C is no separator at the end either.
    EXPECT_TRUE(EndsWithSeparator("C:\\"));
    EXPECT_TRUE(EndsWithSeparator("C:\\out\\"));
    EXPECT_FALSE(EndsWithSeparator("C:\\ソ"));
    EXPECT_FALSE(EndsWithSeparator(""));
}

TEST(ShiftJisPaths, ExtensionIsFoundInTheFileNameOnly) {
    EXPECT_EQ(ReplaceExtension("C:\\Docs\\report.txt", ".cab"), "C:\\Docs\\report.cab");
    EXPECT_EQ(ReplaceExtension("C:\\Docs\\README", ".cab"), "C:\\Docs\\README.cab");
    EXPECT_EQ(ReplaceExtension("C:\\my.dir\\notes", ".cab"), "C:\\my.dir\\notes.cab");
    EXPECT_EQ(ReplaceExtension("C:\\Docs\\a.b.txt", ".cab"), "C:\\Docs\\a.b.cab");
    EXPECT_EQ(ReplaceExtension("C:\\ソ.d\\ソ", ".cab"), "C:\\ソ.d\\ソ.cab");
    EXPECT_EQ(InsertBeforeExtension("D:\\out\\a.cab", "01"), "D:\\out\\a01.cab");
    EXPECT_EQ(InsertBeforeExtension("D:\\my.dir\\a.cab", "01"), "D:\\my.dir\\a01.cab");
    EXPECT_EQ(InsertBeforeExtension("D:\\my.dir\\archive", "1"), "D:\\my.dir\\archive1");
}

// Quoting and case folding look at ASCII bytes only, never at a trail byte.
TEST(ShiftJisPaths, QuotingAndCaseFoldingTakeAsciiOnly) {
    EXPECT_EQ(QuoteIfSpaced("C:\\My Files\\a.cab"), "\"C:\\My Files\\a.cab\"");
    EXPECT_EQ(QuoteIfSpaced("C:\\x\\a b"), "\"C:\\x\\a b\"");
    EXPECT_EQ(QuoteIfSpaced("C:\\Data\\a.cab"), "C:\\Data\\a.cab");
    EXPECT_EQ(QuoteIfSpaced("全角\x81\x40空白"), "全角\x81\x40空白");
    EXPECT_EQ(QuoteIfSpaced(""), "");
    // Case is ignored for ASCII letters only.
    EXPECT_TRUE(SameTextIgnoringCase("MSZIP", "mszip"));
    EXPECT_TRUE(SameTextIgnoringCase("圧縮", "圧縮"));
    EXPECT_FALSE(SameTextIgnoringCase("圧縮", "解凍"));
    EXPECT_FALSE(SameTextIgnoringCase("-a", "-a "));
    // A trail byte that happens to be a letter is not folded: "ア" is 83 41.
    EXPECT_FALSE(SameTextIgnoringCase("\x83\x41", "\x83\x61"));
}

TEST(ShiftJisPaths, ExeFolderIsTheFolderOfTheRunningProgram) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string folder = ExeFolder();
    EXPECT_EQ(std::string(path).rfind(folder + "\\", 0), 0u);
    EXPECT_FALSE(EndsWithSeparator(folder));
}
