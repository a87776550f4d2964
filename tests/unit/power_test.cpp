// The end actions through the system seam: flag values, force, test mode.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "fake_system.h"
#include "power/power_actions.h"
#include "res/resource.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "ui/controls.h"
#include "ui/locking.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

class PowerActions : public ::testing::Test {
protected:
    void SetUp() override {
        App().FORCECHECK = 0;
        App().TESTCHECK = 0;
        App().WAYTOEND = EndAction::Shutdown;
    }
    FakeSystem fake;
    ScopedSystem installed{fake};
};

struct SessionCase {
    EndAction action;
    bool force;
    UINT flags;
};

TEST_F(PowerActions, SessionEndsCarryTheExactFlagsAfterThePrivilege) {
    const SessionCase cases[] = {
        {EndAction::Shutdown, false, EWX_POWEROFF}, {EndAction::Shutdown, true, EWX_POWEROFF | EWX_FORCE},
        {EndAction::Reboot, false, EWX_REBOOT},     {EndAction::Reboot, true, EWX_REBOOT | EWX_FORCE},
        {EndAction::Logoff, false, EWX_LOGOFF},     {EndAction::Logoff, true, EWX_LOGOFF | EWX_FORCE},
    };
    for (const SessionCase& c : cases) {
        FakeSystem local;
        ScopedSystem use(local);
        App().WAYTOEND = c.action;
        App().FORCECHECK = c.force ? 1 : 0;
        EXPECT_EQ(EndResult::Requested, PerformEndAction(App().WAYTOEND.load(), App()));
        // A log-off needs no privilege; the others enable it first.
        std::vector<std::wstring> calls = {L"Exit " + std::to_wstring(c.flags)};
        if (c.action != EndAction::Logoff) calls.insert(calls.begin(), std::wstring(L"Privilege ") + SE_SHUTDOWN_NAME);
        EXPECT_EQ(calls, local.calls);
        EXPECT_EQ(std::vector<DWORD>{kShutdownReason}, local.exitReasons);
        EXPECT_TRUE(local.powerStates.empty());
    }
}

TEST_F(PowerActions, StandbyAndHibernateUsePowerStateWithForceExactlyInForceMode) {
    struct Case {
        EndAction action;
        bool force;
        BOOL suspend;
    } const cases[] = {
        {EndAction::Standby, false, TRUE},
        {EndAction::Standby, true, TRUE},
        {EndAction::Hibernate, false, FALSE},
        {EndAction::Hibernate, true, FALSE},
    };
    for (const Case& c : cases) {
        FakeSystem local;
        ScopedSystem use(local);
        App().WAYTOEND = c.action;
        App().FORCECHECK = c.force ? 7 : 0;  // any nonzero counts as on
        EXPECT_EQ(EndResult::Requested, PerformEndAction(App().WAYTOEND.load(), App()));
        ASSERT_EQ(1u, local.privileges.size());
        ASSERT_EQ(1u, local.powerStates.size());
        EXPECT_EQ(c.suspend, local.powerStates[0].first);
        EXPECT_EQ(c.force ? TRUE : FALSE, local.powerStates[0].second);
        EXPECT_TRUE(local.exits.empty());
    }
}

TEST_F(PowerActions, TestModeShowsTheMessageAndRequestsNothing) {
    App().TESTCHECK = 1;
    App().FORCECHECK = 1;
    App().WAYTOEND = EndAction::Reboot;
    EXPECT_EQ(EndResult::TestMessage, PerformEndAction(App().WAYTOEND.load(), App()));
    ASSERT_EQ(1u, fake.messages.size());
    EXPECT_EQ(L"リブート：強制チェック ON", fake.messages[0].text);
    EXPECT_EQ(L"テストモード", fake.messages[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), fake.messages[0].style);
    EXPECT_EQ(nullptr, fake.messages[0].owner);
    EXPECT_TRUE(fake.privileges.empty());
    EXPECT_TRUE(fake.exits.empty());
    EXPECT_TRUE(fake.powerStates.empty());
}

