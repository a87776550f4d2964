// The scheduled end: target resolution in zones with and without daylight
// saving, the count-down start, and the restart race of its thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <map>
#include <memory>
#include <mutex>

#include "app/main_window.h"
#include "fake_system.h"
#include "fake_view.h"
#include "platform/calendar.h"
#include "platform/text.h"
#include "platform/wait.h"
#include "res/resource.h"
#include "schedule/lifecycle.h"
#include "schedule/operations.h"
#include "schedule/scheduled_end.h"
#include "schedule/settle.h"
#include "schedule/target_time.h"
#include "schedule/wake.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "time_support.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

struct Wall {
    int year, month, day, hour, minute;
};

class TargetTime : public ::testing::Test {
protected:
    void InZone(const TIME_ZONE_INFORMATION& z) {
        zone = z;
        fake.zone = &zone;
    }
    // "now" given as a local wall-clock time of the zone.
    std::int64_t LocalNow(const Wall& w, int second = 0) {
        std::tm t = Record(w.year, w.month, w.day, w.hour, w.minute, second);
        return MakeLocalTime(t);
    }
    static void ExpectWall(const Wall& w, const std::tm& t) {
        EXPECT_EQ(w.year, t.tm_year + 1900);
        EXPECT_EQ(w.month, t.tm_mon + 1);
        EXPECT_EQ(w.day, t.tm_mday);
        EXPECT_EQ(w.hour, t.tm_hour);
        EXPECT_EQ(w.minute, t.tm_min);
        EXPECT_EQ(0, t.tm_sec);
    }

    FakeSystem fake;
    ScopedSystem installed{fake};
    TIME_ZONE_INFORMATION zone{};
};

