// The result output window "結果出力": shows the text the archiver library
// wrote during the last job. Created once, hidden between showings, so its
// text survives from one job to the next.
#pragma once

#include <windows.h>

#include <string>

#include "dll_module.h"
#include "message_filter.h"
#include "modal_loop.h"
#include "modal_steps.h"
#include "window_handles.h"

namespace tarvik {

class TfrmOutbuffer {
public:
    // Its errors are shown through `boxes`.
    TfrmOutbuffer(HINSTANCE instance, MessageBoxStep& boxes) : instance_(instance), boxes_(boxes) {}
    TfrmOutbuffer(const TfrmOutbuffer&) = delete;
    TfrmOutbuffer& operator=(const TfrmOutbuffer&) = delete;
    ~TfrmOutbuffer();

    // Creates the hidden window, owned by `owner`. False when it cannot be made.
    [[nodiscard]] bool Create(HWND owner);
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
    LRESULT RichEditFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const ControlProcedure& next);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void ApplyTextFormat(WPARAM scope);
    void Button1Click();

    HINSTANCE instance_;
    MessageBoxStep& boxes_;
    HWND window_ = nullptr;
    HWND richEdit_ = nullptr;
    HWND okButton_ = nullptr;
    DllModule richEditLibrary_;
    Font font_;
    ModalLoop modal_;
};

}  // namespace tarvik
