// The RINEX meteorological writer (see MetWriter.h).
#include "rinex/MetWriter.h"

#include <cmath>

#include "geo/Geodetic.h"
#include "geo/GpsTime.h"

namespace kelvrant {
namespace {

// The calendar arithmetic counts days in 32 bits; beyond this week it would overflow.
constexpr std::int32_t kMaxDatableWeek = 300000000;
constexpr double kMaxDatableSeconds = 1e9;

void WriteSensorLine(LineWriter& out, const std::string& model, const std::string& type,
                     double accuracy, const char* code) {
    out.HeaderLine("%-20.20s%-20.20s      %7.1lf    %2.2s %20.20s", model.c_str(), type.c_str(),
                   accuracy, code, label::kSensorModTypeAcc.data());
}

void WriteSensorPositionLine(LineWriter& out, double x, double y, double z, const char* code) {
    // An unknown position (all zeros) has no height either, not that of the Earth's centre.
    const double h = x == 0.0 && y == 0.0 && z == 0.0 ? 0.0 : EllipsoidalHeight(x, y, z);
    out.HeaderLine("%14.4lf%14.4lf%14.4lf%14.4lf %2.2s %20.20s", x, y, z, h, code,
                   label::kSensorPos.data());
}

void WriteMetHeader(LineWriter& out, const WriterOptions& options, const MetHeaderRecord& r) {
    out.HeaderLine("    %2d              METEOROLOGICAL DATA                     %20.20s", 2,
                   label::kVersionType.data());
    out.PgmRunByDate(options, r.runBy);
    const int comments = r.commentCount < 0 ? 0 : (r.commentCount > 3 ? 3 : r.commentCount);
    for (int i = 0; i < comments; ++i)
        out.Comment(r.comments[static_cast<std::size_t>(i)]);
    out.HeaderLine("%-60.60s%20.20s", r.markerName.c_str(), label::kMarkerName.data());
    if (r.markerNumberPresent != 0)
        out.HeaderLine("%-60.60s%20.20s", r.markerNumber.c_str(), label::kMarkerNumber.data());

    const bool pr = r.prPresent != 0;
    const bool td = r.tdPresent != 0;
    const bool hr = r.hrPresent != 0;
    // The count is of the sensors listed, so that it always matches the types that follow.
    std::string types = Format("%6d", (pr ? 1 : 0) + (td ? 1 : 0) + (hr ? 1 : 0));
    if (pr) types += "    PR";
    if (td) types += "    TD";
    if (hr) types += "    HR";
    types.resize(60, ' ');
    types += label::kTypesOfObserv;
    out.HeaderText(types);

    if (pr) WriteSensorLine(out, r.prModel, r.prType, r.prAccuracy, "PR");
    if (td) WriteSensorLine(out, r.tdModel, r.tdType, r.tdAccuracy, "TD");
    if (hr) WriteSensorLine(out, r.hrModel, r.hrType, r.hrAccuracy, "HR");

    if (pr) WriteSensorPositionLine(out, r.prX, r.prY, r.prZ, "PR");
    if (td && r.tdUsesPrPosition == 0) WriteSensorPositionLine(out, r.tdX, r.tdY, r.tdZ, "TD");
    if (hr && r.hrUsesPrPosition == 0) WriteSensorPositionLine(out, r.hrX, r.hrY, r.hrZ, "HR");

    out.HeaderLine("                                                            %20.20s",
                   label::kEndOfHeader.data());
}

}  // namespace

MetWriter::MetWriter(TextSink& sink, const WriterOptions& options)
    : options_(options), lines_(sink) {}

void MetWriter::WriteHeader(const MetHeaderRecord& header) {
    pressure_ = header.prPresent != 0;
    temperature_ = header.tdPresent != 0;
    humidity_ = header.hrPresent != 0;
    WriteMetHeader(lines_, options_, header);
}

bool MetWriter::WriteRecord(std::int32_t week, double secondsOfWeek, double pressure,
                            double temperature, double humidity) {
    double t = secondsOfWeek + 0.000000001;
    if (!std::isfinite(t) || std::fabs(t) > kMaxDatableSeconds || week < 0 ||
        week > kMaxDatableWeek)
        return false;
    if (t > kSecondsPerWeek) {
        t -= kSecondsPerWeek;
        ++week;
    }
    CalendarTime c = GpsToCalendar(week, t);
    double second = std::trunc(c.seconds + 0.5);
    if (second >= 60.0) {
        // Within half a second of the next minute the epoch is that minute's second 0;
        // RINEX has no second 60.
        c = GpsToCalendar(week, t + 0.5);
        second = std::trunc(c.seconds);
    }

    line_ = Format("%3ld%3ld%3ld%3ld%3ld%3ld", static_cast<long>(TwoDigitYear(c.year)),
                   static_cast<long>(c.month), static_cast<long>(c.day), static_cast<long>(c.hour),
                   static_cast<long>(c.minute), static_cast<long>(second));
    if (pressure_) AppendFormat(&line_, "%7.1lf", pressure);
    if (temperature_) AppendFormat(&line_, "%7.1lf", temperature);
    if (humidity_) AppendFormat(&line_, "%7.1lf", humidity);
    lines_.DataText(line_);
    return true;
}

}  // namespace kelvrant
