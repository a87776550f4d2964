// What the program tells of this PC's power: the findings for every fact
// that matters, how arming presents them, the machine kept awake while an
// operation is armed, and a refused request reported at its moment.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "fake_system.h"
#include "platform/calendar.h"
#include "platform/wait.h"
#include "power/power_actions.h"
#include "power/power_check.h"
#include "res/resource.h"
#include "schedule/arming.h"
#include "schedule/operations.h"
#include "schedule/timer_end.h"
#include "state/messages.h"
#include "time_support.h"
#include "ui/locking.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

// A PC on which every request works as asked.
PowerFacts HealthyPc() {
    PowerFacts facts;
    facts.standby = true;
    facts.modernStandby = false;
    facts.hibernate = true;
    facts.hiberFile = true;
    facts.reducedHiberFile = false;
    facts.rtcWake = PowerSystemHibernate;
    facts.wakeTimers = WakeTimers::Enabled;
    facts.source = PowerSource::Mains;
    facts.shutdownPrivilege = true;
    return facts;
}

// A moment of 2026 in local time.
std::int64_t LocalMoment(int month, int day, int hour) {
    std::tm record{};
    record.tm_year = 126, record.tm_mon = month - 1, record.tm_mday = day, record.tm_hour = hour;
    record.tm_isdst = -1;
    return MakeLocalTime(record);
}

// The findings as "R:" or "W:" and the start of their text, for comparing.
std::vector<std::wstring> Said(const std::vector<PowerFinding>& findings) {
    std::vector<std::wstring> said;
    for (const PowerFinding& f : findings) {
        said.push_back((f.advice == Advice::Refuse ? L"R:" : L"W:") + f.text.substr(0, f.text.find(L'\r')));
    }
    return said;
}

