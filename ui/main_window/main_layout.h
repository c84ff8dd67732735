// The main window's controls and menus as tables: for each control its name,
// class, caption, style, place, initial state and how it is made, in tab
// order; for each menu item its caption, picture and shortcut.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>

#include "check_list_box.h"
#include "main_window.h"
#include "resource_ids.h"

namespace tarvik {

enum ControlId : int {
    IDC_COBPARA1 = 1001, IDC_EDTPARA1, IDC_COBTYPE, IDC_EDTTYPE, IDC_EDTCAB, IDC_BUTTON1, IDC_EDTMELT,
    IDC_CMDDIREC, IDC_CHECKBOX1, IDC_LISTBOX1, IDC_PANEL1, IDC_CMDEXEC, IDC_CMDCLOSE, IDC_CHECKBOX2,
    IDC_CHECKLISTBOX1, IDC_CHECKBOX3, IDC_CHECKBOX4,
    IDC_CMDADD, IDC_CMDDEL, IDC_CMDCLEAR, IDC_CMDLISTSAVE, IDC_CMDLISTLOAD,
    IDC_LABEL1, IDC_LABEL2, IDC_LABEL3, IDC_LABEL4, IDC_LABEL5, IDC_LABEL6,
    IDM_EXIT = 2001, IDM_CONTENTS, IDM_SEARCH, IDM_INTRODUCTION, IDM_ABOUT,
};

inline constexpr char kPanelClassName[] = "TarvikPanel";
// ListBox1 shows one entry a row of this height, in pixels.
inline constexpr int kFileListRowHeight = 16;

enum Parent { kOnWindow, kOnPanel1 };
enum Initially { kEnabled, kDisabled, kHidden };
// How a control is made beyond its row.
enum Made {
    kPlain,      // as the row gives it
    kFileList,   // ListBox1: rows of kFileListRowHeight; re-made whenever its selection mode changes
    kCheckList,  // CheckListBox1: the check list (CheckListBox) takes it over
};

struct ControlRow {
    HWND TfrmCabMain::*control;
    ControlId id;
    const char* className;
    const char* caption;
    DWORD style;  // besides WS_CHILD, and WS_VISIBLE / WS_DISABLED from `initially`
    DWORD exStyle;
    int x, y, width, height;
    Parent parent;
    Initially initially;
    Made made;
    const char* hint;  // shown as a tool tip; null for none
    int glyph;         // bitmap resource shown beside the caption; 0 for none
};

inline constexpr DWORD kTab = WS_TABSTOP;
inline constexpr DWORD kComboList = CBS_DROPDOWNLIST | WS_VSCROLL | kTab;
inline constexpr DWORD kEdit = ES_AUTOHSCROLL | kTab;
inline constexpr DWORD kButton = BS_PUSHBUTTON | kTab;
inline constexpr DWORD kCheck = BS_AUTOCHECKBOX | kTab;
inline constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
// One line; a path too long for it keeps its start and its file name.
inline constexpr DWORD kPathLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_PATHELLIPSIS;
inline constexpr DWORD kListBox1Style = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL | kTab;
inline constexpr DWORD kSunken = WS_EX_CLIENTEDGE;
// The height of a drop-down list includes its opened list.
inline constexpr int kOperationListHeight = 200;
inline constexpr int kCompressionListHeight = 240;

// Tab order is creation order. Labels come last: they take no tab stop.
inline constexpr ControlRow kMainControls[] = {
    // control                    id                 class            caption                           style                    exStyle              x    y    w    h                       parent     initially  made        hint        glyph
    {&TfrmCabMain::cobPara1,      IDC_COBPARA1,      "COMBOBOX",      "",                               kComboList,              0,                   88,  32,  105, kOperationListHeight,   kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::edtPara1,      IDC_EDTPARA1,      "EDIT",          "",                               kEdit,                   kSunken,             200, 32,  33,  21,                     kOnWindow, kDisabled, kPlain,     nullptr,    0},
    {&TfrmCabMain::cobType,       IDC_COBTYPE,       "COMBOBOX",      "",                               kComboList,              0,                   88,  56,  89,  kCompressionListHeight, kOnWindow, kEnabled,  kPlain,     "圧縮形式", 0},
    {&TfrmCabMain::edtType,       IDC_EDTTYPE,       "EDIT",          "",                               kEdit,                   kSunken,             184, 56,  49,  21,                     kOnWindow, kDisabled, kPlain,     nullptr,    0},
    {&TfrmCabMain::edtCab,        IDC_EDTCAB,        "EDIT",          "",                               kEdit,                   kSunken,             344, 32,  217, 21,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::Button1,       IDC_BUTTON1,       "BUTTON",        "参照",                           kButton,                 0,                   568, 32,  49,  21,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::edtMelt,       IDC_EDTMELT,       "EDIT",          "",                               kEdit,                   kSunken,             344, 56,  217, 21,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::cmdDirec,      IDC_CMDDIREC,      "BUTTON",        "参照",                           kButton,                 0,                   568, 56,  49,  21,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::CheckBox1,     IDC_CHECKBOX1,     "BUTTON",        "圧縮時ディレクトリを含まない。", kCheck,                  0,                   8,   80,  225, 17,                     kOnWindow, kDisabled, kPlain,     nullptr,    0},
    {&TfrmCabMain::ListBox1,      IDC_LISTBOX1,      "LISTBOX",       "",                               kListBox1Style,          kSunken,             0,   128, 441, 164,                    kOnWindow, kEnabled,  kFileList,  nullptr,    0},
    {&TfrmCabMain::Panel1,        IDC_PANEL1,        kPanelClassName, "",                               0,                       WS_EX_CONTROLPARENT, 448, 128, 81,  169,                    kOnWindow, kHidden,   kPlain,     nullptr,    0},
    {&TfrmCabMain::cmdExec,       IDC_CMDEXEC,       "BUTTON",        "実行(&E)",                       BS_DEFPUSHBUTTON | kTab, 0,                   536, 128, 81,  33,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::cmdClose,      IDC_CMDCLOSE,      "BUTTON",        "閉じる(&C)",                     kButton,                 0,                   536, 264, 81,  33,                     kOnWindow, kEnabled,  kPlain,     nullptr,    IDB_GLYPH_CLOSE},
    {&TfrmCabMain::CheckBox2,     IDC_CHECKBOX2,     "BUTTON",        "解凍時ディレクトリを含まない。", kCheck,                  0,                   8,   104, 225, 17,                     kOnWindow, kDisabled, kPlain,     nullptr,    0},
    {&TfrmCabMain::CheckListBox1, IDC_CHECKLISTBOX1, "LISTBOX",       "",                               CheckListBox::kStyle,    kSunken,             0,   128, 441, 169,                    kOnWindow, kHidden,   kCheckList, nullptr,    0},
    {&TfrmCabMain::CheckBox3,     IDC_CHECKBOX3,     "BUTTON",        "解凍をファイル単位で指定。",     kCheck,                  0,                   240, 104, 225, 17,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::CheckBox4,     IDC_CHECKBOX4,     "BUTTON",        "マルチボリュームモード(1400KB)", kCheck,                  0,                   240, 80,  225, 17,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::cmdAdd,        IDC_CMDADD,        "BUTTON",        "追加(&A)",                       kButton,                 0,                   8,   8,   65,  25,                     kOnPanel1, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::cmdDel,        IDC_CMDDEL,        "BUTTON",        "除外(&D)",                       kButton,                 0,                   8,   40,  65,  25,                     kOnPanel1, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::cmdClear,      IDC_CMDCLEAR,      "BUTTON",        "初期化(&I)",                     kButton,                 0,                   8,   72,  65,  25,                     kOnPanel1, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::cmdListSave,   IDC_CMDLISTSAVE,   "BUTTON",        "保存(&P)",                       kButton,                 0,                   8,   104, 65,  25,                     kOnPanel1, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::cmdListLoad,   IDC_CMDLISTLOAD,   "BUTTON",        "読込(&L)",                       kButton,                 0,                   8,   136, 65,  25,                     kOnPanel1, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::Label2,        IDC_LABEL2,        "STATIC",        "作業内容",                       kLabel,                  0,                   8,   32,  73,  20,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::Label1,        IDC_LABEL1,        "STATIC",        "圧縮形式",                       kLabel,                  0,                   8,   56,  73,  20,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::Label3,        IDC_LABEL3,        "STATIC",        "CABファイル",                    kLabel,                  0,                   240, 32,  97,  20,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::Label4,        IDC_LABEL4,        "STATIC",        "解凍先フォルダ",                 kLabel,                  0,                   240, 56,  97,  20,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::Label6,        IDC_LABEL6,        "STATIC",        "",                               kPathLabel,              0,                   8,   8,   409, 16,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
    {&TfrmCabMain::Label5,        IDC_LABEL5,        "STATIC",        "",                               SS_RIGHT | SS_NOPREFIX,  0,                   424, 8,   193, 16,                     kOnWindow, kEnabled,  kPlain,     nullptr,    0},
};

// A menu shortcut: FCONTROL / FSHIFT / FALT and a virtual key; no key, no shortcut.
struct Shortcut {
    BYTE modifiers = 0;
    WORD key = 0;
};

struct MenuItemRow {
    ControlId id;         // 0 for a separator
    const char* caption;  // the shortcut's text is added after a tab
    int picture;          // bitmap resource shown beside the item; 0 for none
    Shortcut shortcut;
};

inline constexpr MenuItemRow kSeparator{ControlId{0}, nullptr, 0, {}};

inline constexpr MenuItemRow kFileMenu[] = {
    {IDM_EXIT, "終了(&Q)", 0, {FCONTROL, 'Q'}},
};
inline constexpr MenuItemRow kHelpMenu[] = {
    {IDM_CONTENTS, "目次(&M)", IDB_MENU_CONTENTS, {}},
    {IDM_SEARCH, "トピックの検索(&S)", 0, {0, VK_F1}},
    {IDM_INTRODUCTION, "始めに(&O)", IDB_MENU_INTRODUCTION, {FCONTROL, 'C'}},
    kSeparator,
    {IDM_ABOUT, "バージョン情報(&V)", IDB_MENU_ABOUT, {}},
};

struct MenuRow {
    const char* caption;
    std::span<const MenuItemRow> items;
};
inline constexpr MenuRow kMenuBar[] = {{"ファイル(&F)", kFileMenu}, {"ヘルプ(&H)", kHelpMenu}};

}  // namespace tarvik
