// The real scheduled end in test mode: armed for the next minute, cancelled
// and armed again, it acts once at its moment; the run button returns to idle
// before the test-mode message shows.
#include <gtest/gtest.h>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

using ScheduledEnd = ProgramTest;

TEST_F(ScheduledEnd, TestModeShowsItsMessageOnceAtTheMoment) {
    settings::WriteDword(L"TESTCHECK", 1);
    settings::WriteDword(L"SOUND", 0);
    settings::WriteDword(L"COUNTDOWNTIME", 1);
    HWND main = StartProgram();
    ASSERT_TRUE(main);

    const ULONGLONG target = ChooseNextMinute(main, IDC_MAIN_END_HOUR, IDC_MAIN_END_MINUTE);

    Click(main, IDC_MAIN_RUN);
    EXPECT_EQ(ControlText(main, IDC_MAIN_RUN), L"処理中断");
    EXPECT_FALSE(IsEnabled(main, IDC_MAIN_SHUTDOWN));
    EXPECT_FALSE(IsEnabled(main, IDC_MAIN_END_MINUTE));

    // Cancelled while waiting: idle again, controls back.
    Click(main, IDC_MAIN_RUN);
    EXPECT_EQ(ControlText(main, IDC_MAIN_RUN), L"処理実行");
    EXPECT_TRUE(IsEnabled(main, IDC_MAIN_SHUTDOWN));

    // Armed again for the same moment: only this start may act.
    Click(main, IDC_MAIN_RUN);
    const DWORD waitMs = static_cast<DWORD>((target - LocalSeconds() + 30) * 1000);
    HWND box = WaitForTopLevelWindow(program()->id(), kDialogClass, L"テストモード", waitMs);
    ASSERT_TRUE(box) << "no test-mode message";
    const ULONGLONG shownAt = LocalSeconds();
    // Silent: the count-down starts at the moment and lasts COUNTDOWNTIME + 1 s.
    EXPECT_GE(shownAt, target + 1);
    EXPECT_LE(shownAt, target + 10);
    EXPECT_EQ(MessageBoxText(box), L"シャットダウン：強制チェック OFF");
    // The run button went back to idle before the message.
    EXPECT_EQ(ControlText(main, IDC_MAIN_RUN), L"処理実行");
    EXPECT_TRUE(IsEnabled(main, IDC_MAIN_SHUTDOWN));
    EXPECT_TRUE(Responds(main));

    PressMessageBoxButton(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    // No second start acts on its own.
    ::Sleep(3000);
    EXPECT_EQ(FindTopLevelWindow(program()->id(), kDialogClass, L"テストモード"), nullptr);
    EXPECT_TRUE(program()->Running());
}

}  // namespace
