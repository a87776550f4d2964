// The scheduled end.
#include "schedule/scheduled_end.h"

#include <memory>
#include <optional>
#include <utility>

#include "platform/calendar.h"
#include "platform/system.h"
#include "schedule/countdown.h"
#include "schedule/lifecycle.h"
#include "schedule/pacing.h"
#include "schedule/settle.h"
#include "state/view.h"

namespace {

constexpr Operation kThis = Operation::ScheduledEnd;

// What a scheduled-end thread is started with.
struct ScheduledStart {
    RunBlock* block;
    std::uint32_t generation;
    const Settings* settings;
};

OperationRecord& Record() { return App().operation(kThis); }

bool StartThread(RunBlock& block, const std::tm& target, const Settings& settings) {
    block.target = target;
    return LaunchWorker<ScheduledEndProc>(
        kThis, std::make_unique<ScheduledStart>(ScheduledStart{&block, block.generation.load(), &settings}));
}

// A new generation for a run that stays armed, with its target resolved
// afresh: the thread of the old one, should it still sleep, ends without
// touching the new one.
void Rearm(const MomentTexts& end, const Settings& settings) {
    TheView().HideCountdown(kThis);
    Record().block.Arm();
    StartScheduledEnd(Record().block, end, Attendance::Unattended, settings);
}

}  // namespace

bool StartScheduledEnd(RunBlock& block, const MomentTexts& end, Attendance attendance, const Settings& settings) {
    const std::optional<std::tm> target = ResolveMoment(end, Sys().Now());
    if (!target) {
        if (&block == &Record().block) StopOperation(kThis);
        Warn(kEndMomentUndetermined, attendance);
        return false;
    }
    StartThread(block, *target, settings);
    return true;
}

void ToggleScheduledEnd(Attendance attendance, const ChosenMoments& moments, const Settings& settings) {
    if (Record().idle.load() == 0) {
        StopOperation(kThis);
        return;
    }
    SettleOperationThreads();
    // Resolved before anything changes, so a refused start leaves no trace.
    std::optional<std::tm> target = ResolveMoment(moments.end, Sys().Now());
    if (!target) {
        Warn(kEndMomentUndetermined, attendance);
        return;
    }
    const MomentTexts* wake = settings.NEXT_REG.load() != ResumeMode::NoWake ? &moments.wake : nullptr;
    if (!MayArm(settings.WAYTOEND.load(), attendance, MakeLocalTime(*target), wake, settings)) return;
    // Resolved again once any box has been answered: a box left open past
    // the moment must not lead to a count-down at once, but to the moment's
    // next occurrence, as a start without a box would choose.
    target = ResolveMoment(moments.end, Sys().Now());
    if (!target) {
        Warn(kEndMomentUndetermined, attendance);
        return;
    }
    Record().block.startedEvent = App().scheduleStartedEvent.get();
    BeginRun(kThis);
    StartThread(Record().block, *target, settings);
    if (settings.STARTUPCHECK.load() != 0) {
        App().startupBlock.startedEvent = App().scheduleStartedEvent.get();
        App().startupMinimizeThread.Start<StartupMinimizeProc>(&App().startupBlock);
    }
}

void RestartScheduledEnd(std::uint32_t generation, const MomentTexts& end, const Settings& settings) {
    if (Record().idle.load() == 0 && RunStands(Record().block, generation)) Rearm(end, settings);
}

bool ExtendScheduledEnd(std::uint32_t generation, const Settings& settings) {
    RunBlock& block = Record().block;
    if (Record().idle.load() != 0 || !RunStands(block, generation)) return false;
    std::tm moment = block.target;
    const std::tm later = LocalTimeOf(MakeLocalTime(moment) + kExtendSeconds);
    // The icon's tip tells the new moment at once; the new thread writes the same.
    wchar_t detail[kDetailUnits];
    FormatEndDetail(later.tm_hour, later.tm_min, detail);
    App().detailLine.Set(detail);
    block.Arm();  // the thread of the moment put off ends without acting
    if (StartThread(block, later, settings)) return true;
    StopOperation(kThis);  // no thread: nothing may look armed
    return false;
}

BOOL OnPowerBroadcast(WPARAM event, const MomentTexts& end, const Settings& settings) {
    switch (event) {
        case PBT_APMSUSPEND:
            if (Record().running.load() != 0) {
                App().restartAfterResume = 1;
                Record().block.Cancel();
                TheView().HideCountdown(kThis);
            }
            return TRUE;
        case PBT_APMRESUMECRITICAL:
        case PBT_APMRESUMESUSPEND:
        case PBT_APMRESUMEAUTOMATIC:
            // Once per suspend, however many resume notices follow; not when
            // the user has cancelled meanwhile.
            if (App().restartAfterResume.exchange(0) != 0 && Record().idle.load() == 0) Rearm(end, settings);
            return TRUE;
        default:
            return FALSE;
    }
}

DWORD WINAPI ScheduledEndProc(void* parameter) {
    const std::unique_ptr<ScheduledStart> start(static_cast<ScheduledStart*>(parameter));
    const RunToken token(*start->block, start->generation);
    RunBlock& block = token.block();
    const Settings& settings = *start->settings;

    std::tm target = block.target;
    const std::int64_t targetMoment = MakeLocalTime(target);
    wchar_t detail[kDetailUnits];
    FormatEndDetail(target.tm_hour, target.tm_min, detail);
    OpenRun(kThis, token, detail);
    if (block.startedEvent != nullptr) ::SetEvent(block.startedEvent);

    const MomentWait wait = WaitForMoment(token, targetMoment, settings);
    // The PC slept through the wait and nobody said so: the moment may have
    // passed hours ago, with the user now at the keyboard. Never act in this
    // turn: armed again for the next occurrence, as after a reported resume,
    // this thread is superseded.
    if (wait.slept) TheView().RestartScheduledEnd(token.generation());
    const bool reached = wait.reached;
    CountDownAndFinish(kThis, token, reached, settings);
    return 0;
}

DWORD WINAPI StartupMinimizeProc(void* parameter) {
    const RunBlock& block = *static_cast<const RunBlock*>(parameter);
    if (block.startedEvent != nullptr) ::WaitForSingleObject(block.startedEvent, 10000);
    Sys().Sleep(100);
    TheView().MinimizeWhenShown();
    App().startupMinimizeThread.ReleaseIfCurrentThread();
    return 0;
}
