// The final count-down before an end action: one step per second, each with
// its sound and the seconds left in the tray balloon.
#pragma once

#include <cstdint>
#include <optional>

#include "state/app_state.h"

enum class CountdownResult {
    Completed,   // ran out: the caller goes on to its end action
    Cancelled,   // its run flag was cleared: the cancel path has run
    Superseded,  // the block was armed again for a newer thread
};

// How many seconds before the moment the final count-down starts: 10 for the
// ten-count, COUNTDOWNTIME for the heartbeat, the beep and the chosen sound.
// Nothing in silence (or for a value outside the modes): then no sound plays
// and the count-down runs from the moment on. The scheduled end starts its
// count-down this early, and the timer end plays its sounds this long.
std::optional<std::int64_t> CountdownLeadSeconds(SoundMode sound, std::int32_t countdownSeconds);

// The count-downs read `settings` as they go (the live record: a sound changed
// meanwhile is the one heard), and a cancelled one puts its stored phrase back.

// After the PC has slept through its moment or a step, a count-down has at
// least this many steps: time to see it and stop it before anything ends.
// The steps it adds are silent; their balloons show the seconds left.
inline constexpr long long kAfterSleepSteps = 30;

// COUNTDOWNTIME + 1 steps with the heartbeat, beep, chosen file or silence
// (`afterSleep`: at least kAfterSleepSteps + 1). On Cancelled or Superseded
// the calling thread must end at once, running none of its own remaining
// steps.
CountdownResult SoundCountdown(const RunToken& token, const Settings& settings, bool afterSleep = false);

// The spoken ten-count from 10 to 0, the explosion after 0 when asked for
// (`afterSleep`: from kAfterSleepSteps, the voices from 10).
CountdownResult TenCountdown(const RunToken& token, const Settings& settings, bool afterSleep = false);

// The count-down the SOUND setting asks for. Either starts over from
// kAfterSleepSteps or more when the PC sleeps through one of its steps.
CountdownResult RunFinalCountdown(const RunToken& token, const Settings& settings, bool afterSleep = false);

// Plays the sound of one ten-count step: the voice for 1 to 10 (returns at
// once), the voice for 0 and the explosion (EXPLOSION_SOUND) played to their
// end. Nothing for other numbers.
void PlayCountStep(int n, const Settings& settings);

// The sound of one second of a count-down in the given mode: the ten-count
// step for `n`, the beep, the heartbeat or the chosen file (MY_SOUND);
// nothing when silent.
void PlaySecondSound(SoundMode sound, int n, const Settings& settings);

// The resource of the voice for a ten-count number; 0 for none.
int VoiceForCount(int n);
