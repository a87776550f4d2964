// Locking of the controls that start operations or choose their moment, and
// the enabling of the settings dialog's resume controls.
#pragma once

// Enables (1) or disables (0) the run group of the main window and of the
// manual operations dialog, except the control whose identifier is `caller`
// (IDC_MAIN_RUN, IDC_MAN_WAKE, IDC_MAN_WAIT or IDC_MAN_TIMER; 0 for none).
void LockRunControls(int enable, int caller);

// Disables the run controls of the manual operations dialog only.
void LockManualRunControls();

// The settings dialog's resume radio buttons and program controls.
void DisableResumeControls();
void EnableResumeControls();
void SetProgramControlsEnabled(bool enable);