TEST_F(TargetTime, ResolvesToTheNextMatchingMoment) {
    InZone(FixedZone(-540));
    struct Case {
        const wchar_t* month;
        const wchar_t* day;
        const wchar_t* hour;
        const wchar_t* minute;
        Wall now;
        Wall expected;
    } const cases[] = {
        // Later today, else tomorrow.
        {L"0", L"0", L"22", L"30", {2026, 6, 15, 21, 0}, {2026, 6, 15, 22, 30}},
        {L"0", L"0", L"22", L"30", {2026, 6, 15, 23, 0}, {2026, 6, 16, 22, 30}},
        {L"", L"", L"22", L"30", {2026, 12, 31, 23, 0}, {2027, 1, 1, 22, 30}},
        // A fixed month keeps the day and moves a month at a time.
        {L"3", L"0", L"9", L"0", {2026, 6, 15, 10, 0}, {2026, 7, 15, 9, 0}},
        // Day 31 in a 30-day month normalises to the first of the next.
        {L"0", L"31", L"12", L"0", {2026, 4, 10, 10, 0}, {2026, 5, 1, 12, 0}},
        // 29 February of a common year is 1 March; once past, next year's.
        {L"2", L"29", L"8", L"0", {2027, 1, 10, 10, 0}, {2027, 3, 1, 8, 0}},
        {L"2", L"29", L"8", L"0", {2027, 3, 10, 10, 0}, {2028, 3, 1, 8, 0}},
        // Both fixed and past: the same day next year.
        {L"1", L"5", L"7", L"15", {2026, 6, 15, 10, 0}, {2027, 1, 5, 7, 15}},
        // Empty hour and minute count as 0.
        {L"0", L"0", L"", L"", {2026, 6, 15, 10, 0}, {2026, 6, 16, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.now.month << "/" << c.now.day << " " << c.now.hour);
        const std::int64_t now = LocalNow(c.now);
        const std::tm target = *ResolveTargetTime(c.month, c.day, c.hour, c.minute, now);
        ExpectWall(c.expected, target);
        std::tm copy = target;
        EXPECT_GE(MakeLocalTime(copy), now);
    }
}

TEST_F(TargetTime, ExactlyNowIsAcceptedAsNow) {
    InZone(FixedZone(-540));
    const std::int64_t now = LocalNow({2026, 6, 15, 22, 30});
    std::tm target = *ResolveTargetTime(L"0", L"0", L"22", L"30", now);
    EXPECT_EQ(now, MakeLocalTime(target));
    // One second later the same choice means tomorrow.
    target = *ResolveTargetTime(L"0", L"0", L"22", L"30", now + 1);
    ExpectWall({2026, 6, 16, 22, 30}, target);
}

TEST_F(TargetTime, KeepsTheWallClockTimeAcrossDaylightSavingChanges) {
    InZone(CentralEuropeanZone());
    // The evening before the spring change: tomorrow 22:30 is summer time.
    std::tm target = *ResolveTargetTime(L"0", L"0", L"22", L"30", LocalNow({2026, 3, 28, 23, 0}));
    ExpectWall({2026, 3, 29, 22, 30}, target);
    EXPECT_EQ(UtcSeconds(2026, 3, 29, 20, 30), MakeLocalTime(target));
    EXPECT_EQ(1, target.tm_isdst);

    // The evening before the autumn change: tomorrow 22:30 is winter time.
    target = *ResolveTargetTime(L"0", L"0", L"22", L"30", LocalNow({2026, 10, 24, 23, 0}));
    ExpectWall({2026, 10, 25, 22, 30}, target);
    EXPECT_EQ(UtcSeconds(2026, 10, 25, 21, 30), MakeLocalTime(target));
    EXPECT_EQ(0, target.tm_isdst);

    // A fixed date months away, on the other side of the change.
    target = *ResolveTargetTime(L"7", L"1", L"6", L"0", LocalNow({2026, 1, 10, 12, 0}));
    EXPECT_EQ(UtcSeconds(2026, 7, 1, 4, 0), MakeLocalTime(target));

    // In the second pass of the repeated autumn hour (02:10 winter time), 02:40
    // is still to come this night, not tomorrow.
    const std::int64_t secondPass = UtcSeconds(2026, 10, 25, 1, 10);
    target = *ResolveTargetTime(L"0", L"0", L"2", L"40", secondPass);
    EXPECT_EQ(UtcSeconds(2026, 10, 25, 1, 40), MakeLocalTime(target));
}

TEST_F(TargetTime, EndsForEveryComboValue) {
    InZone(CentralEuropeanZone());
    const std::int64_t now = LocalNow({2026, 11, 30, 23, 59}, 59);
    const wchar_t* const months[] = {L"", L"0", L"1", L"2", L"11", L"12"};
    const wchar_t* const days[] = {L"", L"0", L"1", L"29", L"30", L"31"};
    for (const wchar_t* month : months) {
        for (const wchar_t* day : days) {
            std::tm target = *ResolveTargetTime(month, day, L"23", L"59", now);
            EXPECT_GE(MakeLocalTime(target), now);
        }
    }
    // Past the last moment the system can convert, none is found.
    EXPECT_FALSE(ResolveTargetTime(L"0", L"0", L"23", L"59", 1'000'000'000'000));
}

TEST(CountdownStart, LeadDependsOnTheSound) {
    const std::int64_t target = 1000000;
    const std::int64_t early = target - 3600;
    EXPECT_EQ(target - 10, CountdownStart(target, early, SoundMode::TenCount, 99));
    EXPECT_EQ(target - 25, CountdownStart(target, early, SoundMode::Heartbeat, 25));
    EXPECT_EQ(target - 25, CountdownStart(target, early, SoundMode::Beep, 25));
    EXPECT_EQ(target - 25, CountdownStart(target, early, SoundMode::ChosenSound, 25));
    EXPECT_EQ(target, CountdownStart(target, early, SoundMode::Silent, 25));
    EXPECT_EQ(target, CountdownStart(target, early, static_cast<SoundMode>(9), 25));
    // A target already reached starts at once, whatever the lead.
    EXPECT_EQ(target, CountdownStart(target, target, SoundMode::TenCount, 25));
    EXPECT_EQ(target, CountdownStart(target, target + 5, SoundMode::Beep, 25));
}

// A fake whose sleeps can be held per thread: the first thread that sleeps
// is held at gate 0, the second distinct thread at gate 1.
class GatedSystem : public FakeSystem {
public:
    GatedSystem() {
        for (int i = 0; i < 2; ++i) {
            gates[i].reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
            sleeping[i].reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        }
    }
    void Sleep(DWORD milliseconds) override {
        int index = -1;
        {
            std::lock_guard<std::mutex> hold(threadsLock);
            const DWORD id = ::GetCurrentThreadId();
            auto found = threads.find(id);
            if (found == threads.end()) found = threads.emplace(id, static_cast<int>(threads.size())).first;
            index = found->second;
        }
        if (index < 2) {
            ::SetEvent(sleeping[index].get());
            ::WaitForSingleObject(gates[index].get(), 10000);
        }
        FakeSystem::Sleep(milliseconds);
    }
    OwnedHandle gates[2];
    OwnedHandle sleeping[2];

private:
    std::mutex threadsLock;
    std::map<DWORD, int> threads;
};

// The main window as the workers see it: the run button toggles, and the
// return to idle is answered.
INT_PTR CALLBACK QuietDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RETURNTOIDLE) return AnswerReturnToIdleMessage(window, wParam, lParam);
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_MAIN_RUN) test_support::PressRun();
    return FALSE;
}

