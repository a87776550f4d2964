// What must know all four operations at once.
#include "schedule/operations.h"

#include "platform/system.h"
#include "platform/text.h"
#include "schedule/lifecycle.h"
#include "schedule/wake.h"
#include "state/app_state.h"
#include "state/messages.h"
#include "state/view.h"
#include "ui/tray.h"

namespace {

// After an abort the buttons of the stopped operations offer to start again,
// so their captions read their idle texts again, kept ones included. A button
// whose operation the abort left armed (its idle flag still 0) keeps its
// cancel caption, so caption and next click always agree.
void RestoreIdleCaptions() {
    for (std::size_t i = 0; i < kOperationCount; ++i) {
        const auto operation = static_cast<Operation>(i);
        const OperationRecord& record = App().operation(operation);
        if (record.idle.load() != 0) ShowOperationCaption(operation, record.idleCaption);
    }
}

// Whether the count-down after a wake-up runs for the wake-up's current run;
// an armed wake-up that came after it is not that count-down.
bool ResumeCountdownIsCurrent() {
    return App().resumeCountdownRunning.load() != 0 &&
           RunStands(App().operation(Operation::Wake).block, App().resumeCountdownGeneration.load());
}

void StopRunningOperations() {
    ShowAbortBalloon();
    // Only the final count-down after a wake-up: an armed wake-up stays armed.
    if (ResumeCountdownIsCurrent()) App().operation(Operation::Wake).block.Cancel();
    for (Operation operation : kEndingOperations) App().operation(operation).block.Cancel();
    for (Operation operation : kEndingOperations) App().operation(operation).idle = 1;
    HoldAwakeWhileArmed();
    TheView().LockRunControls(true, std::nullopt);
    RestoreIdleCaptions();
    Sys().Sleep(1000);  // the abort balloon stays up for a second
}

void DisarmWake() {
    StopOperation(Operation::Wake);
    TheView().LockRunControls(true, std::nullopt);
    RestoreIdleCaptions();
    ShowAbortBalloon();
    Sys().Sleep(1000);
}

}  // namespace

bool AnswerReturnToIdle(Operation which, std::uint32_t run, const Settings& settings) {
    // The count-down after a wake-up runs on the wake-up's record, which is
    // idle already: its end unlocks the run controls, when nothing else runs.
    if (which != Operation::WakeCountdown) return ReturnOperationToIdle(which, run, settings);
    const bool stood = EndResumeCountdown(run);
    if (stood) UnlockRunControlsIfIdle();
    return stood;
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
    // Every operation idle: the run that ended is, and a wake-up armed to
    // follow this end action is disarmed with its timer.
    if (App().operation(Operation::Wake).running.load() != 0) StopOperation(Operation::Wake);
    UnlockRunControlsIfIdle();
    ShowHeadlineAfterAbort();
    wchar_t reason[256];
    if (!SystemErrorText(code, reason, std::size(reason))) FormatText(reason, kUnknownError, code);
    const wchar_t* name = EndActionName(action);
    wchar_t text[512];
    FormatText(text, kEndActionRefused, name != nullptr ? name : L"", reason);
    TheView().ShowBox(text, kBoxCaption, MB_OK | MB_ICONERROR);
}

void OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != TRAY_ICON_ID) return;
    if (lParam == WM_LBUTTONDOWN) {
        RestoreFromTray();
    } else if (lParam == WM_RBUTTONDOWN) {
        AbortFromTray();
    }
}
