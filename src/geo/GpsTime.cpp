// GPS time conversions (see GpsTime.h).
#include "geo/GpsTime.h"

#include <algorithm>
#include <cmath>

namespace kelvrant {
namespace {

// Cumulative days before each month; index 0 = January, index 12 = the year's total.
constexpr std::int32_t kCumulativeDays[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};

int LeapIndex(std::int32_t year) {
    return IsLeapYear(year) ? 1 : 0;
}

}  // namespace

bool IsLeapYear(std::int32_t year) {
    return year % 4 == 0;
}

std::int32_t DaysBeforeMonth(std::int32_t year, std::int32_t month, std::int32_t day) {
    if (month < 1 || month > 12) return day;
    return day + kCumulativeDays[LeapIndex(year)][month - 1];
}

std::int32_t DateToMjd(std::int32_t year, std::int32_t month, std::int32_t day) {
    return DaysBeforeMonth(year, month, day) + kMjd1901 + ((year - 1901) / 4) * kDaysPerFourYears +
           ((year - 1) % 4) * 365 - 1;
}

void DayOfYearToMjd(std::int32_t year, std::int32_t dayOfYear, std::int32_t hour,
                    std::int32_t minute, double seconds, std::int32_t& mjd, double& dayFraction) {
    mjd =
        ((year - 1901) / 4) * kDaysPerFourYears + kMjd1901 + ((year - 1) % 4) * 365 + dayOfYear - 1;
    dayFraction = (minute * 60.0 + hour * 3600.0 + seconds) * kInverseSecondsPerDay;
}

std::int32_t MjdToGpsTime(std::int32_t mjd, double dayFraction, std::int32_t& week,
                          double& secondsOfWeek) {
    const std::int32_t n = mjd - kMjdGpsEpoch;
    week = n / 7;
    const std::int32_t dayOfWeek = n % 7;
    secondsOfWeek = (dayOfWeek + dayFraction) * kSecondsPerDay;
    return dayOfWeek;
}

void CalendarToGpsTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                       std::int32_t minute, double seconds, std::int32_t& week,
                       double& secondsOfWeek) {
    const std::int32_t mjd = DateToMjd(year, month, day);
    const double fraction = (minute * 60.0 + hour * 3600.0 + seconds) * kInverseSecondsPerDay;
    MjdToGpsTime(mjd, fraction, week, secondsOfWeek);
}

void DayOfYearToGpsTime(std::int32_t year, std::int32_t dayOfYear, std::int32_t hour,
                        std::int32_t minute, double seconds, std::int32_t& week,
                        double& secondsOfWeek) {
    std::int32_t mjd = 0;
    double fraction = 0.0;
    DayOfYearToMjd(year, dayOfYear, hour, minute, seconds, mjd, fraction);
    MjdToGpsTime(mjd, fraction, week, secondsOfWeek);
}

void GpsTimeToMjd(std::int32_t week, double secondsOfWeek, std::int32_t& mjd, double& dayFraction) {
    // The division is a multiplication by the rounded reciprocal: an exact midnight therefore
    // lands just below the whole day, which is why printing callers add 1e-9 s.
    // A damaged input file can give any week and any seconds, a NaN included: the day count is
    // kept in doubles and held within a range whose later arithmetic cannot overflow, and a
    // fraction that rounding of an enormous value has blown up is dropped.
    constexpr double kMjdLimit = 1.0e8;
    if (!std::isfinite(secondsOfWeek)) secondsOfWeek = 0.0;
    const double d = std::trunc(secondsOfWeek * kInverseSecondsPerDay);
    dayFraction = (secondsOfWeek - d * kSecondsPerDay) * kInverseSecondsPerDay;
    if (!(std::fabs(dayFraction) <= 1.0)) dayFraction = 0.0;
    const double days = d + week * 7.0 + kMjdGpsEpoch;
    mjd = static_cast<std::int32_t>(std::clamp(days, -kMjdLimit, kMjdLimit));
}

void GpsTimeToDayOfYear(std::int32_t week, double secondsOfWeek, std::int32_t& year,
                        std::int32_t& dayOfYear, std::int32_t& hour, std::int32_t& minute,
                        double& seconds) {
    std::int32_t mjd = 0;
    double fraction = 0.0;
    GpsTimeToMjd(week, secondsOfWeek, mjd, fraction);
    std::int32_t n = mjd - kMjd1901;
    year = (n / kDaysPerFourYears) * 4 + 1901;
    n = n % kDaysPerFourYears;
    // The last day of a four-year cycle (n = 1460) belongs to its fourth year.
    const std::int32_t k = n / 365 - n / 1460;
    year += k;
    dayOfYear = n - 365 * k + 1;
    DayFractionToTime(fraction, hour, minute, seconds);
}

void GpsTimeToCalendar(std::int32_t week, double secondsOfWeek, std::int32_t& year,
                       std::int32_t& month, std::int32_t& day, std::int32_t& hour,
                       std::int32_t& minute, double& seconds) {
    std::int32_t dayOfYear = 0;
    GpsTimeToDayOfYear(week, secondsOfWeek, year, dayOfYear, hour, minute, seconds);
    DayOfYearToMonthDay(year, dayOfYear, month, day);
}

void DayFractionToTime(double fraction, std::int32_t& hour, std::int32_t& minute, double& seconds) {
    hour = static_cast<std::int32_t>(std::trunc(fraction * 24.0));
    minute = static_cast<std::int32_t>(std::trunc(fraction * 1440.0 - hour * 60.0));
    seconds = fraction * kSecondsPerDay - hour * 3600.0 - minute * 60.0;
}

void DayOfYearToMonthDay(std::int32_t year, std::int32_t dayOfYear, std::int32_t& month,
                         std::int32_t& day) {
    const int leap = LeapIndex(year);
    std::int32_t m = static_cast<std::int32_t>(std::trunc(dayOfYear * 0.032));
    if (m < 0) m = 0;
    if (m > 11) m = 11;
    if (dayOfYear > kCumulativeDays[leap][m + 1] && m < 11) m += 1;
    month = m + 1;
    day = dayOfYear - kCumulativeDays[leap][m];
}

int CompareGpsTimes(double tolerance, std::int32_t week1, double seconds1, std::int32_t week2,
                    double seconds2, double& difference) {
    difference = (week2 - week1) * kSecondsPerWeek + (seconds2 - seconds1);
    if (tolerance > 0.0 && std::fabs(difference) <= tolerance) return 0;
    if (difference > 0.0) return 1;
    if (difference < 0.0) return -1;
    return 0;
}

CalendarTime GpsToCalendar(std::int32_t week, double secondsOfWeek) {
    CalendarTime t;
    GpsTimeToCalendar(week, secondsOfWeek, t.year, t.month, t.day, t.hour, t.minute, t.seconds);
    return t;
}

std::int32_t TwoDigitYear(std::int32_t year) {
    std::int32_t yy = year - 1900;
    while (yy >= 100)
        yy -= 100;
    return yy;
}

}  // namespace kelvrant
