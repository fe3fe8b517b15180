// The quality check in a conversion run (see QualityCheckRun.h).
#include "run/QualityCheckRun.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "geo/LeapSeconds.h"
#include "qc/QcReport.h"

namespace kelvrant {
namespace {

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

qc::QcSetup QcSetupFor(const RunFileSet& files, const std::string& bFileName,
                       std::int64_t decimateMs) {
    qc::QcSetup setup;
    setup.fileName = std::filesystem::path(bFileName).filename().string();
    const ObsHeaderRecord& h = files.ObsHeader;
    setup.markerName = h.markerName;
    setup.receiverType = h.receiverType;
    setup.interval =
        std::max<double>(files.ObsReader.EpochInterval(), static_cast<double>(decimateMs) / 1000.0);
    setup.dataPosition = {files.ObsReader.MeanX(), files.ObsReader.MeanY(),
                          files.ObsReader.MeanZ()};
    setup.headerPosition = {h.approxX, h.approxY, h.approxZ};
    setup.leapSeconds = files.Ion.loaded != 0 ? files.Ion.LeapSeconds()
                                              : GpsMinusUtcAt(h.firstWeek, h.firstSeconds);
    return setup;
}

std::string QcReportBase(const ConversionJob& job, const RunFileSet& files) {
    if (files.Pieces.size() == 1 && !files.Pieces.front()->obs.name.empty())
        return files.Pieces.front()->obs.name;
    return job.ObsFileName.empty() ? job.BFileName : job.ObsFileName;
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
