// The quality check of one session (see QualityCheck.h).
#include "qc/QualityCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "geo/GpsTime.h"
#include "geo/TimeConstants.h"

namespace kelvrant::qc {
namespace {

constexpr double kSpeedOfLight = 299792458.0;
constexpr double kGpsL1 = 1575.42e6;
constexpr double kGpsL2 = 1227.60e6;

double At(const SatelliteObservations& sat, Observable o) {
    return sat[o].value;
}

int ElevationBin(double elevation) {
    if (std::isnan(elevation)) return -1;
    return std::clamp(static_cast<int>(std::floor(elevation / 10.0)), 0, kElevationBins - 1);
}

}  // namespace

std::string TimeText(double gpsSeconds) {
    const double weeks = std::floor(gpsSeconds / kSecondsPerWeek);
    // Round to the millisecond first so that 59.9996 s never prints as 60.000.
    const double sow = std::round((gpsSeconds - weeks * kSecondsPerWeek) * 1000.0) / 1000.0;
    const CalendarTime c = GpsToCalendar(static_cast<std::int32_t>(weeks), sow);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%06.3f", c.year, c.month, c.day,
                  c.hour, c.minute, std::floor(c.seconds * 1000.0 + 1e-6) / 1000.0);
    return buf;
}

void QualityCheck::Window::Add(double v) {
    values[static_cast<std::size_t>(next)] = v;
    next = (next + 1) % kWindow;
    if (count < kWindow) ++count;
}

double QualityCheck::Window::Mean() const {
    double s = 0.0;
    for (int i = 0; i < count; ++i)
        s += values[static_cast<std::size_t>(i)];
    return s / count;
}

double QualityCheck::Window::Sigma() const {
    const double m = Mean();
    double s = 0.0;
    for (int i = 0; i < count; ++i) {
        const double d = values[static_cast<std::size_t>(i)] - m;
        s += d * d;
    }
    return count > 1 ? std::sqrt(s / (count - 1)) : 0.0;
}

QualityCheck::QualityCheck(QcSetup setup) : setup_(std::move(setup)), orbits_(setup_.leapSeconds) {
    const Vec3& d = setup_.dataPosition;
    const Vec3& h = setup_.headerPosition;
    if (std::hypot(d.x, d.y, d.z) > 1e6) {
        frame_ = LocalFrame(d);
        receiverKnown_ = true;
    } else if (std::hypot(h.x, h.y, h.z) > 1e6) {
        frame_ = LocalFrame(h);
        receiverKnown_ = true;
    }
    nominalInterval_ = setup_.interval;
    for (int i = 0; i < kSatelliteSlots; ++i)
        sats_[static_cast<std::size_t>(i)].id = SatelliteOfIndex(i);
}

void QualityCheck::AddNavigation(const AshNavRecord& record) {
    orbits_.Add(record);
}

SatelliteSummary& QualityCheck::Satellite(int index) {
    return sats_[static_cast<std::size_t>(index)];
}

std::optional<SkyPosition> QualityCheck::Sky(SatelliteId id, double t) {
    const auto pos = orbits_.Position(id, t);
    if (!pos) return std::nullopt;
    summary_.skyKnown = true;
    return frame_.Look(*pos);
}

double QualityCheck::GridElevation(SatelliteId id, double t) {
    const auto sky = Sky(id, t);
    return sky ? sky->elevation : NAN;
}

