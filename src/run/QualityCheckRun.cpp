// The quality check in a conversion run (see QualityCheckRun.h).
#include "run/QualityCheckRun.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "geo/GpsTime.h"
#include "geo/TimeConstants.h"
#include "qc/QcReport.h"

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
