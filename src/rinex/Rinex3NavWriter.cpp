// The RINEX 3.05 mixed navigation writer (see Rinex3NavWriter.h).
#include "rinex/Rinex3NavWriter.h"

#include <algorithm>
#include <cmath>

#include "geo/GpsTime.h"
#include "rinex/GlonassNavWriter.h"
#include "rinex/LineWriter.h"

namespace kelvrant {
namespace {

using rinex3::HeaderLine;

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kWeek = 604800;
constexpr std::int64_t kMoscowOffset = 10800;

// Navigation values: E exponents with twelve decimals, four to a line after four blanks.
void AppendValue(std::string& line, double value) {
    AppendFormat(&line, "%19.12E", value);
}

void AppendOrbitLine(std::string& out, std::initializer_list<double> values) {
    std::string line = "    ";
    for (double v : values)
        AppendValue(line, v);
    out += line;
    out += "\r\n";
}

std::string EpochText(char letter, int number, const CalendarTime& t) {
    return Format("%c%02d %04d %02d %02d %02d %02d %02d", letter, number, t.year, t.month, t.day,
                  t.hour, t.minute, static_cast<int>(std::floor(t.seconds + 0.5)));
}

}  // namespace

Rinex3NavWriter::Rinex3NavWriter(TextSink& sink, const rinex3::FileDating& dating)
    : sink_(sink), dating_(dating) {}

void Rinex3NavWriter::Add(const AshNavRecord& record) {
    if (record.satellite >= 1 && record.satellite <= 32)
        AddGps(record);
    else if (record.satellite > 32 && record.satellite <= 56)
        AddGlonass(record);
}

void Rinex3NavWriter::AddGps(const AshNavRecord& r) {
    // The clock reference time belongs to the next week when it lies more than half a week
    // after the message's time, as in the RINEX 2 navigation file.
    const std::int32_t toc = r.Toc();
    std::int32_t week = r.Week();
    if (static_cast<double>(toc) + 302400.0 < static_cast<double>(r.Seconds())) ++week;
    const CalendarTime t = GpsToCalendar(week, static_cast<double>(toc) + 0.000000001);
    std::string line = EpochText('G', r.satellite, t);
    AppendValue(line, r.Af0());
    AppendValue(line, r.Af1());
    AppendValue(line, r.Af2());
    records_ += line;
    records_ += "\r\n";
    AppendOrbitLine(records_, {static_cast<double>(r.Iode()), r.Crs(), r.DeltaN(), r.M0()});
    AppendOrbitLine(records_, {r.Cuc(), r.Ecc(), r.Cus(), r.SqrtA()});
    AppendOrbitLine(records_, {static_cast<double>(r.Toe()), r.Cic(), r.Omega0(), r.Cis()});
    AppendOrbitLine(records_, {r.I0(), r.Crc(), r.Omega(), r.OmegaDot()});
    AppendOrbitLine(records_, {r.Idot(), 0.0, static_cast<double>(r.Week()), 0.0});
    AppendOrbitLine(records_, {static_cast<double>(r.Accuracy()), static_cast<double>(r.Health()),
                               r.Tgd(), static_cast<double>(r.Iodc())});
    AppendOrbitLine(records_, {static_cast<double>(r.Seconds()), 0.0});
}

void Rinex3NavWriter::AddGlonass(const AshNavRecord& r) {
    const int slot = r.satellite - 32;
    if (!haveGlonass_) {
        haveGlonass_ = true;
        firstGlonass_ = r;
    }
    channels_[static_cast<std::size_t>(slot)] = r.FrequencyNumber();
    std::int32_t week = 0;
    double seconds = 0.0;
    GlonassEpoch(r, week, seconds);
    const CalendarTime t = GpsToCalendar(week, seconds + 0.000000001);
    // The message frame time in seconds of the UTC week (RINEX 2 gives the time of day).
    std::int64_t frame =
        r.Tk() + static_cast<std::int64_t>(r.GloSeconds()) / kDay * kDay - kMoscowOffset;
    if (frame < 0)
        frame += kWeek;
    else if (frame >= kWeek)
        frame -= kWeek;
    std::string line = EpochText('R', slot, t);
    AppendValue(line, -static_cast<double>(r.TauN()));
    AppendValue(line, r.GammaN());
    AppendValue(line, static_cast<double>(frame));
    records_ += line;
    records_ += "\r\n";
    AppendOrbitLine(records_, {r.PosX() * 0.001, r.VelX() * 0.001, r.AccX() * 0.001,
                               static_cast<double>(r.GloHealth())});
    AppendOrbitLine(records_, {r.PosY() * 0.001, r.VelY() * 0.001, r.AccY() * 0.001,
                               static_cast<double>(r.FrequencyNumber())});
    AppendOrbitLine(records_, {r.PosZ() * 0.001, r.VelZ() * 0.001, r.AccZ() * 0.001,
                               static_cast<double>(r.Age())});
}

void Rinex3NavWriter::Finish(const NavHeaderRecord& h) {
    HeaderLine(sink_, Format("%9.2f           %-20s%-20s", 3.05, "N: GNSS NAV DATA", "M: MIXED"),
               "RINEX VERSION / TYPE");
    rinex3::PgmRunByDate(sink_, dating_, h.runBy);
    const int comments = std::clamp<int>(h.commentCount, 0, NavHeaderRecord::kMaxComments);
    for (int i = 0; i < comments; ++i)
        HeaderLine(sink_, h.comments[static_cast<std::size_t>(i)], "COMMENT");
    if (h.ionPresent != 0) {
        HeaderLine(
            sink_,
            Format("GPSA %12.4E%12.4E%12.4E%12.4E", h.alpha[0], h.alpha[1], h.alpha[2], h.alpha[3]),
            "IONOSPHERIC CORR");
        HeaderLine(
            sink_,
            Format("GPSB %12.4E%12.4E%12.4E%12.4E", h.beta[0], h.beta[1], h.beta[2], h.beta[3]),
            "IONOSPHERIC CORR");
    }
    if (h.utcPresent != 0)
        HeaderLine(sink_, Format("GPUT %17.10E%16.9E %6d %4d", h.a0, h.a1, h.t, h.w),
                   "TIME SYSTEM CORR");
    if (haveGlonass_) {
        // GLONASS time to UTC: the same correction (-tau c) and reference day as the RINEX 2
        // GLONASS file's CORR TO SYSTEM TIME, dated at the start of that day.
        NavHeaderRecord glonass;
        SetGlonassCorrection(glonass, firstGlonass_);
        std::int32_t week = 0;
        double seconds = 0.0;
        CalendarToGpsTime(glonass.correctionYear, glonass.correctionMonth, glonass.correctionDay, 0,
                          0, 0.0, week, seconds);
        HeaderLine(sink_,
                   Format("GLUT %17.10E%16.9E %6d %4d", glonass.correction, 0.0,
                          static_cast<int>(seconds), week),
                   "TIME SYSTEM CORR");
    }
    if (h.utcPresent != 0 || h.leapSeconds != 0)
        HeaderLine(sink_, Format("%6d", h.leapSeconds), "LEAP SECONDS");
    HeaderLine(sink_, "", "END OF HEADER");
    sink_.Write(records_);
    records_.clear();
}

}  // namespace kelvrant
