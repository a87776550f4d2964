// Locking of the controls that start operations or choose their moment, and
// the enabling of the settings dialog's resume controls.
#pragma once

#include "res/resource.h"
#include "state/resume_mode.h"

// The settings dialog's radio button of each resume mode, in the order they
// are enabled; the dialog and the locking below both read it.
struct ResumeRadio {
    ResumeMode mode;
    int id;
};
inline constexpr ResumeRadio kResumeRadios[] = {
    {ResumeMode::NoWake, IDC_SET_NO_WAKE},
    {ResumeMode::WakeIdle, IDC_SET_WAKE_IDLE},
    {ResumeMode::WakeScheduledEnd, IDC_SET_RESUME_SCHEDULED},
    {ResumeMode::WakeRunProgramThenScheduledEnd, IDC_SET_PROGRAM_THEN_SCHEDULED},
    {ResumeMode::WakeRunProgramThenEnd, IDC_SET_PROGRAM_THEN_END},
};

// Enables (1) or disables (0) the run group of the main window and of the
// manual operations dialog, except the control whose identifier is `caller`
// (IDC_MAIN_RUN, IDC_MAN_WAKE, IDC_MAN_WAIT or IDC_MAN_TIMER; 0 for none).
void LockRunControls(int enable, int caller);

// Disables the run controls of the manual operations dialog only.
void LockManualRunControls();

// The settings dialog's resume radio buttons and program controls. Enabling
// them leaves the program controls usable only for a mode that runs a program.
void DisableResumeControls();
void EnableResumeControls();
void SetProgramControlsEnabled(bool enable);
