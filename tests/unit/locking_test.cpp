// Control locking on real dialogs made from the program's templates: which
// controls each routine enables or disables, that the controls outside the
// groups are never touched, and that closed or stale dialogs are skipped.
#include <gtest/gtest.h>

#include <vector>

#include "res/resource.h"
#include "state/app_state.h"
#include "dialogs/dialogs.h"
#include "ui/locking.h"
#include "platform/windows.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

using test_support::TestDialog;

const std::vector<int> kMainRunGroup = {
    IDC_MAIN_SHUTDOWN,  IDC_MAIN_REBOOT,    IDC_MAIN_LOGOFF,      IDC_MAIN_STANDBY,
    IDC_MAIN_HIBERNATE, IDC_MAIN_FORCE,     IDC_MAIN_TEST,        IDC_MAIN_END_MONTH,
    IDC_MAIN_END_DAY,   IDC_MAIN_END_HOUR,  IDC_MAIN_END_MINUTE,  IDC_MAIN_WAKE_MONTH,
    IDC_MAIN_WAKE_DAY,  IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE, IDC_MAIN_RUN,
};
const std::vector<int> kMainNeverLocked = {IDC_MAIN_BYE, IDC_MAIN_SETTINGS, IDC_MAIN_MANUAL, IDC_MAIN_SUMMARY,
                                           IDC_MAIN_CLOCK};
const std::vector<int> kManualRunGroup = {IDC_MAN_WAKE,    IDC_MAN_PROCESS, IDC_MAN_WAIT, IDC_MAN_HOURS,
                                          IDC_MAN_SECONDS, IDC_MAN_MINUTES, IDC_MAN_TIMER};
const std::vector<int> kManualNeverLocked = {IDC_MAN_OK,      IDC_MAN_SHUTDOWN,  IDC_MAN_REBOOT, IDC_MAN_LOGOFF,
                                             IDC_MAN_STANDBY, IDC_MAN_HIBERNATE, IDC_MAN_RESET};
const std::vector<int> kResumeRadios = {IDC_SET_NO_WAKE, IDC_SET_WAKE_IDLE, IDC_SET_RESUME_SCHEDULED,
                                        IDC_SET_PROGRAM_THEN_SCHEDULED, IDC_SET_PROGRAM_THEN_END};
const std::vector<int> kProgramControls = {IDC_SET_PROGRAM_NAME, IDC_SET_ARGUMENTS, IDC_SET_CHOOSE_PROGRAM};
const std::vector<int> kSettingsOthers = {
    IDC_SET_OK,         IDC_SET_STARTUP,      IDC_SET_SILENT,  IDC_SET_TEN_COUNT,
    IDC_SET_EXPLOSION,  IDC_SET_HEARTBEAT,    IDC_SET_BEEP,    IDC_SET_CHOSEN_SOUND,
    IDC_SET_SOUND_NAME, IDC_SET_CHOOSE_SOUND, IDC_SET_SECONDS, IDC_SET_SECONDS_SPIN,
};

void SetAll(HWND dialog, const std::vector<int>& ids, bool enable) {
    for (int id : ids) ::EnableWindow(::GetDlgItem(dialog, id), enable ? TRUE : FALSE);
}

void ExpectEnabled(HWND dialog, const std::vector<int>& ids, bool expected, const char* what) {
    for (int id : ids) {
        HWND item = ::GetDlgItem(dialog, id);
        ASSERT_NE(nullptr, item) << what << ": no control " << id;
        EXPECT_EQ(expected, ::IsWindowEnabled(item) != FALSE) << what << ": control " << id;
    }
}

class LockingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, main_.get());
        ASSERT_NE(nullptr, manual_.get());
        ASSERT_NE(nullptr, settings_.get());
        programWindows.main = main_.get();
    }

    TestDialog main_{IDD_MAIN};
    TestDialog manual_{IDD_MANUAL};
    TestDialog settings_{IDD_SETTINGS};
};

bool IsOperationButton(int id) {
    return id == IDC_MAIN_RUN || id == IDC_MAN_WAKE || id == IDC_MAN_WAIT || id == IDC_MAN_TIMER;
}

