// The program installed in a folder whose name has a blank and Japanese
// characters, run as a user would with the real stand-in library: files named
// on its command line are compressed, and ticked members are extracted. The
// library reads the response file in each form the command may name it.
#include <gtest/gtest.h>

#include <iostream>

#include "archiver.h"
#include "job_command.h"
#include "list_files.h"
#include "main_layout.h"
#include "window_test_support.h"

using namespace testing_support;
using namespace tarvik;

namespace {

// The program started in its own process, ended however the test ends.
class RunningProgram {
public:
    RunningProgram(const std::string& program, const std::string& arguments, const std::string& folder) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + program + "\" " + arguments;
        if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.c_str(), &startup, &process_)) {
            process_ = {};
        }
    }
    ~RunningProgram() {
        if (!process_.hProcess) return;
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    bool Ended() const { return WaitForSingleObject(process_.hProcess, 30000) == WAIT_OBJECT_0; }

    // The program's visible top-level window of the class, waited for; the
    // text of a message box instead when the program shows one first.
    HWND WaitForWindow(const char* className, std::string& messageBoxText) const {
        for (int i = 0; i < 1200; ++i) {
            if (HWND box = Find("#32770")) {
                char text[512] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                messageBoxText = text;
                return nullptr;
            }
            if (HWND window = Find(className)) return window;
            Sleep(50);
        }
        return nullptr;
    }

private:
    HWND Find(const char* className) const {
        for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window;
             window = FindWindowExA(nullptr, window, className, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process_.dwProcessId && IsWindowVisible(window)) return window;
        }
        return nullptr;
    }

    PROCESS_INFORMATION process_{};
};

// An item of another process's list box (read as UTF-16, which crosses processes).
std::string ItemText(HWND listBox, int index) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(listBox, LB_GETTEXTLEN, index, 0)), L'\0');
    SendMessageW(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    char bytes[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// Waits for the program's side of a step to be done.
bool WaitUntil(auto done) {
    for (int i = 0; i < 1200 && !done(); ++i) Sleep(50);
    return done();
}

// Closes the result window as its close box does and waits until the job
// that showed it has ended (the main window takes input again).
void CloseResultWindow(HWND result, HWND main) {
    PostMessageA(result, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(result) && IsWindowEnabled(main); }));
}

void CopyBeside(const std::string& name, const std::string& folder) {
    const std::string built = TestProgramFolder() + "\\..\\..\\bin\\" + name;
    ASSERT_TRUE(CopyFileA(built.c_str(), (folder + "\\" + name).c_str(), FALSE)) << built;
}

}  // namespace

TEST(ProgramInAFolderWithABlank, CompressesItsArgumentsAndExtractsTickedMembers) {
    ResetProgramState();
    TempFolder root;
    const std::string programFolder = root.path() + "\\Tar vik ソ表";
    ASSERT_TRUE(CreateDirectoryA(programFolder.c_str(), nullptr));
    CopyBeside("Tarvik32.exe", programFolder);
    CopyBeside("cab32.dll", programFolder);
    // Whichever form the file system gives, the program must reach its list.
    std::cout << "short form of the program's folder: '" << ShortPathName(programFolder) << "'\n";
    const std::string kept = root.File("kept.txt", "kept");
    const std::string picked = root.File("picked file.txt", "picked");

    RunningProgram program(programFolder + "\\Tarvik32.exe", "\"" + kept + "\" \"" + picked + "\"", root.path());
    ASSERT_TRUE(program.started());
    std::string warning;
    HWND result = program.WaitForWindow("TfrmOutbuffer", warning);
    ASSERT_TRUE(result) << "no result window; message: " << warning;
    const std::string archive = root.path() + "\\kept.cab";
    UseRealLibrary();
    EXPECT_TRUE(ArchiverCheckArchive(archive.c_str(), 2));
    const HWND main = program.WaitForWindow("TfrmCabMain", warning);
    ASSERT_TRUE(main);
    CloseResultWindow(result, main);

    // Extract only the second file, without folders, into a folder of its own.
    const std::string out = root.path() + "\\out";
    CreateDirectoryA(out.c_str(), nullptr);
    SendMessageA(GetDlgItem(main, IDC_COBPARA1), CB_SETCURSEL, 1, 0);
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_COBPARA1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_COBPARA1)));
    SendMessageA(GetDlgItem(main, IDC_EDTCAB), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(archive.c_str()));
    SendMessageA(GetDlgItem(main, IDC_EDTMELT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>((out + "\\").c_str()));
    SendMessageA(GetDlgItem(main, IDC_CHECKBOX2), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(main, IDC_CHECKBOX3), BM_CLICK, 0, 0);
    const HWND checkList = GetDlgItem(main, IDC_CHECKLISTBOX1);
    ASSERT_EQ(SendMessageA(checkList, LB_GETCOUNT, 0, 0), 2);
    const int pickedIndex = ItemText(checkList, 0).ends_with("picked file.txt") ? 0 : 1;
    SendMessageA(checkList, LB_SETITEMDATA, pickedIndex, 1);
    PostMessageA(GetDlgItem(main, IDC_CMDEXEC), BM_CLICK, 0, 0);
    result = program.WaitForWindow("TfrmOutbuffer", warning);
    ASSERT_TRUE(result) << "no result window; message: " << warning;
    EXPECT_EQ(ReadFile(out + "\\picked file.txt"), "picked");
    EXPECT_EQ(GetFileAttributesA((out + "\\kept.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    // "Close window" on the task bar button while the result window shows.
    const HWND application = program.WaitForWindow("TApplication", warning);
    ASSERT_TRUE(application);
    PostMessageA(application, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.Ended());
    EXPECT_EQ(GetFileAttributesA((programFolder + "\\Files.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    HKEY settings = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarvik32", 0, KEY_READ, &settings), ERROR_SUCCESS);
    if (settings) RegCloseKey(settings);
    ResetLibrarySearch();
    ResetProgramState();
}

TEST(ProgramInAFolderWithABlank, TheLibraryReadsTheResponseFileInEitherForm) {
    TempFolder root;
    const std::string programFolder = root.path() + "\\Tar vik ソ表";
    ASSERT_TRUE(CreateDirectoryA(programFolder.c_str(), nullptr));
    const std::string file = root.File("a.txt", "a");
    UseRealLibrary();
    // The short form where the file system gives one, and the quoted path.
    for (const std::string& shortForm : {ShortPathName(programFolder), std::string()}) {
        JobRequest request;
        request.operationSwitch = "-a";
        request.archivePath = root.path() + "\\" + std::to_string(shortForm.size()) + ".cab";
        request.programFolder = programFolder;
        request.programFolderShort = shortForm;
        ASSERT_TRUE(WriteResponseFile(ResponseFilePath(programFolder), {file}));
        const std::string command = BuildJobCommand(request);
        std::vector<char> output(64000, '\0');
        RunArchiverCommand(nullptr, command.c_str(), output.data(), 64000);
        EXPECT_TRUE(ArchiverCheckArchive(request.archivePath.c_str(), 2)) << command << "\n" << output.data();
    }
    ResetLibrarySearch();
}
