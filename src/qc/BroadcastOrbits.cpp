// Broadcast orbits of the quality check (see BroadcastOrbits.h).
#include "qc/BroadcastOrbits.h"

#include <cmath>

#include "geo/Geodetic.h"
#include "geo/GpsTime.h"
#include "geo/TimeConstants.h"

namespace kelvrant::qc {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kGpsMu = 3.986005e14;
constexpr double kGpsEarthRate = 7.2921151467e-5;
constexpr double kGloMu = 3.9860044e14;
constexpr double kGloJ2 = 1.0826257e-3;
constexpr double kGloRadius = 6378136.0;
constexpr double kGloEarthRate = 7.292115e-5;
/// GLONASS integration step: the interface document's accuracy holds for steps up to a
/// minute or so; shorter remainders are taken as one step.
constexpr double kGloStep = 60.0;
constexpr double kGpsValidity = 4.0 * 3600.0;
constexpr double kGloValidity = 3600.0;

using State = std::array<double, 6>;

// Equations of motion in the rotating Earth-fixed frame: central force, J2, centrifugal and
// Coriolis terms, plus the broadcast luni-solar acceleration.
State GloDerivative(const State& x, const Vec3& acc) {
    const double r2 = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
    const double r = std::sqrt(r2);
    const double r3 = r2 * r;
    const double w2 = kGloEarthRate * kGloEarthRate;
    const double a = 1.5 * kGloJ2 * kGloMu * kGloRadius * kGloRadius / (r2 * r3);
    const double b = 5.0 * x[2] * x[2] / r2;
    const double c = -kGloMu / r3 - a * (1.0 - b);
    return {x[3],
            x[4],
            x[5],
            (c + w2) * x[0] + 2.0 * kGloEarthRate * x[4] + acc.x,
            (c + w2) * x[1] - 2.0 * kGloEarthRate * x[3] + acc.y,
            (c - 2.0 * a) * x[2] + acc.z};
}

void RungeKuttaStep(double h, State& x, const Vec3& acc) {
    auto add = [](const State& base, const State& k, double f) {
        State out;
        for (std::size_t i = 0; i < 6; ++i)
            out[i] = base[i] + k[i] * f;
        return out;
    };
    const State k1 = GloDerivative(x, acc);
    const State k2 = GloDerivative(add(x, k1, h / 2.0), acc);
    const State k3 = GloDerivative(add(x, k2, h / 2.0), acc);
    const State k4 = GloDerivative(add(x, k3, h), acc);
    for (std::size_t i = 0; i < 6; ++i)
        x[i] += (k1[i] + 2.0 * k2[i] + 2.0 * k3[i] + k4[i]) * h / 6.0;
}

void Propagate(State& x, double dt, const Vec3& acc) {
    double remaining = dt;
    while (std::fabs(remaining) > 1e-9) {
        const double h =
            std::fabs(remaining) < kGloStep ? remaining : (remaining < 0.0 ? -kGloStep : kGloStep);
        RungeKuttaStep(h, x, acc);
        remaining -= h;
    }
}

double SolveKepler(double meanAnomaly, double e) {
    double ea = meanAnomaly;
    for (int i = 0; i < 30; ++i) {
        const double step = (ea - e * std::sin(ea) - meanAnomaly) / (1.0 - e * std::cos(ea));
        ea -= step;
        if (std::fabs(step) < 1e-15) break;
    }
    return ea;
}

}  // namespace

int SatelliteIndex(SatelliteId id) {
    if (id.system == GnssSystem::kGps)
        return id.number >= 1 && id.number <= 32 ? id.number - 1 : -1;
    return id.number >= 1 && id.number <= 24 ? 32 + id.number - 1 : -1;
}

SatelliteId SatelliteOfIndex(int index) {
    if (index < 32) return {GnssSystem::kGps, static_cast<std::uint8_t>(index + 1)};
    return {GnssSystem::kGlonass, static_cast<std::uint8_t>(index - 31)};
}

LocalFrame::LocalFrame(const Vec3& receiver) : origin_(receiver) {
    // Geodetic latitude by a few fixed-point steps; far better than the hundredth of a degree
    // the check reports.
    constexpr double a = kWgs84A;
    constexpr double e2 = kWgs84F * (2.0 - kWgs84F);
    const double p = std::hypot(receiver.x, receiver.y);
    const double lon = std::atan2(receiver.y, receiver.x);
    double lat = std::atan2(receiver.z, p * (1.0 - e2));
    for (int i = 0; i < 6; ++i) {
        const double s = std::sin(lat);
        const double n = a / std::sqrt(1.0 - e2 * s * s);
        lat = std::atan2(receiver.z + e2 * n * s, p);
    }
    const double sl = std::sin(lat), cl = std::cos(lat), so = std::sin(lon), co = std::cos(lon);
    east_ = {-so, co, 0.0};
    north_ = {-sl * co, -sl * so, cl};
    up_ = {cl * co, cl * so, sl};
}

SkyPosition LocalFrame::Look(const Vec3& satellite) const {
    const Vec3 d{satellite.x - origin_.x, satellite.y - origin_.y, satellite.z - origin_.z};
    auto dot = [&d](const Vec3& axis) { return axis.x * d.x + axis.y * d.y + axis.z * d.z; };
    const double east = dot(east_);
    const double north = dot(north_);
    const double up = dot(up_);
    SkyPosition sky;
    sky.azimuth = std::atan2(east, north) * 180.0 / kPi;
    if (sky.azimuth < 0.0) sky.azimuth += 360.0;
    sky.elevation = std::atan2(up, std::hypot(east, north)) * 180.0 / kPi;
    return sky;
}

