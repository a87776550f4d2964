// What the program says of this PC's power as an operation is armed, and
// whether the arming goes on.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "power/power_check.h"
#include "schedule/moments.h"
#include "state/settings.h"

// Who armed the operation: the user, by its button, or the program itself
// (start-up registration, a resume cycle re-arming itself, the end of a run
// arming the next wake-up).
enum class Attendance { User, Unattended };

// Says the findings and tells whether arming goes on. With the user at the
// screen a refusal is an error box owned by the main window and arming stops,
// except in test mode, where it is a warning and arming goes on so that the
// flow can still be tried; warnings are a warning box, and arming goes on.
// Without the user every finding is a warning balloon of the icon and arming
// always goes on. Test mode is the TESTCHECK of `settings`.
bool PresentFindings(const std::vector<PowerFinding>& findings, Attendance attendance, const Settings& settings);

// A warning box with the user at the screen; without the user, a warning
// balloon of the icon, since a box would wait for nobody.
void Warn(const wchar_t* text, Attendance attendance);

// Before an operation that ends in `action` is armed, one that holds the
// machine awake until its end: the end action's findings, those of holding
// the machine awake, and, when a wake-up follows (`wake`, the wake-up's
// moment as the combos choose it, is given when a resume mode arms one after
// the action) and the action sleeps, the wake-up's: whether the PC can resume
// on a timer, and a fixed date that comes before `endMoment`, the
// operation's own moment where it has one.
// Whether arming goes on.
bool MayArm(EndAction action, Attendance attendance, std::optional<std::int64_t> endMoment, const MomentTexts* wake,
            const Settings& settings);

// Before an end action the user asks for at once: its findings alone.
// Whether it goes on.
bool MayEndNow(EndAction action, const Settings& settings);

// Before the wake-up is armed: what it will really do after the end action
// (WAYTOEND), told before its button shows it armed.
void AdviseWakeUp(Attendance attendance, const Settings& settings);
