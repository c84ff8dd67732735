#include "Frmdirctory/frm_directory.h"

#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>

#include "sjis_path.h"
#include "window_test_support.h"

using namespace tarvik;
using namespace testing_support;

namespace {

// Answers the new-folder prompt from the test and records what was asked.
struct ScriptedPrompt : InputPromptStep {
    std::optional<std::string> answer;
    bool fail = false;
    std::vector<InputPromptRequest> requests;
    std::optional<std::string> AskText(HWND, const InputPromptRequest& request) override {
        requests.push_back(request);
        if (fail) throw std::runtime_error("作成に失敗しました");
        return answer;
    }
};

class FolderChooser : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryA(temp_.Child("alpha").c_str(), nullptr);
        CreateDirectoryA(temp_.Child("beta").c_str(), nullptr);
        ASSERT_TRUE(SetCurrentDirectoryA(temp_.path().c_str()));
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(chooser_.Create(owner_));
        ShowWindow(chooser_.hwnd(), SW_SHOWNOACTIVATE);
        PumpMessages();
    }
    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        DestroyWindow(owner_);
        PumpMessages();
    }

    HWND Control(int id) const { return GetDlgItem(chooser_.hwnd(), id); }
    HWND List() const { return Control(TfrmDirectory::IdDirectoryListBox1); }
    HWND DriveBox() const { return Control(TfrmDirectory::IdDriveComboBox1); }

    int LineOf(const std::string& label) const {
        return static_cast<int>(SendMessageA(List(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(label.c_str())));
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const auto count = SendMessageA(List(), LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[MAX_PATH] = {};
            SendMessageA(List(), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            lines.emplace_back(text);
        }
        return lines;
    }
    LPARAM PointOfLine(int index) const {
        RECT item{};
        SendMessageA(List(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    }
    void ClickLine(int index) const {
        PostMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, PointOfLine(index));
        PostMessageA(List(), WM_LBUTTONUP, 0, PointOfLine(index));
        PumpMessages();
    }
    void DoubleClickLine(const std::string& label) const {
        const int index = LineOf(label);
        ASSERT_GE(index, 0) << label;
        ClickLine(index);
        PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, PointOfLine(index));
        PostMessageA(List(), WM_LBUTTONUP, 0, PointOfLine(index));
        PumpMessages();
    }
    // The notification a button sends its window when it is clicked.
    WPARAM Clicked(int id) const { return MAKEWPARAM(id, BN_CLICKED); }
    void Click(int id) const {
        SendMessageA(chooser_.hwnd(), WM_COMMAND, Clicked(id), reinterpret_cast<LPARAM>(Control(id)));
    }
    // Shows the chooser modally; the posted click ends the showing, which
    // answers the folder confirmed last.
    std::string ShowModalAndClick(int id) {
        PostMessageA(chooser_.hwnd(), WM_COMMAND, Clicked(id), reinterpret_cast<LPARAM>(Control(id)));
        return chooser_.ShowModal();
    }
    std::string DriveRoot() const { return temp_.path().substr(0, 3); }

    TempFolder temp_;
    HWND owner_ = nullptr;
    ScriptedPrompt prompt_;
    ScriptedSteps boxes_;  // answers the message boxes and records them
    TfrmDirectory chooser_{GetModuleHandleA(nullptr), prompt_, boxes_};
};

TEST_F(FolderChooser, StartsAtTheProcessFolderWithThePathThenTheSubfolders) {
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.path());
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), DriveRoot());
    EXPECT_EQ(lines[lines.size() - 2], "alpha");
    EXPECT_EQ(lines.back(), "beta");
    const auto selected = SendMessageA(DriveBox(), CB_GETCURSEL, 0, 0);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(SendMessageA(DriveBox(), CB_GETITEMDATA, static_cast<WPARAM>(selected), 0), toupper(DriveRoot()[0]));
}

TEST_F(FolderChooser, ASingleClickHighlightsAndADoubleClickOpens) {
    ClickLine(LineOf("beta"));
    EXPECT_EQ(SendMessageA(List(), LB_GETCURSEL, 0, 0), LineOf("beta"));
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.path());
    EXPECT_EQ(CurrentFolder(), temp_.path());

    DoubleClickLine("alpha");
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.Child("alpha"));
    EXPECT_EQ(CurrentFolder(), temp_.Child("alpha"));
    EXPECT_TRUE(chooser_.ChosenFolder().empty());
}

TEST_F(FolderChooser, EnterOpensTheHighlightedLineButPressesOkElsewhere) {
    SendMessageA(List(), LB_SETCURSEL, static_cast<WPARAM>(LineOf("beta")), 0);
    PostMessageA(List(), WM_KEYDOWN, VK_RETURN, 1);
    ShowModalAndClick(TfrmDirectory::IdBitBtn2);
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.Child("beta"));
    EXPECT_EQ(CurrentFolder(), temp_.Child("beta"));
    EXPECT_TRUE(chooser_.ChosenFolder().empty());

    // In the drive box, Enter goes to the default button OK.
    PostMessageA(DriveBox(), WM_KEYDOWN, VK_RETURN, 1);
    chooser_.ShowModal();
    EXPECT_EQ(chooser_.ChosenFolder(), temp_.Child("beta") + "\\");
}

