// The scheduled end.
#include "schedule/scheduled_end.h"

#include <cwchar>
#include <memory>

#include "platform/calendar.h"
#include "platform/system.h"
#include "platform/text.h"
#include "power/power_actions.h"
#include "res/resource.h"
#include "schedule/countdown.h"
#include "schedule/settle.h"
#include "schedule/wake.h"
#include "ui/locking.h"
#include "ui/windows.h"

namespace {

// What a scheduled-end thread is started with.
struct ScheduledStart {
    RunBlock* block;
    std::uint32_t generation;
};

// Enough steps for every combination the combos can hold; a bound so that a
// moment the system cannot represent never loops forever.
constexpr int kMaxAdvances = 64;

long ReadNumber(const wchar_t* text) {
    if (text == nullptr) return 0;
    wchar_t* end = nullptr;
    const long value = std::wcstol(text, &end, 10);
    return end == text ? 0 : value;
}

void ReadComboText(HWND window, int id, wchar_t (&text)[8]) {
    text[0] = L'\0';
    if (window != nullptr) ::GetDlgItemTextW(window, id, text, static_cast<int>(std::size(text)));
}

// Steps 8-10 of the thread on its way out, or nothing for a stale thread.
void FinishScheduledEnd(const RunToken& token, bool reachedCountdown) {
    bool stillRunning = false;
    const bool current = token.IfCurrent([&] {
        app.detailLine.Clear();
        if (!app.typedPhrase.Empty()) {
            app.headline.SetFrom(app.typedPhrase);
        } else {
            app.headline.SetFrom(app.phraseText);
        }
        app.scheduledEndRunning = 0;
        stillRunning = token.block().run.load() != 0;
    });
    app.scheduledEndThread.ReleaseIfCurrentThread();
    if (!current) return;  // a newer start owns the state now
    if (stillRunning) {
        // Back to idle through the button itself, finished before we go on.
        if (HWND main = OpenDialog(app.mainWindow)) {
            ::SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_RUN, 0), 0);
        }
        if (app.NEXT_REG.load() != ResumeMode::NoWake) ToggleWake();
    }
    // Decided by the clock alone: a cancel during the last step cannot stop it.
    if (reachedCountdown) PerformEndAction();
}

}  // namespace

std::tm ResolveTargetTime(const wchar_t* month, const wchar_t* day, const wchar_t* hour,
                          const wchar_t* minute, std::int64_t now) {
    std::tm record = LocalTimeOf(now);
    const long monthNumber = ReadNumber(month);
    const long dayNumber = ReadNumber(day);
    const bool monthFixed = monthNumber != 0;
    const bool dayFixed = dayNumber != 0;
    if (monthFixed) record.tm_mon = static_cast<int>(monthNumber - 1);
    if (dayFixed) record.tm_mday = static_cast<int>(dayNumber);
    record.tm_hour = static_cast<int>(ReadNumber(hour));
    record.tm_min = static_cast<int>(ReadNumber(minute));
    record.tm_sec = 0;
    // Daylight saving is decided for the target itself, not taken over from
    // now: a target across a change stays at the wall-clock time chosen.
    record.tm_isdst = -1;

    std::int64_t moment = MakeLocalTime(record);
    for (int step = 0; moment != -1 && moment < now && step < kMaxAdvances; ++step) {
        // In the hour repeated when daylight saving ends, the earlier of the
        // two instants may be past while the later one is still to come.
        std::tm later = record;
        later.tm_isdst = 0;
        const std::int64_t laterMoment = MakeLocalTime(later);
        if (laterMoment >= now) {
            record = later;
            break;
        }
        if (monthFixed && dayFixed) {
            ++record.tm_year;
        } else if (!monthFixed && !dayFixed) {
            ++record.tm_mday;
        } else {
            ++record.tm_mon;
        }
        moment = MakeLocalTime(record);
    }
    return record;
}

std::int64_t CountdownStart(std::int64_t target, std::int64_t reading, SoundMode sound,
                            std::int32_t countdownSeconds) {
    if (target <= reading) return target;
    switch (sound) {
        case SoundMode::TenCount:
            return target - 10;
        case SoundMode::Heartbeat:
        case SoundMode::Beep:
        case SoundMode::ChosenSound:
            return target - countdownSeconds;
        default:
            return target;
    }
}

