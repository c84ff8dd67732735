// The file list panel, the archive and folder fields, selective extraction
// and the Help menu, driven in-process with scripted dialogs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <fstream>

#include "sjis_path.h"
#include "window_test_support.h"

using namespace testing_support;
using tarvik::FileDialogAnswer;

namespace {

void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

FileDialogAnswer Confirmed(std::vector<std::string> names) { return {true, std::move(names), {}}; }

// Types a text into the archive field one character at a time.
void TypeArchivePath(MainWindowFixture& f, const std::string& path, std::vector<std::size_t>& listSizes) {
    SetWindowTextA(f.window->edtCab, "");
    for (std::size_t length = 1; length <= path.size(); ++length) {
        SetWindowTextA(f.window->edtCab, path.substr(0, length).c_str());
        listSizes.push_back(ListItems(f.window->ListBox1).size());
    }
}

}  // namespace

// A main window over the scriptable library and a temporary folder.
using FileListPanel = WindowTest;
using ArchiveField = WindowTest;
using FolderField = WindowTest;
using NoDirectoriesWhenCompressing = WindowTest;
using SelectiveExtraction = WindowTest;
using HelpMenu = WindowTest;

TEST_F(FileListPanel, AddReplacesTheListAndACancelKeepsIt) {
    const std::vector<std::string> chosen = {folder.File("x.txt"), folder.File("y z.txt"), folder.File("w.txt")};
    f.Start();
    f.window->SetFileList({"old1", "old2"});
    f.steps.dialogAnswers.push_back(Confirmed(chosen));
    Click(f.window->cmdAdd);
    EXPECT_EQ(ListItems(f.window->ListBox1), chosen);
    EXPECT_EQ(ReadFile(ResponseFile()), chosen[0] + "\r\n\"" + chosen[1] + "\"\r\n" + chosen[2] + "\r\n");
    ASSERT_EQ(f.steps.dialogRequests.size(), 1u);
    EXPECT_EQ(f.steps.dialogRequests[0].filter, "ALL FILES|*.*");
    EXPECT_TRUE(f.steps.dialogRequests[0].flags & OFN_ALLOWMULTISELECT);
    EXPECT_TRUE(f.steps.dialogRequests[0].flags & OFN_FILEMUSTEXIST);

    Click(f.window->cmdAdd);  // cancelled
    EXPECT_EQ(ListItems(f.window->ListBox1), chosen);
    EXPECT_EQ(ReadFile(ResponseFile()), chosen[0] + "\r\n\"" + chosen[1] + "\"\r\n" + chosen[2] + "\r\n");
}

TEST_F(FileListPanel, AddTellsWhichChosenFilesNoShiftJisPathCanName) {
    const std::string kept = folder.File("x.txt");
    f.Start();
    FileDialogAnswer answer = Confirmed({kept});
    answer.refused = {"Caf?.txt", "??.txt"};
    f.steps.dialogAnswers.push_back(answer);
    Click(f.window->cmdAdd);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{kept}));
    ASSERT_EQ(f.steps.messages.size(), 1u);
    EXPECT_NE(f.steps.messages[0].text.find("\nCaf?.txt\n??.txt"), std::string::npos) << f.steps.messages[0].text;
    EXPECT_TRUE(f.steps.messages[0].type & MB_ICONWARNING);
}

TEST_F(FileListPanel, RemoveTakesTheCurrentEntryOnly) {
    f.Start();
    f.window->SetFileList({"a", "b", "c"});
    Click(f.window->cmdDel);  // nothing selected
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(ReadFile(ResponseFile()), "a\r\nb\r\nc\r\n");
    SendMessageA(f.window->ListBox1, LB_SETCURSEL, 1, 0);
    Click(f.window->cmdDel);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"a", "c"}));
    SendMessageA(f.window->ListBox1, LB_SETCURSEL, 0, 0);
    Click(f.window->cmdDel);
    SendMessageA(f.window->ListBox1, LB_SETCURSEL, 0, 0);
    Click(f.window->cmdDel);
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
    EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()) != INVALID_FILE_ATTRIBUTES, true);
    EXPECT_EQ(ReadFile(ResponseFile()), "");
}

