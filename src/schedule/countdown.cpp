// The final count-down and its sounds.
#include "schedule/countdown.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "platform/system.h"
#include "res/resource.h"
#include "schedule/pacing.h"
#include "schedule/sounds.h"
#include "ui/tray.h"

namespace {

// Voices by number: 10 is 156 and 9 is 155; 8 down to 0 rise from 160 to 175.
constexpr int kVoices[11] = {
    IDW_VOICE_0, IDW_VOICE_1, IDW_VOICE_2, IDW_VOICE_3, IDW_VOICE_4,  IDW_VOICE_5,
    IDW_VOICE_6, IDW_VOICE_7, IDW_VOICE_8, IDW_VOICE_9, IDW_VOICE_10,
};

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
