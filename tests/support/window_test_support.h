// In-process window tests: the real windows of the program, with the modal
// steps answered by a script and the archiver library replaced by the test
// double.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "application_window.h"
#include "fake_cab32_control.h"
#include "temp_folder.h"
#include "main_window.h"
#include "outbuffer.h"

namespace testing_support {

struct ShownMessage {
    std::string text;
    std::string caption;
    UINT type = 0;
};

class ScriptedSteps : public tarvik::MainWindowSteps {
public:
    int ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT type) override;
    // Counts the showing; with `realResultWindow` set, shows it for real and
    // runs the next of `insideResultWindow` inside its modal loop.
    void ShowResultWindow() override;
    std::string ShowFolderChooser() override {
        ++folderChooserShown;
        return chosenFolder;
    }
    tarvik::FileDialogAnswer ShowFileDialog(HWND, const tarvik::FileDialogRequest& request) override;
    void ShowHelp(HWND, const std::string& helpFile, UINT command, ULONG_PTR data) override {
        helpRequests.push_back({helpFile, command, data});
    }
    struct HelpRequest {
        std::string file;
        UINT command;
        ULONG_PTR data;
    };
    std::vector<HelpRequest> helpRequests;

    std::vector<ShownMessage> messages;
    int resultWindowShown = 0;
    int folderChooserShown = 0;
    std::string chosenFolder;  // what the folder chooser answers
    std::vector<tarvik::FileDialogRequest> dialogRequests;
    std::deque<tarvik::FileDialogAnswer> dialogAnswers;  // cancelled when empty
    tarvik::TfrmOutbuffer* realResultWindow = nullptr;
    std::deque<std::function<void()>> insideResultWindow;
    int resultWindowLeftOpen = 0;  // showings the script had to close itself
};

// Dispatches every waiting message of this thread.
void PumpMessages();
// Runs the action from whichever message loop of this thread runs by then,
// after every message already waiting (a thread timer). One at a time.
void RunFromMessageLoop(std::function<void()> action, UINT delayMs = 10);
// Runs `action` on the first visible top-level window of this thread with
// the given caption, from a timer, while a modal loop (a dialog) runs.
class WhenWindowAppears {
public:
    using Action = void (*)(HWND window);
    WhenWindowAppears(const std::string& caption, Action action);
    ~WhenWindowAppears();
    WhenWindowAppears(const WhenWindowAppears&) = delete;
    WhenWindowAppears& operator=(const WhenWindowAppears&) = delete;
    bool Ran() const;

private:
    UINT_PTR timer_;
};
// Sends a key press to a control through the program's message loop steps.
void PressKey(tarvik::TfrmCabMain& window, HWND control, UINT virtualKey, bool controlDown);

std::string TextOf(HWND window);
// The items of a list box or a combo box, in order.
std::vector<std::string> ListItems(HWND box);

// Drops files onto a control as the shell does, with the paths as the disk
// holds them (DropWide) or as code page 932 text (Drop).
void DropWide(HWND target, const std::vector<std::wstring>& paths);
void Drop(HWND target, const std::vector<std::string>& paths);
bool IsEnabledControl(HWND window);
bool IsShownControl(HWND window);

// Removes the program's two registry keys and the response file, so each
// test starts from a clean machine.
void ResetProgramState();
// Leaves the user able to read the key (created when absent) but not to write it.
void MakeKeyReadOnly(const char* subKey);
// Whether the per-user key exists.
bool KeyExists(const char* subKey);
// A DWORD value of the per-user key, or 0xDEAD when it cannot be read.
DWORD ReadDword(const char* subKey, const char* value);

// The response file beside the test program.
std::string ResponseFile();

class MainWindowFixture {
public:
    explicit MainWindowFixture(FakeVariant variant = FakeVariant::Full, bool withLibrary = true);
    ~MainWindowFixture();

    // Creates the windows and runs the activation step.
    void Start(const std::string& commandLine = "Tarvik32.exe");
    void Start(const std::wstring& commandLine);
    void SelectOperation(const char* item);
    void SelectCompression(const char* item);
    void SetCheck(HWND checkBox, bool checked);
    void SetArchivePath(const std::string& path);

    std::unique_ptr<FakeCab32> fake;
    ScriptedSteps steps;
    std::unique_ptr<tarvik::TfrmOutbuffer> outbuffer;
    std::unique_ptr<tarvik::ApplicationWindow> application;  // owns the main window, as in the program
    std::unique_ptr<tarvik::TfrmCabMain> window;
};

// The set-up most window tests share: the main window over the scriptable
// library (started by the test, after it has made its files) and a
// temporary folder for those files.
class WindowTest : public ::testing::Test {
protected:
    MainWindowFixture f;
    TempFolder folder;
};

}  // namespace testing_support