TEST_F(FileListPanel, RemoveInMultipleSelectionUsesTheFocusedEntry) {
    const std::string cabinet = folder.File("in.cab", "MSCF");
    f.fake->SetMembers({"m1", "m2", "m3"});
    f.Start();
    f.SetArchivePath(cabinet);  // a valid cabinet fills the list, even in Compress
    ASSERT_TRUE(f.window->FileListIsMultiSelect());
    SendMessageA(f.window->ListBox1, LB_SETCARETINDEX, 2, FALSE);
    Click(f.window->cmdDel);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"m1", "m2"}));
}

TEST_F(FileListPanel, ClearDeletesTheResponseFile) {
    f.Start();
    f.window->SetFileList({"a"});
    std::ofstream(ResponseFile()) << "a\r\n";
    Click(f.window->cmdClear);
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
    EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileListPanel, SaveAndLoadShareTheirDialogsWithTheArchiveBrowse) {
    const std::string listFile = folder.path() + "\\a.sav";
    f.Start();
    Click(f.window->cmdListSave);  // empty list: a notice, no dialog
    ASSERT_EQ(f.steps.messages.size(), 1u);
    EXPECT_EQ(f.steps.messages[0].text, "リストが存在しません");
    EXPECT_EQ(f.steps.messages[0].caption, "Tarvik32");
    EXPECT_EQ(f.steps.messages[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(f.steps.dialogRequests.empty());

    f.window->SetFileList({"first entry", "", "C:\\x\\y.txt"});
    f.steps.dialogAnswers.push_back(Confirmed({listFile}));
    Click(f.window->cmdListSave);
    EXPECT_EQ(ReadFile(listFile), "first entry\r\n\r\nC:\\x\\y.txt\r\n");
    EXPECT_EQ(f.steps.dialogRequests.back().defaultExtension, "sav");
    EXPECT_TRUE(f.steps.dialogRequests.back().flags & OFN_OVERWRITEPROMPT);

    // The archive browse in Compress opens the same save dialog, with that name.
    Click(f.window->Button1);
    EXPECT_EQ(f.steps.dialogRequests.back().initialName, listFile);
    EXPECT_EQ(f.steps.dialogRequests.back().filter, "CAB Files|*.cab");
    EXPECT_EQ(TextOf(f.window->edtCab), "");  // cancelled: the field keeps its text

    f.window->SetFileList({"other"});
    f.steps.dialogAnswers.push_back(Confirmed({listFile}));
    Click(f.window->cmdListLoad);
    f.steps.dialogAnswers.push_back(Confirmed({listFile}));
    Click(f.window->cmdListLoad);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"first entry", "", "C:\\x\\y.txt"}));
    EXPECT_EQ(f.steps.dialogRequests.back().initialName, "");
    EXPECT_EQ(f.steps.dialogRequests.back().filter, "Save File|*.sav");
}

TEST_F(FileListPanel, LoadCancelledOrMissingKeepsTheList) {
    f.Start();
    f.window->SetFileList({"keep"});
    Click(f.window->cmdListLoad);
    f.steps.dialogAnswers.push_back(Confirmed({folder.path() + "\\missing.sav"}));
    Click(f.window->cmdListLoad);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"keep"}));
}

TEST_F(ArchiveField, MembersAppearOnlyWhileTheTextNamesASoundCabinet) {
    const std::string cabinet = folder.File("in.cab", "MSCF");
    f.fake->SetMembers({"one", "two", "three", "four", "five"});
    f.Start();
    f.SelectOperation("解凍");
    std::vector<std::size_t> sizes;
    TypeArchivePath(f, cabinet, sizes);
    // Nothing until the last keystroke names the cabinet.
    EXPECT_EQ(std::count(sizes.begin(), sizes.end(), 0u), static_cast<long>(sizes.size() - 1));
    EXPECT_EQ(sizes.back(), 5u);
    EXPECT_TRUE(f.window->FileListIsMultiSelect());
    // One more keystroke names no cabinet: the list stays.
    SetWindowTextA(f.window->edtCab, (cabinet + "x").c_str());
    EXPECT_EQ(ListItems(f.window->ListBox1).size(), 5u);
    SetWindowTextA(f.window->edtCab, "");
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
}