QualityCheck::Sample QualityCheck::MakeSample(int index, const SatelliteObservations& sat,
                                              double t) {
    SatelliteSummary& summary = Satellite(index);
    SatelliteState& st = state_[static_cast<std::size_t>(index)];
    Sample s;
    s.time = t;
    const double limit = nominalInterval_ > 0.0 ? 1.5 * nominalInterval_ : 0.0;
    s.startsArc = !(t - st.lastTime <= limit + 1e-6);
    st.lastTime = t;

    const bool trackPoint = t >= st.nextTrackTime - kTagTolerance;
    if (receiverKnown_) {
        const double grid = std::floor((t + kTagTolerance) / kSkyStep) * kSkyStep;
        if (trackPoint || nominalInterval_ >= kSkyStep || std::fabs(t - grid) < kTagTolerance) {
            if (const auto sky = Sky(sat.satellite, t)) {
                s.azimuth = sky->azimuth;
                s.elevation = sky->elevation;
            }
        } else {
            SkyCache& c = st.sky;
            if (c.t0 != grid) {
                // Moving on by one step keeps the later end already computed.
                c.el0 = c.t1 == grid ? c.el1 : GridElevation(sat.satellite, grid);
                c.t0 = grid;
                c.t1 = grid + kSkyStep;
                c.el1 = GridElevation(sat.satellite, c.t1);
            }
            s.elevation = c.el0 + (c.el1 - c.el0) * (t - grid) / kSkyStep;
        }
    }

    double f1 = kGpsL1;
    double f2 = kGpsL2;
    bool frequencies = true;
    if (sat.satellite.system == GnssSystem::kGlonass) {
        const auto k = orbits_.GlonassChannel(sat.satellite.number);
        frequencies = k.has_value();
        if (k) {
            f1 = 1602.0e6 + 0.5625e6 * *k;
            f2 = 1246.0e6 + 0.4375e6 * *k;
        }
    }
    const double l1 = At(sat, Observable::kL1);
    const double l2 = At(sat, Observable::kL2);
    const double c1 = At(sat, Observable::kC1);
    const double p1 = At(sat, Observable::kP1);
    const double p2 = At(sat, Observable::kP2);
    const double code1 = p1 != 0.0 ? p1 : c1;
    s.receiverFlag = ((sat[Observable::kL1].lossOfLock | sat[Observable::kL2].lossOfLock) & 1) != 0;
    if (frequencies && l1 != 0.0) {
        const double l1m = l1 * kSpeedOfLight / f1;
        if (l2 != 0.0) {
            const double l2m = l2 * kSpeedOfLight / f2;
            const double alpha = (f1 / f2) * (f1 / f2);
            s.gf = l1m - l2m;
            if (code1 != 0.0) s.mp1 = code1 - l1m - 2.0 / (alpha - 1.0) * s.gf;
            if (p2 != 0.0) s.mp2 = p2 - l2m - 2.0 * alpha / (alpha - 1.0) * s.gf;
            if (code1 != 0.0 && p2 != 0.0) {
                const double wideLane = (f1 * l1m - f2 * l2m) / (f1 - f2);
                const double narrowCode = (f1 * code1 + f2 * p2) / (f1 + f2);
                s.mw = (wideLane - narrowCode) * (f1 - f2) / kSpeedOfLight;
            }
        } else if (c1 != 0.0) {
            s.cl = c1 - l1m;
        }
    }

    auto snrOf = [&](Observable a, Observable b) {
        const std::uint8_t v = sat[a].rawSnr != 0 ? sat[a].rawSnr : sat[b].rawSnr;
        return v != 0 ? static_cast<double>(v) : NAN;
    };
    s.snr1 = snrOf(Observable::kL1, Observable::kC1);
    s.snr2 = snrOf(Observable::kL2, Observable::kP2);

    if (trackPoint) {
        TrackPoint p;
        p.time = t;
        p.azimuth = static_cast<float>(s.azimuth);
        p.elevation = static_cast<float>(s.elevation);
        p.snr1 = static_cast<float>(s.snr1);
        p.snr2 = static_cast<float>(s.snr2);
        s.trackPoint = static_cast<long>(summary.track.size());
        summary.track.push_back(p);
        // Points fall on whole multiples of the step, so every satellite is sampled alike.
        st.nextTrackTime =
            (std::floor((t + kTagTolerance) / setup_.trackStep) + 1.0) * setup_.trackStep;
    }
    return s;
}

