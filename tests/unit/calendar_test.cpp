// Local-time conversions over a zone installed through the system seam: a
// zone without daylight saving and a central-European one with it.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstdint>
#include <ctime>

#include "fake_system.h"
#include "platform/calendar.h"
#include "time_support.h"

namespace {

struct Fields {
    int year, month, day, hour, minute, second;  // calendar month 1-12
    int wday, yday, isdst;
};

void ExpectFields(const Fields& f, const std::tm& r) {
    EXPECT_EQ(f.year, r.tm_year + 1900);
    EXPECT_EQ(f.month, r.tm_mon + 1);
    EXPECT_EQ(f.day, r.tm_mday);
    EXPECT_EQ(f.hour, r.tm_hour);
    EXPECT_EQ(f.minute, r.tm_min);
    EXPECT_EQ(f.second, r.tm_sec);
    EXPECT_EQ(f.wday, r.tm_wday);
    EXPECT_EQ(f.yday, r.tm_yday);
    EXPECT_EQ(f.isdst, r.tm_isdst);
}

bool SameRecord(const std::tm& a, const std::tm& b) {
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday && a.tm_hour == b.tm_hour &&
           a.tm_min == b.tm_min && a.tm_sec == b.tm_sec && a.tm_wday == b.tm_wday && a.tm_yday == b.tm_yday &&
           a.tm_isdst == b.tm_isdst;
}

class Calendar : public ::testing::Test {
protected:
    void Use(const TIME_ZONE_INFORMATION& zone) {
        zone_ = zone;
        fake_.zone = &zone_;
    }
    TIME_ZONE_INFORMATION zone_{};
    FakeSystem fake_;
    ScopedSystem scoped_{fake_};
};

struct BreakDownCase {
    const char* what;
    std::int64_t seconds;
    Fields local;
};

TEST_F(Calendar, BreaksDownInAZoneWithoutDaylightSaving) {
    Use(FixedZone(-540));  // UTC+9
    const BreakDownCase cases[] = {
        {"2026-12-05 00:05:07 UTC", 1796429107, {2026, 12, 5, 9, 5, 7, 6, 338, 0}},
        {"epoch", 0, {1970, 1, 1, 9, 0, 0, 4, 0, 0}},
        {"a second before the epoch", -1, {1970, 1, 1, 8, 59, 59, 4, 0, 0}},
        {"crosses into the next day", 1735646400 + 3 * 3600, {2025, 1, 1, 0, 0, 0, 3, 0, 0}},
        {"last day of a leap year", 1735646400, {2024, 12, 31, 21, 0, 0, 2, 365, 0}},
        {"29 February 2000", 951782400, {2000, 2, 29, 9, 0, 0, 2, 59, 0}},
        {"1 March 2100, not a leap year", 4107542400, {2100, 3, 1, 9, 0, 0, 1, 59, 0}},
        {"before the epoch", -86400 * 365, {1969, 1, 1, 9, 0, 0, 3, 0, 0}},
    };
    for (const BreakDownCase& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectFields(c.local, LocalTimeOf(c.seconds));
    }
}

TEST_F(Calendar, BreaksDownAroundDaylightSavingChanges) {
    Use(CentralEuropeanZone());
    constexpr std::int64_t kSpring = 1774746000;  // 2026-03-29 01:00 UTC, clocks go 02:00 -> 03:00
    constexpr std::int64_t kAutumn = 1792890000;  // 2026-10-25 01:00 UTC, clocks go 03:00 -> 02:00
    const BreakDownCase cases[] = {
        {"winter", 1768478400, {2026, 1, 15, 13, 0, 0, 4, 14, 0}},
        {"summer", 1782907200, {2026, 7, 1, 14, 0, 0, 3, 181, 1}},
        {"last second before spring", kSpring - 1, {2026, 3, 29, 1, 59, 59, 0, 87, 0}},
        {"first second of summer time", kSpring, {2026, 3, 29, 3, 0, 0, 0, 87, 1}},
        {"last second of summer time", kAutumn - 1, {2026, 10, 25, 2, 59, 59, 0, 297, 1}},
        {"first second of winter time", kAutumn, {2026, 10, 25, 2, 0, 0, 0, 297, 0}},
        {"day after spring", 1774857600, {2026, 3, 30, 10, 0, 0, 1, 88, 1}},
        {"day after autumn", 1793005200, {2026, 10, 26, 10, 0, 0, 1, 298, 0}},
    };
    for (const BreakDownCase& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectFields(c.local, LocalTimeOf(c.seconds));
    }
}

struct NormaliseCase {
    const char* what;
    std::tm asked;
    Fields normalised;
};

TEST_F(Calendar, MakeNormalisesInPlaceAndRoundTrips) {
    Use(FixedZone(-540));
    const NormaliseCase cases[] = {
        {"31 April", Record(2026, 4, 31, 10, 0, 0), {2026, 5, 1, 10, 0, 0, 5, 120, 0}},
        {"month 12", Record(2026, 13, 5, 9, 5, 7), {2027, 1, 5, 9, 5, 7, 2, 4, 0}},
        {"29 February of a common year", Record(2026, 2, 29, 0, 0, 0), {2026, 3, 1, 0, 0, 0, 0, 59, 0}},
        {"29 February of a leap year", Record(2028, 2, 29, 0, 0, 0), {2028, 2, 29, 0, 0, 0, 2, 59, 0}},
        {"day 0", Record(2026, 3, 0, 12, 0, 0), {2026, 2, 28, 12, 0, 0, 6, 58, 0}},
        {"hour 24", Record(2026, 12, 31, 24, 0, 0), {2027, 1, 1, 0, 0, 0, 5, 0, 0}},
        {"minute -1", Record(2026, 1, 1, 0, -1, 0), {2025, 12, 31, 23, 59, 0, 3, 364, 0}},
        {"second 3600", Record(2026, 6, 1, 0, 0, 3600), {2026, 6, 1, 1, 0, 0, 1, 151, 0}},
        {"month -1", Record(2026, 0, 15, 0, 0, 0), {2025, 12, 15, 0, 0, 0, 1, 348, 0}},
        {"already normal", Record(2026, 12, 5, 9, 5, 7), {2026, 12, 5, 9, 5, 7, 6, 338, 0}},
    };
    for (const NormaliseCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::tm record = c.asked;
        const std::int64_t seconds = MakeLocalTime(record);
        ExpectFields(c.normalised, record);
        EXPECT_TRUE(SameRecord(record, LocalTimeOf(seconds)));
    }
    std::tm record = Record(2026, 12, 5, 9, 5, 7);
    EXPECT_EQ(1796429107, MakeLocalTime(record));
}

// A wall-clock time converts to that wall-clock time whatever daylight flag
// the record carries, on either side of a change.
TEST_F(Calendar, MakeGivesTheWallClockTimeAskedForAcrossDaylightSaving) {
    Use(CentralEuropeanZone());
    const struct {
        const char* what;
        int year, month, day, hour, minute;
        std::int64_t seconds;
        int isdst;
    } cases[] = {
        {"winter", 2026, 1, 15, 13, 0, 1768478400, 0},
        {"summer", 2026, 7, 1, 14, 0, 1782907200, 1},
        {"day after spring", 2026, 3, 30, 10, 0, 1774857600, 1},
        {"day after autumn", 2026, 10, 26, 10, 0, 1793005200, 0},
        {"just before spring", 2026, 3, 29, 1, 59, 1774745940, 0},
        {"just after spring", 2026, 3, 29, 3, 0, 1774746000, 1},
        {"after the repeated autumn hour", 2026, 10, 25, 3, 0, 1792893600, 0},
        {"before the repeated autumn hour", 2026, 10, 25, 1, 59, 1792886340, 1},
    };
    for (const auto& c : cases) {
        for (int flag : {-1, 0, 1}) {
            SCOPED_TRACE(testing::Message() << c.what << ", daylight flag " << flag);
            std::tm record = Record(c.year, c.month, c.day, c.hour, c.minute, 0, flag);
            EXPECT_EQ(c.seconds, MakeLocalTime(record));
            EXPECT_EQ(c.hour, record.tm_hour);
            EXPECT_EQ(c.isdst, record.tm_isdst);
            EXPECT_TRUE(SameRecord(record, LocalTimeOf(c.seconds)));
        }
    }
}

// 02:30 on the autumn day happens twice. A daylight flag of 0 or 1 picks
// the instant; without one either is a right answer, as long as it reads
// 02:30 on the wall clock.
TEST_F(Calendar, MakeResolvesTheRepeatedAutumnHourByTheDaylightFlag) {
    Use(CentralEuropeanZone());
    constexpr std::int64_t kSummerInstant = 1792890000 - 1800;  // 00:30 UTC
    constexpr std::int64_t kWinterInstant = 1792890000 + 1800;  // 01:30 UTC
    std::tm summer = Record(2026, 10, 25, 2, 30, 0, 1);
    EXPECT_EQ(kSummerInstant, MakeLocalTime(summer));
    EXPECT_EQ(1, summer.tm_isdst);
    std::tm winter = Record(2026, 10, 25, 2, 30, 0, 0);
    EXPECT_EQ(kWinterInstant, MakeLocalTime(winter));
    EXPECT_EQ(0, winter.tm_isdst);

    std::tm unknown = Record(2026, 10, 25, 2, 30, 0, -1);
    const std::int64_t seconds = MakeLocalTime(unknown);
    EXPECT_TRUE(seconds == kSummerInstant || seconds == kWinterInstant) << seconds;
    EXPECT_TRUE(SameRecord(unknown, LocalTimeOf(seconds)));
}

// Times in the hour skipped in spring never show on the wall clock. They
// convert to the instant as far past the change, never to one the clock
// shows as earlier than asked; the record keeps the time asked for.
TEST_F(Calendar, MakePutsTheSkippedSpringHourAfterTheChange) {
    Use(CentralEuropeanZone());
    constexpr std::int64_t kChange = 1774746000;  // 01:00 UTC, the clock shows 03:00
    const struct {
        int minute;
        std::int64_t seconds;
        int shownHour;
    } cases[] = {
        {0, kChange, 3},
        {30, kChange + 1800, 3},
        {59, kChange + 3540, 3},
    };
    for (const auto& c : cases) {
        for (int flag : {-1, 0, 1}) {
            SCOPED_TRACE(testing::Message() << "02:" << c.minute << ", daylight flag " << flag);
            std::tm record = Record(2026, 3, 29, 2, c.minute, 0, flag);
            EXPECT_EQ(c.seconds, MakeLocalTime(record));
            const std::tm shown = LocalTimeOf(c.seconds);
            EXPECT_EQ(c.shownHour, shown.tm_hour);
            EXPECT_EQ(c.minute, shown.tm_min);
            ExpectFields({2026, 3, 29, 2, c.minute, 0, 0, 87, 1}, record);
            // The record converts to the same instant again.
            EXPECT_EQ(c.seconds, MakeLocalTime(record));
        }
    }
}

TEST_F(Calendar, RoundTripsEveryHourAcrossAYear) {
    Use(CentralEuropeanZone());
    const std::int64_t start = 1767225600;  // 2026-01-01 00:00 UTC
    for (std::int64_t t = start; t < start + 366 * 86400; t += 3600 + 61) {
        const std::tm local = LocalTimeOf(t);
        std::tm record = local;
        ASSERT_EQ(t, MakeLocalTime(record)) << "at " << t;
        ASSERT_TRUE(SameRecord(local, record)) << "at " << t;
    }
}

TEST_F(Calendar, MakeRefusesMomentsOutsideTheSystemRange) {
    Use(FixedZone(-540));
    std::tm late = Record(2026, 1, 1, 0, 0, 0);
    late.tm_year = INT_MAX;
    EXPECT_EQ(-1, MakeLocalTime(late));
    std::tm early = Record(1500, 1, 1, 0, 0, 0);
    EXPECT_EQ(-1, MakeLocalTime(early));
}

// Windows 2000 lacks TzSpecificLocalTimeToSystemTime: the program's own
// conversion must agree with it on every half hour of the days the clocks
// change, in both directions, and on ordinary days, in a northern, a western,
// a southern zone and one without daylight saving.
TEST(LocalToUtcByRules, AgreesWithTheSystemAcrossDaylightSavingChanges) {
    TIME_ZONE_INFORMATION eastern{};  // UTC-5: 2nd Sunday of March 02:00 to 1st Sunday of November 02:00
    eastern.Bias = 300;
    eastern.DaylightBias = -60;
    eastern.DaylightDate = SYSTEMTIME{0, 3, 0, 2, 2, 0, 0, 0};
    eastern.StandardDate = SYSTEMTIME{0, 11, 0, 1, 2, 0, 0, 0};
    TIME_ZONE_INFORMATION sydney{};  // UTC+10: 1st Sunday of October 02:00 to 1st Sunday of April 03:00
    sydney.Bias = -600;
    sydney.DaylightBias = -60;
    sydney.DaylightDate = SYSTEMTIME{0, 10, 0, 1, 2, 0, 0, 0};
    sydney.StandardDate = SYSTEMTIME{0, 4, 0, 1, 3, 0, 0, 0};
    const struct {
        const char* name;
        TIME_ZONE_INFORMATION zone;
    } zones[] = {{"central Europe", CentralEuropeanZone()},
                 {"US east", eastern},
                 {"Sydney", sydney},
                 {"Japan", FixedZone(-540)}};
    // The days of the changes in 2026 and 2027 (Europe, the US, Sydney), and two ordinary days.
    const WORD days[][3] = {{2026, 3, 29}, {2026, 10, 25}, {2026, 3, 8},  {2026, 11, 1}, {2026, 10, 4},
                            {2026, 4, 5},  {2027, 3, 28},  {2027, 11, 7}, {2026, 1, 15}, {2026, 7, 15}};
    for (const auto& z : zones) {
        for (const auto& day : days) {
            for (WORD halfHour = 0; halfHour < 48; ++halfHour) {
                const SYSTEMTIME local{
                    day[0], day[1], 0, day[2], static_cast<WORD>(halfHour / 2), static_cast<WORD>(halfHour % 2 * 30),
                    0,      0};
                SYSTEMTIME expected{}, ours{};
                ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(&z.zone, &local, &expected));
                ASSERT_TRUE(LocalToUtcByRules(z.zone, local, ours));
                EXPECT_TRUE(expected.wYear == ours.wYear && expected.wMonth == ours.wMonth &&
                            expected.wDay == ours.wDay && expected.wHour == ours.wHour &&
                            expected.wMinute == ours.wMinute)
                    << z.name << " " << day[0] << "-" << day[1] << "-" << day[2] << " " << halfHour / 2 << ":"
                    << halfHour % 2 * 30 << " system " << expected.wDay << " " << expected.wHour << ":"
                    << expected.wMinute << " ours " << ours.wDay << " " << ours.wHour << ":" << ours.wMinute;
            }
        }
    }
}

}  // namespace
