// The wake-up.
//
// Every change of the wake-up's visible state (its idle and armed flags, the
// caption of its button, the locking) is made on the GUI thread: the toggle
// is carried over to it when called elsewhere, and the wake thread asks it to
// return a run to idle. The wake thread waits alertably on its block's stop
// event, so the timer's completion routine runs inside that wait and a
// cancel ends the wait at once; nothing ends the thread from outside.
#include "schedule/wake.h"

#include <cwchar>
#include <memory>
#include <optional>
#include <utility>

#include "platform/calendar.h"
#include "platform/guard.h"
#include "platform/system.h"
#include "platform/text.h"
#include "platform/wait.h"
#include "power/power_actions.h"
#include "schedule/arming.h"
#include "schedule/countdown.h"
#include "schedule/lifecycle.h"
#include "schedule/settle.h"
#include "schedule/sounds.h"
#include "state/view.h"
#include "ui/tray.h"

namespace {

constexpr Operation kThis = Operation::Wake;
// Ticks of 100 ns between 1601-01-01 and 1970-01-01, and in a second.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000;
// How long arming waits for the wake thread to set its timer.
constexpr DWORD kTimerSetWaitMs = 3000;

// What a wake thread is started with: its run and the moment to wake at.
struct WakeStart {
    RunBlock* block;
    std::uint32_t generation;
    std::tm target;
    const Settings* settings;
};

// One run of the wake thread; the completion routine gets its address.
struct WakeRun {
    RunToken token;
    const Settings& settings;
    bool fired = false;  // the completion routine has run (this thread only)
    bool awake = false;  // this thread holds the machine awake for the work after the wake-up
};

// The machine is held awake, display included, while the work after a
// wake-up runs (the program, then the final count-down), so that the system
// does not put an unattended machine back to sleep in the middle of it. The
// hold belongs to the wake thread and is let go as the thread ends.
void HoldAwakeForWork(WakeRun& run) {
    run.awake = true;
    Sys().SetExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
}

class AwakeRelease {
public:
    explicit AwakeRelease(const WakeRun& run) : run_(run) {}
    ~AwakeRelease() {
        if (run_.awake) Sys().SetExecutionState(ES_CONTINUOUS);
    }
    AwakeRelease(const AwakeRelease&) = delete;
    AwakeRelease& operator=(const AwakeRelease&) = delete;

private:
    const WakeRun& run_;
};

// Set by the wake thread once its timer is set or could not be; arming waits
// for it, so a scheduler's standby never comes before the timer that ends it.
HANDLE TimerSetEvent() {
    static const OwnedHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event.get();
}

// Runs f under the block's lock while this run stands (current, not
// cancelled); the cancels take the same lock, so f never lands after one.
template <typename F>
bool IfStanding(const RunToken& token, F f) {
    bool stood = false;
    token.IfCurrent([&] {
        if (!token.Running()) return;
        f();
        stood = true;
    });
    return stood;
}

OperationRecord& Record() { return App().operation(kThis); }

// The toggle's arming.
void ArmWake(Attendance attendance, const MomentTexts& wake, const Settings& settings) {
    SettleOperationThreads();
    // Whether the wake-up will really come is told before it shows armed.
    AdviseWakeUp(attendance, settings);
    ShowOperationRunning(kThis);
    if (!StartWake(wake, attendance, settings)) return;
    // Schedulers go on to their end action once this returns: a standby must
    // not come before the timer that wakes the machine from it is set.
    WaitServingMessages(TimerSetEvent(), kTimerSetWaitMs);
}

void SignalTimerSet(const RunToken& token) {
    token.IfCurrent([] { ::SetEvent(TimerSetEvent()); });
}

// The timer could not be created or set: the user is told, and the wake-up
// returns to idle with no resume action.
void FailArming(const RunToken& token, const wchar_t* format, DWORD error) {
    SignalTimerSet(token);
    if (!token.Running()) return;  // cancelled meanwhile: the cancel did the rest
    wchar_t text[256];
    FormatText(text, format, static_cast<int>(error));
    Sys().ShowMessage(nullptr, text, kErrorCaption, MB_ICONWARNING);
    if (RequestReturnToIdle(Operation::Wake, token)) RefreshTray();
}

// Creates and sets the timer; false when it failed (reported) or the run was
// cancelled meanwhile.
bool ArmTimer(WakeRun& run, std::int64_t due) {
    const RunToken& token = run.token;
    OwnedHandle timer;
    DWORD error = Sys().CreateWakeTimer(timer);
    if (error != ERROR_SUCCESS) {
        FailArming(token, kCreateTimerFailed, error);
        return false;
    }
    // Not stored when cancelled meanwhile: then it closes here.
    IfStanding(token, [&] { App().wakeTimer.Reset(timer.release()); });
    bool set = false;
    DWORD resumeCode = ERROR_SUCCESS;  // the probe has told it before arming
    App().wakeTimer.With([&](HANDLE held) {
        if (held == nullptr || !token.Running()) return false;
        error = Sys().SetWakeTimer(held, due, GuardedTimerRoutine<WakeTimerRoutine>, &run, resumeCode);
        set = error == ERROR_SUCCESS;
        return set;
    });
    if (!set && token.Running()) {
        FailArming(token, kSetTimerFailed, error);
        return false;
    }
    SignalTimerSet(token);
    return set;
}

// The scheduled end armed afresh, as the main window arms it when nobody
// pressed its button. An armed one is left alone.
void RearmScheduledEnd() {
    if (App().operation(Operation::ScheduledEnd).idle.load() != 0) TheView().StartScheduledEnd();
}

// WakeRunProgramThenEnd, after the program has ended: the final count-down, the next
// wake-up and the end action. A cancel seen up to the GUI thread's answer
// holds.
void EndAgain(const RunToken& token, const Settings& settings) {
    if (RunFinalCountdown(token, settings) != CountdownResult::Completed) return;
    if (!RequestReturnToIdle(Operation::WakeCountdown, token)) return;
    RestoreHeadline();
    RequestNextWake(settings);
    Sys().Sleep(100);
    RefreshTray();
    PerformEndAction(settings.WAYTOEND.load(), settings);
}

void ActOnResumeMode(const RunToken& token, const Settings& settings) {
    switch (settings.NEXT_REG.load()) {
        case ResumeMode::WakeScheduledEnd:
        case ResumeMode::WakeRunProgramThenScheduledEnd:
            RearmScheduledEnd();
            Sys().Sleep(100);
            RefreshTray();
            break;
        case ResumeMode::WakeRunProgramThenEnd:
            if (App().wakeProgramFinished.exchange(0) != 0) EndAgain(token, settings);
            break;
        default:
            break;
    }
}

// Cancels the run under the block's lock, then cancels and closes the timer.
void DisarmWakeTimer() {
    RunBlock& block = Record().block;
    {
        Lock hold(block.lock);
        block.Cancel();
    }
    App().wakeTimer.CancelTimerAndClose();
}

// The wake-up's end of a run, before it is shown idle. A stop disarms it; a
// return to idle comes once the timer has fired (or could not be set), so the
// timer is only closed and the run stands on for what follows the wake-up.
// Either way the GUI thread clears the running flag and restores the
// headline: the wake thread leaves both to it.
void EndWakeRun(bool stopped) {
    if (stopped) {
        DisarmWakeTimer();
    } else {
        App().wakeTimer.Reset();
    }
    RestoreHeadline();
    Record().running = 0;
}

// Once returned to idle: when the program run after the wake-up has ended and
// the session is to end again, the final count-down follows on the wake
// thread, and it counts as running until it ends, with every run control
// locked meanwhile.
void WakeReturned(std::uint32_t generation, const Settings& settings) {
    const bool countdownFollows = App().wakeFired.load() != 0 && App().wakeProgramFinished.load() != 0 &&
                                  settings.NEXT_REG.load() == ResumeMode::WakeRunProgramThenEnd;
    App().wakeFired = 0;
    if (!countdownFollows) return;
    App().resumeCountdownGeneration = generation;
    App().resumeCountdownRunning = 1;
    TheView().LockRunControls(false, std::nullopt);
}

}  // namespace