void StartScheduledEnd(RunBlock& block) {
    HWND main = OpenDialog(app.mainWindow);
    wchar_t month[8], day[8], hour[8], minute[8];
    ReadComboText(main, IDC_MAIN_END_MONTH, month);
    ReadComboText(main, IDC_MAIN_END_DAY, day);
    ReadComboText(main, IDC_MAIN_END_HOUR, hour);
    ReadComboText(main, IDC_MAIN_END_MINUTE, minute);
    block.target = ResolveTargetTime(month, day, hour, minute, Sys().Now());

    auto start = std::make_unique<ScheduledStart>(ScheduledStart{&block, block.generation.load()});
    if (app.scheduledEndThread.Start(ScheduledEndProc, start.get())) {
        static_cast<void>(start.release());  // the thread owns it now
    }
}

void ToggleScheduledEnd() {
    HWND main = OpenDialog(app.mainWindow);
    if (app.scheduledEndIdle.load() != 0) {
        SettleOperationThreads();
        app.scheduledEndBlock.startedEvent = app.scheduleStartedEvent.get();
        app.scheduledEndBlock.Arm();
        app.scheduledEndIdle = 0;
        LockRunControls(0, IDC_MAIN_RUN);
        if (main != nullptr) ::SetDlgItemTextW(main, IDC_MAIN_RUN, L"処理中断");
        StartScheduledEnd(app.scheduledEndBlock);
        if (app.STARTUPCHECK.load() != 0) {
            app.startupBlock.startedEvent = app.scheduleStartedEvent.get();
            app.startupMinimizeThread.Start(StartupMinimizeProc, &app.startupBlock);
        }
    } else {
        app.scheduledEndBlock.run = 0;
        app.scheduledEndIdle = 1;
        LockRunControls(1, IDC_MAIN_RUN);
        if (main != nullptr) ::SetDlgItemTextW(main, IDC_MAIN_RUN, L"処理実行");
    }
}

DWORD WINAPI ScheduledEndProc(void* parameter) {
    const std::unique_ptr<ScheduledStart> start(static_cast<ScheduledStart*>(parameter));
    const RunToken token(*start->block, start->generation);
    RunBlock& block = token.block();
    app.scheduledEndRunning = 1;

    std::tm target = block.target;
    const std::int64_t targetMoment = MakeLocalTime(target);
    wchar_t minuteText[16] = L"";
    if (target.tm_min != 0) FormatText(minuteText, L"%d分", target.tm_min);
    wchar_t action[decltype(app.actionName)::kCapacity];
    app.actionName.CopyTo(action);
    token.IfCurrent([&] {
        app.headline.Format(L"指定時間終了 %ls", action);
        app.detailLine.Format(L"\r\n終了時間　%d時%ls", target.tm_hour, minuteText);
    });
    if (block.startedEvent != nullptr) ::SetEvent(block.startedEvent);

    std::int64_t reading = Sys().Now();
    const std::int64_t countdownStart =
        CountdownStart(targetMoment, reading, app.SOUND.load(), app.COUNTDOWNTIME.load());
    if (token.Running()) {
        for (;;) {
            reading = Sys().Now();
            if (reading >= countdownStart) {
                if (RunFinalCountdown(token) != CountdownResult::Completed) {
                    // Cancelled or superseded inside the count-down: nothing
                    // more of this thread runs.
                    app.scheduledEndThread.ReleaseIfCurrentThread();
                    return 0;
                }
                break;
            }
            Sys().Sleep(1000);
            if (!token.Running()) break;
        }
    }
    FinishScheduledEnd(token, reading >= countdownStart);
    return 0;
}

DWORD WINAPI StartupMinimizeProc(void* parameter) {
    const RunBlock& block = *static_cast<const RunBlock*>(parameter);
    if (block.startedEvent != nullptr) ::WaitForSingleObject(block.startedEvent, 10000);
    Sys().Sleep(100);
    if (HWND main = OpenDialog(app.mainWindow)) {
        // The dialog manager shows the main window when its loop first goes
        // idle; hiding it before that would only have it shown again.
        for (int i = 0; i < 100 && !::IsWindowVisible(main); ++i) ::Sleep(50);
        ::SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
    app.startupMinimizeThread.ReleaseIfCurrentThread();
    return 0;
}
