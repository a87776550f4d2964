// The wake-up: its command line and texts, the wake thread's cycles on the
// fake timer and clock, its cancels, and the suspend and resume notices.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "fake_system.h"
#include "platform/calendar.h"
#include "res/resource.h"
#include "schedule/scheduled_end.h"
#include "schedule/settle.h"
#include "schedule/wake.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "time_support.h"
#include "ui_test_support.h"

namespace {

using test_support::ItemText;
using test_support::TestDialog;

TEST(WakeCommandLine, QuotesAPathWithSpacesAndRefusesWhatDoesNotFit) {
    const std::wstring longPath = L"C:\\" + std::wstring(250, L'a') + L".exe";
    struct Case {
        std::wstring program, arguments;
        bool fits;
        std::wstring line;
    } const cases[] = {
        {L"", L"C:\\tool.exe /x", true, L"C:\\tool.exe /x"},
        {L"", L"", true, L""},
        {L"C:\\tool.exe", L"", true, L"C:\\tool.exe "},
        {L"C:\\Program Files\\tool.exe", L"/q a", true, L"\"C:\\Program Files\\tool.exe\" /q a"},
        {L"\"C:\\Program Files\\tool.exe\"", L"-v", true, L"\"C:\\Program Files\\tool.exe\" -v"},
        {longPath, L"1", true, longPath + L" 1"},  // 259 units: fits
        {longPath, L"12", false, L""},             // 260: refused, not cut
        {L"C:\\a b\\" + std::wstring(250, L'a'), L"", false, L""},  // would fit unquoted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.program.size() << " + " << c.arguments.size());
        wchar_t line[kPathUnits] = L"left over";
        EXPECT_EQ(c.fits, BuildWakeCommandLine(c.program.c_str(), c.arguments.c_str(), line));
        EXPECT_EQ(c.line, line);
    }
}

TEST(WakeTexts, DetailLineAndAbsoluteDueTime) {
    const struct {
        int hour, minute;
        const wchar_t* line;
    } cases[] = {{0, 0, L"\r\n復帰時間　0時"}, {7, 5, L"\r\n復帰時間　7時5分"}, {23, 59, L"\r\n復帰時間　23時59分"}};
    for (const auto& c : cases) {
        wchar_t line[50];
        FormatWakeDetail(c.hour, c.minute, line);
        EXPECT_STREQ(c.line, line);
    }
    EXPECT_EQ(116444736000000000LL, WakeDueTime(0));
    EXPECT_EQ(116444736000000000LL + 17960000000000000LL, WakeDueTime(1796000000));
}

// The scheduled end that a wake-up arms waits for real on its stop event, so
// it stays pending while the test looks at it; everything else is fake.
class WakeFake : public FakeSystem {
public:
    bool WaitForStop(HANDLE stop, DWORD milliseconds) override {
        if (stop == app.scheduledEndBlock.stop.get()) return ::WaitForSingleObject(stop, milliseconds) == WAIT_OBJECT_0;
        return FakeSystem::WaitForStop(stop, milliseconds);
    }
};

// The main window as the wake-up and the scheduled end use it.
INT_PTR CALLBACK MainLike(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool forwarded = message == WM_RETURNTOIDLE || message == WM_TOGGLEWAKE || message == WM_POWERBROADCAST ||
                           message == WM_TESTMESSAGECLOSED || (message == WM_COMMAND && LOWORD(wParam) == IDC_MAIN_RUN);
    return forwarded ? MainDialogProc(window, message, wParam, lParam) : FALSE;
}

class WakeCycle : public ::testing::Test {
protected:
    void SetUp() override {
        zone = FixedZone(-540);
        fake.zone = &zone;
        const int combos[] = {IDC_MAIN_END_MONTH,  IDC_MAIN_END_DAY, IDC_MAIN_END_HOUR,  IDC_MAIN_END_MINUTE,
                              IDC_MAIN_WAKE_MONTH, IDC_MAIN_WAKE_DAY, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE};
        const int maxima[] = {12, 31, 23, 59, 12, 31, 23, 59};
        for (int i = 0; i < 8; ++i) FillNumberCombo(maxima[i], main.get(), combos[i]);
        // The wake-up two hours from the fake "now", at half past.
        const int hour = (LocalTimeOf(fake.now).tm_hour + 2) % 24;
        ::SendDlgItemMessageW(main.get(), IDC_MAIN_WAKE_HOUR, CB_SETCURSEL, hour, 0);
        ::SendDlgItemMessageW(main.get(), IDC_MAIN_WAKE_MINUTE, CB_SETCURSEL, 30, 0);
        app.mainWindow = main.get();
        app.manualWindow = manual.get();
        app.phraseText.Set(L"phrase");
        app.headline.Set(L"phrase");
        app.COUNTDOWNTIME = 2;
    }
    void TearDown() override {
        app.scheduledEndBlock.Cancel();
        app.wakeBlock.Cancel();
        for (ThreadSlot* slot : {&app.scheduledEndThread, &app.wakeThread}) {
            if (OwnedHandle thread = slot->Duplicate()) WaitServingMessages(thread.get(), 5000);
        }
        test_support::ResetAppState();
    }

