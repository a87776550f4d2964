// The wake-up: its command line and texts, the wake thread's cycles on the
// fake timer and clock, its cancels, and the suspend and resume notices.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "dialogs/dialogs.h"
#include "fake_system.h"
#include "platform/calendar.h"
#include "platform/wait.h"
#include "res/resource.h"
#include "schedule/operations.h"
#include "schedule/scheduled_end.h"
#include "schedule/settle.h"
#include "schedule/wake.h"
#include "state/messages.h"
#include "time_support.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

using test_support::ItemText;

TEST(WakeTexts, CommandLineDetailLineAndDueTime) {
    const std::wstring path257 = L"C:\\" + std::wstring(250, L'a') + L".exe";
    const struct {
        std::wstring program, arguments, line;  // an empty line for a refused one
    } cases[] = {
        {L"", L"C:\\tool.exe /x", L"C:\\tool.exe /x"},
        {L"C:\\tool.exe", L"", L"C:\\tool.exe "},
        {L"C:\\Program Files\\tool.exe", L"/q a", L"\"C:\\Program Files\\tool.exe\" /q a"},
        {L"\"C:\\Program Files\\tool.exe\"", L"-v", L"\"C:\\Program Files\\tool.exe\" -v"},
        {path257, L"1", path257 + L" 1"},                    // 259 units fit
        {path257, L"12", L""},                               // 260 are refused, not cut
        {L"C:\\a b\\" + std::wstring(250, L'a'), L"", L""},  // would fit unquoted
    };
    for (const auto& c : cases) {
        wchar_t line[kPathUnits] = L"left over";
        EXPECT_EQ(!c.line.empty(), BuildWakeCommandLine(c.program.c_str(), c.arguments.c_str(), line));
        EXPECT_EQ(c.line, line);
    }
    wchar_t detail[50];
    FormatWakeDetail(0, 0, detail);
    EXPECT_STREQ(L"\r\n復帰時間　0時", detail);
    FormatWakeDetail(23, 59, detail);
    EXPECT_STREQ(L"\r\n復帰時間　23時59分", detail);
    EXPECT_EQ(116444736000000000LL + 17960000000000000LL, WakeDueTime(1796000000));
}

// The scheduled end that a wake-up arms waits for real, so it stays pending.
class WakeFake : public FakeSystem {
public:
    DWORD WaitForStop(HANDLE stop, DWORD milliseconds) override {
        if (stop == App().operation(Operation::ScheduledEnd).block.stop.get())
            return ::WaitForSingleObject(stop, milliseconds) == WAIT_OBJECT_0 ? ERROR_CANCELLED : ERROR_SUCCESS;
        return FakeSystem::WaitForStop(stop, milliseconds);
    }
    // Whether the wake-up was still idle as each box was shown.
    std::vector<bool> wakeIdleAtBox;
    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) override {
        wakeIdleAtBox.push_back(App().operation(Operation::Wake).idle.load() != 0);
        return FakeSystem::ShowMessage(owner, text, caption, style);
    }
};

INT_PTR CALLBACK MainLike(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool real = message == WM_RETURNTOIDLE || message == WM_ARMWAKE || message == WM_STARTSCHEDULEDEND ||
                      message == WM_POWERBROADCAST || message == WM_TESTMESSAGECLOSED || message == WM_TRAYNOTIFY ||
                      (message == WM_COMMAND && LOWORD(wParam) == IDC_MAIN_RUN);
    return real ? MainDialogProc(window, message, wParam, lParam) : FALSE;
}

class WakeCycle : public ::testing::Test {
protected:
    void SetUp() override {
        zone = FixedZone(-540);
        fake.zone = &zone;
        const int combos[] = {IDC_MAIN_WAKE_MONTH, IDC_MAIN_WAKE_DAY, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE};
        for (int id : combos) FillNumberCombo(59, main.get(), id);
        // Two hours from the fake "now", at half past.
        ::SendDlgItemMessageW(main.get(), IDC_MAIN_WAKE_HOUR, CB_SETCURSEL, (LocalTimeOf(fake.now).tm_hour + 2) % 24,
                              0);
        ::SendDlgItemMessageW(main.get(), IDC_MAIN_WAKE_MINUTE, CB_SETCURSEL, 30, 0);
        programWindows.main = main.get();
        programWindows.manual = manual.get();
        App().phraseText.Set(L"phrase");
        App().COUNTDOWNTIME = 2;
    }
    void TearDown() override { test_support::EndWorkers(); }

