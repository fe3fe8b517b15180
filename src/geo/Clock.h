// The wall clock: the one source of "now" (PGM / RUN BY / DATE lines, today's date for the met
// start time). It is passed to whoever needs it; tests pass a fixed clock so that whole RINEX
// files compare byte for byte.
#pragma once

#include <cstdint>
#include <ctime>

namespace kelvrant {

/// Broken-down UTC time with a four-digit year and month 1..12.
struct UtcTime {
    std::int32_t year = 1970;
    std::int32_t month = 1;
    std::int32_t day = 1;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    /// Seconds since 1970-01-01 00:00:00 UTC.
    virtual std::time_t Now() const = 0;
};

class SystemClock final : public Clock {
  public:
    std::time_t Now() const override { return std::time(nullptr); }
};

class FixedClock final : public Clock {
  public:
    explicit FixedClock(std::time_t t) : t_(t) {}
    std::time_t Now() const override { return t_; }
    void Set(std::time_t t) { t_ = t; }

  private:
    std::time_t t_;
};

/// Breaks a time down in UTC (never local time). The year is made four-digit the way the
/// writers print it: years since 1900 plus 1900 below 200, plus another 100 below 1970.
UtcTime ToUtc(std::time_t t);
inline UtcTime NowUtc(const Clock& clock) {
    return ToUtc(clock.Now());
}

}  // namespace kelvrant
