// The RINEX 2 observation writer (see ObsWriter.h).
#include "rinex/ObsWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace kelvrant {
namespace {

constexpr std::size_t kEpochBufferSize = std::size_t{1} << 16;
// Room for the widest possible line (a few fields of kMaxFixedChars).
constexpr std::size_t kLineRoom = 4096;
constexpr int kSatellitesPerLine = 12;

constexpr char kTypeFields[kObsTypeCount][7] = {"    L1", "    L2", "    C1", "    P1", "    P2",
                                                "    D1", "    D2", "    T1", "    T2"};

void PadTo(std::string& text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
}

bool SatelliteListed(const ObsHeaderRecord& r, int entry) {
    for (int t = 0; t < kObsTypeCount; ++t) {
        if (r.obsTypes[static_cast<std::size_t>(t)] != 0 &&
            r.counts[static_cast<std::size_t>(entry)][static_cast<std::size_t>(t)] != 0)
            return true;
    }
    return false;
}

void WriteTimeLine(LineWriter& out, char systemLetter, std::int32_t week, double seconds,
                   std::string_view label) {
    const CalendarTime t = GpsToCalendar(week, seconds);
    if (systemLetter == 'G') {
        out.HeaderLine("%6ld%6ld%6ld%6ld%6ld%12.6lf                  %20.20s",
                       static_cast<long>(t.year), static_cast<long>(t.month),
                       static_cast<long>(t.day), static_cast<long>(t.hour),
                       static_cast<long>(t.minute), t.seconds, label.data());
    } else {
        out.HeaderLine("%6ld%6ld%6ld%6ld%6ld%12.6lf      GPS         %20.20s",
                       static_cast<long>(t.year), static_cast<long>(t.month),
                       static_cast<long>(t.day), static_cast<long>(t.hour),
                       static_cast<long>(t.minute), t.seconds, label.data());
    }
}

void WriteTypesLine(LineWriter& out, const ObsHeaderRecord& r) {
    int count = 0;
    for (std::int16_t flag : r.obsTypes)
        count += flag != 0 ? 1 : 0;
    std::string text = Format("%6d", count);
    for (int t = 0; t < kObsTypeCount; ++t) {
        if (r.obsTypes[static_cast<std::size_t>(t)] != 0) text += kTypeFields[t];
    }
    PadTo(text, 60);
    text += label::kTypesOfObserv;
    out.HeaderText(text);
}

void WriteSatelliteList(LineWriter& out, const ObsHeaderRecord& r) {
    // GPS PRN 1..32, then GLONASS slots 1..24; entry 0 of either kind is never listed.
    std::array<int, 56> entries{};
    std::size_t listed = 0;
    for (int e = 1; e <= 32; ++e)
        if (SatelliteListed(r, e)) entries[listed++] = e;
    for (int e = kGlonassEntryBase + 1; e < kObsCountEntries; ++e)
        if (SatelliteListed(r, e)) entries[listed++] = e;

    out.HeaderLine("%6d                                                      %20.20s",
                   static_cast<int>(listed), label::kNumSatellites.data());
    std::string text;
    for (std::size_t i = 0; i < listed; ++i) {
        const int e = entries[i];
        text.clear();
        if (e <= 32) {
            if (r.systemLetter == 'G')
                AppendFormat(&text, "   %c%2d", ' ', e);
            else
                AppendFormat(&text, "   %c%2.2d", 'G', e);
        } else {
            AppendFormat(&text, "   %c%2.2d", 'R', e - kGlonassEntryBase);
        }
        for (int t = 0; t < kObsTypeCount; ++t) {
            if (r.obsTypes[static_cast<std::size_t>(t)] != 0)
                AppendFormat(
                    &text, "%6ld",
                    static_cast<long>(
                        r.counts[static_cast<std::size_t>(e)][static_cast<std::size_t>(t)]));
        }
        PadTo(text, 60);
        out.HeaderLine("%s%s", text.c_str(), label::kPrnNumObs.data());
    }
}

void WriteHeaderLines(LineWriter& out, const WriterOptions& options, const ObsHeaderRecord& r) {
    if (r.systemLetter == 'G') {
        out.HeaderLine("    %2d              OBSERVATION DATA                        %20.20s", 2,
                       label::kVersionType.data());
    } else {
        out.HeaderLine("    %2d              OBSERVATION DATA    %c                   %20.20s", 2,
                       r.systemLetter, label::kVersionType.data());
    }
    out.PgmRunByDate(options, r.runBy);
    const int comments = r.commentCount < 0 ? 0 : std::min<int>(r.commentCount, kMaxComments);
    for (int i = 0; i < comments; ++i)
        out.Comment(r.comments[static_cast<std::size_t>(i)]);
    out.HeaderLine("%-60.60s%20.20s", r.markerName.c_str(), label::kMarkerName.data());
    if (r.markerNumberPresent != 0)
        out.HeaderLine("%-60.60s%20.20s", r.markerNumber.c_str(), label::kMarkerNumber.data());
    out.HeaderLine("%-20.20s%-40.40s%20.20s", r.observer.c_str(), r.observingAgency.c_str(),
                   label::kObserverAgency.data());
    out.HeaderLine("%-20.20s%-20.20s%-20.20s%20.20s", r.receiverNumber.c_str(),
                   r.receiverType.c_str(), r.receiverVersion.c_str(), label::kReceiver.data());
    out.HeaderLine("%-20.20s%-20.20s                    %20.20s", r.antennaNumber.c_str(),
                   r.antennaType.c_str(), label::kAntenna.data());
    out.HeaderLine("%14.4lf%14.4lf%14.4lf                  %20.20s", r.approxX, r.approxY,
                   r.approxZ, label::kApproxPosition.data());
    out.HeaderLine("%14.4lf%14.4lf%14.4lf                  %20.20s", AntennaHeight(r),
                   r.antennaEast, r.antennaNorth, label::kAntennaDelta.data());
    out.HeaderLine("%6d%6d                                                %20.20s",
                   r.wavelengthFactorL1, r.wavelengthFactorL2, label::kWavelengthFact.data());
    WriteTypesLine(out, r);
    // FillObsHeader leaves 0 for a spacing that is no whole number of seconds: the line is
    // optional and better left out than wrong.
    if (r.intervalPresent != 0 && r.interval > 0)
        out.HeaderLine("%6ld                                                      %20.20s",
                       static_cast<long>(r.interval), label::kInterval.data());
    if (r.systemLetter == 'M')
        out.HeaderLine("%6ld                                                      %20.20s",
                       static_cast<long>(r.leapSeconds), label::kLeapSeconds.data());
    WriteTimeLine(out, r.systemLetter, r.firstWeek, r.firstSeconds, label::kTimeOfFirstObs);
    if (r.lastPresent != 0)
        WriteTimeLine(out, r.systemLetter, r.lastWeek, r.lastSeconds, label::kTimeOfLastObs);
    if (r.satelliteListPresent != 0) WriteSatelliteList(out, r);
    out.HeaderLine("                                                            %20.20s",
                   label::kEndOfHeader.data());
}

char* PadTo(char* start, char* p, std::ptrdiff_t width) {
    while (p - start < width)
        *p++ = ' ';
    return p;
}

// " yy mm dd hh mm ss.sssssss" of epoch lines and event records.
char* AppendEpochTime(char* p, std::int32_t yy, const CalendarTime& t) {
    *p++ = ' ';
    p = AppendIntAt<2, true>(p, yy);
    p = AppendIntAt<3, false>(p, t.month);
    p = AppendIntAt<3, false>(p, t.day);
    p = AppendIntAt<3, false>(p, t.hour);
    p = AppendIntAt<3, false>(p, t.minute);
    return AppendFixedAt<7>(p, t.seconds, 11);
}

// The three-character satellite identifier of epoch lines: GPS with a blank (GPS-only files)
// or 'G' and two digits (mixed files); GLONASS 'R' and two digits.
char* AppendSatellite(char* p, SatelliteId id, bool gpsOnly) {
    const int n = id.number;
    const bool blankGps = id.system == GnssSystem::kGps && gpsOnly;
    *p++ = blankGps ? ' ' : id.Letter();
    *p++ = n >= 10 ? static_cast<char>('0' + n / 10) : (blankGps ? ' ' : '0');
    *p++ = static_cast<char>('0' + n % 10);
    return p;
}

// A loss-of-lock or signal strength digit 1..9; 0 is a blank.
char Digit(std::uint8_t value) {
    static constexpr char kDigits[16] = {' ', '1', '2', '3', '4', '5', '6', '7',
                                         '8', '9', '?', '?', '?', '?', '?', '?'};
    return kDigits[value & 0x0F];
}

}  // namespace

