// The scheduled end: the run button's start/cancel toggle, the resolution of
// the chosen month, day, hour and minute into a future moment, the thread
// that waits for it, and the start-up thread that hides the windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>
#include <optional>

#include "state/app_state.h"

// The next moment, at or after `now`, that matches the four combo texts. An
// empty or "0" month or day is not fixed; hour and minute are numbers (empty
// counts as 0). The moment is pushed forward a year (month and day fixed), a
// day (neither) or a month (one of them) until it is not before `now`.
// Nothing when no such moment can be determined (the time conversion fails,
// or no future moment is found within a bounded number of steps).
std::optional<std::tm> ResolveTargetTime(const wchar_t* month, const wchar_t* day, const wchar_t* hour,
                                         const wchar_t* minute, std::int64_t now);

// The wait from a clock reading to the next whole second: the scheduled end
// polls on whole seconds so that its count-down starts as its second begins.
// A reading on a whole second waits a full second.
DWORD MillisecondsToNextSecond(std::int64_t nowMilliseconds);

// When the final count-down starts for a target, seen from the clock reading
// `reading`: the ten-count 10 s early, the other sounds COUNTDOWNTIME early,
// silence at the target; at the target itself once the lead has passed.
std::int64_t CountdownStart(std::int64_t target, std::int64_t reading, SoundMode sound, std::int32_t countdownSeconds);

// Handler of the run button 1100 (GUI thread): starts or cancels. A start
// whose moment cannot be determined is refused with a message box, and the
// operation stays idle.
void ToggleScheduledEnd();

// Resolves the target from the combos 1117-1121 into the block and starts
// its thread for the block's current generation. The caller has armed the
// block (RunBlock::Arm). When the moment cannot be determined, the operation
// is returned to idle, the user is told, and the result is false.
bool StartScheduledEnd(RunBlock& block);

// GUI thread: the toggle's stop branch for a worker that has reached its
// moment, only while that run (`generation`) still stands; whether it did.
bool ReturnScheduledEndToIdle(std::uint32_t generation);

DWORD WINAPI ScheduledEndProc(void* start);
DWORD WINAPI StartupMinimizeProc(void* block);
