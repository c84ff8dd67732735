#include "main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "archiver.h"
#include "error_box.h"
#include "list_files.h"
#include "main_layout.h"
#include "modal_loop.h"
#include "resource_ids.h"
#include "settings.h"
#include "sjis_path.h"
#include "tarvik_version.h"
#include "window_procedure.h"

namespace tarvik {

namespace {

constexpr char kClassName[] = "TfrmCabMain";
constexpr int kClientWidth = 624;
constexpr int kClientHeight = 300;
constexpr int kWindowCharacterHeight = 16;   // pixels
constexpr int kControlCharacterHeight = 13;  // pixels
constexpr int kMenuPictureSize = 16;         // pixels, square
constexpr UINT kFirstActivation = WM_APP + 1;
// Topics of the help file opened by the Help menu.
constexpr ULONG_PTR kContentsTopic = 1;
constexpr ULONG_PTR kIntroductionTopic = 4;

// "Ctrl+Q", "F1": a shortcut as the menu shows it after its caption.
std::string ShortcutText(const Shortcut& shortcut) {
    std::string text;
    if (shortcut.modifiers & FCONTROL) text += "Ctrl+";
    if (shortcut.modifiers & FSHIFT) text += "Shift+";
    if (shortcut.modifiers & FALT) text += "Alt+";
    if (shortcut.key >= VK_F1 && shortcut.key <= VK_F24) return text + "F" + std::to_string(shortcut.key - VK_F1 + 1);
    return text + static_cast<char>(shortcut.key);
}

DWORD ControlStyle(const ControlRow& row) {
    return WS_CHILD | row.style | (row.initially == kHidden ? 0 : WS_VISIBLE) |
           (row.initially == kDisabled ? WS_DISABLED : 0);
}

}  // namespace

std::string LibraryVersionText(unsigned version) {
    char text[32];
    const unsigned whole = version / 100;
    const unsigned hundredths = version % 100;
    if (hundredths == 0) {
        std::snprintf(text, sizeof text, "%u", whole);
    } else if (hundredths % 10 == 0) {
        std::snprintf(text, sizeof text, "%u.%u", whole, hundredths / 10);
    } else {
        std::snprintf(text, sizeof text, "%u.%02u", whole, hundredths);
    }
    return text;
}

TfrmCabMain::TfrmCabMain(const Options& options) : options_(options) {}

TfrmCabMain::~TfrmCabMain() {
    if (window_) DestroyWindow(window_);
}

bool TfrmCabMain::Create(HWND applicationWindow) {
    applicationWindow_ = applicationWindow;
    if (!RegisterWindowClass(options_.instance, kClassName, WindowProcedure<TfrmCabMain>,
                             LoadIconA(options_.instance, MAKEINTRESOURCEA(IDI_TARVIK32))) ||
        !RegisterWindowClass(options_.instance, kPanelClassName, PanelProc)) {
        return false;
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    CreateMenuBar();
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, TRUE, 0);
    window_ = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, "Tarvik32 Ver0.3", style, CW_USEDEFAULT, 0,
                              frame.right - frame.left, frame.bottom - frame.top, applicationWindow, menu_,
                              options_.instance, this);
    if (!window_) return false;
    CentreOnDesktop(window_);
    FormCreate();
    return true;
}

void TfrmCabMain::Show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    // The activation step runs once, when the window is first shown, and
    // never again when the window regains the focus.
    PostMessageA(window_, kFirstActivation, 0, 0);
}

