// Local-time conversions over the zone of the system seam.
#include "platform/calendar.h"

#include <windows.h>

#include <optional>

#include "platform/system.h"
#include "platform/system_library.h"

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yoe = year - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct CivilDate {
    std::int64_t year;
    int month;  // 1-12
    int day;
};

CivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2), month, day};
}

// Fills every field of a record from seconds counted on the local wall clock.
void FillRecord(std::int64_t wallSeconds, int isDst, std::tm& record) {
    const std::int64_t days = FloorDiv(wallSeconds, kSecondsPerDay);
    const std::int64_t secondOfDay = wallSeconds - days * kSecondsPerDay;
    const CivilDate date = CivilFromDays(days);
    record.tm_sec = static_cast<int>(secondOfDay % 60);
    record.tm_min = static_cast<int>(secondOfDay / 60 % 60);
    record.tm_hour = static_cast<int>(secondOfDay / 3600);
    record.tm_mday = date.day;
    record.tm_mon = date.month - 1;
    record.tm_year = static_cast<int>(date.year - 1900);
    record.tm_wday = static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);  // 1970-01-01 was a Thursday
    record.tm_yday = static_cast<int>(days - DaysFromCivil(date.year, 1, 1));
    record.tm_isdst = isDst;
}

const TIME_ZONE_INFORMATION& ZoneInForce(TIME_ZONE_INFORMATION& scratch) {
    if (const TIME_ZONE_INFORMATION* zone = Sys().Zone()) return *zone;
    scratch = {};
    ::GetTimeZoneInformation(&scratch);
    return scratch;
}

bool ToSystemTime(std::int64_t seconds, SYSTEMTIME& out) {
    // FILETIME covers 1601 to 30827; outside it there is nothing to convert.
    if (seconds < -11644473600LL || seconds > 910692730085LL) return false;
    const std::int64_t ticks = seconds * kTicksPerSecond + kUnixEpochTicks;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
    return ::FileTimeToSystemTime(&ft, &out) != FALSE;
}

std::int64_t SecondsOf(const SYSTEMTIME& st) {
    return DaysFromCivil(st.wYear, st.wMonth, st.wDay) * kSecondsPerDay + std::int64_t{st.wHour} * 3600 +
           std::int64_t{st.wMinute} * 60 + st.wSecond;
}

// The wall-clock seconds of an instant in the zone, and whether daylight
// saving is in force then.
bool WallClockOf(std::int64_t seconds, const TIME_ZONE_INFORMATION& zone, std::int64_t& wallSeconds, int& isDst) {
    SYSTEMTIME utc, local;
    if (!ToSystemTime(seconds, utc)) return false;
    if (!::SystemTimeToTzSpecificLocalTime(&zone, &utc, &local)) return false;
    wallSeconds = SecondsOf(local);
    const std::int64_t offsetMinutes = (wallSeconds - seconds) / 60;
    isDst = zone.DaylightDate.wMonth != 0 && zone.DaylightBias != zone.StandardBias &&
            offsetMinutes == -(zone.Bias + zone.DaylightBias);
    return true;
}

// The wall-clock seconds at which a zone's transition rule falls in `year`:
// a fixed date when the rule names its year, otherwise the wDay-th (5: the
// last) wDayOfWeek of the month. Nothing when the rule is for another year.
std::optional<std::int64_t> TransitionWall(const SYSTEMTIME& rule, std::int64_t year) {
    if (rule.wMonth < 1 || rule.wMonth > 12) return std::nullopt;
    std::int64_t day = 0;
    if (rule.wYear != 0) {
        if (rule.wYear != year) return std::nullopt;
        day = DaysFromCivil(year, rule.wMonth, rule.wDay);
    } else {
        const std::int64_t first = DaysFromCivil(year, rule.wMonth, 1);
        const std::int64_t next =
            rule.wMonth == 12 ? DaysFromCivil(year + 1, 1, 1) : DaysFromCivil(year, rule.wMonth + 1, 1);
        const std::int64_t firstWeekday = first + 4 - FloorDiv(first + 4, 7) * 7;  // 1970-01-01 was a Thursday
        day = first + (rule.wDayOfWeek - firstWeekday + 7) % 7;
        const int week = rule.wDay < 1 ? 1 : (rule.wDay > 5 ? 5 : rule.wDay);
        day += std::int64_t{7} * (week - 1);
        while (day >= next) day -= 7;  // week 5 means the last one
    }
    return day * kSecondsPerDay + std::int64_t{rule.wHour} * 3600 + std::int64_t{rule.wMinute} * 60 + rule.wSecond;
}

// TzSpecificLocalTimeToSystemTime when this Windows has it (XP and later),
// loaded late so that the program still starts on Windows 2000.
using LocalToSystemTime = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, SYSTEMTIME*);
LateFunction<LocalToSystemTime> systemConversion{L"kernel32.dll", "TzSpecificLocalTimeToSystemTime"};

