// The self-extracting program's window, driven in-process with the folder
// picker answered by the test.
#include "sfx_prompt.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct PickerCall {
    bool choose = false;
    std::string answer;
    int shown = 0;
    HWND owner = nullptr;
    std::string startedAt;
} g_picker;

bool ScriptedPicker(HWND owner, std::string& folder) {
    ++g_picker.shown;
    g_picker.owner = owner;
    g_picker.startedAt = folder;
    if (g_picker.choose) folder = g_picker.answer;
    return g_picker.choose;
}

TEST(SelfExtractorPrompt, OpensCentredInTheWorkAreaWithAnEnabledBrowseButtonAndEscapeCancels) {
    cab32::DestinationPrompt prompt(GetModuleHandleA(nullptr), ScriptedPicker);
    ASSERT_TRUE(prompt.Open("C:\\Programs\\sfx"));
    RECT frame{};
    GetWindowRect(prompt.hwnd(), &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(prompt.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    EXPECT_LE(std::abs((frame.left - work.left) - (work.right - frame.right)), 1);
    EXPECT_LE(std::abs((frame.top - work.top) - (work.bottom - frame.bottom)), 1);

    EXPECT_EQ(TextOf(prompt.hwnd()), "自己解凍");
    EXPECT_EQ(TextOf(prompt.Field()), "C:\\Programs\\sfx");
    ASSERT_NE(prompt.BrowseButton(), nullptr);
    EXPECT_EQ(TextOf(prompt.BrowseButton()), "参照...");
    EXPECT_TRUE(IsWindowVisible(prompt.BrowseButton()));
    EXPECT_TRUE(IsWindowEnabled(prompt.BrowseButton()));

    PostMessageA(prompt.Field(), WM_KEYDOWN, VK_ESCAPE, 1);
    std::string folder = "unchanged";
    EXPECT_FALSE(prompt.Wait(folder));
    EXPECT_EQ(folder, "unchanged");
    EXPECT_EQ(prompt.hwnd(), nullptr);
}

TEST(SelfExtractorPrompt, BrowseFillsTheFieldWithTheChosenFolderCancelLeavesItAndEnterExtractsThere) {
    cab32::DestinationPrompt prompt(GetModuleHandleA(nullptr), ScriptedPicker);
    ASSERT_TRUE(prompt.Open("C:\\Start"));
    g_picker = {};
    SendMessageA(prompt.BrowseButton(), BM_CLICK, 0, 0);
    EXPECT_EQ(g_picker.shown, 1);
    EXPECT_EQ(g_picker.owner, prompt.hwnd());
    EXPECT_EQ(g_picker.startedAt, "C:\\Start");
    EXPECT_EQ(TextOf(prompt.Field()), "C:\\Start");

    g_picker.choose = true;
    g_picker.answer = "D:\\解凍先 フォルダ";
    SendMessageA(prompt.BrowseButton(), BM_CLICK, 0, 0);
    EXPECT_EQ(g_picker.shown, 2);
    EXPECT_EQ(TextOf(prompt.Field()), g_picker.answer);

    PostMessageA(prompt.Field(), WM_KEYDOWN, VK_RETURN, 1);
    std::string folder;
    EXPECT_TRUE(prompt.Wait(folder));
    EXPECT_EQ(folder, g_picker.answer);
}

}  // namespace
