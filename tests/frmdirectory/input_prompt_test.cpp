#include "input_prompt.h"

#include <gtest/gtest.h>

#include "error_box.h"
#include "window_test_support.h"

using namespace tarvik;
using namespace testing_support;

namespace {

struct PromptSeen {
    std::string prompt, text, okCaption, cancelCaption;
    DWORD selectionStart = 1, selectionEnd = 0;
    LRESULT limit = 0;
    std::size_t lengthAfterTyping = 0;
} g_seen;

HWND EditOf(HWND dialog) { return FindWindowExA(dialog, nullptr, "Edit", nullptr); }

void LookAndCancel(HWND dialog) {
    const HWND edit = EditOf(dialog);
    g_seen.prompt = TextOf(FindWindowExA(dialog, nullptr, "Static", nullptr));
    g_seen.text = TextOf(edit);
    g_seen.okCaption = TextOf(GetDlgItem(dialog, IDOK));
    g_seen.cancelCaption = TextOf(GetDlgItem(dialog, IDCANCEL));
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&g_seen.selectionStart),
                 reinterpret_cast<LPARAM>(&g_seen.selectionEnd));
    g_seen.limit = SendMessageA(edit, EM_GETLIMITTEXT, 0, 0);
    PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 1);
}

// Types more than the limit over the selected suggestion, then presses Enter.
void TypeTooMuchAndPressEnter(HWND dialog) {
    const HWND edit = EditOf(dialog);
    for (int i = 0; i < 300; ++i) SendMessageA(edit, WM_CHAR, 'x', 1);
    g_seen.lengthAfterTyping = static_cast<std::size_t>(GetWindowTextLengthA(edit));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
}

const InputPromptRequest kRequest{"新規フォルダ作成", "作成するパスを入力してください。", "C:\\Data\\", 255};

TEST(InputPromptDialog, ShowsTheRequestWithTheTextSelectedAndEscapeCancels) {
    InputPrompt prompt(GetModuleHandleA(nullptr));
    WhenWindowAppears look(kRequest.caption, LookAndCancel);
    const std::optional<std::string> answer = prompt.AskText(nullptr, kRequest);
    ASSERT_TRUE(look.Ran());
    EXPECT_FALSE(answer.has_value());
    EXPECT_EQ(g_seen.prompt, kRequest.prompt);
    EXPECT_EQ(g_seen.text, kRequest.initialText);
    EXPECT_EQ(g_seen.okCaption, "OK");
    EXPECT_EQ(g_seen.cancelCaption, "キャンセル");
    EXPECT_EQ(g_seen.selectionStart, 0u);
    EXPECT_EQ(g_seen.selectionEnd, kRequest.initialText.size());
    EXPECT_EQ(g_seen.limit, 255);
}

TEST(InputPromptDialog, EnterConfirmsAtMost255TypedCharacters) {
    InputPrompt prompt(GetModuleHandleA(nullptr));
    WhenWindowAppears type(kRequest.caption, TypeTooMuchAndPressEnter);
    const std::optional<std::string> answer = prompt.AskText(nullptr, kRequest);
    ASSERT_TRUE(type.Ran());
    EXPECT_EQ(g_seen.lengthAfterTyping, 255u);
    EXPECT_EQ(answer, std::string(255, 'x'));
}

TEST(StandardErrorBox, AddsAFullStopAfterTextsEndingAboveIt) {
    EXPECT_EQ(StandardErrorText("レジストリに書き込めません"), "レジストリに書き込めません.");
    EXPECT_EQ(StandardErrorText("Access denied"), "Access denied.");
    EXPECT_EQ(StandardErrorText("Done."), "Done.");
    EXPECT_EQ(StandardErrorText("Failed!"), "Failed!");
    EXPECT_EQ(StandardErrorText("code -"), "code -");
    EXPECT_EQ(StandardErrorText("C:\\"), "C:\\.");
    EXPECT_EQ(StandardErrorText(""), "");
}

}  // namespace
