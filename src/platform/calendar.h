// Calendar time (seconds since 1970-01-01 UTC) and broken-down local time in
// the zone of the system seam. Local time is the standard calendar record
// (std::tm: month 0-11, years since 1900, weekday 0 = Sunday).
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>

// Breaks a calendar time down into local time.
std::tm LocalTimeOf(std::int64_t seconds);

// Converts a local record to calendar time and normalises it in place, like
// the standard make-time routine: day 31 of a 30-day month becomes the first
// of the next, month 12 becomes January of the next year. Daylight saving is
// decided for the moment itself, whatever the record's daylight flag says,
// so the result is always the wall-clock time asked for; only where that
// time happens twice (the hour repeated in autumn) does a flag of 0 or 1
// choose between the two instants. A time in the hour skipped in spring
// gives the instant as far past the change (02:30 becomes the moment the
// clock shows 03:30); the record keeps the time asked for. Returns -1 when
// the moment lies outside what the system can represent.
std::int64_t MakeLocalTime(std::tm& record);

// Local time to UTC by the zone's own rules, as TzSpecificLocalTimeToSystemTime
// converts (which Windows 2000 lacks, and which is used wherever it exists):
// the hour skipped when daylight saving starts reads as daylight time, the
// hour repeated when it ends as its first, daylight, pass. False for a date
// the system cannot represent.
bool LocalToUtcByRules(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& local, SYSTEMTIME& utc);
