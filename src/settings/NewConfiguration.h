// The values a configuration file gets when the program creates it: the observation options
// a RINEX user expects (the parameter file's defaults) and today's GPS - UTC for met time
// stamps. A file that exists is read as it is and never given these values.
#pragma once

#include "geo/Clock.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

/// Sets the options of a configuration about to be created: position from the data,
/// INTERVAL and satellite list written, clock adjustments, smoothed code and Doppler on, site
/// changes off, MET_UTC_2_GPS the leap-second table's value on `today` (UTC).
void ApplyNewConfigurationDefaults(HeaderSettings& settings, const UtcTime& today);

}  // namespace kelvrant