class ScheduledEndThread : public ::testing::Test {
protected:
    void SetUp() override {
        zone = FixedZone(-540);
        gated.zone = &zone;
        main = ::CreateDialogParamW(App().instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, QuietDialog, 0);
        ASSERT_NE(nullptr, main);
        const int combos[] = {IDC_MAIN_END_MONTH, IDC_MAIN_END_DAY, IDC_MAIN_END_HOUR, IDC_MAIN_END_MINUTE};
        const int maxima[] = {12, 31, 23, 59};
        for (int i = 0; i < 4; ++i) FillNumberCombo(maxima[i], main, combos[i]);
        // Tomorrow 8:00 from the fake "now".
        ::SendDlgItemMessageW(main, IDC_MAIN_END_HOUR, CB_SETCURSEL, 8, 0);
        ::SendDlgItemMessageW(main, IDC_MAIN_END_MINUTE, CB_SETCURSEL, 0, 0);
        programWindows.main = main;
        App().actionName.Set(L"ｼｬｯﾄﾀﾞｳﾝ");
        App().phraseText.Set(L"phrase");
        App().SOUND = SoundMode::Silent;
        App().COUNTDOWNTIME = 1;
        App().NEXT_REG = ResumeMode::NoWake;
    }
    void TearDown() override {
        for (auto& gate : gated.gates) ::SetEvent(gate.get());
        test_support::EndWorkers();
        ::DestroyWindow(main);
    }

    // Armed as the run button arms it, with the target an hour or two ahead
    // so the fake clock has little to count; the fake sleeps do not block.
    OwnedHandle StartSoon() {
        const int hour = (LocalTimeOf(gated.Now()).tm_hour + 2) % 24;
        ::SendDlgItemMessageW(main, IDC_MAIN_END_HOUR, CB_SETCURSEL, hour, 0);
        ::SetEvent(gated.gates[0].get());
        App().operation(Operation::ScheduledEnd).block.Arm();
        App().operation(Operation::ScheduledEnd).idle = 0;
        StartScheduledEnd(App().operation(Operation::ScheduledEnd).block, test_support::Moments().end, Attendance::User,
                          App());
        return App().operation(Operation::ScheduledEnd).thread.Duplicate();
    }

    static bool WaitFor(const OwnedHandle& event) { return ::WaitForSingleObject(event.get(), 5000) == WAIT_OBJECT_0; }

    TIME_ZONE_INFORMATION zone{};
    GatedSystem gated;
    ScopedSystem installed{gated};
    HWND main = nullptr;
};

TEST_F(ScheduledEndThread, WritesItsTextsAndCancelsQuietly) {
    App().operation(Operation::ScheduledEnd).block.Arm();
    StartScheduledEnd(App().operation(Operation::ScheduledEnd).block, test_support::Moments().end, Attendance::User,
                      App());
    OwnedHandle thread = App().operation(Operation::ScheduledEnd).thread.Duplicate();
    ASSERT_TRUE(thread);
    ASSERT_TRUE(WaitFor(gated.sleeping[0]));
    EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).running.load());
    EXPECT_EQ(L"指定時間終了 ｼｬｯﾄﾀﾞｳﾝ", App().headline.Get());
    EXPECT_EQ(L"\r\n終了時間　8時", App().detailLine.Get());  // no minute part for minute 0

    App().operation(Operation::ScheduledEnd).block.run = 0;
    ::SetEvent(gated.gates[0].get());
    ASSERT_TRUE(WaitServingMessages(thread.get(), 5000));
    EXPECT_EQ(0u, App().operation(Operation::ScheduledEnd).running.load());
    EXPECT_EQ(L"phrase", App().headline.Get());
    EXPECT_EQ(L"", App().detailLine.Get());
    EXPECT_TRUE(App().operation(Operation::ScheduledEnd).thread.Empty());
    EXPECT_TRUE(gated.exits.empty());
    EXPECT_TRUE(gated.messages.empty());
}

