// What the quality check found in one session: completeness and gaps, observation counts,
// sky positions, cycle slips, multipath, signal strength and the receiver clock, per satellite
// and for the whole session. Times are GPS seconds counted from the GPS time origin
// (week × 604800 + seconds of week).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "convert/ObservationEpoch.h"
#include "qc/BroadcastOrbits.h"

namespace kelvrant::qc {

/// Elevation bins of 10 degrees: 0-10, 10-20, ..., 80-90 (negative elevations go in the first).
inline constexpr int kElevationBins = 9;

/// A running root mean square.
struct RmsSum {
    long count = 0;
    double sumSquares = 0.0;
    double Rms() const {
        return count > 0 ? std::sqrt(sumSquares / static_cast<double>(count)) : 0.0;
    }
    void Merge(const RmsSum& o) {
        count += o.count;
        sumSquares += o.sumSquares;
    }
};

/// A running mean.
struct MeanSum {
    long count = 0;
    double sum = 0.0;
    double Mean() const { return count > 0 ? sum / static_cast<double>(count) : 0.0; }
    void Add(double v) {
        ++count;
        sum += v;
    }
    void Merge(const MeanSum& o) {
        count += o.count;
        sum += o.sum;
    }
};

/// Epochs missing from the session: the first missing epoch and how long the data stop.
struct Gap {
    double start = 0.0;
    double length = 0.0;  ///< seconds (missing epochs × interval)
    long missingEpochs = 0;
};

/// One point of a satellite's track, kept for the plots (at most one per plot step). Values
/// that could not be formed are NaN.
struct TrackPoint {
    double time = 0.0;
    float azimuth = NAN;
    float elevation = NAN;
    float snr1 = NAN;
    float snr2 = NAN;
    float mp1 = NAN;  ///< metres, arc mean removed
    float mp2 = NAN;
};

struct SatelliteSummary {
    SatelliteId id;
    long epochs = 0;     ///< epochs holding this satellite
    long belowMask = 0;  ///< of them, with the satellite below the elevation mask
    double firstTime = 0.0;
    double lastTime = 0.0;
    double maxElevation = NAN;
    std::array<long, kObservableCount> observations{};
    int receiverSlips = 0;  ///< loss of lock flagged by the receiver within an arc
    int dataSlips = 0;      ///< found in the phase combinations
    int slips = 0;          ///< epochs with a slip of either kind
    RmsSum mp1, mp2;
    MeanSum snr1, snr2;
    std::vector<double> slipTimes;
    /// Stretches tracked without a break longer than 1.5 intervals (first, last epoch).
    std::vector<std::pair<double, double>> arcs;
    std::vector<TrackPoint> track;
};

struct QcSummary {
    std::string fileName;
    std::string markerName;
    std::string receiverType;
    double interval = 0.0;
    double elevationMask = 10.0;
    double firstTime = 0.0;
    double lastTime = 0.0;
    long expectedEpochs = 0;
    long presentEpochs = 0;
    double completeness = 0.0;  ///< percent
    std::vector<Gap> gaps;
    std::array<long, kObservableCount> observations{};
    std::vector<SatelliteSummary> satellites;  ///< the satellites tracked, GPS then GLONASS
    int gpsTracked = 0;
    int glonassTracked = 0;
    long belowMask = 0;
    bool skyKnown = false;  ///< a receiver position and orbits gave sky positions
    int receiverSlips = 0;
    int dataSlips = 0;
    int slips = 0;
    long observationsPerSlip = 0;  ///< L1 observations per slip (0 without a slip)
    RmsSum mp1, mp2;
    std::array<RmsSum, kElevationBins> mp1ByElevation{}, mp2ByElevation{};
    MeanSum snr1, snr2;
    std::array<MeanSum, kElevationBins> snr1ByElevation{}, snr2ByElevation{};
    int clockJumps = 0;
    double clockDrift = 0.0;  ///< seconds per second
    bool clockDriftKnown = false;
    Vec3 dataPosition;
    Vec3 headerPosition;
    double positionDistance = 0.0;  ///< metres between the two
};

/// The calendar text "YYYY-MM-DD hh:mm:ss.sss" of a GPS time.
std::string TimeText(double gpsSeconds);

}  // namespace kelvrant::qc