const IdleHooks kWakeIdleHooks{EndWakeRun, WakeReturned};

void ToggleWake(const MomentTexts& wake, const Settings& settings) {
    if (Record().idle.load() != 0) {
        ArmWake(Attendance::User, wake, settings);
    } else if (Record().running.load() != 0 || App().wakeFired.load() == 0) {
        // Armed, or still being armed: the button already offers a cancel
        // while the thread sets the timer, and a cancel then holds too (the
        // thread sets neither timer nor running flag for a cancelled run).
        StopOperation(kThis);
    } else {
        App().wakeFired = 0;
        ShowOperationIdle(kThis);
    }
}

bool StartWake(const MomentTexts& wake, Attendance attendance, const Settings& settings) {
    const std::optional<std::tm> target = ResolveMoment(wake, Sys().Now());
    if (!target) {
        ShowOperationIdle(kThis);
        Warn(kWakeMomentUndetermined, attendance);
        return false;
    }
    RunBlock& block = Record().block;
    // Allocated before anything changes, so a failure leaves no trace.
    auto start = std::make_unique<WakeStart>(WakeStart{&block, 0, *target, &settings});
    block.target = *target;
    // Left over from a cancelled run, they would set off this run's actions;
    // a count-down after the previous wake-up that still runs is superseded
    // by this run and no longer counts as running.
    App().wakeFired = 0;
    App().wakeProgramFinished = 0;
    App().resumeCountdownRunning = 0;
    TheView().HideCountdown(Operation::WakeCountdown);
    ::ResetEvent(TimerSetEvent());
    start->generation = block.Arm();
    if (!LaunchWorker<WakeProc>(kThis, std::move(start))) {
        StopOperation(kThis);
        return false;
    }
    return true;
}

