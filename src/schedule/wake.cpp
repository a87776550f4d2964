// The wake-up and the main window's suspend and resume handling.
//
// Every change of the wake-up's visible state (its idle and armed flags, the
// caption of button 1027, the locking) is made on the GUI thread: the toggle
// is carried over to it when called elsewhere, and the wake thread asks it to
// return a run to idle. The wake thread waits alertably on its block's stop
// event, so the timer's completion routine runs inside that wait and a
// cancel ends the wait at once; nothing ends the thread from outside.
#include "schedule/wake.h"

#include <cwchar>
#include <memory>
#include <optional>

#include "platform/calendar.h"
#include "platform/system.h"
#include "platform/text.h"
#include "power/power_actions.h"
#include "res/resource.h"
#include "schedule/countdown.h"
#include "schedule/lifecycle.h"
#include "schedule/scheduled_end.h"
#include "schedule/settle.h"
#include "schedule/sounds.h"
#include "state/messages.h"
#include "ui/locking.h"
#include "ui/tray.h"
#include "ui/windows.h"

namespace {

constexpr wchar_t kIdleCaption[] = L"指定時間復帰";
constexpr wchar_t kCancelCaption[] = L"処理中断";
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
};

// One run of the wake thread; the completion routine gets its address.
struct WakeRun {
    RunToken token;
    bool fired = false;  // the completion routine has run (this thread only)
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

void SetWakeCaption(const wchar_t* caption) {
    app.wakeCaption.Set(caption);
    if (HWND manual = OpenDialog(app.manualWindow)) ::SetDlgItemTextW(manual, IDC_MAN_WAKE, caption);
}

// Button 1027 offers to arm again; the other run controls are enabled.
void ShowWakeIdle() {
    app.wakeIdle = 1;
    LockRunControls(1, IDC_MAN_WAKE);
    SetWakeCaption(kIdleCaption);
}

std::optional<std::tm> ResolveWakeMoment() {
    constexpr int kCombos[] = {IDC_MAIN_WAKE_MONTH, IDC_MAIN_WAKE_DAY, IDC_MAIN_WAKE_HOUR, IDC_MAIN_WAKE_MINUTE};
    wchar_t texts[4][8] = {};
    if (HWND main = OpenDialog(app.mainWindow)) {
        for (int i = 0; i < 4; ++i) ::GetDlgItemTextW(main, kCombos[i], texts[i], 8);
    }
    return ResolveTargetTime(texts[0], texts[1], texts[2], texts[3], Sys().Now());
}

// Branch A: arm.
void ArmWake() {
    SettleOperationThreads();
    app.wakeIdle = 0;
    LockRunControls(0, IDC_MAN_WAKE);
    SetWakeCaption(kCancelCaption);
    if (!StartWake()) return;
    // Schedulers go on to their end action once this returns: a standby must
    // not come before the timer that wakes the machine from it is set.
    WaitServingMessages(TimerSetEvent(), kTimerSetWaitMs);
}

// Branch B: cancel. The thread wakes on the stop event and ends by itself; a
// program it started keeps running.
void CancelWake() {
    {
        Lock hold(app.wakeBlock.lock);
        app.wakeBlock.Cancel();
    }
    app.wakeTimer.CancelTimerAndClose();
    ShowWakeIdle();
    app.wakeArmed = 0;
    RestoreHeadline();
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
    Sys().ShowMessage(nullptr, text, L"Error", MB_ICONWARNING);
    if (RequestReturnToIdle(Operation::Wake, token)) RefreshTray();
}

// Creates and sets the timer; false when it failed (reported) or the run was
// cancelled meanwhile.
bool ArmTimer(WakeRun& run, std::int64_t due) {
    const RunToken& token = run.token;
    DWORD error = 0;
    OwnedHandle timer(Sys().CreateWakeTimer(error));
    if (!timer) {
        FailArming(token, L"CreateWaitableTimer() failed with Error %d.", error);
        return false;
    }
    // Not stored when cancelled meanwhile: then it closes here.
    IfStanding(token, [&] { app.wakeTimer.Reset(timer.release()); });
    bool set = false;
    app.wakeTimer.With([&](HANDLE held) {
        if (held != nullptr && token.Running()) set = Sys().SetWakeTimer(held, due, WakeTimerRoutine, &run, error);
        return set;
    });
    if (!set && token.Running()) {
        FailArming(token, L"SetWaitableTimer() failed with Error %d.", error);
        return false;
    }
    SignalTimerSet(token);
    return set;
}

// The scheduled end armed afresh, as a press of the run button arms it. An
// armed one is left alone: the press would cancel it.
void RearmScheduledEnd() {
    HWND main = OpenDialog(app.mainWindow);
    if (main != nullptr && app.scheduledEndIdle.load() != 0) {
        ::SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_RUN, 0), 0);
    }
}

