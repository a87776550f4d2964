// The five end actions: shut down, reboot, log off, standby and hibernate,
// forced in force mode, or replaced by a message box in test mode.
#pragma once

#include <windows.h>

#include "state/app_state.h"

// Carries out an end action (the scheduled ones pass WAYTOEND). Returns true
// when test mode showed its message instead; false when the action was
// requested, or `action` is not an action. After a test-mode message the
// main window is told (WM_TESTMESSAGECLOSED), so that it unlocks the run
// controls if nothing runs.
bool PerformEndAction(EndAction action);

// Enables the shutdown privilege, then asks to end the session.
BOOL ExitWindowsPrivileged(UINT flags, UINT forceBit);
void EnterStandby();
void EnterHibernate();
void EnableShutdownPrivilege();
