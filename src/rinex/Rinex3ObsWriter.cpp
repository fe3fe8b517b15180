// The RINEX 3.05 observation writer (see Rinex3ObsWriter.h).
#include "rinex/Rinex3ObsWriter.h"

#include <algorithm>
#include <cmath>

#include "geo/GpsTime.h"
#include "rinex/FixedFormat.h"
#include "rinex/LineWriter.h"

namespace kelvrant {
namespace {

using rinex3::HeaderLine;

constexpr int kCodesPerTypesLine = 13;
constexpr int kCountsPerLine = 9;

ObservablesPresent Present(const ObsHeaderRecord& r) {
    ObservablesPresent p{};
    for (int o = 0; o < kObservableCount; ++o)
        p[static_cast<std::size_t>(o)] = r.obsTypes[static_cast<std::size_t>(o)] != 0;
    return p;
}

void WriteTypes(TextSink& sink, char system, const Rinex3CodeList& codes) {
    std::string text = Format("%c  %3d", system, static_cast<int>(codes.size()));
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (i > 0 && i % kCodesPerTypesLine == 0) {
            HeaderLine(sink, text, "SYS / # / OBS TYPES");
            text.assign(6, ' ');
        }
        text += ' ';
        text += codes[i].Text();
    }
    HeaderLine(sink, text, "SYS / # / OBS TYPES");
}

void WriteTime(TextSink& sink, std::int32_t week, double seconds, std::string_view label) {
    const CalendarTime t = GpsToCalendar(week, seconds);
    HeaderLine(sink,
               Format("%6d%6d%6d%6d%6d%13.7f     GPS", t.year, t.month, t.day, t.hour, t.minute,
                      t.seconds),
               label);
}

// A satellite's count of a code is the count of the observable it comes from.
std::int32_t CodeCount(const ObsHeaderRecord& r, int entry, const Rinex3Code& code) {
    return r.counts[static_cast<std::size_t>(entry)][static_cast<std::size_t>(code.from)];
}

void WriteSatelliteCounts(TextSink& sink, const ObsHeaderRecord& r, const Rinex3CodeList& gps,
                          const Rinex3CodeList& glonass) {
    struct Listed {
        char letter;
        int number;
        int entry;
        const Rinex3CodeList* codes;
    };
    std::vector<Listed> listed;
    auto consider = [&](char letter, int number, int entry, const Rinex3CodeList& codes) {
        for (const Rinex3Code& c : codes)
            if (CodeCount(r, entry, c) != 0) {
                listed.push_back({letter, number, entry, &codes});
                return;
            }
    };
    for (int prn = 1; prn <= 32; ++prn)
        consider('G', prn, prn, gps);
    for (int slot = 1; slot <= 24; ++slot)
        consider('R', slot, kGlonassEntryBase + slot, glonass);
    HeaderLine(sink, Format("%6d", static_cast<int>(listed.size())), "# OF SATELLITES");
    for (const Listed& s : listed) {
        std::string text = Format("   %c%02d", s.letter, s.number);
        for (std::size_t i = 0; i < s.codes->size(); ++i) {
            if (i > 0 && i % kCountsPerLine == 0) {
                HeaderLine(sink, text, "PRN / # OF OBS");
                text.assign(6, ' ');
            }
            text += Format("%6d", CodeCount(r, s.entry, (*s.codes)[i]));
        }
        HeaderLine(sink, text, "PRN / # OF OBS");
    }
}

char* AppendEpochLine(char* p, const CalendarTime& t, int flag, int count) {
    *p++ = '>';
    *p++ = ' ';
    p = AppendInt(p, t.year, 4, false);
    *p++ = ' ';
    p = AppendIntAt<2, true>(p, t.month);
    *p++ = ' ';
    p = AppendIntAt<2, true>(p, t.day);
    *p++ = ' ';
    p = AppendIntAt<2, true>(p, t.hour);
    *p++ = ' ';
    p = AppendIntAt<2, true>(p, t.minute);
    p = AppendFixedAt<7>(p, t.seconds, 11);
    *p++ = ' ';
    *p++ = ' ';
    *p++ = static_cast<char>('0' + flag);
    return AppendIntAt<3, false>(p, count);
}

void EndLine(std::string& text, std::size_t start) {
    std::size_t end = text.size();
    while (end > start && text[end - 1] == ' ')
        --end;
    text.resize(end);
    text.append("\r\n");
}

bool Listed(const SatelliteId& id) {
    return id.number >= 1 && id.number <= (id.system == GnssSystem::kGps ? 32 : 24);
}

}  // namespace

