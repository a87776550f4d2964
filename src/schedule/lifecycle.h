// The life cycle that the four operations share, written once over their
// records (AppState::operations).
//
// GUI side: a start arms the run block, locks every run control but the
// operation's button and shows the cancel caption; a stop cancels the run,
// unlocks and shows the idle caption.
//
// Worker side: a worker whose moment has come asks the GUI thread to return
// its run to idle; the GUI thread does so only while that very run still
// stands (not cancelled, not superseded by a newer start) and says whether it
// did. Only then may the worker carry out its end action, so a cancel the user
// saw succeed always holds, and a cancel racing the finish never starts the
// operation again.
//
// The workers and the starts that launch them read the settings they are
// given: the live record (its fields are safe to read from any thread), so a
// setting changed while a run is armed holds for that run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "state/app_state.h"

// GUI side. Shows `caption` on the operation's button (when its window is
// open); a manual-dialog button keeps it for the dialog's next opening.
void ShowOperationCaption(Operation operation, const wchar_t* caption);

// GUI side: the button offers a cancel; every other run control is locked.
void ShowOperationRunning(Operation operation);

// GUI side: the button offers a start again; the run controls are unlocked.
void ShowOperationIdle(Operation operation);

// GUI side, after any change of an operation's idle flag: the system is kept
// awake (not the display) while a scheduled end, a timer end or a wait is
// armed, so the idle timer cannot put the PC to sleep before its moment, and
// let go once none is. The execution state belongs to the thread that sets
// it, so only the GUI thread sets this one.
void HoldAwakeWhileArmed();

// GUI side: arms the operation's block for a new run and shows it running;
// returns the run's generation.
std::uint32_t BeginRun(Operation operation);

// What an operation adds to the shared stop and return to idle (GUI side).
// The scheduled end, the timer end and the wait add nothing: their block is
// cancelled, and their threads put back their running flag and headline. The
// wake-up (kWakeIdleHooks, schedule/wake.cpp) adds its timer, the running
// flag and headline that its thread leaves to the GUI thread, and the
// count-down that may follow a wake-up.
struct IdleHooks {
    // Ends the run in place of cancelling its block, before the operation is
    // shown idle: by a stop (`stopped`), or because its moment has come.
    void (*endRun)(bool stopped);
    // Once a return to idle has shown the operation idle.
    void (*returned)(std::uint32_t generation, const Settings& settings);
};
extern const IdleHooks kWakeIdleHooks;

// GUI side, the toggle's stop branch: cancels the run (its worker wakes and
// ends by itself) and shows the operation idle.
void StopOperation(Operation operation);

// GUI side: the stop for a worker whose moment has come, only while that run
// (`generation`) still stands; whether it did. `settings` say what follows.
bool ReturnOperationToIdle(Operation operation, std::uint32_t generation, const Settings& settings);

// Whether `generation` is the block's current run and it has not been
// cancelled: the condition for returning it to idle.
bool RunStands(const RunBlock& block, std::uint32_t generation);

// Worker side: sends the request to the main window and waits for the answer.
// True when the run stood and is now idle.
bool RequestReturnToIdle(Operation operation, const RunToken& token);

// Worker side: asks the main window to arm the wake-up when a resume mode is
// set (NEXT_REG) and the wake-up is idle, so that the machine wakes again
// after the end action.
void RequestNextWake(const Settings& settings);

// Worker side, once its moment has come and its count-down completed: returns
// the run to idle and, only if it still stood, arms the wake-up when a resume
// mode asks for it and carries out the end action (WAYTOEND).
void EndRunStanding(Operation operation, const RunToken& token, const Settings& settings);

// Worker side, on its way out: restores the headline and clears its running
// flag (nothing for a stale thread), lets go of its own thread handle, and,
// when its moment was `reached` and it is still current, ends the run with
// EndRunStanding.
void FinishRun(Operation operation, const RunToken& token, bool reached, const Settings& settings);

// GUI side: starts `Procedure` on the operation's thread with `start`, which
// the thread then owns; false when no thread could be started (`start` is
// freed here, and the caller returns the operation to idle).
template <DWORD(WINAPI* Procedure)(void*), typename Start>
bool LaunchWorker(Operation operation, std::unique_ptr<Start> start) {
    if (!App().operation(operation).thread.Start<Procedure>(start.get())) return false;
    static_cast<void>(start.release());  // the thread owns it now
    return true;
}

// Worker side, first thing: while this run is current, sets the operation's
// running flag and shows its headline, with the chosen end action's name, and
// `detail` (nullptr: the detail line as it is).
void OpenRun(Operation operation, const RunToken& token, const wchar_t* detail);

// Worker side, once its wait is over (`reached`: its moment has come;
// `afterSleep`: the PC slept through the wait that found it): the final
// count-down, then FinishRun. A count-down that was cancelled or superseded
// ends the thread with nothing more.
void CountDownAndFinish(Operation operation, const RunToken& token, bool reached, const Settings& settings,
                        bool afterSleep = false);
