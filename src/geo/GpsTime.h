// GPS time conversions: GPS week and seconds of week, Modified Julian Date with a day
// fraction, calendar dates, days of year and times of day. All times are GPS time; weeks are
// full week numbers. Integer divisions truncate toward zero, as the printed digits of every
// RINEX writer depend on it.
#pragma once

#include <cstdint>

namespace kelvrant {

inline constexpr std::int32_t kMjd1901 = 15385;
inline constexpr std::int32_t kMjdGpsEpoch = 44244;
inline constexpr double kSecondsPerWeek = 604800.0;
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kInverseSecondsPerDay = 1.157407407407407e-05;
inline constexpr std::int32_t kDaysPerFourYears = 1461;

/// True when the year is divisible by 4 (the only rule; right for 1901..2099).
bool IsLeapYear(std::int32_t year);

/// day + the days of that year before the month (1..12).
std::int32_t DaysBeforeMonth(std::int32_t year, std::int32_t month, std::int32_t day);

/// Modified Julian Date of a calendar date.
std::int32_t DateToMjd(std::int32_t year, std::int32_t month, std::int32_t day);

/// MJD and day fraction of a day of year and time of day.
void DayOfYearToMjd(std::int32_t year, std::int32_t dayOfYear, std::int32_t hour,
                    std::int32_t minute, double seconds, std::int32_t& mjd, double& dayFraction);

/// GPS week and seconds of week of an MJD and day fraction; returns the day of week.
std::int32_t MjdToGpsTime(std::int32_t mjd, double dayFraction, std::int32_t& week,
                          double& secondsOfWeek);

void CalendarToGpsTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                       std::int32_t minute, double seconds, std::int32_t& week,
                       double& secondsOfWeek);

void DayOfYearToGpsTime(std::int32_t year, std::int32_t dayOfYear, std::int32_t hour,
                        std::int32_t minute, double seconds, std::int32_t& week,
                        double& secondsOfWeek);

void GpsTimeToMjd(std::int32_t week, double secondsOfWeek, std::int32_t& mjd, double& dayFraction);

void GpsTimeToDayOfYear(std::int32_t week, double secondsOfWeek, std::int32_t& year,
                        std::int32_t& dayOfYear, std::int32_t& hour, std::int32_t& minute,
                        double& seconds);

/// Calendar date and time of day (four-digit year). Callers that print a time add 1e-9 s to
/// the seconds of week first, so that an exact midnight is not shown as the previous day.
void GpsTimeToCalendar(std::int32_t week, double secondsOfWeek, std::int32_t& year,
                       std::int32_t& month, std::int32_t& day, std::int32_t& hour,
                       std::int32_t& minute, double& seconds);

void DayFractionToTime(double fraction, std::int32_t& hour, std::int32_t& minute, double& seconds);

void DayOfYearToMonthDay(std::int32_t year, std::int32_t dayOfYear, std::int32_t& month,
                         std::int32_t& day);

/// -1, 0 or 1 for the sign of (time2 - time1); 0 also when tolerance > 0 and the difference
/// lies within it. The difference in seconds is returned through `difference`.
int CompareGpsTimes(double tolerance, std::int32_t week1, double seconds1, std::int32_t week2,
                    double seconds2, double& difference);

/// Broken-down calendar time, as the calendar conversions produce it.
struct CalendarTime {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    double seconds = 0.0;
};

/// GpsTimeToCalendar returning a struct.
CalendarTime GpsToCalendar(std::int32_t week, double secondsOfWeek);

/// RINEX two-digit year: year - 1900, less 100 as often as needed to bring it below 100.
std::int32_t TwoDigitYear(std::int32_t year);

}  // namespace kelvrant
