// The real program and Wine's notification area: minimising hides the
// windows behind the icon, a click on the icon brings them back, and with
// start-up registration the program arms itself and hides at once.
#include <gtest/gtest.h>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

using Tray = ProgramTest;

TEST_F(Tray, MinimiseHidesIntoTheIconAndAClickOnItRestores) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    EXPECT_FALSE(IconShown(main));

    Post(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(main); }));
    EXPECT_TRUE(WaitUntil([&] { return IconShown(main); }));

    // The icon's callback for a left button press.
    Post(main, kTrayMessage, kTrayIconId, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }));
    EXPECT_FALSE(::IsIconic(main));
    EXPECT_TRUE(WaitUntil([&] { return !IconShown(main); }));
    // Restored, the clock line ticks again.
    const std::wstring line = ControlText(main, IDC_MAIN_CLOCK);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_MAIN_CLOCK) != line; }, 5000));

    // Another icon id, or a button release, is not for it.
    Post(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(main); }));
    Post(main, kTrayMessage, kTrayIconId + 1, WM_LBUTTONDOWN);
    Post(main, kTrayMessage, kTrayIconId, WM_LBUTTONUP);
    ASSERT_TRUE(Responds(main));
    EXPECT_FALSE(::IsWindowVisible(main));
    EXPECT_TRUE(IconShown(main));
}

TEST_F(Tray, StartupRegistrationArmsTheScheduledEndAndHides) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    settings::WriteDword(L"STARTUPCHECK", 1);
    settings::WriteDword(L"TESTCHECK", 1);  // whatever happens, nothing real
    settings::WriteDword(L"HOUR", (now.wHour + 12) % 24);

    Process* process = Launch();
    ASSERT_TRUE(process);
    HWND main = FindMainWindow(process->id());
    ASSERT_TRUE(main);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_MAIN_RUN) == L"処理中断"; }));
    EXPECT_FALSE(IsEnabled(main, IDC_MAIN_SHUTDOWN));
    EXPECT_TRUE(IsEnabled(main, IDC_MAIN_RUN));
    EXPECT_TRUE(WaitUntil([&] { return IconShown(main) && !::IsWindowVisible(main); }));
    EXPECT_TRUE(Responds(main));

    PostClick(main, IDC_MAIN_BYE);
    EXPECT_EQ(process->WaitForExit(), 1u);
}

}  // namespace
