// The timer end: its entry and detail texts, and its worker against real
// dialogs and the fake clock: ticks, sound window, pacing, completion and the
// ways a cancel can come.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "fake_system.h"
#include "fake_view.h"
#include "platform/wait.h"
#include "res/resource.h"
#include "schedule/lifecycle.h"
#include "schedule/operations.h"
#include "schedule/settle.h"
#include "schedule/timer_end.h"
#include "state/messages.h"
#include "ui/tray.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

using test_support::ItemText;

TEST(TimerEndLogic, ReadsTheEntryAndWritesTheDetailLine) {
    struct Case {
        const wchar_t *h, *m, *s;
        std::int32_t seconds;
        const wchar_t* detail;
    } const cases[] = {
        {L"0", L"0", L"0", 10, L"10秒"},  // nothing typed counts 10 seconds
        {L"1", L"30", L"0", 5400, L"1時間30分0秒"},
        {L"0", L"90", L"0", 5400, L"1時間30分0秒"},
        {L"1", L"0", L"5", 3605, L"1時間5秒"},
        {L"99", L"99", L"99", 362439, L"100時間40分39秒"},
        {L"-1", L"x", L"5s", 5, L"5秒"},  // no number, or a negative one, counts as 0
        {L"9999999999999999999", L"99", L"0", INT32_MAX, L"596523時間14分7秒"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.seconds, TimerEntrySeconds(c.h, c.m, c.s));
        wchar_t detail[50];
        FormatTimerDetail(detail, 50, SplitSeconds(c.seconds));
        EXPECT_EQ(std::wstring(L"\r\n終了まで　") + c.detail, detail);
    }
}

// A worker asks the GUI thread to run lParam, a void() routine.
constexpr UINT kRunOnGui = WM_APP + 60;

// How often a worker has asked the main window to arm the wake-up.
std::atomic<int> wakeRequests{0};

INT_PTR CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RETURNTOIDLE) return AnswerReturnToIdleMessage(window, wParam, lParam);
    if (message == WM_ARMWAKE) ++wakeRequests;
    if (message == kRunOnGui) reinterpret_cast<void (*)()>(lParam)();
    return FALSE;
}

struct TimerSystem : FakeSystem {
    DWORD ExitSession(UINT flags, DWORD reason) override {
        idleAtExit = App().operation(Operation::TimerEnd).idle.load();
        wakeRequestsAtExit = wakeRequests.load();
        return FakeSystem::ExitSession(flags, reason);
    }
    std::uint32_t idleAtExit = 0;
    int wakeRequestsAtExit = 0;
};

class TimerEndRun : public ::testing::Test {
protected:
    void SetUp() override {
        programWindows.main = main.get();
        programWindows.manual = manual.get();
        App().actionName.Set(L"ｼｬｯﾄﾀﾞｳﾝ");
        App().phraseText.Set(L"phrase");
        InitTrayIcon();       // the icon record as the main window prepares it
        fake.overrunMs = 16;  // every wait lasts 16 ms longer than asked
        fake.onSleep = [this, gui = ::GetCurrentThreadId()] {
            if (::GetCurrentThreadId() != gui) OnWorkerWait();
        };
    }
    void TearDown() override { test_support::EndWorkers(); }

    // "h/m/s/" as the dialog shows it; empty while it is closed.
    std::wstring Fields() {
        std::wstring text;
        for (int id : {IDC_MAN_HOURS, IDC_MAN_MINUTES, IDC_MAN_SECONDS}) {
            if (programWindows.manual.load() != nullptr) text += ItemText(manual.get(), id) + L"/";
        }
        return text;
    }
    // Notes what the tick shows and when its wait ended; cancels in the wait
    // after the chosen tick.
    void OnWorkerWait() {
        const std::wstring fields = Fields();
        {
            std::lock_guard<std::mutex> hold(fake.lock);
            ticks.push_back({fields, fake.notifies.empty() ? L"" : fake.notifies.back().data.szInfo});
            flags.push_back(fake.notifies.empty() ? 0 : fake.notifies.back().data.uFlags);
            waitEnds.push_back(fake.ticks);
            if (ticks.size() == jumpAfterTick) fake.ticks += 60000;
        }
        if (fields == cancelAt) ::SendMessageW(main.get(), kRunOnGui, 0, reinterpret_cast<LPARAM>(cancel));
    }