TEST(PowerFindings, EachFactThatMattersIsTold) {
    const std::wstring hibernatesInstead = L"W:このPCにはｽﾀﾝﾊﾞｲ(S1～S3)がないため、ｽﾀﾝﾊﾞｲの代わりに休止します。";
    const std::wstring neither = L"R:このPCはｽﾀﾝﾊﾞｲも休止もできません。";
    const std::wstring noHibernation = L"R:このPCは休止できません（休止状態が無効か、休止ファイルが縮小版です）。";
    const std::wstring noTimerResume = L"W:このPCはタイマーでｽﾀﾝﾊﾞｲや休止から復帰できません。";
    const std::wstring notFromHibernation = L"W:このPCはタイマーで休止から復帰できません。";
    struct Case {
        const char* name;
        void (*change)(PowerFacts&, WakePlan&);
        EndAction action;
        std::vector<std::wstring> endFindings, wakeFindings;
    } const cases[] = {
        {"healthy PC", [](PowerFacts&, WakePlan&) {}, EndAction::Standby, {}, {}},
        {"all unknown", [](PowerFacts& f, WakePlan&) { f = PowerFacts{}; }, EndAction::Hibernate, {}, {}},
        {"standby hibernates instead",
         [](PowerFacts& f, WakePlan&) { f.standby = false, f.modernStandby = true; },
         EndAction::Standby,
         {hibernatesInstead},
         {}},
        {"standby, nothing to sleep in",
         [](PowerFacts& f, WakePlan&) { f.standby = false, f.hiberFile = false; },
         EndAction::Standby,
         {neither},
         {}},
        {"standby, hibernation unknown",
         [](PowerFacts& f, WakePlan&) { f.standby = false, f.hibernate.reset(); },
         EndAction::Standby,
         {},
         {}},
        {"no S4", [](PowerFacts& f, WakePlan&) { f.hibernate = false; }, EndAction::Hibernate, {noHibernation}, {}},
        {"no hibernation file",
         [](PowerFacts& f, WakePlan&) { f.hiberFile = false; },
         EndAction::Hibernate,
         {noHibernation},
         {}},
        {"reduced hibernation file",
         [](PowerFacts& f, WakePlan&) { f.reducedHiberFile = true; },
         EndAction::Hibernate,
         {noHibernation},
         {}},
        {"no privilege, shutdown",
         [](PowerFacts& f, WakePlan&) { f.shutdownPrivilege = false; },
         EndAction::Shutdown,
         {L"R:このユーザーにはシステムをシャットダウンする権限がないため、ｼｬｯﾄﾀﾞｳﾝできません。"},
         {}},
        {"no privilege, standby",
         [](PowerFacts& f, WakePlan&) { f.shutdownPrivilege = false; },
         EndAction::Standby,
         {L"R:このユーザーにはシステムをシャットダウンする権限がないため、ｽﾀﾝﾊﾞｲできません。"},
         {}},
        {"no privilege, log-off",
         [](PowerFacts& f, WakePlan&) { f.shutdownPrivilege = false; },
         EndAction::Logoff,
         {},
         {}},
        {"no timer resume (Windows)",
         [](PowerFacts&, WakePlan& p) { p.timerCode = ERROR_NOT_SUPPORTED; },
         EndAction::Standby,
         {},
         {noTimerResume}},
        {"no timer resume (Wine)",
         [](PowerFacts&, WakePlan& p) { p.timerCode = kTimerResumeIgnored; },
         EndAction::Standby,
         {},
         {noTimerResume}},
        {"clock cannot wake from hibernation",
         [](PowerFacts& f, WakePlan&) { f.rtcWake = PowerSystemSleeping3; },
         EndAction::Hibernate,
         {},
         {notFromHibernation}},
        {"standby that hibernates, clock wakes from S1",
         [](PowerFacts& f, WakePlan&) { f.standby = false, f.rtcWake = PowerSystemSleeping1; },
         EndAction::Standby,
         {hibernatesInstead},
         {notFromHibernation}},
        {"wake timers off on battery",
         [](PowerFacts& f, WakePlan&) { f.wakeTimers = WakeTimers::Disabled, f.source = PowerSource::Battery; },
         EndAction::Standby,
         {},
         {L"W:電源オプションの「スリープ解除タイマーの許可」が「無効」です（バッテリ駆動）。"}},
        {"important wake timers only",
         [](PowerFacts& f, WakePlan&) { f.wakeTimers = WakeTimers::ImportantOnly; },
         EndAction::Standby,
         {},
         {L"W:電源オプションの「スリープ解除タイマーの許可」が「重要なスリープ解除タイマーのみ」です（電源に接続）。"}},
        {"wake-up before the end",
         [](PowerFacts&, WakePlan& p) { p.wakeMoment = LocalMoment(3, 5, 6), p.endMoment = *p.wakeMoment + 60; },
         EndAction::Standby,
         {},
         {L"W:復帰時間（3月5日 6時00分）が終了時間より前です。"}},
        {"wake-up after the end",
         [](PowerFacts&, WakePlan& p) { p.wakeMoment = 3000, p.endMoment = 2000; },
         EndAction::Standby,
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PowerFacts facts = HealthyPc();
        WakePlan plan{c.action, ERROR_SUCCESS, std::nullopt, std::nullopt};
        c.change(facts, plan);
        plan.action = c.action;
        EXPECT_EQ(c.endFindings, Said(AssessEndAction(facts, c.action)));
        EXPECT_EQ(c.wakeFindings, Said(AssessWakeUp(facts, plan)));
    }
}

INT_PTR CALLBACK AnsweringMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RETURNTOIDLE) return AnswerReturnToIdleMessage(window, wParam, lParam);
    if (message == WM_ENDACTIONREFUSED) OnEndActionRefused(static_cast<EndAction>(wParam), static_cast<DWORD>(lParam));
    return FALSE;
}

class Arming : public ::testing::Test {
protected:
    void SetUp() override {
        programWindows.main = main.get();
        programWindows.manual = manual.get();
        App().WAYTOEND = EndAction::Hibernate;
        fake.powerFacts = HealthyPc();
    }
    void TearDown() override {
        if (App().operation(Operation::TimerEnd).idle.load() == 0) test_support::PressTimer();
        if (OwnedHandle thread = App().operation(Operation::TimerEnd).thread.Duplicate())
            WaitServingMessages(thread.get(), 5000);
    }