TEST_F(ArchiveField, CabinetWithoutMembersSwitchesToSingleSelection) {
    const std::string full = folder.File("full.cab", "MSCF");
    const std::string empty = folder.File("empty.cab", "MSCF");
    f.fake->SetMembers({"one"});
    f.Start();
    f.SelectOperation("検査");
    f.SetArchivePath(full);
    EXPECT_TRUE(f.window->FileListIsMultiSelect());
    f.fake->SetMembers({});
    f.SetArchivePath(empty);
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
    EXPECT_FALSE(f.window->FileListIsMultiSelect());
}

TEST_F(ArchiveField, BrowseOutsideCompressTakesOnlyExistingNamesAndCancelsChangeNothing) {
    const std::string cabinet = folder.File("in.cab", "MSCF");
    f.Start();
    f.SelectOperation("内容一覧");
    f.steps.dialogAnswers.push_back(Confirmed({folder.path() + "\\missing.cab"}));
    Click(f.window->Button1);
    EXPECT_EQ(TextOf(f.window->edtCab), "");
    f.steps.dialogAnswers.push_back(Confirmed({cabinet}));
    Click(f.window->Button1);
    EXPECT_EQ(TextOf(f.window->edtCab), cabinet);
    EXPECT_EQ(f.steps.dialogRequests.back().defaultExtension, "cab");
    SetWindowTextA(f.window->edtCab, "typed");
    Click(f.window->Button1);  // cancelled
    EXPECT_EQ(TextOf(f.window->edtCab), "typed");
    EXPECT_EQ(f.steps.dialogRequests.back().initialName, cabinet);
}

TEST_F(FolderField, TakesTheChosenFolderHoweverTheChooserEnded) {
    f.Start();
    f.SelectOperation("解凍");
    f.steps.chosenFolder.clear();
    SetWindowTextA(f.window->edtMelt, "D:\\typed\\");
    Click(f.window->cmdDirec);
    EXPECT_EQ(f.steps.folderChooserShown, 1);
    EXPECT_EQ(TextOf(f.window->edtMelt), "");
    f.steps.chosenFolder = "D:\\out\\";
    SetWindowTextA(f.window->edtMelt, "D:\\typed\\");
    Click(f.window->cmdDirec);
    EXPECT_EQ(TextOf(f.window->edtMelt), "D:\\out\\");
}

TEST_F(NoDirectoriesWhenCompressing, MovesTheCurrentFolderAndWritesBareNames) {
    CreateDirectoryA((folder.path() + "\\ソ").c_str(), nullptr);
    const std::string first = folder.File("ソ\\x.txt");
    f.Start();
    f.SetCheck(f.window->CheckBox1, true);  // empty list: nothing written
    EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
    f.SetCheck(f.window->CheckBox1, false);
    f.window->SetFileList({first, "D:\\B\\y z.txt"});
    f.SetCheck(f.window->CheckBox1, true);
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(std::string(current), folder.path() + "\\ソ");
    EXPECT_EQ(ReadFile(ResponseFile()), "x.txt\r\n\"y z.txt\"\r\n");
}