void ArmWakeIfIdle(const MomentTexts& wake, const Settings& settings) {
    if (Record().idle.load() != 0) {
        ArmWake(Attendance::Unattended, wake, settings);
        // Armed to follow the end action that comes next: should the system
        // refuse that action, this run, and only this one, is disarmed.
        if (Record().idle.load() == 0) App().wakeFollowingEnd = Record().block.generation.load();
    }
}

bool EndResumeCountdown(std::uint32_t generation) {
    if (!RunStands(Record().block, generation)) return false;
    App().resumeCountdownRunning = 0;
    Record().block.run = 0;
    return true;
}

DWORD WINAPI WakeProc(void* parameter) {
    const std::unique_ptr<WakeStart> start(static_cast<WakeStart*>(parameter));
    WakeRun run{RunToken(*start->block, start->generation), *start->settings};
    const AwakeRelease release(run);
    const RunToken& token = run.token;
    IfStanding(token, [] { Record().running = 1; });

    std::tm target = start->target;
    const std::int64_t moment = MakeLocalTime(target);
    wchar_t headline[kHeadlineUnits];
    wchar_t detail[kDetailUnits];
    FormatHeadline(kThis, L"", headline);
    FormatWakeDetail(target.tm_hour, target.tm_min, detail);
    IfStanding(token, [&] {
        App().headline.Set(headline);
        App().detailLine.Set(detail);
    });

    if (!ArmTimer(run, WakeDueTime(moment))) {
        Record().thread.ReleaseIfCurrentThread();
        return 0;
    }
    while (!run.fired && Sys().WaitAlertable(token.block().stop.get()) == ERROR_SUCCESS) {
    }
    if (!token.Running()) {
        // Cancelled: the cancel has set the idle state and closed the timer.
        Record().thread.ReleaseIfCurrentThread();
        return 0;
    }

    // Not fired only when the wait itself failed: then back to idle as well.
    if (run.fired && run.settings.TESTCHECK.load() != 0) {
        Sys().ShowMessage(nullptr, kWakeCaption, kTestModeCaption, MB_ICONWARNING);
    }
    const bool stood = RequestReturnToIdle(Operation::Wake, token);
    if (stood) RefreshTray();
    // Let go of its own handle before pressing the run button, so that the
    // button's settling wait does not wait for this thread.
    Record().thread.ReleaseIfCurrentThread();
    if (stood && run.fired) ActOnResumeMode(token, run.settings);
    return 0;
}

void CALLBACK WakeTimerRoutine(void* argument, DWORD, DWORD) {
    WakeRun& run = *static_cast<WakeRun*>(argument);
    const RunToken& token = run.token;
    const Settings& settings = run.settings;
    run.fired = true;
    if (settings.SOUND.load() != SoundMode::Silent) PlayStartSound();
    if (!IfStanding(token, [] { App().wakeFired = 1; })) return;

    if (!RunsProgram(settings.NEXT_REG.load())) return;
    wchar_t program[kPathUnits];
    wchar_t arguments[kPathUnits];
    wchar_t commandLine[kPathUnits];
    settings.PROGRAM.CopyTo(program);
    settings.PROGRAM_COMMANDLINE.CopyTo(arguments);
    if (!BuildWakeCommandLine(program, arguments, commandLine) || commandLine[0] == L'\0') return;
    HoldAwakeForWork(run);
    // A cancel ends the wait and leaves the program running.
    if (Sys().RunProgram(commandLine, token.block().stop.get()) == ERROR_SUCCESS) {
        IfStanding(token, [] { App().wakeProgramFinished = 1; });
    }
}

bool BuildWakeCommandLine(const wchar_t* program, const wchar_t* arguments, wchar_t (&line)[kPathUnits]) {
    line[0] = L'\0';
    const std::size_t argumentsLength = std::wcslen(arguments);
    const std::size_t programLength = std::wcslen(program);
    if (programLength == 0) {
        if (argumentsLength >= kPathUnits) return false;
        CopyText(line, arguments);
        return true;
    }
    // Unquoted, a path with a space would be split at it, and the first part
    // (C:\Program.exe) run instead.
    const bool quote = program[0] != L'"' && std::wcschr(program, L' ') != nullptr;
    if (programLength + (quote ? 2 : 0) + 1 + argumentsLength >= kPathUnits) return false;
    if (quote) {
        FormatText(line, L"\"%ls\" %ls", program, arguments);
    } else {
        FormatText(line, L"%ls %ls", program, arguments);
    }
    return true;
}

std::int64_t WakeDueTime(std::int64_t moment) { return moment * kTicksPerSecond + kUnixEpochTicks; }