    TimerSystem fake;
    ScopedSystem installed{fake};
    test_support::TestDialog main{IDD_MAIN, MainProc};
    test_support::TestDialog manual{IDD_MANUAL};
    std::vector<std::pair<std::wstring, std::wstring>> ticks;  // fields, balloon
    std::vector<UINT> flags;                                   // of each tick's record
    std::vector<std::uint64_t> waitEnds;                       // the monotonic clock as each wait ended
    std::size_t jumpAfterTick = 0;  // the clock jumps a minute in the wait after this tick (1-based)
    void (*cancel)() = nullptr;
    std::wstring cancelAt = L"-";  // the fields of the tick whose wait a cancel comes in
};

TEST_F(TimerEndRun, CountsDownShowsEachTickAndActsOnTimeUnlessCancelled) {
    const std::wstring head = L"タイマー終了 ｼｬｯﾄﾀﾞｳﾝ\r\n終了まで　";
    struct Case {
        const wchar_t* entry[3];
        const wchar_t *first, *detail;  // the first tick's fields and detail line
        std::size_t ticks;
        void (*cancel)() = nullptr;
        const wchar_t* cancelAt = L"";
        ResumeMode next = ResumeMode::NoWake;
        SoundMode sound = SoundMode::Silent;
        std::int32_t countdown = 0;
        int window = -1;         // the highest count in the sound window
        std::size_t sounds = 0;  // plays and beeps
    } const cases[] = {
        {{L"0", L"0", L"0"}, L"0/0/10/", L"10秒", 11},
        {{L"0", L"0", L"0"}, L"0/0/10/", L"10秒", 11, nullptr, L"", ResumeMode::WakeIdle},
        {{L"1", L"30", L"0"}, L"1/30/0/", L"1時間30分0秒", 2, test_support::PressTimer, L"1/29/59/"},
        {{L"0", L"90", L"0"}, L"1/30/0/", L"1時間30分0秒", 2, test_support::PressTimer, L"1/29/59/"},
        {{L"99", L"99", L"99"}, L"100/40/39/", L"100時間40分39秒", 2, test_support::PressTimer, L"100/40/38/"},
        {{L"0", L"0", L"25"},
         L"0/0/25/",
         L"25秒",
         26,
         nullptr,
         L"",
         ResumeMode::NoWake,
         SoundMode::TenCount,
         0,
         10,
         11},
        {{L"0", L"0", L"3"}, L"0/0/3/", nullptr, 4, nullptr, L"", ResumeMode::NoWake, SoundMode::Beep, 99, 3, 4},
        // A cancel holds up to the end action, even in the wait after 0.
        {{L"0", L"0", L"5"}, L"0/0/5/", L"5秒", 6, test_support::PressTimer, L"0/0/0/"},
        {{L"0", L"0", L"5"}, L"0/0/5/", L"5秒", 3, AbortFromTray, L"0/0/3/"},
        {{L"0", L"0", L"5"}, L"0/0/5/", L"5秒", 6, AbortFromTray, L"0/0/0/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.first << " cancel at " << c.cancelAt);
        fake.exits.clear(), fake.sounds.clear(), fake.beeps.clear(), ticks.clear(), flags.clear();
        wakeRequests = 0;
        App().SOUND = c.sound, App().COUNTDOWNTIME = c.countdown, App().NEXT_REG = c.next;
        cancel = c.cancel, cancelAt = c.cancelAt;
        const int ids[] = {IDC_MAN_HOURS, IDC_MAN_MINUTES, IDC_MAN_SECONDS};
        for (int i = 0; i < 3; ++i) ::SetDlgItemTextW(manual.get(), ids[i], c.entry[i]);
        const std::uint64_t begin = fake.Ticks();
        test_support::PressTimer();
        EXPECT_EQ(L"処理中断", ItemText(manual.get(), IDC_MAN_TIMER));
        OwnedHandle thread = App().operation(Operation::TimerEnd).thread.Duplicate();
        ASSERT_TRUE(thread && WaitServingMessages(thread.get(), 20000));

        ASSERT_EQ(c.ticks, ticks.size());
        EXPECT_EQ(c.first, ticks[0].first);
        EXPECT_EQ(c.detail != nullptr ? head + c.detail : ticks[0].second, ticks[0].second);
        const int count = TimerEntrySeconds(c.entry[0], c.entry[1], c.entry[2]);
        for (std::size_t k = 0; k < ticks.size(); ++k) {
            const int left = count - static_cast<int>(k);
            // The seconds in the balloon, or the detail line in tip and balloon.
            const std::wstring shown = left <= c.window ? L"終了まで：" + std::to_wstring(left) + L"秒" : head;
            EXPECT_EQ(0u, ticks[k].second.rfind(shown, 0)) << k;
            // A balloon for the first tick and for each second of the final
            // count-down (one it cannot show at once is dropped); the tip alone between.
            const UINT balloon = left <= c.window ? NIF_INFO | kNifRealtime : k == 0 ? NIF_INFO : 0;
            EXPECT_EQ(balloon, flags[k] & (NIF_INFO | kNifRealtime)) << k;
        }
        EXPECT_EQ(c.sounds, fake.sounds.size() + fake.beeps.size());
        if (c.cancel == nullptr) {
            // Returned to idle first; N + 1 seconds after the start, however the waits overran.
            ASSERT_EQ(1u, fake.exits.size());
            EXPECT_EQ(1u, fake.idleAtExit);
            // The wake-up is asked for before the end action when a resume mode is set.
            EXPECT_EQ(c.next == ResumeMode::NoWake ? 0 : 1, fake.wakeRequestsAtExit);
            EXPECT_EQ(c.ticks * 1000 + 16, fake.Ticks() - begin);
        } else {
            EXPECT_TRUE(fake.exits.empty());
            EXPECT_EQ(c.cancelAt, Fields());  // the time left stays for the next start
        }
        EXPECT_EQ(1u, App().operation(Operation::TimerEnd).idle.load());
        EXPECT_EQ(0u, App().operation(Operation::TimerEnd).running.load());
        EXPECT_TRUE(App().operation(Operation::TimerEnd).thread.Empty());
        EXPECT_EQ(L"タイマー終了", ItemText(manual.get(), IDC_MAN_TIMER));
        EXPECT_TRUE(::IsWindowEnabled(manual.Item(IDC_MAN_HOURS)));
        EXPECT_EQ(L"phrase", App().headline.Get());
        EXPECT_EQ(L"", App().detailLine.Get());
    }
}

// Each tick stays up for about a second, the first included, when the dialog
// held the first tick's fields for 990 ms or the machine slept for a minute
// after the third tick; the count pauses there and the end comes a second
// after the last tick.
TEST_F(TimerEndRun, TicksStayASecondApartWhenTheFirstIsHeldOrTheClockJumps) {
    for (bool holdFirst : {true, false}) {
        SCOPED_TRACE(holdFirst ? "first tick held" : "clock jump");
        fake.exits.clear(), ticks.clear(), waitEnds.clear();
        jumpAfterTick = holdFirst ? 0 : 3;
        for (int id : {IDC_MAN_HOURS, IDC_MAN_MINUTES}) ::SetDlgItemTextW(manual.get(), id, L"0");
        ::SetDlgItemTextW(manual.get(), IDC_MAN_SECONDS, L"4");
        const std::uint64_t press = fake.Ticks();
        test_support::PressTimer();
        OwnedHandle thread = App().operation(Operation::TimerEnd).thread.Duplicate();
        ASSERT_TRUE(thread);
        if (holdFirst) {
            // The worker's first write waits for this thread, which is busy.
            ASSERT_TRUE(test_support::WaitForSentMessage());
            std::lock_guard<std::mutex> hold(fake.lock);
            fake.ticks += 990;
        }
        ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));

        const std::vector<std::wstring> shown = {L"0/0/4/", L"0/0/3/", L"0/0/2/", L"0/0/1/", L"0/0/0/"};
        ASSERT_EQ(shown.size(), ticks.size());
        for (std::size_t k = 0; k < shown.size(); ++k) EXPECT_EQ(shown[k], ticks[k].first) << k;
        // Tick k + 1 is shown as the wait after tick k ends.
        const std::uint64_t firstShown = press + (holdFirst ? 990 : 0);
        EXPECT_GE(waitEnds[0] - firstShown, 900u);
        for (std::size_t k = 1; k < waitEnds.size(); ++k) {
            const std::uint64_t gap = waitEnds[k] - waitEnds[k - 1];
            EXPECT_GE(gap, 900u) << k;
            EXPECT_LE(gap, k == 3 ? 61050u : 1050u) << k;
        }
        EXPECT_EQ(1u, fake.exits.size());
    }
}

