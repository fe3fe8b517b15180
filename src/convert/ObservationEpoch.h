// The neutral observation epoch: what the receiver measured at one instant, in RINEX units and
// independent of any output format. The conversion layer makes these from B-file epochs (with
// every receiver convention applied: code scaling and smoothing, Doppler sign and scale,
// loss-of-lock and signal-strength mapping, millisecond clock-jump repair); editing, quality
// checks and every writer consume them. An epoch holds no heap memory, so one can be reused
// for a whole session without allocating.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kelvrant {

/// Satellite systems the receivers track.
enum class GnssSystem : std::uint8_t { kGps, kGlonass };

/// A satellite: its system and number (GPS PRN 1..32, GLONASS slot 1..24).
struct SatelliteId {
    GnssSystem system = GnssSystem::kGps;
    std::uint8_t number = 0;

    /// The RINEX letter: 'G' or 'R'.
    char Letter() const { return system == GnssSystem::kGps ? 'G' : 'R'; }
    friend bool operator==(const SatelliteId&, const SatelliteId&) = default;
};

/// The observables the receivers produce, in RINEX 2 header order. RINEX 3 codes are chosen
/// per receiver in the conversion layer.
enum class Observable : std::uint8_t { kL1, kL2, kC1, kP1, kP2, kD1, kD2 };
inline constexpr int kObservableCount = 7;

/// One observation as RINEX writes it: carrier phase in cycles, code in metres, Doppler in Hz.
struct Observation {
    double value = 0.0;
    /// RINEX loss-of-lock indicator bits 0..7 (bit 0: lost lock since the previous
    /// observation); 0 is written as a blank.
    std::uint8_t lossOfLock = 0;
    /// RINEX signal strength digit 1..9; 0 is written as a blank.
    std::uint8_t strength = 0;
    /// The receiver's own signal-to-noise value of the block this observation came from
    /// (0 when it has none); the conversion layer maps it to dB-Hz where the model is known.
    std::uint8_t rawSnr = 0;
};

/// The observations of one satellite; only the observables of the file's type list are set.
struct SatelliteObservations {
    SatelliteId satellite;
    std::array<Observation, kObservableCount> obs{};

    Observation& operator[](Observable o) { return obs[static_cast<std::size_t>(o)]; }
    const Observation& operator[](Observable o) const { return obs[static_cast<std::size_t>(o)]; }
};

/// An event written before an epoch: the antenna started moving (RINEX flag 2, with a comment)
/// or stands on a new site (flag 3, with the new MARKER NAME and a comment).
enum class EpochEvent : std::uint8_t { kNone, kAntennaMoving, kNewSite };

/// Most satellites one B-file epoch holds.
inline constexpr int kMaxEpochSatellites = 24;

struct ObservationEpoch {
    /// GPS time of the epoch tag, after any clock-jump repair.
    std::int32_t week = 0;
    double secondsOfWeek = 0.0;
    /// Receiver clock offset in seconds, as written on the epoch line.
    double clockOffset = 0.0;
    /// The receiver clock jump (seconds, a whole millisecond or two) repaired at this epoch,
    /// 0 when none: the quality check counts them, since a repaired epoch no longer shows it.
    double clockJump = 0.0;
    /// The event before this epoch, and the four-character site name it names (kNewSite).
    EpochEvent event = EpochEvent::kNone;
    std::array<char, 4> siteName{};
    /// The satellites in the receiver's order; `count` of them are valid.
    int count = 0;
    std::array<SatelliteObservations, kMaxEpochSatellites> satellites{};
};

}  // namespace kelvrant
