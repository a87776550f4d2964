// Storms against the real program: every operation started and cancelled
// through its button as fast as the windows take it; suspend and resume
// notices around an armed scheduled end; the notification area restarting
// while the windows hide behind the icon. Afterwards nothing may be left
// behind: no thread, no handle, no caption, no message and no end action.
#include <gtest/gtest.h>

#include <windows.h>
#include <pbt.h>
#include <shellapi.h>

#include <iostream>
#include <string>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr wchar_t kTestModeTitle[] = L"テストモード";
constexpr wchar_t kCancelCaption[] = L"処理中断";

int HourFromNow(int hours) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return (now.wHour + hours) % 24;
}

// Visible dialogs of `pid` other than those given: message boxes, mostly.
std::wstring OtherDialogs(DWORD pid, HWND main, HWND manual) {
    std::wstring found;
    for (HWND window : TopLevelWindows(pid)) {
        if (window != main && window != manual && ::IsWindowVisible(window))
            found += L"[" + Text(window) + L": " + MessageBoxText(window) + L"]";
    }
    return found;
}

struct Toggle {
    const char* name;
    bool inManualDialog;
    int id;
    const wchar_t* idleCaption;
    bool settles;  // its handler waits for the worker to start
    bool warns;    // arming it shows a warning under Wine
};

const Toggle kToggles[] = {
    {"scheduled end", false, IDC_MAIN_RUN, L"処理実行", false, false},
    {"timer end", true, IDC_MAN_TIMER, L"タイマー終了", true, false},
    {"wait for a program", true, IDC_MAN_WAIT, L"ﾌﾟﾛｸﾞﾗﾑ待機終了", true, false},
    {"wake-up", true, IDC_MAN_WAKE, L"指定時間復帰", false, true},
};

using Storm = ProgramTest;

TEST_F(Storm, StartCancelCyclesLeaveNothingBehind) {
    // Test mode, and every moment half a day away: nothing may fire.
    settings::WriteDword(L"TESTCHECK", 1);
    settings::WriteDword(L"SOUND", 0);
    settings::WriteDword(L"HOUR", HourFromNow(12));
    settings::WriteDword(L"HOUR2", HourFromNow(12));
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const DWORD pid = program()->id();
    HWND manual = OpenManualDialog(main);
    ASSERT_TRUE(manual);
    ::SetWindowTextW(Control(manual, IDC_MAN_HOURS), L"99");
    // The program waits for itself: a wait that cannot end.
    HWND combo = Control(manual, IDC_MAN_PROCESS);
    ASSERT_TRUE(WaitUntil([&] {
        Send(combo, WM_KILLFOCUS);
        Send(combo, WM_SETFOCUS);
        for (int i = 0; i < ComboCount(manual, IDC_MAN_PROCESS); ++i) {
            if (ComboItem(manual, IDC_MAN_PROCESS, i) != L"quillmarsh") continue;
            ChooseComboItem(manual, IDC_MAN_PROCESS, i);
            return true;
        }
        return false;
    }));

    auto cycle = [&](const Toggle& toggle, unsigned count) {
        HWND window = toggle.inManualDialog ? manual : main;
        for (unsigned i = 0; i < count; ++i) {
            if (toggle.warns) {
                // Wine's timers cannot resume the machine: every arming says so.
                PostClick(window, toggle.id);
                ASSERT_NE(AnswerProgramBox(pid), L"") << toggle.name << " cycle " << i;
                ASSERT_TRUE(WaitUntil([&] { return ControlText(window, toggle.id) == kCancelCaption; }));
            } else {
                Click(window, toggle.id);
            }
            ASSERT_EQ(ControlText(window, toggle.id), kCancelCaption) << toggle.name << " cycle " << i;
            Click(window, toggle.id);
            ASSERT_EQ(ControlText(window, toggle.id), toggle.idleCaption) << toggle.name << " cycle " << i;
        }
    };
    // One cycle each first, so that what Wine sets up on first use counts
    // as idle (and the wait button takes the caption its cancel writes);
    // then the idle program's threads and handles.
    for (const Toggle& toggle : kToggles) cycle(toggle, 1);
    ::Sleep(1500);
    const std::size_t threads = ThreadCount(pid);
    const DWORD handles = HandleCount(program()->handle());
    std::cout << "idle: " << threads << " threads, " << handles << " handles\n";

    for (const Toggle& toggle : kToggles) {
        const unsigned count = StressCount(toggle.settles ? 10 : 40);
        cycle(toggle, count);
        if (HasFatalFailure()) return;
    }

    // Cancelled workers end on their own within a moment.
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount(pid) <= threads + 2; }))
        << ThreadCount(pid) << " threads, " << threads << " before";
    EXPECT_TRUE(WaitUntil([&] { return HandleCount(program()->handle()) <= handles + 5; }))
        << HandleCount(program()->handle()) << " handles, " << handles << " before";
    std::cout << "after: " << ThreadCount(pid) << " threads, " << HandleCount(program()->handle()) << " handles\n";
    for (const Toggle& toggle : kToggles) {
        HWND window = toggle.inManualDialog ? manual : main;
        EXPECT_EQ(ControlText(window, toggle.id), toggle.idleCaption) << toggle.name;
        EXPECT_TRUE(IsEnabled(window, toggle.id)) << toggle.name;
    }
    ::Sleep(1000);
    EXPECT_EQ(OtherDialogs(pid, main, manual), L"");
    EXPECT_TRUE(program()->Running());
    EXPECT_TRUE(Responds(main));
}

