// What the real program tells of the PC's power as it arms, against Wine's
// real answers: a clock that wakes the machine from S1 only, not from
// hibernation, and timers that cannot resume it. Each warning is answered,
// and the operation arms as before.
#include <gtest/gtest.h>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

using PowerCheck = ProgramTest;

TEST_F(PowerCheck, ArmingSaysWhatThePcWillReallyDoAndArmsAsBefore) {
    settings::WriteDword(L"TESTCHECK", 1);
    settings::WriteDword(L"SOUND", 0);
    settings::WriteDword(L"WAYTOEND", 4);  // 休止
    settings::WriteDword(L"NEXT_REG", 1);  // a wake-up follows the end
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const DWORD pid = program()->id();

    PostClick(main, IDC_MAIN_RUN);
    // The resume probe answers for the wake-up armed only after the end.
    const std::wstring end = AnswerProgramBox(pid);
    EXPECT_EQ(end.rfind(L"このPCはタイマーでｽﾀﾝﾊﾞｲや休止から復帰できません。", 0), 0u) << ::testing::PrintToString(end);
    EXPECT_NE(end.find(L"このPCはタイマーで休止から復帰できません。"), std::wstring::npos);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_MAIN_RUN) == L"処理中断"; }));
    Click(main, IDC_MAIN_RUN);
    EXPECT_EQ(ControlText(main, IDC_MAIN_RUN), L"処理実行");

    HWND manual = OpenManualDialog(main);
    ASSERT_TRUE(manual);
    PostClick(manual, IDC_MAN_WAKE);
    const std::wstring said = AnswerProgramBox(pid);
    EXPECT_EQ(said.rfind(L"このPCはタイマーでｽﾀﾝﾊﾞｲや休止から復帰できません。", 0), 0u)
        << ::testing::PrintToString(said);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(manual, IDC_MAN_WAKE) == L"処理中断"; }));
    Click(manual, IDC_MAN_WAKE);
    EXPECT_EQ(ControlText(manual, IDC_MAN_WAKE), L"指定時間復帰");
    EXPECT_TRUE(Responds(main));
}

}  // namespace
