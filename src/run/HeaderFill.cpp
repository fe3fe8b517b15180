// Header records from the header values (see HeaderFill.h).
#include "run/HeaderFill.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace kelvrant {
namespace {

// The non-empty comments moved to the front, cut to the comment width; returns their count.
template <std::size_t N>
std::int16_t CopyComments(const std::string (&from)[3], std::array<std::string, N>& to) {
    std::int16_t count = 0;
    for (const std::string& comment : from) {
        if (comment.empty()) continue;
        to[static_cast<std::size_t>(count++)] = CutToWidth(comment, headerwidth::kComment);
    }
    return count;
}

}  // namespace

void FillHeaderTexts(const HeaderSettings& values, ObsHeaderRecord& obs, NavHeaderRecord& nav) {
    obs.markerName = CutToWidth(values.SiteName, headerwidth::kSiteName);
    obs.markerNumber = CutToWidth(values.SiteNumber, headerwidth::kSiteNumber);
    obs.markerNumberPresent = 1;
    obs.runBy = CutToWidth(values.CreateAgency, headerwidth::kCreateAgency);
    obs.observer = CutToWidth(values.Observer, headerwidth::kObserver);
    obs.observingAgency = CutToWidth(values.ObserverAgency, headerwidth::kObservAgency);
    obs.comments = {};
    obs.commentCount = CopyComments(values.Comment, obs.comments);
    obs.receiverType = CutToWidth(values.RcvrType, headerwidth::kRcvrType);
    obs.receiverNumber = CutToWidth(values.RcvrSerNum, headerwidth::kRcvrSN);
    obs.antennaType = CutToWidth(values.AntType, headerwidth::kAntType);
    obs.antennaNumber = CutToWidth(values.AntSerNum, headerwidth::kAntSN);
    obs.intervalPresent = values.WriteEpInt != 0 ? 1 : 0;
    obs.satelliteListPresent = values.WriteSats != 0 ? 1 : 0;

    nav.runBy = obs.runBy;
    nav.comments = {};
    nav.commentCount = CopyComments(values.Comment, nav.comments);
}

void FillMetHeaderFromSettings(const HeaderSettings& settings, MetHeaderRecord& header) {
    header = MetHeaderRecord{};
    header.markerName = CutToWidth(settings.SiteName, headerwidth::kSiteName);
    header.markerNumber = CutToWidth(settings.SiteNumber, headerwidth::kSiteNumber);
    header.markerNumberPresent = 1;
    header.runBy = CutToWidth(settings.CreateAgency, headerwidth::kCreateAgency);
    header.commentCount = CopyComments(settings.MetComment, header.comments);

    header.prPresent = 1;
    header.prModel = CutToWidth(settings.MetPressMod, headerwidth::kSensor);
    header.prType = CutToWidth(settings.MetPressTyp, headerwidth::kSensor);
    header.prAccuracy = settings.MetPressAcc;
    header.prX = settings.MetPressPos[0];
    header.prY = settings.MetPressPos[1];
    header.prZ = settings.MetPressPos[2];

    header.tdPresent = 1;
    header.tdModel = CutToWidth(settings.MetTempMod, headerwidth::kSensor);
    header.tdType = CutToWidth(settings.MetTempTyp, headerwidth::kSensor);
    header.tdAccuracy = settings.MetTempAcc;
    header.tdUsesPrPosition = settings.MetTempUsePress;
    header.tdX = settings.MetTempPos[0];
    header.tdY = settings.MetTempPos[1];
    header.tdZ = settings.MetTempPos[2];

    header.hrPresent = 1;
    header.hrModel = CutToWidth(settings.MetHumidMod, headerwidth::kSensor);
    header.hrType = CutToWidth(settings.MetHumidTyp, headerwidth::kSensor);
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
                           int width) {
    std::size_t n = 0;
    for (; n < from.size() && n < N; ++n)
        to[n] = CutToWidth(from[n], width);
    for (std::size_t i = n; i < N; ++i)
        to[i].clear();
    return static_cast<std::int16_t>(n);
}

}  // namespace

void ApplyObsOverrides(const HeaderOverrides& o, const std::array<double, 3>& dataPosition,
                       ObsHeaderRecord& h) {
    if (o.markerName) h.markerName = CutToWidth(*o.markerName, headerwidth::kSiteName);
    if (o.markerNumber) {
        h.markerNumber = CutToWidth(*o.markerNumber, headerwidth::kSiteNumber);
        h.markerNumberPresent = 1;
    }
    if (o.observer) h.observer = CutToWidth(*o.observer, headerwidth::kObserver);
    if (o.agency) h.observingAgency = CutToWidth(*o.agency, headerwidth::kObservAgency);
    if (o.receiverNumber) h.receiverNumber = CutToWidth(*o.receiverNumber, headerwidth::kRcvrSN);
    if (o.antennaType) h.antennaType = CutToWidth(*o.antennaType, headerwidth::kAntType);
    if (o.antennaNumber) h.antennaNumber = CutToWidth(*o.antennaNumber, headerwidth::kAntSN);
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
        h.commentCount = PlaceComments(o.comments, h.comments, headerwidth::kComment);
}

void ApplyNavOverrides(const HeaderOverrides& o, NavHeaderRecord& h) {
    if (!o.comments.empty())
        h.commentCount = PlaceComments(o.comments, h.comments, headerwidth::kComment);
}

void ApplyMetOverrides(const HeaderOverrides& o, MetHeaderRecord& h) {
    if (o.markerName) h.markerName = CutToWidth(*o.markerName, headerwidth::kSiteName);
    if (o.markerNumber) {
        h.markerNumber = CutToWidth(*o.markerNumber, headerwidth::kSiteNumber);
        h.markerNumberPresent = 1;
    }
    if (!o.comments.empty())
        h.commentCount = PlaceComments(o.comments, h.comments, headerwidth::kComment);
}

std::string SiteFromBFileName(const std::string& bFileName) {
    const std::string base = std::filesystem::path(bFileName).stem().string();
    return base.size() > 1 ? base.substr(1, 4) : std::string();
}

}  // namespace kelvrant