// Started with its count and no window at all, the timer end tells its view
// what the user is to see: the cancel caption and the locking at the start,
// each second left, and the idle caption and unlocking as its moment comes;
// then the end action.
class TimerEndView : public ::testing::Test {
protected:
    void TearDown() override { test_support::EndWorkers(); }
    FakeSystem fake;
    ScopedSystem installed{fake};
    FakeView view;
    ScopedView shown{view};
};

TEST_F(TimerEndView, ReportsEverythingToItsViewAndActs) {
    ToggleTimerEnd(2, ChosenMoments{}, App());
    OwnedHandle thread = App().operation(Operation::TimerEnd).thread.Duplicate();
    ASSERT_TRUE(thread);
    ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));

    EXPECT_EQ((std::vector<std::int32_t>{2, 1, 0}), view.timeLeft);
    ASSERT_EQ(2u, view.captions.size());
    EXPECT_EQ(kCancelCaption, view.captions[0].text);
    EXPECT_EQ(kTimerEndCaption, view.captions[1].text);
    ASSERT_EQ(2u, view.locks.size());
    EXPECT_FALSE(view.locks[0].enable);
    EXPECT_TRUE(view.locks[1].enable);
    EXPECT_EQ(Operation::TimerEnd, view.locks[1].except);
    EXPECT_EQ(1u, fake.exits.size());
    EXPECT_EQ(1u, App().operation(Operation::TimerEnd).idle.load());
}

