// The end of an operation's run. A worker whose moment has come asks the GUI
// thread to return its run to idle; the GUI thread does so only while that
// very run still stands (not cancelled, not superseded by a newer start) and
// says whether it did. Only then may the worker carry out its end action, so
// a cancel the user saw succeed always holds, and a cancel racing the finish
// never starts the operation again.
#pragma once

#include <windows.h>

#include <cstdint>

#include "state/app_state.h"

// Wake is the return to idle after a wake-up (or a failed arming);
// WakeCountdown the end of the final count-down that may follow it.
enum class Operation : WPARAM { ScheduledEnd = 0, TimerEnd = 1, WaitProgram = 2, Wake = 3, WakeCountdown = 4 };

// Worker side: sends the request to the main window and waits for the answer.
// True when the run stood and is now idle.
bool RequestReturnToIdle(Operation operation, const RunToken& token);

// Worker side, once its moment has come and its count-down completed: returns
// the run to idle and, only if it still stood, arms the wake-up when a resume
// mode asks for it and carries out the end action.
void EndRunStanding(Operation operation, const RunToken& token);

// Worker side, on its way out: restores the headline and clears its running
// flag (nothing for a stale thread), lets go of its own handle in `thread`,
// and, when its moment was `reached` and it is still current, ends the run
// with EndRunStanding.
void FinishRun(Operation operation, const RunToken& token, bool reached, std::atomic<std::uint32_t>& running,
               ThreadSlot& thread);

// GUI side: the main window's handling of WM_RETURNTOIDLE. Sets the dialog
// result and returns TRUE, as a dialog procedure must for a message it answers.
INT_PTR AnswerReturnToIdle(HWND window, WPARAM operation, LPARAM generation);

// Whether `generation` is the block's current run and it has not been
// cancelled: the condition for returning it to idle.
bool RunStands(const RunBlock& block, std::uint32_t generation);
