// The observation header values a station's IGS site log gives for the session's time.
#pragma once

#include <string>
#include <string_view>

#include "rinex/ObsHeader.h"
#include "run/ProblemSink.h"
#include "run/RunFiles.h"
#include "settings/SiteLog.h"

namespace kelvrant {

namespace sitelogtext {
inline constexpr std::string_view kErrorTitle = "Site Log Error";
inline constexpr std::string_view kWarningTitle = "Site Log Warning";
}  // namespace sitelogtext

/// Puts the values of `log` in place at the first observation into the header: marker name
/// and DOMES number, the receiver's serial number (type and firmware only where the B-file
/// gives none), the antenna with its radome and eccentricities, and the position when the
/// header has none. `sFileHeight` (the S-file's antenna height, when there is one) is
/// compared with the log's; a difference above 1 mm is warned about with both values.
void FillFromSiteLog(const SiteLog& log, ObsHeaderRecord& header, const double* sFileHeight,
                     ProblemSink& problems);

/// Finds the site log of the B-file's station in `directory`, reads it and fills the header
/// of the run. A malformed log is reported with its line and not used; a station without a
/// log is left as it is.
void ApplySiteLog(const std::string& directory, RunFileSet& files, ProblemSink& problems);

}  // namespace kelvrant