// The PC sleeps through a tick with 3 s left and nobody says so: the end
// comes no sooner than 30 s after waking, each second shown.
TEST_F(TimerEndView, ASleepLeavesHalfAMinuteToSeeAndStop) {
    auto waits = std::make_shared<std::atomic<int>>(0);
    fake.onSleep = [this, waits, gui = ::GetCurrentThreadId()] {
        if (::GetCurrentThreadId() != gui && ++*waits == 2) fake.Suspend(8 * 3600);
    };
    ToggleTimerEnd(5, ChosenMoments{}, App());
    OwnedHandle thread = App().operation(Operation::TimerEnd).thread.Duplicate();
    ASSERT_TRUE(thread);
    ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));
    ASSERT_EQ(33u, view.timeLeft.size());  // 5, 4, then 30 down to 0
    EXPECT_EQ(30, view.timeLeft[2]);
    EXPECT_EQ(1u, fake.exits.size());
}

// The run follows the settings it was started with, not the process record,
// and reads them live: force mode switched on while it counts holds for its
// end action.
TEST_F(TimerEndView, FollowsTheSettingsItWasStartedWithAsTheyChange) {
    Settings settings;
    settings.WAYTOEND = EndAction::Reboot;
    settings.SOUND = SoundMode::Beep;
    settings.COUNTDOWNTIME = 1;
    fake.onSleep = [&] { settings.FORCECHECK = 1; };
    ToggleTimerEnd(2, ChosenMoments{}, settings);
    OwnedHandle thread = App().operation(Operation::TimerEnd).thread.Duplicate();
    ASSERT_TRUE(thread);
    ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));
    fake.onSleep = nullptr;

    EXPECT_EQ(2u, fake.beeps.size());  // the seconds 1 and 0
    EXPECT_EQ(std::vector<UINT>{EWX_REBOOT | EWX_FORCE}, fake.exits);
}

}  // namespace