bool QualityCheck::Jumps(const Window& w, double value, double nextValue, double floor) const {
    if (std::isnan(value) || w.count < kMinimumWindow) return false;
    const double mean = w.Mean();
    const double threshold = std::max(floor, kScatterFactor * w.Sigma());
    if (std::fabs(value - mean) <= threshold) return false;
    // Confirmed by the next epoch: it sits as far off, and near this one.
    return !std::isnan(nextValue) && std::fabs(nextValue - mean) > threshold &&
           std::fabs(nextValue - value) <= threshold;
}

void QualityCheck::CloseArc(MultipathArc& arc, SatelliteSummary& sat, bool second,
                            std::size_t first, std::size_t end) {
    const bool keep = arc.count >= kMinimumMultipathArc;
    const double mean = arc.count > 0 ? arc.sum / static_cast<double>(arc.count) : 0.0;
    if (keep) {
        RmsSum& total = second ? sat.mp2 : sat.mp1;
        total.count += arc.count;
        total.sumSquares += std::max(0.0, arc.sumSquares - arc.sum * mean);
        auto& bins = second ? summary_.mp2ByElevation : summary_.mp1ByElevation;
        for (std::size_t b = 0; b < static_cast<std::size_t>(kElevationBins); ++b) {
            if (arc.binCount[b] == 0) continue;
            bins[b].count += arc.binCount[b];
            bins[b].sumSquares +=
                std::max(0.0, arc.binSquares[b] - 2.0 * mean * arc.binSum[b] +
                                  static_cast<double>(arc.binCount[b]) * mean * mean);
        }
    }
    for (std::size_t i = first; i < end; ++i) {
        float& v = second ? sat.track[i].mp2 : sat.track[i].mp1;
        v = keep ? static_cast<float>(static_cast<double>(v) - mean) : NAN;
    }
    arc = MultipathArc{};
}

void QualityCheck::CloseArcs(int index, double newArcStart) {
    SatelliteSummary& sat = Satellite(index);
    SatelliteState& st = state_[static_cast<std::size_t>(index)];
    // The points of the new arc: those from its first epoch on (at most the two samples
    // already taken, since a sample is judged when the next one arrives).
    std::size_t end = sat.track.size();
    while (end > 0 && sat.track[end - 1].time >= newArcStart - 1e-6)
        --end;
    const auto first = static_cast<std::size_t>(st.arcFirstPoint);
    CloseArc(st.mp1, sat, false, first, end);
    CloseArc(st.mp2, sat, true, first, end);
    st.arcFirstPoint = static_cast<long>(end);
    st.mw.Clear();
    st.cl.Clear();
    st.lastGf = NAN;
}

