// Session simulation: constellation, receiver clock, station track and observations.
#include "Session.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace kelvrant::sim {
namespace {

double WrapPi(double angle) {
    angle = std::fmod(angle + kPi, 2.0 * kPi);
    if (angle < 0.0) angle += 2.0 * kPi;
    return angle - kPi;
}

/// Rounds to a power-of-two resolution, as broadcast navigation words quantise their fields.
double Quantise(double value, int exponent) {
    const double lsb = std::ldexp(1.0, exponent);
    return std::round(value / lsb) * lsb;
}

/// Long-lived orbit and clock of one GPS satellite from which every ephemeris set is cut, so
/// that consecutive sets describe the same trajectory.
struct GpsTrack {
    int prn = 0;
    double sqrtA = 0.0, e = 0.0, meanAnomaly = 0.0, node = 0.0, inclination = 0.0, perigee = 0.0;
    float deltaN = 0.0f, omegaDot = 0.0f, idot = 0.0f;
    float cuc = 0.0f, cus = 0.0f, crc = 0.0f, crs = 0.0f, cic = 0.0f, cis = 0.0f;
    double clock0 = 0.0, clock1 = 0.0;
    float tgd = 0.0f;
};

GpsEphemeris CutGpsEphemeris(const GpsTrack& tr, double tRef, double toeAbs, long refWeek) {
    GpsEphemeris eph;
    eph.prn = tr.prn;
    eph.sqrtA = tr.sqrtA;
    eph.e = tr.e;
    eph.omega = tr.perigee / kPi;
    eph.deltaN = tr.deltaN;
    eph.omegaDot = tr.omegaDot;
    eph.idot = tr.idot;
    eph.cuc = tr.cuc;
    eph.cus = tr.cus;
    eph.crc = tr.crc;
    eph.crs = tr.crs;
    eph.cic = tr.cic;
    eph.cis = tr.cis;
    eph.tgd = tr.tgd;
    const double weekOffset = std::floor(toeAbs / kSecondsPerWeek) * kSecondsPerWeek;
    eph.toeAbs = toeAbs;
    eph.toe = toeAbs - weekOffset;
    eph.toc = eph.toe;
    const double dt = toeAbs - tRef;
    const double a = tr.sqrtA * tr.sqrtA;
    // The rates exactly as a user will apply them (see GpsBroadcast).
    const double n =
        std::sqrt(kGpsMu / (a * a * a)) + static_cast<double>(static_cast<float>(tr.deltaN * kPi));
    const double nodeRate = static_cast<double>(static_cast<float>(tr.omegaDot * kPi));
    const double incRate = static_cast<double>(static_cast<float>(tr.idot * kPi));
    eph.m0 = WrapPi(tr.meanAnomaly + n * dt) / kPi;
    // The node longitude is counted from the start of the toe's own week.
    eph.omega0 = WrapPi(tr.node + nodeRate * dt - kEarthRate * weekOffset) / kPi;
    eph.i0 = (tr.inclination + incRate * dt) / kPi;
    eph.af0 = static_cast<float>(Quantise(tr.clock0 + tr.clock1 * dt, -31));
    eph.af1 = static_cast<float>(Quantise(tr.clock1, -43));
    eph.af2 = 0.0f;
    const int setNumber = static_cast<int>(std::lround(toeAbs / 7200.0));
    eph.iode = ((setNumber % 200) + 200 + tr.prn * 7) % 256;
    eph.iodc = eph.iode;
    eph.health = 0;
    eph.accuracy = 2;
    // Received some time before the reference time, on a whole 6-second subframe boundary.
    const double received = toeAbs - 7200.0 + 6.0 * tr.prn;
    const double recvWeeks = std::floor(received / kSecondsPerWeek);
    eph.week = refWeek + static_cast<long>(recvWeeks);
    eph.transmitSow = received - recvWeeks * kSecondsPerWeek;
    return eph;
}

std::vector<GpsEphemeris> MakeGps(Rng& rng, long refWeek, double tRef, double first, double last) {
    std::vector<GpsTrack> tracks;
    for (int plane = 0; plane < 6; ++plane) {
        for (int slot = 0; slot < 5; ++slot) {
            GpsTrack tr;
            tr.prn = plane * 5 + slot + 1;
            tr.node = WrapPi((plane * 60.0 + rng.Uniform(-3.0, 3.0)) * kDegree);
            tr.perigee = rng.Uniform(-kPi, kPi);
            // Slots are spaced along the plane by argument of latitude, not mean anomaly.
            const double argLat = (slot * 72.0 + plane * 12.0 + rng.Uniform(-2.0, 2.0)) * kDegree;
            tr.meanAnomaly = WrapPi(argLat - tr.perigee);
            tr.inclination = (55.0 + rng.Uniform(-1.5, 1.5)) * kDegree;
            tr.e = rng.Uniform(0.005, 0.015);
            tr.sqrtA = 5153.6 + rng.Uniform(-0.4, 0.4);
            tr.deltaN = static_cast<float>(rng.Uniform(3.8e-9, 5.2e-9) / kPi);
            tr.omegaDot = static_cast<float>((-8.0e-9 + rng.Uniform(-0.6e-9, 0.6e-9)) / kPi);
            tr.idot = static_cast<float>(rng.Uniform(-3e-10, 3e-10) / kPi);
            tr.cuc = static_cast<float>(rng.Uniform(-8e-6, 8e-6));
            tr.cus = static_cast<float>(rng.Uniform(-8e-6, 8e-6));
            tr.crc = static_cast<float>(rng.Uniform(150.0, 350.0));
            tr.crs = static_cast<float>(rng.Uniform(-120.0, 120.0));
            tr.cic = static_cast<float>(rng.Uniform(-2e-7, 2e-7));
            tr.cis = static_cast<float>(rng.Uniform(-2e-7, 2e-7));
            tr.clock0 = rng.Uniform(-4e-4, 4e-4);
            tr.clock1 = rng.Uniform(-8e-12, 8e-12);
            tr.tgd = static_cast<float>(Quantise(rng.Uniform(-1.2e-8, 1.2e-8), -31));
            tracks.push_back(tr);
        }
    }
    std::vector<GpsEphemeris> out;
    const double firstToe = std::floor(first / 7200.0) * 7200.0;
    const double lastToe = std::ceil(last / 7200.0) * 7200.0;
    for (const auto& tr : tracks)
        for (double toe = firstToe; toe <= lastToe + 0.5; toe += 7200.0)
            out.push_back(CutGpsEphemeris(tr, tRef, toe, refWeek));
    return out;
}

/// GLONASS frequency channel numbers by slot (antipodal satellites share a channel).
constexpr int kGloChannel[24] = {1,  -4, 5, 6,  1, -4, 5, 6, -2, -7, 0, -1,
                                 -2, -7, 0, -1, 4, -3, 3, 2, 4,  -3, 3, 2};

std::vector<GloEphemeris> MakeGlonass(Rng& rng, long refWeek, int leap, double first, double last) {
    // Reference times every 30 minutes at quarter past and quarter to the UTC hour.
    const double firstUtc = std::floor((first - leap - 900.0) / 1800.0) * 1800.0 + 900.0;
    std::vector<double> tbs;
    for (double tb = firstUtc; tb + leap <= last + 1800.0; tb += 1800.0)
        tbs.push_back(tb + leap);
    std::vector<GloEphemeris> out;
    if (tbs.empty()) return out;
    for (int slot = 1; slot <= 24; ++slot) {
        const int plane = (slot - 1) / 8;
        const int position = (slot - 1) % 8;
        const double node = (plane * 120.0 + rng.Uniform(-1.0, 1.0)) * kDegree;
        const double inc = (64.8 + rng.Uniform(-0.3, 0.3)) * kDegree;
        const double a = 25510000.0 + rng.Uniform(-2000.0, 2000.0);
        const double e = rng.Uniform(0.0002, 0.002);
        const double perigee = rng.Uniform(-kPi, kPi);
        const double argLat = (position * 45.0 + plane * 15.0 + rng.Uniform(-2.0, 2.0)) * kDegree;
        const double clockA = rng.Uniform(-6e-5, 6e-5);
        const double clockB = Quantise(rng.Uniform(-3e-12, 3e-12), -40);
        // Inertial state at the first reference time from Keplerian elements.
        const double meanAnomaly = argLat - perigee;
        const double ea = SolveKepler(meanAnomaly, e);
        const double p = a * (1.0 - e * e);
        const double nu = std::atan2(std::sqrt(1.0 - e * e) * std::sin(ea), std::cos(ea) - e);
        const double r = p / (1.0 + e * std::cos(nu));
        const double h = std::sqrt(kGloMu * p);
        const Vec3 rPf{r * std::cos(nu), r * std::sin(nu), 0.0};
        const Vec3 vPf{-kGloMu / h * std::sin(nu), kGloMu / h * (e + std::cos(nu)), 0.0};
        auto toInertial = [&](const Vec3& v) {
            Vec3 w = RotateZ(v, perigee);
            w = {w.x, w.y * std::cos(inc) - w.z * std::sin(inc),
                 w.y * std::sin(inc) + w.z * std::cos(inc)};
            return RotateZ(w, node);
        };
        const Vec3 ri = toInertial(rPf);
        const Vec3 vi = toInertial(vPf);
        // Earth-fixed frame aligned with the inertial one at the first reference time.
        double x[6] = {ri.x, ri.y, ri.z, vi.x + kGloEarthRate * ri.y, vi.y - kGloEarthRate * ri.x,
                       vi.z};
        double t = tbs.front();
        for (const double tb : tbs) {
            GloPropagate(x, tb - t, Vec3{}, 10.0);
            t = tb;
            GloEphemeris eph;
            eph.slot = slot;
            eph.frequencyNumber = kGloChannel[slot - 1];
            eph.tbAbs = tb;
            const double utc = tb - leap;
            eph.tbMoscow = std::fmod(std::fmod(utc + 10800.0, kSecondsPerDay) + kSecondsPerDay,
                                     kSecondsPerDay);
            eph.position = {x[0], x[1], x[2]};
            eph.velocity = {x[3], x[4], x[5]};
            eph.tauN = static_cast<float>(-(clockA + clockB * (tb - tbs.front())));
            eph.gammaN = static_cast<float>(clockB);
            const double received = tb - 900.0 - 30.0 * (slot % 5);
            const double weeks = std::floor(received / kSecondsPerWeek);
            eph.messageWeek = refWeek + static_cast<long>(weeks);
            eph.messageSow = received - weeks * kSecondsPerWeek;
            const double frameMoscow =
                std::fmod(std::fmod(received - leap + 10800.0, kSecondsPerDay) + kSecondsPerDay,
                          kSecondsPerDay);
            eph.tk = static_cast<long>(std::floor(frameMoscow / 30.0)) * 30;
            out.push_back(eph);
        }
    }
    return out;
}

struct Geometry {
    double range = 0.0;      ///< geometric range incl. Earth rotation during flight, metres
    double satClock = 0.0;   ///< seconds
    double elevation = 0.0;  ///< radians
    Vec3 unit;               ///< unit vector from the receiver towards the satellite
};

/// Solves the signal's travel time to a receiver at `rx` receiving at GPS time `tRx`.
template <typename StateAt>
Geometry SolveTransit(const StateAt& stateAt, double tRx, const Vec3& rx, const Vec3& up) {
    Geometry g;
    double tau = 0.075;
    Vec3 sat;
    for (int i = 0; i < 8; ++i) {
        double clock = 0.0;
        const Vec3 atTransmit = stateAt(tRx - tau, clock);
        // The Earth turns while the signal travels: express the transmit position in the
        // Earth-fixed frame of the reception time.
        sat = RotateZ(atTransmit, -kEarthRate * tau);
        g.satClock = clock;
        const double rho = Norm(sat - rx);
        const double next = rho / kSpeedOfLight;
        g.range = rho;
        if (std::fabs(next - tau) < 1e-13) break;
        tau = next;
    }
    const Vec3 los = sat - rx;
    g.unit = (1.0 / Norm(los)) * los;
    g.elevation = std::asin(Dot(g.unit, up));
    return g;
}

int ReceiverSnr(const std::string& receiver, double elevation, Rng& rng, int weaker) {
    double s = std::sin(std::max(elevation, 0.0));
    double value;
    if (receiver == "UZ-12")
        value = 33.0 + 22.0 * s;
    else if (receiver == "G12" || receiver == "Z18" || receiver == "GG24" || receiver == "GG-XXIV")
        value = 28.0 + 24.0 * s;
    else
        value = 70.0 + 140.0 * s;
    value += rng.Normal(1.0) - weaker;
    return static_cast<int>(std::clamp(std::lround(value), 1L, 255L));
}

/// PDOP x 100 of unit line-of-sight vectors (position and one clock), 0 when undefined.
int Pdop100(const std::vector<Vec3>& los) {
    if (los.size() < 4) return 0;
    double n[4][8] = {};
    for (const auto& u : los) {
        const double h[4] = {-u.x, -u.y, -u.z, 1.0};
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                n[i][j] += h[i] * h[j];
    }
    for (int i = 0; i < 4; ++i)
        n[i][4 + i] = 1.0;
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(n[r][c]) > std::fabs(n[pivot][c])) pivot = r;
        if (std::fabs(n[pivot][c]) < 1e-12) return 0;
        for (int k = 0; k < 8; ++k)
            std::swap(n[c][k], n[pivot][k]);
        const double d = n[c][c];
        for (int k = 0; k < 8; ++k)
            n[c][k] /= d;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double f = n[r][c];
            for (int k = 0; k < 8; ++k)
                n[r][k] -= f * n[c][k];
        }
    }
    const double pdop = std::sqrt(n[0][4] + n[1][5] + n[2][6]);
    return static_cast<int>(std::min(std::lround(pdop * 100.0), 65535L));
}

