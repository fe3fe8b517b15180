// Satellite positions and clocks of the session simulator, computed from the broadcast
// ephemerides exactly as a receiver user computes them: the GPS Keplerian algorithm with the
// harmonic corrections, Earth rotation and the relativistic clock term, and the GLONASS state
// vector integrated with fourth-order Runge-Kutta under the J2 force model.
#pragma once

#include <cmath>

#include "SimMath.h"

namespace kelvrant::sim {

inline constexpr double kGpsMu = 3.986005e14;          // m^3/s^2
inline constexpr double kEarthRate = 7.2921151467e-5;  // rad/s, GPS value
/// Relativistic clock constant F = -2 sqrt(mu) / c^2, s/m^(1/2).
inline constexpr double kRelativityF = -4.442807633e-10;

/// One GPS broadcast ephemeris. Angles are kept in semicircles exactly as stored in the E-file;
/// the three rate fields are single precision there and are held here already rounded.
struct GpsEphemeris {
    int prn = 0;
    int iode = 0;
    int iodc = 0;
    int health = 0;
    int accuracy = 0;
    long week = 0;             ///< GPS week of the message (the record's week field)
    double transmitSow = 0.0;  ///< seconds of that week the message was received
    double toeAbs = 0.0;       ///< toe as seconds since the session's reference week start
    double toe = 0.0;          ///< seconds of week
    double toc = 0.0;          ///< seconds of week (equal to toe)
    double sqrtA = 0.0;
    double e = 0.0;
    double m0 = 0.0;        ///< semicircles
    double omega0 = 0.0;    ///< semicircles
    double i0 = 0.0;        ///< semicircles
    double omega = 0.0;     ///< semicircles
    float deltaN = 0.0f;    ///< semicircles/s
    float omegaDot = 0.0f;  ///< semicircles/s
    float idot = 0.0f;      ///< semicircles/s
    float cuc = 0.0f, cus = 0.0f, crc = 0.0f, crs = 0.0f, cic = 0.0f, cis = 0.0f;
    float af0 = 0.0f, af1 = 0.0f, af2 = 0.0f;
    float tgd = 0.0f;
};

struct GpsSatState {
    Vec3 position;       ///< ECEF at the evaluation time, metres
    double clock = 0.0;  ///< satellite clock offset incl. relativistic term, seconds
    double eccentricAnomaly = 0.0;
};

/// Eccentric anomaly from the mean anomaly (Kepler's equation by Newton iteration).
inline double SolveKepler(double meanAnomaly, double e) {
    double ea = meanAnomaly;
    for (int i = 0; i < 30; ++i) {
        const double step = (ea - e * std::sin(ea) - meanAnomaly) / (1.0 - e * std::cos(ea));
        ea -= step;
        if (std::fabs(step) < 1e-15) break;
    }
    return ea;
}

/// Broadcast position (ECEF at t) and clock of a GPS satellite; t is seconds since the same
/// reference week start as `toeAbs`. Angles use the converter's radian factor so that the
/// simulated truth equals what a navigation-file user evaluates.
inline GpsSatState GpsBroadcast(const GpsEphemeris& eph, double t) {
    constexpr double rad = kPi;
    const double a = eph.sqrtA * eph.sqrtA;
    const double tk = t - eph.toeAbs;
    const double n0 = std::sqrt(kGpsMu / (a * a * a));
    const double n = n0 + static_cast<double>(static_cast<float>(eph.deltaN * rad));
    const double mk = eph.m0 * rad + n * tk;
    const double ek = SolveKepler(mk, eph.e);
    const double sinE = std::sin(ek);
    const double cosE = std::cos(ek);
    const double nu = std::atan2(std::sqrt(1.0 - eph.e * eph.e) * sinE, cosE - eph.e);
    const double phi = nu + eph.omega * rad;
    const double s2 = std::sin(2.0 * phi);
    const double c2 = std::cos(2.0 * phi);
    const double du = eph.cus * s2 + eph.cuc * c2;
    const double dr = eph.crs * s2 + eph.crc * c2;
    const double di = eph.cis * s2 + eph.cic * c2;
    const double u = phi + du;
    const double r = a * (1.0 - eph.e * cosE) + dr;
    const double inc =
        eph.i0 * rad + di + static_cast<double>(static_cast<float>(eph.idot * rad)) * tk;
    const double xp = r * std::cos(u);
    const double yp = r * std::sin(u);
    const double omegaDot = static_cast<double>(static_cast<float>(eph.omegaDot * rad));
    const double om = eph.omega0 * rad + (omegaDot - kEarthRate) * tk - kEarthRate * eph.toe;
    GpsSatState s;
    s.position = {xp * std::cos(om) - yp * std::cos(inc) * std::sin(om),
                  xp * std::sin(om) + yp * std::cos(inc) * std::cos(om), yp * std::sin(inc)};
    const double dt = tk + (eph.toe - eph.toc);
    s.clock = static_cast<double>(eph.af0) + static_cast<double>(eph.af1) * dt +
              static_cast<double>(eph.af2) * dt * dt + kRelativityF * eph.e * eph.sqrtA * sinE;
    s.eccentricAnomaly = ek;
    return s;
}

// ---------------------------------------------------------------- GLONASS

inline constexpr double kGloMu = 3.9860044e14;
inline constexpr double kGloJ2 = 1.0826257e-3;
inline constexpr double kGloRadius = 6378136.0;
inline constexpr double kGloEarthRate = 7.292115e-5;
/// Integration step of the GLONASS state vector, seconds.
inline constexpr double kGloStep = 60.0;

struct GloEphemeris {
    int slot = 0;             ///< 1..24
    int frequencyNumber = 0;  ///< -7..6
    int health = 0;
    int age = 0;
    double tbAbs = 0.0;       ///< reference time, GPS seconds since the reference week start
    double tbMoscow = 0.0;    ///< reference time, seconds of the Moscow day
    long messageWeek = 0;     ///< GPS week of reception
    double messageSow = 0.0;  ///< GPS seconds of week of reception
    long tk = 0;              ///< frame time, seconds of the Moscow day
    Vec3 position, velocity, acceleration;  ///< metres, m/s, m/s^2 (ECEF)
    float tauN = 0.0f;  ///< clock offset as broadcast (clock = -tauN + gammaN (t - tb))
    float gammaN = 0.0f;
    double tauC = 0.0;
};

/// Derivative of the GLONASS state (position, velocity) in the rotating Earth frame.
inline void GloDerivative(const double x[6], double dx[6], const Vec3& acc) {
    const double r2 = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
    const double r = std::sqrt(r2);
    const double r3 = r2 * r;
    const double w2 = kGloEarthRate * kGloEarthRate;
    const double a = 1.5 * kGloJ2 * kGloMu * kGloRadius * kGloRadius / (r2 * r3);
    const double b = 5.0 * x[2] * x[2] / r2;
    const double c = -kGloMu / r3 - a * (1.0 - b);
    dx[0] = x[3];
    dx[1] = x[4];
    dx[2] = x[5];
    dx[3] = (c + w2) * x[0] + 2.0 * kGloEarthRate * x[4] + acc.x;
    dx[4] = (c + w2) * x[1] - 2.0 * kGloEarthRate * x[3] + acc.y;
    dx[5] = (c - 2.0 * a) * x[2] + acc.z;
}

inline void GloRungeKutta(double h, double x[6], const Vec3& acc) {
    double k1[6], k2[6], k3[6], k4[6], w[6];
    GloDerivative(x, k1, acc);
    for (int i = 0; i < 6; ++i)
        w[i] = x[i] + k1[i] * h / 2.0;
    GloDerivative(w, k2, acc);
    for (int i = 0; i < 6; ++i)
        w[i] = x[i] + k2[i] * h / 2.0;
    GloDerivative(w, k3, acc);
    for (int i = 0; i < 6; ++i)
        w[i] = x[i] + k3[i] * h;
    GloDerivative(w, k4, acc);
    for (int i = 0; i < 6; ++i)
        x[i] += (k1[i] + 2.0 * k2[i] + 2.0 * k3[i] + k4[i]) * h / 6.0;
}

/// Propagates a state by dt seconds in steps of at most `step` seconds.
inline void GloPropagate(double x[6], double dt, const Vec3& acc, double step = kGloStep) {
    double remaining = dt;
    const double h = remaining < 0.0 ? -step : step;
    while (std::fabs(remaining) > 1e-9) {
        const double hh = std::fabs(remaining) < step ? remaining : h;
        GloRungeKutta(hh, x, acc);
        remaining -= hh;
    }
}

struct GloSatState {
    Vec3 position;
    Vec3 velocity;
    double clock = 0.0;
};

/// Broadcast position and clock of a GLONASS satellite at t (GPS seconds since the reference
/// week start), integrated from the ephemeris reference time.
inline GloSatState GloBroadcast(const GloEphemeris& eph, double t) {
    double x[6] = {eph.position.x, eph.position.y, eph.position.z,
                   eph.velocity.x, eph.velocity.y, eph.velocity.z};
    const double dt = t - eph.tbAbs;
    GloPropagate(x, dt, eph.acceleration);
    GloSatState s;
    s.position = {x[0], x[1], x[2]};
    s.velocity = {x[3], x[4], x[5]};
    s.clock = -static_cast<double>(eph.tauN) + static_cast<double>(eph.gammaN) * dt;
    return s;
}

/// GLONASS carrier frequencies of a frequency channel number, Hz.
inline double GloL1(int k) {
    return 1602.0e6 + 0.5625e6 * k;
}
inline double GloL2(int k) {
    return 1246.0e6 + 0.4375e6 * k;
}
inline constexpr double kGpsL1 = 1575.42e6;
inline constexpr double kGpsL2 = 1227.60e6;

}  // namespace kelvrant::sim