ObsWriter::ObsWriter(TextSink& sink, const WriterOptions& options)
    : sink_(sink),
      options_(options),
      lines_(sink),
      epochBuffer_(std::make_unique<char[]>(kEpochBufferSize)) {}

void ObsWriter::WriteHeader(const ObsHeaderRecord& header) {
    Prepare(header);
    WriteHeaderLines(lines_, options_, header);
}

void ObsWriter::Prepare(const ObsHeaderRecord& header) {
    gpsOnly_ = header.systemLetter == 'G';
    for (int n = 1; n <= 56; ++n) {
        const SatelliteId id =
            n <= 32 ? SatelliteId{GnssSystem::kGps, static_cast<std::uint8_t>(n)}
                    : SatelliteId{GnssSystem::kGlonass, static_cast<std::uint8_t>(n - 32)};
        AppendSatellite(ids_[static_cast<std::size_t>(n)].data(), id, gpsOnly_);
    }
    observableCount_ = 0;
    for (int o = 0; o < kObservableCount; ++o)
        if (header.obsTypes[static_cast<std::size_t>(o)] != 0)
            observables_[static_cast<std::size_t>(observableCount_++)] = static_cast<Observable>(o);
}

char* ObsWriter::BeginLine() {
    if (kEpochBufferSize - used_ < kLineRoom) FlushEpoch();
    return &epochBuffer_[used_];
}