TEST_F(FolderChooser, OkConfirmsTheFolderWithOneSeparatorAndEndsTheShowing) {
    DoubleClickLine("alpha");
    ShowModalAndClick(TfrmDirectory::IdBitBtn1);
    EXPECT_EQ(chooser_.ChosenFolder(), temp_.Child("alpha") + "\\");
    EXPECT_FALSE(IsWindowVisible(chooser_.hwnd()));
    EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(FolderChooser, OnADriveRootOkGivesTwoSeparatorsAndTheSuggestionOne) {
    DoubleClickLine(DriveRoot());
    EXPECT_EQ(chooser_.CurrentFolder(), DriveRoot());
    EXPECT_EQ(CurrentFolder(), DriveRoot());
    Click(TfrmDirectory::IdButton1);
    ASSERT_EQ(prompt_.requests.size(), 1u);
    EXPECT_EQ(prompt_.requests[0].initialText, DriveRoot());
    ShowModalAndClick(TfrmDirectory::IdBitBtn1);
    EXPECT_EQ(chooser_.ChosenFolder(), DriveRoot() + "\\");
}

TEST_F(FolderChooser, CloseAndTheCloseBoxKeepTheLastConfirmedFolder) {
    DoubleClickLine("alpha");
    ShowModalAndClick(TfrmDirectory::IdBitBtn1);
    ASSERT_EQ(chooser_.ChosenFolder(), temp_.Child("alpha") + "\\");

    // The list keeps its place between showings.
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.Child("alpha"));
    DoubleClickLine(std::string(FileNamePart(temp_.path())));
    ASSERT_EQ(chooser_.CurrentFolder(), temp_.path());
    EXPECT_EQ(ShowModalAndClick(TfrmDirectory::IdBitBtn2), temp_.Child("alpha") + "\\");
    EXPECT_EQ(chooser_.ChosenFolder(), temp_.Child("alpha") + "\\");

    PostMessageA(chooser_.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(chooser_.ShowModal(), temp_.Child("alpha") + "\\");
    EXPECT_EQ(chooser_.ChosenFolder(), temp_.Child("alpha") + "\\");
    EXPECT_TRUE(IsWindow(chooser_.hwnd()));
    EXPECT_FALSE(IsWindowVisible(chooser_.hwnd()));
    EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(FolderChooser, NewFolderIsListedButNotOpened) {
    DoubleClickLine("alpha");
    prompt_.answer = temp_.Child("alpha\\gamma");
    Click(TfrmDirectory::IdButton1);

    ASSERT_EQ(prompt_.requests.size(), 1u);
    const InputPromptRequest& asked = prompt_.requests[0];
    EXPECT_EQ(asked.caption, "新規フォルダ作成");
    EXPECT_EQ(asked.prompt, "作成するパスを入力してください。");
    EXPECT_EQ(asked.initialText, temp_.Child("alpha") + "\\");
    EXPECT_EQ(asked.maxLength, 255);

    EXPECT_TRUE(FolderExists(temp_.Child("alpha\\gamma")));
    EXPECT_GE(LineOf("gamma"), 0);
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.Child("alpha"));
    EXPECT_EQ(CurrentFolder(), temp_.Child("alpha"));
}

TEST_F(FolderChooser, FailedCreationsChangeNothingAndShowNothing) {
    const std::vector<std::string> before = Lines();

    prompt_.answer.reset();  // cancelled
    Click(TfrmDirectory::IdButton1);
    prompt_.answer = temp_.path() + "\\";  // the suggestion itself, an existing folder
    Click(TfrmDirectory::IdButton1);
    prompt_.answer = temp_.Child("missing\\child");
    Click(TfrmDirectory::IdButton1);
    prompt_.answer = temp_.Child("beta");
    Click(TfrmDirectory::IdButton1);
    prompt_.answer = temp_.Child("bad|name");
    Click(TfrmDirectory::IdButton1);
    PumpMessages();

    EXPECT_EQ(prompt_.requests.size(), 5u);
    EXPECT_FALSE(FolderExists(temp_.Child("missing")));
    EXPECT_EQ(Lines(), before);
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.path());
    EXPECT_TRUE(boxes_.messages.empty());
}

TEST_F(FolderChooser, CancelDoesNotBringBackAFolderRemovedMeanwhile) {
    DoubleClickLine("alpha");
    // The main window may move the process elsewhere while the chooser waits.
    ASSERT_TRUE(SetCurrentDirectoryA(temp_.path().c_str()));
    ASSERT_TRUE(RemoveDirectoryA(temp_.Child("alpha").c_str()));
    prompt_.answer.reset();
    Click(TfrmDirectory::IdButton1);
    ASSERT_EQ(prompt_.requests.size(), 1u);
    EXPECT_EQ(prompt_.requests[0].initialText, temp_.Child("alpha") + "\\");
    EXPECT_FALSE(FolderExists(temp_.Child("alpha")));
}