TEST_F(SelectiveExtraction, CheckListIsACopyTakenWhenTheBoxIsChecked) {
    const std::string first = folder.File("a.cab", "MSCF");
    const std::string second = folder.File("b.cab", "MSCF");
    f.fake->SetMembers({"r1", "r 2", "r3"});
    f.Start();
    f.SelectOperation("解凍");
    f.SetCheck(f.window->CheckBox3, true);  // empty list: the box clears itself
    EXPECT_NE(SendMessageA(f.window->CheckBox3, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsShownControl(f.window->ListBox1));

    f.SetArchivePath(first);
    f.SetCheck(f.window->CheckBox3, true);
    EXPECT_TRUE(IsShownControl(f.window->CheckListBox1));
    EXPECT_FALSE(IsShownControl(f.window->ListBox1));
    EXPECT_EQ(ListItems(f.window->CheckListBox1), (std::vector<std::string>{"r1", "r 2", "r3"}));
    SendMessageA(f.window->CheckListBox1, LB_SETITEMDATA, 0, 1);

    // Another archive refills the hidden list only.
    f.fake->SetMembers({"other"});
    f.SetArchivePath(second);
    EXPECT_EQ(ListItems(f.window->CheckListBox1), (std::vector<std::string>{"r1", "r 2", "r3"}));

    // Leaving Extract and coming back makes a fresh copy without marks.
    f.SelectOperation("内容一覧");
    EXPECT_FALSE(IsShownControl(f.window->CheckListBox1));
    f.SelectOperation("解凍");
    EXPECT_EQ(ListItems(f.window->CheckListBox1), (std::vector<std::string>{"other"}));
    EXPECT_EQ(SendMessageA(f.window->CheckListBox1, LB_GETITEMDATA, 0, 0), 0);
}

TEST_F(SelectiveExtraction, SpaceOrAClickOnTheMarkToggleIt) {
    f.fake->SetMembers({"r1", "r2"});
    f.Start();
    f.SelectOperation("解凍");
    f.SetArchivePath(folder.File("a.cab", "MSCF"));
    f.SetCheck(f.window->CheckBox3, true);
    SendMessageA(f.window->CheckListBox1, LB_SETCARETINDEX, 1, FALSE);
    SendMessageA(f.window->CheckListBox1, WM_CHAR, ' ', 0);
    EXPECT_EQ(SendMessageA(f.window->CheckListBox1, LB_GETITEMDATA, 1, 0), 1);
    SendMessageA(f.window->CheckListBox1, WM_CHAR, ' ', 0);
    EXPECT_EQ(SendMessageA(f.window->CheckListBox1, LB_GETITEMDATA, 1, 0), 0);

    auto click = [&](int x, int y) {
        SendMessageA(f.window->CheckListBox1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(f.window->CheckListBox1, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    };
    click(5, 13 + 6);  // the mark of the second row
    EXPECT_EQ(SendMessageA(f.window->CheckListBox1, LB_GETITEMDATA, 1, 0), 1);
    click(100, 6);  // the text of the first row
    EXPECT_EQ(SendMessageA(f.window->CheckListBox1, LB_GETITEMDATA, 0, 0), 0);
}

TEST_F(SelectiveExtraction, ExtractCopiesTheListBeforeTheArchiveFieldIsRead) {
    f.fake->SetMembers({"member"});
    f.Start();
    f.SelectOperation("解凍");
    f.SetArchivePath(folder.File("a.cab", "MSCF"));
    f.SetCheck(f.window->CheckBox3, true);
    f.SelectOperation("圧縮");  // empties the archive field; the box stays checked
    f.window->SetFileList({"C:\\gathered\\a.txt", "C:\\gathered\\b.txt"});
    f.SelectOperation("解凍");
    EXPECT_TRUE(IsShownControl(f.window->CheckListBox1));
    EXPECT_EQ(ListItems(f.window->CheckListBox1),
              (std::vector<std::string>{"C:\\gathered\\a.txt", "C:\\gathered\\b.txt"}));
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
}

TEST_F(HelpMenu, ShortcutsReachTheHelpViewerBeforeTheFocusedControl) {
    f.Start();
    SetWindowTextA(f.window->edtCab, "selected text");
    PressKey(*f.window, f.window->edtCab, 'C', /*controlDown=*/true);
    PressKey(*f.window, f.window->edtMelt, VK_F1, /*controlDown=*/false);
    SendMessageA(f.window->hwnd(), WM_COMMAND, MAKEWPARAM(2002, 0), 0);  // 目次
    ASSERT_EQ(f.steps.helpRequests.size(), 3u);
    const std::string helpFile = tarvik::ExeFolder() + "\\Tarvik.hlp";
    EXPECT_EQ(f.steps.helpRequests[0].file, helpFile);
    EXPECT_EQ(f.steps.helpRequests[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(f.steps.helpRequests[0].data, 4u);
    EXPECT_EQ(f.steps.helpRequests[1].command, static_cast<UINT>(HELP_FINDER));
    EXPECT_EQ(f.steps.helpRequests[2].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(f.steps.helpRequests[2].data, 1u);
}

TEST_F(HelpMenu, CtrlQClosesTheWindow) {
    f.Start();
    const HWND window = f.window->hwnd();
    PressKey(*f.window, f.window->ListBox1, 'Q', /*controlDown=*/true);
    EXPECT_FALSE(IsWindow(window));
}