void ObsWriter::EndLine(char* start, char* end) {
    while (end > start && end[-1] == ' ')
        --end;
    *end++ = '\r';
    *end++ = '\n';
    used_ = static_cast<std::size_t>(end - epochBuffer_.get());
}

void ObsWriter::FlushEpoch() {
    if (used_ == 0) return;
    sink_.Write(std::string_view(epochBuffer_.get(), used_));
    used_ = 0;
}

void ObsWriter::WriteEvent(const ObservationEpoch& epoch, std::int32_t yy, const CalendarTime& t) {
    if (epoch.event == EpochEvent::kAntennaMoving) {
        lines_.DataLine(" %02ld%3ld%3ld%3ld%3ld%11.7lf  2", static_cast<long>(yy),
                        static_cast<long>(t.month), static_cast<long>(t.day),
                        static_cast<long>(t.hour), static_cast<long>(t.minute), t.seconds);
        lines_.DataLine("                            4  1");
        lines_.HeaderLine("               %s              %20.20s",
                          "***  ANTENNA IS NOW MOVING  ***", label::kComment.data());
    } else if (epoch.event == EpochEvent::kNewSite) {
        lines_.DataLine(" %02ld%3ld%3ld%3ld%3ld%11.7lf  3  2", static_cast<long>(yy),
                        static_cast<long>(t.month), static_cast<long>(t.day),
                        static_cast<long>(t.hour), static_cast<long>(t.minute), t.seconds);
        // A NUL in the site name would end the line text early; it is shown as a blank.
        char name[4];
        for (std::size_t i = 0; i < 4; ++i)
            name[i] = epoch.siteName[i] == '\0' ? ' ' : epoch.siteName[i];
        lines_.HeaderLine("%c%c%c%c                                                        %20.20s",
                          name[0], name[1], name[2], name[3], label::kMarkerName.data());
        lines_.HeaderLine("          %s         %20.20s",
                          "-->  THIS IS THE START OF A NEW SITE  <--", label::kComment.data());
    }
}

void ObsWriter::WriteEpochLines(const ObservationEpoch& epoch, std::int32_t yy,
                                const CalendarTime& t) {
    // Twelve satellites a line; the clock offset ends the first line only, so that the
    // continuation lines lose their padding again.
    char* line = BeginLine();
    char* p = AppendEpochTime(line, yy, t);
    std::memcpy(p, "  0 ", 4);
    p = AppendIntAt<2, false>(p + 4, epoch.count);
    int pending = 0;
    bool first = true;
    for (int i = 0; i < epoch.count; ++i) {
        const SatelliteId id = epoch.satellites[static_cast<std::size_t>(i)].satellite;
        const int n = id.system == GnssSystem::kGps ? id.number : id.number + 32;
        std::memcpy(p, ids_[static_cast<std::size_t>(n) % ids_.size()].data(), 3);
        p += 3;
        if (++pending == kSatellitesPerLine) {
            p = PadTo(line, p, 68);
            if (first) p = AppendFixedAt<9>(p, epoch.clockOffset, 12);
            EndLine(line, p);
            first = false;
            pending = 0;
            line = BeginLine();
            p = PadTo(line, line, 32);
        }
    }
    if (pending > 0) {
        p = PadTo(line, p, 68);
        if (first) p = AppendFixedAt<9>(p, epoch.clockOffset, 12);
        EndLine(line, p);
    }
}

void ObsWriter::WriteObservationLines(const SatelliteObservations& satellite) {
    // At most five 16-column fields a line.
    char* line = BeginLine();
    char* p = line;
    for (int f = 0; f < observableCount_; ++f) {
        const Observation& o = satellite[observables_[static_cast<std::size_t>(f)]];
        p = AppendFixedAt<3>(p, o.value, 14);
        *p++ = Digit(o.lossOfLock);
        *p++ = Digit(o.strength);
        if (p - line > 70) {
            EndLine(line, p);
            line = BeginLine();
            p = line;
        }
    }
    if (p > line) EndLine(line, p);
}

// Flattened: the line pieces of an epoch are inlined into one loop nest, as on the hot path.
[[gnu::flatten]] void ObsWriter::WriteEpoch(const ObservationEpoch& epoch) {
    const CalendarTime t = GpsToCalendar(epoch.week, epoch.secondsOfWeek);
    const std::int32_t yy = TwoDigitYear(t.year);
    WriteEvent(epoch, yy, t);
    if (epoch.count == 0) return;
    WriteEpochLines(epoch, yy, t);
    if (observableCount_ > 0) {
        for (int i = 0; i < epoch.count; ++i)
            WriteObservationLines(epoch.satellites[static_cast<std::size_t>(i)]);
    }
    FlushEpoch();
}

}  // namespace kelvrant
