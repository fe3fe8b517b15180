// The quality check in a conversion run (see QualityCheckRun.h).
#include "run/QualityCheckRun.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "geo/GpsTime.h"
#include "geo/TimeConstants.h"
#include "qc/QcReport.h"
#include "rinex/ObsEpoch.h"

namespace kelvrant {
namespace {

struct LeapStep {
    int year, month, seconds;
};
// GPS-UTC from the first day of each month named.
constexpr LeapStep kLeapSteps[] = {
    {1981, 7, 1},  {1982, 7, 2},  {1983, 7, 3},  {1985, 7, 4},  {1988, 1, 5},  {1990, 1, 6},
    {1991, 1, 7},  {1992, 7, 8},  {1993, 7, 9},  {1994, 7, 10}, {1996, 1, 11}, {1997, 7, 12},
    {1999, 1, 13}, {2006, 1, 14}, {2009, 1, 15}, {2012, 7, 16}, {2015, 7, 17}, {2017, 1, 18}};

bool WriteText(const std::string& path, const std::string& text, ProblemSink& problems) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f != nullptr && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const int error = errno;
    if (f != nullptr && std::fclose(f) != 0) ok = false;
    if (!ok) {
        problems.Report("File Write Error", "Cannot write the quality check report: " +
                                                std::string(std::strerror(error)) + "\n\n" + path);
    }
    return ok;
}

}  // namespace

QcEpochFeed::QcEpochFeed(const BFileHeader& header, std::int32_t firstWeek, bool smoothing)
    : dataType_(header.DataType()),
      blocks_(header.BlockCount()),
      smoothing_(smoothing),
      week_(firstWeek) {}

void QcEpochFeed::Add(qc::QualityCheck& check, const EpochRecord& epoch,
                      const SatelliteSlots& satellites) {
    constexpr double c = kSpeedOfLight;
    const int d = dataType_;
    const int l2Block = d == kDataL1CP_L2P ? 2 : 1;
    const int p1Block = d == kDataL1CP ? 0 : 1;
    const int p2Block = d == kDataL1C_L2P ? 1 : 2;
    const bool hasL1 = d != kDataCdPhase;
    const bool hasL2 = d == kDataL2C || d == kDataL1CP_L2P || d == kDataL1C_L2P;
    const bool hasP1 = d == kDataL1CP_L2P || d == kDataL1CP;
    const bool hasP2 = d == kDataL1CP_L2P || d == kDataL1C_L2P;

    const double t = epoch.Time();
    if (previousTime_ >= 0.0) week_ = NearestWeek(week_, previousTime_, t);
    previousTime_ = t;
    out_.week = week_;
    out_.secondsOfWeek = t;
    out_.clockJump = 0.0;
    // A millisecond jump shows as the code of a satellite tracked at both epochs moving
    // against its carrier by a whole millisecond of light travel.
    const int held = epoch.SatellitesHeld();
    for (int s = 0; s < held && previousSat_ >= 0; ++s) {
        if (satellites.SatNumber(s) != previousSat_) continue;
        const ObsBlockView b0 = satellites.Block(s, 0);
        const double r = (std::fmod(b0.RawRange(), 1.0) * c - previousCode_) -
                         (b0.Phase() - previousPhase_) * c / kGpsL1Frequency;
        const double ms = std::round(r / (c * 1e-3));
        if (ms != 0.0 && std::fabs(r - ms * c * 1e-3) < 1000.0) {
            accumulatedJump_ += ms * 1e-3;
            out_.clockJump = ms * 1e-3;
        }
        break;
    }
    out_.clockOffset = epoch.ClockOffset() / c - accumulatedJump_;
    previousSat_ = -1;
    auto code = [&](const ObsBlockView& b) {
        const double x = std::fmod(b.RawRange(), 1.0);
        if (std::fabs(x) < 0.0001 || (b.Warning() & 0x08) != 0) return 0.0;
        return (x - accumulatedJump_) * c - (smoothing_ ? b.Smoothing() : 0.0);
    };
    auto phase = [](const ObsBlockView& b) {
        Observation o;
        o.value = b.Phase();
        o.lossOfLock = (b.Warning() & 0xC0) != 0 ? 1 : 0;
        o.rawSnr = b.Snr();
        return o;
    };
    int n = 0;
    for (int s = 0; s < held; ++s) {
        const int number = satellites.SatNumber(s);
        if (number < 1 || number > kMaxSatNumber) continue;
        SatelliteObservations& so = out_.satellites[static_cast<std::size_t>(n++)];
        so = SatelliteObservations{};
        so.satellite =
            number <= 32
                ? SatelliteId{GnssSystem::kGps, static_cast<std::uint8_t>(number)}
                : SatelliteId{GnssSystem::kGlonass, static_cast<std::uint8_t>(number - 32)};
        const ObsBlockView b0 = satellites.Block(s, 0);
        if (previousSat_ < 0 && number <= 32 && hasL1) {
            previousSat_ = number;
            previousCode_ = std::fmod(b0.RawRange(), 1.0) * c;
            previousPhase_ = b0.Phase();
        }
        if (hasL1) so[Observable::kL1] = phase(b0);
        so[Observable::kC1].value = code(b0);
        so[Observable::kC1].rawSnr = b0.Snr();
        if (hasL2 && l2Block < blocks_) so[Observable::kL2] = phase(satellites.Block(s, l2Block));
        if (hasP1 && p1Block < blocks_)
            so[Observable::kP1].value = code(satellites.Block(s, p1Block));
        if (hasP2 && p2Block < blocks_) {
            so[Observable::kP2].value = code(satellites.Block(s, p2Block));
            so[Observable::kP2].rawSnr = satellites.Block(s, p2Block).Snr();
        }
    }
    out_.count = n;
    check.AddEpoch(out_);
}

