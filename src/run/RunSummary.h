// What a finished run wrote: one entry per output file (its size, and for observations the
// epochs, satellites and time span) and how many warnings were shown. The command line prints
// it; a window can show it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "run/ConversionJob.h"
#include "run/RunFiles.h"

namespace kelvrant {

struct OutputSummary {
    std::string_view kind;  ///< "observation", "navigation", "glonass-navigation", "meteorological"
    std::string path;
    std::uintmax_t bytes = 0;
    bool hasObservations = false;  ///< the fields below are set
    std::int32_t epochs = 0;
    std::int32_t satellites = 0;
    std::int32_t firstWeek = 0;
    double firstSeconds = 0.0;
    std::int32_t lastWeek = 0;
    double lastSeconds = 0.0;
};

/// The quality check's headline figures, when the run checked the session.
struct QualitySummary {
    double completeness = 0.0;  ///< percent
    int slips = 0;
    double mp1 = -1.0;  ///< RMS, metres; negative when not formed
    double mp2 = -1.0;
};

struct RunSummary {
    std::vector<OutputSummary> files;
    bool qualityChecked = false;
    QualitySummary quality;
    int warnings = 0;
    int exitStatus = 0;
};

/// The outputs the run made, named as the job names them, with the observation counts.
/// Called after the run and before the files are closed (the readers still hold the counts);
/// sizes are 0 until MeasureOutputs.
RunSummary DescribeRunOutputs(const ConversionJob& job, const RunFileSet& files);

/// Fills in each output's size from the file system (after the files were closed).
void MeasureOutputs(RunSummary& summary);

/// The summary for people: one line per file and the warnings' count.
std::string SummaryText(const RunSummary& summary);

/// The summary as one JSON object (one line) for scripts.
std::string SummaryJson(const RunSummary& summary);

}  // namespace kelvrant
