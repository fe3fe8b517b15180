#include "run/HeaderFill.h"

#include <cstdint>
#include <filesystem>
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

namespace {

// The comments of the command line in the places of a header, as many as it has.
template <std::size_t N>
std::int16_t PlaceComments(const std::vector<std::string>& from, std::array<std::string, N>& to,
                           std::size_t width) {
    std::size_t n = 0;
    for (; n < from.size() && n < N; ++n)
        to[n] = from[n].substr(0, width);
    for (std::size_t i = n; i < N; ++i)
        to[i].clear();
    return static_cast<std::int16_t>(n);
}

}  // namespace

void ApplyObsOverrides(const HeaderOverrides& o, const std::array<double, 3>& dataPosition,
                       ObsHeaderRecord& h) {
    using R = ObsHeaderRecord;
    if (o.markerName) h.markerName = o.markerName->substr(0, R::kMarkerWidth);
    if (o.markerNumber) {
        h.markerNumber = o.markerNumber->substr(0, R::kMarkerWidth);
        h.markerNumberPresent = 1;
    }
    if (o.observer) h.observer = o.observer->substr(0, R::kObserverWidth);
    if (o.agency) h.observingAgency = o.agency->substr(0, R::kAgencyWidth);
    if (o.receiverNumber) h.receiverNumber = o.receiverNumber->substr(0, R::kReceiverWidth);
    if (o.antennaType) h.antennaType = o.antennaType->substr(0, R::kAntennaWidth);
    if (o.antennaNumber) h.antennaNumber = o.antennaNumber->substr(0, R::kAntennaWidth);
    // The height is written as delta vertical plus the slant's vertical part: a height given
    // here is the whole H, so slant and radius are cleared.
    const auto setHeight = [&h](double height) {
        h.antennaDeltaVertical = height;
        h.antennaSlant = 0.0;
        h.antennaRadius = 0.0;
    };
    if (o.antennaOffsets) {
        setHeight((*o.antennaOffsets)[0]);
        h.antennaEast = (*o.antennaOffsets)[1];
        h.antennaNorth = (*o.antennaOffsets)[2];
    }
    if (o.antennaHeight) setHeight(*o.antennaHeight);
    const std::array<double, 3>* xyz = o.positionFromData ? &dataPosition : nullptr;
    if (o.position) xyz = &*o.position;
    if (xyz != nullptr) {
        h.approxX = (*xyz)[0];
        h.approxY = (*xyz)[1];
        h.approxZ = (*xyz)[2];
    }
    if (!o.comments.empty())
        h.commentCount = PlaceComments(o.comments, h.comments, R::kCommentWidth);
}

void ApplyNavOverrides(const HeaderOverrides& o, NavHeaderRecord& h) {
    if (!o.comments.empty()) h.commentCount = PlaceComments(o.comments, h.comments, kWideTextWidth);
}

void ApplyMetOverrides(const HeaderOverrides& o, MetHeaderRecord& h) {
    if (o.markerName) h.markerName = o.markerName->substr(0, kWideTextWidth);
    if (o.markerNumber) {
        h.markerNumber = o.markerNumber->substr(0, kWideTextWidth);
        h.markerNumberPresent = 1;
    }
    if (!o.comments.empty()) h.commentCount = PlaceComments(o.comments, h.comments, kWideTextWidth);
}

std::string SiteFromBFileName(const std::string& bFileName) {
    const std::string base = std::filesystem::path(bFileName).stem().string();
    return base.size() > 1 ? base.substr(1, 4) : std::string();
}

}  // namespace kelvrant
