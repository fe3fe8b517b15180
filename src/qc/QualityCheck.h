// The quality check of one session: fed the navigation records and then the observation
// epochs while the conversion writes them, it gathers what a surveyor looks at before
// submitting a session (completeness, gaps, cycle slips, multipath, signal strength, clock)
// and hands the whole as a QcSummary at the end. One pass, no file of its own: the memory it
// keeps is bounded by the satellites and the decimated plot tracks, not the session length
// (apart from one time per epoch for the gaps).
#pragma once

#include <array>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "ashtech/EFileReader.h"
#include "convert/ObservationEpoch.h"
#include "qc/BroadcastOrbits.h"
#include "qc/QcSummary.h"

namespace kelvrant::qc {

struct QcSetup {
    std::string fileName;
    std::string markerName;
    std::string receiverType;
    /// Nominal epoch spacing in seconds; 0 takes the shortest spacing met in the data.
    double interval = 0.0;
    /// Observations of satellites below this elevation (degrees) are counted apart.
    double elevationMask = 10.0;
    /// The PDOP-weighted mean of the receiver's own positions (what the header uses) and the
    /// header's APPROX POSITION; sky positions are seen from the first, or from the second
    /// when the first is zero.
    Vec3 dataPosition;
    Vec3 headerPosition;
    int leapSeconds = 18;
    /// Spacing of the points kept for the plots, seconds.
    double trackStep = 30.0;
};

// Slip thresholds. The geometry-free phase (L1 - L2 in metres) moves only with the ionosphere,
// a few millimetres per second at most, so a step larger than 5 cm plus 1 mm per second of
// spacing is a slip; equal slips on both frequencies (n, n) move it by only n × 5.4 cm and are
// left to the receiver's flag. The Melbourne-Wubbena combination is free of geometry,
// ionosphere and clocks; its scatter is the code noise, so a step of more than one wide-lane
// cycle and five times the recent scatter, seen again at the next epoch (one noisy code alone
// is not a slip), is one. On one frequency the code-minus-phase difference is tested the same
// way with a floor of 1.5 m, as C/A code noise allows.
inline constexpr double kGeometryFreeSlip = 0.05;            // metres
inline constexpr double kGeometryFreeSlipPerSecond = 0.001;  // metres per second of spacing
inline constexpr double kWideLaneSlip = 1.0;                 // wide-lane cycles
inline constexpr double kCodePhaseSlip = 1.5;                // metres
inline constexpr double kScatterFactor = 5.0;
/// Values a combination must have gathered in its arc before it is tested.
inline constexpr int kMinimumWindow = 5;
/// Multipath arcs shorter than this many epochs are left out: removing the mean of a few
/// points would remove the multipath with it.
inline constexpr long kMinimumMultipathArc = 10;
/// Spacing of the exact sky positions, seconds; elevations between are interpolated.
inline constexpr double kSkyStep = 30.0;
/// How far an epoch's time tag may lie from a whole step and still count as on it, seconds:
/// a repaired receiver clock jump moves the tags by a millisecond or two.
inline constexpr double kTagTolerance = 0.01;

class QualityCheck {
  public:
    explicit QualityCheck(QcSetup setup);

    /// A navigation record as the E-file reader hands it out (before the epochs).
    void AddNavigation(const AshNavRecord& record);
    /// The next epoch, in time order.
    void AddEpoch(const ObservationEpoch& epoch);
    /// Closes every arc and returns the summary.
    QcSummary Finish();

  private:
    static constexpr int kWindow = 20;

    /// The last values of a combination in the current arc.
    struct Window {
        std::array<double, kWindow> values{};
        int count = 0;
        int next = 0;
        void Clear() { count = next = 0; }
        void Add(double v);
        double Mean() const;
        double Sigma() const;
    };

    /// One multipath arc: sums of the values less the arc's first value (the combination
    /// carries the ambiguities, millions of metres, and the multipath is centimetres).
    struct MultipathArc {
        long count = 0;
        double offset = 0.0;
        double sum = 0.0;
        double sumSquares = 0.0;
        std::array<long, kElevationBins> binCount{};
        std::array<double, kElevationBins> binSum{};
        std::array<double, kElevationBins> binSquares{};
    };

    /// What one observation of a satellite gives, held until the next one has been seen.
    struct Sample {
        double time = 0.0;
        bool startsArc = false;
        bool receiverFlag = false;
        /// A receiver clock jump was repaired at this epoch: depending on the clock option
        /// the code may have moved against the carrier (GLONASS carriers never follow), so the
        /// code-carrier combinations start afresh here without counting a slip; the
        /// geometry-free phase and the receiver's flag still find slips.
        bool codeStep = false;
        double gf = NAN, mw = NAN, cl = NAN, mp1 = NAN, mp2 = NAN;
        double azimuth = NAN, elevation = NAN;
        double snr1 = NAN, snr2 = NAN;
        long trackPoint = -1;
    };

    /// Elevations at the two sky-grid times around the current epoch: between them the
    /// elevation is interpolated (over half a minute it bends by far less than a hundredth
    /// of a degree), so orbits are evaluated twice a minute, not at every 1 s epoch.
    struct SkyCache {
        double t0 = NAN, t1 = NAN;
        double el0 = NAN, el1 = NAN;
    };

    struct SatelliteState {
        bool pending = false;
        Sample sample;
        double lastTime = -std::numeric_limits<double>::infinity();
        double lastGf = NAN;
        double lastGfTime = 0.0;
        double nextTrackTime = -std::numeric_limits<double>::infinity();
        Window mw, cl;
        MultipathArc mp1, mp2;
        long arcFirstPoint = 0;
        SkyCache sky;
    };

    /// Exact azimuth and elevation, or nothing without an orbit.
    std::optional<SkyPosition> Sky(SatelliteId id, double t);
    double GridElevation(SatelliteId id, double t);
    Sample MakeSample(int index, const SatelliteObservations& sat, double t);
    void Evaluate(int index, const Sample& current, const Sample* next);
    bool Jumps(const Window& w, double value, double nextValue, double floor) const;
    void CloseArcs(int index, double newArcStart);
    void CloseArc(MultipathArc& arc, SatelliteSummary& sat, bool second, std::size_t first,
                  std::size_t end);
    SatelliteSummary& Satellite(int index);

    QcSetup setup_;
    BroadcastOrbits orbits_;
    LocalFrame frame_;
    bool receiverKnown_ = false;
    double nominalInterval_ = 0.0;
    std::vector<double> epochTimes_;
    std::array<SatelliteState, kSatelliteSlots> state_{};
    std::array<SatelliteSummary, kSatelliteSlots> sats_{};
    std::array<bool, kSatelliteSlots> seen_{};
    QcSummary summary_;
    double previousClock_ = 0.0;
    double previousClockTime_ = NAN;
    double driftSum_ = 0.0;
    double driftTime_ = 0.0;
};

}  // namespace kelvrant::qc
