// Files dropped onto the window and files named on the command line.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>

#include "main_window.h"
#include "sjis_path.h"
#include "wide_names.h"
#include "window_test_support.h"

using namespace testing_support;

TEST(FileListDrops, CompressAppendsExistingPathsInDropOrderAndRewritesTheResponseFile) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string a = folder.File("a.txt");
    const std::string b = folder.File("b b.txt");
    const std::string gone = folder.path() + "\\gone.txt";
    CreateDirectoryA((folder.path() + "\\sub").c_str(), nullptr);
    f.Start();
    f.window->SetFileList({a});
    Drop(f.window->ListBox1, {b, gone, folder.path() + "\\sub", a});
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{a, b, folder.path() + "\\sub", a}));
    const std::string listed = a + "\r\n\"" + b + "\"\r\n" + folder.path() + "\\sub\r\n" + a + "\r\n";
    EXPECT_EQ(ReadFile(ResponseFile()), listed);

    // A drop of nothing that exists still rewrites the file from the list.
    std::ofstream(ResponseFile(), std::ios::binary) << "stale\r\n";
    Drop(f.window->ListBox1, {gone});
    EXPECT_EQ(ListItems(f.window->ListBox1).size(), 4u);
    EXPECT_EQ(ReadFile(ResponseFile()), listed);
}

TEST(FileListDrops, OtherOperationsIgnoreDropsOnTheList) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string a = folder.File("a.txt");
    f.Start();
    f.SelectOperation("解凍");
    Drop(f.window->ListBox1, {a});
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
    EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FileListDrops, ALongPathIsTakenWhole) {
    MainWindowFixture f;
    TempFolder folder;
    // 259 bytes of the path name another existing file.
    std::string deep = folder.path();
    while (deep.size() < 240) {
        deep += "\\dddddddddddddddddddd";
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    // The first 259 bytes of the dropped path name an existing file.
    const std::string shortName = deep + "\\" + std::string(258 - deep.size(), 'f');
    ASSERT_EQ(shortName.size(), 259u);
    std::ofstream(shortName) << "x";
    ASSERT_NE(GetFileAttributesA(shortName.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string longName = shortName + "_longer_name.txt";
    f.Start();
    Drop(f.window->ListBox1, {longName});
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
}

TEST(ArchiveFieldDrops, TakesTheFirstSoundCabinetOutsideCompress) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string first = folder.File("first.cab", "MSCF");
    const std::string second = folder.File("second.cab", "MSCF");
    const std::string text = folder.File("note.txt", "text");
    f.fake->script().checkAnswer = fake_cab32::kCheckCabinetFile;
    f.fake->SetMembers({"m1", "m2"});
    f.Start();
    Drop(f.window->edtCab, {first});
    EXPECT_EQ(TextOf(f.window->edtCab), "");  // Compress: the field takes no drops

    f.SelectOperation("解凍");
    Drop(f.window->edtCab, {text});
    EXPECT_EQ(TextOf(f.window->edtCab), "");
    Drop(f.window->edtCab, {second, first});
    EXPECT_EQ(TextOf(f.window->edtCab), second);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"m1", "m2"}));
    EXPECT_TRUE(f.window->FileListIsMultiSelect());
    // The re-made list keeps taking drops.
    f.SelectOperation("圧縮");
    Drop(f.window->ListBox1, {text});
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{text}));
}

