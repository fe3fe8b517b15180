#include "geo/GpsTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace kelvrant {
namespace {

TEST(gps_time, epoch_and_back) {
    const CalendarTime t = GpsToCalendar(0, 0.0);
    EXPECT_EQ(t.year, 1980);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 6);
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(t.minute, 0);
    EXPECT_DOUBLE_EQ(t.seconds, 0.0);
    std::int32_t week = -1;
    double sow = -1.0;
    CalendarToGpsTime(1980, 1, 6, 0, 0, 0.0, week, sow);
    EXPECT_EQ(week, 0);
    EXPECT_DOUBLE_EQ(sow, 0.0);
    EXPECT_EQ(DateToMjd(1980, 1, 6), 44244);
    EXPECT_EQ(DateToMjd(1901, 1, 1), 15385);
}

// Times at and around midnight and the week's end, as the writers date them: whole days must
// land on their own day, with no nudge added by the caller.
TEST(gps_time, dates_at_and_around_midnight) {
    struct Case {
        std::int32_t week;
        double seconds;
        CalendarTime expected;
    };
    const Case cases[] = {
        {1000, 345600.0, {1999, 3, 11, 0, 0, 0.0}},
        {1000, 345600.0 - 0.5, {1999, 3, 10, 23, 59, 59.5}},
        {1000, 345600.0 + 1.0 / (1 << 20), {1999, 3, 11, 0, 0, 1.0 / (1 << 20)}},
        {1000, 345600.0 - 1.0 / 1024, {1999, 3, 10, 23, 59, 60.0 - 1.0 / 1024}},
        {1000, 0.0, {1999, 3, 7, 0, 0, 0.0}},
        {999, 604800.0 - 30.0, {1999, 3, 6, 23, 59, 30.0}},
        {1000, 604800.0, {1999, 3, 14, 0, 0, 0.0}},  // the next week's Sunday
        {2086, 518400.0 + 43200.0, {2020, 1, 4, 12, 0, 0.0}},
        {2190, 86400.0 * 6 - 1.0 / 256, {2021, 12, 31, 23, 59, 60.0 - 1.0 / 256}},
        {2190, 86400.0 * 6, {2022, 1, 1, 0, 0, 0.0}},
        // A millisecond count scaled by 0.001 that falls a rounding error short of midnight.
        {1000, 345599999 * 0.001 + 0.001 * (1.0 - 1e-13), {1999, 3, 11, 0, 0, 0.0}},
        {1000, 345600.0 - 1e-11, {1999, 3, 11, 0, 0, 0.0}},
    };
    for (const Case& c : cases) {
        const CalendarTime t = GpsToCalendar(c.week, c.seconds);
        const CalendarTime& e = c.expected;
        EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour, t.minute),
                  std::tie(e.year, e.month, e.day, e.hour, e.minute))
            << c.week << " " << c.seconds;
        EXPECT_EQ(t.seconds, e.seconds) << c.week << " " << c.seconds;
    }
}

TEST(gps_time, nearest_week) {
    EXPECT_EQ(NearestWeek(1000, 604000.0, 100.0), 1001);  // forward over the week's end
    EXPECT_EQ(NearestWeek(1000, 100.0, 604000.0), 999);   // back over it
    EXPECT_EQ(NearestWeek(1000, 0.0, 302400.0), 1000);    // exactly half a week: same week
    EXPECT_EQ(NearestWeek(1000, 302400.0, 302399.0), 1000);
    EXPECT_EQ(NearestWeek(0x7fffffff, 604000.0, 0.0), 0x7fffffff);
}

TEST(gps_time, day_of_year_tables) {
    std::int32_t m = 0;
    std::int32_t d = 0;
    DayOfYearToMonthDay(2003, 60, m, d);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(d, 1);
    DayOfYearToMonthDay(2004, 60, m, d);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(d, 29);
    DayOfYearToMonthDay(2004, 366, m, d);
    EXPECT_EQ(m, 12);
    EXPECT_EQ(d, 31);
    DayOfYearToMonthDay(2003, 31, m, d);
    EXPECT_EQ(m, 1);
    EXPECT_EQ(d, 31);
    DayOfYearToMonthDay(2003, 32, m, d);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(d, 1);
    // Every day of a common and a leap year maps back to the same day of year.
    for (std::int32_t year : {2003, 2004}) {
        const int days = IsLeapYear(year) ? 366 : 365;
        for (std::int32_t doy = 1; doy <= days; ++doy) {
            DayOfYearToMonthDay(year, doy, m, d);
            EXPECT_EQ(DaysBeforeMonth(year, m, d), doy) << year << " " << doy;
        }
    }
}

TEST(gps_time, last_day_of_four_year_cycle) {
    // 2004-12-31 is day 1460 of the 2001..2004 cycle.
    std::int32_t week = 0;
    double sow = 0.0;
    CalendarToGpsTime(2004, 12, 31, 12, 0, 0.0, week, sow);
    std::int32_t year = 0;
    std::int32_t doy = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    double sec = 0.0;
    GpsTimeToDayOfYear(week, sow, year, doy, hour, minute, sec);
    EXPECT_EQ(year, 2004);
    EXPECT_EQ(doy, 366);
    EXPECT_EQ(hour, 12);
}

TEST(gps_time, round_trip_over_years) {
    for (std::int32_t year = 1981; year <= 2099; year += 7) {
        for (std::int32_t month : {1, 2, 3, 12}) {
            std::int32_t week = 0;
            double sow = 0.0;
            CalendarToGpsTime(year, month, 28, 13, 14, 15.5, week, sow);
            const CalendarTime t = GpsToCalendar(week, sow);
            EXPECT_EQ(t.year, year);
            EXPECT_EQ(t.month, month);
            EXPECT_EQ(t.day, 28);
            EXPECT_EQ(t.hour, 13);
            EXPECT_EQ(t.minute, 14);
            EXPECT_EQ(t.seconds, 15.5);
        }
    }
    EXPECT_EQ(TwoDigitYear(2003), 3);
    EXPECT_EQ(TwoDigitYear(1999), 99);
    EXPECT_EQ(TwoDigitYear(2000), 0);
}

TEST(gps_time, damaged_week_and_seconds_give_a_day_without_overflow) {
    // Values a damaged B-file or command line can carry: none may overflow the day count.
    std::int32_t mjd = 0;
    double secondsOfDay = -1.0;
    GpsTimeToMjd(0x7fffffff, 0.0, mjd, secondsOfDay);
    EXPECT_EQ(mjd, 100000000);
    GpsTimeToMjd(-0x7fffffff - 1, 0.0, mjd, secondsOfDay);
    EXPECT_EQ(mjd, -100000000);
    GpsTimeToMjd(1200, 2.2e180, mjd, secondsOfDay);
    EXPECT_EQ(mjd, 100000000);
    EXPECT_LT(secondsOfDay, 86400.0);
    GpsTimeToMjd(1200, std::nan(""), mjd, secondsOfDay);
    EXPECT_EQ(mjd, 44244 + 1200 * 7);
    EXPECT_EQ(secondsOfDay, 0.0);
    // Real times are untouched.
    GpsTimeToMjd(1200, 259200.0 + 43200.0, mjd, secondsOfDay);
    EXPECT_EQ(mjd, 44244 + 1200 * 7 + 3);
    EXPECT_EQ(secondsOfDay, 43200.0);
    const CalendarTime t = GpsToCalendar(1200, std::numeric_limits<double>::infinity());
    EXPECT_EQ(t.hour, 0);
}

}  // namespace
}  // namespace kelvrant
