// The timer end: its toggle, the worker that counts down once a second, and
// the plain arithmetic and texts of each tick.
#include "schedule/timer_end.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "platform/system.h"
#include "platform/text.h"
#include "schedule/arming.h"
#include "schedule/countdown.h"
#include "schedule/lifecycle.h"
#include "schedule/pacing.h"
#include "schedule/settle.h"
#include "state/view.h"
#include "ui/tray.h"

namespace {

constexpr Operation kThis = Operation::TimerEnd;
constexpr std::int32_t kEmptyEntrySeconds = 10;
constexpr std::int64_t kMaxCount = INT32_MAX;

// What a timer-end thread is started with.
struct TimerStart {
    RunBlock* block;
    std::uint32_t generation;
    std::int32_t seconds;
    std::uint64_t begin;  // the monotonic clock at the press: ticks count from here
    const Settings* settings;
};

// `long` is 32 bits here, so the conversion itself holds an overlong number
// at the largest 32-bit value.
std::int64_t ReadField(const wchar_t* text) {
    if (text == nullptr) return 0;
    wchar_t* end = nullptr;
    const long value = std::wcstol(text, &end, 10);
    return end == text || value < 0 ? 0 : value;
}

OperationRecord& Record() { return App().operation(kThis); }

// In the final count-down each second is a balloon of its own, and so in the
// last kAfterSleepSteps seconds once the PC has slept through a tick. Before
// that, the first tick shows the time left in the balloon and the later ones
// only in the tip: a balloon a second would queue up behind the one shown
// and, on Windows 10, leave one notification per second in the notification
// centre.
void ShowTick(const RunToken& token, std::int32_t remaining, bool first, bool afterSleep, const Settings& settings) {
    const TimerParts parts = SplitSeconds(remaining);
    TheView().ShowTimeLeft(parts.hours, parts.minutes, parts.seconds);
    token.block().secondsLeft = remaining;
    const SoundMode sound = settings.SOUND.load();
    const bool sounding = InSoundWindow(sound, remaining, settings.COUNTDOWNTIME.load());
    if (sounding || remaining <= kCountdownWindowSeconds || (afterSleep && remaining <= kAfterSleepSteps)) {
        ShowCountdownFor(token, remaining, settings);
    }
    if (sounding || (afterSleep && remaining <= kAfterSleepSteps)) {
        if (sounding) PlaySecondSound(sound, remaining, settings);
        wchar_t balloon[kBalloonUnits];
        FormatSecondsLeft(remaining, balloon);
        if (token.Current()) SetTrayBalloon(balloon);
        return;
    }
    wchar_t detail[kDetailUnits];
    FormatTimerDetail(detail, std::size(detail), parts);
    if (!token.IfCurrent([&] { App().detailLine.Set(detail); })) return;
    if (first) {
        RefreshTray();
    } else {
        RefreshTrayTip();
    }
}

// Starts a thread counting `seconds` from now on a newly armed run; false,
// with the operation idle again, when no thread could be started.
bool LaunchCount(std::int32_t seconds, const Settings& settings) {
    // The count runs from here: updating the windows below takes a while.
    const std::uint64_t begin = Sys().Ticks();
    auto start = std::make_unique<TimerStart>(TimerStart{&Record().block, 0, seconds, begin, &settings});
    start->generation = Record().block.Arm();
    // Without a thread nothing runs, so the button must not offer a cancel.
    if (LaunchWorker<TimerEndProc>(kThis, std::move(start))) return true;
    StopOperation(kThis);
    return false;
}

void StartTimerEnd(std::int32_t seconds, const ChosenMoments& moments, const Settings& settings) {
    SettleOperationThreads();
    const MomentTexts* wake = settings.NEXT_REG.load() != ResumeMode::NoWake ? &moments.wake : nullptr;
    if (!MayArm(settings.WAYTOEND.load(), Attendance::User, Sys().Now() + seconds, wake, settings)) return;
    // The count runs from here: updating the windows below takes a while.
    const std::uint64_t begin = Sys().Ticks();
    auto start = std::make_unique<TimerStart>(TimerStart{&Record().block, 0, seconds, begin, &settings});
    start->generation = BeginRun(kThis);
    // Without a thread nothing runs, so the button must not offer a cancel.
    if (!LaunchWorker<TimerEndProc>(kThis, std::move(start))) StopOperation(kThis);
}

}  // namespace

