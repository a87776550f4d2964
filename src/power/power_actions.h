// The five end actions: shut down, reboot, log off, standby and hibernate,
// forced in force mode, or replaced by a message box in test mode.
#pragma once

#include <windows.h>

#include "state/settings.h"

enum class EndResult {
    Requested,    // the system has the request (standby and hibernation: and has resumed)
    TestMessage,  // test mode showed its message instead
    Refused,      // the system refused the request; the main window has been told
    NotAnAction,  // a stored value outside the table: nothing happened
};

// Carries out an end action (the scheduled ones pass WAYTOEND), forced or
// replaced by its message as `settings` say (FORCECHECK, TESTCHECK). After a
// test-mode message the main window is told (WM_TESTMESSAGECLOSED), so that it
// unlocks the run controls if nothing runs; after a refused request it is told
// (WM_ENDACTIONREFUSED), so that it says why and leaves everything idle.
EndResult PerformEndAction(EndAction action, const Settings& settings);

// The reason code a session end carries: planned, "other".
inline constexpr DWORD kShutdownReason =
    SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;