    FakeSystem fake;
    ScopedSystem installed{fake};
    test_support::TestDialog main{IDD_MAIN, AnsweringMain};
    test_support::TestDialog manual{IDD_MANUAL};
};

// A refusal keeps the operation idle, except in test mode, where it is a
// warning; a warning arms; without the user a refusal is a warning balloon.
TEST_F(Arming, RefusalsStopTheButtonButNeitherTestModeNorTheProgramItself) {
    fake.powerFacts.hiberFile = false;  // hibernation impossible
    const struct {
        bool testMode;
        Attendance attendance;
        bool arms;
        UINT icon;  // of the box; 0 for a balloon
    } cases[] = {
        {false, Attendance::User, false, MB_ICONERROR},
        {true, Attendance::User, true, MB_ICONWARNING},
        {false, Attendance::Unattended, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.testMode << " " << static_cast<int>(c.attendance));
        fake.messages.clear(), fake.notifies.clear();
        App().TESTCHECK = c.testMode ? 1 : 0;
        EXPECT_EQ(c.arms, MayArm(EndAction::Hibernate, c.attendance, std::nullopt, nullptr, App()));
        if (c.icon != 0) {
            ASSERT_EQ(1u, fake.messages.size());
            EXPECT_EQ(main.get(), fake.messages[0].owner);
            EXPECT_EQ(static_cast<UINT>(MB_OK) | c.icon, fake.messages[0].style);
            EXPECT_EQ(0u, fake.messages[0].text.find(L"このPCは休止できません"));
        } else {
            EXPECT_TRUE(fake.messages.empty());
        }
    }
    // Through the timer end's button: nothing starts.
    App().TESTCHECK = 0;
    test_support::PressTimer();
    EXPECT_EQ(1u, App().operation(Operation::TimerEnd).idle.load());
    EXPECT_TRUE(App().operation(Operation::TimerEnd).thread.Empty());
}