    // Presses IDC_MAN_WAKE and serves the wake thread until it has ended.
    void ArmAndFinish() {
        test_support::PressWake();
        OwnedHandle thread = App().operation(Operation::Wake).thread.Duplicate();
        ASSERT_TRUE(thread && WaitServingMessages(thread.get(), 10000));
    }
    std::vector<std::wstring> TakeMessages() {
        std::vector<std::wstring> texts;
        for (const auto& m : fake.messages) texts.push_back(m.text + L"|" + m.caption);
        fake.messages.clear();
        return texts;
    }
    void ExpectWakeIdle() {
        EXPECT_EQ(0u, App().operation(Operation::Wake).running.load());
        EXPECT_EQ(L"指定時間復帰", ItemText(manual.get(), IDC_MAN_WAKE));
        EXPECT_EQ(L"指定時間復帰", std::wstring(KeptManualCaption(Operation::Wake)));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main.get(), IDC_MAIN_RUN)));
        EXPECT_TRUE(App().wakeTimer.With([](HANDLE timer) { return timer == nullptr; }));
    }
    bool ScheduledEndArmed() { return ItemText(main.get(), IDC_MAIN_RUN) == L"処理中断"; }

    TIME_ZONE_INFORMATION zone{};
    WakeFake fake;
    ScopedSystem installed{fake};
    test_support::TestDialog main{IDD_MAIN, MainLike};
    test_support::TestDialog manual{IDD_MANUAL};
};

TEST_F(WakeCycle, ArmsForTheMomentAndReturnsToIdleWhenTheTimerFires) {
    App().TESTCHECK = 1;
    App().NEXT_REG = ResumeMode::WakeIdle;
    fake.holdWakeTimer = true;
    test_support::PressWake();
    OwnedHandle thread = App().operation(Operation::Wake).thread.Duplicate();
    EXPECT_EQ(L"処理中断", ItemText(manual.get(), IDC_MAN_WAKE));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main.get(), IDC_MAIN_RUN)));
    EXPECT_EQ(L"指定時間復帰", App().headline.Get());
    std::tm target = App().operation(Operation::Wake).block.target;
    EXPECT_EQ(L"\r\n復帰時間　" + std::to_wstring(target.tm_hour) + L"時30分", App().detailLine.Get());
    EXPECT_EQ(WakeDueTime(MakeLocalTime(target)), fake.wakeDue);
    {
        std::lock_guard<std::mutex> hold(fake.lock);
        fake.now = MakeLocalTime(target);
    }
    ASSERT_TRUE(WaitServingMessages(thread.get(), 10000));
    EXPECT_EQ(std::vector<std::wstring>{L"指定時間復帰|テストモード"}, TakeMessages());
    ExpectWakeIdle();
    EXPECT_EQ(L"phrase", App().headline.Get());
    EXPECT_FALSE(ScheduledEndArmed());
}

