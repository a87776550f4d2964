// The one process-wide record that the program's threads share: the
// in-memory settings, the state of the four operations, and the texts that
// feed the main window and the notification area.
//
// Flags that threads share are atomics; texts that threads share are
// SharedText, copied whole under a lock.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <ctime>

#include "platform/critical_section.h"
#include "platform/handle.h"
#include "platform/system.h"
#include "state/end_action.h"
#include "state/operation.h"
#include "state/settings.h"
#include "state/shared_text.h"
#include "state/texts.h"
#include "state/thread_slot.h"

// Handed to every operation thread.
//
// Each start of an operation is one generation of its block. A thread knows
// the generation it was started for; once the block has been armed again (a
// restart after resume while the old thread still sleeps), the old thread is
// stale: it ends without acting and without touching the shared state that
// now belongs to the new thread. Arming and the old thread's last decisions
// are made under the block's lock, so they cannot interleave.
struct RunBlock {
    std::atomic<std::uint32_t> run{0};  // nonzero while the operation may go on
    wchar_t name[50] = {};              // the process waited for
    std::tm target{};                   // resolved moment of the scheduled end or wake-up
    HANDLE startedEvent = nullptr;      // borrowed: set once the scheduled end has started
    // What 延長 counts from: the timer end's seconds left at its last tick,
    // and the wait's moment once the program has gone (seconds since 1970,
    // 0 while it runs): when it was seen gone, or the moment put off to.
    std::atomic<std::int32_t> secondsLeft{0};
    std::atomic<std::int64_t> moment{0};

    std::atomic<std::uint32_t> generation{0};
    CriticalSection lock;
    // Set by Cancel, reset by Arm: the worker's waits end on it at once.
    OwnedHandle stop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    // Sets `run` for a new start and returns the start's generation.
    std::uint32_t Arm() {
        Lock hold(lock);
        ::ResetEvent(stop.get());
        run = 1;
        return ++generation;
    }

    // Clears `run` and wakes the worker from its wait.
    void Cancel() {
        run = 0;
        ::SetEvent(stop.get());
    }
};

// One thread's view of its block.
class RunToken {
public:
    RunToken(RunBlock& block, std::uint32_t generation) : block_(block), generation_(generation) {}

    RunBlock& block() const { return block_; }
    std::uint32_t generation() const { return generation_; }
    // The block has not been armed again since this thread was started.
    bool Current() const { return block_.generation.load() == generation_; }
    // The operation may go on.
    bool Running() const { return block_.run.load() != 0 && Current(); }

    // Waits up to `milliseconds`, ended early by a cancel; then whether the
    // operation may go on.
    bool Wait(DWORD milliseconds) const {
        Sys().WaitForStop(block_.stop.get(), milliseconds);
        return Running();
    }

    // Waits until the monotonic clock (Sys().Ticks()) reaches `deadline`,
    // but never longer than `longest`, ended early by a cancel; then whether
    // the operation may go on. Steps paced this way keep their rhythm
    // whatever the work between them costs; the cap holds where the clock
    // steps back (the performance counter of some multi-core XP machines)
    // and would otherwise stretch one wait without bound.
    bool WaitUntil(std::uint64_t deadline, DWORD longest) const {
        const std::uint64_t now = Sys().Ticks();
        const std::uint64_t left = deadline > now ? deadline - now : 0;
        return Wait(left < longest ? static_cast<DWORD>(left) : longest);
    }

    // Runs f under the block's lock if this thread is still current; returns
    // whether it ran.
    template <typename F>
    bool IfCurrent(F f) const {
        Lock hold(block_.lock);
        if (!Current()) return false;
        f();
        return true;
    }

private:
    RunBlock& block_;
    std::uint32_t generation_;
};

// One operation: its idle caption and its state. Its button offers a start
// while `idle` is set and a cancel otherwise; `running` is set by the worker
// while it is active (for the wake-up: while its timer is armed). Which
// button that is, the windows know (ui/controls.h).
struct OperationRecord {
    explicit OperationRecord(const wchar_t* idle) : idleCaption(idle) {}
    OperationRecord(const OperationRecord&) = delete;
    OperationRecord& operator=(const OperationRecord&) = delete;

    const wchar_t* const idleCaption;  // the button's caption while the operation is idle
    RunBlock block;
    ThreadSlot thread;
    std::atomic<std::uint32_t> idle{1};
    std::atomic<std::uint32_t> running{0};
};

// The settings (state/settings.h) come first.
struct AppState : Settings {
    // The four operations, indexed by Operation; operation() reaches one.
    OperationRecord operations[kOperationCount] = {
        OperationRecord{kScheduledEndCaption},
        OperationRecord{kTimerEndCaption},
        OperationRecord{kWaitProgramCaption},
        OperationRecord{kWakeCaption},
    };
    // The count-down after a wake-up runs on the wake-up's thread, block and
    // button, so it is the wake-up's record; every other index is in range.
    OperationRecord& operation(Operation which) { return operations[RecordIndex(which)]; }
    static constexpr std::size_t RecordIndex(Operation which) {
        return which == Operation::WakeCountdown ? static_cast<std::size_t>(Operation::Wake)
                                                 : static_cast<std::size_t>(which);
    }
    // The wake-up's timer, and the start-up thread that hides the windows
    // once the scheduled end has started.
    GuardedHandle wakeTimer;
    RunBlock startupBlock;
    ThreadSlot startupMinimizeThread;

    // Wake-up and resume.
    std::atomic<std::uint32_t> wakeFired{0};
    std::atomic<std::uint32_t> wakeProgramFinished{0};
    // The final count-down after a wake-up (WakeRunProgramThenEnd) runs on the
    // wake thread for this generation of the wake-up's block.
    std::atomic<std::uint32_t> resumeCountdownRunning{0};
    std::atomic<std::uint32_t> resumeCountdownGeneration{0};
    std::atomic<std::uint32_t> restartAfterResume{0};
    // The generation of the wake-up's run armed to follow an end action
    // (ArmWakeIfIdle); 0: none. GUI thread only.
    std::uint32_t wakeFollowingEnd = 0;

    // Texts.
    SharedText<kHeadlineUnits> headline;
    SharedText<kHeadlineUnits> typedPhrase;
    SharedText<256> actionName;
    SharedText<kDetailUnits> detailLine;

    // Text effects.
    std::atomic<std::uint32_t> marqueeOn{1};
    std::atomic<std::uint32_t> marqueeRun{0};
    std::atomic<std::uint32_t> scatterRun{0};
    std::atomic<std::int32_t> marqueeX{0};

    // Handles.
    HINSTANCE instance = nullptr;
    OwnedHandle scheduleStartedEvent;
};

// The record the program runs on. The process entry installs one that lives
// until the process ends (worker threads may run until then); a test installs
// a fresh one for each test.
AppState& App();
void InstallApp(AppState& state);

// Empties the detail line and sets the headline back to the typed phrase, or
// the stored phrase when nothing was typed.
void RestoreHeadline();
