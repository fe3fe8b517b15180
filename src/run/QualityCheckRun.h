// The quality check in a conversion run: what the command line asked for, the check's setup
// from the prepared run's files, and the reports written beside the outputs.
#pragma once

#include <functional>
#include <string>

#include "qc/QualityCheck.h"
#include "run/ProblemSink.h"
#include "run/RunFiles.h"

namespace kelvrant {

struct QcRequest {
    bool report = false;        ///< <obsname>.qc.txt beside the outputs
    bool json = false;          ///< <obsname>.qc.json beside the outputs
    bool only = false;          ///< check without writing RINEX
    std::string plotDirectory;  ///< PNG and SVG plots, when not empty
    bool Any() const { return report || json || only || !plotDirectory.empty(); }
};

/// GPS-UTC leap seconds at a GPS time (seconds from the GPS time origin), from the table of
/// announced leap seconds up to 2017 (later ones, if any, are not in it).
int LeapSecondsAt(double gpsSeconds);

/// The check's setup from a prepared observation run: the B-file reader's mean position and
/// interval, the header's APPROX POSITION, marker and receiver, and the leap seconds of the
/// ION file or, without one, of the table at the first epoch.
qc::QcSetup QcSetupFor(const RunFileSet& files, const std::string& bFileName);

/// Writes the text and JSON reports asked for as `base` + ".qc.txt" / ".qc.json"; a failed
/// write is reported with the file's name. False on any failure.
bool WriteQcReports(const qc::QcSummary& summary, const QcRequest& request, const std::string& base,
                    ProblemSink& problems);

/// Draws the plots of a summary into a folder; false with the reason in `error`. The plot
/// library lives above the conversion libraries, so the program hands it in.
using QcPlotWriter = std::function<bool(const qc::QcSummary& summary, const std::string& directory,
                                        std::string& error)>;

/// After the run: the summary of the check, its reports beside `base` (the observation
/// output's name) and its plots. False when a report or the plots could not be written (each
/// reported; plots asked for without a plot writer are reported as not available).
bool FinishQualityCheck(qc::QualityCheck& check, const QcRequest& request, const std::string& base,
                        const QcPlotWriter& plots, ProblemSink& problems, qc::QcSummary& summary);

}  // namespace kelvrant
