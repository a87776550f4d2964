// The manual operations dialog on its real template and procedure: the
// locking it applies as it opens, its timer fields, its immediate actions
// through the recording system seam, and when it refills its process list.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "fake_system.h"
#include "res/resource.h"
#include "dialogs/dialogs.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

using test_support::ItemText;

const std::vector<int> kManualRunGroup = {IDC_MAN_WAKE,    IDC_MAN_PROCESS, IDC_MAN_WAIT, IDC_MAN_HOURS,
                                          IDC_MAN_MINUTES, IDC_MAN_SECONDS, IDC_MAN_TIMER};
const std::vector<int> kTimerFields = {IDC_MAN_HOURS, IDC_MAN_MINUTES, IDC_MAN_SECONDS};
const std::vector<int> kSomeMainRunControls = {IDC_MAIN_SHUTDOWN, IDC_MAIN_WAKE_MINUTE, IDC_MAIN_RUN};

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

class ManualDialogTest : public ::testing::Test {
protected:
    void SetUp() override { programWindows.main = main_.get(); }
    void TearDown() override { manual_.reset(); }
    HWND Open() {
        manual_.reset();  // its end would forget the new dialog's handle
        manual_ = std::make_unique<test_support::TestDialog>(IDD_MANUAL, ManualDialogProc);
        return manual_->get();
    }
    void Command(int id, WORD code = BN_CLICKED) {
        ::SendMessageW(manual_->get(), WM_COMMAND, MAKEWPARAM(id, code), 0);
    }

    FakeSystem fake_;
    ScopedSystem scoped_{fake_};
    test_support::TestDialog main_{IDD_MAIN};
    std::unique_ptr<test_support::TestDialog> manual_;
};

TEST_F(ManualDialogTest, OpensLockedByWhatRunsWithFreshFieldsAndKeptCaptions) {
    struct Case {
        std::vector<std::atomic<std::uint32_t>*> running;
        int ownButton;  // the one manual run control left enabled, 0 for none
        bool manualLocked, mainBefore, mainAfter;
    } const cases[] = {
        {{}, 0, false, false, true},
        {{&App().operation(Operation::TimerEnd).running}, IDC_MAN_TIMER, true, true, false},
        {{&App().operation(Operation::WaitProgram).running}, IDC_MAN_WAIT, true, true, false},
        {{&App().operation(Operation::Wake).running}, IDC_MAN_WAKE, true, true, false},
        // The main window stays as the scheduled end locked it; the timer end comes first.
        {{&App().operation(Operation::ScheduledEnd).running}, 0, true, false, false},
        // The count-down after a wake-up locks every run control.
        {{&App().resumeCountdownRunning}, 0, true, true, false},
        {{&App().operation(Operation::ScheduledEnd).running, &App().operation(Operation::Wake).running,
          &App().operation(Operation::TimerEnd).running},
         IDC_MAN_TIMER,
         true,
         true,
         false},
    };
    KeepManualCaption(Operation::TimerEnd, L"処理中断");
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.running.size() << " running, own " << c.ownButton);
        for (int id : kSomeMainRunControls) ::EnableWindow(::GetDlgItem(main_.get(), id), c.mainBefore);
        for (auto* flag : c.running) *flag = 1;
        HWND manual = Open();
        for (auto* flag : c.running) *flag = 0;

        for (int id : kManualRunGroup) EXPECT_EQ(id == c.ownButton || !c.manualLocked, Enabled(manual, id)) << id;
        for (int id : {IDC_MAN_OK, IDC_MAN_SHUTDOWN, IDC_MAN_HIBERNATE, IDC_MAN_RESET})
            EXPECT_TRUE(Enabled(manual, id));
        for (int id : kSomeMainRunControls) EXPECT_EQ(c.mainAfter, Enabled(main_.get(), id)) << id;
        for (int id : kTimerFields) EXPECT_EQ(L"0", ItemText(manual, id));
        EXPECT_EQ(L"処理中断", ItemText(manual, IDC_MAN_TIMER));
        EXPECT_EQ(L"待機ﾌﾟﾛｸﾞﾗﾑ終了", ItemText(manual, IDC_MAN_WAIT));  // nothing kept
    }
}

