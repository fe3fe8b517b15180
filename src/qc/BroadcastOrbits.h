// Satellite positions from the broadcast navigation records of the E-file, for the sky
// positions of the quality check: the GPS Keplerian ephemeris with its harmonic corrections,
// and the GLONASS state vector integrated with fourth-order Runge-Kutta under the J2 force
// model, as the GLONASS interface document prescribes. Times are GPS seconds counted from
// the GPS time origin (week × 604800 + seconds of week).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "ashtech/EFileReader.h"
#include "convert/ObservationEpoch.h"

namespace kelvrant::qc {

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

/// Azimuth (0..360, from north through east) and elevation (-90..90), degrees.
struct SkyPosition {
    double azimuth = 0.0;
    double elevation = 0.0;
};

/// Index 0..55 of a satellite: GPS PRN 1..32 first, then GLONASS slots 1..24; -1 outside.
int SatelliteIndex(SatelliteId id);
inline constexpr int kSatelliteSlots = 56;
SatelliteId SatelliteOfIndex(int index);

/// The local east, north and up axes of a receiver (ECEF metres), for the azimuth and
/// elevation of satellites seen from it.
class LocalFrame {
  public:
    LocalFrame() = default;
    explicit LocalFrame(const Vec3& receiver);
    SkyPosition Look(const Vec3& satellite) const;

  private:
    Vec3 origin_, east_, north_, up_;
};

class BroadcastOrbits {
  public:
    /// GPS-UTC leap seconds: GLONASS reference times are Moscow time (UTC + 3 h).
    explicit BroadcastOrbits(int leapSeconds) : leapSeconds_(leapSeconds) {}

    /// Keeps a record (GPS angles in radians, as the E-file reader hands them out).
    void Add(const AshNavRecord& record);

    /// The satellite's ECEF position at GPS time t from the ephemeris nearest in time, or
    /// nothing when no ephemeris lies close enough (4 h GPS, 1 h GLONASS).
    std::optional<Vec3> Position(SatelliteId id, double t);

    /// GLONASS frequency channel number of a slot (from its latest record), or nothing.
    std::optional<int> GlonassChannel(int slot) const;

  private:
    struct GpsEphemeris {
        double toeAbs = 0.0;
        double toe = 0.0;
        double sqrtA = 0.0, e = 0.0, m0 = 0.0, deltaN = 0.0, omega0 = 0.0, omega = 0.0;
        double i0 = 0.0, omegaDot = 0.0, idot = 0.0;
        double cuc = 0.0, cus = 0.0, crc = 0.0, crs = 0.0, cic = 0.0, cis = 0.0;
    };
    struct GlonassEphemeris {
        double tbAbs = 0.0;
        std::array<double, 6> state{};
        Vec3 acceleration;
        int channel = 0;
    };
    /// The last GLONASS state a position was integrated to: consecutive epochs integrate on
    /// from it instead of from the reference time again.
    struct GlonassCache {
        int ephemeris = -1;  ///< index into the slot's list, -1: none yet
        double t = 0.0;
        std::array<double, 6> state{};
    };

    static Vec3 GpsPosition(const GpsEphemeris& eph, double t);

    int leapSeconds_;
    std::array<std::vector<GpsEphemeris>, 32> gps_;
    std::array<std::vector<GlonassEphemeris>, 24> glonass_;
    std::array<GlonassCache, 24> cache_;
};

}  // namespace kelvrant::qc
