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

// What a wake-up is armed for.
struct WakePlan {
    EndAction action;  // the end action that puts the machine to sleep
    // The code SetWaitableTimer left behind once it had succeeded.
    std::optional<DWORD> timerCode;
    std::optional<std::int64_t> wakeMoment;  // seconds since 1970
    std::optional<std::int64_t> endMoment;   // the scheduled end it is meant to follow
};

// The findings for a wake-up (all warnings): the system cannot resume on a
// timer; the machine will hibernate and the clock cannot wake it from there;
// wake timers are switched off, or limited to important ones, for the power
// source in use; the wake-up comes before the scheduled end.
std::vector<PowerFinding> AssessWakeUp(const PowerFacts& facts, const WakePlan& plan);

// The facts of this PC through the system seam, the shutdown privilege
// included (enabling it tells whether the user holds it).
PowerFacts GatherPowerFacts();
