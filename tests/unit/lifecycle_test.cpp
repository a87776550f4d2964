// The life cycle every operation shares, for each operation that ends in an
// end action: a cancel that comes while the worker's request to return to
// idle waits for the GUI thread holds, and the operation neither acts nor
// starts again.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/main_window.h"
#include "fake_processes.h"
#include "fake_system.h"
#include "platform/calendar.h"
#include "platform/wait.h"
#include "res/resource.h"
#include "schedule/operations.h"
#include "schedule/scheduled_end.h"
#include "schedule/timer_end.h"
#include "schedule/wait_program.h"
#include "state/messages.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

INT_PTR CALLBACK AnsweringMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_RETURNTOIDLE ? AnswerReturnToIdleMessage(window, wParam, lParam) : FALSE;
}

struct OperationCase {
    const char* name;
    Operation operation;
    void (*toggle)();  // the operation's button
};

class LifeCycle : public ::testing::TestWithParam<OperationCase> {
protected:
    void SetUp() override {
        InstallProcesses(&processes);
        programWindows.main = main.get();
        programWindows.manual = manual.get();
        App().phraseText.Set(L"phrase");
        App().COUNTDOWNTIME = 1;
    }
    void TearDown() override {
        test_support::EndWorkers();  // while the fakes are installed
        InstallProcesses(nullptr);
    }

    // Prepares each operation to reach its moment at once: the scheduled end
    // two minutes ahead, the timer end with its dialog closed (ten seconds,
    // unseen), the wait for a program that is gone at the first poll.
    void PrepareQuickMoment(Operation operation) {
        switch (operation) {
            case Operation::ScheduledEnd: {
                const std::tm soon = LocalTimeOf(fake.Now() + 120);
                const int combos[] = {IDC_MAIN_END_HOUR, IDC_MAIN_END_MINUTE};
                FillNumberCombo(23, main.get(), combos[0]);
                FillNumberCombo(59, main.get(), combos[1]);
                ::SendDlgItemMessageW(main.get(), combos[0], CB_SETCURSEL, soon.tm_hour, 0);
                ::SendDlgItemMessageW(main.get(), combos[1], CB_SETCURSEL, soon.tm_min, 0);
                break;
            }
            case Operation::TimerEnd:
                programWindows.manual = nullptr;
                break;
            default:
                processes.Name({L"C:\\idle.exe", L"C:\\w\\setup.exe"});
                FillProcessCombo(manual.get());
                ::SendDlgItemMessageW(manual.get(), IDC_MAN_PROCESS, CB_SELECTSTRING, 0,
                                      reinterpret_cast<LPARAM>(L"setup"));
                processes.list.pop_back();
                break;
        }
    }

    FakeProcesses processes;
    FakeSystem fake;
    ScopedSystem installed{fake};
    test_support::TestDialog main{IDD_MAIN, AnsweringMain};
    test_support::TestDialog manual{IDD_MANUAL};
};

TEST_P(LifeCycle, ACancelRacingTheReturnToIdleNeitherActsNorStartsAgain) {
    const OperationCase& c = GetParam();
    OperationRecord& record = App().operation(c.operation);
    PrepareQuickMoment(c.operation);
    c.toggle();
    OwnedHandle thread = record.thread.Duplicate();
    ASSERT_TRUE(thread);
    const std::uint32_t generation = record.block.generation.load();
    // The worker's request waits until this thread serves it: cancel first.
    ASSERT_TRUE(test_support::WaitForSentMessage());
    c.toggle();
    ASSERT_TRUE(WaitServingMessages(thread.get(), 20000));
    EXPECT_TRUE(fake.exits.empty());
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(generation, record.block.generation.load());  // no fresh start
    EXPECT_EQ(1u, record.idle.load());
    EXPECT_EQ(0u, record.running.load());
    EXPECT_TRUE(record.thread.Empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryEndingOperation, LifeCycle,
    ::testing::Values(OperationCase{"ScheduledEnd", Operation::ScheduledEnd, [] { test_support::PressRun(); }},
                      OperationCase{"TimerEnd", Operation::TimerEnd, [] { test_support::PressTimer(); }},
                      OperationCase{"WaitProgram", Operation::WaitProgram, [] { test_support::PressWait(); }}),
    [](const ::testing::TestParamInfo<OperationCase>& info) { return info.param.name; });

}  // namespace
