// The RINEX 2.01 GLONASS navigation writer (see GlonassNavWriter.h).
#include "rinex/GlonassNavWriter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "rinex/GpsNavWriter.h"

namespace kelvrant {
namespace {

constexpr double kMoscowOffset = 10800.0;  // Moscow time is UTC + 3 h
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kWeek = 604800;

}  // namespace

void GlonassEpoch(const AshNavRecord& record, std::int32_t& week, double& secondsOfWeek) {
    const std::int64_t message = record.GloSeconds();
    const double sod = static_cast<double>(message % kDay);
    // tb taken as whole seconds towards the message's time of day.
    double e = sod - std::trunc(sod - record.Tb());
    if (!std::isfinite(e)) e = sod + kMoscowOffset;  // unusable tb: the message time itself
    // Offset of the epoch from the message time for the message's own Moscow day number, then
    // moved by whole days into -12 h .. +12 h: an ephemeris is dated on the day nearest to its
    // reception, also when it was received before GPS midnight for a Moscow time after it.
    double offset = e - kMoscowOffset - sod;
    double r = std::fmod(offset + 43200.0, 86400.0);
    if (r < 0.0) r += 86400.0;
    offset = r - 43200.0;

    week = record.GloWeek();
    double u = static_cast<double>(message) + offset;
    if (u < 0.0) {
        --week;
        u += static_cast<double>(kWeek);
    } else if (u >= static_cast<double>(kWeek)) {
        ++week;
        u -= static_cast<double>(kWeek);
    }
    secondsOfWeek = u;
}

double GlonassFrameTime(const AshNavRecord& record) {
    const std::int64_t day = record.GloSeconds() / kDay;
    std::int64_t f = record.Tk() + day * kDay - static_cast<std::int64_t>(kMoscowOffset);
    if (f < 0)
        f += kWeek;
    else if (f >= kWeek)
        f -= kWeek;
    if (f >= kDay) f %= kDay;
    return static_cast<double>(f);
}

void SetGlonassCorrection(NavHeaderRecord& header, const AshNavRecord& record) {
    // The nanosecond keeps a message sent exactly at midnight on its own day.
    const CalendarTime date = GpsToCalendar(record.GloWeek(), record.GloSeconds() + 0.000000001);
    header.correctionYear = date.year;
    header.correctionMonth = date.month;
    header.correctionDay = date.day;
    header.correction = -record.TauC();
}

GlonassNavWriter::GlonassNavWriter(TextSink& sink, const WriterOptions& options)
    : options_(options), lines_(sink) {}

void GlonassNavWriter::SetHeader(const NavHeaderRecord& header) {
    header_ = header;
}

void GlonassNavWriter::WriteHeader() {
    headerWritten_ = true;
    lines_.HeaderLine("%9.2lf           GLONASS NAVMESS DATA                    %20.20s", 2.01,
                      label::kVersionType.data());
    lines_.PgmRunByDate(options_, header_.runBy);
    const int comments = std::clamp<int>(header_.commentCount, 0, NavHeaderRecord::kMaxComments);
    for (int i = 0; i < comments; ++i)
        lines_.Comment(header_.comments[static_cast<std::size_t>(i)]);
    line_ = Format("%6ld%6ld%6ld", static_cast<long>(header_.correctionYear),
                   static_cast<long>(header_.correctionMonth),
                   static_cast<long>(header_.correctionDay));
    FormatDValue(line_, "   %19.11le", header_.correction);
    AppendFormat(&line_, "                    %20.20s", label::kCorrToSystemTime.data());
    lines_.HeaderText(line_);
    lines_.HeaderLine("%6ld                                                      %20.20s",
                      static_cast<long>(header_.leapSeconds), label::kLeapSeconds.data());
    lines_.HeaderLine("                                                            %20.20s",
                      label::kEndOfHeader.data());
}

void GlonassNavWriter::Finish() {
    if (!headerWritten_) WriteHeader();
}

void GlonassNavWriter::WriteRecord(const AshNavRecord& record) {
    if (record.IsGps()) return;
    if (!headerWritten_) {
        SetGlonassCorrection(header_, record);
        WriteHeader();
    }

    std::int32_t week = 0;
    double seconds = 0.0;
    GlonassEpoch(record, week, seconds);
    const CalendarTime epoch = GpsToCalendar(week, seconds + 0.000000001);

    line_ = Format("%2d %02ld %2d %2d %2d %2d%5.1lf", record.satellite - 32,
                   static_cast<long>(TwoDigitYear(epoch.year)), epoch.month, epoch.day, epoch.hour,
                   epoch.minute, epoch.seconds);
    FormatDValue(line_, " %18.11le", -static_cast<double>(record.TauN()));
    FormatDValue(line_, " %18.11le", record.GammaN());
    FormatDValue(line_, " %18.11le", GlonassFrameTime(record));
    lines_.DataText(line_);

    const double rows[3][4] = {
        {record.PosX() * 0.001, record.VelX() * 0.001, record.AccX() * 0.001,
         static_cast<double>(record.GloHealth())},
        {record.PosY() * 0.001, record.VelY() * 0.001, record.AccY() * 0.001,
         static_cast<double>(record.FrequencyNumber())},
        {record.PosZ() * 0.001, record.VelZ() * 0.001, record.AccZ() * 0.001,
         static_cast<double>(record.Age())},
    };
    for (const auto& row : rows) {
        line_.clear();
        FormatDValue(line_, "    %18.11le", row[0]);
        for (int i = 1; i < 4; ++i)
            FormatDValue(line_, " %18.11le", row[i]);
        lines_.DataText(line_);
    }
}

}  // namespace kelvrant
