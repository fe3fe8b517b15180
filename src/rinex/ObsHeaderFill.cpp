// Completion of the observation header from the B-file reader's header and statistics, the
// E-file start time, the S-file and the ION record (see ObsHeader.h).
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "ashtech/BFileReader.h"
#include "ashtech/EFileReader.h"
#include "ashtech/IonFile.h"
#include "ashtech/SiteFile.h"
#include "geo/LeapSeconds.h"
#include "rinex/LineWriter.h"
#include "rinex/ObsHeader.h"

namespace kelvrant {
namespace {

std::string Cut(std::string text, std::size_t width) {
    if (text.size() > width) text.resize(width);
    return text;
}

// The version text: the first part in a 10-column field, then the second part unless the
// receiver reported none ("UNKN").
std::string VersionText(const std::string& first, const std::string& second) {
    std::string text = Format("%-10.10s", first.c_str());
    if (second != "UNKN") text += second;
    return Cut(std::move(text), ObsHeaderRecord::kReceiverWidth);
}

bool IsMixedReceiver(const std::string& receiverType) {
    return receiverType.find("Z18") != std::string::npos ||
           receiverType.find("GG24") != std::string::npos ||
           receiverType.find("GG-XXIV") != std::string::npos;
}

std::int32_t ClampWeek(std::int64_t week) {
    if (week > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (week < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(week);
}

// The spacing in whole seconds; 0 when it is none (sub-second or fractional data) or no
// int32 holds it (only from corrupt times). Spacings come from millisecond time tags.
std::int32_t WholeSeconds(float interval) {
    const double t = static_cast<double>(interval);
    const double whole = std::round(t);
    if (!(std::fabs(t - whole) < 0.0005) || !(std::fabs(whole) < 2147483647.0)) return 0;
    return static_cast<std::int32_t>(whole);
}

}  // namespace

void FillObsHeader(ObsHeaderRecord& record, const BFileReader& obsReader, std::int32_t navStartWeek,
                   double navStartSeconds, const SiteRecord* site, const IonRecord* ion) {
    const BFileHeader& header = obsReader.Header();

    // 1. Receiver texts from the B-file header.
    record.receiverType = Cut("Ashtech " + header.ReceiverType(), ObsHeaderRecord::kReceiverWidth);
    record.receiverVersion = VersionText(header.VersionFirstPart(), header.VersionSecondPart());
    record.markerNumberPresent = 1;

    // 2. Site data of the S-file.
    if (site != nullptr && site->loaded != 0) {
        record.markerName = Cut(site->siteName, ObsHeaderRecord::kMarkerWidth);
        record.observer = Cut(site->observer, ObsHeaderRecord::kObserverWidth);
        record.receiverType = Cut("Ashtech " + site->receiverType, ObsHeaderRecord::kReceiverWidth);
        record.receiverNumber = Cut(site->receiverNumber, ObsHeaderRecord::kReceiverWidth);
        record.antennaNumber = Cut(site->antennaNumber, ObsHeaderRecord::kAntennaWidth);
        record.receiverVersion = VersionText(site->versionFirst, site->versionSecond);
        record.antennaNorth = 0.0;
        record.antennaEast = 0.0;
        record.antennaSlant = 0.0;
        record.antennaRadius = 0.0;
        record.antennaDeltaVertical = site->AntennaHeight();
    }

    // 3. GPS+GLONASS receivers write mixed files.
    record.systemLetter = IsMixedReceiver(record.receiverType) ? 'M' : 'G';

    // 4, 5. Interval and mean position.
    record.interval = WholeSeconds(obsReader.EpochInterval());
    record.approxX = obsReader.MeanX();
    record.approxY = obsReader.MeanY();
    record.approxZ = obsReader.MeanZ();

    // 6. Time span; the E-file start week wins over the B-file's when they differ (the
    // B-file week may be unknown), moved by one when the two starts lie on either side of a
    // week boundary.
    std::int32_t firstWeek = 0;
    std::int32_t lastWeek = 0;
    double firstSeconds = 0.0;
    double lastSeconds = 0.0;
    obsReader.GetTimeSpan(firstWeek, firstSeconds, lastWeek, lastSeconds);
    if (navStartWeek != -1 && navStartWeek != firstWeek) {
        std::int64_t week = navStartWeek;
        if (std::fabs(navStartSeconds - firstSeconds) > 302400.0)
            week += navStartSeconds > firstSeconds ? 1 : -1;
        const std::int64_t span = static_cast<std::int64_t>(lastWeek) - firstWeek;
        firstWeek = ClampWeek(week);
        lastWeek = ClampWeek(week + span);
    }
    record.firstWeek = firstWeek;
    record.firstSeconds = firstSeconds;
    record.lastWeek = lastWeek;
    record.lastSeconds = lastSeconds;

    // 7. Last observation and wavelength factors.
    const int dataType = header.DataType();
    record.lastPresent = 1;
    record.wavelengthFactorL1 = 1;
    record.wavelengthFactorL2 = 1;
    if (dataType == kDataL2C) record.wavelengthFactorL2 = 2;
    if (dataType == kDataL1 || dataType == kDataCdPhase) record.wavelengthFactorL2 = 0;

    // 8. Observation counts: code counts C and carrier counts K of observation block k.
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

    // 9. Leap seconds.
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
