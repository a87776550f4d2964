// The two moments the main window's combos choose: the scheduled end's and
// the wake-up's.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

enum class ChosenMoment { End, Wake };

// ResolveTargetTime of the month, day, hour and minute combos of the end or
// of the wake-up, as the main window shows them now (all empty when it is
// closed), seen from `now`.
std::optional<std::tm> ResolveChosenMoment(ChosenMoment which, std::int64_t now);
