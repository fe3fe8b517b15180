// The millisecond clock-jump detectors (see ClockJumps.h).
#include "convert/ClockJumps.h"

#include <cmath>
#include <cstdint>

#include "convert/ReceiverConventions.h"

namespace kelvrant {
namespace {

constexpr double kWeekSeconds = 604800.0;
constexpr double kJumpTolerance = 1e-9;  // seconds: below this there is no jump
// Epochs further apart than this are not compared: the clock may have drifted anywhere.
constexpr double kMaxSpacing = 200.0;
// A millisecond is about 300 km of range; a change of less than half of it is no jump.
constexpr double kMinJumpMetres = 150000.0;
// A jump must lie within half a millisecond of a whole number of milliseconds.
constexpr double kHalfMillisecond = 0.5;
// The clock offset alone must lie this close (in ms) to a whole millisecond.
constexpr double kClockOffsetTolerance = 0.025;
// The receiver steps at most two milliseconds at a time.
constexpr double kMaxJumpMs = 2.0;

// Rounding half away from zero, as trunc(v +- 0.5).
double RoundHalfAway(double v) {
    return v >= 0.0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
}

// The epoch spacing plus the change of the receiver clock offset, in seconds.
double ClockedSpacing(const EpochRecord& previous, const EpochRecord& epoch) {
    double d = epoch.Time() - previous.Time();
    if (d < 0.0) d += kWeekSeconds;
    return d + (epoch.ClockOffset() - previous.ClockOffset()) / kSpeedOfLight;
}

// The first of the previous epoch's satellites with this number, or -1.
int PreviousIndex(const PreviousEpoch& previous, std::uint8_t satellite) {
    const int n = previous.epoch.SatellitesHeld();
    for (int j = 0; j < n; ++j)
        if (previous.satellites.SatNumber(j) == satellite) return j;
    return -1;
}

bool TrustedForJumps(const ObsBlockView& a, const ObsBlockView& b) {
    return (a.Warning() & warning::kNotForJumps) == 0 && (b.Warning() & warning::kNotForJumps) == 0;
}

}  // namespace

double ClockOffsetJump(const EpochRecord& previous, const EpochRecord& epoch) {
    const double x = ClockedSpacing(previous, epoch) * 1000.0;
    // What is left after removing whole tens of milliseconds.
    const double r = x - 10.0 * RoundHalfAway(x * 0.1);
    const double n = RoundHalfAway(r);
    if (std::fabs(n) > kMaxJumpMs || n == 0.0 || std::fabs(r - n) > kClockOffsetTolerance)
        return 0.0;
    return n * 0.001;
}

double CodeJump(const PreviousEpoch& previous, const EpochRecord& epoch,
                const SatelliteSlots& satellites) {
    const double spacing = ClockedSpacing(previous.epoch, epoch);
    if (std::fabs(spacing) > kMaxSpacing) return 0.0;
    const int n = epoch.SatellitesHeld();
    int matched = 0;
    double f = 0.0;
    // Every matched satellite must show the same kind of jump: any one that does not ends it.
    for (int i = 0; i < n; ++i) {
        const int j = PreviousIndex(previous, satellites.SatNumber(i));
        if (j < 0) continue;
        const ObsBlockView cur = satellites.Block(i, 0);
        const ObsBlockView prev = previous.satellites.Block(j, 0);
        if (std::fabs(cur.RawRange()) < 1e-9 || std::fabs(prev.RawRange()) < 1e-9) continue;
        if (!TrustedForJumps(cur, prev)) continue;
        ++matched;
        if (std::fabs(spacing) < kJumpTolerance) return 0.0;
        const double r = prev.RawRange() - cur.RawRange();
        if (std::fabs(r * kSpeedOfLight) < kMinJumpMetres) return 0.0;
        f = RoundHalfAway(r * 1000.0);
        if (std::fabs(r * 1000.0 - f) > kHalfMillisecond || f > kMaxJumpMs) return 0.0;
    }
    return matched > 0 ? f * 0.001 : 0.0;
}

double CarrierJump(const PreviousEpoch& previous, const EpochRecord& epoch,
                   const SatelliteSlots& satellites) {
    const double spacing = ClockedSpacing(previous.epoch, epoch);
    if (std::fabs(spacing) > kMaxSpacing) return 0.0;
    const int n = epoch.SatellitesHeld();
    int agreed = 0;
    double f = 0.0;
    for (int i = 0; i < n; ++i) {
        const std::uint8_t s = satellites.SatNumber(i);
        if (s == 0) continue;
        const int j = PreviousIndex(previous, s);
        if (j < 0) continue;
        const ObsBlockView cur = satellites.Block(i, 0);
        const ObsBlockView prev = previous.satellites.Block(j, 0);
        if (std::fabs(cur.Phase()) < 1e-9 || std::fabs(prev.Phase()) < 1e-9) continue;
        if (!TrustedForJumps(cur, prev)) continue;
        if (std::fabs(spacing) < kJumpTolerance) continue;
        const double r = prev.Phase() - cur.Phase();
        if (std::fabs(r * kGpsL1Wavelength) < kMinJumpMetres) continue;
        const double m = r * kGpsL1Wavelength / kSpeedOfLight * 1000.0;
        const double rounded = RoundHalfAway(m);
        if (std::fabs(m - rounded) >= kHalfMillisecond || rounded > kMaxJumpMs) continue;
        ++agreed;
        f = rounded;
    }
    return agreed > 0 ? f * 0.001 : 0.0;
}

}  // namespace kelvrant