TEST_F(LockingTest, RunControlsFollowEnableAndCaller) {
    struct Case {
        int enable;
        int caller;
    };
    // Callers other than the four operation buttons (0, a never-locked
    // button, a control of the group that is no operation button) change the
    // whole group.
    const Case cases[] = {
        {0, IDC_MAIN_RUN},
        {1, IDC_MAIN_RUN},
        {0, IDC_MAN_TIMER},
        {1, IDC_MAN_TIMER},
        {0, IDC_MAN_WAIT},
        {1, IDC_MAN_WAIT},
        {0, IDC_MAN_WAKE},
        {1, IDC_MAN_WAKE},
        {0, 0},
        {1, 0},
        {0, IDC_MAIN_SETTINGS},
        {0, IDC_MAN_PROCESS},
        {0, IDC_MAIN_SHUTDOWN},
    };
    programWindows.manual = manual_.get();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "enable " << c.enable << ", caller " << c.caller);
        // Start from the opposite state, so every change shows.
        const bool before = c.enable == 0;
        SetAll(main_.get(), kMainRunGroup, before);
        SetAll(manual_.get(), kManualRunGroup, before);

        LockRunControls(c.enable, c.caller);

        for (auto [dialog, group] :
             {std::pair{main_.get(), &kMainRunGroup}, std::pair{manual_.get(), &kManualRunGroup}}) {
            for (int id : *group) {
                const bool expected = (IsOperationButton(id) && id == c.caller) ? before : c.enable != 0;
                EXPECT_EQ(expected, ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE) << "control " << id;
            }
        }
        ExpectEnabled(main_.get(), kMainNeverLocked, true, "main, never locked");
        ExpectEnabled(manual_.get(), kManualNeverLocked, true, "manual, never locked");
    }
}

TEST_F(LockingTest, ManualDialogNeverOpenedChangesOnlyTheMainWindow) {
    // manual_ exists but was never recorded, as a dialog of someone else's.
    LockRunControls(0, IDC_MAIN_RUN);

    std::vector<int> lockedMain(kMainRunGroup.begin(), kMainRunGroup.end() - 1);
    ExpectEnabled(main_.get(), lockedMain, false, "main run group");
    ExpectEnabled(main_.get(), {IDC_MAIN_RUN}, true, "caller");
    ExpectEnabled(main_.get(), kMainNeverLocked, true, "main, never locked");
    ExpectEnabled(manual_.get(), kManualRunGroup, true, "unrecorded manual dialog");
}

TEST_F(LockingTest, ManualRunControlsOnly) {
    programWindows.manual = manual_.get();
    LockManualRunControls();

    ExpectEnabled(manual_.get(), kManualRunGroup, false, "manual run group");
    ExpectEnabled(manual_.get(), kManualNeverLocked, true, "manual, never locked");
    ExpectEnabled(main_.get(), kMainRunGroup, true, "main run group");

    programWindows.manual = nullptr;
    SetAll(manual_.get(), kManualRunGroup, true);
    LockManualRunControls();  // no dialog open: nothing happens
    ExpectEnabled(manual_.get(), kManualRunGroup, true, "unrecorded manual dialog");
}

TEST_F(LockingTest, DisableResumeControls) {
    programWindows.settings = settings_.get();
    DisableResumeControls();
    ExpectEnabled(settings_.get(), kResumeRadios, false, "resume radios");
    ExpectEnabled(settings_.get(), kProgramControls, false, "program controls");
    ExpectEnabled(settings_.get(), kSettingsOthers, true, "other settings controls");
}

TEST_F(LockingTest, EnableResumeControlsProgramOnlyWhenItRuns) {
    struct Case {
        ResumeMode mode;
        bool program;
    };
    const Case cases[] = {
        {ResumeMode::NoWake, false},
        {ResumeMode::WakeIdle, false},
        {ResumeMode::WakeScheduledEnd, false},
        {ResumeMode::WakeRunProgramThenScheduledEnd, true},
        {ResumeMode::WakeRunProgramThenEnd, true},
        {static_cast<ResumeMode>(5), false},  // an unknown stored mode runs no program
    };
    programWindows.settings = settings_.get();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "NEXT_REG " << static_cast<int>(c.mode));
        App().NEXT_REG = c.mode;
        for (bool before : {false, true}) {
            SetAll(settings_.get(), kResumeRadios, before);
            SetAll(settings_.get(), kProgramControls, before);
            EnableResumeControls();
            ExpectEnabled(settings_.get(), kResumeRadios, true, "resume radios");
            ExpectEnabled(settings_.get(), kProgramControls, c.program, "program controls");
            ExpectEnabled(settings_.get(), kSettingsOthers, true, "other settings controls");
        }
    }
}

