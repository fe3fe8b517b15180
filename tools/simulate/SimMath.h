// Small self-contained helpers of the session simulator: vectors, a seeded random source that
// gives the same numbers on every platform, GPS-time calendar arithmetic and WGS-84 geometry.
// The simulator deliberately shares no code with the converter, so a fault on one side cannot
// hide the same fault on the other.
#pragma once

#include <cmath>
#include <cstdint>

namespace kelvrant::sim {

inline constexpr double kSpeedOfLight = 299792458.0;
inline constexpr double kSecondsPerWeek = 604800.0;
inline constexpr double kSecondsPerDay = 86400.0;
/// The value of pi that the GPS interface documents for semicircle conversions.
inline constexpr double kGpsPi = 3.1415926535898;
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kDegree = kPi / 180.0;

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(double s, const Vec3& a) {
    return {s * a.x, s * a.y, s * a.z};
}
inline double Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline double Norm(const Vec3& a) {
    return std::sqrt(Dot(a, a));
}
/// Rotation about the Z axis by angle (radians), positive anticlockwise seen from +Z.
inline Vec3 RotateZ(const Vec3& a, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {c * a.x - s * a.y, s * a.x + c * a.y, a.z};
}

/// Deterministic random source (splitmix64): the same seed gives the same numbers everywhere,
/// unlike the standard library distributions whose algorithms differ between implementations.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    /// Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    /// Integer uniform in [lo, hi].
    long Integer(long lo, long hi) {
        const auto span = static_cast<std::uint64_t>(hi - lo + 1);
        return lo + static_cast<long>(Next() % span);
    }
    /// Normal deviate with the given standard deviation (Box-Muller, one value per call).
    double Normal(double sigma) {
        double u1 = Uniform();
        if (u1 < 1e-300) u1 = 1e-300;
        const double u2 = Uniform();
        return sigma * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
    }

  private:
    std::uint64_t state_;
};

struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    double second = 0.0;
    int dayOfYear = 0;
};

/// Days since 1970-01-01 of a proleptic Gregorian date.
inline long DaysFromCivil(long y, long m, long d) {
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

/// Days from 1970-01-01 to the GPS time origin 1980-01-06.
inline constexpr long kGpsEpochDays = 3657;

/// Calendar date and time of a GPS week and seconds of week (no leap seconds: GPS time).
inline CivilTime GpsToCivil(long week, double sow) {
    double whole = std::floor(sow);
    double frac = sow - whole;
    long secs = static_cast<long>(whole);
    long days = kGpsEpochDays + week * 7 + secs / 86400;
    secs %= 86400;
    CivilTime t;
    // Inverse of DaysFromCivil.
    long z = days + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = yoe + era * 400;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long d = doy - (153 * mp + 2) / 5 + 1;
    const long m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2 ? 1 : 0;
    t.year = static_cast<int>(y);
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>((secs % 3600) / 60);
    t.second = static_cast<double>(secs % 60) + frac;
    t.dayOfYear = static_cast<int>(days - DaysFromCivil(y, 1, 1) + 1);
    return t;
}

/// GPS week and seconds of week of 00:00 of a calendar day.
inline void CivilToGps(int year, int month, int day, long& week, double& sow) {
    const long days = DaysFromCivil(year, month, day) - kGpsEpochDays;
    week = days / 7;
    sow = static_cast<double>((days % 7) * 86400);
}

/// WGS-84 latitude and longitude (radians) of an ECEF position; enough for elevation angles.
inline void EcefToLatLon(const Vec3& p, double& lat, double& lon) {
    constexpr double a = 6378137.0;
    constexpr double f = 1.0 / 298.257223563;
    constexpr double e2 = f * (2.0 - f);
    const double rho = std::hypot(p.x, p.y);
    lon = std::atan2(p.y, p.x);
    lat = std::atan2(p.z, rho * (1.0 - e2));
    for (int i = 0; i < 8; ++i) {
        const double s = std::sin(lat);
        const double n = a / std::sqrt(1.0 - e2 * s * s);
        lat = std::atan2(p.z + e2 * n * s, rho);
    }
}

/// East, north, up unit vectors at a geodetic latitude and longitude.
inline void LocalAxes(double lat, double lon, Vec3& east, Vec3& north, Vec3& up) {
    const double sl = std::sin(lat), cl = std::cos(lat), so = std::sin(lon), co = std::cos(lon);
    east = {-so, co, 0.0};
    north = {-sl * co, -sl * so, cl};
    up = {cl * co, cl * so, sl};
}

}  // namespace kelvrant::sim