    // Presses 1027 and serves the wake thread until it has ended.
    void ArmAndFinish() {
        ToggleWake();
        OwnedHandle thread = app.wakeThread.Duplicate();
        ASSERT_TRUE(thread);
        ASSERT_TRUE(WaitServingMessages(thread.get(), 10000));
    }
    std::vector<std::wstring> MessageTexts() {
        std::vector<std::wstring> texts;
        for (const auto& m : fake.messages) texts.push_back(m.text + L"|" + m.caption);
        return texts;
    }
    void ExpectWakeIdle() {
        EXPECT_EQ(1u, app.wakeIdle.load());
        EXPECT_EQ(0u, app.wakeArmed.load());
        EXPECT_EQ(L"指定時間復帰", ItemText(manual.get(), IDC_MAN_WAKE));
        EXPECT_EQ(L"指定時間復帰", app.wakeCaption.Get());
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main.get(), IDC_MAIN_RUN)));
        EXPECT_TRUE(app.wakeTimer.With([](HANDLE timer) { return timer == nullptr; }));
    }
    bool ScheduledEndArmed() {
        return app.scheduledEndIdle.load() == 0 && ItemText(main.get(), IDC_MAIN_RUN) == L"処理中断";
    }

    TIME_ZONE_INFORMATION zone{};
    WakeFake fake;
    ScopedSystem installed{fake};
    TestDialog main{IDD_MAIN, MainLike};
    TestDialog manual{IDD_MANUAL};
};

TEST_F(WakeCycle, ArmsAtTheMomentAndReturnsToIdleWhenTheTimerFires) {
    app.TESTCHECK = 1;
    app.NEXT_REG = ResumeMode::WakeIdle;
    fake.holdWakeTimer = true;
    ToggleWake();
    OwnedHandle thread = app.wakeThread.Duplicate();
    EXPECT_EQ(1u, app.wakeArmed.load());
    EXPECT_EQ(L"処理中断", ItemText(manual.get(), IDC_MAN_WAKE));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main.get(), IDC_MAIN_RUN)));
    EXPECT_EQ(L"指定時間復帰", app.headline.Get());
    std::tm target = app.wakeBlock.target;
    EXPECT_EQ(L"\r\n復帰時間　" + std::to_wstring(target.tm_hour) + L"時30分", app.detailLine.Get());
    EXPECT_EQ(WakeDueTime(MakeLocalTime(target)), fake.wakeDue);

    {
        std::lock_guard<std::mutex> hold(fake.lock);
        fake.now = MakeLocalTime(target);
    }
    ASSERT_TRUE(WaitServingMessages(thread.get(), 10000));
    EXPECT_EQ(std::vector<std::wstring>{L"指定時間復帰|テストモード"}, MessageTexts());
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), fake.messages[0].style);
    ExpectWakeIdle();
    EXPECT_EQ(0u, app.wakeFired.load());
    EXPECT_EQ(L"phrase", app.headline.Get());
    EXPECT_EQ(L"", app.detailLine.Get());
    EXPECT_FALSE(ScheduledEndArmed());
}

TEST_F(WakeCycle, ModesTwoAndThreeArmTheScheduledEndAfterTheProgram) {
    const struct {
        ResumeMode mode;
        bool programStarts;
        std::vector<std::wstring> programs;
    } cases[] = {
        {ResumeMode::WakeScheduledEnd, true, {}},
        {ResumeMode::WakeRunProgramThenScheduledEnd, true, {L"\"C:\\Program Files\\tool.exe\" /q"}},
        {ResumeMode::WakeRunProgramThenScheduledEnd, false, {L"\"C:\\Program Files\\tool.exe\" /q"}},
    };
    app.PROGRAM.Set(L"C:\\Program Files\\tool.exe");
    app.PROGRAM_COMMANDLINE.Set(L"/q");
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        fake.programs.clear();
        fake.programStarts = c.programStarts;
        app.NEXT_REG = c.mode;
        ArmAndFinish();
        EXPECT_EQ(c.programs, fake.programs);
        EXPECT_TRUE(ScheduledEndArmed());
        EXPECT_EQ(1u, app.wakeIdle.load());
        EXPECT_EQ(L"指定時間復帰", app.wakeCaption.Get());
        ToggleScheduledEnd();  // cancels it again
    }
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(WakeCycle, ModeFourRunsTheCountdownEndsAndArmsTheNextWakeUp) {
    app.TESTCHECK = 1;
    app.NEXT_REG = ResumeMode::WakeRunProgramThenEnd;
    app.PROGRAM.Set(L"C:\\tools\\backup.exe");
    const struct {
        bool programStarts, cancelInCountdown, ends;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.programStarts << c.cancelInCountdown);
        fake.messages.clear();
        fake.holdWakeTimer = false;
        fake.programStarts = c.programStarts;
        // The next wake-up stays armed; a tray abort cancels the count-down.
        fake.onSleep = [&] {
            {
                std::lock_guard<std::mutex> hold(fake.lock);
                fake.holdWakeTimer = true;
            }
            if (c.cancelInCountdown) app.wakeBlock.Cancel();
        };
        ArmAndFinish();
        fake.onSleep = nullptr;
        EXPECT_EQ(0u, app.resumeCountdownRunning.load());
        std::vector<std::wstring> expected = {L"指定時間復帰|テストモード"};
        if (c.ends) expected.push_back(L"シャットダウン：強制チェック OFF|テストモード");
        EXPECT_EQ(expected, MessageTexts());
        EXPECT_EQ(c.ends ? 1u : 0u, app.wakeArmed.load());
        EXPECT_EQ(c.ends ? L"処理中断" : L"指定時間復帰", ItemText(manual.get(), IDC_MAN_WAKE));
        if (c.ends) ToggleWake();  // cancels the next wake-up
        ExpectWakeIdle();
    }
}