bool TfrmCabMain::PreTranslateMessage(MSG& message) {
    if (!window_ || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
    // Menu shortcuts are served before the focused control sees the key.
    if (TranslateAcceleratorA(window_, accelerators_.get(), &message)) return true;
    return IsDialogMessageA(window_, &message) != FALSE;
}

// The menu bar and its shortcuts, both from the menu table.
void TfrmCabMain::CreateMenuBar() {
    menu_ = CreateMenu();
    std::vector<ACCEL> shortcuts;
    for (const MenuRow& menu : kMenuBar) {
        HMENU popup = CreatePopupMenu();
        for (const MenuItemRow& item : menu.items) {
            if (!item.caption) {
                AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            const UINT id = static_cast<UINT>(item.id);
            std::string caption = item.caption;
            if (item.shortcut.key) {
                caption.append(1, '\t').append(ShortcutText(item.shortcut));
                shortcuts.push_back({static_cast<BYTE>(FVIRTKEY | item.shortcut.modifiers), item.shortcut.key,
                                     static_cast<WORD>(id)});
            }
            AppendMenuA(popup, MF_STRING, id, caption.c_str());
            if (!item.picture) continue;
            Bitmap& picture = menuPictures_.emplace_back(static_cast<HBITMAP>(
                LoadImageA(options_.instance, MAKEINTRESOURCEA(item.picture), IMAGE_BITMAP, kMenuPictureSize,
                           kMenuPictureSize, LR_LOADTRANSPARENT)));
            if (!picture) continue;
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_BITMAP;
            info.hbmpItem = picture.get();
            SetMenuItemInfoA(popup, id, FALSE, &info);
        }
        AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.caption);
    }
    accelerators_ = AcceleratorTable(CreateAcceleratorTableA(shortcuts.data(), static_cast<int>(shortcuts.size())));
}

HWND TfrmCabMain::CreateControl(const ControlRow& row) {
    const HWND parent = row.parent == kOnPanel1 ? Panel1 : window_;
    const HWND control = CreateWindowExA(row.exStyle, row.className, row.caption, ControlStyle(row), row.x,
                                         row.y, row.width, row.height, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                         options_.instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont_.get()), FALSE);
    switch (row.made) {
    case kPlain: break;
    case kFileList: SendMessageA(control, LB_SETITEMHEIGHT, 0, kFileListRowHeight); break;
    case kCheckList: checkList_.Attach(control); break;
    }
    if (row.hint) AddHint(control, row.hint);
    if (row.glyph) glyphs_.emplace_back().Attach(control, options_.instance, row.glyph);
    return control;
}

void TfrmCabMain::AddHint(HWND control, const char* hint) {
    if (!tooltip_) {
        tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, window_,
                                   nullptr, options_.instance, nullptr);
    }
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(hint);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TfrmCabMain::CreateControls() {
    windowFont_ = CreateUiFont(kWindowCharacterHeight);
    controlFont_ = CreateUiFont(kControlCharacterHeight);
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);
    for (const ControlRow& row : kMainControls) this->*row.control = CreateControl(row);
    for (const JobKindInfo& info : kJobKinds) {
        SendMessageA(cobPara1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(info.item));
    }
    for (const CompressionTypeInfo& info : kCompressionTypes) {
        SendMessageA(cobType, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(info.item));
    }
}

void TfrmCabMain::SelectOperationItem(JobKind kind) {
    SendMessageA(cobPara1, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(JobKindInfoOf(kind).item));
}

void TfrmCabMain::FormCreate() {
    helpFile_ = ExeFolder() + "\\Tarvik.hlp";
    const unsigned version = ArchiverVersion();
    if (version == 0) {
        SetWindowTextA(Label5, "CAB32.DLLは見つかりません");
    } else {
        SetWindowTextA(Label5, ("CAB32.DLL Ver" + LibraryVersionText(version)).c_str());
        // Show which library file the DLL search actually found.
        if (const std::optional<std::string> path = ArchiverPath()) {
            SetWindowTextA(Label6, ("現在のCAB32.DLLは　" + *path).c_str());
        }
    }
    DragAcceptFiles(edtCab, TRUE);
    DragAcceptFiles(ListBox1, TRUE);
    InstallDropFilter(ListBox1);
    InstallDropFilter(edtCab);
}

