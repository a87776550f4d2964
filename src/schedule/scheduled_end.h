// The scheduled end: the run button's start/cancel toggle, the resolution of
// the chosen month, day, hour and minute into a future moment, the thread
// that waits for it, and the start-up thread that hides the windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>

#include "state/app_state.h"

// The next moment, at or after `now`, that matches the four combo texts. An
// empty or "0" month or day is not fixed; hour and minute are numbers (empty
// counts as 0). The moment is pushed forward a year (month and day fixed), a
// day (neither) or a month (one of them) until it is not before `now`.
std::tm ResolveTargetTime(const wchar_t* month, const wchar_t* day, const wchar_t* hour,
                          const wchar_t* minute, std::int64_t now);

// When the final count-down starts for a target, seen from the clock reading
// `reading`: the ten-count 10 s early, the other sounds COUNTDOWNTIME early,
// silence at the target; at the target itself once the lead has passed.
std::int64_t CountdownStart(std::int64_t target, std::int64_t reading, SoundMode sound,
                            std::int32_t countdownSeconds);

// Handler of the run button 1100 (GUI thread): starts or cancels.
void ToggleScheduledEnd();

// Resolves the target from the combos 1117-1121 into the block and starts
// its thread for the block's current generation. The caller has armed the
// block (RunBlock::Arm).
void StartScheduledEnd(RunBlock& block);

DWORD WINAPI ScheduledEndProc(void* start);
DWORD WINAPI StartupMinimizeProc(void* block);
