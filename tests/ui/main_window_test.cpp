// The main window's start-up, operation rules and closing, driven in-process.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "main_window.h"
#include "compression_items.h"
#include "operation_states.h"
#include "tarvik_version.h"
#include "window_test_support.h"

using namespace testing_support;

namespace {

// The window's control that a row of kControlRows names.
HWND ControlNamed(const tarvik::TfrmCabMain& w, const std::string& name) {
    const std::pair<const char*, HWND> controls[] = {
        {"Panel1", w.Panel1},       {"cobType", w.cobType},     {"edtMelt", w.edtMelt},
        {"cmdDirec", w.cmdDirec},   {"CheckBox1", w.CheckBox1}, {"CheckBox2", w.CheckBox2},
        {"CheckBox3", w.CheckBox3}, {"CheckBox4", w.CheckBox4},
    };
    for (const auto& [controlName, control] : controls) {
        if (name == controlName) return control;
    }
    ADD_FAILURE() << "no control " << name;
    return nullptr;
}

void WriteDword(const char* key, const char* value, DWORD data) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key, value, REG_DWORD, &data, sizeof data);
}

void CreateKey(const char* path) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

// The item of each row of a documented table, in the table's order.
template <typename Row, std::size_t N>
std::vector<std::string> ItemsOf(const Row (&rows)[N]) {
    std::vector<std::string> items;
    for (const Row& row : rows) items.push_back(row.item);
    return items;
}

constexpr char kLibraryKey[] = "Software\\ArchiverDll\\Cab32";
constexpr char kProgramKey[] = "Software\\Tarvik32";

}  // namespace

TEST(MainWindowStartUp, WithoutLibraryShowsNotFoundAndCompress) {
    MainWindowFixture f(FakeVariant::Full, /*withLibrary=*/false);
    f.Start();
    EXPECT_EQ(TextOf(f.window->Label5), "CAB32.DLLは見つかりません");
    EXPECT_EQ(TextOf(f.window->Label6), "");
    EXPECT_EQ(TextOf(f.window->cobPara1), "圧縮");
    EXPECT_EQ(TextOf(f.window->edtPara1), "-a");
    EXPECT_EQ(TextOf(f.window->hwnd()), "Tarvik32 Ver0.3");
    // No settings anywhere: no compression type, both check boxes clear.
    EXPECT_EQ(TextOf(f.window->cobType), "");
    EXPECT_EQ(TextOf(f.window->edtType), "");
    EXPECT_TRUE(f.window->helpFile().ends_with("\\Tarvik.hlp"));
}

TEST(MainWindowStartUp, ShowsLibraryVersionAndThePathOfTheLoadedFile) {
    MainWindowFixture f;
    f.fake->script().version = 65536 + 90;
    f.Start();
    EXPECT_EQ(TextOf(f.window->Label5), "CAB32.DLL Ver0.9");
    const std::string pathLine = TextOf(f.window->Label6);
    EXPECT_EQ(pathLine.rfind("現在のCAB32.DLLは　", 0), 0u);
    EXPECT_TRUE(pathLine.find("\\fake_cab32\\full\\cab32.dll") != std::string::npos) << pathLine;
}

TEST(MainWindowStartUp, LibraryVersionTextIsShortest) {
    EXPECT_EQ(tarvik::LibraryVersionText(98), "0.98");
    EXPECT_EQ(tarvik::LibraryVersionText(100), "1");
    EXPECT_EQ(tarvik::LibraryVersionText(110), "1.1");
    EXPECT_EQ(tarvik::LibraryVersionText(216), "2.16");
    EXPECT_EQ(tarvik::LibraryVersionText(105), "1.05");
}