// Mode 4 after the program has ended: the final count-down, the next
// wake-up and the end action. A cancel seen up to the GUI thread's answer
// holds.
void EndAgain(const RunToken& token) {
    if (!IfStanding(token, [] { app.resumeCountdownRunning = 1; })) return;
    if (RunFinalCountdown(token) != CountdownResult::Completed) return;
    if (!RequestReturnToIdle(Operation::WakeCountdown, token)) return;
    RestoreHeadline();
    if (app.NEXT_REG.load() != ResumeMode::NoWake) ToggleWake();
    Sys().Sleep(100);
    RefreshTray();
    PerformEndAction();
}

void ActOnResumeMode(const RunToken& token) {
    switch (app.NEXT_REG.load()) {
        case ResumeMode::WakeScheduledEnd:
        case ResumeMode::WakeRunProgramThenScheduledEnd:
            RearmScheduledEnd();
            Sys().Sleep(100);
            RefreshTray();
            break;
        case ResumeMode::WakeRunProgramThenEnd:
            if (app.wakeProgramFinished.exchange(0) != 0) EndAgain(token);
            break;
        default:
            break;
    }
}

}  // namespace

void ToggleWake() {
    HWND main = OpenDialog(app.mainWindow);
    if (main != nullptr && ::GetWindowThreadProcessId(main, nullptr) != ::GetCurrentThreadId()) {
        ::SendMessageW(main, WM_TOGGLEWAKE, 0, 0);
        return;
    }
    if (app.wakeIdle.load() != 0) {
        ArmWake();
    } else if (app.wakeArmed.load() != 0) {
        CancelWake();
    } else if (app.wakeFired.load() != 0) {
        app.wakeFired = 0;
        ShowWakeIdle();
    }
}

bool StartWake() {
    const std::optional<std::tm> target = ResolveWakeMoment();
    if (!target) {
        ShowWakeIdle();
        Sys().ShowMessage(OpenDialog(app.mainWindow), L"復帰時間を決定できませんでした。", L"ｸｲﾙﾏｰｼｭ", MB_ICONWARNING);
        return false;
    }
    app.wakeBlock.target = *target;
    // Left over from a cancelled run, they would set off this run's actions.
    app.wakeFired = 0;
    app.wakeProgramFinished = 0;
    ::ResetEvent(TimerSetEvent());
    const std::uint32_t generation = app.wakeBlock.Arm();
    auto start = std::make_unique<WakeStart>(WakeStart{&app.wakeBlock, generation, *target});
    if (!app.wakeThread.Start(WakeProc, start.get())) {
        app.wakeBlock.Cancel();
        ShowWakeIdle();
        return false;
    }
    static_cast<void>(start.release());  // the thread owns it now
    return true;
}

bool ReturnWakeToIdle(std::uint32_t generation) {
    if (app.wakeIdle.load() != 0 || !RunStands(app.wakeBlock, generation)) return false;
    app.wakeTimer.Reset();
    RestoreHeadline();
    app.wakeArmed = 0;
    app.wakeFired = 0;
    ShowWakeIdle();
    return true;
}

bool EndResumeCountdown(std::uint32_t generation) {
    if (!RunStands(app.wakeBlock, generation)) return false;
    app.resumeCountdownRunning = 0;
    app.wakeBlock.run = 0;
    return true;
}