TEST_F(Storm, SuspendResumeKeepsOneWorkerAndActsOnceAtTheMoment) {
    settings::WriteDword(L"TESTCHECK", 1);
    settings::WriteDword(L"SOUND", 0);
    settings::WriteDword(L"COUNTDOWNTIME", 1);
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const DWORD pid = program()->id();
    // The storm has to end before the moment: 25 seconds at least.
    const ULONGLONG left = 60 - LocalSeconds() % 60;
    if (left < 25) ::Sleep(static_cast<DWORD>(left + 1) * 1000);
    const ULONGLONG target = ChooseNextMinute(main, IDC_MAIN_END_HOUR, IDC_MAIN_END_MINUTE);

    Click(main, IDC_MAIN_RUN);
    ASSERT_EQ(ControlText(main, IDC_MAIN_RUN), kCancelCaption);
    ::Sleep(500);
    const std::size_t armed = ThreadCount(pid);

    // Windows sends one resume notice or both, in either order.
    const unsigned count = StressCount(20);
    for (unsigned i = 0; i < count; ++i) {
        EXPECT_EQ(Send(main, WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);
        EXPECT_EQ(Send(main, WM_POWERBROADCAST, i % 2 ? PBT_APMRESUMESUSPEND : PBT_APMRESUMEAUTOMATIC), TRUE);
        if (i % 3 == 0) Send(main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    }
    ASSERT_LT(LocalSeconds(), target) << "the storm outlasted the minute";
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount(pid) == armed; }))
        << ThreadCount(pid) << " threads, " << armed << " armed";
    EXPECT_EQ(ControlText(main, IDC_MAIN_RUN), kCancelCaption);
    EXPECT_EQ(FindTopLevelWindow(pid, kDialogClass, kTestModeTitle), nullptr) << "acted early";

    const DWORD waitMs = static_cast<DWORD>((target - LocalSeconds() + 30) * 1000);
    HWND box = WaitForTopLevelWindow(pid, kDialogClass, kTestModeTitle, waitMs);
    ASSERT_TRUE(box) << "no test-mode message";
    const ULONGLONG shownAt = LocalSeconds();
    EXPECT_GE(shownAt, target);
    EXPECT_LE(shownAt, target + 15);
    // Exactly once: no second message now or later.
    ::Sleep(2000);
    int boxes = 0;
    for (HWND window : TopLevelWindows(pid)) boxes += ::IsWindowVisible(window) && Text(window) == kTestModeTitle;
    EXPECT_EQ(boxes, 1);
    PressMessageBoxButton(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    ::Sleep(3000);
    EXPECT_EQ(FindTopLevelWindow(pid, kDialogClass, kTestModeTitle), nullptr);
    EXPECT_EQ(ControlText(main, IDC_MAIN_RUN), L"処理実行");
    EXPECT_TRUE(program()->Running());
}

// The notification area's restart as the program sees it: the icon gone
// with the old area, then "TaskbarCreated" broadcast by the new one.
TEST_F(Storm, TheIconReturnsAfterTheNotificationAreaRestarts) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    auto restartArea = [&] {
        NOTIFYICONDATAW icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = main;
        icon.uID = kTrayIconId;
        ::Shell_NotifyIconW(NIM_DELETE, &icon);
        EXPECT_FALSE(IconShown(main));
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    };

    Post(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(main) && IconShown(main); }));
    const unsigned count = StressCount(5);
    for (unsigned i = 0; i < count; ++i) {
        restartArea();
        ASSERT_TRUE(WaitUntil([&] { return IconShown(main); })) << "restart " << i;
        EXPECT_FALSE(::IsWindowVisible(main));
    }

    // Shown again, the program has no icon for a new area to receive.
    Post(main, kTrayMessage, kTrayIconId, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(main) && !IconShown(main); }));
    restartArea();
    ASSERT_TRUE(Responds(main));
    EXPECT_FALSE(IconShown(main));
}

}  // namespace
