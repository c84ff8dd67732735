#include "outbuffer.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstring>

#include "error_box.h"
#include "window_procedure.h"

namespace tarvik {

namespace {

constexpr char kClassName[] = "TfrmOutbuffer";
constexpr int kClientWidth = 470;
constexpr int kClientHeight = 212;
constexpr int kIdButton1 = IDOK;
constexpr int kIdRichEdit1 = 101;
constexpr int kCharacterHeight = 13;  // pixels, of the button and the text

struct ControlPlace {
    int x, y, width, height;
};
constexpr ControlPlace kButton1Place{184, 184, 105, 25};
constexpr ControlPlace kRichEdit1Place{8, 0, 457, 177};

}  // namespace

// The window goes before the rich edit library that its text area lives in.
TfrmOutbuffer::~TfrmOutbuffer() {
    if (window_) DestroyWindow(window_);
}

bool TfrmOutbuffer::Create(HWND owner) {
    richEditLibrary_ = DllModule::Load("riched20.dll");
    if (!RegisterWindowClass(instance_, kClassName, WindowProcedure<TfrmOutbuffer>)) return false;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_CONTEXTHELP | WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    window_ = CreateWindowExA(exStyle, kClassName, "結果出力", style, 0, 0, frame.right - frame.left,
                              frame.bottom - frame.top, owner, nullptr, instance_, this);
    if (!window_) return false;
    CentreOnDesktop(window_);
    return true;
}

void TfrmOutbuffer::CreateControls() {
    font_ = CreateUiFont(kCharacterHeight);
    // Tab order: the button first; the text area is outside the Tab order.
    okButton_ = CreateWindowExA(0, "BUTTON", "OK(&O)", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                kButton1Place.x, kButton1Place.y, kButton1Place.width, kButton1Place.height,
                                window_, reinterpret_cast<HMENU>(kIdButton1), instance_, nullptr);
    richEdit_ = CreateWindowExA(0, RICHEDIT_CLASSA, "",
                                WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                    ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                                kRichEdit1Place.x, kRichEdit1Place.y, kRichEdit1Place.width,
                                kRichEdit1Place.height, window_, reinterpret_cast<HMENU>(kIdRichEdit1),
                                instance_, nullptr);
    for (HWND control : {okButton_, richEdit_}) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
    SendMessageA(richEdit_, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    SendMessageA(richEdit_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_DESKTOP)));
    ApplyTextFormat(SCF_DEFAULT);
    // No word wrap: lines run on and the horizontal scroll bar reaches them.
    SendMessageA(richEdit_, EM_SETTARGETDEVICE, 0, 1);
    InstallMessageFilter<TfrmOutbuffer, &TfrmOutbuffer::RichEditFilter>(richEdit_, this);
}

// White text in the window's face, as the default format (SCF_DEFAULT) or
// over the whole text (SCF_ALL).
void TfrmOutbuffer::ApplyTextFormat(WPARAM scope) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_CHARSET;
    format.dwEffects = 0;  // no CFE_AUTOCOLOR: the colour below holds
    format.crTextColor = RGB(255, 255, 255);
    format.yHeight = kCharacterHeight * 15;  // pixels in twips at 96 dpi
    format.bCharSet = SHIFTJIS_CHARSET;
    lstrcpynA(format.szFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE);
    SendMessageA(richEdit_, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
}

// New text does not keep the format of the text it replaces, nor take the
// default format everywhere (black text on the desktop colour under Wine):
// the window's format goes over the whole of it.
void TfrmOutbuffer::SetText(const char* text) {
    SetWindowTextA(richEdit_, text ? text : "");
    ApplyTextFormat(SCF_ALL);
}

std::string TfrmOutbuffer::Text() const {
    // Line breaks come back as CR LF, as they were given.
    GETTEXTLENGTHEX lengthQuery{GTL_USECRLF | GTL_PRECISE | GTL_NUMBYTES, CP_ACP};
    const auto length = SendMessageA(richEdit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>(text.size());
    query.flags = GT_USECRLF;
    query.codepage = CP_ACP;
    SendMessageA(richEdit_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

// The button holds the focus, so Enter closes the window.
void TfrmOutbuffer::ShowModal() { modal_.Run(window_, okButton_); }

void TfrmOutbuffer::Button1Click() { modal_.End(window_); }

LRESULT TfrmOutbuffer::RichEditFilter(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                      const ControlProcedure& next) {
    // The Tab key types a tab into the text instead of moving the focus.
    if (message == WM_GETDLGCODE) return next(message, wParam, lParam) | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    return next(message, wParam, lParam);
}

void TfrmOutbuffer::ShowError(const std::string& text) { ShowStandardErrorBox(boxes_, window_, text); }

LRESULT TfrmOutbuffer::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kIdButton1 || LOWORD(wParam) == IDCANCEL) {
            Button1Click();
            return 0;
        }
        break;
    case WM_CLOSE:  // the close box hides; the window lives until the program ends
        Button1Click();
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(kIdButton1, DC_HASDEFID);
    default:
        break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace tarvik
