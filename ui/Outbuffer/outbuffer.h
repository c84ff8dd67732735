// The result output window "結果出力": shows the text the archiver library
// wrote during the last job. Created once, hidden between showings, so its
// text survives from one job to the next.
#pragma once

#include <windows.h>

#include <string>

#include "gdi_object.h"

namespace tarvik {

class TfrmOutbuffer {
public:
    explicit TfrmOutbuffer(HINSTANCE instance) : instance_(instance) {}
    TfrmOutbuffer(const TfrmOutbuffer&) = delete;
    TfrmOutbuffer& operator=(const TfrmOutbuffer&) = delete;
    ~TfrmOutbuffer();

    bool Create(HWND owner);
    // Replaces the whole text of the text area.
    void SetText(const char* text);
    std::string Text() const;
    // Shows the window modally; returns when it is closed.
    void ShowModal();

    HWND hwnd() const { return window_; }
    HWND RichEdit1() const { return richEdit_; }
    HWND Button1() const { return okButton_; }

private:
    template <typename Window>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND window) { window_ = window; }
    void ShowError(const std::string& text);
    static LRESULT CALLBACK RichEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR refData);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Button1Click();

    HINSTANCE instance_;
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    HWND richEdit_ = nullptr;
    HWND okButton_ = nullptr;
    HMODULE richEditLibrary_ = nullptr;
    Font font_;
};

}  // namespace tarvik
