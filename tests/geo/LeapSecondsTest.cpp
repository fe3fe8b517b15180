// The leap-second table: GPS - UTC by UTC date and by GPS time.
#include <gtest/gtest.h>

#include "geo/GpsTime.h"
#include "geo/LeapSeconds.h"

namespace kelvrant {
namespace {

TEST(leap_seconds, by_date_around_the_steps) {
    struct Case {
        int year, month, day, offset;
    };
    const Case cases[] = {
        {1980, 1, 6, 0},    {1981, 6, 30, 0},   {1981, 7, 1, 1},
        {1999, 1, 1, 13},   {2005, 12, 31, 13}, {2006, 1, 1, 14},
        {2016, 12, 31, 17}, {2017, 1, 1, 18},   {2026, 12, 8, 18},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GpsMinusUtcOnDate(c.year, c.month, c.day), c.offset)
            << c.year << "-" << c.month << "-" << c.day;
}

TEST(leap_seconds, by_gps_time) {
    std::int32_t week = 0;
    double seconds = 0.0;
    CalendarToGpsTime(2017, 1, 1, 12, 0, 0.0, week, seconds);
    EXPECT_EQ(GpsMinusUtcAt(week, seconds), 18);
    EXPECT_EQ(GpsMinusUtcAt(week - 1, seconds + 604800.0 - 86400.0), 17);
    EXPECT_EQ(GpsMinusUtcAt(2448, 208800.0), 18);
}

}  // namespace
}  // namespace kelvrant
