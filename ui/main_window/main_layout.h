// The main window's controls as one table: name, kind, caption, place and
// initial state, in tab order. The file list buttons live on Panel1.
#pragma once

#include <windows.h>

#include "main_window.h"

namespace tarvik {

enum ControlId : int {
    IDC_COBPARA1 = 1001, IDC_EDTPARA1, IDC_COBTYPE, IDC_EDTTYPE, IDC_EDTCAB, IDC_BUTTON1, IDC_EDTMELT,
    IDC_CMDDIREC, IDC_CHECKBOX1, IDC_LISTBOX1, IDC_PANEL1, IDC_CMDEXEC, IDC_CMDCLOSE, IDC_CHECKBOX2,
    IDC_CHECKLISTBOX1, IDC_CHECKBOX3, IDC_CHECKBOX4,
    IDC_CMDADD, IDC_CMDDEL, IDC_CMDCLEAR, IDC_CMDLISTSAVE, IDC_CMDLISTLOAD,
    IDC_LABEL1, IDC_LABEL2, IDC_LABEL3, IDC_LABEL4, IDC_LABEL5, IDC_LABEL6,
    IDM_EXIT = 2001, IDM_CONTENTS, IDM_SEARCH, IDM_INTRODUCTION, IDM_ABOUT,
};

enum class Parent { Window, Panel1 };

struct ControlSpec {
    HWND TfrmCabMain::*control;
    ControlId id;
    const char* className;
    const char* caption;
    DWORD style;
    int x, y, width, height;
    Parent parent;
    bool enabled;
};

constexpr DWORD kTab = WS_TABSTOP;
constexpr DWORD kComboList = CBS_DROPDOWNLIST | WS_VSCROLL | kTab;
constexpr DWORD kEdit = ES_AUTOHSCROLL | kTab;
constexpr DWORD kButton = BS_PUSHBUTTON | kTab;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | kTab;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kListBox1Style =
    LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL | kTab;

// Tab order is creation order. Hidden controls (Panel1, CheckListBox1) are
// shown by the operation rules. Labels come last: they take no tab stop.
constexpr ControlSpec kMainControls[] = {
    {&TfrmCabMain::cobPara1, IDC_COBPARA1, "COMBOBOX", "", kComboList, 88, 32, 105, 200, Parent::Window, true},
    {&TfrmCabMain::edtPara1, IDC_EDTPARA1, "EDIT", "", kEdit, 200, 32, 33, 21, Parent::Window, false},
    {&TfrmCabMain::cobType, IDC_COBTYPE, "COMBOBOX", "", kComboList, 88, 56, 89, 240, Parent::Window, true},
    {&TfrmCabMain::edtType, IDC_EDTTYPE, "EDIT", "", kEdit, 184, 56, 49, 21, Parent::Window, false},
    {&TfrmCabMain::edtCab, IDC_EDTCAB, "EDIT", "", kEdit, 344, 32, 217, 21, Parent::Window, true},
    {&TfrmCabMain::Button1, IDC_BUTTON1, "BUTTON", "参照", kButton, 568, 32, 49, 21, Parent::Window, true},
    {&TfrmCabMain::edtMelt, IDC_EDTMELT, "EDIT", "", kEdit, 344, 56, 217, 21, Parent::Window, true},
    {&TfrmCabMain::cmdDirec, IDC_CMDDIREC, "BUTTON", "参照", kButton, 568, 56, 49, 21, Parent::Window, true},
    {&TfrmCabMain::CheckBox1, IDC_CHECKBOX1, "BUTTON", "圧縮時ディレクトリを含まない。", kCheck, 8, 80, 225, 17, Parent::Window, false},
    {&TfrmCabMain::ListBox1, IDC_LISTBOX1, "LISTBOX", "", kListBox1Style, 0, 128, 441, 164, Parent::Window, true},
    {&TfrmCabMain::Panel1, IDC_PANEL1, "TarvikPanel", "", 0, 448, 128, 81, 169, Parent::Window, true},
    {&TfrmCabMain::cmdExec, IDC_CMDEXEC, "BUTTON", "実行(&E)", BS_DEFPUSHBUTTON | kTab, 536, 128, 81, 33, Parent::Window, true},
    {&TfrmCabMain::cmdClose, IDC_CMDCLOSE, "BUTTON", "閉じる(&C)", kButton, 536, 264, 81, 33, Parent::Window, true},
    {&TfrmCabMain::CheckBox2, IDC_CHECKBOX2, "BUTTON", "解凍時ディレクトリを含まない。", kCheck, 8, 104, 225, 17, Parent::Window, false},
    // CheckListBox1 (tab 14, 0, 128, 441, 169) is created by its own class.
    {&TfrmCabMain::CheckBox3, IDC_CHECKBOX3, "BUTTON", "解凍をファイル単位で指定。", kCheck, 240, 104, 225, 17, Parent::Window, true},
    {&TfrmCabMain::CheckBox4, IDC_CHECKBOX4, "BUTTON", "マルチボリュームモード(1400KB)", kCheck, 240, 80, 225, 17, Parent::Window, true},
    {&TfrmCabMain::cmdAdd, IDC_CMDADD, "BUTTON", "追加(&A)", kButton, 8, 8, 65, 25, Parent::Panel1, true},
    {&TfrmCabMain::cmdDel, IDC_CMDDEL, "BUTTON", "除外(&D)", kButton, 8, 40, 65, 25, Parent::Panel1, true},
    {&TfrmCabMain::cmdClear, IDC_CMDCLEAR, "BUTTON", "初期化(&I)", kButton, 8, 72, 65, 25, Parent::Panel1, true},
    {&TfrmCabMain::cmdListSave, IDC_CMDLISTSAVE, "BUTTON", "保存(&P)", kButton, 8, 104, 65, 25, Parent::Panel1, true},
    {&TfrmCabMain::cmdListLoad, IDC_CMDLISTLOAD, "BUTTON", "読込(&L)", kButton, 8, 136, 65, 25, Parent::Panel1, true},
    {&TfrmCabMain::Label2, IDC_LABEL2, "STATIC", "作業内容", kLabel, 8, 32, 73, 20, Parent::Window, true},
    {&TfrmCabMain::Label1, IDC_LABEL1, "STATIC", "圧縮形式", kLabel, 8, 56, 73, 20, Parent::Window, true},
    {&TfrmCabMain::Label3, IDC_LABEL3, "STATIC", "CABファイル", kLabel, 240, 32, 97, 20, Parent::Window, true},
    {&TfrmCabMain::Label4, IDC_LABEL4, "STATIC", "解凍先フォルダ", kLabel, 240, 56, 97, 20, Parent::Window, true},
    {&TfrmCabMain::Label6, IDC_LABEL6, "STATIC", "", kLabel, 8, 8, 409, 16, Parent::Window, true},
    {&TfrmCabMain::Label5, IDC_LABEL5, "STATIC", "", SS_RIGHT | SS_NOPREFIX, 424, 8, 193, 16, Parent::Window, true},
};

struct CheckListPlace {
    int x, y, width, height;
};
constexpr CheckListPlace kCheckListBox1Place{0, 128, 441, 169};

// Menu bar: items, shortcuts (shown after a tab) and pictures.
struct MenuItemSpec {
    ControlId id;         // 0 for a separator
    const char* caption;
    int picture;          // index into the menu pictures, -1 for none
};
constexpr MenuItemSpec kFileMenu[] = {{IDM_EXIT, "終了(&Q)\tCtrl+Q", -1}};
constexpr MenuItemSpec kHelpMenu[] = {
    {IDM_CONTENTS, "目次(&M)", 2},
    {IDM_SEARCH, "トピックの検索(&S)\tF1", -1},
    {IDM_INTRODUCTION, "始めに(&O)\tCtrl+C", 1},
    {ControlId{0}, nullptr, -1},
    {IDM_ABOUT, "バージョン情報(&V)", 0},
};
constexpr ACCEL kShortcuts[] = {
    {FCONTROL | FVIRTKEY, 'Q', IDM_EXIT},
    {FVIRTKEY, VK_F1, IDM_SEARCH},
    {FCONTROL | FVIRTKEY, 'C', IDM_INTRODUCTION},
};

}  // namespace tarvik
