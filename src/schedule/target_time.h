// The next moment that matches a month, day, hour and minute as the main
// window's combos show them.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

// The next moment, at or after `now`, that matches the four combo texts. An
// empty or "0" month or day is not fixed; hour and minute are numbers (empty
// counts as 0). The moment is pushed forward a year (month and day fixed), a
// day (neither) or a month (one of them) until it is not before `now`.
// Nothing when no such moment can be determined (the time conversion fails,
// or no future moment is found within a bounded number of steps).
std::optional<std::tm> ResolveTargetTime(const wchar_t* month, const wchar_t* day, const wchar_t* hour,
                                         const wchar_t* minute, std::int64_t now);
