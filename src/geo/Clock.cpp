// The UTC break-down of clock times (see Clock.h).
#include "geo/Clock.h"

namespace kelvrant {

UtcTime ToUtc(std::time_t t) {
    std::tm tm{};
    gmtime_r(&t, &tm);
    UtcTime u;
    std::int32_t year = tm.tm_year;
    if (year < 200) year += 1900;
    if (year < 1970) year += 100;
    u.year = year;
    u.month = tm.tm_mon + 1;
    u.day = tm.tm_mday;
    u.hour = tm.tm_hour;
    u.minute = tm.tm_min;
    u.second = tm.tm_sec;
    return u;
}

}  // namespace kelvrant