Rinex3ObsWriter::Rinex3ObsWriter(TextSink& sink, const Rinex3ObsOptions& options)
    : sink_(sink), options_(options) {
    text_.reserve(1 << 14);
}

void Rinex3ObsWriter::Prepare(const ObsHeaderRecord& r) {
    mixed_ = r.systemLetter != 'G';
    const ObservablesPresent present = Present(r);
    gps_ = ChooseRinex3Codes(GnssSystem::kGps, options_.receiverModel, options_.dataType, present);
    glonass_.clear();
    if (mixed_)
        glonass_ = ChooseRinex3Codes(GnssSystem::kGlonass, options_.receiverModel,
                                     options_.dataType, present);
}

void Rinex3ObsWriter::WriteHeader(const ObsHeaderRecord& r) {
    Prepare(r);

    HeaderLine(sink_,
               Format("%9.2f           %-20s%-20s", 3.05, "OBSERVATION DATA",
                      mixed_ ? "M: MIXED" : "G: GPS"),
               "RINEX VERSION / TYPE");
    rinex3::PgmRunByDate(sink_, options_.dating, r.runBy);
    const int comments = std::clamp<int>(r.commentCount, 0, kMaxComments);
    for (int i = 0; i < comments; ++i)
        HeaderLine(sink_, r.comments[static_cast<std::size_t>(i)], "COMMENT");
    HeaderLine(sink_, r.markerName, "MARKER NAME");
    if (r.markerNumberPresent != 0) HeaderLine(sink_, r.markerNumber, "MARKER NUMBER");
    HeaderLine(sink_, Format("%-20.20s", options_.markerType.c_str()), "MARKER TYPE");
    HeaderLine(sink_, Format("%-20.20s%-40.40s", r.observer.c_str(), r.observingAgency.c_str()),
               "OBSERVER / AGENCY");
    HeaderLine(sink_,
               Format("%-20.20s%-20.20s%-20.20s", r.receiverNumber.c_str(), r.receiverType.c_str(),
                      r.receiverVersion.c_str()),
               "REC # / TYPE / VERS");
    HeaderLine(sink_, Format("%-20.20s%-20.20s", r.antennaNumber.c_str(), r.antennaType.c_str()),
               "ANT # / TYPE");
    HeaderLine(sink_, Format("%14.4f%14.4f%14.4f", r.approxX, r.approxY, r.approxZ),
               "APPROX POSITION XYZ");
    HeaderLine(sink_, Format("%14.4f%14.4f%14.4f", AntennaHeight(r), r.antennaEast, r.antennaNorth),
               "ANTENNA: DELTA H/E/N");
    WriteTypes(sink_, 'G', gps_);
    if (mixed_) WriteTypes(sink_, 'R', glonass_);
    const bool strengths =
        std::any_of(gps_.begin(), gps_.end(), [](const Rinex3Code& c) { return c.strength; });
    if (strengths) HeaderLine(sink_, "DBHZ", "SIGNAL STRENGTH UNIT");
    if (r.intervalPresent != 0)
        HeaderLine(sink_, Format("%10.3f", static_cast<double>(r.interval)), "INTERVAL");
    WriteTime(sink_, r.firstWeek, r.firstSeconds, "TIME OF FIRST OBS");
    if (r.lastPresent != 0) WriteTime(sink_, r.lastWeek, r.lastSeconds, "TIME OF LAST OBS");
    // No phase shift corrections are applied to the receiver's carrier phases; every phase
    // code is listed with a blank correction.
    for (const Rinex3CodeList* list : {&gps_, &glonass_}) {
        const char letter = list == &gps_ ? 'G' : 'R';
        for (const Rinex3Code& c : *list)
            if (c.code[0] == 'L')
                HeaderLine(sink_, Format("%c %.3s", letter, c.code.data()), "SYS / PHASE SHIFT");
    }
    if (mixed_) {
        std::vector<std::pair<int, int>> channels;
        for (int slot = 1; slot <= 24; ++slot)
            if (options_.glonassChannels[static_cast<std::size_t>(slot)])
                channels.emplace_back(slot,
                                      *options_.glonassChannels[static_cast<std::size_t>(slot)]);
        std::string text = Format("%3d", static_cast<int>(channels.size()));
        for (std::size_t i = 0; i < channels.size(); ++i) {
            if (i > 0 && i % 8 == 0) {
                HeaderLine(sink_, text, "GLONASS SLOT / FRQ #");
                text.assign(3, ' ');
            }
            text += Format(" R%02d %2d", channels[i].first, channels[i].second);
        }
        HeaderLine(sink_, text, "GLONASS SLOT / FRQ #");
        // The code-phase biases of this receiver are not known: the codes with blank values.
        HeaderLine(sink_, " C1C          C1P          C2C          C2P         ",
                   "GLONASS COD/PHS/BIS");
    }
    if (r.leapSeconds != 0) HeaderLine(sink_, Format("%6d", r.leapSeconds), "LEAP SECONDS");
    if (r.satelliteListPresent != 0) WriteSatelliteCounts(sink_, r, gps_, glonass_);
    HeaderLine(sink_, "", "END OF HEADER");
}

