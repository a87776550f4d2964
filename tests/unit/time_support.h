// Time zones and calendar records shared by the tests of local time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>

inline TIME_ZONE_INFORMATION FixedZone(LONG bias) {
    TIME_ZONE_INFORMATION zone{};
    zone.Bias = bias;
    return zone;
}

// UTC+1, daylight saving from the last Sunday of March 02:00 to the last
// Sunday of October 03:00.
inline TIME_ZONE_INFORMATION CentralEuropeanZone() {
    TIME_ZONE_INFORMATION zone{};
    zone.Bias = -60;
    zone.StandardBias = 0;
    zone.DaylightBias = -60;
    zone.StandardDate.wMonth = 10;
    zone.StandardDate.wDayOfWeek = 0;
    zone.StandardDate.wDay = 5;
    zone.StandardDate.wHour = 3;
    zone.DaylightDate.wMonth = 3;
    zone.DaylightDate.wDayOfWeek = 0;
    zone.DaylightDate.wDay = 5;
    zone.DaylightDate.wHour = 2;
    return zone;
}

// A broken-down time with a calendar month (1-12).
inline std::tm Record(int year, int month, int day, int hour, int minute, int second, int isdst = -1) {
    std::tm record{};
    record.tm_year = year - 1900;
    record.tm_mon = month - 1;
    record.tm_mday = day;
    record.tm_hour = hour;
    record.tm_min = minute;
    record.tm_sec = second;
    record.tm_isdst = isdst;
    return record;
}

// Seconds since 1970 of a UTC date and time.
inline std::int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second = 0) {
    std::tm record = Record(year, month, day, hour, minute, second, 0);
    return _mkgmtime64(&record);
}
