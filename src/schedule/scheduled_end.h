// The scheduled end: the run button's start/cancel toggle, the thread that
// waits for the moment chosen in the main window's combos, the start-up
// thread that hides the windows, and its stop at a suspend and restart after
// the resume.
#pragma once

#include <windows.h>

#include <cstdint>

#include "schedule/arming.h"
#include "schedule/countdown.h"
#include "schedule/moments.h"
#include "state/app_state.h"

// Handler of the run button (GUI thread): starts or cancels; `moments` is what
// the main window's combos choose, read as the button is pressed. A start
// whose moment cannot be determined is refused with a message box, and
// the operation stays idle; so is one that this PC cannot carry out
// (MayArm), unless nobody pressed the button (start-up registration, the
// re-arming after a wake-up), which arms it with a warning balloon. The run
// follows `settings` (the live record) to its end.
void ToggleScheduledEnd(Attendance attendance, const ChosenMoments& moments, const Settings& settings);

// Resolves the target from the end combos' texts `end` into the block and
// starts its thread for the block's current generation, on `settings`. The
// caller has armed the block (RunBlock::Arm). When the moment cannot be
// determined, the operation is returned to idle, the user is told (a balloon
// when nobody armed it), and the result is false.
bool StartScheduledEnd(RunBlock& block, const MomentTexts& end, Attendance attendance, const Settings& settings);

// The main window's handling of WM_POWERBROADCAST: a pending scheduled end is
// stopped at the suspend notice and started again, with a target freshly
// resolved from the end combos' texts `end`, after the resume. TRUE for the suspend notice and the three resume
// notices, FALSE for any other event.
BOOL OnPowerBroadcast(WPARAM event, const MomentTexts& end, const Settings& settings);

// GUI thread, asked by the scheduled-end thread of run `generation` whose
// wait spanned a suspend nobody reported: while that run stands, it is armed
// again with its target resolved afresh from `end`, so a moment slept
// through is never acted on at once.
void RestartScheduledEnd(std::uint32_t generation, const MomentTexts& end, const Settings& settings);

// GUI thread, 延長 from the count-down window: while run `generation`
// stands, arms it again for its moment 10 minutes later. The combos and the
// stored settings keep the moment they chose. Whether it did.
bool ExtendScheduledEnd(std::uint32_t generation, const Settings& settings);

DWORD WINAPI ScheduledEndProc(void* start);
DWORD WINAPI StartupMinimizeProc(void* block);