void TfrmCabMain::FormActivate() {
    SelectOperationItem(JobKind::Compress);
    SetWindowTextA(edtPara1, JobKindInfoOf(JobKind::Compress).operationSwitch);
    const CompressionDefaults defaults = ReadCompressionDefaults();
    switch (defaults.kind) {
    case CompressionDefaults::Kind::KeyMissing:
        break;
    case CompressionDefaults::Kind::Unreadable:
    case CompressionDefaults::Kind::Mszip:
        SendMessageA(cobType, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("MSZIP"));
        SetWindowTextA(edtType, "-mz");
        break;
    case CompressionDefaults::Kind::Lzx: {
        const std::string item = "LZX " + std::to_string(defaults.level);
        const auto found = SendMessageA(cobType, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(item.c_str()));
        SendMessageA(cobType, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
        SetWindowTextA(edtType, ("-ml" + std::to_string(defaults.level)).c_str());
        break;
    }
    }
    // The program's own key is read whatever the library's key held: skipping
    // it would leave the saved check boxes unrestored, and the next close
    // would write the unrestored states over them.
    const DirOptions dirOptions = ReadDirOptions();
    if (dirOptions.noDirsWhenCompressing) SetCheckBox(CheckBox1, *dirOptions.noDirsWhenCompressing);
    if (dirOptions.noDirsWhenExtracting) SetCheckBox(CheckBox2, *dirOptions.noDirsWhenExtracting);
    cobPara1Change();
    HandleArguments(SplitArguments(options_.commandLine));
}

bool TfrmCabMain::FormCloseQuery() {
    if (ArchiverIsRunning()) return false;
    WriteDirOptions(IsDlgButtonChecked(window_, IDC_CHECKBOX1) == BST_CHECKED,
                    IsDlgButtonChecked(window_, IDC_CHECKBOX2) == BST_CHECKED);
    return true;
}

bool TfrmCabMain::FormClose() {
    if (ArchiverIsRunning()) return false;
    DeleteResponseFile(ResponseFilePath(ExeFolder()));
    return true;
}

void TfrmCabMain::munExitClick() { PostMessageA(window_, WM_CLOSE, 0, 0); }

void TfrmCabMain::Help(UINT command, ULONG_PTR data) {
    if (helpFile_.empty()) return;
    options_.steps->ShowHelp(window_, helpFile_, command, data);
}

void TfrmCabMain::Contents1Click() { Help(HELP_CONTEXT, kContentsTopic); }
void TfrmCabMain::S1Click() { Help(HELP_FINDER, 0); }
void TfrmCabMain::N1Click() { Help(HELP_CONTEXT, kIntroductionTopic); }

void TfrmCabMain::About1Click() {
    options_.steps->ShowMessageBox(window_, "Tarvik32 Ver " TARVIK_VERSION_TEXT " \n 作者　Tarvik32 開発チーム", "Tarvik32", MB_OK);
}

void TfrmCabMain::ShowError(const std::string& text) { ShowStandardErrorBox(*options_.steps, window_, text); }

void TfrmCabMain::SetCheckBox(HWND checkBox, bool checked) {
    const bool wasChecked = SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageA(checkBox, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (wasChecked == checked) return;
    if (checkBox == CheckBox1) CheckBox1Click();
    if (checkBox == CheckBox3) CheckBox3Click();
}

void TfrmCabMain::OnCommand(int id, int notification) {
    switch (id) {
    case IDC_COBPARA1: if (notification == CBN_SELCHANGE) cobPara1Change(); return;
    case IDC_COBTYPE: if (notification == CBN_SELCHANGE) cobTypeChange(); return;
    case IDC_EDTCAB: if (notification == EN_CHANGE) edtCabChange(); return;
    case IDC_BUTTON1: return Button1Click();
    case IDC_CMDDIREC: return cmdDirecClick();
    case IDC_CHECKBOX1: if (notification == BN_CLICKED) CheckBox1Click(); return;
    case IDC_CHECKBOX3: if (notification == BN_CLICKED) CheckBox3Click(); return;
    case IDC_CMDEXEC: return cmdExecClick();
    case IDC_CMDCLOSE: return munExitClick();
    case IDC_CMDADD: return cmdAddClick();
    case IDC_CMDDEL: return cmdDelClick();
    case IDC_CMDCLEAR: return cmdClearClick();
    case IDC_CMDLISTSAVE: return cmdListSaveClick();
    case IDC_CMDLISTLOAD: return cmdListLoadClick();
    case IDM_EXIT: return munExitClick();
    case IDM_CONTENTS: return Contents1Click();
    case IDM_SEARCH: return S1Click();
    case IDM_INTRODUCTION: return N1Click();
    case IDM_ABOUT: return About1Click();
    default: return;
    }
}

LRESULT CALLBACK TfrmCabMain::PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The panel's buttons report to the main window.
    if (message == WM_COMMAND) return SendMessageA(GetParent(window), message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT TfrmCabMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case kFirstActivation:
        FormActivate();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MEASUREITEM: {
        auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        item.itemHeight = item.CtlID == IDC_CHECKLISTBOX1 ? CheckListBox::kRowHeight : kFileListRowHeight;
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID == IDC_CHECKLISTBOX1) checkList_.Draw(item);
        else DrawListBox1Item(item);
        return TRUE;
    }
    case DM_GETDEFID:
        return MAKELRESULT(IDC_CMDEXEC, DC_HASDEFID);
    case WM_CLOSE:
        if (FormCloseQuery() && FormClose()) DestroyWindow(window_);
        return 0;
    case WM_SYSCOMMAND:
        // Minimising goes through the application window, whose task bar
        // button then brings the main window back.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && applicationWindow_) {
            ShowWindow(applicationWindow_, SW_MINIMIZE);
            return 0;
        }
        return DefWindowProcA(window_, message, wParam, lParam);
    case WM_QUERYENDSESSION:
        return FormCloseQuery() ? TRUE : FALSE;
    case WM_ENDSESSION:
        // The logon ends after the program agreed: the process may get no
        // other chance to remove the response file.
        if (wParam) FormClose();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window_, message, wParam, lParam);
    }
}

}  // namespace tarvik
