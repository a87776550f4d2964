// The two moments the main window's combos choose: the scheduled end's and
// the wake-up's, as the texts the combos show.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

// A month, day, hour and minute as typed or chosen; an empty text is "any".
struct MomentTexts {
    wchar_t month[8] = {};
    wchar_t day[8] = {};
    wchar_t hour[8] = {};
    wchar_t minute[8] = {};
};

struct ChosenMoments {
    MomentTexts end;
    MomentTexts wake;
};

// ResolveTargetTime of the texts, seen from `now`.
std::optional<std::tm> ResolveMoment(const MomentTexts& texts, std::int64_t now);

// Whether the texts fix a date, month and day both: such a moment comes once
// a year, where one with the month or the day left open comes round again.
bool FixesDate(const MomentTexts& texts);
