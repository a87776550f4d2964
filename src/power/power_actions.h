// The five end actions: shut down, reboot, log off, standby and hibernate,
// forced in force mode, or replaced by a message box in test mode.
#pragma once

#include <windows.h>

#include "state/app_state.h"

// Carries out WAYTOEND. Returns true when test mode showed its message
// instead; false when the action was requested, or WAYTOEND is not an action.
bool PerformEndAction();

// Carries out the action of a manual-dialog button (1011 shut down, 1012
// reboot, 1013 log off, 1014 standby, 1015 hibernate), with the same result.
bool PerformManualAction(int buttonId);

// After a test-mode message (GUI thread): enables every run control again,
// unless an operation is running or armed, whose locking then stands.
void UnlockRunControlsIfIdle();

// Enables the shutdown privilege, then asks to end the session.
BOOL ExitWindowsPrivileged(UINT flags, UINT forceBit);
void EnterStandby();
void EnterHibernate();
void EnableShutdownPrivilege();

// The test-mode message for an action, e.g. "リブート：強制チェック ON";
// nullptr for a value that is not an action.
const wchar_t* TestModeMessage(EndAction action, bool force);