TEST_F(ScheduledEndThread, OldThreadOfARestartEndsWithoutTouchingTheNewOne) {
    App().operation(Operation::ScheduledEnd).block.Arm();
    StartScheduledEnd(App().operation(Operation::ScheduledEnd).block, test_support::Moments().end, Attendance::User,
                      App());
    OwnedHandle oldThread = App().operation(Operation::ScheduledEnd).thread.Duplicate();
    ASSERT_TRUE(WaitFor(gated.sleeping[0]));

    // Suspend while the old thread sleeps, then the restart after resume.
    App().operation(Operation::ScheduledEnd).block.run = 0;
    App().operation(Operation::ScheduledEnd).block.Arm();
    StartScheduledEnd(App().operation(Operation::ScheduledEnd).block, test_support::Moments().end, Attendance::User,
                      App());
    ASSERT_TRUE(WaitFor(gated.sleeping[1]));
    App().headline.Set(L"new thread's headline");
    App().detailLine.Set(L"new thread's detail");

    // The old thread wakes up with the run flag set again for the new one.
    ::SetEvent(gated.gates[0].get());
    ASSERT_TRUE(WaitServingMessages(oldThread.get(), 5000));
    EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).running.load());
    EXPECT_EQ(L"new thread's headline", App().headline.Get());
    EXPECT_EQ(L"new thread's detail", App().detailLine.Get());
    EXPECT_FALSE(App().operation(Operation::ScheduledEnd).thread.Empty());  // still holds the new thread
    EXPECT_TRUE(gated.exits.empty());
    EXPECT_TRUE(gated.messages.empty());

    // The new thread is the one that answers to its run flag.
    OwnedHandle newThread = App().operation(Operation::ScheduledEnd).thread.Duplicate();
    App().operation(Operation::ScheduledEnd).block.run = 0;
    ::SetEvent(gated.gates[1].get());
    ASSERT_TRUE(WaitServingMessages(newThread.get(), 5000));
    EXPECT_EQ(0u, App().operation(Operation::ScheduledEnd).running.load());
    EXPECT_TRUE(App().operation(Operation::ScheduledEnd).thread.Empty());
}

TEST_F(ScheduledEndThread, ReachesItsMomentAndCarriesOutTheAction) {
    App().WAYTOEND = EndAction::Reboot;
    App().FORCECHECK = 1;
    OwnedHandle thread = StartSoon();
    ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));
    EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).idle.load());  // returned to idle first
    ASSERT_EQ(1u, gated.exits.size());
    EXPECT_EQ(static_cast<UINT>(EWX_REBOOT | EWX_FORCE), gated.exits[0]);
    // Silent mode: COUNTDOWNTIME + 1 balloons, then the action at or after the target.
    std::tm target = App().operation(Operation::ScheduledEnd).block.target;
    EXPECT_GE(gated.Now(), MakeLocalTime(target) + 2);
    EXPECT_EQ(0u, App().operation(Operation::ScheduledEnd).running.load());
    App().WAYTOEND = EndAction::Shutdown;
    App().FORCECHECK = 0;
}

// However long each wait overruns, the count-down starts within one overrun
// of its planned second, and the ten-count's 0 within two of the target.
TEST_F(ScheduledEndThread, PollsOnWholeSecondsAndPacesTheCountdownFromItsStart) {
    App().SOUND = SoundMode::TenCount;
    gated.overrunMs = 16;
    gated.FakeSystem::Sleep(300);  // the clock stands 300 ms into a second
    OwnedHandle thread = StartSoon();
    ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));

    const std::int64_t target = MakeLocalTime(App().operation(Operation::ScheduledEnd).block.target) * 1000;
    std::vector<std::int64_t> lateness;
    for (const auto& n : gated.notifies) {
        if (std::wstring(n.data.szInfo).rfind(L"終了まで：", 0) == 0) {
            lateness.push_back(n.atMilliseconds - (target - 10000 + 1000 * static_cast<int>(lateness.size())));
        }
    }
    ASSERT_EQ(11u, lateness.size());
    for (std::int64_t late : lateness) {
        EXPECT_GE(late, 0);
        EXPECT_LE(late, 32);
    }
    EXPECT_EQ(1u, gated.exits.size());
}

