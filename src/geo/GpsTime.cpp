// GPS time conversions (see GpsTime.h).
#include "geo/GpsTime.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvrant {
namespace {

// Cumulative days before each month; index 0 = January, index 12 = the year's total.
constexpr std::int32_t kCumulativeDays[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};

int LeapIndex(std::int32_t year) {
    return IsLeapYear(year) ? 1 : 0;
}

// Week and seconds of week of a day and a time of that day, summed exactly.
void MjdToGpsTime(std::int32_t mjd, std::int32_t hour, std::int32_t minute, double seconds,
                  std::int32_t& week, double& secondsOfWeek) {
    const std::int32_t n = mjd - kMjdGpsEpoch;
    week = n / kDaysPerWeek;
    const std::int32_t dayOfWeek = n % kDaysPerWeek;
    secondsOfWeek =
        dayOfWeek * kSecondsPerDay + hour * kSecondsPerHour + minute * kSecondsPerMinute + seconds;
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

std::int32_t NearestWeek(std::int32_t week, double referenceSeconds, double seconds) {
    std::int64_t w = week;
    const double difference = seconds - referenceSeconds;
    if (difference > kHalfWeekSeconds) --w;
    if (difference < -kHalfWeekSeconds) ++w;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        w, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void CalendarToGpsTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                       std::int32_t minute, double seconds, std::int32_t& week,
                       double& secondsOfWeek) {
    MjdToGpsTime(DateToMjd(year, month, day), hour, minute, seconds, week, secondsOfWeek);
}

void DayOfYearToGpsTime(std::int32_t year, std::int32_t dayOfYear, std::int32_t hour,
                        std::int32_t minute, double seconds, std::int32_t& week,
                        double& secondsOfWeek) {
    const std::int32_t mjd =
        ((year - 1901) / 4) * kDaysPerFourYears + kMjd1901 + ((year - 1) % 4) * 365 + dayOfYear - 1;
    MjdToGpsTime(mjd, hour, minute, seconds, week, secondsOfWeek);
}

void GpsTimeToMjd(std::int32_t week, double secondsOfWeek, std::int32_t& mjd,
                  double& secondsOfDay) {
    // A damaged input file can give any week and any seconds, a NaN included: the day count is
    // kept in doubles and held within a range whose later arithmetic cannot overflow.
    constexpr double kMjdLimit = 1.0e8;
    if (!std::isfinite(secondsOfWeek)) secondsOfWeek = 0.0;
    // A time a rounding error short of a whole second (a millisecond count times 0.001, a
    // clock-jump repair) is that second, so 86399.99999999999 is the next day's midnight.
    constexpr double kWholeSecondSnap = 1.0e-9;
    const double nextWhole = std::ceil(secondsOfWeek);
    if (nextWhole - secondsOfWeek < kWholeSecondSnap) secondsOfWeek = nextWhole;
    // fmod is exact, so a whole number of days leaves exactly 0 seconds: midnight stays on its
    // own day.
    double sod = std::fmod(secondsOfWeek, kSecondsPerDay);
    if (sod < 0.0) sod += kSecondsPerDay;
    if (sod >= kSecondsPerDay) sod = 0.0;  // a tiny negative remainder rounded up to a day
    const double days = std::round((secondsOfWeek - sod) / kSecondsPerDay);
    secondsOfDay = sod;
    mjd = static_cast<std::int32_t>(std::clamp(
        days + week * static_cast<double>(kDaysPerWeek) + kMjdGpsEpoch, -kMjdLimit, kMjdLimit));
}

void GpsTimeToDayOfYear(std::int32_t week, double secondsOfWeek, std::int32_t& year,
                        std::int32_t& dayOfYear, std::int32_t& hour, std::int32_t& minute,
                        double& seconds) {
    std::int32_t mjd = 0;
    double secondsOfDay = 0.0;
    GpsTimeToMjd(week, secondsOfWeek, mjd, secondsOfDay);
    std::int32_t n = mjd - kMjd1901;
    year = (n / kDaysPerFourYears) * 4 + 1901;
    n = n % kDaysPerFourYears;
    // The last day of a four-year cycle (n = 1460) belongs to its fourth year.
    const std::int32_t k = n / 365 - n / 1460;
    year += k;
    dayOfYear = n - 365 * k + 1;
    // Hours and minutes from the whole seconds; the fraction rides on the seconds unchanged.
    const double whole = std::floor(secondsOfDay);
    const auto s = static_cast<std::int32_t>(whole);
    hour = s / 3600;
    minute = s % 3600 / 60;
    seconds = static_cast<double>(s % 60) + (secondsOfDay - whole);
}

void GpsTimeToCalendar(std::int32_t week, double secondsOfWeek, std::int32_t& year,
                       std::int32_t& month, std::int32_t& day, std::int32_t& hour,
                       std::int32_t& minute, double& seconds) {
    std::int32_t dayOfYear = 0;
    GpsTimeToDayOfYear(week, secondsOfWeek, year, dayOfYear, hour, minute, seconds);
    DayOfYearToMonthDay(year, dayOfYear, month, day);
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
