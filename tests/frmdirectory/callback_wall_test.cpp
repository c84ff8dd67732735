// Whatever a window procedure or a control filter throws ends in the
// window's standard error box, shown through its message-box step.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "error_box.h"
#include "message_filter.h"
#include "window_procedure.h"
#include "window_test_support.h"

namespace {

constexpr UINT kThrowStandard = WM_APP + 10;  // a std::exception
constexpr UINT kThrowOther = WM_APP + 11;     // anything else

void ThrowFor(UINT message) {
    if (message == kThrowStandard) throw std::runtime_error("書き込めません");
    if (message == kThrowOther) throw 42;
}

// A window made as the program's windows are, with a filtered child control.
class ThrowingWindow {
public:
    explicit ThrowingWindow(tarvik::MessageBoxStep& boxes) : boxes_(boxes) {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        EXPECT_TRUE(tarvik::RegisterWindowClass(instance, "TarvikWallTest", tarvik::WindowProcedure<ThrowingWindow>));
        CreateWindowExA(0, "TarvikWallTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, this);
        control_ = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 5, 5, window_, nullptr, instance, nullptr);
        tarvik::InstallMessageFilter<ThrowingWindow, &ThrowingWindow::Filter>(control_, this);
    }
    ~ThrowingWindow() { DestroyWindow(window_); }
    ThrowingWindow(const ThrowingWindow&) = delete;
    ThrowingWindow& operator=(const ThrowingWindow&) = delete;

    HWND window() const { return window_; }
    HWND control() const { return control_; }

private:
    template <typename Window>
    friend LRESULT CALLBACK tarvik::WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND window) { window_ = window; }
    void ShowError(const std::string& text) { tarvik::ShowStandardErrorBox(boxes_, window_, text); }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        ThrowFor(message);
        return DefWindowProcA(window_, message, wParam, lParam);
    }
    LRESULT Filter(HWND, UINT message, WPARAM wParam, LPARAM lParam, const tarvik::ControlProcedure& next) {
        ThrowFor(message);
        return next(message, wParam, lParam);
    }

    tarvik::MessageBoxStep& boxes_;
    HWND window_ = nullptr;
    HWND control_ = nullptr;
};

TEST(CallbackWalls, WhatAWindowOrAFilterThrowsEndsInTheWindowsErrorBox) {
    testing_support::ScriptedSteps boxes;
    ThrowingWindow window(boxes);
    for (HWND target : {window.window(), window.control()}) {
        EXPECT_EQ(SendMessageA(target, kThrowStandard, 0, 0), 0);
        EXPECT_EQ(SendMessageA(target, kThrowOther, 0, 0), 0);
    }
    std::vector<std::string> texts;
    for (const testing_support::ShownMessage& shown : boxes.messages) {
        texts.push_back(shown.text);
        EXPECT_EQ(shown.caption, "Tarvik32");
        EXPECT_EQ(shown.type & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
    }
    const std::string unexpected = std::string(tarvik::kUnexpectedErrorText) + ".";
    EXPECT_EQ(texts, (std::vector<std::string>{"書き込めません.", unexpected, "書き込めません.", unexpected}));
    EXPECT_TRUE(IsWindow(window.control()));
}

}  // namespace
