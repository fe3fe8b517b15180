// The epoch converter (see EpochConverter.h).
#include "convert/EpochConverter.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "convert/ClockJumps.h"
#include "convert/ReceiverConventions.h"

namespace kelvrant {
namespace {

constexpr double kHalfWeek = 302400.0;
constexpr double kWeekSeconds = 604800.0;
constexpr double kJumpTolerance = 1e-9;
// A code range whose fractional second is below this is no measurement.
constexpr double kMinCodeFraction = 0.0001;
constexpr int kMaxGpsNumber = 32;
constexpr int kMaxListedNumber = kMaxSatNumber;  // GLONASS slot 24

std::int32_t StepWeek(std::int32_t week, int step) {
    const std::int64_t w = static_cast<std::int64_t>(week) + step;
    if (w > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (w < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(w);
}

bool Listed(int satellite) {
    return satellite >= 1 && satellite <= kMaxListedNumber;
}

// std::trunc without its library call (the baseline instruction set has no rounding
// instruction): doubles of 2^52 and more are whole already, and NaN and infinities stay
// themselves.
double WholePart(double t) {
    constexpr double kWhole = 4503599627370496.0;  // 2^52
    return std::fabs(t) < kWhole ? static_cast<double>(static_cast<std::int64_t>(t)) : t;
}

// RINEX loss-of-lock bits of carrier L1: bit 0 when the receiver lost lock.
std::uint8_t LossOfLockL1(std::uint8_t w) {
    return (w & warning::kLossOfLock) != 0 ? 1 : 0;
}

// L2 and P-code: bit 2 under anti-spoofing, bit 0 when lock was lost.
std::uint8_t LossOfLockL2(std::uint8_t w) {
    std::uint8_t bits = (w & warning::kAntiSpoofing) != 0 ? 4 : 0;
    if ((w & warning::kLossOfLock) != 0) bits |= 1;
    return bits;
}

}  // namespace

int ObservationBlock(int dataType, Observable observable) {
    switch (observable) {
        case Observable::kL2:
            return dataType == kDataL1CP_L2P ? 2 : 1;
        case Observable::kP1:
            // Data type 5 holds P1 in block 0, beside C1.
            return dataType == kDataL1CP ? 0 : 1;
        case Observable::kP2:
            return dataType == kDataL1C_L2P ? 1 : 2;
        case Observable::kD2:
            return dataType == kDataL2C || dataType == kDataL1C_L2P ? 1 : 2;
        default:
            return 0;
    }
}

EpochConverter::EpochConverter(const ConvertOptions& options)
    : options_(options), week_(options.firstWeek), previousTime_(options.firstSeconds) {
    for (int snr = 0; snr < 256; ++snr)
        strengthOf_[static_cast<std::size_t>(snr)] =
            static_cast<std::uint8_t>(SignalStrengthDigit(options.signalClass, snr));
    for (int o = 0; o < kObservableCount; ++o) {
        if (!options.observables[static_cast<std::size_t>(o)]) continue;
        const auto observable = static_cast<Observable>(o);
        fields_[static_cast<std::size_t>(fieldCount_++)] = {
            observable, static_cast<std::uint8_t>(ObservationBlock(options.dataType, observable))};
    }
}

void EpochConverter::TrackWeek(double epochTime) {
    // A jump of more than half a week in the times is a week roll-over, in either direction.
    if (std::fabs(previousTime_ - epochTime) > kHalfWeek)
        week_ = StepWeek(week_, epochTime > previousTime_ ? -1 : 1);
    previousTime_ = epochTime;
}

EpochConverter::Tag EpochConverter::RepairClockJumps(const EpochRecord& epoch,
                                                     const SatelliteSlots& satellites) {
    Tag tag{week_, epoch.Time(), epoch.ClockOffset() / kSpeedOfLight};
    clockOffsetJump_ = 0.0;
    jumpRepaired_ = 0.0;
    if (epochsConverted_ == 0) return tag;
    const int held = epoch.SatellitesHeld();
    for (int i = 0; i < held && !quality24Seen_; ++i)
        if (satellites.Block(i, 0).Quality() == kQualityClockJumps) quality24Seen_ = true;
    // The first six epochs are never examined.
    if (epochsConverted_ <= 5 || !quality24Seen_) return tag;

    const PreviousEpoch previous{previousEpoch_, previousSatellites_};
    const double o = ClockOffsetJump(previousEpoch_, epoch);
    const double codeJump = CodeJump(previous, epoch, satellites);
    accumulatedCodeJump_ += codeJump;
    const double carrierJump = CarrierJump(previous, epoch, satellites);
    if (options_.clockAdjustment && std::fabs(codeJump) < kJumpTolerance &&
        std::fabs(o) > kJumpTolerance) {
        clockOffsetJump_ = o;
        tag.clock -= o;
    }
    // Code and carrier jumping together: the receiver steers both; leave them alone from now on.
    if (std::fabs(codeJump) > kJumpTolerance && std::fabs(carrierJump) > kJumpTolerance)
        adjustmentsDisabled_ = true;
    if (!adjustmentsDisabled_)
        jumpRepaired_ = std::fabs(codeJump) > kJumpTolerance ? codeJump : clockOffsetJump_;
    if (!options_.clockAdjustment && !adjustmentsDisabled_) {
        const double h = accumulatedCodeJump_;
        tag.clock += h;
        tag.seconds += h;
        if (tag.seconds > kWeekSeconds) {
            tag.seconds -= kWeekSeconds;
            tag.week = StepWeek(tag.week, 1);
        } else if (tag.seconds < 0.0) {
            tag.seconds += kWeekSeconds;
            tag.week = StepWeek(tag.week, -1);
        }
    }
    return tag;
}

EpochEvent EpochConverter::EventOf(const EpochRecord& epoch) const {
    if (!options_.siteChanges ||
        std::memcmp(epoch.bytes.data(), previousEpoch_.bytes.data(), 4) == 0)
        return EpochEvent::kNone;
    if (epoch.SiteName() == "????") return EpochEvent::kAntennaMoving;
    return epochsConverted_ > 0 ? EpochEvent::kNewSite : EpochEvent::kNone;
}

void EpochConverter::FillSatellite(const SatelliteSlots& satellites, int i,
                                   SatelliteObservations& out) const {
    const int s = satellites.SatNumber(i);
    out.satellite = s <= kMaxGpsNumber
                        ? SatelliteId{GnssSystem::kGps, static_cast<std::uint8_t>(s)}
                        : SatelliteId{GnssSystem::kGlonass, static_cast<std::uint8_t>(s - 32)};
    // Carrier phases follow a code jump only in the clock-adjustment mode, and only for GPS
    // (GLONASS frequencies differ by satellite).
    const double carrierJump = options_.clockAdjustment && s <= kMaxGpsNumber ? codeJump_ : 0.0;
    for (int f = 0; f < fieldCount_; ++f) {
        const Field field = fields_[static_cast<std::size_t>(f)];
        const ObsBlockView b = satellites.Block(i, field.block);
        const std::uint8_t w = b.Warning();
        Observation& obs = out[field.observable];
        obs.rawSnr = b.Snr();
        switch (field.observable) {
            case Observable::kL1:
                obs.value = b.Phase();
                if (carrierJump != 0.0) obs.value = obs.value - carrierJump * kGpsL1Frequency;
                obs.lossOfLock = LossOfLockL1(w);
                obs.strength = strengthOf_[b.Snr()];
                break;
            case Observable::kL2:
                obs.value = b.Phase();
                if (carrierJump != 0.0) obs.value = obs.value - carrierJump * kGpsL2Frequency;
                obs.lossOfLock = LossOfLockL2(w);
                obs.strength = strengthOf_[b.Snr()];
                break;
            case Observable::kC1:
            case Observable::kP1:
            case Observable::kP2: {
                // The receiver gives the range as a time; only its fractional second counts.
                // (The fractional part exactly as fmod(t, 1.0) gives it, without its call; a
                // zero of either sign becomes 0 below.)
                const double t = b.RawRange();
                double x = t - WholePart(t);
                if (std::fabs(x) < kMinCodeFraction || (w & warning::kCodeNotGood) != 0) {
                    x = 0.0;
                } else {
                    if (!options_.clockAdjustment) x = x + codeJump_;
                    x = x * kSpeedOfLight;
                    if (options_.smoothing) x = x - static_cast<double>(b.Smoothing());
                }
                obs.value = x;
                obs.lossOfLock = field.observable == Observable::kC1 ? 0 : LossOfLockL2(w);
                obs.strength = 0;
                break;
            }
            case Observable::kD1:
            case Observable::kD2:
                obs.value = static_cast<double>(b.Doppler()) * kDopplerToHz;
                obs.lossOfLock = 0;
                obs.strength = 0;
                break;
        }
    }
}

void EpochConverter::Remember(const EpochRecord& epoch, const SatelliteSlots& satellites) {
    previousEpoch_ = epoch;
    std::memcpy(previousSatellites_.bytes.data(), satellites.bytes.data(),
                static_cast<std::size_t>(epoch.SatellitesHeld()) * kSatSlotStride);
    // The next epoch is compared with the clock offset as corrected.
    previousEpoch_.SetClockOffset(previousEpoch_.ClockOffset() - clockOffsetJump_ * kSpeedOfLight);
    ++epochsConverted_;
}

// Flattened: the helpers are inlined into one loop, as on the hot path.
[[gnu::flatten]] void EpochConverter::Convert(const EpochRecord& epoch,
                                              const SatelliteSlots& satellites,
                                              ObservationEpoch& out) {
    TrackWeek(epoch.Time());
    const Tag tag = RepairClockJumps(epoch, satellites);
    codeJump_ = adjustmentsDisabled_ ? 0.0 : accumulatedCodeJump_;
    out.week = tag.week;
    out.secondsOfWeek = tag.seconds;
    out.clockOffset = tag.clock;
    out.clockJump = jumpRepaired_;
    out.event = EventOf(epoch);
    std::memcpy(out.siteName.data(), epoch.bytes.data(), out.siteName.size());

    const int held = epoch.SatellitesHeld();
    int count = 0;
    for (int i = 0; i < held; ++i) {
        if (!Listed(satellites.SatNumber(i))) continue;
        FillSatellite(satellites, i, out.satellites[static_cast<std::size_t>(count++)]);
    }
    out.count = count;
    Remember(epoch, satellites);
}

}  // namespace kelvrant
