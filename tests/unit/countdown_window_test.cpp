// The count-down window as the operations report it: when it is shown and
// hidden, what 延長 does to each operation's moment, and that 中止 holds.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "fake_processes.h"
#include "fake_system.h"
#include "fake_view.h"
#include "time_support.h"
#include "platform/calendar.h"
#include "platform/text.h"
#include "platform/wait.h"
#include "schedule/operations.h"
#include "schedule/scheduled_end.h"
#include "schedule/timer_end.h"
#include "schedule/wait_program.h"
#include "ui/countdown_window.h"
#include "ui_test_support.h"

namespace {

class CountdownWindow : public ::testing::Test {
protected:
    void SetUp() override {
        zone = FixedZone(-540);
        fake.zone = &zone;
        App().COUNTDOWNTIME = 10;
    }
    void TearDown() override {
        InstallProcesses(nullptr);
        test_support::EndWorkers();
    }
    // Serves messages until the operation's threads, those 延長 started too, have ended.
    static void Finish(Operation operation) {
        while (OwnedHandle thread = App().operation(operation).thread.Duplicate()) {
            ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));
        }
    }
    // The seconds the window showed for `operation`, in order.
    std::vector<std::int64_t> Shown(Operation operation) const {
        std::vector<std::int64_t> seconds;
        for (const CountdownShown& shown : view.countdowns) {
            if (shown.operation == operation) seconds.push_back(shown.seconds);
        }
        return seconds;
    }
    // Arms the scheduled end for the whole minute `minutes` from now.
    std::int64_t ArmScheduledEnd(int minutes) {
        const std::int64_t target = (fake.Now() / 60 + minutes) * 60;
        const std::tm moment = LocalTimeOf(target);
        ChosenMoments moments;
        FormatText(moments.end.hour, L"%d", moment.tm_hour);
        FormatText(moments.end.minute, L"%d", moment.tm_min);
        ToggleScheduledEnd(Attendance::User, moments, App());
        return target;
    }
    // 延長 once, when the window first shows `seconds` for the first run.
    void ExtendAt(std::int64_t seconds) {
        view.onCountdown = [seconds, done = false](const CountdownShown& shown) mutable {
            if (!done && shown.seconds == seconds) done = ExtendOperation(shown.operation, shown.generation, App());
        };
    }

    TIME_ZONE_INFORMATION zone{};
    FakeSystem fake;
    ScopedSystem installed{fake};
    FakeView view;
    ScopedView viewed{view};
    FakeProcesses processes;
};

// From a minute before the action, or from arming when that is nearer; the
// seconds count down to 0 and the window goes at the action.
TEST_F(CountdownWindow, ShowsTheLastMinuteOrFromArmingAndGoesAtTheAction) {
    ToggleTimerEnd(20, ChosenMoments{}, App());
    Finish(Operation::TimerEnd);
    std::vector<std::int64_t> all(21);
    for (int i = 0; i <= 20; ++i) all[i] = 20 - i;
    EXPECT_EQ(all, Shown(Operation::TimerEnd));
    ASSERT_FALSE(view.hidden.empty());
    EXPECT_EQ(view.countdowns.size(), view.hidden.back().after);  // after the last second
    EXPECT_EQ(EndAction::Shutdown, view.countdowns.back().action);

    view.countdowns.clear();
    App().SOUND = SoundMode::Silent;  // the action comes COUNTDOWNTIME after the moment
    ArmScheduledEnd(5);
    Finish(Operation::ScheduledEnd);
    const std::vector<std::int64_t> seconds = Shown(Operation::ScheduledEnd);
    ASSERT_EQ(61u, seconds.size());
    EXPECT_EQ(60, seconds.front());
    EXPECT_EQ(0, seconds.back());
    EXPECT_EQ(2u, fake.exits.size());
}

// A stop takes the window away; 中止 in the very last second holds.
TEST_F(CountdownWindow, GoesAtAStopAndAbortHoldsInTheLastSecond) {
    view.onCountdown = [](const CountdownShown& shown) {
        if (shown.seconds == 5) StopOperation(shown.operation);
    };
    ToggleTimerEnd(8, ChosenMoments{}, App());
    Finish(Operation::TimerEnd);
    EXPECT_EQ(4u, view.countdowns.size());  // 8 down to 5
    ASSERT_FALSE(view.hidden.empty());
    EXPECT_EQ(Operation::TimerEnd, view.hidden.back().operation);

    view.onCountdown = [](const CountdownShown& shown) {
        if (shown.seconds == 0) AbortFromTray();
    };
    ToggleTimerEnd(3, ChosenMoments{}, App());
    Finish(Operation::TimerEnd);
    ArmScheduledEnd(1);
    Finish(Operation::ScheduledEnd);
    EXPECT_TRUE(fake.exits.empty());
    EXPECT_EQ(1u, App().operation(Operation::ScheduledEnd).idle.load());
}

// 延長 puts each operation's moment off in its own way; the old moment is
// not acted on, and the window is back only in the new moment's last minute.
TEST_F(CountdownWindow, ExtendPutsEachMomentOffTenMinutes) {
    ExtendAt(5);
    ToggleTimerEnd(20, ChosenMoments{}, App());
    Finish(Operation::TimerEnd);
    const std::vector<std::int64_t> seconds = Shown(Operation::TimerEnd);
    ASSERT_EQ(16 + 61u, seconds.size());  // 20 to 5, then the last minute of 605
    EXPECT_EQ(60, seconds[16]);
    EXPECT_EQ(605, view.timeLeft[16]);
    EXPECT_EQ(1u, fake.exits.size());

    ExtendAt(30);
    const std::int64_t target = ArmScheduledEnd(3);
    Finish(Operation::ScheduledEnd);
    EXPECT_EQ(target + 600, MakeLocalTime(App().operation(Operation::ScheduledEnd).block.target));
    EXPECT_GE(fake.Now(), target + 600);
    EXPECT_EQ(2u, fake.exits.size());

    InstallProcesses(&processes);
    processes.Name({L"C:\\idle.exe"});  // the program has gone at the first look
    ExtendAt(10);
    const std::int64_t gone = fake.Now();
    ToggleWaitProgram(L"notepad", ChosenMoments{}, App());
    Finish(Operation::WaitProgram);
    EXPECT_GE(App().operation(Operation::WaitProgram).block.moment.load(), gone + 600);
    EXPECT_LE(App().operation(Operation::WaitProgram).block.moment.load(), gone + 602);
    EXPECT_GE(fake.Now(), gone + 600);
    EXPECT_EQ(3u, fake.exits.size());
}

TEST(CountdownWindowPlace, StandsAtTheLowerRightInsideTheWorkArea) {
    const RECT placed = PlaceAtLowerRight({0, 0, 1024, 728}, {200, 150}, 8);
    EXPECT_EQ(816, placed.left);
    EXPECT_EQ(570, placed.top);
    EXPECT_EQ(0, PlaceAtLowerRight({0, 0, 100, 100}, {200, 150}, 8).left);  // never off its left edge
}

}  // namespace
