// Completion of the observation header from the B-file reader's header and statistics, the
// E-file start time, the S-file and the ION record (see HeaderFill.h).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "convert/ReceiverModels.h"
#include "geo/GpsTime.h"
#include "geo/LeapSeconds.h"
#include "rinex/LineWriter.h"
#include "run/HeaderFill.h"

namespace kelvrant {
namespace {

// The version text: the first part in a 10-column field, then the second part unless the
// receiver reported none ("UNKN").
std::string VersionText(const std::string& first, const std::string& second) {
    std::string text = Format("%-10.10s", first.c_str());
    if (second != "UNKN") text += second;
    return CutToWidth(text, headerwidth::kRcvrVer);
}

std::int32_t ClampWeek(std::int64_t week) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        week, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The spacing in whole seconds; 0 when it is none (sub-second or fractional data) or no
// int32 holds it (only from corrupt times). Spacings come from millisecond time tags.
std::int32_t WholeSeconds(float interval) {
    const double t = static_cast<double>(interval);
    const double whole = std::round(t);
    if (!(std::fabs(t - whole) < 0.0005) || !(std::fabs(whole) < 2147483647.0)) return 0;
    return static_cast<std::int32_t>(whole);
}

// Receiver texts of the B-file header, replaced by the S-file's site data when it has some.
void FillReceiverAndSite(ObsHeaderRecord& record, const BFileHeader& header,
                         const SiteRecord* site) {
    record.receiverType = CutToWidth("Ashtech " + header.ReceiverType(), headerwidth::kRcvrType);
    record.receiverVersion = VersionText(header.VersionFirstPart(), header.VersionSecondPart());
    record.markerNumberPresent = 1;
    if (site == nullptr || site->loaded == 0) return;
    record.markerName = CutToWidth(site->siteName, headerwidth::kSiteName);
    record.observer = CutToWidth(site->observer, headerwidth::kObserver);
    record.receiverType = CutToWidth("Ashtech " + site->receiverType, headerwidth::kRcvrType);
    record.receiverNumber = CutToWidth(site->receiverNumber, headerwidth::kRcvrSN);
    record.antennaNumber = CutToWidth(site->antennaNumber, headerwidth::kAntSN);
    record.receiverVersion = VersionText(site->versionFirst, site->versionSecond);
    record.antennaNorth = 0.0;
    record.antennaEast = 0.0;
    record.antennaSlant = 0.0;
    record.antennaRadius = 0.0;
    record.antennaDeltaVertical = site->AntennaHeight();
}

// The time span; the E-file start week wins over the B-file's when they differ (the B-file
// week may be unknown), taken for the B-file start nearest to the E-file start.
void FillTimeSpan(ObsHeaderRecord& record, const BFileReader& obsReader, std::int32_t navStartWeek,
                  double navStartSeconds) {
    std::int32_t firstWeek = 0;
    std::int32_t lastWeek = 0;
    double firstSeconds = 0.0;
    double lastSeconds = 0.0;
    obsReader.GetTimeSpan(firstWeek, firstSeconds, lastWeek, lastSeconds);
    if (navStartWeek != -1 && navStartWeek != firstWeek) {
        const std::int64_t span = static_cast<std::int64_t>(lastWeek) - firstWeek;
        firstWeek = NearestWeek(navStartWeek, navStartSeconds, firstSeconds);
        lastWeek = ClampWeek(firstWeek + span);
    }
    record.firstWeek = firstWeek;
    record.firstSeconds = firstSeconds;
    record.lastWeek = lastWeek;
    record.lastSeconds = lastSeconds;
    record.lastPresent = 1;
}

// Observations per satellite: code counts C and carrier counts K of observation block k, by
// what the data type records in each block.
void FillCounts(ObsHeaderRecord& record, const BFileReader& obsReader, int dataType) {
    for (int s = 0; s <= kMaxSatNumber; ++s) {
        auto& n = record.counts[static_cast<std::size_t>(s <= 32 ? s : s + 1)];
        auto C = [&](int k) { return obsReader.CodeCount(k, s); };
        auto K = [&](int k) { return obsReader.CarrierCount(k, s); };
        n[kObsL1] = K(0);
        n[kObsD1] = K(0);
        n[kObsC1] = C(0);
        switch (dataType) {
            case kDataL2C:
                n[kObsL2] = n[kObsD2] = K(1);
                break;
            case kDataL1CP_L2P:
                n[kObsP1] = C(1);
                n[kObsL2] = n[kObsD2] = K(2);
                n[kObsP2] = C(2);
                break;
            case kDataL1CP:
                n[kObsP1] = C(1);
                break;
            case kDataL1C_L2P:
                n[kObsL2] = n[kObsD2] = K(1);
                n[kObsP2] = C(1);
                break;
            default:
                break;
        }
    }
}

}  // namespace

void FillObsHeader(ObsHeaderRecord& record, const BFileReader& obsReader, std::int32_t navStartWeek,
                   double navStartSeconds, const SiteRecord* site, const IonRecord* ion) {
    FillReceiverAndSite(record, obsReader.Header(), site);
    // GPS+GLONASS receivers write mixed files; the S-file's receiver type wins as it does in
    // the header.
    const bool siteData = site != nullptr && site->loaded != 0;
    record.systemLetter =
        TracksGlonass(siteData ? site->receiverType : obsReader.Header().ReceiverType()) ? 'M'
                                                                                         : 'G';
    record.interval = WholeSeconds(obsReader.EpochInterval());
    record.approxX = obsReader.MeanX();
    record.approxY = obsReader.MeanY();
    record.approxZ = obsReader.MeanZ();
    FillTimeSpan(record, obsReader, navStartWeek, navStartSeconds);

    const int dataType = obsReader.Header().DataType();
    record.wavelengthFactorL1 = 1;
    record.wavelengthFactorL2 = 1;
    if (dataType == kDataL2C) record.wavelengthFactorL2 = 2;
    if (dataType == kDataL1 || dataType == kDataCdPhase) record.wavelengthFactorL2 = 0;
    FillCounts(record, obsReader, dataType);
    // Without an ION file the data's date gives GPS - UTC, which a mixed header must state.
    record.leapSeconds = ion != nullptr && ion->loaded != 0
                             ? ion->LeapSeconds()
                             : GpsMinusUtcAt(record.firstWeek, record.firstSeconds);
}

void FillObsHeader(ObsHeaderRecord& record, const BFileReader& obsReader,
                   const EFileReader* navReader, const SiteRecord* site, const IonRecord* ion) {
    if (navReader == nullptr)
        FillObsHeader(record, obsReader, -1, 0.0, site, ion);
    else
        FillObsHeader(record, obsReader, navReader->StartWeek, navReader->StartSeconds, site, ion);
}

}  // namespace kelvrant