TEST_F(PowerActions, TestModeMessagesNameEveryActionAndForceState) {
    const wchar_t* const expected[5][2] = {
        {L"シャットダウン：強制チェック OFF", L"シャットダウン：強制チェック ON"},
        {L"リブート：強制チェック OFF", L"リブート：強制チェック ON"},
        {L"ログオフ：強制チェック OFF", L"ログオフ：強制チェック ON"},
        {L"スタンバイ：強制チェック OFF", L"スタンバイ：強制チェック ON"},
        {L"休止：強制チェック OFF", L"休止：強制チェック ON"},
    };
    const int buttons[5] = {IDC_MAN_SHUTDOWN, IDC_MAN_REBOOT, IDC_MAN_LOGOFF, IDC_MAN_STANDBY, IDC_MAN_HIBERNATE};
    App().TESTCHECK = 1;
    for (int action = 0; action < 5; ++action) {
        for (int force = 0; force < 2; ++force) {
            FakeSystem local;
            ScopedSystem use(local);
            App().FORCECHECK = force;
            App().WAYTOEND = EndAction::Shutdown;  // the button decides, not the setting
            const EndActionFacts* facts = EndActionOfManualButton(buttons[action]);
            ASSERT_NE(nullptr, facts);
            EXPECT_EQ(EndResult::TestMessage, PerformEndAction(facts->action, App()));
            ASSERT_EQ(1u, local.messages.size());
            EXPECT_EQ(expected[action][force], local.messages[0].text);
        }
    }
}

TEST_F(PowerActions, ActionOutsideTheTableDoesNothingEvenInTestMode) {
    for (std::uint32_t value : {5u, 7u, 0xFFFFFFFFu}) {
        App().WAYTOEND = static_cast<EndAction>(value);
        App().TESTCHECK = 1;
        EXPECT_EQ(EndResult::NotAnAction, PerformEndAction(App().WAYTOEND.load(), App()));
        App().TESTCHECK = 0;
        EXPECT_EQ(EndResult::NotAnAction, PerformEndAction(App().WAYTOEND.load(), App()));
    }
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(nullptr, EndActionOfManualButton(IDC_MAN_PROCESS));
}

// The main window's answer to a worker whose test-mode message has closed.
INT_PTR CALLBACK UnlockingMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_TESTMESSAGECLOSED ? MainDialogProc(window, message, wParam, lParam) : FALSE;
}

// While the ownerless message was open another operation may have started;
// its locking stands, whether the message came from an operation's worker at
// its moment or from a manual action on the GUI thread.
TEST_F(PowerActions, TestModeUnlocksOnlyWhenEveryOperationIsIdle) {
    test_support::TestDialog main{IDD_MAIN, UnlockingMainProc};
    programWindows.main = main.get();
    App().TESTCHECK = 1;
    for (bool fromWorker : {false, true}) {
        for (auto* started :
             {static_cast<std::atomic<std::uint32_t>*>(nullptr), &App().operation(Operation::ScheduledEnd).idle,
              &App().operation(Operation::TimerEnd).idle, &App().operation(Operation::WaitProgram).idle,
              &App().operation(Operation::Wake).idle}) {
            SCOPED_TRACE(::testing::Message() << "worker " << fromWorker << ", started " << started);
            LockRunControls(0, IDC_MAIN_RUN);
            if (started != nullptr) *started = 0;
            if (fromWorker) {
                std::atomic<bool> done{false};
                std::thread worker([&] {
                    PerformEndAction(App().WAYTOEND.load(), App());
                    done = true;
                });
                test_support::WaitFor([&] { return done.load(); }, 20000);
                worker.join();
            } else {
                PerformEndAction(EndAction::Reboot, App());
            }
            EXPECT_EQ(started == nullptr, ::IsWindowEnabled(::GetDlgItem(main.get(), IDC_MAIN_SHUTDOWN)) != FALSE);
            if (started != nullptr) *started = 1;
        }
    }
}

}  // namespace