TEST_F(LockingTest, ProgramControlsAlone) {
    programWindows.settings = settings_.get();
    SetProgramControlsEnabled(false);
    ExpectEnabled(settings_.get(), kProgramControls, false, "program controls");
    ExpectEnabled(settings_.get(), kResumeRadios, true, "resume radios");

    SetAll(settings_.get(), kResumeRadios, false);
    SetProgramControlsEnabled(true);
    ExpectEnabled(settings_.get(), kProgramControls, true, "program controls");
    ExpectEnabled(settings_.get(), kResumeRadios, false, "resume radios");
}

TEST_F(LockingTest, StaleHandlesReachNoOtherWindow) {
    // Dialogs that were destroyed while their handles stayed recorded.
    TestDialog closedManual{IDD_MANUAL};
    TestDialog closedSettings{IDD_SETTINGS};
    programWindows.manual = closedManual.get();
    programWindows.settings = closedSettings.get();
    closedManual.Destroy();
    closedSettings.Destroy();
    // A dialog made afterwards must not be mistaken for them.
    TestDialog laterManual{IDD_MANUAL};
    TestDialog laterSettings{IDD_SETTINGS};
    ASSERT_NE(laterManual.get(), programWindows.manual.load());
    ASSERT_NE(laterSettings.get(), programWindows.settings.load());

    LockRunControls(0, IDC_MAIN_RUN);
    LockManualRunControls();
    DisableResumeControls();
    SetProgramControlsEnabled(false);

    std::vector<int> lockedMain(kMainRunGroup.begin(), kMainRunGroup.end() - 1);
    ExpectEnabled(main_.get(), lockedMain, false, "main run group");
    for (HWND other : {manual_.get(), laterManual.get()}) ExpectEnabled(other, kManualRunGroup, true, "manual");
    for (HWND other : {settings_.get(), laterSettings.get()}) {
        ExpectEnabled(other, kResumeRadios, true, "resume radios");
        ExpectEnabled(other, kProgramControls, true, "program controls");
    }

    // A stale main window too: nothing is touched, nothing breaks.
    SetAll(main_.get(), kMainRunGroup, true);
    main_.Destroy();
    LockRunControls(0, 0);
    ExpectEnabled(manual_.get(), kManualRunGroup, true, "manual");
}

TEST(OpenDialog, OnlyLiveWindowsOfThisProcess) {
    std::atomic<HWND> slot{nullptr};
    EXPECT_EQ(nullptr, OpenDialog(slot));

    // The desktop belongs to another process of the session.
    HWND desktop = ::GetDesktopWindow();
    DWORD owner = 0;
    ::GetWindowThreadProcessId(desktop, &owner);
    ASSERT_NE(::GetCurrentProcessId(), owner);
    slot = desktop;
    EXPECT_EQ(nullptr, OpenDialog(slot));

    HWND window = nullptr;
    {
        TestDialog dialog{IDD_MANUAL};
        window = dialog.get();
        slot = window;
        EXPECT_EQ(window, OpenDialog(slot));
    }
    EXPECT_EQ(nullptr, OpenDialog(slot));
}

class SecondaryDialogs : public ::testing::Test {
protected:
};

TEST_F(SecondaryDialogs, ForgetTheirHandleWhenTheyEnd) {
    struct Case {
        int templateId;
        DLGPROC procedure;
        std::atomic<HWND>* slot;
    };
    const Case cases[] = {
        {IDD_MANUAL, ManualDialogProc, &programWindows.manual},
        {IDD_SETTINGS, SettingsDialogProc, &programWindows.settings},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.templateId);
        {
            TestDialog dialog{c.templateId, c.procedure};
            ASSERT_NE(nullptr, dialog.get());
            EXPECT_EQ(dialog.get(), c.slot->load());
        }
        EXPECT_EQ(nullptr, c.slot->load());
    }
}

}  // namespace
