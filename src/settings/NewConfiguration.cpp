// Defaults of a configuration file the program creates (see NewConfiguration.h).
#include "settings/NewConfiguration.h"

#include "geo/LeapSeconds.h"

namespace kelvrant {

void ApplyNewConfigurationDefaults(HeaderSettings& settings, const UtcTime& today) {
    settings.ApproxPosUseData = 1;
    settings.WriteEpInt = 1;
    settings.WriteSats = 1;
    settings.MsObsHandling = 1;
    settings.SmoothCode = 1;
    settings.WriteSiteChngs = 0;
    settings.AllowDoplr = 1;
    settings.MetUtc2Gps = GpsMinusUtcOnDate(today.year, today.month, today.day);
}

}  // namespace kelvrant
