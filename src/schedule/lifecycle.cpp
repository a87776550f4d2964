// The life cycle of an operation: its start and stop on the GUI thread, and
// the end of its run, requested by the worker and answered on the GUI thread.
#include "schedule/lifecycle.h"

#include "platform/system.h"
#include "power/power_actions.h"
#include "schedule/countdown.h"
#include "state/view.h"

namespace {

// Whether the GUI thread holds the system awake now (GUI thread only).
bool awakeHeld = false;

const IdleHooks* HooksOf(Operation operation) { return operation == Operation::Wake ? &kWakeIdleHooks : nullptr; }

// The first step of a stop or a return to idle.
void EndRunForIdle(Operation operation, bool stopped) {
    if (const IdleHooks* hooks = HooksOf(operation)) {
        hooks->endRun(stopped);
    } else {
        App().operation(operation).block.Cancel();
    }
}

}  // namespace

void ShowOperationCaption(Operation operation, const wchar_t* caption) { TheView().ShowCaption(operation, caption); }

void HoldAwakeWhileArmed() {
    bool armed = false;
    for (Operation operation : kEndingOperations) {
        armed = armed || App().operation(operation).idle.load() == 0;
    }
    if (armed == awakeHeld) return;
    awakeHeld = armed;
    Sys().SetExecutionState(armed ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

void ShowOperationRunning(Operation operation) {
    OperationRecord& record = App().operation(operation);
    record.idle = 0;
    HoldAwakeWhileArmed();
    TheView().LockRunControls(false, operation);
    ShowOperationCaption(operation, kCancelCaption);
}

void ShowOperationIdle(Operation operation) {
    OperationRecord& record = App().operation(operation);
    record.idle = 1;
    HoldAwakeWhileArmed();
    TheView().LockRunControls(true, operation);
    ShowOperationCaption(operation, record.idleCaption);
}

std::uint32_t BeginRun(Operation operation) {
    const std::uint32_t generation = App().operation(operation).block.Arm();
    ShowOperationRunning(operation);
    return generation;
}

void StopOperation(Operation operation) {
    TheView().HideCountdown(operation);
    EndRunForIdle(operation, true);
    ShowOperationIdle(operation);
}

bool ReturnOperationToIdle(Operation operation, std::uint32_t generation, const Settings& settings) {
    const OperationRecord& record = App().operation(operation);
    if (record.idle.load() != 0 || !RunStands(record.block, generation)) return false;
    TheView().HideCountdown(operation);  // the end action is about to begin
    EndRunForIdle(operation, false);
    ShowOperationIdle(operation);
    if (const IdleHooks* hooks = HooksOf(operation)) hooks->returned(generation, settings);
    return true;
}

bool RunStands(const RunBlock& block, std::uint32_t generation) {
    return block.generation.load() == generation && block.run.load() != 0;
}

bool RequestReturnToIdle(Operation operation, const RunToken& token) {
    return TheView().ReturnToIdle(operation, token.generation());
}

void RequestNextWake(const Settings& settings) {
    if (settings.NEXT_REG.load() != ResumeMode::NoWake) TheView().ArmWake();
}

void EndRunStanding(Operation operation, const RunToken& token, const Settings& settings) {
    if (!RequestReturnToIdle(operation, token)) return;  // cancelled at the last moment
    RequestNextWake(settings);
    // A refusal is reported to the main window, which leaves everything idle.
    PerformEndAction(settings.WAYTOEND.load(), settings);
}

void FinishRun(Operation operation, const RunToken& token, bool reached, const Settings& settings) {
    OperationRecord& record = App().operation(operation);
    const bool current = token.IfCurrent([&] {
        RestoreHeadline();
        record.running = 0;
    });
    // Let go before the end step: a wake-up's settling wait would wait on us.
    record.thread.ReleaseIfCurrentThread();
    if (current && reached) EndRunStanding(operation, token, settings);
}

void OpenRun(Operation operation, const RunToken& token, const wchar_t* detail) {
    wchar_t action[decltype(App().actionName)::kCapacity];
    App().actionName.CopyTo(action);
    wchar_t headline[kHeadlineUnits];
    FormatHeadline(operation, action, headline);
    token.IfCurrent([&] {
        App().operation(operation).running = 1;
        App().headline.Set(headline);
        if (detail != nullptr) App().detailLine.Set(detail);
    });
}

void CountDownAndFinish(Operation operation, const RunToken& token, bool reached, const Settings& settings,
                        bool afterSleep) {
    if (reached && RunFinalCountdown(token, settings, afterSleep) != CountdownResult::Completed) {
        App().operation(operation).thread.ReleaseIfCurrentThread();
        return;
    }
    FinishRun(operation, token, reached, settings);
}