BOOL OnPowerBroadcast(WPARAM event) {
    switch (event) {
        case PBT_APMSUSPEND:
            if (app.scheduledEndRunning.load() != 0) {
                app.restartAfterResume = 1;
                app.scheduledEndBlock.Cancel();
            }
            return TRUE;
        case PBT_APMRESUMECRITICAL:
        case PBT_APMRESUMESUSPEND:
        case PBT_APMRESUMEAUTOMATIC:
            Sys().KeepAwake();
            // A new generation: the thread stopped at the suspend, should it
            // still sleep, ends without touching the new one. Once per suspend,
            // however many resume notices follow; not when the user has
            // cancelled meanwhile.
            if (app.restartAfterResume.exchange(0) != 0 && app.scheduledEndIdle.load() == 0) {
                app.scheduledEndBlock.Arm();
                StartScheduledEnd(app.scheduledEndBlock);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

DWORD WINAPI WakeProc(void* parameter) {
    const std::unique_ptr<WakeStart> start(static_cast<WakeStart*>(parameter));
    WakeRun run{RunToken(*start->block, start->generation)};
    const RunToken& token = run.token;
    IfStanding(token, [] { app.wakeArmed = 1; });

    std::tm target = start->target;
    const std::int64_t moment = MakeLocalTime(target);
    wchar_t detail[decltype(app.detailLine)::kCapacity];
    FormatWakeDetail(target.tm_hour, target.tm_min, detail);
    IfStanding(token, [&] {
        app.headline.Set(kIdleCaption);
        app.detailLine.Set(detail);
    });

    if (!ArmTimer(run, WakeDueTime(moment))) {
        app.wakeThread.ReleaseIfCurrentThread();
        return 0;
    }
    while (!run.fired && !Sys().WaitAlertable(token.block().stop.get())) {
    }
    if (!token.Running()) {
        // Cancelled: the cancel has set the idle state and closed the timer.
        app.wakeThread.ReleaseIfCurrentThread();
        return 0;
    }

    // Not fired only when the wait itself failed: then back to idle as well.
    if (run.fired && app.TESTCHECK.load() != 0) {
        Sys().ShowMessage(nullptr, kIdleCaption, L"テストモード", MB_ICONWARNING);
    }
    const bool stood = RequestReturnToIdle(Operation::Wake, token);
    if (stood) RefreshTray();
    // Let go of its own handle before pressing the run button, so that the
    // button's settling wait does not wait for this thread.
    app.wakeThread.ReleaseIfCurrentThread();
    if (stood && run.fired) ActOnResumeMode(token);
    return 0;
}

void CALLBACK WakeTimerRoutine(void* argument, DWORD, DWORD) {
    WakeRun& run = *static_cast<WakeRun*>(argument);
    const RunToken& token = run.token;
    run.fired = true;
    if (app.SOUND.load() != SoundMode::Silent) PlayStartSound();
    if (!IfStanding(token, [] { app.wakeFired = 1; })) return;

    const ResumeMode mode = app.NEXT_REG.load();
    if (mode != ResumeMode::WakeRunProgramThenScheduledEnd && mode != ResumeMode::WakeRunProgramThenEnd) return;
    wchar_t program[kPathUnits];
    wchar_t arguments[kPathUnits];
    wchar_t commandLine[kPathUnits];
    app.PROGRAM.CopyTo(program);
    app.PROGRAM_COMMANDLINE.CopyTo(arguments);
    if (!BuildWakeCommandLine(program, arguments, commandLine) || commandLine[0] == L'\0') return;
    // A cancel ends the wait and leaves the program running.
    if (Sys().RunProgram(commandLine, token.block().stop.get()) == System::ProgramRun::Exited) {
        IfStanding(token, [] { app.wakeProgramFinished = 1; });
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

void FormatWakeDetail(int hour, int minute, wchar_t (&line)[50]) {
    wchar_t minuteText[4] = L"";
    if (minute != 0) FormatText(minuteText, L"%d分", minute);
    FormatText(line, L"\r\n復帰時間　%d時%ls", hour, minuteText);
}

std::int64_t WakeDueTime(std::int64_t moment) { return moment * kTicksPerSecond + kUnixEpochTicks; }