bool LocalToUtc(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& local, SYSTEMTIME& utc) {
    if (const LocalToSystemTime convert = systemConversion.Get()) return convert(&zone, &local, &utc) != FALSE;
    return LocalToUtcByRules(zone, local, utc);
}

}  // namespace

bool LocalToUtcByRules(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& local, SYSTEMTIME& utc) {
    if (local.wMonth < 1 || local.wMonth > 12 || local.wDay < 1 || local.wDay > 31) return false;
    const std::int64_t wall = SecondsOf(local);
    const std::int64_t year = local.wYear;
    bool daylight = false;
    if (zone.DaylightDate.wMonth != 0 && zone.DaylightBias != zone.StandardBias) {
        // The start is given on standard time, the end on daylight time, both
        // as the wall clock reads them. The hour skipped at the start reads
        // as daylight time, the hour repeated at the end as its first,
        // daylight, pass: as the system's own conversion reads them.
        const std::optional<std::int64_t> start = TransitionWall(zone.DaylightDate, year);
        const std::optional<std::int64_t> end = TransitionWall(zone.StandardDate, year);
        if (start && end) {
            daylight = *start < *end ? (wall >= *start && wall < *end) : (wall >= *start || wall < *end);
        }
    }
    const std::int64_t biasMinutes = std::int64_t{zone.Bias} + (daylight ? zone.DaylightBias : zone.StandardBias);
    return ToSystemTime(wall + biasMinutes * 60, utc);
}

std::tm LocalTimeOf(std::int64_t seconds) {
    TIME_ZONE_INFORMATION scratch;
    const TIME_ZONE_INFORMATION& zone = ZoneInForce(scratch);
    std::int64_t wall = 0;
    int isDst = 0;
    if (!WallClockOf(seconds, zone, wall, isDst)) {
        wall = seconds - static_cast<std::int64_t>(zone.Bias) * 60;  // outside the system's range
        isDst = 0;
    }
    std::tm record{};
    FillRecord(wall, isDst, record);
    return record;
}

std::int64_t MakeLocalTime(std::tm& record) {
    const int askedDst = record.tm_isdst;
    // Normalise the fields arithmetically, as wall-clock seconds.
    const std::int64_t months = static_cast<std::int64_t>(record.tm_year) * 12 + record.tm_mon;
    const std::int64_t year = 1900 + FloorDiv(months, 12);
    const int month = static_cast<int>(months - FloorDiv(months, 12) * 12) + 1;
    const std::int64_t days = DaysFromCivil(year, month, 1) + record.tm_mday - 1;
    const std::int64_t wall = days * kSecondsPerDay + static_cast<std::int64_t>(record.tm_hour) * 3600 +
                              static_cast<std::int64_t>(record.tm_min) * 60 + record.tm_sec;

    TIME_ZONE_INFORMATION scratch;
    const TIME_ZONE_INFORMATION& zone = ZoneInForce(scratch);
    SYSTEMTIME local, utc;
    if (!ToSystemTime(wall, local)) return -1;
    if (!LocalToUtc(zone, local, utc)) return -1;
    std::int64_t result = SecondsOf(utc);

    std::int64_t resultWall = 0;
    int isDst = 0;
    if (!WallClockOf(result, zone, resultWall, isDst)) return -1;
    // A time in the hour skipped when daylight saving starts never shows on
    // the wall clock. The system reads it on the new offset, an instant the
    // clock shows as before the skip, an hour earlier than asked; take it on
    // the old offset instead, as far past the change as it lies past the
    // start of the skip, so that nothing happens before the time asked for.
    if (resultWall < wall) {
        const std::int64_t later = result + (wall - resultWall);
        std::int64_t laterWall = 0;
        int laterDst = 0;
        if (WallClockOf(later, zone, laterWall, laterDst) && laterWall >= wall) {
            result = later;
            resultWall = laterWall;
            isDst = laterDst;
        }
    }
    // The hour repeated when daylight saving ends reads the same on the wall
    // clock at two instants. There a daylight flag of 0 or 1 picks the
    // instant, as with the standard make-time routine, so that a record from
    // LocalTimeOf converts back to its own moment; anywhere else the flag
    // changes nothing.
    const std::int64_t shift = static_cast<std::int64_t>(zone.StandardBias - zone.DaylightBias) * 60;
    if (askedDst >= 0 && (askedDst != 0) != (isDst != 0) && shift != 0 && resultWall == wall) {
        const std::int64_t other = isDst ? result + shift : result - shift;
        std::int64_t otherWall = 0;
        int otherDst = 0;
        if (WallClockOf(other, zone, otherWall, otherDst) && otherWall == wall && (otherDst != 0) == (askedDst != 0)) {
            result = other;
            isDst = otherDst;
        }
    }
    // The record keeps the wall-clock fields asked for, normalised; a time
    // that falls into a spring-forward gap is not shifted in the record.
    FillRecord(wall, isDst, record);
    return result;
}
