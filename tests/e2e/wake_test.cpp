// The real wake-up in test mode: armed through the manual dialog for the next
// minute, its waitable timer fires, the test-mode message shows, and
// IDC_MAN_WAKE returns to idle.
#include <gtest/gtest.h>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

using WakeUp = ProgramTest;

TEST_F(WakeUp, TimerFiresAtTheMomentAndTheButtonReturnsToIdle) {
    settings::WriteDword(L"TESTCHECK", 1);
    settings::WriteDword(L"SOUND", 0);
    settings::WriteDword(L"NEXT_REG", 1);
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const DWORD pid = program()->id();

    const ULONGLONG target = ChooseNextMinute(main, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE);

    HWND manual = OpenManualDialog(main);
    ASSERT_TRUE(manual);
    // Wine's timers cannot resume the machine, which the program says.
    PostClick(manual, IDC_MAN_WAKE);
    EXPECT_EQ(AnswerProgramBox(pid).rfind(L"このPCはタイマーでｽﾀﾝﾊﾞｲや休止から復帰できません。", 0), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(manual, IDC_MAN_WAKE) == L"処理中断"; }));
    EXPECT_FALSE(IsEnabled(main, IDC_MAIN_RUN));

    const DWORD waitMs = static_cast<DWORD>((target - LocalSeconds() + 30) * 1000);
    HWND box = WaitForTopLevelWindow(pid, kDialogClass, L"テストモード", waitMs);
    ASSERT_TRUE(box) << "the wake timer did not fire";
    EXPECT_GE(LocalSeconds(), target);
    EXPECT_EQ(MessageBoxText(box), L"指定時間復帰");
    PressMessageBoxButton(box, IDOK);

    EXPECT_TRUE(WaitUntil([&] { return ControlText(manual, IDC_MAN_WAKE) == L"指定時間復帰"; }));
    EXPECT_TRUE(IsEnabled(main, IDC_MAIN_RUN));
    EXPECT_TRUE(Responds(main));
}

}  // namespace
