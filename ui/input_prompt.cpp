#include "input_prompt.h"

#include <stdexcept>
#include <vector>

#include "callback_wall.h"
#include "window_text.h"

namespace tarvik {

namespace {

enum PromptControl : WORD { kPromptLabel = 100, kPromptEdit = 101 };
enum ControlAtom : WORD { kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082 };

// Places in dialog units; the texts are put in with the "A" calls when the
// dialog starts, so the template itself holds none.
struct PromptItem {
    WORD id;
    ControlAtom atom;
    DWORD style;
    short x, y, cx, cy;
};

constexpr short kDialogWidth = 200;
constexpr short kDialogHeight = 64;
constexpr PromptItem kPromptItems[] = {
    {kPromptLabel, kStaticAtom, SS_LEFT | SS_NOPREFIX, 6, 6, 188, 10},
    {kPromptEdit, kEditAtom, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 6, 18, 188, 12},
    {IDOK, kButtonAtom, WS_TABSTOP | BS_DEFPUSHBUTTON, 46, 40, 50, 15},
    {IDCANCEL, kButtonAtom, WS_TABSTOP | BS_PUSHBUTTON, 104, 40, 50, 15},
};

// Builds a DLGTEMPLATE with its items in memory, DWORD-aligned as the
// dialog manager requires.
class TemplateWriter {
public:
    void Word(WORD value) { words_.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const wchar_t* text) {
        do Word(static_cast<WORD>(*text)); while (*text++ != L'\0');
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0) Word(0);
    }
    const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

void WriteTemplate(TemplateWriter& out) {
    out.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    out.Dword(0);
    out.Word(static_cast<WORD>(std::size(kPromptItems)));
    for (short value : {short{0}, short{0}, kDialogWidth, kDialogHeight}) out.Word(static_cast<WORD>(value));
    out.Word(0);  // no menu
    out.Word(0);  // the standard dialog class
    out.Text(L"");
    out.Word(9);
    out.Text(L"ＭＳ Ｐゴシック");
    for (const PromptItem& item : kPromptItems) {
        out.AlignToDword();
        out.Dword(WS_CHILD | WS_VISIBLE | item.style);
        out.Dword(0);
        for (short value : {item.x, item.y, item.cx, item.cy}) out.Word(static_cast<WORD>(value));
        out.Word(item.id);
        out.Word(0xFFFF);
        out.Word(item.atom);
        out.Text(L"");
        out.Word(0);  // no creation data
    }
}

struct PromptSession {
    const InputPromptRequest* request;
    std::string answer;
};

void StartPrompt(HWND dialog, const InputPromptRequest& request) {
    SetWindowTextA(dialog, request.caption.c_str());
    SetDlgItemTextA(dialog, kPromptLabel, request.prompt.c_str());
    SetDlgItemTextA(dialog, IDOK, "OK");
    SetDlgItemTextA(dialog, IDCANCEL, "キャンセル");
    const HWND edit = GetDlgItem(dialog, kPromptEdit);
    SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(request.maxLength), 0);
    SetWindowTextA(edit, request.initialText.c_str());
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
}

INT_PTR HandlePromptMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* session = reinterpret_cast<PromptSession*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        StartPrompt(dialog, *reinterpret_cast<PromptSession*>(lParam)->request);
        return FALSE;  // the focus is set already
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            session->answer = WindowText(GetDlgItem(dialog, kPromptEdit));
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// A wall as a control filter is (callback_wall.h): the prompt's owner shows the error.
INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandlePromptMessage(dialog, message, wParam, lParam);
    } catch (...) {
        PassErrorUp(GetParent(dialog), CurrentExceptionText());
        return FALSE;
    }
}

}  // namespace

std::optional<std::string> InputPrompt::AskText(HWND owner, const InputPromptRequest& request) {
    TemplateWriter writer;
    WriteTemplate(writer);
    PromptSession session{&request, {}};
    const INT_PTR result = DialogBoxIndirectParamA(instance_, writer.Data(), owner, PromptProc,
                                                   reinterpret_cast<LPARAM>(&session));
    if (result == -1 || result == 0) throw std::runtime_error("入力ダイアログを表示できません");
    if (result != IDOK) return std::nullopt;
    return session.answer;
}

}  // namespace tarvik
