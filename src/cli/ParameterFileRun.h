// Loading the -P auto-parameters file (a RINEX header/option parameter file) into the
// conversion job and the header settings for one unattended conversion.
#pragma once

#include <string>

#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

/// Clears job.SaveConfigOnExit (whatever the outcome), reads the file at `path` and takes its
/// first record: the run selector (ObsRun or MetRun), the nine file names, the header values
/// and the observation options into `job` and `settings`. On any problem reports it to `sink`
/// with the title "Error Parameters Dara File: " + path and returns false.
bool LoadAutoParameters(const std::string& path, ConversionJob& job, HeaderSettings& settings,
                        ProblemSink& sink);

}  // namespace kelvrant
