// The final count-down and its sounds.
#include "schedule/countdown.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "platform/system.h"
#include "res/resource.h"
#include "schedule/pacing.h"
#include "schedule/sounds.h"
#include "state/view.h"
#include "ui/tray.h"

namespace {

// Voices by number: 10 is 156 and 9 is 155; 8 down to 0 rise from 160 to 175.
constexpr int kVoices[11] = {
    IDW_VOICE_0, IDW_VOICE_1, IDW_VOICE_2, IDW_VOICE_3, IDW_VOICE_4,  IDW_VOICE_5,
    IDW_VOICE_6, IDW_VOICE_7, IDW_VOICE_8, IDW_VOICE_9, IDW_VOICE_10,
};

// The steps of the final count-down as it is configured: the action comes
// this many seconds after its start.
std::int64_t CountdownSteps(const Settings& settings) {
    if (settings.SOUND.load() == SoundMode::TenCount) return 10;
    return std::max<std::int64_t>(settings.COUNTDOWNTIME.load(), 0);
}

void ShowSecondsLeft(long long seconds) {
    wchar_t balloon[kBalloonUnits];
    FormatSecondsLeft(seconds, balloon);
    SetTrayBalloon(balloon);
}

// Checked at the start of every step. A cancelled count-down puts the stored
// phrase back and clears every running flag, whichever scheduler called.
bool ShouldStop(const RunToken& token, const Settings& settings, CountdownResult& result) {
    if (token.Running()) return false;
    const bool current = token.IfCurrent([&] {
        App().headline.SetFrom(settings.phraseText);
        App().resumeCountdownRunning = 0;
        for (Operation operation : kEndingOperations) {
            App().operation(operation).running = 0;
        }
    });
    result = current ? CountdownResult::Cancelled : CountdownResult::Superseded;
    return true;
}

// Ends a step of a count-down once it has been shown: the next step comes
// when the pacer plans it, so the steps keep to whole seconds from the start
// however long their sounds and balloons take. The last step still gets its
// full second after its sounds. Whether the PC slept through the wait.
bool FinishStep(const RunToken& token, StepPacer& pacer, bool last) {
    const std::int64_t before = Sys().NowMilliseconds();
    if (last) {
        token.Wait(StepPacer::kStepMs);
    } else {
        token.WaitUntil(pacer.Next(Sys().Ticks()), StepPacer::kLongestWaitMs);
    }
    return SleptThrough(before, Sys().NowMilliseconds(), StepPacer::kLongestWaitMs);
}

// One count from `first` down to 0 (one step when `first` is below 0), a
// step a second: step(n) makes its sound, then the balloon shows n. A step
// the PC slept through starts the count over from kAfterSleepSteps or more,
// so nothing ends within seconds of waking without a whole count to see and
// stop.
template <typename Step>
CountdownResult Count(const RunToken& token, const Settings& settings, long long first, Step step) {
    CountdownResult stopped = CountdownResult::Completed;
    StepPacer pacer(Sys().Ticks());
    long long n = first;
    do {
        if (ShouldStop(token, settings, stopped)) return stopped;
        step(n);
        ShowSecondsLeft(n);
        ShowCountdownFor(token, n, settings);
        if (FinishStep(token, pacer, n <= 0)) {
            n = std::max(first, kAfterSleepSteps) + 1;
            pacer = StepPacer(Sys().Ticks());
        }
    } while (--n >= 0);
    // A cancel during the last step holds too: the end action has not begun.
    if (ShouldStop(token, settings, stopped)) return stopped;
    return CountdownResult::Completed;
}

}  // namespace

std::int64_t CountdownStart(std::int64_t target, std::int64_t reading, SoundMode sound, std::int32_t countdownSeconds) {
    if (target <= reading) return target;
    const std::optional<std::int64_t> lead = CountdownLeadSeconds(sound, countdownSeconds);
    return lead ? target - *lead : target;
}

DWORD MillisecondsToNextSecond(std::int64_t nowMilliseconds) {
    const std::int64_t intoSecond = ((nowMilliseconds % 1000) + 1000) % 1000;
    return static_cast<DWORD>(1000 - intoSecond);
}