TEST(CommandLine, SplitsOnControlCharactersAndQuotes) {
    using tarvik::SplitArguments;
    EXPECT_TRUE(SplitArguments(L"Tarvik32.exe").empty());
    EXPECT_EQ(SplitArguments(L"\"C:\\Program Files\\T.exe\" a.txt\t\"b c.txt\""),
              (std::vector<std::wstring>{L"a.txt", L"b c.txt"}));
    EXPECT_EQ(SplitArguments(L"t.exe \"\" x"), (std::vector<std::wstring>{L"x"}));
    EXPECT_EQ(SplitArguments(L"t.exe a\"b c\"d \x01 e"), (std::vector<std::wstring>{L"ab cd", L"e"}));
    EXPECT_EQ(SplitArguments(L"t.exe \"open"), (std::vector<std::wstring>{L"open"}));
    EXPECT_EQ(SplitArguments(L"t.exe C:\\ソ\\表.txt \"C:\\\uD55C\uAE00 \U0001F600.txt\""),
              (std::vector<std::wstring>{L"C:\\ソ\\表.txt", L"C:\\\uD55C\uAE00 \U0001F600.txt"}));
}

TEST(CommandLine, ANameOutsideShiftJisIsListedUnderAPathThatNamesIt) {
    MainWindowFixture f;
    TempFolder folder;
    folder.File("Cafe.txt", "best-fit twin");
    const std::wstring cafe = tarvik::WideFromAnsi(folder.path()) + L"\\Caf\u00E9.txt";
    ASSERT_TRUE(WriteWideFile(cafe, "the real one"));
    const std::string other = folder.File("other.txt");
    f.Start(L"Tarvik32.exe \"" + cafe + L"\" " + tarvik::WideFromAnsi(other));
    const std::vector<std::string> listed = ListItems(f.window->ListBox1);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(ReadFile(listed[0]), "the real one");
    EXPECT_EQ(listed[1], other);
    EXPECT_EQ(f.fake->script().cabCalls, 1);
    for (const ShownMessage& message : f.steps.messages) EXPECT_EQ(message.text.find("Shift-JIS"), std::string::npos);
}

TEST(CommandLine, OneSoundCabinetIsOpenedForExtraction) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string cabinet = folder.File("in.cab", "MSCF");
    f.fake->script().checkAnswer = fake_cab32::kCheckCabinetFile;
    f.fake->SetMembers({"a.txt", "b.txt"});
    f.Start("Tarvik32.exe \"" + cabinet + "\"");
    EXPECT_EQ(TextOf(f.window->edtCab), cabinet);
    EXPECT_EQ(TextOf(f.window->cobPara1), "解凍");
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(f.fake->script().cabCalls, 0);
}

TEST(CommandLine, OneFileIsCompressedIntoACabinetNamedAfterIt) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string file = folder.File("report.txt");
    SetCurrentDirectoryA(folder.path().c_str());
    f.Start("Tarvik32.exe report.txt");
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{file}));
    EXPECT_EQ(TextOf(f.window->edtCab), folder.path() + "\\report.cab");
    ASSERT_EQ(f.fake->script().cabCalls, 1);
    EXPECT_EQ(std::string(f.fake->script().lastCommand).rfind("-a ", 0), 0u);
}

TEST(CommandLine, TwoFilesAreCompressedTogether) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string a = folder.File("a.b.txt");
    const std::string b = folder.File("c.txt");
    f.Start("Tarvik32.exe " + a + " " + b);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{a, b}));
    EXPECT_EQ(TextOf(f.window->edtCab), folder.path() + "\\a.b.cab");
    EXPECT_EQ(f.fake->script().cabCalls, 1);
}

TEST(CommandLine, AFolderWithATrailingSeparatorChangesNothing) {
    MainWindowFixture f;
    TempFolder folder;
    f.Start("Tarvik32.exe " + folder.path() + "\\");
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
    EXPECT_EQ(TextOf(f.window->edtCab), "");
    EXPECT_EQ(f.fake->script().cabCalls, 0);
}

TEST(CommandLine, AnExistingDerivedCabinetIsNeverAddedTo) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string file = folder.File("data.txt");
    folder.File("data.cab", "MSCF");
    f.fake->script().checkAnswer = fake_cab32::kCheckCabinetFile;
    f.fake->SetMembers({"old.txt"});
    f.Start("Tarvik32.exe " + file);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"old.txt"}));
    EXPECT_EQ(f.fake->script().cabCalls, 0);
}