void Rinex3ObsWriter::WriteEvent(const ObservationEpoch& epoch) {
    const CalendarTime t = GpsToCalendar(epoch.week, epoch.secondsOfWeek);
    char line[64];
    if (epoch.event == EpochEvent::kAntennaMoving) {
        rinex3::DataLine(sink_, std::string_view(line, AppendEpochLine(line, t, 2, 1) - line));
        HeaderLine(sink_, "***  ANTENNA IS NOW MOVING  ***", "COMMENT");
    } else if (epoch.event == EpochEvent::kNewSite) {
        rinex3::DataLine(sink_, std::string_view(line, AppendEpochLine(line, t, 3, 2) - line));
        std::string name(epoch.siteName.data(), epoch.siteName.size());
        std::replace(name.begin(), name.end(), '\0', ' ');
        HeaderLine(sink_, name, "MARKER NAME");
        HeaderLine(sink_, "-->  THIS IS THE START OF A NEW SITE  <--", "COMMENT");
    }
}

void Rinex3ObsWriter::AppendSatellite(std::string& text, const SatelliteObservations& s) {
    const std::size_t start = text.size();
    char buffer[kMaxFixedChars + 8];
    char* p = buffer;
    *p++ = s.satellite.Letter();
    p = AppendIntAt<2, true>(p, s.satellite.number);
    text.append(buffer, p);
    const Rinex3CodeList& codes = s.satellite.system == GnssSystem::kGps ? gps_ : glonass_;
    for (const Rinex3Code& c : codes) {
        const Observation& o = s[c.from];
        double value = o.value;
        if (c.strength) {
            const std::optional<double> dbhz = SignalStrengthDbHz(options_.receiverModel, o.rawSnr);
            value = dbhz ? *dbhz : 0.0;
        }
        p = buffer;
        // A zero is a missing value in RINEX; it is left blank. Values that round to zero
        // print without a sign.
        if (value == 0.0) {
            p = std::fill_n(p, 14, ' ');
        } else {
            p = AppendFixedAt<3>(p, std::abs(value) < 0.0005 ? 0.0 : value, 14);
        }
        char lli = ' ';
        char ssi = ' ';
        if (c.code[0] == 'L') {
            // Only lost lock and the half-cycle bit have a meaning on RINEX 3 phases; the
            // RINEX 2 antispoofing bit is carried by the W codes.
            const int bits = o.lossOfLock & 0x03;
            if (bits != 0) lli = static_cast<char>('0' + bits);
            const int digit = SignalStrengthDigit3(options_.receiverModel, o.rawSnr, o.strength);
            if (digit != 0) ssi = static_cast<char>('0' + digit);
        }
        *p++ = lli;
        *p++ = ssi;
        text.append(buffer, p);
    }
    EndLine(text, start);
}

void Rinex3ObsWriter::WriteEpoch(const ObservationEpoch& epoch) {
    WriteEvent(epoch);
    int listed = 0;
    for (int i = 0; i < epoch.count; ++i)
        listed += Listed(epoch.satellites[static_cast<std::size_t>(i)].satellite) ? 1 : 0;
    if (listed == 0) return;
    const CalendarTime t = GpsToCalendar(epoch.week, epoch.secondsOfWeek);
    text_.clear();
    char line[128];
    char* p = AppendEpochLine(line, t, 0, listed);
    p = std::fill_n(p, 6, ' ');
    p = AppendFixed(p, std::abs(epoch.clockOffset) < 5e-13 ? 0.0 : epoch.clockOffset, 15, 12);
    text_.append(line, p);
    text_.append("\r\n");
    for (int i = 0; i < epoch.count; ++i) {
        const SatelliteObservations& s = epoch.satellites[static_cast<std::size_t>(i)];
        if (Listed(s.satellite)) AppendSatellite(text_, s);
    }
    sink_.Write(text_);
}

}  // namespace kelvrant