// What start-up selects from the values a run left in the registry: the
// library's compression defaults and the program's two check boxes.
TEST(MainWindowStartUp, RestoresCompressionAndCheckBoxesFromTheRegistry) {
    struct Value {
        const char* key;
        const char* name;  // null: the key alone, without values
        DWORD data;
    };
    struct Case {
        const char* name;
        std::vector<Value> values;
        const char* type;        // the selected compression item; empty: none selected
        const char* typeSwitch;  // shown in edtType
        bool noDirsWhenCompressing;
        bool noDirsWhenExtracting;
    };
    const Case cases[] = {
        {"an LZX level with its item",
         {{kLibraryKey, "CompressionMode", 1}, {kLibraryKey, "LzxCompressLevel", 19},
          {kProgramKey, "CommpressDir", 5}, {kProgramKey, "ExtractDir", 1}},
         "LZX 19", "-ml19", true, true},
        {"an LZX level without an item selects nothing but shows its switch",
         {{kLibraryKey, "CompressionMode", 1}, {kLibraryKey, "LzxCompressLevel", 22}},
         "", "-ml22", false, false},
        {"the library's key without values still restores the check boxes",
         {{kLibraryKey, nullptr, 0}, {kProgramKey, "ExtractDir", 1}, {kProgramKey, "CommpressDir", 1}},
         "MSZIP", "-mz", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f;
        for (const Value& value : c.values) {
            if (value.name) {
                WriteDword(value.key, value.name, value.data);
            } else {
                CreateKey(value.key);
            }
        }
        f.Start();
        if (*c.type) {
            EXPECT_EQ(TextOf(f.window->cobType), c.type);
        } else {
            EXPECT_EQ(SendMessageA(f.window->cobType, CB_GETCURSEL, 0, 0), CB_ERR);
        }
        EXPECT_EQ(TextOf(f.window->edtType), c.typeSwitch);
        EXPECT_EQ(SendMessageA(f.window->CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED, c.noDirsWhenCompressing);
        EXPECT_EQ(SendMessageA(f.window->CheckBox2, BM_GETCHECK, 0, 0) == BST_CHECKED, c.noDirsWhenExtracting);
    }
}

TEST(MainWindowStartUp, ActivationRunsOnceOnly) {
    MainWindowFixture f;
    f.Start();
    f.SelectOperation("解凍");
    SendMessageA(f.window->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    SetForegroundWindow(f.window->hwnd());
    PumpMessages();
    EXPECT_EQ(TextOf(f.window->cobPara1), "解凍");
    EXPECT_EQ(TextOf(f.window->edtPara1), "-x");
}

// A main window over the scriptable library and a temporary folder.
using OperationSelection = WindowTest;
using HelpAndAbout = WindowTest;

TEST_F(OperationSelection, EachOperationEnablesOnlyWhatItUses) {
    f.Start();
    EXPECT_EQ(ListItems(f.window->cobPara1), ItemsOf(kOperationColumns));  // the documented order
    for (std::size_t column = 0; column < kOperationCount; ++column) {
        const OperationColumn& operation = kOperationColumns[column];
        SCOPED_TRACE(operation.operationSwitch);
        SetWindowTextA(f.window->edtMelt, "D:\\typed\\");
        f.SelectOperation(operation.item);
        const tarvik::TfrmCabMain& w = *f.window;
        EXPECT_EQ(TextOf(w.edtPara1), operation.operationSwitch);
        for (const ControlRow& row : kControlRows) {
            const HWND control = ControlNamed(w, row.control);
            const std::string_view state = row.states[column];
            const bool shownOrEnabled =
                state == "visible" || state == "hidden" ? IsShownControl(control) : IsEnabledControl(control);
            EXPECT_EQ(shownOrEnabled, StateIsOn(state)) << row.control;
        }
        EXPECT_EQ(TextOf(w.edtMelt), "");
        EXPECT_TRUE(IsShownControl(w.ListBox1));
        EXPECT_FALSE(IsShownControl(w.CheckListBox1));
        // Display-only switch fields.
        EXPECT_FALSE(IsEnabledControl(w.edtPara1));
        EXPECT_FALSE(IsEnabledControl(w.edtType));
    }
}

TEST_F(OperationSelection, CompressDropsAnExistingArchivePathAndItsMembers) {
    const std::string cabinet = folder.File("a.cab", "MSCF");
    f.fake->script().checkAnswer = fake_cab32::kCheckCabinetFile;
    f.fake->SetMembers({"one.txt", "two.txt"});
    f.Start();
    f.SelectOperation("解凍");
    f.SetArchivePath(cabinet);
    EXPECT_EQ(ListItems(f.window->ListBox1), (std::vector<std::string>{"one.txt", "two.txt"}));
    f.SelectOperation("圧縮");
    EXPECT_EQ(TextOf(f.window->edtCab), "");
    EXPECT_TRUE(ListItems(f.window->ListBox1).empty());
}

TEST_F(OperationSelection, AnyOperationWithAnEmptyArchiveFieldEmptiesTheList) {
    f.Start();
    for (const OperationColumn& operation : kOperationColumns) {
        f.window->SetFileList({"C:\\a.txt", "C:\\b.txt"});
        f.SelectOperation(operation.item);
        EXPECT_TRUE(ListItems(f.window->ListBox1).empty()) << operation.operationSwitch;
    }
}

TEST_F(OperationSelection, EachCompressionTypeSetsItsSwitch) {
    f.Start();
    EXPECT_EQ(ListItems(f.window->cobType), ItemsOf(kCompressionItems));  // the documented order
    for (const CompressionItem& row : kCompressionItems) {
        f.SelectCompression(row.item);
        EXPECT_EQ(TextOf(f.window->edtType), row.compressionSwitch) << row.item;
    }
}

// Each way of closing: the main window's own close, and the application
// window's close and system-menu close. While the library is busy it is
// refused (nothing saved, the response file kept, a log-off refused too);
// otherwise the window closes, both check boxes are saved (one disabled by
// the operation too) and the response file is removed.
TEST(MainWindowClosing, EveryCloseIsRefusedWhileTheLibraryIsBusyAndSavesOtherwise) {
    struct Close {
        const char* name;
        bool toApplication;
        UINT message;
        WPARAM wParam;
    };
    const Close closes[] = {
        {"WM_CLOSE to the main window", false, WM_CLOSE, 0},
        {"WM_CLOSE to the application window", true, WM_CLOSE, 0},
        {"SC_CLOSE to the application window", true, WM_SYSCOMMAND, SC_CLOSE},
    };
    for (const Close& close : closes) {
        SCOPED_TRACE(close.name);
        MainWindowFixture f;
        f.Start();
        std::ofstream(ResponseFile()) << "a\r\n";
        f.SetCheck(f.window->CheckBox1, true);
        f.SelectOperation("解凍");
        f.SetCheck(f.window->CheckBox2, true);
        f.SelectOperation("検査");  // CheckBox2 is now disabled, but still saved
        const HWND window = f.window->hwnd();
        const HWND target = close.toApplication ? f.application->hwnd() : window;

        f.fake->script().running = 1;
        SendMessageA(target, close.message, close.wParam, 0);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(KeyExists(kProgramKey));
        EXPECT_NE(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), FALSE);

        f.fake->script().running = 0;
        SendMessageA(target, close.message, close.wParam, 0);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(ReadDword(kProgramKey, "CommpressDir"), 1u);
        EXPECT_EQ(ReadDword(kProgramKey, "ExtractDir"), 1u);
        EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST(MainWindowClosing, ASettingsWriteThatFailsKeepsTheWindowOpen) {
    MainWindowFixture f;
    f.Start();
    std::ofstream(ResponseFile()) << "a\r\n";
    MakeKeyReadOnly("Software\\Tarvik32");
    SendMessageA(f.window->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(f.window->hwnd()));
    EXPECT_NE(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(f.steps.messages.size(), 1u);
    EXPECT_EQ(f.steps.messages[0].text, "'CommpressDir' の設定に失敗しました.");
    EXPECT_EQ(f.steps.messages[0].caption, "Tarvik32");
    EXPECT_TRUE(f.steps.messages[0].type & MB_ICONERROR);
}

TEST(MainWindowClosing, LogOffSavesWhenAgreedAndRemovesTheResponseFileWhenItHappens) {
    MainWindowFixture f;
    f.Start();
    std::ofstream(ResponseFile()) << "a\r\n";
    f.SetCheck(f.window->CheckBox1, true);
    EXPECT_EQ(SendMessageA(f.window->hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(ReadDword("Software\\Tarvik32", "CommpressDir"), 1u);
    SendMessageA(f.window->hwnd(), WM_ENDSESSION, FALSE, 0);  // the log-off was called off
    EXPECT_NE(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
    SendMessageA(f.window->hwnd(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HelpAndAbout, VersionBoxText) {
    f.Start();
    SendMessageA(f.window->hwnd(), WM_COMMAND, MAKEWPARAM(2005, 0), 0);
    ASSERT_EQ(f.steps.messages.size(), 1u);
    // Line one: the version and a blank. Line two: an ASCII blank, "作者", a
    // full-width blank, then the author.
    const std::string firstLine = "Tarvik32 Ver " TARVIK_VERSION_TEXT " ";
    const std::string secondLine = "\n \x8d\xec\x8e\xd2\x81\x40";
    const std::string& text = f.steps.messages[0].text;
    EXPECT_EQ(text.substr(0, firstLine.size()), firstLine);
    EXPECT_EQ(text.substr(firstLine.size(), secondLine.size()), secondLine);
    EXPECT_GT(text.size(), firstLine.size() + secondLine.size());
    EXPECT_EQ(f.steps.messages[0].caption, "Tarvik32");
    EXPECT_EQ(f.steps.messages[0].type, static_cast<UINT>(MB_OK));
}
