#include "geo/GpsTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

TEST(gps_time, midnight_needs_the_nanosecond) {
    CalendarTime t = GpsToCalendar(1000, 345600.0 + 1e-9);
    EXPECT_EQ(t.year, 1999);
    EXPECT_EQ(t.month, 3);
    EXPECT_EQ(t.day, 11);
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(t.minute, 0);
    EXPECT_LT(t.seconds, 1e-6);
    // Without the nanosecond the reciprocal multiplication lands just before midnight.
    t = GpsToCalendar(1000, 345600.0);
    EXPECT_EQ(t.day, 10);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59);
    EXPECT_GT(t.seconds, 59.9999);
    EXPECT_LT(t.seconds, 60.0);
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
    GpsTimeToDayOfYear(week, sow + 1e-9, year, doy, hour, minute, sec);
    EXPECT_EQ(year, 2004);
    EXPECT_EQ(doy, 366);
    EXPECT_EQ(hour, 12);
}

TEST(gps_time, compare) {
    double diff = 0.0;
    EXPECT_EQ(CompareGpsTimes(-1.0, 1000, 10.0, 999, 604790.0, diff), -1);
    EXPECT_DOUBLE_EQ(diff, -20.0);
    EXPECT_EQ(CompareGpsTimes(30.0, 1000, 10.0, 999, 604790.0, diff), 0);
    EXPECT_EQ(CompareGpsTimes(0.0, 1000, 10.0, 1000, 10.0, diff), 0);
    EXPECT_EQ(CompareGpsTimes(0.0, 1000, 10.0, 1000, 11.0, diff), 1);
}

TEST(gps_time, round_trip_over_years) {
    for (std::int32_t year = 1981; year <= 2099; year += 7) {
        for (std::int32_t month : {1, 2, 3, 12}) {
            std::int32_t week = 0;
            double sow = 0.0;
            CalendarToGpsTime(year, month, 28, 13, 14, 15.5, week, sow);
            const CalendarTime t = GpsToCalendar(week, sow + 1e-9);
            EXPECT_EQ(t.year, year);
            EXPECT_EQ(t.month, month);
            EXPECT_EQ(t.day, 28);
            EXPECT_EQ(t.hour, 13);
            EXPECT_EQ(t.minute, 14);
            EXPECT_NEAR(t.seconds, 15.5, 1e-6);
        }
    }
    EXPECT_EQ(TwoDigitYear(2003), 3);
    EXPECT_EQ(TwoDigitYear(1999), 99);
    EXPECT_EQ(TwoDigitYear(2000), 0);
}

TEST(gps_time, damaged_week_and_seconds_give_a_day_without_overflow) {
    // Values a damaged B-file or command line can carry: none may overflow the day count.
    std::int32_t mjd = 0;
    double fraction = -1.0;
    GpsTimeToMjd(0x7fffffff, 0.0, mjd, fraction);
    EXPECT_EQ(mjd, 100000000);
    GpsTimeToMjd(-0x7fffffff - 1, 0.0, mjd, fraction);
    EXPECT_EQ(mjd, -100000000);
    GpsTimeToMjd(1200, 2.2e180, mjd, fraction);
    EXPECT_EQ(mjd, 100000000);
    EXPECT_LE(std::fabs(fraction), 1.0);
    GpsTimeToMjd(1200, std::nan(""), mjd, fraction);
    EXPECT_EQ(mjd, 44244 + 1200 * 7);
    EXPECT_EQ(fraction, 0.0);
    // Real times are untouched.
    GpsTimeToMjd(1200, 259200.0 + 43200.0, mjd, fraction);
    EXPECT_EQ(mjd, 44244 + 1200 * 7 + 3);
    EXPECT_NEAR(fraction, 0.5, 1e-12);
    const CalendarTime t = GpsToCalendar(1200, std::numeric_limits<double>::infinity());
    EXPECT_EQ(t.hour, 0);
}

}  // namespace
}  // namespace kelvrant
