// What must know all four operations at once: the main window's answer when a
// worker asks to return its run to idle, the abort from the notification
// icon, and whether anything runs or everything is idle.
#pragma once

#include <windows.h>

#include <cstdint>

#include "state/end_action.h"
#include "state/operation.h"
#include "state/settings.h"

// GUI side: the answer to a worker that asks to return its run `generation`
// of `operation` to idle (WM_RETURNTOIDLE): whether that run still stood and
// now is idle. `settings` say whether a count-down follows a wake-up.
bool AnswerReturnToIdle(Operation operation, std::uint32_t generation, const Settings& settings);

// GUI side: whether run `generation` of `operation` (the count-down after a
// wake-up included) still stands, so the count-down window may show it.
bool CountdownStands(Operation operation, std::uint32_t generation);

// Whether 延長 can put off the moment of `operation`: the scheduled end, the
// timer end and the wait for a program. The count-down after a wake-up
// cannot be put off, only stopped.
bool Extendable(Operation operation);

// GUI side, 延長 from the count-down window: puts the moment of run
// `generation` of `operation` off by 10 minutes, each operation in its own
// way, while that run stands; whether it did. The stored settings, the
// combos and the summary stay as they were.
bool ExtendOperation(Operation operation, std::uint32_t generation, const Settings& settings);

// Whether a worker is on its way to an end action: the scheduled end, the
// timer end, the wait for a program or the count-down after a wake-up. An
// armed wake-up is not: it only wakes the machine.
bool AnyOperationRunning();

// Whether every operation's button offers a start and no count-down after a
// wake-up runs.
bool AllOperationsIdle();

// After a test-mode message (GUI thread): enables every run control again,
// unless an operation is running or armed, whose locking then stands.
void UnlockRunControlsIfIdle();

// Aborts whatever operation runs, or disarms a pending wake-up, and says so
// in the balloon.
void AbortFromTray();

// The main window's handling of WM_ENDACTIONREFUSED: leaves every operation
// idle, its controls unlocked and the icon as it was, then says in a box
// which action the system refused and why, in the system's own words.
void OnEndActionRefused(EndAction action, DWORD error);

// The main window's handling of the icon's callback message: a left click
// restores the windows, a right click aborts.
void OnTrayNotify(WPARAM wParam, LPARAM lParam);
