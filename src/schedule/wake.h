// The wake-up: a waitable timer that brings the machine back from standby or
// hibernation at the moment chosen in the main window's wake combos, and what
// follows the wake-up (nothing, the scheduled end armed again, or the chosen
// program and then the scheduled end or an immediate end).
#pragma once

#include <windows.h>

#include <cstdint>

#include "schedule/arming.h"
#include "schedule/moments.h"
#include "state/app_state.h"

// The wake-up toggle of its button (GUI thread). Idle: arms the wake-up for
// `wake`, the wake combos' texts, and returns once its timer is set or has
// failed (at most about 3 s). Armed: cancels it (StopOperation). After a
// wake-up: back to idle. What follows the wake-up reads `settings` (the live
// record) as it comes.
void ToggleWake(const MomentTexts& wake, const Settings& settings);

// The main window's answer to WM_ARMWAKE, when a run has ended and a resume
// mode is set (GUI thread): arms the wake-up as the toggle does, but only
// when it is idle; an armed wake-up stays armed.
void ArmWakeIfIdle(const MomentTexts& wake, const Settings& settings);

// The second half of arming: resolves the wake moment from the wake combos'
// texts and starts the wake thread for a newly armed run.
// When no moment can be determined (the user is told) or the thread cannot
// start, the wake-up is back to idle and the result is false.
bool StartWake(const MomentTexts& wake, Attendance attendance, const Settings& settings);

// The wake-up's stop and return to idle are the shared ones (StopOperation,
// ReturnOperationToIdle) with its hooks, kWakeIdleHooks: a stop cancels the
// run and its timer under the block's lock (so the thread cannot store a
// timer after the one closed), and the wake thread wakes on the stop event
// and ends by itself; a program it started keeps running. A return to idle,
// once the timer has fired, closes the timer and leaves the run standing for
// what follows the wake-up, the count-down among it.

// GUI thread: the end of the post-wake count-down, only while that run still
// stands; whether it did. Only then do the next wake-up and the end action
// follow. The caller unlocks the run controls when nothing else runs.
bool EndResumeCountdown(std::uint32_t generation);

DWORD WINAPI WakeProc(void* start);
void CALLBACK WakeTimerRoutine(void* run, DWORD timerLow, DWORD timerHigh);

// The command line of the program run after a wake-up: the program path,
// quoted when it holds a space and is not quoted already, one space, then
// the arguments; the arguments alone when no program is set. False, with an
// empty line, when the whole does not fit the buffer: nothing is started
// rather than a cut command.
bool BuildWakeCommandLine(const wchar_t* program, const wchar_t* arguments, wchar_t (&line)[kPathUnits]);

// The timer's due time for a moment (seconds since 1970): 100 ns units since
// 1601-01-01 UTC, always positive, so an absolute time.
std::int64_t WakeDueTime(std::int64_t moment);