TEST_F(WakeCycle, ResumingTheScheduledEndArmsItAfterTheProgram) {
    App().PROGRAM.Set(L"C:\\Program Files\\tool.exe");
    App().PROGRAM_COMMANDLINE.Set(L"/q");
    const std::vector<std::wstring> quoted = {L"\"C:\\Program Files\\tool.exe\" /q"};
    const struct {
        ResumeMode mode;
        bool programStarts;
        std::vector<std::wstring> programs;
    } cases[] = {{ResumeMode::WakeScheduledEnd, true, {}},
                 {ResumeMode::WakeRunProgramThenScheduledEnd, true, quoted},
                 {ResumeMode::WakeRunProgramThenScheduledEnd, false, quoted}};
    for (const auto& c : cases) {
        fake.programs.clear();
        fake.programStarts = c.programStarts;
        App().NEXT_REG = c.mode;
        ArmAndFinish();
        EXPECT_EQ(c.programs, fake.programs);
        EXPECT_TRUE(ScheduledEndArmed());
        ExpectWakeIdle();
        test_support::PressRun();  // cancels it again
    }
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(WakeCycle, RunningTheProgramThenEndingCountsDownEndsAndArmsTheNextWakeUp) {
    App().TESTCHECK = 1;
    App().NEXT_REG = ResumeMode::WakeRunProgramThenEnd;
    App().PROGRAM.Set(L"C:\\tools\\backup.exe");
    const struct {
        bool programStarts, cancelInCountdown, ends;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const auto& c : cases) {
        fake.holdWakeTimer = false;
        fake.programStarts = c.programStarts;
        // The next wake-up stays armed; a tray abort cancels the count-down.
        std::atomic<bool> aborted{false};
        fake.onSleep = [&] {
            fake.holdWakeTimer = true;
            if (c.cancelInCountdown && !aborted.exchange(true)) {
                ::SendMessageW(main.get(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN);
            }
        };
        ArmAndFinish();
        fake.onSleep = nullptr;
        std::vector<std::wstring> expected = {L"指定時間復帰|テストモード"};
        if (c.ends) expected.push_back(L"シャットダウン：強制チェック OFF|テストモード");
        EXPECT_EQ(expected, TakeMessages());
        EXPECT_EQ(c.ends ? L"処理中断" : L"指定時間復帰", std::wstring(KeptManualCaption(Operation::Wake)));
        if (c.ends) test_support::PressWake();  // cancels the next wake-up
        ExpectWakeIdle();
    }
}

// The count-down after a wake-up runs with every run control locked and
// counts as running until it ends. A wake-up armed during it supersedes it
// and it stops counting; after it, completed or superseded, a tray abort
// disarms the armed wake-up, timer and all.
TEST_F(WakeCycle, TheCountdownAfterAWakeUpRunsLockedAndGivesWayToAWakeUpArmedDuringIt) {
    App().TESTCHECK = 1;
    App().NEXT_REG = ResumeMode::WakeRunProgramThenEnd;
    App().PROGRAM.Set(L"C:\\tools\\backup.exe");
    const DWORD gui = ::GetCurrentThreadId();
    for (bool armDuring : {false, true}) {
        SCOPED_TRACE(armDuring ? "armed during the count-down" : "after the count-down");
        fake.holdWakeTimer = false;
        std::atomic<int> steps{0};
        std::atomic<bool> lockedInCountdown{false};
        fake.onSleep = [&] {
            fake.holdWakeTimer = true;  // the next wake-up stays armed
            if (::GetCurrentThreadId() == gui || ++steps != 1) return;
            lockedInCountdown = App().resumeCountdownRunning.load() != 0 &&
                                !::IsWindowEnabled(::GetDlgItem(manual.get(), IDC_MAN_WAKE)) &&
                                !::IsWindowEnabled(::GetDlgItem(main.get(), IDC_MAIN_RUN));
            if (armDuring) ::SendMessageW(main.get(), WM_ARMWAKE, 0, 0);
        };
        ArmAndFinish();
        fake.onSleep = nullptr;
        EXPECT_TRUE(lockedInCountdown);
        EXPECT_EQ(0u, App().resumeCountdownRunning.load());
        // The next wake-up is armed, its timer set, whichever way it came.
        EXPECT_EQ(1u, App().operation(Operation::Wake).running.load());
        EXPECT_TRUE(App().wakeTimer.With([](HANDLE timer) { return timer != nullptr; }));
        const int cancels = fake.wakeTimerCancels;
        AbortFromTray();
        EXPECT_EQ(cancels + 1, fake.wakeTimerCancels);
        ExpectWakeIdle();
        if (OwnedHandle thread = App().operation(Operation::Wake).thread.Duplicate()) {
            ASSERT_TRUE(WaitServingMessages(thread.get(), 10000));
        }
        TakeMessages();
    }
}

TEST_F(WakeCycle, APcThatCannotResumeOnATimerIsToldBeforeTheWakeUpShowsArmed) {
    fake.timerResumeCode = ERROR_NOT_SUPPORTED;
    fake.holdWakeTimer = true;
    test_support::PressWake();
    EXPECT_EQ(std::vector<bool>{true}, fake.wakeIdleAtBox);
    EXPECT_EQ(0u, fake.messages.at(0).text.find(L"このPCはタイマーでｽﾀﾝﾊﾞｲや休止から復帰できません。"));
    EXPECT_EQ(L"処理中断", ItemText(manual.get(), IDC_MAN_WAKE));  // armed all the same
}

TEST_F(WakeCycle, AFailedArmingIsReportedAndReturnsToIdle) {
    App().NEXT_REG = ResumeMode::WakeScheduledEnd;
    for (DWORD createError : {5u, 0u}) {
        fake.createTimerError = createError;
        fake.setTimerError = 87;
        ArmAndFinish();
        const wchar_t* message = createError != 0 ? L"CreateWaitableTimer() failed with Error 5.|Error"
                                                  : L"SetWaitableTimer() failed with Error 87.|Error";
        EXPECT_EQ(MB_ICONWARNING, static_cast<int>(fake.messages.at(0).style));
        EXPECT_EQ(std::vector<std::wstring>{message}, TakeMessages());
        ExpectWakeIdle();
        EXPECT_EQ(L"phrase", App().headline.Get());
        EXPECT_FALSE(ScheduledEndArmed());  // no resume action
    }
}

TEST_F(WakeCycle, ACancelWhileArmedOrWhileTheProgramRunsEndsTheThread) {
    App().NEXT_REG = ResumeMode::WakeRunProgramThenScheduledEnd;
    App().PROGRAM_COMMANDLINE.Set(L"notepad.exe");
    for (bool programRuns : {false, true}) {
        fake.holdWakeTimer = !programRuns;
        fake.programRunsUntilStopped = programRuns;
        test_support::PressWake();
        OwnedHandle thread = App().operation(Operation::Wake).thread.Duplicate();
        if (programRuns) ::WaitForSingleObject(fake.programRunning.get(), 5000);
        EXPECT_EQ(1u, App().operation(Operation::Wake).running.load());
        test_support::PressWake();
        ExpectWakeIdle();
        EXPECT_EQ(L"phrase", App().headline.Get());
        // The thread ends by itself, acting on nothing; the program is left running.
        ASSERT_TRUE(WaitServingMessages(thread.get(), 5000));
        EXPECT_FALSE(ScheduledEndArmed());
        EXPECT_EQ(programRuns ? 1u : 0u, fake.programs.size());
    }
    EXPECT_EQ(2, fake.wakeTimerCancels);
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(WakeCycle, AResumeRestartsAPendingScheduledEndOnce) {
    EXPECT_EQ(FALSE, OnPowerBroadcast(PBT_APMQUERYSUSPEND, test_support::Moments().end, App()));
    EXPECT_EQ(TRUE, ::SendMessageW(main.get(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0));
    EXPECT_EQ(0u, App().restartAfterResume.load());  // nothing pending, nothing recorded
    test_support::PressRun();
    test_support::WaitFor([] { return App().operation(Operation::ScheduledEnd).running.load() != 0; });
    OwnedHandle oldThread = App().operation(Operation::ScheduledEnd).thread.Duplicate();
    const std::uint32_t generation = App().operation(Operation::ScheduledEnd).block.generation.load();

    fake.executionStates.clear();
    for (WPARAM event : {PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND, PBT_APMRESUMECRITICAL}) {
        EXPECT_EQ(TRUE, ::SendMessageW(main.get(), WM_POWERBROADCAST, event, 0));
    }
    // A resume holds nothing awake by itself: the armed scheduled end does.
    EXPECT_TRUE(fake.executionStates.empty());
    EXPECT_EQ(generation + 1, App().operation(Operation::ScheduledEnd).block.generation.load());  // restarted once
    // The old thread has ended; the restarted one holds the slot and the run.
    ASSERT_TRUE(WaitServingMessages(oldThread.get(), 5000));
    test_support::WaitFor([] { return App().operation(Operation::ScheduledEnd).running.load() != 0; });
    EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).running.load());
    EXPECT_FALSE(App().operation(Operation::ScheduledEnd).thread.Empty());
    EXPECT_TRUE(ScheduledEndArmed());
}

}  // namespace
