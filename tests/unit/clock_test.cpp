// The clock line's format.
#include <gtest/gtest.h>

#include "app/clock.h"

TEST(ClockLine, NumbersWithoutLeadingZerosAndWeekdayName) {
    std::tm now{};
    now.tm_hour = 9;
    now.tm_min = 5;
    now.tm_sec = 7;
    now.tm_year = 2026 - 1900;
    now.tm_mon = 11;
    now.tm_mday = 5;
    now.tm_wday = 6;
    wchar_t line[kClockLineUnits];
    FormatClockLine(now, line);
    EXPECT_STREQ(L"現在： 9時5分7秒 （2026年12月5日[土曜])", line);
}