TimerParts SplitSeconds(std::int32_t seconds) { return {seconds / 3600, seconds % 3600 / 60, seconds % 60}; }

std::int32_t TimerEntrySeconds(const wchar_t* hours, const wchar_t* minutes, const wchar_t* seconds) {
    // Each part is at most 2^31 - 1, so the sum of 64-bit products cannot overflow.
    std::int64_t total = ReadField(hours) * 3600 + ReadField(minutes) * 60 + ReadField(seconds);
    if (total > kMaxCount) total = kMaxCount;
    return total == 0 ? kEmptyEntrySeconds : static_cast<std::int32_t>(total);
}

bool InSoundWindow(SoundMode sound, std::int32_t remaining, std::int32_t countdownSeconds) {
    const std::optional<std::int64_t> lead = CountdownLeadSeconds(sound, countdownSeconds);
    return lead && remaining <= *lead;
}

void ToggleTimerEnd(std::int32_t seconds, const ChosenMoments& moments, const Settings& settings) {
    if (Record().idle.load() == 0) {
        StopOperation(kThis);
    } else {
        StartTimerEnd(seconds, moments, settings);
    }
}

bool ExtendTimerEnd(std::uint32_t generation, const Settings& settings) {
    if (Record().idle.load() != 0 || !RunStands(Record().block, generation)) return false;
    const std::int64_t left = std::max<std::int32_t>(Record().block.secondsLeft.load(), 0) + kExtendSeconds;
    // A count from the seconds left plus ten minutes, on a new run: the
    // thread of the old count ends without acting.
    return LaunchCount(static_cast<std::int32_t>(std::min(left, kMaxCount)), settings);
}

DWORD WINAPI TimerEndProc(void* parameter) {
    const std::unique_ptr<TimerStart> start(static_cast<TimerStart*>(parameter));
    const RunToken token(*start->block, start->generation);
    const Settings& settings = *start->settings;
    OpenRun(kThis, token, nullptr);  // each tick writes the detail line

    // N seconds run N + 1 ticks, showing N down to 0. Tick k is planned at
    // the press + k seconds of the monotonic clock, so neither the thread's
    // start, nor the work of a tick, nor a wait that overruns makes it late;
    // a tick shown far too late (a dialog that did not answer, a suspend)
    // moves the plan instead of hurrying the ticks after it.
    //
    // The count pauses while the PC sleeps. A tick the PC slept through
    // leaves at least kAfterSleepSteps seconds, each then shown in a balloon
    // too, so the end never comes within seconds of waking unseen.
    std::int32_t remaining = start->seconds;
    StepPacer pacer(start->begin);
    bool going = token.Running();
    bool afterSleep = false;
    for (bool first = true; going && remaining >= 0; first = false) {
        ShowTick(token, remaining, first, afterSleep, settings);
        const std::int64_t before = Sys().NowMilliseconds();
        going = token.WaitUntil(pacer.Next(Sys().Ticks()), StepPacer::kLongestWaitMs);
        --remaining;
        if (SleptThrough(before, Sys().NowMilliseconds(), StepPacer::kLongestWaitMs)) {
            afterSleep = true;
            remaining = std::max<std::int32_t>(remaining, kAfterSleepSteps);
        }
    }
    // A cancel during the last tick holds too: the end action has not begun.
    FinishRun(kThis, token, remaining < 0 && token.Running(), settings);
    return 0;
}
