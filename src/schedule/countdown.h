// The final count-down before an end action: one step per second, each with
// its sound and the seconds left in the tray balloon.
#pragma once

#include <windows.h>

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

// The wait from a clock reading to the next whole second: the scheduled end
// polls on whole seconds so that its count-down starts as its second begins.
// A reading on a whole second waits a full second.
DWORD MillisecondsToNextSecond(std::int64_t nowMilliseconds);

// When the final count-down starts for a target, seen from the clock reading
// `reading`: CountdownLeadSeconds before the target, at the target itself in
// silence or once the lead has passed.
std::int64_t CountdownStart(std::int64_t target, std::int64_t reading, SoundMode sound, std::int32_t countdownSeconds);

// The count-down window is shown from this many seconds before the end
// action (from the start of the final count-down when that comes earlier,
// and from arming when that is nearer), and 延長 puts the moment off by
// kExtendSeconds.
inline constexpr std::int64_t kCountdownWindowSeconds = 60;
inline constexpr std::int64_t kExtendSeconds = 600;

// The operation whose run `block` is: the count-down after a wake-up for the
// wake-up's block; nothing for a block of no record.
std::optional<Operation> CountdownOperationOf(const RunBlock& block);

// Worker side: the count-down window shows this run's end action and
// `seconds` left, while the run stands.
void ShowCountdownFor(const RunToken& token, std::int64_t seconds, const Settings& settings);

// How a wait for a moment ended.
struct MomentWait {
    bool reached = false;  // the final count-down is due
    bool slept = false;    // the PC slept through a wait and nobody said so
};

// Worker side: waits on whole seconds until the final count-down for the end
// action at `target` (seconds since 1970) is due, showing the count-down
// window from kCountdownWindowSeconds before the action. Ends early on a stop
// or a wait the PC slept through.
MomentWait WaitForMoment(const RunToken& token, std::int64_t target, const Settings& settings);

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
