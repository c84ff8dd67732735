// Files dropped onto the window and files named on the command line.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "main_window.h"
#include "sjis_path.h"
#include "wide_names.h"
#include "window_test_support.h"

using namespace testing_support;

// A main window over the scriptable library and a temporary folder.
using FileListDrops = WindowTest;
using ArchiveFieldDrops = WindowTest;

TEST_F(FileListDrops, CompressAppendsExistingPathsInDropOrderAndRewritesTheResponseFile) {
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

TEST_F(FileListDrops, OtherOperationsIgnoreDropsOnTheList) {
    const std::string a = folder.File("a.txt");
    f.Start();
    f.SelectOperation("解凍");
    Drop(f.window->ListBox1, {a});
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
    EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileListDrops, ALongPathIsTakenWhole) {
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

TEST_F(ArchiveFieldDrops, TakesTheFirstSoundCabinetOutsideCompress) {
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

namespace {

// The text with every "{}" replaced by the folder.
std::string InFolder(std::string text, const std::string& folder) {
    for (std::size_t at = text.find("{}"); at != std::string::npos; at = text.find("{}", at + folder.size())) {
        text.replace(at, 2, folder);
    }
    return text;
}

}  // namespace

// What the window makes of the files named on its command line: one sound
// cabinet is opened for extraction; files are listed and compressed at once
// into a cabinet named after the first, unless that cabinet exists already
// (it is then shown, not added to); a folder named with a trailing "\"
// changes nothing. "{}" stands for a fresh folder.
TEST(CommandLine, WhatTheArgumentsStart) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> files;  // made in the folder: name, content
        std::vector<std::string> members;  // what the library lists for any cabinet
        bool fromTheFolder;                // started with the folder as the current folder
        const char* arguments;
        std::vector<std::string> listed;
        const char* archive;         // the archive field afterwards
        const char* operation;       // the operation afterwards
        const char* commandStart;    // how the one command begins; null: the library runs none
    };
    const Case cases[] = {
        {"one sound cabinet", {{"in.cab", "MSCF"}}, {"a.txt", "b.txt"}, false, "\"{}\\in.cab\"",
         {"a.txt", "b.txt"}, "{}\\in.cab", "解凍", nullptr},
        {"one file, by a name in the current folder", {{"report.txt", "x"}}, {}, true, "report.txt",
         {"{}\\report.txt"}, "{}\\report.cab", "圧縮", "-a "},
        {"two files", {{"a.b.txt", "x"}, {"c.txt", "x"}}, {}, false, "{}\\a.b.txt {}\\c.txt",
         {"{}\\a.b.txt", "{}\\c.txt"}, "{}\\a.b.cab", "圧縮", "-a "},
        {"a folder with a trailing separator", {}, {}, false, "{}\\", {}, "", "圧縮", nullptr},
        {"a file whose cabinet exists already", {{"data.txt", "x"}, {"data.cab", "MSCF"}}, {"old.txt"}, false,
         "{}\\data.txt", {"old.txt"}, "{}\\data.cab", "圧縮", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f;
        TempFolder folder;
        for (const auto& [name, content] : c.files) folder.File(name, content);
        f.fake->SetMembers(c.members);
        if (c.fromTheFolder) SetCurrentDirectoryA(folder.path().c_str());
        f.Start("Tarvik32.exe " + InFolder(c.arguments, folder.path()));
        std::vector<std::string> listed;
        for (const std::string& entry : c.listed) listed.push_back(InFolder(entry, folder.path()));
        EXPECT_EQ(ListItems(f.window->ListBox1), listed);
        EXPECT_EQ(TextOf(f.window->edtCab), InFolder(c.archive, folder.path()));
        EXPECT_EQ(TextOf(f.window->cobPara1), c.operation);
        ASSERT_EQ(f.fake->script().cabCalls, c.commandStart ? 1 : 0);
        if (c.commandStart) {
            EXPECT_EQ(std::string(f.fake->script().lastCommand).rfind(c.commandStart, 0), 0u);
        }
    }
}
