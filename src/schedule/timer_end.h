// The timer end: a count-down of the hours, minutes and seconds typed into the
// manual operations dialog, after which the end action is carried out.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "schedule/moments.h"
#include "state/app_state.h"

// Splits a count of seconds (0 or more) into hours, minutes and seconds; the
// hours are not limited to a day.
TimerParts SplitSeconds(std::int32_t seconds);

// The count a start runs from, given the texts of the hours, minutes and
// seconds fields. A text is read as a decimal number up to its first
// non-digit; one that is no number or is negative counts as 0, and one too
// large for 32 bits as the largest 32-bit number. The total is held to the
// largest 32-bit count (about 68 years); a total of 0 counts 10 seconds.
std::int32_t TimerEntrySeconds(const wchar_t* hours, const wchar_t* minutes, const wchar_t* seconds);

// Whether a tick with `remaining` seconds left plays its sound and shows the
// seconds in the balloon: the last CountdownLeadSeconds, never in silence.
bool InSoundWindow(SoundMode sound, std::int32_t remaining, std::int32_t countdownSeconds);

// Handler of the timer end's button (GUI thread): starts a count of
// `seconds`, as the dialog's three fields give it (TimerEntrySeconds), or
// cancels the running one. `moments` is what the main window's combos choose,
// for the check before arming. The run follows `settings` (the live record)
// to its end.
void ToggleTimerEnd(std::int32_t seconds, const ChosenMoments& moments, const Settings& settings);

// GUI thread, 延長 from the count-down window: while run `generation`
// stands, the count goes on from the seconds it has left plus 10 minutes.
// Whether it did.
bool ExtendTimerEnd(std::uint32_t generation, const Settings& settings);

DWORD WINAPI TimerEndProc(void* start);
