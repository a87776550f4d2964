// What must know all four operations at once.
#include "schedule/operations.h"

#include "platform/system.h"
#include "platform/text.h"
#include "schedule/lifecycle.h"
#include "schedule/scheduled_end.h"
#include "schedule/timer_end.h"
#include "schedule/wait_program.h"
#include "schedule/wake.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "state/view.h"
#include "ui/tray.h"

namespace {

// After an abort the buttons of the operations it stopped offer to start
// again, so their captions read their idle texts again, kept ones included.
// Only those: a button whose operation the abort left armed keeps its cancel
// caption, so caption and next click always agree, and one whose operation
// never ran keeps the caption its dialog was made with.
void RestoreIdleCaptions(const bool (&stopped)[kOperationCount]) {
    for (std::size_t i = 0; i < kOperationCount; ++i) {
        const auto operation = static_cast<Operation>(i);
        if (stopped[i]) ShowOperationCaption(operation, App().operation(operation).idleCaption);
    }
}

// Whether the count-down after a wake-up runs for the wake-up's current run;
// an armed wake-up that came after it is not that count-down.
bool ResumeCountdownIsCurrent() {
    return App().resumeCountdownRunning.load() != 0 &&
           RunStands(App().operation(Operation::Wake).block, App().resumeCountdownGeneration.load());
}

void StopRunningOperations() {
    for (Operation operation : kEndingOperations) TheView().HideCountdown(operation);
    TheView().HideCountdown(Operation::WakeCountdown);
    ShowAbortBalloon();
    bool stopped[kOperationCount] = {};
    // Only the final count-down after a wake-up: an armed wake-up stays armed.
    if (ResumeCountdownIsCurrent()) {
        App().operation(Operation::Wake).block.Cancel();
        stopped[AppState::RecordIndex(Operation::Wake)] = true;
    }
    for (Operation operation : kEndingOperations) App().operation(operation).block.Cancel();
    for (Operation operation : kEndingOperations) {
        stopped[AppState::RecordIndex(operation)] = App().operation(operation).idle.exchange(1) == 0;
    }
    HoldAwakeWhileArmed();
    TheView().LockRunControls(true, std::nullopt);
    RestoreIdleCaptions(stopped);
    Sys().Sleep(1000);  // the abort balloon stays up for a second
}

void DisarmWake() {
    bool stopped[kOperationCount] = {};
    stopped[AppState::RecordIndex(Operation::Wake)] = App().operation(Operation::Wake).idle.load() == 0;
    StopOperation(Operation::Wake);
    TheView().LockRunControls(true, std::nullopt);
    RestoreIdleCaptions(stopped);
    ShowAbortBalloon();
    Sys().Sleep(1000);
}

}  // namespace

bool AnswerReturnToIdle(Operation which, std::uint32_t run, const Settings& settings) {
    // The count-down after a wake-up runs on the wake-up's record, which is
    // idle already: its end unlocks the run controls, when nothing else runs.
    if (which != Operation::WakeCountdown) return ReturnOperationToIdle(which, run, settings);
    const bool stood = EndResumeCountdown(run);
    if (stood) TheView().HideCountdown(Operation::WakeCountdown);
    if (stood) UnlockRunControlsIfIdle();
    return stood;
}

bool CountdownStands(Operation operation, std::uint32_t generation) {
    if (operation == Operation::WakeCountdown) {
        return ResumeCountdownIsCurrent() && App().resumeCountdownGeneration.load() == generation;
    }
    const OperationRecord& record = App().operation(operation);
    return operation != Operation::Wake && record.idle.load() == 0 && RunStands(record.block, generation);
}

bool Extendable(Operation operation) {
    return operation == Operation::ScheduledEnd || operation == Operation::TimerEnd ||
           operation == Operation::WaitProgram;
}

bool ExtendOperation(Operation operation, std::uint32_t generation, const Settings& settings) {
    if (!Extendable(operation) || !CountdownStands(operation, generation)) return false;
    TheView().HideCountdown(operation);  // back one minute before the new moment
    bool extended = false;
    switch (operation) {
        case Operation::ScheduledEnd:
            extended = ExtendScheduledEnd(generation, settings);
            break;
        case Operation::TimerEnd:
            extended = ExtendTimerEnd(generation, settings);
            break;
        default:
            extended = ExtendWaitProgram(generation, settings);
            break;
    }
    if (extended) RefreshTrayTip();
    return extended;
}

bool AnyOperationRunning() {
    for (Operation operation : kEndingOperations) {
        if (App().operation(operation).running.load() != 0) return true;
    }
    return App().resumeCountdownRunning.load() != 0;
}

bool AllOperationsIdle() {
    for (const OperationRecord& record : App().operations) {
        if (record.idle.load() == 0) return false;
    }
    return App().resumeCountdownRunning.load() == 0;
}

void UnlockRunControlsIfIdle() {
    if (AllOperationsIdle()) TheView().LockRunControls(true, std::nullopt);
}

void AbortFromTray() {
    if (AnyOperationRunning()) {
        StopRunningOperations();
    } else if (App().operation(Operation::Wake).running.load() != 0) {
        DisarmWake();
    }
    ShowHeadlineAfterAbort();
}

void OnEndActionRefused(EndAction action, DWORD code) {
    // The run that ended is idle already. A wake-up armed to follow this end
    // action is disarmed with its timer; one the user armed by hand, and any
    // other operation, stay as they are.
    const OperationRecord& wake = App().operation(Operation::Wake);
    if (wake.running.load() != 0 && wake.block.generation.load() == App().wakeFollowingEnd) {
        StopOperation(Operation::Wake);
    }
    UnlockRunControlsIfIdle();
    ShowHeadlineAfterAbort();
    wchar_t reason[256];
    if (!SystemErrorText(code, reason, std::size(reason))) FormatText(reason, kUnknownError, code);
    const wchar_t* name = EndActionName(action);
    wchar_t text[512];
    FormatText(text, kEndActionRefused, name != nullptr ? name : L"", reason);
    // Comes at a moment the user did not choose, owned by a window that may
    // be hidden: on top, and brought to the front.
    TheView().ShowBox(text, kBoxCaption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

void OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != TRAY_ICON_ID) return;
    if (lParam == WM_LBUTTONDOWN) {
        RestoreFromTray();
    } else if (lParam == WM_RBUTTONDOWN) {
        AbortFromTray();
    }
}
