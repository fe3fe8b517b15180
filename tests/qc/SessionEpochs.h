// Test-side reading of a simulated session: the simulator's truth, and the check fed the
// E-file records and the B-file epochs through the epoch converter, outside a run.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "qc/QcSummary.h"
#include "qc/QualityCheck.h"

namespace kelvrant::test {

struct TruthSlip {
    double sow;
    std::string sat;
};
struct TruthGap {
    double sow, length;
};
struct TruthSky {
    double az, el;
};
/// What the simulator's truth file says was injected.
struct Truth {
    std::vector<TruthSlip> slips;
    std::vector<TruthGap> gaps;
    std::map<std::string, double> multipath;  // satellite -> amplitude
    // (sow in whole seconds, satellite): a repaired clock jump moves the epochs' time tags,
    // and with them the check's, by a millisecond or two from the simulator's.
    std::map<std::pair<long, std::string>, TruthSky> sky;
    int clockJumps = 0;
};

Truth ParseTruth(const std::string& text);

/// Checks the session of bFile and eFile; the data position and interval come from the
/// B-file reader, as the header takes them. Fails the calling test when a file cannot be read.
qc::QcSummary CheckSession(const std::string& bFile, const std::string& eFile,
                           qc::QcSetup setup = {});

}  // namespace kelvrant::test
