// RINEX 3 long file names: SSSSMRCCC_R_YYYYDDDHHMM_PPU[_FFU]_TT.rnx (.crx for compact
// observation files, .gz appended when gzipped). The nine-character station ID is built from
// the marker name, the monument and receiver indices and the country code; the start is the
// first observation in GPS time; the period and the data frequency come from the session.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvrant {

/// What a long name says about the station.
struct StationNaming {
    std::string markerName;       ///< the first four letters or digits become the site code
    int monument = 0;             ///< 0..9
    int receiver = 0;             ///< 0..9
    std::string country = "XXX";  ///< ISO 3166 alpha-3; "XXX" when unknown
};

/// The content of a file: its two-letter type is the system letter and O, N or M.
enum class LongNameContent { kObservation, kNavigation, kMet };

struct SessionSpan {
    std::int32_t firstWeek = 0;
    double firstSeconds = 0.0;
    double lengthSeconds = 0.0;    ///< from the first to the last epoch plus one interval
    double intervalSeconds = 0.0;  ///< 0: unknown
};

/// "SSSSMRCCC": the site code of the marker name (upper case, padded with 'X' to four), the
/// two indices and the country in upper case.
std::string StationId(const StationNaming& station);

/// A country code is three letters A..Z (either case).
bool ValidCountryCode(std::string_view code);

/// "PPU" of a session length: minutes below an hour, hours below a day, else days
/// ("15M", "01H", "01D"); "00U" when unknown.
std::string PeriodField(double lengthSeconds);

/// "FFU" of an epoch interval: "30S", "01M", "02Z" (2 Hz), "00U" when unknown.
std::string FrequencyField(double intervalSeconds);

/// The whole file name. `system` is 'G', 'R' or 'M'; `compact` gives ".crx" (observation
/// files only), `gzip` appends ".gz".
std::string LongFileName(const StationNaming& station, const SessionSpan& span, char system,
                         LongNameContent content, bool compact, bool gzip);

}  // namespace kelvrant