int LeapSecondsAt(double gpsSeconds) {
    int leap = 0;
    for (const LeapStep& s : kLeapSteps) {
        std::int32_t week = 0;
        double sow = 0.0;
        CalendarToGpsTime(s.year, s.month, 1, 0, 0, 0.0, week, sow);
        // The step comes at UTC midnight, when GPS time already reads the new offset.
        if (gpsSeconds >= week * kSecondsPerWeek + sow + s.seconds) leap = s.seconds;
    }
    return leap;
}

qc::QcSetup QcSetupFor(const RunFileSet& files, const std::string& bFileName) {
    qc::QcSetup setup;
    setup.fileName = std::filesystem::path(bFileName).filename().string();
    const ObsHeaderRecord& h = files.ObsHeader;
    setup.markerName = h.markerName;
    setup.receiverType = h.receiverType;
    setup.interval = files.ObsReader.EpochInterval();
    setup.dataPosition = {files.ObsReader.MeanX(), files.ObsReader.MeanY(),
                          files.ObsReader.MeanZ()};
    setup.headerPosition = {h.approxX, h.approxY, h.approxZ};
    setup.leapSeconds = files.Ion.loaded != 0
                            ? files.Ion.LeapSeconds()
                            : LeapSecondsAt(h.firstWeek * kSecondsPerWeek + h.firstSeconds);
    return setup;
}

bool WriteQcReports(const qc::QcSummary& summary, const QcRequest& request, const std::string& base,
                    ProblemSink& problems) {
    bool ok = true;
    if (request.report || request.only)
        ok = WriteText(base + ".qc.txt", qc::ReportText(summary), problems) && ok;
    if (request.json) ok = WriteText(base + ".qc.json", qc::ReportJson(summary), problems) && ok;
    return ok;
}

bool FinishQualityCheck(qc::QualityCheck& check, const QcRequest& request, const std::string& base,
                        const QcPlotWriter& plots, ProblemSink& problems, qc::QcSummary& summary) {
    summary = check.Finish();
    bool ok = WriteQcReports(summary, request, base, problems);
    if (!request.plotDirectory.empty()) {
        std::string error;
        if (!plots) {
            problems.Report("Quality Check Plots",
                            "This build of the program draws no plots (Qt Charts missing).");
            ok = false;
        } else if (!plots(summary, request.plotDirectory, error)) {
            problems.Report("File Write Error", error);
            ok = false;
        }
    }
    return ok;
}

}  // namespace kelvrant
