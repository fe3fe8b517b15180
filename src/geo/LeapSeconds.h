// GPS time minus UTC (the leap seconds accumulated since the GPS epoch), from the announced
// table. The table is the one place to update when a new leap second is announced.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvrant {

/// When the table was last checked against the announcements; a leap second announced later
/// is missing from it.
inline constexpr std::string_view kLeapSecondTableChecked = "2025-01-06";

/// GPS - UTC in whole seconds on the UTC calendar date (0 before 1981-07-01).
std::int32_t GpsMinusUtcOnDate(std::int32_t year, std::int32_t month, std::int32_t day);

/// GPS - UTC in whole seconds at a GPS time (week and seconds of week).
std::int32_t GpsMinusUtcAt(std::int32_t week, double secondsOfWeek);

}  // namespace kelvrant
