// Test-side reading of a simulated session into the check: the E-file records and the B-file
// epochs through the run's epoch feed, outside a run.
#pragma once

#include <string>

#include "qc/QcSummary.h"
#include "qc/QualityCheck.h"

namespace kelvrant::test {

/// Checks the session of bFile and eFile; the data position and interval come from the
/// B-file reader, as the header takes them. Fails the calling test when a file cannot be read.
qc::QcSummary CheckSession(const std::string& bFile, const std::string& eFile,
                           qc::QcSetup setup = {});

}  // namespace kelvrant::test