TEST_F(ManualDialogTest, TimerFieldsRefuseAThirdDigit) {
    HWND manual = Open();
    for (int id : kTimerFields) {
        ::SendDlgItemMessageW(manual, id, EM_SETSEL, 0, -1);
        for (wchar_t digit : {L'1', L'2', L'3'}) ::SendDlgItemMessageW(manual, id, WM_CHAR, digit, 0);
        EXPECT_EQ(L"12", ItemText(manual, id));
    }
}

TEST_F(ManualDialogTest, ImmediateActionsCloseOnlyAfterARequestedShutdownOrReboot) {
    struct Case {
        int button;
        bool testMode;
        BOOL systemAgrees;
        const wchar_t* call;  // the seam call the button makes
        bool closes;
    } const cases[] = {
        {IDC_MAN_SHUTDOWN, true, TRUE, L"Message シャットダウン：強制チェック OFF", false},
        {IDC_MAN_LOGOFF, false, TRUE, L"Exit 0", false},
        {IDC_MAN_HIBERNATE, false, TRUE, L"Power 0 0", false},
        {IDC_MAN_SHUTDOWN, false, FALSE, L"Exit 8", false},  // refused: the main window says why
        {IDC_MAN_REBOOT, false, TRUE, L"Exit 2", true},
    };
    App().headline.Set(L"指定時間終了 ｼｬｯﾄﾀﾞｳﾝ");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        FakeSystem local;
        local.exitError = c.systemAgrees ? ERROR_SUCCESS : ERROR_PRIVILEGE_NOT_HELD;
        ScopedSystem use(local);
        App().TESTCHECK = c.testMode ? 1 : 0;
        ::EnableWindow(::GetDlgItem(main_.get(), IDC_MAIN_MANUAL),
                       FALSE);  // as while the dialog is open
        HWND manual = Open();

        Command(c.button);

        EXPECT_EQ(1, std::count(local.calls.begin(), local.calls.end(), c.call));
        EXPECT_EQ(!c.closes, ::IsWindowVisible(manual) != FALSE);
        EXPECT_EQ(c.closes, Enabled(main_.get(), IDC_MAIN_MANUAL));
        EXPECT_EQ(c.closes, !local.notifies.empty() && local.notifies.back().message == NIM_DELETE);
        EXPECT_EQ(L"指定時間終了 ｼｬｯﾄﾀﾞｳﾝ", App().headline.Get());  // nothing released
    }
}

// The system sends its suspend and resume notices while a standby or
// hibernation is asked for; the request returns only after the resume. The
// main window answers them meanwhile.
TEST_F(ManualDialogTest, TheMainWindowAnswersPowerNoticesWhileASleepIsAskedFor) {
    for (int button : {IDC_MAN_STANDBY, IDC_MAN_HIBERNATE}) {
        SCOPED_TRACE(button);
        bool answered = false;
        fake_.onPowerState = [&] {
            std::thread system([&] {
                DWORD_PTR result = 0;
                answered = ::SendMessageTimeoutW(main_.get(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_BLOCK, 2000,
                                                 &result) != 0;
            });
            system.join();
        };
        Open();
        Command(button);
        EXPECT_TRUE(answered);
        EXPECT_EQ(1u, fake_.powerStates.size());
        fake_.powerStates.clear();
    }
}

TEST_F(ManualDialogTest, ProcessListIsRefilledOnlyAsItGainsTheFocus) {
    HWND manual = Open();
    const auto marker = reinterpret_cast<LPARAM>(L"marker");
    ::SendDlgItemMessageW(manual, IDC_MAN_PROCESS, CB_ADDSTRING, 0, marker);
    for (WORD code : {CBN_SELCHANGE, CBN_DROPDOWN, CBN_CLOSEUP}) Command(IDC_MAN_PROCESS, code);
    EXPECT_EQ(0, ::SendDlgItemMessageW(manual, IDC_MAN_PROCESS, CB_FINDSTRINGEXACT, -1, marker));
    Command(IDC_MAN_PROCESS, CBN_SETFOCUS);
    EXPECT_EQ(CB_ERR, ::SendDlgItemMessageW(manual, IDC_MAN_PROCESS, CB_FINDSTRINGEXACT, -1, marker));
}

}  // namespace
