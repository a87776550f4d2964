// The end of an operation's run: the request from the worker and the answer
// on the GUI thread.
#include "schedule/lifecycle.h"

#include "power/power_actions.h"
#include "schedule/scheduled_end.h"
#include "schedule/timer_end.h"
#include "schedule/wait_program.h"
#include "schedule/wake.h"
#include "state/messages.h"
#include "ui/tray.h"
#include "ui/windows.h"

namespace {

// The stop branch of the operation's toggle, if the run still stands.
bool ReturnToIdle(Operation operation, std::uint32_t generation) {
    switch (operation) {
        case Operation::ScheduledEnd:
            return ReturnScheduledEndToIdle(generation);
        case Operation::TimerEnd:
            return ReturnTimerEndToIdle(generation);
        case Operation::WaitProgram:
            return ReturnWaitProgramToIdle(generation);
        case Operation::Wake:
            return ReturnWakeToIdle(generation);
        case Operation::WakeCountdown:
            return EndResumeCountdown(generation);
        default:
            return false;
    }
}

}  // namespace

bool RunStands(const RunBlock& block, std::uint32_t generation) {
    return block.generation.load() == generation && block.run.load() != 0;
}

bool RequestReturnToIdle(Operation operation, const RunToken& token) {
    HWND main = OpenDialog(app.mainWindow);
    if (main == nullptr) return false;  // the program is closing: nothing more
    return ::SendMessageW(main, WM_RETURNTOIDLE, static_cast<WPARAM>(operation),
                          static_cast<LPARAM>(token.generation())) == TRUE;
}

void EndRunStanding(Operation operation, const RunToken& token) {
    if (!RequestReturnToIdle(operation, token)) return;  // cancelled at the last moment
    if (app.NEXT_REG.load() != ResumeMode::NoWake) ToggleWake();
    PerformEndAction();
}

void FinishRun(Operation operation, const RunToken& token, bool reached, std::atomic<std::uint32_t>& running,
               ThreadSlot& thread) {
    const bool current = token.IfCurrent([&] {
        RestoreHeadline();
        running = 0;
    });
    // Let go before the end step: a wake-up's settling wait would wait on us.
    thread.ReleaseIfCurrentThread();
    if (current && reached) EndRunStanding(operation, token);
}

INT_PTR AnswerReturnToIdle(HWND window, WPARAM operation, LPARAM generation) {
    const bool stood = ReturnToIdle(static_cast<Operation>(operation), static_cast<std::uint32_t>(generation));
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, stood ? TRUE : FALSE);
    return TRUE;
}
