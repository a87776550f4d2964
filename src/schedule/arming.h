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

// Before an operation that ends in `action` is armed: the end action's
// findings, and, when a wake-up follows (`wake`, the wake-up's moment as the
// combos choose it, is given when a resume mode arms one after the action)
// and the action sleeps, the wake-up's: that moment seen from now against
// `endMoment`, the operation's own moment where it has one.
// Whether arming goes on.
bool MayArm(EndAction action, Attendance attendance, std::optional<std::int64_t> endMoment, const MomentTexts* wake,
            const Settings& settings);

// After the wake-up's timer has been set, with the code SetWaitableTimer left
// behind: what the wake-up will really do after the end action (WAYTOEND).
void AdviseWakeUp(DWORD timerCode, Attendance attendance, const Settings& settings);
