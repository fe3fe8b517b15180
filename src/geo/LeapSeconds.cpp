// The leap-second table (see LeapSeconds.h).
#include "geo/LeapSeconds.h"

#include <array>

#include "geo/GpsTime.h"

namespace kelvrant {
namespace {

struct LeapStep {
    std::int32_t year, month, day;  ///< the UTC date from whose start the offset holds
    std::int32_t gpsMinusUtc;
};

// Checked against IERS Bulletin C 69 (January 2025): no leap second at the end of June 2025.
constexpr std::array<LeapStep, 18> kSteps = {{
    {1981, 7, 1, 1},
    {1982, 7, 1, 2},
    {1983, 7, 1, 3},
    {1985, 7, 1, 4},
    {1988, 1, 1, 5},
    {1990, 1, 1, 6},
    {1991, 1, 1, 7},
    {1992, 7, 1, 8},
    {1993, 7, 1, 9},
    {1994, 7, 1, 10},
    {1996, 1, 1, 11},
    {1997, 7, 1, 12},
    {1999, 1, 1, 13},
    {2006, 1, 1, 14},
    {2009, 1, 1, 15},
    {2012, 7, 1, 16},
    {2015, 7, 1, 17},
    {2017, 1, 1, 18},
}};

std::int32_t OffsetOnMjd(std::int32_t mjd) {
    std::int32_t offset = 0;
    for (const LeapStep& step : kSteps) {
        if (mjd < DateToMjd(step.year, step.month, step.day)) break;
        offset = step.gpsMinusUtc;
    }
    return offset;
}

}  // namespace

std::int32_t GpsMinusUtcOnDate(std::int32_t year, std::int32_t month, std::int32_t day) {
    return OffsetOnMjd(DateToMjd(year, month, day));
}

std::int32_t GpsMinusUtcAt(std::int32_t week, double secondsOfWeek) {
    // Dated by the GPS calendar day: at a step the new offset is taken up to 18 s early,
    // which no header value (whole seconds for a whole session) can show.
    std::int32_t mjd = 0;
    double fraction = 0.0;
    GpsTimeToMjd(week, secondsOfWeek, mjd, fraction);
    return OffsetOnMjd(mjd);
}

}  // namespace kelvrant
