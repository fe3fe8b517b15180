// The quality check in a conversion run: what the command line asked for, the check's setup
// from the prepared run's files, and the reports written beside the outputs.
#pragma once

#include <functional>
#include <string>

#include "qc/QualityCheck.h"
#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "run/RunFiles.h"

namespace kelvrant {

/// The check's setup from a prepared observation run: the B-file reader's mean position and
/// interval, the header's APPROX POSITION, marker and receiver, and the leap seconds of the
/// ION file or, without one, of the leap-second table at the first epoch. A decimated run's
/// interval is its step (`decimateMs`, 0 when not decimated) where that is longer.
qc::QcSetup QcSetupFor(const RunFileSet& files, const std::string& bFileName,
                       std::int64_t decimateMs);

/// The reports' name without ".qc.txt": the observation file's (an edited run's one piece by
/// its own name, which may differ from the unedited one), or the B-file's when none is named.
std::string QcReportBase(const ConversionJob& job, const RunFileSet& files);

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
