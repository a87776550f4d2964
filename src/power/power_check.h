// What this PC will really do with an end action or a wake-up, told before an
// operation is armed: a plain function of the PC's power facts and what was
// chosen, so every case is a table test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/power_facts.h"
#include "state/end_action.h"

enum class Advice {
    Refuse,  // the action cannot happen at all
    Warn,    // it will happen differently, or may not happen
};

struct PowerFinding {
    Advice advice;
    std::wstring text;  // one of the texts of state/texts.h, filled in
};

// The findings for an end action the machine is to carry out: standby that
// will hibernate instead, or cannot happen; hibernation that cannot happen; a
// shutdown or reboot the user may not make. Unknown facts find nothing.
std::vector<PowerFinding> AssessEndAction(const PowerFacts& facts, EndAction action);

// The findings for an operation that holds the machine awake until its end
// (the scheduled end, the timer end, the wait for a program): on a Modern
// Standby PC on battery Windows drops a program's request to stay awake five
// minutes after the sleep time-out, and the machine sleeps through the end.
std::vector<PowerFinding> AssessHeldAwake(const PowerFacts& facts);

// What a wake-up is armed for.
struct WakePlan {
    EndAction action;  // the end action that puts the machine to sleep
    // The code a timer set to resume the machine left behind once it had
    // been set (ProbeResumeCode, or SetWaitableTimer's own).
    std::optional<DWORD> timerCode;
    // The wake-up's fixed date (month and day chosen), seconds since 1970,
    // and the scheduled end it is meant to follow. A wake-up is resolved
    // when it is armed, at the end: one whose month or day is left open comes
    // round again after it, but a fixed date that comes before the end is gone.
    std::optional<std::int64_t> wakeMoment;
    std::optional<std::int64_t> endMoment;
};

// The findings for a wake-up (all warnings): the system cannot resume on a
// timer; the machine will hibernate and the clock cannot wake it from there;
// wake timers are switched off, or limited to important ones, for the power
// source in use; the wake-up's fixed date comes before the scheduled end
// (the date is named).
std::vector<PowerFinding> AssessWakeUp(const PowerFacts& facts, const WakePlan& plan);

// Whether this PC can resume on a timer, asked of a timer of the probe's own
// before anything is armed: the code setting it left behind, or nothing when
// the probe itself failed.
std::optional<DWORD> ProbeResumeCode();

// The facts of this PC through the system seam, the shutdown privilege
// included (enabling it tells whether the user holds it).
PowerFacts GatherPowerFacts();
