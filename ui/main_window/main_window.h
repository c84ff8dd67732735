// The main window "Tarvik32 Ver0.3" (frmCabMain): the operation and
// compression boxes, the archive and folder fields, the file list with its
// panel of buttons, the member check list, the check boxes and Execute.
// Its controls are the program's state; handlers read and write them.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "button_glyph.h"
#include "check_list_box.h"
#include "job_command.h"
#include "main_window_steps.h"
#include "message_filter.h"
#include "operation_controls.h"
#include "window_handles.h"

namespace tarvik {

class TfrmOutbuffer;
struct ControlRow;

class TfrmCabMain {
public:
    struct Options {
        HINSTANCE instance = nullptr;
        MainWindowSteps* steps = nullptr;
        TfrmOutbuffer* outbuffer = nullptr;   // filled by a job, shown through steps
        std::wstring commandLine;             // the program's command line, for the argument step
    };

    explicit TfrmCabMain(const Options& options);
    TfrmCabMain(const TfrmCabMain&) = delete;
    TfrmCabMain& operator=(const TfrmCabMain&) = delete;
    ~TfrmCabMain();

    // Creates the window and its controls and runs the creation step. False
    // when the window cannot be made.
    [[nodiscard]] bool Create(HWND applicationWindow);
    // Shows the window; the activation step runs once, from the message loop.
    void Show();
    // Handles a message of the loop for this window: menu shortcuts first,
    // then dialog keys (Tab, Enter). True when the message was consumed.
    bool PreTranslateMessage(MSG& message);
    HWND hwnd() const { return window_; }
    const std::string& helpFile() const { return helpFile_; }

    // Handlers, named after their control and event.
    void FormCreate();
    void FormActivate();
    bool FormCloseQuery();
    bool FormClose();
    void cobPara1Change();
    void cobTypeChange();
    void cmdExecClick();
    void edtCabChange();
    void Button1Click();
    void cmdDirecClick();
    void CheckBox1Click();
    void CheckBox3Click();
    void cmdAddClick();
    void cmdDelClick();
    void cmdClearClick();
    void cmdListSaveClick();
    void cmdListLoadClick();
    void munExitClick();
    void Contents1Click();
    void S1Click();
    void N1Click();
    void About1Click();

    // Controls, by their names.
    HWND cobPara1 = nullptr, edtPara1 = nullptr, cobType = nullptr, edtType = nullptr;
    HWND edtCab = nullptr, Button1 = nullptr, edtMelt = nullptr, cmdDirec = nullptr;
    HWND CheckBox1 = nullptr, ListBox1 = nullptr, Panel1 = nullptr, cmdExec = nullptr;
    HWND cmdClose = nullptr, CheckBox2 = nullptr, CheckListBox1 = nullptr, CheckBox3 = nullptr;
    HWND CheckBox4 = nullptr;
    HWND cmdAdd = nullptr, cmdDel = nullptr, cmdClear = nullptr, cmdListSave = nullptr, cmdListLoad = nullptr;
    HWND Label1 = nullptr, Label2 = nullptr, Label3 = nullptr, Label4 = nullptr, Label5 = nullptr;
    HWND Label6 = nullptr;

    // The file list's entries, in order.
    std::vector<std::string> FileList() const;
    void SetFileList(const std::vector<std::string>& entries);
    bool FileListIsMultiSelect() const;
    // Sets a check box and, when its state changes, runs its click handler.
    void SetCheckBox(HWND checkBox, bool checked);

    // The argument step: takes files named on the command line.
    void HandleArguments(const std::vector<std::wstring>& arguments);

private:
    template <typename Window>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND window) { window_ = window; }
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DropFilter(HWND control, UINT message, WPARAM wParam, LPARAM lParam, const ControlProcedure& next);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int notification);
    void CreateControls();
    HWND CreateControl(const ControlRow& row);
    void AddHint(HWND control, const char* hint);
    void CreateMenuBar();
    void SelectOperationItem(JobKind kind);
    void InstallDropFilter(HWND control);
    void RecreateListBox1(bool multiSelect);
    void DrawListBox1Item(const DRAWITEMSTRUCT& item);
    void ShowError(const std::string& text);
    void HandleListDrop(HDROP drop);
    void HandleArchiveFieldDrop(HDROP drop);
    // A file dialog of the main window; chosen files that no code page 932
    // path can name are left out, and the user is told which.
    FileDialogAnswer ShowFileDialog(const FileDialogRequest& request);
    // Tells the user which files cannot be taken into the list.
    void ReportUnlistable(const std::vector<std::string>& names);
    // The operation the window is set to: the one its switch field shows.
    std::optional<JobKind> CurrentJobKind() const;
    void ApplyOperationControls(const OperationControls& controls);
    JobRequest ReadJobRequest(bool archiveExists) const;
    void RefreshResponseFileBeforeCompress(const std::string& responsePath);
    void ShowJobResult(const std::vector<char>& output);
    void Help(UINT command, ULONG_PTR data);

    Options options_;
    HWND window_ = nullptr;
    HWND applicationWindow_ = nullptr;
    HWND tooltip_ = nullptr;
    HMENU menu_ = nullptr;  // destroyed with the window
    AcceleratorTable accelerators_;
    Font windowFont_;
    Font controlFont_;
    std::vector<Bitmap> menuPictures_;
    CheckListBox checkList_;
    std::vector<ButtonGlyph> glyphs_;
    std::string helpFile_ = "Tarvik.hlp";
    // Names last confirmed in each file dialog.
    std::string saveDialog1Name_, openDialog1Name_, openDialog2Name_;
};

// "CAB32.DLL Ver" text of a library version in hundredths: 98 -> "0.98",
// 100 -> "1", 110 -> "1.1".
std::string LibraryVersionText(unsigned version);

// Splits a command line into arguments after the program's own name.
std::vector<std::wstring> SplitArguments(const std::wstring& commandLine);

}  // namespace tarvik