void BroadcastOrbits::Add(const AshNavRecord& record) {
    if (record.IsGps()) {
        if (record.satellite < 1) return;
        GpsEphemeris eph;
        eph.toe = record.Toe();
        // The reference time may lie in the week after (or before) the one the message came in.
        eph.toeAbs =
            NearestWeek(record.Week(), record.Seconds(), eph.toe) * kSecondsPerWeek + eph.toe;
        eph.sqrtA = record.SqrtA();
        eph.e = record.Ecc();
        eph.m0 = record.M0();
        eph.deltaN = record.DeltaN();
        eph.omega0 = record.Omega0();
        eph.omega = record.Omega();
        eph.i0 = record.I0();
        eph.omegaDot = record.OmegaDot();
        eph.idot = record.Idot();
        eph.cuc = record.Cuc();
        eph.cus = record.Cus();
        eph.crc = record.Crc();
        eph.crs = record.Crs();
        eph.cic = record.Cic();
        eph.cis = record.Cis();
        gps_[static_cast<std::size_t>(record.satellite - 1)].push_back(eph);
        return;
    }
    const int slot = record.satellite - 32;
    if (slot < 1 || slot > 24) return;
    GlonassEphemeris eph;
    // tb is a time of the Moscow day (UTC + 3 h): the day is the one that puts tb nearest to
    // the moment the message was received.
    const double messageAbs = record.GloWeek() * kSecondsPerWeek + record.GloSeconds();
    const double moscow = messageAbs - leapSeconds_ + 10800.0;
    const double dayStart = std::floor(moscow / kSecondsPerDay) * kSecondsPerDay;
    double best = dayStart + record.Tb();
    for (const double d : {dayStart - kSecondsPerDay, dayStart + kSecondsPerDay}) {
        if (std::fabs(d + record.Tb() - moscow) < std::fabs(best - moscow)) best = d + record.Tb();
    }
    eph.tbAbs = best - 10800.0 + leapSeconds_;
    eph.state = {record.PosX(), record.PosY(), record.PosZ(),
                 record.VelX(), record.VelY(), record.VelZ()};
    eph.acceleration = {record.AccX(), record.AccY(), record.AccZ()};
    eph.channel = record.FrequencyNumber();
    glonass_[static_cast<std::size_t>(slot - 1)].push_back(eph);
}

std::optional<int> BroadcastOrbits::GlonassChannel(int slot) const {
    if (slot < 1 || slot > 24 || glonass_[static_cast<std::size_t>(slot - 1)].empty())
        return std::nullopt;
    return glonass_[static_cast<std::size_t>(slot - 1)].back().channel;
}

Vec3 BroadcastOrbits::GpsPosition(const GpsEphemeris& eph, double t) {
    const double a = eph.sqrtA * eph.sqrtA;
    const double tk = t - eph.toeAbs;
    const double n = std::sqrt(kGpsMu / (a * a * a)) + eph.deltaN;
    const double ek = SolveKepler(eph.m0 + n * tk, eph.e);
    const double nu =
        std::atan2(std::sqrt(1.0 - eph.e * eph.e) * std::sin(ek), std::cos(ek) - eph.e);
    const double phi = nu + eph.omega;
    const double s2 = std::sin(2.0 * phi);
    const double c2 = std::cos(2.0 * phi);
    const double u = phi + eph.cus * s2 + eph.cuc * c2;
    const double r = a * (1.0 - eph.e * std::cos(ek)) + eph.crs * s2 + eph.crc * c2;
    const double inc = eph.i0 + eph.cis * s2 + eph.cic * c2 + eph.idot * tk;
    const double xp = r * std::cos(u);
    const double yp = r * std::sin(u);
    const double om = eph.omega0 + (eph.omegaDot - kGpsEarthRate) * tk - kGpsEarthRate * eph.toe;
    return {xp * std::cos(om) - yp * std::cos(inc) * std::sin(om),
            xp * std::sin(om) + yp * std::cos(inc) * std::cos(om), yp * std::sin(inc)};
}

std::optional<Vec3> BroadcastOrbits::Position(SatelliteId id, double t) {
    const int index = SatelliteIndex(id);
    if (index < 0) return std::nullopt;
    if (id.system == GnssSystem::kGps) {
        const auto& list = gps_[static_cast<std::size_t>(index)];
        const GpsEphemeris* best = nullptr;
        for (const auto& eph : list)
            if (best == nullptr || std::fabs(eph.toeAbs - t) < std::fabs(best->toeAbs - t))
                best = &eph;
        if (best == nullptr || std::fabs(best->toeAbs - t) > kGpsValidity) return std::nullopt;
        return GpsPosition(*best, t);
    }
    const auto slot = static_cast<std::size_t>(id.number - 1);
    const auto& list = glonass_[slot];
    int best = -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (best < 0 || std::fabs(list[i].tbAbs - t) <
                            std::fabs(list[static_cast<std::size_t>(best)].tbAbs - t))
            best = static_cast<int>(i);
    }
    if (best < 0) return std::nullopt;
    const GlonassEphemeris& eph = list[static_cast<std::size_t>(best)];
    if (std::fabs(eph.tbAbs - t) > kGloValidity) return std::nullopt;
    GlonassCache& cache = cache_[slot];
    if (cache.ephemeris != best) {
        cache.ephemeris = best;
        cache.t = eph.tbAbs;
        cache.state = eph.state;
    }
    Propagate(cache.state, t - cache.t, eph.acceleration);
    cache.t = t;
    return Vec3{cache.state[0], cache.state[1], cache.state[2]};
}

}  // namespace kelvrant::qc
