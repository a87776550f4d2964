// The life of the real program: one instance at a time, and the ways its
// main window ends it (or, for Enter, does not).
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr wchar_t kGuardCaption[] = L"tovakeli quillmarsh";

using SingleInstance = ProgramTest;

TEST_F(SingleInstance, SecondStartReportsAndExitsWithZero) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    Process* second = Launch();
    ASSERT_TRUE(second);

    HWND box = WaitForTopLevelWindow(second->id(), kDialogClass, kGuardCaption, kStartTimeoutMs);
    ASSERT_TRUE(box) << "the second instance showed no message box";
    EXPECT_EQ(MessageBoxText(box), L"すでに起動しています");
    EXPECT_EQ(FindTopLevelWindow(second->id(), kDialogClass, kMainTitle), nullptr);
    EXPECT_TRUE(second->Running()) << "the box must wait for the user";

    PressMessageBoxButton(box, IDOK);
    EXPECT_EQ(second->WaitForExit(), 0u);

    // The running instance is untouched.
    EXPECT_TRUE(program()->Running());
    EXPECT_TRUE(::IsWindow(main));
    EXPECT_TRUE(Responds(main));
    EXPECT_EQ(WaitForMainWindow(program()->id(), 0), main);
    EXPECT_TRUE(settings::ValueNames().empty());
}

TEST_F(SingleInstance, StartsAgainAfterTheFirstHasEnded) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    PostClick(main, IDC_MAIN_BYE);
    ASSERT_EQ(program()->WaitForExit(), 1u);
    // The guard went with the first process.
    EXPECT_TRUE(StartProgram());
}

// ---- Ending the program ------------------------------------------------------------

// What the program is busy with when it is ended.
using Preparation = void (*)(HWND main, DWORD pid);

void OpenSecondaryDialog(HWND main, DWORD pid, int button, const wchar_t* title) {
    PostClick(main, button);
    ASSERT_TRUE(WaitForTopLevelWindow(pid, kDialogClass, title))
        << ::testing::PrintToString(std::wstring(title)) << " did not open";
}

void OpenSettings(HWND main, DWORD pid) { OpenSecondaryDialog(main, pid, IDC_MAIN_SETTINGS, L"ｸｲﾙﾏｰｼｭ：設定"); }

void OpenSettingsAndManual(HWND main, DWORD pid) {
    OpenSettings(main, pid);
    OpenSecondaryDialog(main, pid, IDC_MAIN_MANUAL, L"ｸｲﾙﾏｰｼｭ：手動処理");
}

// Arms the scheduled end for a moment half a day away, in test mode so that
// even a wrong target only shows a box.
void ArmScheduledEnd(HWND main, DWORD) {
    Click(main, IDC_MAIN_TEST);
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    ChooseComboItem(main, IDC_MAIN_END_HOUR, (now.wHour + 12) % 24);
    Click(main, IDC_MAIN_RUN);
    ASSERT_EQ(ControlText(main, IDC_MAIN_RUN), L"処理中断");
}

struct EndingCase {
    const char* label;
    Preparation prepare;  // nullptr: ended while idle
    void (*end)(HWND main);
};

void PrintTo(const EndingCase& ending, std::ostream* out) { *out << ending.label; }

void PressBye(HWND main) { PostClick(main, IDC_MAIN_BYE); }
void PressCloseBox(HWND main) { Post(main, WM_SYSCOMMAND, SC_CLOSE, 0); }

const EndingCase kEndingCases[] = {
    {"ByeButton", nullptr, PressBye},
    {"CloseBox", nullptr, PressCloseBox},
    {"CloseMessage", nullptr, [](HWND main) { Post(main, WM_CLOSE); }},
    {"EscapeKey", nullptr, [](HWND main) { PressKey(main, VK_ESCAPE); }},
    // Their modal loops run nested inside the main window's handlers, so the
    // program ends only if those dialogs are ended too.
    {"ByeWithSettingsOpen", OpenSettings, PressBye},
    {"CloseBoxWithBothDialogsOpen", OpenSettingsAndManual, PressCloseBox},
    // The armed operation ends with the process, its worker still running.
    {"ByeWithScheduledEndArmed", ArmScheduledEnd, PressBye},
};

class EndingTheProgram : public ProgramTestWithParam<EndingCase> {};

TEST_P(EndingTheProgram, EndsWithExitCodeOneAndWritesNothing) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    if (GetParam().prepare != nullptr) {
        GetParam().prepare(main, program()->id());
        if (HasFatalFailure()) return;
    }
    const std::vector<std::wstring> before = settings::ValueNames();

    GetParam().end(main);
    EXPECT_EQ(program()->WaitForExit(), 1u);
    EXPECT_EQ(settings::ValueNames(), before) << "a setting was written at exit";
}

INSTANTIATE_TEST_SUITE_P(Ways, EndingTheProgram, ::testing::ValuesIn(kEndingCases),
                         [](const ::testing::TestParamInfo<EndingCase>& info) { return info.param.label; });

using MainWindowKeys = ProgramTest;

TEST_F(MainWindowKeys, EnterDoesNothing) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);

    // Identifier 1 as the dialog manager sends it for Enter: no handler.
    Send(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(program()->Running());

    // Enter typed with the focus on a check box, where no push button is
    // the default. Posted messages are handled in order, so once the click
    // posted after it has been handled, so has the key.
    HWND testBox = Control(main, IDC_MAIN_TEST);
    Send(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(testBox), TRUE);
    PressKey(testBox, VK_RETURN);
    PostClick(main, IDC_MAIN_FORCE);
    EXPECT_TRUE(WaitUntil([] { return settings::ReadDword(L"FORCECHECK") == 1u; }))
        << "the click after Enter was never handled";

    EXPECT_TRUE(program()->Running());
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_TRUE(Responds(main));
    EXPECT_FALSE(IsChecked(main, IDC_MAIN_TEST));
    EXPECT_EQ(settings::ValueNames(), std::vector<std::wstring>{L"FORCECHECK"});
}

}  // namespace
