#include "frm_directory.h"

#include <optional>

#include "error_box.h"
#include "resource_ids.h"
#include "sjis_path.h"
#include "window_procedure.h"

namespace tarvik {

namespace {

constexpr char kClassName[] = "TfrmDirectory";
constexpr char kCaption[] = "フォルダ指定";
constexpr int kCharacterHeight = 16;  // pixels
constexpr int kClientWidth = 350;
constexpr int kClientHeight = 300;
// Dialog frame, fixed size, system menu (close box) only.
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct ControlRow {
    TfrmDirectory::ControlId id;
    const char* name;
    const char* className;
    const char* caption;
    int left, top, width, height;
    DWORD style;
    DWORD exStyle;
};

// The controls in tab order; places in client pixels.
constexpr ControlRow kControls[] = {
    // id                                 name                 class       caption        left top  width height style                     exStyle
    {TfrmDirectory::IdDirectoryListBox1, "DirectoryListBox1", "LISTBOX",  "",             0,   24,  241,  265,   DirectoryListBox::kStyle, WS_EX_CLIENTEDGE},
    {TfrmDirectory::IdDriveComboBox1,    "DriveComboBox1",    "COMBOBOX", "",             0,   0,   241,  22,    DriveComboBox::kStyle,    0},
    {TfrmDirectory::IdBitBtn1,           "BitBtn1",           "BUTTON",   "OK",           248, 32,  97,   33,    BS_DEFPUSHBUTTON,         0},
    {TfrmDirectory::IdBitBtn2,           "BitBtn2",           "BUTTON",   "閉じる(&C)",   248, 256, 97,   33,    BS_PUSHBUTTON,            0},
    {TfrmDirectory::IdButton1,           "Button1",           "BUTTON",   "新規フォルダ", 248, 72,  97,   33,    BS_PUSHBUTTON,            0},
};

}  // namespace

TfrmDirectory::TfrmDirectory(HINSTANCE instance, InputPromptStep& prompt, MessageBoxStep& boxes)
    : instance_(instance), prompt_(prompt), boxes_(boxes) {}

TfrmDirectory::~TfrmDirectory() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TfrmDirectory::Create(HWND owner) {
    if (hwnd_) return true;
    if (!RegisterWindowClass(instance_, kClassName, WindowProcedure<TfrmDirectory>)) return false;
    font_ = CreateUiFont(kCharacterHeight);
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    CreateWindowExA(kWindowExStyle, kClassName, kCaption, kWindowStyle, 0, 0, frame.right - frame.left,
                    frame.bottom - frame.top, owner, nullptr, instance_, this);
    if (!hwnd_) return false;
    CreateControls();
    CentreOnDesktop(hwnd_);
    return true;
}

void TfrmDirectory::CreateControls() {
    for (const ControlRow& row : kControls) {
        const HWND control = CreateWindowExA(
            row.exStyle, row.className, row.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | row.style,
            row.left, row.top, row.width, row.height, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    okGlyph_.Attach(GetDlgItem(hwnd_, IdBitBtn1), instance_, IDB_GLYPH_OK);
    closeGlyph_.Attach(GetDlgItem(hwnd_, IdBitBtn2), instance_, IDB_GLYPH_CLOSE);
    // The list first: the drive box starts on the list's drive.
    directoryListBox1_.Attach(GetDlgItem(hwnd_, IdDirectoryListBox1));
    driveComboBox1_.Attach(GetDlgItem(hwnd_, IdDriveComboBox1), directoryListBox1_.Drive());
}

std::string TfrmDirectory::ShowModal() {
    if (!hwnd_ || modal_.Running()) return chosenFolder_;
    CentreOnDesktop(hwnd_);
    modal_.Run(hwnd_, lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : directoryListBox1_.hwnd());
    return chosenFolder_;
}

void TfrmDirectory::DriveComboBox1Change() {
    const char previous = directoryListBox1_.Drive();
    const char picked = driveComboBox1_.Drive();
    if (picked == '\0' || directoryListBox1_.SwitchToDrive(picked)) return;
    // A drive that cannot be entered (a removable drive without a medium):
    // both controls stay on the previous drive, without a message.
    driveComboBox1_.SetDrive(previous);
}

void TfrmDirectory::BitBtn1Click() {
    directoryListBox1_.Update();
    chosenFolder_ = directoryListBox1_.Directory() + "\\";
    modal_.End(hwnd_);
}

void TfrmDirectory::Button1Click() {
    const std::string& folder = directoryListBox1_.Directory();
    const std::string suggestion = EndsWithSeparator(folder) ? folder : folder + "\\";
    const InputPromptRequest request{"新規フォルダ作成", "作成するパスを入力してください。", suggestion, 255};
    // Cancel creates nothing, even when the list's folder has meanwhile been
    // removed by someone else and the suggestion would bring it back.
    const std::optional<std::string> answer = prompt_.AskText(hwnd_, request);
    if (!answer) return;
    // The folder exists, its parent is missing, the name is invalid or access
    // is denied: nothing happens and nothing is shown.
    if (!CreateDirectoryA(answer->c_str(), nullptr)) return;
    directoryListBox1_.Update();
}

void TfrmDirectory::OnCommand(int id, int notification) {
    switch (id) {
    case IdDriveComboBox1: if (notification == CBN_SELCHANGE) DriveComboBox1Change(); break;
    case IdBitBtn1:        if (notification == BN_CLICKED) BitBtn1Click(); break;
    case IdBitBtn2:        if (notification == BN_CLICKED) modal_.End(hwnd_); break;
    case IdButton1:        if (notification == BN_CLICKED) Button1Click(); break;
    }
}

LRESULT TfrmDirectory::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        if (wParam == IdDirectoryListBox1) directoryListBox1_.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = DirectoryListBox::kLineHeight;
        return TRUE;
    case DM_GETDEFID:
        // Enter outside the folder list presses OK.
        return MAKELRESULT(IdBitBtn1, DC_HASDEFID);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_)) {
            SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_CLOSE:
        // The close box hides the window; it lives until the program ends.
        modal_.End(hwnd_);
        return 0;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void TfrmDirectory::ShowError(const std::string& text) { ShowStandardErrorBox(boxes_, hwnd_, text); }

}  // namespace tarvik
