// Encoders of the simulator's output files: the Ashtech B-, E-, S- and ION files and the met
// data log, plus the truth file that tests read. Each returns the whole file as bytes.
#pragma once

#include <string>

#include "Session.h"

namespace kelvrant::sim {

std::string EncodeBFile(const Session& session);
std::string EncodeEFile(const Session& session);
std::string SiteFileText(const Session& session);
std::string EncodeIonFile(const Session& session);
std::string MetLogText(const Session& session);
std::string TruthText(const Session& session);

/// File names of a session in the Ashtech convention, e.g. BKELVA26.342, EKELVA26.342,
/// SKELVA26.342, ION26.342 and the met log A26342.NMA.
struct SessionFileNames {
    std::string bFile, eFile, sFile, ionFile, metFile;
};
SessionFileNames FileNamesOf(const Session& session);

}  // namespace kelvrant::sim