std::optional<Operation> CountdownOperationOf(const RunBlock& block) {
    for (Operation operation : kEndingOperations) {
        if (&App().operation(operation).block == &block) return operation;
    }
    if (&App().operation(Operation::Wake).block == &block) return Operation::WakeCountdown;
    return std::nullopt;
}

void ShowCountdownFor(const RunToken& token, std::int64_t seconds, const Settings& settings) {
    const std::optional<Operation> operation = CountdownOperationOf(token.block());
    if (!operation || !token.Running()) return;
    TheView().ShowCountdown(
        {*operation, token.generation(), settings.WAYTOEND.load(), std::max<std::int64_t>(seconds, 0)});
}

MomentWait WaitForMoment(const RunToken& token, std::int64_t target, const Settings& settings) {
    const std::int64_t countdownStart =
        CountdownStart(target, Sys().Now(), settings.SOUND.load(), settings.COUNTDOWNTIME.load());
    MomentWait result;
    bool going = token.Running();
    while (going) {
        const std::int64_t now = Sys().NowMilliseconds();
        result.reached = now >= countdownStart * 1000;
        if (result.reached) break;
        // Seconds to the action, rounded up: whole seconds as the poll keeps to them.
        const std::int64_t left = ((countdownStart + CountdownSteps(settings)) * 1000 - now + 999) / 1000;
        if (left <= kCountdownWindowSeconds) ShowCountdownFor(token, left, settings);
        const DWORD wait = MillisecondsToNextSecond(now);
        going = token.Wait(wait);
        if (going && SleptThrough(now, Sys().NowMilliseconds(), wait)) {
            result.slept = true;
            break;
        }
    }
    return result;
}

std::optional<std::int64_t> CountdownLeadSeconds(SoundMode sound, std::int32_t countdownSeconds) {
    switch (sound) {
        case SoundMode::TenCount:
            return 10;
        case SoundMode::Heartbeat:
        case SoundMode::Beep:
        case SoundMode::ChosenSound:
            return countdownSeconds;
        default:
            return std::nullopt;
    }
}

void PlaySecondSound(SoundMode sound, int n, const Settings& settings) {
    switch (sound) {
        case SoundMode::TenCount:
            PlayCountStep(n, settings);
            break;
        case SoundMode::Beep:
            Sys().Beep(1000, 50);
            break;
        case SoundMode::Heartbeat:
            PlayEmbeddedSound(IDW_HEARTBEAT, true);
            break;
        case SoundMode::ChosenSound: {
            wchar_t path[kPathUnits];
            settings.MY_SOUND.CopyTo(path);
            Sys().Play(path, SND_FILENAME | SND_NODEFAULT | SND_ASYNC);
            break;
        }
        default:
            break;
    }
}

int VoiceForCount(int n) { return n >= 0 && n <= 10 ? kVoices[n] : 0; }

void PlayCountStep(int n, const Settings& settings) {
    const int voice = VoiceForCount(n);
    if (voice == 0) return;
    if (n > 0) {
        PlayEmbeddedSound(voice, true);
        return;
    }
    PlayEmbeddedSound(voice, false);
    if (settings.EXPLOSION_SOUND.load() != 0) PlayEmbeddedSound(IDW_EXPLOSION, false);
}

CountdownResult SoundCountdown(const RunToken& token, const Settings& settings, bool afterSleep) {
    // Wide enough that counting below the lowest stored value cannot overflow.
    const long long length = settings.COUNTDOWNTIME.load();
    return Count(token, settings, afterSleep ? std::max(length, kAfterSleepSteps) : length,
                 [length, &settings](long long n) {
                     // Silent above the stored length: the steps added after a sleep.
                     const SoundMode sound = settings.SOUND.load();
                     if (n <= length && sound != SoundMode::TenCount) PlaySecondSound(sound, 0, settings);
                 });
}

CountdownResult TenCountdown(const RunToken& token, const Settings& settings, bool afterSleep) {
    return Count(token, settings, afterSleep ? kAfterSleepSteps : 10,
                 [&settings](long long n) { PlayCountStep(static_cast<int>(n), settings); });
}

CountdownResult RunFinalCountdown(const RunToken& token, const Settings& settings, bool afterSleep) {
    return settings.SOUND.load() == SoundMode::TenCount ? TenCountdown(token, settings, afterSleep)
                                                        : SoundCountdown(token, settings, afterSleep);
}
