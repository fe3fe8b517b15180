// The units of GPS time and the day numbers the calendar conversions count from, in one place
// for every reader, writer and window of the program.
#pragma once

#include <cstdint>

namespace kelvrant {

inline constexpr double kSecondsPerWeek = 604800.0;
/// A jump of more than this between two times of one session means the week changed.
inline constexpr double kHalfWeekSeconds = 302400.0;
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kSecondsPerHour = 3600.0;
inline constexpr double kSecondsPerMinute = 60.0;
inline constexpr std::int32_t kDaysPerWeek = 7;

inline constexpr std::int32_t kMjd1901 = 15385;      ///< base of the four-year cycles
inline constexpr std::int32_t kMjdGpsEpoch = 44244;  ///< 1980-01-06, week 0, second 0
inline constexpr std::int32_t kDaysPerFourYears = 1461;

}  // namespace kelvrant
