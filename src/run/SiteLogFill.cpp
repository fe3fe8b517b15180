// Header values from IGS site logs (see SiteLogFill.h).
#include "run/SiteLogFill.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "geo/GpsTime.h"
#include "run/HeaderFill.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

namespace {

std::string Metres(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.4f m", v);
    return text;
}

}  // namespace

void FillFromSiteLog(const SiteLog& log, ObsHeaderRecord& h, const double* sFileHeight,
                     ProblemSink& problems) {
    namespace w = headerwidth;
    // GPS time runs seconds ahead of UTC; the log's dates are whole minutes, and an exchange
    // of equipment is never logged to the second.
    const CalendarTime c = GpsToCalendar(h.firstWeek, h.firstSeconds);
    const SiteLogMinutes t = SiteLogTime(c.year, c.month, c.day, c.hour, c.minute);

    h.markerName = CutToWidth(log.fourCharacterId, w::kSiteName);
    if (!log.domesNumber.empty()) {
        h.markerNumber = CutToWidth(log.domesNumber, w::kSiteNumber);
        h.markerNumberPresent = 1;
    }
    if (const SiteLogReceiver* r = log.ReceiverAt(t)) {
        if (!r->serialNumber.empty()) h.receiverNumber = CutToWidth(r->serialNumber, w::kRcvrSN);
        if (h.receiverType.empty()) h.receiverType = CutToWidth(r->type, w::kRcvrType);
        if (h.receiverVersion.empty()) h.receiverVersion = CutToWidth(r->firmware, w::kRcvrVer);
    }
    if (const SiteLogAntenna* a = log.AntennaAt(t)) {
        h.antennaType = CutToWidth(a->RinexType(), w::kAntType);
        if (!a->serialNumber.empty()) h.antennaNumber = CutToWidth(a->serialNumber, w::kAntSN);
        if (sFileHeight != nullptr && std::fabs(*sFileHeight - a->up) > 0.001) {
            problems.Report(sitelogtext::kWarningTitle,
                            "The antenna height of the S-file (" + Metres(*sFileHeight) +
                                ") and of the site log of " + log.fourCharacterId + " (" +
                                Metres(a->up) +
                                ") differ by more than 1 mm; the site log's is used.");
        }
        // The log's height is to the antenna reference point, vertical: no slant to add.
        h.antennaDeltaVertical = a->up;
        h.antennaSlant = 0.0;
        h.antennaRadius = 0.0;
        h.antennaEast = a->east;
        h.antennaNorth = a->north;
    }
    if (log.position && h.approxX == 0.0 && h.approxY == 0.0 && h.approxZ == 0.0) {
        h.approxX = (*log.position)[0];
        h.approxY = (*log.position)[1];
        h.approxZ = (*log.position)[2];
    }
}

void ApplySiteLog(const std::string& directory, RunFileSet& files, ProblemSink& problems) {
    const std::string base = std::filesystem::path(files.BFile.name).stem().string();
    if (base.size() < 5) return;
    const std::string path = FindSiteLog(directory, base.substr(1, 4));
    if (path.empty()) return;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        problems.Report(sitelogtext::kErrorTitle,
                        "Cannot read the site log; it is not used.\n\n" + path);
        return;
    }
    const SiteLogParse parsed = ParseSiteLog(text.str());
    if (!parsed.log) {
        problems.Report(sitelogtext::kErrorTitle, "At line " + std::to_string(parsed.line) +
                                                      " the site log is malformed (" + parsed.why +
                                                      "); its values are not used.\n\n" + path);
        return;
    }
    double sFileHeight = 0.0;
    const bool haveSFile = files.Site.loaded != 0;
    if (haveSFile) sFileHeight = AntennaHeight(files.ObsHeader);
    FillFromSiteLog(*parsed.log, files.ObsHeader, haveSFile ? &sFileHeight : nullptr, problems);
}

}  // namespace kelvrant