TEST_F(FolderChooser, AFolderEndingInATrailByte0x5CIsOneLevel) {
    // "ソ" is 83 5C: its second byte is no separator.
    ASSERT_TRUE(CreateDirectoryA(temp_.Child("ソ").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(temp_.Child("ソ\\inner").c_str(), nullptr));
    DoubleClickLine(std::string(FileNamePart(temp_.path())));  // read the new folders
    DoubleClickLine("ソ");
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.Child("ソ"));
    EXPECT_EQ(CurrentFolder(), temp_.Child("ソ"));
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "ソ");
    EXPECT_EQ(lines.back(), "inner");

    Click(TfrmDirectory::IdButton1);
    ASSERT_EQ(prompt_.requests.size(), 1u);
    EXPECT_EQ(prompt_.requests[0].initialText, temp_.Child("ソ") + "\\");
    ShowModalAndClick(TfrmDirectory::IdBitBtn1);
    EXPECT_EQ(chooser_.ChosenFolder(), temp_.Child("ソ") + "\\");
}

TEST_F(FolderChooser, ADriveThatCannotBeEnteredLeavesBothControlsWhereTheyWere) {
    const char absent = 'Q';
    ASSERT_EQ(GetLogicalDrives() & (1u << (absent - 'A')), 0u);
    const auto index = SendMessageA(DriveBox(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("q:"));
    SendMessageA(DriveBox(), CB_SETITEMDATA, static_cast<WPARAM>(index), absent);
    const auto before = SendMessageA(DriveBox(), CB_GETCURSEL, 0, 0);

    SendMessageA(DriveBox(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(chooser_.hwnd(), WM_COMMAND, MAKEWPARAM(TfrmDirectory::IdDriveComboBox1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(DriveBox()));
    PumpMessages();

    EXPECT_EQ(SendMessageA(DriveBox(), CB_GETCURSEL, 0, 0), before);
    EXPECT_EQ(chooser_.CurrentFolder(), temp_.path());
    EXPECT_EQ(CurrentFolder(), temp_.path());
    EXPECT_TRUE(boxes_.messages.empty());
}

TEST_F(FolderChooser, PickingAnotherDriveMovesTheListAndTheProcessFolder) {
    const auto count = SendMessageA(DriveBox(), CB_GETCOUNT, 0, 0);
    LRESULT other = -1;
    for (LRESULT i = 0; i < count && other < 0; ++i)
        if (toupper(static_cast<char>(SendMessageA(DriveBox(), CB_GETITEMDATA, static_cast<WPARAM>(i), 0))) !=
            toupper(DriveRoot()[0]))
            other = i;
    if (other < 0) GTEST_SKIP() << "only one drive";
    const char letter = static_cast<char>(SendMessageA(DriveBox(), CB_GETITEMDATA, static_cast<WPARAM>(other), 0));
    SendMessageA(DriveBox(), CB_SETCURSEL, static_cast<WPARAM>(other), 0);
    SendMessageA(chooser_.hwnd(), WM_COMMAND, MAKEWPARAM(TfrmDirectory::IdDriveComboBox1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(DriveBox()));
    EXPECT_EQ(toupper(chooser_.CurrentFolder()[0]), toupper(letter));
    EXPECT_EQ(CurrentFolder(), chooser_.CurrentFolder());
}

TEST_F(FolderChooser, AnErrorInAHandlerIsShownInTheStandardErrorBox) {
    prompt_.fail = true;
    Click(TfrmDirectory::IdButton1);
    PumpMessages();
    ASSERT_EQ(boxes_.messages.size(), 1u);
    EXPECT_EQ(boxes_.messages[0].text, "作成に失敗しました.");
    EXPECT_EQ(boxes_.messages[0].caption, "Tarvik32");
    EXPECT_EQ(boxes_.messages[0].type & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(IsWindow(chooser_.hwnd()));
}

TEST(FolderLevels, AreSplitOnRealSeparatorsOnly) {
    using Levels = std::vector<std::string>;
    EXPECT_EQ(PathLevels("C:\\"), (Levels{"C:\\"}));
    EXPECT_EQ(PathLevels("C:\\a\\ソ\\b"), (Levels{"C:\\", "C:\\a", "C:\\a\\ソ", "C:\\a\\ソ\\b"}));
    EXPECT_EQ(PathLevels("C:\\表"), (Levels{"C:\\", "C:\\表"}));
    EXPECT_EQ(PathLevels("\\\\srv\\share\\x"), (Levels{"\\\\srv\\share\\", "\\\\srv\\share\\x"}));
}

}  // namespace
