#include "run/HeaderFill.h"

#include <cstdint>
#include <string>

#include "settings/HeaderSettings.h"

namespace kelvrant {

void FillMetHeaderFromSettings(const HeaderSettings& settings, MetHeaderRecord& header) {
    header = MetHeaderRecord{};
    header.markerName = settings.SiteName.substr(0, kWideTextWidth);
    header.markerNumber = settings.SiteNumber.substr(0, kWideTextWidth);
    header.markerNumberPresent = 1;
    header.runBy = settings.CreateAgency.substr(0, kShortTextWidth);
    std::int16_t count = 0;
    for (const std::string& comment : settings.MetComment) {
        if (comment.empty()) continue;
        header.comments[static_cast<std::size_t>(count)] = comment.substr(0, kWideTextWidth);
        ++count;
    }
    header.commentCount = count;

    header.prPresent = 1;
    header.prModel = settings.MetPressMod.substr(0, kShortTextWidth);
    header.prType = settings.MetPressTyp.substr(0, kShortTextWidth);
    header.prAccuracy = settings.MetPressAcc;
    header.prX = settings.MetPressPos[0];
    header.prY = settings.MetPressPos[1];
    header.prZ = settings.MetPressPos[2];

    header.tdPresent = 1;
    header.tdModel = settings.MetTempMod.substr(0, kShortTextWidth);
    header.tdType = settings.MetTempTyp.substr(0, kShortTextWidth);
    header.tdAccuracy = settings.MetTempAcc;
    header.tdUsesPrPosition = settings.MetTempUsePress;
    header.tdX = settings.MetTempPos[0];
    header.tdY = settings.MetTempPos[1];
    header.tdZ = settings.MetTempPos[2];

    header.hrPresent = 1;
    header.hrModel = settings.MetHumidMod.substr(0, kShortTextWidth);
    header.hrType = settings.MetHumidTyp.substr(0, kShortTextWidth);
    header.hrAccuracy = settings.MetHumidAcc;
    header.hrUsesPrPosition = settings.MetHumidUsePress;
    header.hrX = settings.MetHumidPos[0];
    header.hrY = settings.MetHumidPos[1];
    header.hrZ = settings.MetHumidPos[2];
}

}  // namespace kelvrant
