// The clock line's format.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/clock.h"
#include "res/resource.h"
#include "fake_system.h"
#include "platform/calendar.h"
#include "time_support.h"
#include "ui_test_support.h"

namespace {

std::tm Moment(int year, int month, int day, int hour, int minute, int second, int wday) {
    std::tm now = Record(year, month, day, hour, minute, second);
    now.tm_wday = wday;
    return now;
}

}  // namespace

TEST(ClockLine, NumbersWithoutLeadingZerosAndWeekdayName) {
    wchar_t line[kClockLineUnits];
    FormatClockLine(Moment(2026, 12, 5, 9, 5, 7, 6), line);
    EXPECT_STREQ(L"現在： 9時5分7秒 （2026年12月5日[土曜])", line);
}

TEST(ClockLine, TwoDigitFieldsAndMidnight) {
    wchar_t line[kClockLineUnits];
    FormatClockLine(Moment(2026, 12, 31, 23, 59, 58, 4), line);
    EXPECT_STREQ(L"現在： 23時59分58秒 （2026年12月31日[木曜])", line);
    FormatClockLine(Moment(2027, 1, 1, 0, 0, 0, 5), line);
    EXPECT_STREQ(L"現在： 0時0分0秒 （2027年1月1日[金曜])", line);
}

TEST(ClockLine, EveryWeekdayName) {
    const wchar_t* const names[] = {L"日曜", L"月曜", L"火曜", L"水曜", L"木曜", L"金曜", L"土曜"};
    for (int wday = 0; wday < 7; ++wday) {
        SCOPED_TRACE(wday);
        wchar_t line[kClockLineUnits];
        // 6 to 12 December 2026 run from Sunday to Saturday.
        FormatClockLine(Moment(2026, 12, 6 + wday, 12, 0, 0, wday), line);
        EXPECT_EQ(L"現在： 12時0分0秒 （2026年12月" + std::to_wstring(6 + wday) + L"日[" + names[wday] + L"])",
                  std::wstring(line));
    }
}

// A record that did not come from the calendar must not index past the names.
TEST(ClockLine, WeekdayOutsideTheWeekReadsNothingOutsideTheNames) {
    for (int wday : {-1, 7, 1000}) {
        SCOPED_TRACE(wday);
        wchar_t line[kClockLineUnits];
        FormatClockLine(Moment(2026, 12, 5, 9, 5, 7, wday), line);
        EXPECT_STREQ(L"現在： 9時5分7秒 （2026年12月5日[日曜])", line);
    }
}

// The clock thread's two steps: the seam's time in the seam's zone.
TEST(ClockLine, FromTheSystemClockInItsZone) {
    TIME_ZONE_INFORMATION japan = FixedZone(-540);
    FakeSystem fake;
    fake.zone = &japan;
    fake.now = 1796429107;  // 2026-12-05 00:05:07 UTC
    ScopedSystem scoped(fake);
    wchar_t line[kClockLineUnits];
    FormatClockLine(LocalTimeOf(Sys().Now()), line);
    EXPECT_STREQ(L"現在： 9時5分7秒 （2026年12月5日[土曜])", line);
}

// The line is written at once when the window is seen again, and only then:
// while it stays seen the clock thread writes it.
TEST(ClockLine, WrittenWhenTheWindowIsSeenAgain) {
    TIME_ZONE_INFORMATION japan = FixedZone(-540);
    FakeSystem fake;
    fake.zone = &japan;
    ScopedSystem scoped(fake);
    test_support::TestDialog main(IDD_MAIN);
    HWND clock = main.Item(IDC_MAIN_CLOCK);
    ::SetWindowTextW(clock, L"old");
    struct Step {
        bool seen;
        std::int64_t now;  // UTC seconds
        const wchar_t* line;
    } const steps[] = {
        {false, 1796429107, L"old"},
        {true, 1796429107, L"現在： 9時5分7秒 （2026年12月5日[土曜])"},
        {true, 1796429110, L"現在： 9時5分7秒 （2026年12月5日[土曜])"},
        {false, 1796429112, L"現在： 9時5分7秒 （2026年12月5日[土曜])"},
        {true, 1796429113, L"現在： 9時5分13秒 （2026年12月5日[土曜])"},
    };
    for (const Step& step : steps) {
        fake.now = step.now;
        SetClockLineSeen(main.get(), step.seen);
        EXPECT_EQ(test_support::WindowText(clock), step.line) << step.seen << " at " << step.now;
    }
    SetClockLineSeen(main.get(), false);
}
