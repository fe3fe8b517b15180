// GPS time conversions: GPS week and seconds of week, Modified Julian Date, calendar dates,
// days of year and times of day. All times are GPS time; weeks are full week numbers. Days are
// counted in integers and a time of day is split from its whole seconds, so a time that falls
// exactly on midnight is dated on its own day, with no nudge at the call site.
#pragma once

#include <cstdint>

#include "geo/TimeConstants.h"

namespace kelvrant {

/// True when the year is divisible by 4 (the only rule; right for 1901..2099).
bool IsLeapYear(std::int32_t year);

/// day + the days of that year before the month (1..12).
std::int32_t DaysBeforeMonth(std::int32_t year, std::int32_t month, std::int32_t day);

/// Modified Julian Date of a calendar date.
std::int32_t DateToMjd(std::int32_t year, std::int32_t month, std::int32_t day);

/// The week of an instant given by its seconds of week alone, taken as the instant nearest to a
/// reference time (`week`, `referenceSeconds`) of the same session: when the two seconds lie
/// more than half a week apart, the week changed between them.
std::int32_t NearestWeek(std::int32_t week, double referenceSeconds, double seconds);

void CalendarToGpsTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                       std::int32_t minute, double seconds, std::int32_t& week,
                       double& secondsOfWeek);

void DayOfYearToGpsTime(std::int32_t year, std::int32_t dayOfYear, std::int32_t hour,
                        std::int32_t minute, double seconds, std::int32_t& week,
                        double& secondsOfWeek);

/// MJD of the day and the seconds of that day (0 <= seconds < 86400).
void GpsTimeToMjd(std::int32_t week, double secondsOfWeek, std::int32_t& mjd, double& secondsOfDay);

void GpsTimeToDayOfYear(std::int32_t week, double secondsOfWeek, std::int32_t& year,
                        std::int32_t& dayOfYear, std::int32_t& hour, std::int32_t& minute,
                        double& seconds);

/// Calendar date and time of day (four-digit year).
void GpsTimeToCalendar(std::int32_t week, double secondsOfWeek, std::int32_t& year,
                       std::int32_t& month, std::int32_t& day, std::int32_t& hour,
                       std::int32_t& minute, double& seconds);

void DayOfYearToMonthDay(std::int32_t year, std::int32_t dayOfYear, std::int32_t& month,
                         std::int32_t& day);

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
