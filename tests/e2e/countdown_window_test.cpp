// The count-down window of the real program: shown for a timer end without
// taking the foreground, and its 中止 stops the run before the test message.
#include <gtest/gtest.h>

#include <windows.h>

#include "driver.h"
#include "res/resource.h"

namespace e2e {
namespace {

constexpr wchar_t kCountdownClass[] = L"QuillmarshCountdown";

using CountdownWindow = ProgramTest;

TEST_F(CountdownWindow, ShowsWithoutTheForegroundAndItsAbortHolds) {
    settings::WriteDword(L"TESTCHECK", 1);
    settings::WriteDword(L"SOUND", 0);
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const DWORD pid = program()->id();
    HWND manual = OpenManualDialog(main);
    ASSERT_TRUE(manual);
    ::SetWindowTextW(Control(manual, IDC_MAN_HOURS), L"0");
    ::SetWindowTextW(Control(manual, IDC_MAN_MINUTES), L"0");
    ::SetWindowTextW(Control(manual, IDC_MAN_SECONDS), L"20");
    Click(manual, IDC_MAN_TIMER);
    const HWND foreground = ::GetForegroundWindow();

    HWND window = WaitForTopLevelWindow(pid, kCountdownClass, nullptr);
    ASSERT_TRUE(window);
    EXPECT_EQ(foreground, ::GetForegroundWindow());
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW),
              exStyle & (WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
    EXPECT_EQ(L"ｼｬｯﾄﾀﾞｳﾝまで", Text(window));
    EXPECT_FALSE(ControlText(window, IDC_COUNTDOWN_SECONDS).empty());

    PostClick(window, IDC_COUNTDOWN_ABORT);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }));
    EXPECT_TRUE(WaitUntil([&] { return ControlText(manual, IDC_MAN_TIMER) == L"タイマー終了"; }));
    // Past the moment the timer had: no test message comes.
    EXPECT_FALSE(WaitForTopLevelWindow(pid, kDialogClass, L"テストモード", 25000));
}

}  // namespace
}  // namespace e2e