void QualityCheck::Evaluate(int index, const Sample& cur, const Sample* next) {
    SatelliteSummary& sat = Satellite(index);
    SatelliteState& st = state_[static_cast<std::size_t>(index)];
    bool slip = false;
    if (!cur.startsArc) {
        bool data = false;
        if (!std::isnan(cur.gf) && !std::isnan(st.lastGf)) {
            const double dt = cur.time - st.lastGfTime;
            data =
                std::fabs(cur.gf - st.lastGf) > kGeometryFreeSlip + kGeometryFreeSlipPerSecond * dt;
        }
        const double nextMw = next != nullptr ? next->mw : NAN;
        const double nextCl = next != nullptr ? next->cl : NAN;
        if (!cur.codeStep) {
            if (Jumps(st.mw, cur.mw, nextMw, kWideLaneSlip)) data = true;
            if (Jumps(st.cl, cur.cl, nextCl, kCodePhaseSlip)) data = true;
        }
        if (cur.receiverFlag) ++sat.receiverSlips;
        if (data) ++sat.dataSlips;
        slip = cur.receiverFlag || data;
        if (slip) {
            ++sat.slips;
            sat.slipTimes.push_back(cur.time);
        }
    }
    if (cur.startsArc || slip || cur.codeStep) CloseArcs(index, cur.time);
    if (cur.startsArc)
        sat.arcs.emplace_back(cur.time, cur.time);
    else
        sat.arcs.back().second = cur.time;

    // An unconfirmed outlier stays out of the window that judges the next values.
    auto feed = [&](Window& w, double v, double floor) {
        if (std::isnan(v)) return;
        if (w.count >= kMinimumWindow &&
            std::fabs(v - w.Mean()) > std::max(floor, kScatterFactor * w.Sigma()))
            return;
        w.Add(v);
    };
    feed(st.mw, cur.mw, kWideLaneSlip);
    feed(st.cl, cur.cl, kCodePhaseSlip);
    if (!std::isnan(cur.gf)) {
        st.lastGf = cur.gf;
        st.lastGfTime = cur.time;
    }
    const int bin = ElevationBin(cur.elevation);
    auto addMultipath = [&](MultipathArc& arc, double v, bool second) {
        if (std::isnan(v)) return;
        if (arc.count == 0) arc.offset = v;
        const double x = v - arc.offset;
        ++arc.count;
        arc.sum += x;
        arc.sumSquares += x * x;
        if (bin >= 0) {
            const auto b = static_cast<std::size_t>(bin);
            ++arc.binCount[b];
            arc.binSum[b] += x;
            arc.binSquares[b] += x * x;
        }
        if (cur.trackPoint >= 0) {
            TrackPoint& p = sat.track[static_cast<std::size_t>(cur.trackPoint)];
            (second ? p.mp2 : p.mp1) = static_cast<float>(x);
        }
    };
    addMultipath(st.mp1, cur.mp1, false);
    addMultipath(st.mp2, cur.mp2, true);
}

void QualityCheck::AddEpoch(const ObservationEpoch& epoch) {
    const double t = epoch.week * kSecondsPerWeek + epoch.secondsOfWeek;
    if (!epochTimes_.empty()) {
        const double spacing = t - epochTimes_.back();
        if (spacing <= 1e-6) return;  // a repeated epoch adds nothing
        if (setup_.interval <= 0.0 && (nominalInterval_ <= 0.0 || spacing < nominalInterval_))
            nominalInterval_ = spacing;
    }
    epochTimes_.push_back(t);

    // The receiver clock: whole-millisecond steps are jumps, the rest is drift.
    if (epoch.clockJump != 0.0) ++summary_.clockJumps;
    if (!std::isnan(previousClockTime_)) {
        const double step = epoch.clockOffset - previousClock_;
        const double ms = step * 1000.0;
        const double whole = std::round(ms);
        if (whole != 0.0 && std::fabs(ms - whole) < 0.1) {
            if (epoch.clockJump == 0.0) ++summary_.clockJumps;
        } else {
            driftSum_ += step;
            driftTime_ += t - previousClockTime_;
        }
    }
    previousClock_ = epoch.clockOffset;
    previousClockTime_ = t;

    const int n = std::clamp(epoch.count, 0, kMaxEpochSatellites);
    for (int i = 0; i < n; ++i) {
        const SatelliteObservations& sat = epoch.satellites[static_cast<std::size_t>(i)];
        const int index = SatelliteIndex(sat.satellite);
        if (index < 0) continue;
        SatelliteSummary& summary = Satellite(index);
        if (!seen_[static_cast<std::size_t>(index)]) {
            seen_[static_cast<std::size_t>(index)] = true;
            summary.firstTime = t;
        }
        summary.lastTime = t;
        ++summary.epochs;
        for (std::size_t k = 0; k < static_cast<std::size_t>(kObservableCount); ++k) {
            if (sat.obs[k].value != 0.0) {
                ++summary.observations[k];
                ++summary_.observations[k];
            }
        }
        Sample s = MakeSample(index, sat, t);
        s.codeStep = epoch.clockJump != 0.0;
        if (!std::isnan(s.elevation)) {
            if (std::isnan(summary.maxElevation) || s.elevation > summary.maxElevation)
                summary.maxElevation = s.elevation;
            if (s.elevation < setup_.elevationMask) ++summary.belowMask;
        }
        const int bin = ElevationBin(s.elevation);
        if (!std::isnan(s.snr1)) {
            summary.snr1.Add(s.snr1);
            if (bin >= 0) summary_.snr1ByElevation[static_cast<std::size_t>(bin)].Add(s.snr1);
        }
        if (!std::isnan(s.snr2)) {
            summary.snr2.Add(s.snr2);
            if (bin >= 0) summary_.snr2ByElevation[static_cast<std::size_t>(bin)].Add(s.snr2);
        }
        SatelliteState& st = state_[static_cast<std::size_t>(index)];
        if (st.pending) Evaluate(index, st.sample, s.startsArc ? nullptr : &s);
        st.sample = s;
        st.pending = true;
    }
}

