// Header records filled from the configured header settings for unattended runs.
#pragma once

#include <array>
#include <string>

#include "rinex/MetWriter.h"
#include "rinex/NavHeader.h"
#include "rinex/ObsHeader.h"
#include "run/HeaderOverrides.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

/// Fills the met header record from the settings: marker name, number (marked present) and
/// run-by agency, the non-empty met comments, and the three sensors (all present) with model,
/// type, accuracy, position and the at-pressure-sensor flags.
void FillMetHeaderFromSettings(const HeaderSettings& settings, MetHeaderRecord& header);

/// Puts the command line's values over an observation header that the settings, the S-file
/// and the inputs have filled. `--position auto` takes `dataPosition` (the B-file's mean).
/// The Doppler, INTERVAL and satellite-list switches are the caller's (they choose what the
/// header is filled with).
void ApplyObsOverrides(const HeaderOverrides& overrides, const std::array<double, 3>& dataPosition,
                       ObsHeaderRecord& header);
/// The comments of the command line over a navigation header.
void ApplyNavOverrides(const HeaderOverrides& overrides, NavHeaderRecord& header);
/// Marker name, number and comments of the command line over a met header.
void ApplyMetOverrides(const HeaderOverrides& overrides, MetHeaderRecord& header);

/// The site of an Ashtech download's name: the four characters after the file type letter
/// ("SIMU" for "/data/BSIMUA26.342"); fewer when the name is shorter.
std::string SiteFromBFileName(const std::string& bFileName);

}  // namespace kelvrant
