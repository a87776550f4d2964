// The scheduled end.
#include "schedule/scheduled_end.h"

#include <cwchar>
#include <memory>

#include "platform/calendar.h"
#include "platform/system.h"
#include "platform/text.h"
#include "res/resource.h"
#include "schedule/countdown.h"
#include "schedule/lifecycle.h"
#include "schedule/settle.h"
#include "ui/locking.h"
#include "ui/tray.h"
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

void ReportUndeterminedMoment(HWND owner) {
    Sys().ShowMessage(owner, L"終了時間を決定できませんでした。", L"ｸｲﾙﾏｰｼｭ", MB_ICONWARNING);
}

std::optional<std::tm> ResolveFromCombos() {
    HWND main = OpenDialog(app.mainWindow);
    wchar_t month[8], day[8], hour[8], minute[8];
    ReadComboText(main, IDC_MAIN_END_MONTH, month);
    ReadComboText(main, IDC_MAIN_END_DAY, day);
    ReadComboText(main, IDC_MAIN_END_HOUR, hour);
    ReadComboText(main, IDC_MAIN_END_MINUTE, minute);
    return ResolveTargetTime(month, day, hour, minute, Sys().Now());
}

void StartThread(RunBlock& block, const std::tm& target) {
    block.target = target;
    auto start = std::make_unique<ScheduledStart>(ScheduledStart{&block, block.generation.load()});
    if (app.scheduledEndThread.Start(ScheduledEndProc, start.get())) {
        static_cast<void>(start.release());  // the thread owns it now
    }
}

// The toggle's stop branch.
void StopScheduledEnd() {
    app.scheduledEndBlock.Cancel();
    app.scheduledEndIdle = 1;
    LockRunControls(1, IDC_MAIN_RUN);
    if (HWND main = OpenDialog(app.mainWindow)) ::SetDlgItemTextW(main, IDC_MAIN_RUN, L"処理実行");
}

}  // namespace

std::optional<std::tm> ResolveTargetTime(const wchar_t* month, const wchar_t* day, const wchar_t* hour,
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
        if (laterMoment >= now) return later;
        if (monthFixed && dayFixed) {
            ++record.tm_year;
        } else if (!monthFixed && !dayFixed) {
            ++record.tm_mday;
        } else {
            ++record.tm_mon;
        }
        moment = MakeLocalTime(record);
    }
    if (moment == -1 || moment < now) return std::nullopt;
    return record;
}

std::int64_t CountdownStart(std::int64_t target, std::int64_t reading, SoundMode sound, std::int32_t countdownSeconds) {
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

DWORD MillisecondsToNextSecond(std::int64_t nowMilliseconds) {
    const std::int64_t intoSecond = ((nowMilliseconds % 1000) + 1000) % 1000;
    return static_cast<DWORD>(1000 - intoSecond);
}

bool StartScheduledEnd(RunBlock& block) {
    const std::optional<std::tm> target = ResolveFromCombos();
    if (!target) {
        if (&block == &app.scheduledEndBlock) StopScheduledEnd();
        ReportUndeterminedMoment(OpenDialog(app.mainWindow));
        return false;
    }
    StartThread(block, *target);
    return true;
}

bool ReturnScheduledEndToIdle(std::uint32_t generation) {
    if (app.scheduledEndIdle.load() != 0 || !RunStands(app.scheduledEndBlock, generation)) return false;
    StopScheduledEnd();
    return true;
}

void ToggleScheduledEnd() {
    if (app.scheduledEndIdle.load() == 0) {
        StopScheduledEnd();
        return;
    }
    SettleOperationThreads();
    // Resolved before anything changes, so a refused start leaves no trace.
    const std::optional<std::tm> target = ResolveFromCombos();
    HWND main = OpenDialog(app.mainWindow);
    if (!target) {
        ReportUndeterminedMoment(main);
        return;
    }
    app.scheduledEndBlock.startedEvent = app.scheduleStartedEvent.get();
    app.scheduledEndBlock.Arm();
    app.scheduledEndIdle = 0;
    LockRunControls(0, IDC_MAIN_RUN);
    if (main != nullptr) ::SetDlgItemTextW(main, IDC_MAIN_RUN, L"処理中断");
    StartThread(app.scheduledEndBlock, *target);
    if (app.STARTUPCHECK.load() != 0) {
        app.startupBlock.startedEvent = app.scheduleStartedEvent.get();
        app.startupMinimizeThread.Start(StartupMinimizeProc, &app.startupBlock);
    }
}

DWORD WINAPI ScheduledEndProc(void* parameter) {
    const std::unique_ptr<ScheduledStart> start(static_cast<ScheduledStart*>(parameter));
    const RunToken token(*start->block, start->generation);
    RunBlock& block = token.block();

    std::tm target = block.target;
    const std::int64_t targetMoment = MakeLocalTime(target);
    wchar_t minuteText[16] = L"";
    if (target.tm_min != 0) FormatText(minuteText, L"%d分", target.tm_min);
    wchar_t action[decltype(app.actionName)::kCapacity];
    app.actionName.CopyTo(action);
    token.IfCurrent([&] {
        app.scheduledEndRunning = 1;
        app.headline.Format(L"指定時間終了 %ls", action);
        app.detailLine.Format(L"\r\n終了時間　%d時%ls", target.tm_hour, minuteText);
    });
    if (block.startedEvent != nullptr) ::SetEvent(block.startedEvent);

    const std::int64_t countdownStart =
        CountdownStart(targetMoment, Sys().Now(), app.SOUND.load(), app.COUNTDOWNTIME.load());
    bool reached = false;
    bool going = token.Running();
    while (going) {
        const std::int64_t now = Sys().NowMilliseconds();
        reached = now >= countdownStart * 1000;
        if (reached) break;
        going = token.Wait(MillisecondsToNextSecond(now));
    }
    if (reached && RunFinalCountdown(token) != CountdownResult::Completed) {
        // Cancelled or superseded inside the count-down: nothing more of
        // this thread runs.
        app.scheduledEndThread.ReleaseIfCurrentThread();
        return 0;
    }
    FinishRun(Operation::ScheduledEnd, token, reached, app.scheduledEndRunning, app.scheduledEndThread);
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