TEST_F(WakeCycle, AFailedArmingIsReportedAndReturnsToIdle) {
    app.NEXT_REG = ResumeMode::WakeScheduledEnd;
    const struct {
        DWORD createError, setError;
        const wchar_t* message;
    } cases[] = {{5, 0, L"CreateWaitableTimer() failed with Error 5.|Error"},
                 {0, 87, L"SetWaitableTimer() failed with Error 87.|Error"}};
    for (const auto& c : cases) {
        fake.messages.clear();
        fake.createTimerError = c.createError;
        fake.setTimerError = c.setError;
        ArmAndFinish();
        EXPECT_EQ(std::vector<std::wstring>{c.message}, MessageTexts());
        EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), fake.messages[0].style);
        ExpectWakeIdle();
        EXPECT_EQ(L"phrase", app.headline.Get());
        EXPECT_FALSE(ScheduledEndArmed());  // no resume action
    }
}

TEST_F(WakeCycle, ACancelEndsTheThreadWhileArmedOrWhileTheProgramRuns) {
    app.NEXT_REG = ResumeMode::WakeRunProgramThenScheduledEnd;
    app.PROGRAM_COMMANDLINE.Set(L"notepad.exe");
    for (bool programRuns : {false, true}) {
        SCOPED_TRACE(programRuns ? "program running" : "armed");
        fake.holdWakeTimer = !programRuns;
        fake.programRunsUntilStopped = programRuns;
        ToggleWake();
        OwnedHandle thread = app.wakeThread.Duplicate();
        if (programRuns) {
            ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(fake.programRunning.get(), 5000));
        }
        EXPECT_EQ(1u, app.wakeArmed.load());
        ToggleWake();
        ExpectWakeIdle();
        EXPECT_EQ(L"phrase", app.headline.Get());
        // The thread ends by itself at once, and acts on nothing.
        ASSERT_TRUE(WaitServingMessages(thread.get(), 5000));
        EXPECT_TRUE(app.wakeThread.Empty());
        EXPECT_FALSE(ScheduledEndArmed());
        EXPECT_EQ(programRuns ? 1u : 0u, fake.programs.size());
        fake.programs.clear();
    }
    EXPECT_EQ(2, fake.wakeTimerCancels);
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(WakeCycle, AResumeRestartsAPendingScheduledEndOnce) {
    EXPECT_EQ(FALSE, OnPowerBroadcast(PBT_APMQUERYSUSPEND));
    EXPECT_EQ(TRUE, ::SendMessageW(main.get(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0));
    EXPECT_EQ(0u, app.restartAfterResume.load());  // nothing pending: nothing recorded

    ToggleScheduledEnd();
    for (int i = 0; i < 500 && app.scheduledEndRunning.load() == 0; ++i) ::Sleep(10);
    OwnedHandle oldThread = app.scheduledEndThread.Duplicate();
    const std::uint32_t generation = app.scheduledEndBlock.generation.load();
    EXPECT_EQ(TRUE, ::SendMessageW(main.get(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0));
    EXPECT_EQ(1u, app.restartAfterResume.load());
    for (WPARAM resume : {PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND}) {
        EXPECT_EQ(TRUE, ::SendMessageW(main.get(), WM_POWERBROADCAST, resume, 0));
    }
    EXPECT_EQ(TRUE, ::SendMessageW(main.get(), WM_POWERBROADCAST, PBT_APMRESUMECRITICAL, 0));
    EXPECT_EQ(3, fake.keepAwakes);
    EXPECT_EQ(generation + 1, app.scheduledEndBlock.generation.load());
    EXPECT_EQ(0u, app.restartAfterResume.load());
    // The old thread has ended; the one restarted holds the slot and the run.
    ASSERT_TRUE(WaitServingMessages(oldThread.get(), 5000));
    EXPECT_FALSE(app.scheduledEndThread.Empty());
    for (int i = 0; i < 500 && app.scheduledEndRunning.load() == 0; ++i) ::Sleep(10);
    EXPECT_EQ(1u, app.scheduledEndRunning.load());
    EXPECT_TRUE(ScheduledEndArmed());
    EXPECT_EQ(1u, app.scheduledEndBlock.run.load());
}

}  // namespace