// A cancel that the user saw succeed holds, however close to the end action
// it comes: during the last second of the count-down, or while the worker's
// request to return to idle is still waiting to be served.
TEST_F(ScheduledEndThread, ACancelAtTheLastMomentHolds) {
    gated.onSleep = [&] {
        std::lock_guard<std::mutex> hold(gated.lock);
        if (!gated.notifies.empty() && std::wstring(gated.notifies.back().data.szInfo) == L"終了まで：0秒") {
            App().operation(Operation::ScheduledEnd).block.Cancel();
        }
    };
    OwnedHandle thread = StartSoon();
    ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));
    EXPECT_TRUE(gated.exits.empty());
    EXPECT_EQ(L"phrase", App().headline.Get());
}

TEST_F(ScheduledEndThread, AMomentThatCannotBeDeterminedIsNeverArmed) {
    gated.now = 1'000'000'000'000;
    test_support::PressRun();
    EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).idle.load());
    EXPECT_TRUE(App().operation(Operation::ScheduledEnd).thread.Empty());
    ASSERT_EQ(1u, gated.messages.size());
    EXPECT_EQ(L"終了時間を決定できませんでした。", gated.messages[0].text);
}

}  // namespace

// With no dialog at all: the scheduled end as its view sees it.
class ScheduledEndView : public ::testing::Test {
protected:
    void SetUp() override {
        zone = FixedZone(-540);
        fake.zone = &zone;
        App().actionName.Set(L"ｼｬｯﾄﾀﾞｳﾝ");
    }
    void TearDown() override { test_support::EndWorkers(); }
    // Armed by the user for the next occurrence of two hours from now.
    OwnedHandle Arm() {
        ChosenMoments moments;
        FormatText(moments.end.hour, L"%d", (LocalTimeOf(fake.Now()).tm_hour + 2) % 24);
        CopyText(moments.end.minute, L"0");
        ToggleScheduledEnd(Attendance::User, moments, App());
        return App().operation(Operation::ScheduledEnd).thread.Duplicate();
    }

    TIME_ZONE_INFORMATION zone{};
    FakeSystem fake;
    ScopedSystem installed{fake};
    FakeView view;
    ScopedView shown{view};
};

// The PC sleeps 8 hours in the middle of a one-second wait and nobody says
// so: the moment has passed, yet nothing ends; the run is armed again.
TEST_F(ScheduledEndView, AMomentSleptThroughUnreportedIsNeverActedOn) {
    fake.onSleep = [this, gui = ::GetCurrentThreadId(), once = std::make_shared<std::atomic<bool>>(false)] {
        if (::GetCurrentThreadId() != gui && !once->exchange(true)) fake.Suspend(8 * 3600);
    };
    OwnedHandle thread = Arm();
    ASSERT_TRUE(thread);
    ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));
    EXPECT_EQ(1, view.scheduledEndRestarts.load());
    EXPECT_TRUE(fake.exits.empty());
    EXPECT_TRUE(fake.powerStates.empty());
}

// A warning box answered after the moment has passed: the moment's next
// occurrence, never a count-down at once.
TEST_F(ScheduledEndView, AMomentPassedWhileABoxWasOpenIsTakenTomorrow) {
    App().TESTCHECK = 1;
    fake.privilegeError = ERROR_NOT_ALL_ASSIGNED;  // in test mode, a warning box
    view.onBox = [this] { fake.Suspend(120); };    // answered two minutes later
    const std::tm soon = LocalTimeOf(fake.Now() + 60);
    ChosenMoments moments;
    FormatText(moments.end.hour, L"%d", soon.tm_hour);
    FormatText(moments.end.minute, L"%d", soon.tm_min);
    ToggleScheduledEnd(Attendance::User, moments, App());
    ASSERT_EQ(1u, view.boxes.size());
    EXPECT_GT(MakeLocalTime(App().operation(Operation::ScheduledEnd).block.target), fake.Now() + 20 * 3600);
}

// Nobody armed it: a moment that cannot be determined is a balloon, never a
// box waiting for nobody.
TEST_F(ScheduledEndView, AnUndeterminedMomentNobodyArmedIsNoBox) {
    ChosenMoments moments;
    CopyText(moments.end.month, L"9999999");  // beyond any date the system can hold
    ToggleScheduledEnd(Attendance::Unattended, moments, App());
    ArmWakeIfIdle(moments.end, App());
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).idle.load());
    EXPECT_EQ(1u, App().operation(Operation::Wake).idle.load());
}