// All is told before arming: the probe's answer, a fixed wake-up date the end
// passes (not a daily one, which comes round after it), and Modern Standby on
// battery for an operation that holds the machine awake, not for an end now.
TEST_F(Arming, EveryWarningIsToldBeforeTheRunIsArmed) {
    TIME_ZONE_INFORMATION zone = FixedZone(-540);
    fake.zone = &zone;
    fake.now = LocalMoment(3, 5, 5);
    const std::int64_t end = LocalMoment(3, 5, 23);
    const MomentTexts daily{L"", L"", L"6", L"0"};
    const MomentTexts dated{L"3", L"5", L"6", L"0"};
    const struct {
        bool modernOnBattery;
        DWORD timerCode;
        const MomentTexts* wake;
        const wchar_t* said;  // how the box begins; nullptr for none
    } cases[] = {
        {false, ERROR_SUCCESS, &daily, nullptr},
        {false, ERROR_SUCCESS, &dated, L"復帰時間（3月5日 6時00分）が終了時間より前です。"},
        {false, ERROR_NOT_SUPPORTED, &daily, L"このPCはタイマーでｽﾀﾝﾊﾞｲや休止から復帰できません。"},
        {true, ERROR_SUCCESS, nullptr, L"このPCはモダン スタンバイで、バッテリ駆動です。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.said ? c.said : L""));
        fake.messages.clear();
        fake.powerFacts.modernStandby = c.modernOnBattery;
        fake.powerFacts.source = c.modernOnBattery ? PowerSource::Battery : PowerSource::Mains;
        fake.timerResumeCode = c.timerCode;
        EXPECT_TRUE(MayArm(EndAction::Standby, Attendance::User, end, c.wake, App()));
        ASSERT_EQ(c.said ? 1u : 0u, fake.messages.size());
        if (c.said) {
            EXPECT_EQ(0u, fake.messages[0].text.find(c.said));
        }
    }
    fake.messages.clear();
    EXPECT_TRUE(MayEndNow(EndAction::Standby, App()));
    EXPECT_TRUE(fake.messages.empty());
}

// The system stays awake (not the display) while an operation is armed, on
// the GUI thread, and is let go when it is idle again.
TEST_F(Arming, TheMachineIsHeldAwakeExactlyWhileAnOperationIsArmed) {
    fake.executionStates.clear();
    test_support::PressTimer();
    test_support::PressTimer();
    const DWORD gui = ::GetCurrentThreadId();
    const std::vector<std::pair<DWORD, EXECUTION_STATE>> expected = {
        {gui, ES_CONTINUOUS | ES_SYSTEM_REQUIRED},
        {gui, ES_CONTINUOUS},
    };
    EXPECT_EQ(expected, fake.executionStates);
}

// A request the system refuses at its moment is told in a box owned by the
// main window, naming the action and the reason; everything is left idle.
TEST_F(Arming, ARefusedRequestIsToldAndLeavesEverythingIdle) {
    const struct {
        EndAction action;
        DWORD privilegeError, exitError, powerError;
        const wchar_t* named;
    } cases[] = {
        {EndAction::Reboot, ERROR_NOT_ALL_ASSIGNED, ERROR_SUCCESS, ERROR_SUCCESS, L"ﾘﾌﾞｰﾄできませんでした。"},
        {EndAction::Logoff, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_SUCCESS, L"ﾛｸﾞｵﾌできませんでした。"},
        {EndAction::Standby, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_NOT_SUPPORTED, L"ｽﾀﾝﾊﾞｲできませんでした。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.action));
        fake.messages.clear(), fake.exits.clear();
        fake.privilegeError = c.privilegeError, fake.exitError = c.exitError, fake.powerError = c.powerError;
        App().operation(Operation::Wake).running = 1;  // armed for the end that is refused
        App().operation(Operation::Wake).idle = 0;
        App().wakeFollowingEnd = App().operation(Operation::Wake).block.Arm();
        LockRunControls(0, IDC_MAN_WAKE);
        EXPECT_EQ(EndResult::Refused, PerformEndAction(c.action, App()));
        // A user without the right is not asked for: the refusal is told at once.
        EXPECT_EQ(c.privilegeError == ERROR_NOT_ALL_ASSIGNED ? 0u : (c.action == EndAction::Standby ? 0u : 1u),
                  fake.exits.size());
        ASSERT_EQ(1u, fake.messages.size());
        EXPECT_EQ(main.get(), fake.messages[0].owner);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST), fake.messages[0].style);
        EXPECT_EQ(0u, fake.messages[0].text.find(c.named));
        EXPECT_GT(fake.messages[0].text.size(), std::wstring(c.named).size() + 2);  // the reason follows
        EXPECT_EQ(1u, App().operation(Operation::Wake).idle.load());
        EXPECT_EQ(0u, App().operation(Operation::Wake).running.load());
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main.get(), IDC_MAIN_RUN)));
    }
}

// A wake-up the user armed by hand before asking for a standby is not the
// one that was to follow it: a refused standby leaves it armed.
TEST_F(Arming, ARefusalLeavesAWakeUpArmedByHand) {
    fake.powerError = ERROR_NOT_SUPPORTED;
    App().operation(Operation::Wake).running = 1;
    App().operation(Operation::Wake).idle = 0;
    App().wakeFollowingEnd = App().operation(Operation::Wake).block.Arm();
    App().operation(Operation::Wake).block.Arm();  // disarmed since, then armed again by hand
    EXPECT_EQ(EndResult::Refused, PerformEndAction(EndAction::Standby, App()));
    EXPECT_EQ(1u, App().operation(Operation::Wake).running.load());
    EXPECT_EQ(0u, App().operation(Operation::Wake).idle.load());
}

}  // namespace
