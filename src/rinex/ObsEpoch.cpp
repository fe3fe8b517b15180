// The observation epoch writer (see ObsEpoch.h). Epoch and observation lines are built in
// one local buffer with the fast formatters and written with one write per epoch; the rare
// event records go through the ordinary line writers.
#include "rinex/ObsEpoch.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "geo/GpsTime.h"
#include "rinex/FixedFormat.h"
#include "rinex/LineWriter.h"
#include "rinex/ObsHeader.h"
#include "rinex/ObsWriterState.h"

namespace kelvrant {
namespace {

using obs_detail::ObsSlotState;

constexpr double kHalfWeek = 302400.0;
constexpr double kWeekSeconds = 604800.0;
constexpr double kL1Wavelength = 0.190293672798365;  // metres
constexpr double kJumpTolerance = 1e-9;
constexpr std::uint8_t kQualityClockJumps = 24;
constexpr std::uint8_t kBadForJumps = 0xDC;  // loss of lock, bits 4 and 3, carrier not good

// Rounding half away from zero, as trunc(v +- 0.5).
double RoundHalfAway(double v) {
    return v >= 0.0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
}

std::int32_t StepWeek(std::int32_t week, int step) {
    const std::int64_t w = static_cast<std::int64_t>(week) + step;
    if (w > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (w < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(w);
}

bool Listed(int satellite) {
    return satellite >= 1 && satellite <= kMaxSatNumber;
}

// The digits of every (class, SNR) pair, worked out once.
constexpr int DigitOf(int receiverClass, int snr) {
    switch (receiverClass) {
        case 2:
        case 4:
            if (snr < 25) {
                const int d = snr / 5;
                return d < 1 ? 1 : d;
            } else {
                const int d = (snr - 25) / 6 + 5;
                return d > 9 ? 9 : d;
            }
        case 3:
            if (snr >= 56) return 9;
            if (snr >= 52) return 8;
            if (snr >= 48) return 7;
            if (snr >= 45) return 6;
            if (snr >= 39) return 5;
            if (snr >= 36) return 4;
            if (snr >= 33) return 3;
            if (snr >= 30) return 2;
            return 1;
        default:
            if (snr < 60) return 1;
            if (snr < 80) return 2;
            if (snr < 100) return 3;
            if (snr < 120) return 4;
            if (snr < 150) return 5;
            if (snr < 170) return 6;
            if (snr < 190) return 7;
            if (snr < 210) return 8;
            return 9;
    }
}

using DigitTable = std::array<std::array<char, 256>, 5>;
constexpr DigitTable MakeDigitTable() {
    DigitTable t{};
    for (int c = 0; c < 5; ++c)
        for (int s = 0; s < 256; ++s)
            t[static_cast<std::size_t>(c)][static_cast<std::size_t>(s)] =
                static_cast<char>('0' + DigitOf(c, s));
    return t;
}
constexpr DigitTable kDigitChars = MakeDigitTable();

char LossOfLockL1(std::uint8_t w) {
    return (w & 0xC0) != 0 ? '1' : ' ';
}

char LossOfLockL2(std::uint8_t w) {
    char c = ' ';
    if ((w & 0x20) != 0) c = '4';
    if ((w & 0xC0) != 0) c = c == '4' ? '5' : '1';
    return c;
}

// The three-character satellite identifiers of epoch lines, by satellite number 1..56:
// GPS with a blank (GPS-only files) or 'G' and two digits (mixed files); GLONASS 'R'.
using IdTable = std::array<std::array<char, 3>, kMaxSatNumber + 1>;
IdTable MakeIdTable(bool gpsOnly) {
    IdTable t{};
    for (int s = 1; s <= kMaxSatNumber; ++s) {
        const int n = s <= 32 ? s : s - 32;
        auto& id = t[static_cast<std::size_t>(s)];
        id[0] = s <= 32 ? (gpsOnly ? ' ' : 'G') : 'R';
        id[1] = n >= 10 ? static_cast<char>('0' + n / 10) : (s <= 32 && gpsOnly ? ' ' : '0');
        id[2] = static_cast<char>('0' + n % 10);
    }
    return t;
}
const IdTable kGpsOnlyIds = MakeIdTable(true);
const IdTable kMixedIds = MakeIdTable(false);

// The epoch's output: whole CR LF lines collected here and handed to the file with one write.
class EpochOutput {
  public:
    static constexpr std::size_t kCapacity = 1 << 16;
    // Room for the widest possible line (a few fields of kMaxFixedChars).
    static constexpr std::size_t kLineRoom = 4096;

    explicit EpochOutput(int slot) : slot_(slot) {}
    EpochOutput(const EpochOutput&) = delete;
    EpochOutput& operator=(const EpochOutput&) = delete;
    ~EpochOutput() { Flush(); }

    // The start of a new line, with room for kLineRoom characters.
    char* Begin() {
        if (kCapacity - used_ < kLineRoom) Flush();
        return &buffer_[used_];
    }
    // Ends the line begun at `start`: trailing blanks removed, CR LF appended.
    void End(char* start, char* end) {
        while (end > start && end[-1] == ' ')
            --end;
        *end++ = '\r';
        *end++ = '\n';
        used_ = static_cast<std::size_t>(end - buffer_.data());
    }
    void Flush() {
        if (used_ == 0) return;
        WriteRawText(slot_, std::string_view(buffer_.data(), used_));
        used_ = 0;
    }

  private:
    int slot_;
    std::size_t used_ = 0;
    static std::array<char, kCapacity> buffer_;  // one writer thread at a time
};
std::array<char, EpochOutput::kCapacity> EpochOutput::buffer_;

char* PadTo(char* start, char* p, std::ptrdiff_t width) {
    while (p - start < width)
        *p++ = ' ';
    return p;
}

// " yy mm dd hh mm ss.sssssss" of epoch lines and event records.
char* AppendEpochTime(char* p, std::int32_t yy, const CalendarTime& t) {
    *p++ = ' ';
    p = AppendInt(p, yy, 2, true);
    p = AppendInt(p, t.month, 3, false);
    p = AppendInt(p, t.day, 3, false);
    p = AppendInt(p, t.hour, 3, false);
    p = AppendInt(p, t.minute, 3, false);
    return AppendFixed(p, t.seconds, 11, 7);
}

void WriteEventRecords(int slot, const ObsSlotState& st, const EpochRecord& epoch, std::int32_t yy,
                       const CalendarTime& t) {
    const std::string_view site = epoch.SiteName();
    if (site == "????") {
        WriteDataLine(slot, " %02ld%3ld%3ld%3ld%3ld%11.7lf  2", static_cast<long>(yy),
                      static_cast<long>(t.month), static_cast<long>(t.day),
                      static_cast<long>(t.hour), static_cast<long>(t.minute), t.seconds);
        WriteDataLine(slot, "                            4  1");
        WriteHeaderLine(slot, "               %s              %20.20s",
                        "***  ANTENNA IS NOW MOVING  ***", label::kComment.data());
    } else if (st.epochsWritten > 0) {
        WriteDataLine(slot, " %02ld%3ld%3ld%3ld%3ld%11.7lf  3  2", static_cast<long>(yy),
                      static_cast<long>(t.month), static_cast<long>(t.day),
                      static_cast<long>(t.hour), static_cast<long>(t.minute), t.seconds);
        // A NUL in the site name would end the line text early; it is shown as a blank.
        char name[4];
        for (std::size_t i = 0; i < 4; ++i)
            name[i] = site[i] == '\0' ? ' ' : site[i];
        WriteHeaderLine(slot,
                        "%c%c%c%c                                                        %20.20s",
                        name[0], name[1], name[2], name[3], label::kMarkerName.data());
        WriteHeaderLine(slot, "          %s         %20.20s",
                        "-->  THIS IS THE START OF A NEW SITE  <--", label::kComment.data());
    }
}

// The observable kinds of an observation line, in output order.
enum class FieldKind { kCarrierL1, kCarrierL2, kCode, kCodeP, kDoppler };

struct Field {
    FieldKind kind;
    int block;
};

// Observables whose header flag is set, with the observation block each one comes from.
int ActiveFields(const ObsSlotState& st, std::array<Field, 7>& fields) {
    const auto& types = st.header.obsTypes;
    const int d = st.dataType;
    int n = 0;
    if (types[kObsL1] != 0) fields[n++] = {FieldKind::kCarrierL1, 0};
    if (types[kObsL2] != 0) fields[n++] = {FieldKind::kCarrierL2, d == 3 ? 2 : 1};
    if (types[kObsC1] != 0) fields[n++] = {FieldKind::kCode, 0};
    // Data type 5 holds P1 in block 0, beside C1.
    if (types[kObsP1] != 0) fields[n++] = {FieldKind::kCodeP, d == 5 ? 0 : 1};
    if (types[kObsP2] != 0) fields[n++] = {FieldKind::kCodeP, d == 6 ? 1 : 2};
    if (types[kObsD1] != 0) fields[n++] = {FieldKind::kDoppler, 0};
    if (types[kObsD2] != 0) fields[n++] = {FieldKind::kDoppler, d == 2 || d == 6 ? 1 : 2};
    return n;
}

// Code range in metres: the fractional second of the raw range, 0 when too small or flagged
// not good.
double CodeRange(const ObsSlotState& st, const ObsBlockView& b, double codeJump) {
    double x = std::fmod(b.RawRange(), 1.0);
    if (std::fabs(x) < 0.0001 || (b.Warning() & 0x08) != 0) return 0.0;
    if (st.clockAdjustment == 0) x = x + codeJump;
    x = x * kSpeedOfLight;
    if (st.smoothing != 0) x = x - static_cast<double>(b.Smoothing());
    return x;
}

// The D' of the jump detectors: the epoch spacing plus the change of the receiver clock
// offset, in seconds.
double ClockedSpacing(const ObsSlotState& st, const EpochRecord& epoch) {
    double d = epoch.Time() - st.previousEpoch.Time();
    if (d < 0.0) d += kWeekSeconds;
    return d + (epoch.ClockOffset() - st.previousEpoch.ClockOffset()) / kSpeedOfLight;
}

// The first of the previous epoch's satellites with this number, or -1.
int PreviousIndex(const ObsSlotState& st, std::uint8_t satellite) {
    const int n = st.previousEpoch.SatellitesHeld();
    for (int j = 0; j < n; ++j)
        if (st.previousSatellites.SatNumber(j) == satellite) return j;
    return -1;
}

double ClockOffsetJumpOf(const ObsSlotState& st, const EpochRecord& epoch) {
    const double x = ClockedSpacing(st, epoch) * 1000.0;
    const double r = x - 10.0 * RoundHalfAway(x * 0.1);
    const double n = RoundHalfAway(r);
    if (std::fabs(n) > 2.0 || n == 0.0 || std::fabs(r - n) > 0.025) return 0.0;
    return n * 0.001;
}

double CodeJumpOf(const ObsSlotState& st, const EpochRecord& epoch, const SatelliteSlots& sats) {
    const double spacing = ClockedSpacing(st, epoch);
    if (std::fabs(spacing) > 200.0) return 0.0;
    const int n = epoch.SatellitesHeld();
    int matched = 0;
    double f = 0.0;
    for (int i = 0; i < n; ++i) {
        const int j = PreviousIndex(st, sats.SatNumber(i));
        if (j < 0) continue;
        const ObsBlockView cur = sats.Block(i, 0);
        const ObsBlockView prev = st.previousSatellites.Block(j, 0);
        if (std::fabs(cur.RawRange()) < 1e-9 || std::fabs(prev.RawRange()) < 1e-9) continue;
        if ((cur.Warning() & kBadForJumps) != 0 || (prev.Warning() & kBadForJumps) != 0) continue;
        ++matched;
        if (std::fabs(spacing) < kJumpTolerance) return 0.0;
        const double r = prev.RawRange() - cur.RawRange();
        if (std::fabs(r * kSpeedOfLight) < 150000.0) return 0.0;
        f = RoundHalfAway(r * 1000.0);
        if (std::fabs(r * 1000.0 - f) > 0.5 || f > 2.0) return 0.0;
    }
    return matched > 0 ? f * 0.001 : 0.0;
}

double CarrierJumpOf(const ObsSlotState& st, const EpochRecord& epoch, const SatelliteSlots& sats) {
    const double spacing = ClockedSpacing(st, epoch);
    if (std::fabs(spacing) > 200.0) return 0.0;
    const int n = epoch.SatellitesHeld();
    int agreed = 0;
    double f = 0.0;
    for (int i = 0; i < n; ++i) {
        const std::uint8_t s = sats.SatNumber(i);
        if (s == 0) continue;
        const int j = PreviousIndex(st, s);
        if (j < 0) continue;
        const ObsBlockView cur = sats.Block(i, 0);
        const ObsBlockView prev = st.previousSatellites.Block(j, 0);
        if (std::fabs(cur.Phase()) < 1e-9 || std::fabs(prev.Phase()) < 1e-9) continue;
        if ((cur.Warning() & kBadForJumps) != 0 || (prev.Warning() & kBadForJumps) != 0) continue;
        if (std::fabs(spacing) < kJumpTolerance) continue;
        const double r = prev.Phase() - cur.Phase();
        if (std::fabs(r * kL1Wavelength) < 150000.0) continue;
        const double m = r * kL1Wavelength / kSpeedOfLight * 1000.0;
        const double rounded = RoundHalfAway(m);
        if (std::fabs(m - rounded) >= 0.5 || rounded > 2.0) continue;
        ++agreed;
        f = rounded;
    }
    return agreed > 0 ? f * 0.001 : 0.0;
}

}  // namespace

double CarrierFrequencyL1(int satellite) {
    return satellite >= 1 && satellite <= 32 ? kGpsL1Frequency : 0.0;
}

double CarrierFrequencyL2(int satellite) {
    return satellite >= 1 && satellite <= 32 ? kGpsL2Frequency : 0.0;
}

int SignalStrengthDigit(int receiverClass, int snr) {
    const int c = receiverClass >= 1 && receiverClass <= 4 ? receiverClass : 1;
    return DigitOf(c, snr < 0 ? 0 : snr);
}

int ReceiverClassOf(std::string_view receiverType) {
    if (receiverType == "G12") return 2;
    if (receiverType == "UZ-12") return 3;
    if (receiverType == "Z18" || receiverType == "GG24" || receiverType == "GG-XXIV") return 4;
    return 1;
}

double ClockOffsetJump(int slot, const EpochRecord& epoch) {
    const ObsSlotState* st = obs_detail::ObsSlot(slot);
    return st == nullptr ? 0.0 : ClockOffsetJumpOf(*st, epoch);
}

double CodeJump(int slot, const EpochRecord& epoch, const SatelliteSlots& satellites) {
    const ObsSlotState* st = obs_detail::ObsSlot(slot);
    return st == nullptr ? 0.0 : CodeJumpOf(*st, epoch, satellites);
}

double CarrierJump(int slot, const EpochRecord& epoch, const SatelliteSlots& satellites) {
    const ObsSlotState* st = obs_detail::ObsSlot(slot);
    return st == nullptr ? 0.0 : CarrierJumpOf(*st, epoch, satellites);
}

int WriteObsEpoch(int slot, const EpochRecord& epoch, const SatelliteSlots& satellites) {
    ObsSlotState* stp = obs_detail::ObsSlot(slot);
    if (stp == nullptr) return 0;
    ObsSlotState& st = *stp;
    const int held = epoch.SatellitesHeld();

    // 1. Week roll-over in either direction.
    double t = epoch.Time();
    if (std::fabs(st.previousTime - t) > kHalfWeek)
        st.week = StepWeek(st.week, t > st.previousTime ? -1 : 1);
    st.previousTime = t;
    std::int32_t week = st.week;
    double clock = epoch.ClockOffset() / kSpeedOfLight;

    // 2. Clock jumps, once the receiver has shown measurements of the quality that makes them
    // detectable and the first six epochs are past.
    st.clockOffsetJump = 0.0;
    if (st.epochsWritten > 0) {
        for (int i = 0; i < held && st.quality24Seen == 0; ++i)
            if (satellites.Block(i, 0).Quality() == kQualityClockJumps) st.quality24Seen = 1;
        if (st.epochsWritten > 5 && st.quality24Seen != 0) {
            const double o = ClockOffsetJumpOf(st, epoch);
            st.clockOffsetJump = o;
            const double codeJump = CodeJumpOf(st, epoch, satellites);
            st.accumulatedCodeJump += codeJump;
            const double u = CarrierJumpOf(st, epoch, satellites);
            if (st.clockAdjustment != 0 && std::fabs(codeJump) < kJumpTolerance &&
                std::fabs(o) > kJumpTolerance)
                clock -= o;
            else
                st.clockOffsetJump = 0.0;
            // Code and carrier jumping together: the receiver steers both; leave them alone.
            if (std::fabs(codeJump) > kJumpTolerance && std::fabs(u) > kJumpTolerance)
                st.adjustmentsDisabled = 1;
            if (st.clockAdjustment == 0 && st.adjustmentsDisabled == 0) {
                const double h = st.accumulatedCodeJump;
                clock += h;
                t += h;
                if (t > kWeekSeconds) {
                    t -= kWeekSeconds;
                    week = StepWeek(week, 1);
                } else if (t < 0.0) {
                    t += kWeekSeconds;
                    week = StepWeek(week, -1);
                }
            }
        }
    }
    const double h = st.adjustmentsDisabled == 0 ? st.accumulatedCodeJump : 0.0;

    // 3. Calendar time of the tag.
    const CalendarTime cal = GpsToCalendar(week, t + 1e-9);
    const std::int32_t yy = TwoDigitYear(cal.year);

    // 4. Event records on site-name changes.
    if (st.siteChanges != 0 &&
        std::memcmp(epoch.bytes.data(), st.previousEpoch.bytes.data(), 4) != 0)
        WriteEventRecords(slot, st, epoch, yy, cal);

    {
        EpochOutput out(slot);

        // 5. Epoch line(s): twelve satellites per line, the clock offset on the first only.
        int listed = 0;
        for (int i = 0; i < held; ++i)
            listed += Listed(satellites.SatNumber(i)) ? 1 : 0;
        if (listed > 0) {
            const IdTable& ids = st.header.systemLetter == 'G' ? kGpsOnlyIds : kMixedIds;
            char* line = out.Begin();
            char* p = AppendEpochTime(line, yy, cal);
            std::memcpy(p, "  0 ", 4);
            p = AppendInt(p + 4, listed, 2, false);
            int pending = 0;
            bool first = true;
            for (int i = 0; i < held; ++i) {
                const int s = satellites.SatNumber(i);
                if (!Listed(s)) continue;
                std::memcpy(p, ids[static_cast<std::size_t>(s)].data(), 3);
                p += 3;
                if (++pending == 12) {
                    p = PadTo(line, p, 68);
                    if (first) p = AppendFixed(p, clock, 12, 9);
                    out.End(line, p);
                    first = false;
                    pending = 0;
                    line = out.Begin();
                    p = PadTo(line, line, 32);
                }
            }
            if (pending > 0) {
                p = PadTo(line, p, 68);
                if (first) p = AppendFixed(p, clock, 12, 9);
                out.End(line, p);
            }
        }

        // 6. Observation lines: at most five 16-column fields a line.
        std::array<Field, 7> fields{};
        const int fieldCount = ActiveFields(st, fields);
        const char* digits =
            kDigitChars[static_cast<std::size_t>(
                            st.receiverClass >= 1 && st.receiverClass <= 4 ? st.receiverClass : 1)]
                .data();
        const bool moveCarrier = st.clockAdjustment != 0 && h != 0.0;
        for (int i = 0; i < held && fieldCount > 0; ++i) {
            const int s = satellites.SatNumber(i);
            if (!Listed(s)) continue;
            char* line = out.Begin();
            char* p = line;
            for (int f = 0; f < fieldCount; ++f) {
                const ObsBlockView b =
                    satellites.Block(i, fields[static_cast<std::size_t>(f)].block);
                const std::uint8_t w = b.Warning();
                switch (fields[static_cast<std::size_t>(f)].kind) {
                    case FieldKind::kCarrierL1: {
                        double phase = b.Phase();
                        if (moveCarrier && s <= 32) phase = phase - h * kGpsL1Frequency;
                        p = AppendFixed(p, phase, 14, 3);
                        *p++ = LossOfLockL1(w);
                        *p++ = digits[b.Snr()];
                        break;
                    }
                    case FieldKind::kCarrierL2: {
                        double phase = b.Phase();
                        if (moveCarrier && s <= 32) phase = phase - h * kGpsL2Frequency;
                        p = AppendFixed(p, phase, 14, 3);
                        *p++ = LossOfLockL2(w);
                        *p++ = digits[b.Snr()];
                        break;
                    }
                    case FieldKind::kCode:
                        p = AppendFixed(p, CodeRange(st, b, h), 14, 3);
                        *p++ = ' ';
                        *p++ = ' ';
                        break;
                    case FieldKind::kCodeP:
                        p = AppendFixed(p, CodeRange(st, b, h), 14, 3);
                        *p++ = LossOfLockL2(w);
                        *p++ = ' ';
                        break;
                    case FieldKind::kDoppler:
                        p = AppendFixed(p, static_cast<double>(b.Doppler()) * -0.0001, 14, 3);
                        *p++ = ' ';
                        *p++ = ' ';
                        break;
                }
                if (p - line > 70) {
                    out.End(line, p);
                    line = out.Begin();
                    p = line;
                }
            }
            if (p > line) out.End(line, p);
        }
    }

    // 7. Remember the epoch; a removed clock-offset jump is taken out of the stored offset so
    // that the next epoch is compared with the corrected clock.
    st.previousEpoch = epoch;
    std::memcpy(st.previousSatellites.bytes.data(), satellites.bytes.data(),
                static_cast<std::size_t>(held) * kSatSlotStride);
    st.previousEpoch.SetClockOffset(st.previousEpoch.ClockOffset() -
                                    st.clockOffsetJump * kSpeedOfLight);
    ++st.epochsWritten;
    return 1;
}

}  // namespace kelvrant
