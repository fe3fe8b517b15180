// The RINEX 2 GPS navigation writer (see GpsNavWriter.h).
#include "rinex/GpsNavWriter.h"

#include <algorithm>

#include "geo/GpsTime.h"

namespace kelvrant {

void FormatDValue(std::string& line, const char* format, double value) {
    const std::size_t start = line.size();
    // The declaration's format attribute checks the callers' literal formats; here the format
    // can only be passed on (it must take one double).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    AppendFormat(&line, format, value * 10.0);
#pragma GCC diagnostic pop
    const std::size_t e = line.find_last_of("eE");
    if (e == std::string::npos || e < start) return;
    line[e] = 'D';
    // The mantissa d.ddd of ten times the value becomes .dddd of the value itself.
    const std::size_t point = line.rfind('.', e);
    if (point == std::string::npos || point <= start) return;
    std::swap(line[point], line[point - 1]);
}

GpsNavWriter::GpsNavWriter(TextSink& sink, const WriterOptions& options)
    : options_(options), lines_(sink) {}

void GpsNavWriter::WriteHeader(const NavHeaderRecord& header) {
    lines_.HeaderLine("    %2d              NAVIGATION DATA                         %20.20s", 2,
                      label::kVersionType.data());
    lines_.PgmRunByDate(options_, header.runBy);
    const int comments = std::clamp<int>(header.commentCount, 0, NavHeaderRecord::kMaxComments);
    for (int i = 0; i < comments; ++i)
        lines_.Comment(header.comments[static_cast<std::size_t>(i)]);
    if (header.ionPresent != 0) {
        const auto writeIon = [&](const double(&values)[4], std::string_view label) {
            line_.clear();
            FormatDValue(line_, "  %12.3le", values[0]);
            for (int i = 1; i < 4; ++i)
                FormatDValue(line_, "%12.3le", values[i]);
            AppendFormat(&line_, "          %20.20s", label.data());
            lines_.HeaderText(line_);
        };
        writeIon(header.alpha, label::kIonAlpha);
        writeIon(header.beta, label::kIonBeta);
    }
    if (header.utcPresent != 0) {
        line_.clear();
        FormatDValue(line_, "   %19.11le", header.a0);
        FormatDValue(line_, "%19.11le", header.a1);
        AppendFormat(&line_, "%9ld%9ld", static_cast<long>(header.t), static_cast<long>(header.w));
        AppendFormat(&line_, " %20.20s", label::kDeltaUtc.data());
        lines_.HeaderText(line_);
        lines_.HeaderLine("%6ld                                                      %20.20s",
                          static_cast<long>(header.leapSeconds), label::kLeapSeconds.data());
    }
    lines_.HeaderLine("                                                            %20.20s",
                      label::kEndOfHeader.data());
}

void GpsNavWriter::WriteRecord(const AshNavRecord& record) {
    if (!record.IsGps()) return;

    // The clock reference time belongs to the next week when it lies more than half a week
    // before the message time.
    const std::int32_t toc = record.Toc();
    std::int32_t week = record.Week();
    if (static_cast<double>(toc) + 302400.0 < static_cast<double>(record.Seconds())) ++week;
    const CalendarTime epoch = GpsToCalendar(week, static_cast<double>(toc) + 0.000000001);

    line_ = Format("%2d %02ld %2d %2d %2d %2d%5.1lf", record.satellite,
                   static_cast<long>(TwoDigitYear(epoch.year)), epoch.month, epoch.day, epoch.hour,
                   epoch.minute, epoch.seconds);
    FormatDValue(line_, "%19.11le", record.Af0());
    FormatDValue(line_, "%19.11le", record.Af1());
    FormatDValue(line_, "%19.11le", record.Af2());
    lines_.DataText(line_);

    const double rows[7][4] = {
        {static_cast<double>(record.Iode()), record.Crs(), record.DeltaN(), record.M0()},
        {record.Cuc(), record.Ecc(), record.Cus(), record.SqrtA()},
        {static_cast<double>(record.Toe()), record.Cic(), record.Omega0(), record.Cis()},
        {record.I0(), record.Crc(), record.Omega(), record.OmegaDot()},
        {record.Idot(), 0.0, static_cast<double>(record.Week()), 0.0},
        {static_cast<double>(record.Accuracy()), static_cast<double>(record.Health()), record.Tgd(),
         static_cast<double>(record.Iodc())},
        {static_cast<double>(record.Seconds()), 0.0, 0.0, 0.0},
    };
    for (const auto& row : rows) {
        line_.clear();
        FormatDValue(line_, "   %19.11le", row[0]);
        for (int i = 1; i < 4; ++i)
            FormatDValue(line_, "%19.11le", row[i]);
        lines_.DataText(line_);
    }
}

}  // namespace kelvrant