enum class BlockKind { kCa, kCodeOnly, kP1, kP2, kEmpty };

std::vector<BlockKind> BlockKinds(int dataType, int blocks) {
    std::vector<BlockKind> kinds;
    switch (dataType) {
        case 1:
            kinds = {BlockKind::kCa};
            break;
        case 2:
            kinds = {BlockKind::kCa, BlockKind::kP2};
            break;
        case 4:
            kinds = {BlockKind::kCodeOnly};
            break;
        case 5:
            kinds = {BlockKind::kCa, BlockKind::kP1};
            break;
        case 6:
            kinds = {BlockKind::kCa, BlockKind::kP2};
            break;
        default:
            kinds = {BlockKind::kCa, BlockKind::kP1, BlockKind::kP2};
            break;
    }
    while (static_cast<int>(kinds.size()) < blocks)
        kinds.push_back(BlockKind::kEmpty);
    return kinds;
}

struct PassState {
    bool tracking = false;
    double ambiguity1 = 0.0;
    double ambiguity2 = 0.0;
};

}  // namespace

int BlocksForDataType(int dataType) {
    switch (dataType) {
        case 1:
        case 4:
            return 1;
        case 2:
        case 5:
        case 6:
            return 2;
        default:
            return 3;
    }
}

Session Simulate(const SimOptions& in) {
    Session s;
    s.options = in;
    SimOptions& o = s.options;
    if (o.week <= 0) o.week = 2448;
    if (o.startSow < 0.0) o.startSow = 208800.0;
    s.blocks = o.blocks > 0 ? o.blocks : BlocksForDataType(o.dataType);
    s.startCivil = GpsToCivil(o.week, o.startSow);
    if (o.name.empty()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%-4.4s%c%02d.%03d", o.site.c_str(), o.session,
                      s.startCivil.year % 100, s.startCivil.dayOfYear);
        s.baseName = buf;
    } else {
        s.baseName = o.name;
    }

    Rng rng(o.seed);
    const double start = o.startSow;
    const long epochCount =
        o.interval > 0.0 ? static_cast<long>(std::floor(o.length / o.interval + 1e-9)) : 0;
    const double end = start + static_cast<double>(std::max(epochCount - 1, 0L)) * o.interval;
    s.gps = MakeGps(rng, o.week, start, start, end);
    if (o.glonass) s.glonass = MakeGlonass(rng, o.week, o.leapSeconds, start, end);

    std::map<int, std::vector<const GpsEphemeris*>> gpsByPrn;
    for (const auto& e : s.gps)
        gpsByPrn[e.prn].push_back(&e);
    std::map<int, std::vector<const GloEphemeris*>> gloBySlot;
    for (const auto& e : s.glonass)
        gloBySlot[e.slot].push_back(&e);

    // Receiver clock: offset within a millisecond, slow drift, millisecond steps.
    const double clock0 = rng.Uniform(-4e-4, 4e-4);
    const double drift = rng.Uniform(-3e-8, 3e-8);
    double jumps = 0.0;

    const Vec3 site1 = o.station;
    const Vec3 site2 = o.station + o.newSiteOffset;
    auto staticPosition = [&](long k) {
        return (o.siteChangeEpoch >= 0 && k >= o.siteChangeEpoch) ? site2 : site1;
    };
    std::map<int, PassState> passes;
    const double mask = o.maskDegrees * kDegree;
    const auto kinds = BlockKinds(o.dataType, s.blocks);

    for (long k = 0; k < epochCount; ++k) {
        SimEpoch ep;
        ep.receiverTime = start + static_cast<double>(k) * o.interval;
        double clock = clock0 + drift * (ep.receiverTime - start) + jumps;
        if (std::fabs(clock) > 1e-3 || k == o.clockJumpEpoch) {
            const double step = clock >= 0.0 ? -1e-3 : 1e-3;
            jumps += step;
            clock += step;
            s.jumpEpochs.push_back(static_cast<int>(k));
        }
        const double clockContinuous = clock - jumps;
        ep.clockSeconds = clock;
        const double tGps = ep.receiverTime - clock;

        const bool moving = o.movingFirst >= 0 && k >= o.movingFirst && k <= o.movingLast;
        if (moving) {
            const Vec3 from = staticPosition(o.movingFirst - 1);
            const Vec3 to = staticPosition(o.movingLast + 1);
            const double f = static_cast<double>(k - o.movingFirst + 1) /
                             static_cast<double>(o.movingLast - o.movingFirst + 2);
            ep.truePosition = from + f * (to - from);
            ep.site = {'?', '?', '?', '?'};
        } else {
            ep.truePosition = staticPosition(k);
            const std::string& name =
                (o.siteChangeEpoch >= 0 && k >= o.siteChangeEpoch) ? o.newSite : o.site;
            for (std::size_t i = 0; i < 4; ++i)
                ep.site[i] = i < name.size() ? name[i] : ' ';
        }
        const Vec3 rx = ep.truePosition;
        double lat = 0.0, lon = 0.0;
        EcefToLatLon(rx, lat, lon);
        Vec3 east, north, up;
        LocalAxes(lat, lon, east, north, up);

        struct Candidate {
            int number;
            double elevation;
            double f1, f2;
            double code1, code2;  // noise-free pseudoranges, metres
            double carrierBase;   // noise-free carrier range without clock steps, metres
            double rate;          // pseudorange rate, m/s
            double tgdMetres;
            Vec3 los;
        };
        std::vector<Candidate> visible;

        auto consider = [&](int number, auto&& stateAt, double f1, double f2, double tgd) {
            const Geometry g = SolveTransit(stateAt, tGps, rx, up);
            if (g.elevation < mask) return;
            const Geometry gp = SolveTransit(stateAt, tGps + 0.5, rx, up);
            const Geometry gm = SolveTransit(stateAt, tGps - 0.5, rx, up);
            Candidate c;
            c.number = number;
            c.elevation = g.elevation;
            c.f1 = f1;
            c.f2 = f2;
            const double common = g.range - kSpeedOfLight * g.satClock;
            c.tgdMetres = kSpeedOfLight * tgd;
            const double gamma = (f1 / f2) * (f1 / f2);
            c.code1 = common + kSpeedOfLight * clock + c.tgdMetres;
            c.code2 = common + kSpeedOfLight * clock + gamma * c.tgdMetres;
            c.carrierBase = common + kSpeedOfLight * clockContinuous;
            c.rate = (gp.range - kSpeedOfLight * gp.satClock) -
                     (gm.range - kSpeedOfLight * gm.satClock) + kSpeedOfLight * drift;
            c.los = g.unit;
            visible.push_back(c);
        };

        for (const auto& [prn, list] : gpsByPrn) {
            auto nearest = [&](double t) {
                const GpsEphemeris* best = list.front();
                for (const auto* e : list)
                    if (std::fabs(e->toeAbs - t) < std::fabs(best->toeAbs - t)) best = e;
                return best;
            };
            auto stateAt = [&](double t, double& clk) {
                const GpsSatState st = GpsBroadcast(*nearest(t), t);
                clk = st.clock;
                return st.position;
            };
            consider(prn, stateAt, kGpsL1, kGpsL2, static_cast<double>(nearest(tGps)->tgd));
        }
        for (const auto& [slot, list] : gloBySlot) {
            auto nearest = [&](double t) {
                const GloEphemeris* best = list.front();
                for (const auto* e : list)
                    if (std::fabs(e->tbAbs - t) < std::fabs(best->tbAbs - t)) best = e;
                return best;
            };
            auto stateAt = [&](double t, double& clk) {
                const GloSatState st = GloBroadcast(*nearest(t), t);
                clk = st.clock;
                return st.position;
            };
            const int channel = list.front()->frequencyNumber;
            consider(32 + slot, stateAt, GloL1(channel), GloL2(channel), 0.0);
        }

        // A receiver holds at most 24 channels: keep the highest satellites.
        std::sort(visible.begin(), visible.end(),
                  [](const Candidate& a, const Candidate& b) { return a.elevation > b.elevation; });
        if (visible.size() > 24) visible.resize(24);
        std::sort(visible.begin(), visible.end(),
                  [](const Candidate& a, const Candidate& b) { return a.number < b.number; });

        std::map<int, bool> seen;
        std::vector<Vec3> lineOfSight;
        for (const auto& c : visible) {
            seen[c.number] = true;
            PassState& pass = passes[c.number];
            const bool newPass = !pass.tracking;
            if (newPass) {
                pass.tracking = true;
                pass.ambiguity1 = static_cast<double>(rng.Integer(-2000000, 2000000));
                pass.ambiguity2 = static_cast<double>(rng.Integer(-2000000, 2000000));
            }
            // A cycle slip: whole cycles added to both carriers from here on, lock lost.
            const bool slip = k == o.slipEpoch && c.number == o.slipSatellite;
            if (slip) {
                pass.ambiguity1 += 7.0;
                pass.ambiguity2 += 5.0;
            }
            SatObservation so;
            so.number = c.number;
            so.elevation = c.elevation;
            const double lambda1 = kSpeedOfLight / c.f1;
            const double lambda2 = kSpeedOfLight / c.f2;
            for (const BlockKind kind : kinds) {
                ObsBlock b;
                b.quality = static_cast<std::uint8_t>(o.quality);
                if (kind == BlockKind::kEmpty) {
                    b.warning = 0x0C;
                    so.blocks.push_back(b);
                    continue;
                }
                const bool second = kind == BlockKind::kP2;
                const double code = second ? c.code2 : c.code1;
                const double rawNoise = rng.Normal(o.codeNoise);
                const double leftNoise = rng.Normal(o.smoothedNoise);
                b.rawRange = (code + rawNoise) / kSpeedOfLight;
                b.smoothing = static_cast<float>(rawNoise - leftNoise);
                const double lambda = second ? lambda2 : lambda1;
                const double dopplerHz = c.rate / lambda + rng.Normal(0.02);
                b.doppler = static_cast<std::int32_t>(std::lround(dopplerHz * 1e4));
                const int weaker = kind == BlockKind::kCa || kind == BlockKind::kCodeOnly
                                       ? 0
                                       : (kind == BlockKind::kP1 ? 2 : 5);
                b.snr =
                    static_cast<std::uint8_t>(ReceiverSnr(o.receiver, c.elevation, rng, weaker));
                if (kind == BlockKind::kCodeOnly) {
                    b.phase = 0.0;
                    b.warning |= 0x04;
                } else {
                    const double base = second ? c.carrierBase : c.carrierBase + c.tgdMetres;
                    b.phase = base / lambda + (second ? pass.ambiguity2 : pass.ambiguity1) +
                              rng.Normal(0.002);
                    if ((newPass && k > 0) || slip) b.warning |= 0x40;
                }
                so.blocks.push_back(b);
            }
            ep.satellites.push_back(so);
        }
        for (auto& [number, pass] : passes)
            if (!seen.count(number)) pass.tracking = false;

        // PDOP from the line-of-sight unit vectors of the satellites in view.
        for (const auto& c : visible)
            lineOfSight.push_back(c.los);
        ep.pdop100 = Pdop100(lineOfSight);
        ep.reportedPosition =
            ep.truePosition + Vec3{rng.Normal(2.0), rng.Normal(2.0), rng.Normal(3.0)};
        s.epochs.push_back(std::move(ep));
    }
    return s;
}

}  // namespace kelvrant::sim