QcSummary QualityCheck::Finish() {
    for (int i = 0; i < kSatelliteSlots; ++i) {
        SatelliteState& st = state_[static_cast<std::size_t>(i)];
        if (st.pending) Evaluate(i, st.sample, nullptr);
        st.pending = false;
        if (seen_[static_cast<std::size_t>(i)])
            CloseArcs(i, std::numeric_limits<double>::infinity());
    }
    QcSummary& q = summary_;
    q.fileName = setup_.fileName;
    q.markerName = setup_.markerName;
    q.receiverType = setup_.receiverType;
    q.elevationMask = setup_.elevationMask;
    q.interval = nominalInterval_;
    q.presentEpochs = static_cast<long>(epochTimes_.size());
    if (!epochTimes_.empty()) {
        q.firstTime = epochTimes_.front();
        q.lastTime = epochTimes_.back();
        q.expectedEpochs = q.presentEpochs;
        if (q.interval > 0.0) {
            q.expectedEpochs = std::lround((q.lastTime - q.firstTime) / q.interval) + 1;
            for (std::size_t i = 1; i < epochTimes_.size(); ++i) {
                const double spacing = epochTimes_[i] - epochTimes_[i - 1];
                if (spacing <= 1.5 * q.interval) continue;
                Gap g;
                g.missingEpochs = std::lround(spacing / q.interval) - 1;
                g.start = epochTimes_[i - 1] + q.interval;
                g.length = static_cast<double>(g.missingEpochs) * q.interval;
                q.gaps.push_back(g);
            }
        }
        q.completeness = 100.0 * static_cast<double>(q.presentEpochs) /
                         static_cast<double>(std::max(q.expectedEpochs, 1L));
    }
    for (int i = 0; i < kSatelliteSlots; ++i) {
        if (!seen_[static_cast<std::size_t>(i)]) continue;
        SatelliteSummary& s = Satellite(i);
        (s.id.system == GnssSystem::kGps ? q.gpsTracked : q.glonassTracked)++;
        q.belowMask += s.belowMask;
        q.receiverSlips += s.receiverSlips;
        q.dataSlips += s.dataSlips;
        q.slips += s.slips;
        q.mp1.Merge(s.mp1);
        q.mp2.Merge(s.mp2);
        q.snr1.Merge(s.snr1);
        q.snr2.Merge(s.snr2);
        q.satellites.push_back(std::move(s));
    }
    const long l1 = q.observations[static_cast<std::size_t>(Observable::kL1)];
    const long base = l1 > 0 ? l1 : q.observations[static_cast<std::size_t>(Observable::kC1)];
    q.observationsPerSlip = q.slips > 0 ? base / q.slips : 0;
    if (driftTime_ > 0.0) {
        q.clockDrift = driftSum_ / driftTime_;
        q.clockDriftKnown = true;
    }
    q.dataPosition = setup_.dataPosition;
    q.headerPosition = setup_.headerPosition;
    q.positionDistance =
        std::hypot(q.dataPosition.x - q.headerPosition.x, q.dataPosition.y - q.headerPosition.y,
                   q.dataPosition.z - q.headerPosition.z);
    return std::move(summary_);
}

}  // namespace kelvrant::qc
