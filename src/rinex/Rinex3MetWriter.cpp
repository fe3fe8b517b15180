// The RINEX 3.05 meteorological writer (see Rinex3MetWriter.h).
#include "rinex/Rinex3MetWriter.h"

#include <algorithm>
#include <cmath>

#include "geo/Geodetic.h"
#include "geo/GpsTime.h"
#include "rinex/LineWriter.h"

namespace kelvrant {
namespace {

using rinex3::HeaderLine;

void SensorLine(TextSink& sink, const std::string& model, const std::string& type, double accuracy,
                const char* code) {
    HeaderLine(
        sink,
        Format("%-20.20s%-20.20s      %7.1f    %2.2s", model.c_str(), type.c_str(), accuracy, code),
        "SENSOR MOD/TYPE/ACC");
}

void SensorPositionLine(TextSink& sink, double x, double y, double z, const char* code) {
    HeaderLine(sink,
               Format("%14.4f%14.4f%14.4f%14.4f %2.2s", x, y, z, EllipsoidalHeight(x, y, z), code),
               "SENSOR POS XYZ/H");
}

}  // namespace

Rinex3MetWriter::Rinex3MetWriter(TextSink& sink, const rinex3::FileDating& dating)
    : sink_(sink), dating_(dating) {}

void Rinex3MetWriter::WriteHeader(const MetHeaderRecord& r) {
    header_ = r;
    HeaderLine(sink_, Format("%9.2f           %-20s", 3.05, "METEOROLOGICAL DATA"),
               "RINEX VERSION / TYPE");
    rinex3::PgmRunByDate(sink_, dating_, r.runBy);
    const int comments = std::clamp<int>(r.commentCount, 0, 3);
    for (int i = 0; i < comments; ++i)
        HeaderLine(sink_, r.comments[static_cast<std::size_t>(i)], "COMMENT");
    HeaderLine(sink_, r.markerName, "MARKER NAME");
    if (r.markerNumberPresent != 0) HeaderLine(sink_, r.markerNumber, "MARKER NUMBER");
    const bool pr = r.prPresent != 0;
    const bool td = r.tdPresent != 0;
    const bool hr = r.hrPresent != 0;
    std::string types = Format("%6d", (pr ? 1 : 0) + (td ? 1 : 0) + (hr ? 1 : 0));
    if (pr) types += "    PR";
    if (td) types += "    TD";
    if (hr) types += "    HR";
    HeaderLine(sink_, types, "# / TYPES OF OBSERV");
    if (pr) SensorLine(sink_, r.prModel, r.prType, r.prAccuracy, "PR");
    if (td) SensorLine(sink_, r.tdModel, r.tdType, r.tdAccuracy, "TD");
    if (hr) SensorLine(sink_, r.hrModel, r.hrType, r.hrAccuracy, "HR");
    if (pr) SensorPositionLine(sink_, r.prX, r.prY, r.prZ, "PR");
    if (td && r.tdUsesPrPosition == 0) SensorPositionLine(sink_, r.tdX, r.tdY, r.tdZ, "TD");
    if (hr && r.hrUsesPrPosition == 0) SensorPositionLine(sink_, r.hrX, r.hrY, r.hrZ, "HR");
    HeaderLine(sink_, "", "END OF HEADER");
}

bool Rinex3MetWriter::WriteRecord(std::int32_t week, double secondsOfWeek, double pressure,
                                  double temperature, double humidity) {
    double t = secondsOfWeek + 0.000000001;
    if (!std::isfinite(t) || std::fabs(t) > 1e9 || week < 0 || week > 300000000) return false;
    if (t > kSecondsPerWeek) {
        t -= kSecondsPerWeek;
        ++week;
    }
    // Whole seconds, rounded; within half a second of the next minute that minute's second 0.
    CalendarTime c = GpsToCalendar(week, t);
    double second = std::trunc(c.seconds + 0.5);
    if (second >= 60.0) {
        c = GpsToCalendar(week, t + 0.5);
        second = std::trunc(c.seconds);
    }
    std::string line = Format(" %4d %02d %02d %02d %02d %02d", c.year, c.month, c.day, c.hour,
                              c.minute, static_cast<int>(second));
    if (header_.prPresent != 0) AppendFormat(&line, "%7.1f", pressure);
    if (header_.tdPresent != 0) AppendFormat(&line, "%7.1f", temperature);
    if (header_.hrPresent != 0) AppendFormat(&line, "%7.1f", humidity);
    rinex3::DataLine(sink_, line);
    return true;
}

}  // namespace kelvrant
