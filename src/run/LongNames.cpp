// RINEX 3 long file names (see LongNames.h).
#include "run/LongNames.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "geo/GpsTime.h"

namespace kelvrant {
namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string TwoDigits(long value, char unit) {
    char text[16];
    std::snprintf(text, sizeof text, "%02ld%c", std::clamp(value, 0L, 99L), unit);
    return text;
}

}  // namespace

std::string StationId(const StationNaming& station) {
    std::string id;
    for (char c : station.markerName) {
        if (id.size() == 4) break;
        if (std::isalnum(static_cast<unsigned char>(c))) id += Upper(c);
    }
    id.resize(4, 'X');
    id += static_cast<char>('0' + std::clamp(station.monument, 0, 9));
    id += static_cast<char>('0' + std::clamp(station.receiver, 0, 9));
    if (ValidCountryCode(station.country)) {
        for (char c : station.country)
            id += Upper(c);
    } else {
        id += "XXX";
    }
    return id;
}

bool ValidCountryCode(std::string_view code) {
    return code.size() == 3 && std::all_of(code.begin(), code.end(), [](char c) {
               return std::isalpha(static_cast<unsigned char>(c)) != 0 &&
                      static_cast<unsigned char>(c) < 128;
           });
}

std::string PeriodField(double lengthSeconds) {
    if (!(lengthSeconds > 0.0)) return "00U";
    // A session of a little less than a whole unit (the last epoch one interval before the
    // hour) names that unit; rounding up keeps a partial hour from naming too short a period.
    const double minutes = std::ceil(lengthSeconds / 60.0 - 1e-6);
    if (minutes < 60.0) return TwoDigits(static_cast<long>(minutes), 'M');
    const double hours = std::ceil(lengthSeconds / 3600.0 - 1e-6);
    if (hours < 24.0) return TwoDigits(static_cast<long>(hours), 'H');
    return TwoDigits(static_cast<long>(std::ceil(lengthSeconds / 86400.0 - 1e-6)), 'D');
}

std::string FrequencyField(double intervalSeconds) {
    if (!(intervalSeconds > 0.0)) return "00U";
    if (intervalSeconds < 1.0) {
        const double hertz = std::round(1.0 / intervalSeconds);
        if (hertz < 100.0) return TwoDigits(static_cast<long>(hertz), 'Z');
        return TwoDigits(static_cast<long>(std::round(hertz / 100.0)), 'C');
    }
    if (intervalSeconds < 100.0) return TwoDigits(std::lround(intervalSeconds), 'S');
    if (intervalSeconds < 6000.0) return TwoDigits(std::lround(intervalSeconds / 60.0), 'M');
    if (intervalSeconds < 86400.0) return TwoDigits(std::lround(intervalSeconds / 3600.0), 'H');
    return TwoDigits(std::lround(intervalSeconds / 86400.0), 'D');
}

std::string LongFileName(const StationNaming& station, const SessionSpan& span, char system,
                         LongNameContent content, bool compact, bool gzip) {
    std::int32_t year = 0;
    std::int32_t dayOfYear = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    double seconds = 0.0;
    GpsTimeToDayOfYear(span.firstWeek, span.firstSeconds, year, dayOfYear, hour, minute, seconds);
    char start[32];
    std::snprintf(start, sizeof start, "%04d%03d%02d%02d", year, dayOfYear, hour, minute);
    std::string name = StationId(station) + "_R_" + start + "_" + PeriodField(span.lengthSeconds);
    if (content != LongNameContent::kNavigation) name += "_" + FrequencyField(span.intervalSeconds);
    name += '_';
    name += system;
    name += content == LongNameContent::kObservation  ? 'O'
            : content == LongNameContent::kNavigation ? 'N'
                                                      : 'M';
    name += compact && content == LongNameContent::kObservation ? ".crx" : ".rnx";
    if (gzip) name += ".gz";
    return name;
}

}  // namespace kelvrant
