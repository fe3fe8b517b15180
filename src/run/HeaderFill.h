// Header records filled from the configured header settings for unattended runs.
#pragma once

#include "rinex/MetWriter.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

/// Fills the met header record from the settings: marker name, number (marked present) and
/// run-by agency, the non-empty met comments, and the three sensors (all present) with model,
/// type, accuracy, position and the at-pressure-sensor flags.
void FillMetHeaderFromSettings(const HeaderSettings& settings, MetHeaderRecord& header);

}  // namespace kelvrant
