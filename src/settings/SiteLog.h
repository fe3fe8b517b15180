// IGS site logs: the station's own record of its marker, position, receivers and antennas,
// each receiver and antenna with the dates it was installed and removed. A conversion takes
// the entries in place at the session's time (sections 1 to 4 of the log are read).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvrant {

/// A time on the log's scale: minutes since 1970-01-01 00:00 UTC.
using SiteLogMinutes = std::int64_t;

/// An entry is in place from `installed` up to, not including, `removed`.
struct SiteLogPeriod {
    SiteLogMinutes installed = 0;
    std::optional<SiteLogMinutes> removed;  ///< none: still in place
    bool Contains(SiteLogMinutes t) const { return t >= installed && (!removed || t < *removed); }
};

struct SiteLogReceiver {
    std::string type;
    std::string serialNumber;
    std::string firmware;
    SiteLogPeriod period;
};

struct SiteLogAntenna {
    std::string type;    ///< the model, without the radome
    std::string radome;  ///< "NONE" when the log names none
    std::string serialNumber;
    double up = 0.0;  ///< marker to antenna reference point, metres
    double north = 0.0;
    double east = 0.0;
    SiteLogPeriod period;
    /// The RINEX antenna type: the model in 16 columns and the radome in the last 4.
    std::string RinexType() const;
};

struct SiteLog {
    std::string fourCharacterId;
    std::string domesNumber;
    std::optional<std::array<double, 3>> position;  ///< X, Y, Z in metres
    std::vector<SiteLogReceiver> receivers;
    std::vector<SiteLogAntenna> antennas;

    const SiteLogReceiver* ReceiverAt(SiteLogMinutes t) const;
    const SiteLogAntenna* AntennaAt(SiteLogMinutes t) const;
};

struct SiteLogParse {
    std::optional<SiteLog> log;  ///< none when the text is malformed
    long line = 0;               ///< the malformed line (1-based)
    std::string why;             ///< what is wrong with it
};

/// Reads a site log's text. A value that cannot be read as what its field holds (a date, a
/// number) makes the whole log malformed: a station's header must never be guessed.
SiteLogParse ParseSiteLog(std::string_view text);

/// Minutes since 1970 of a UTC calendar time.
SiteLogMinutes SiteLogTime(std::int32_t year, std::int32_t month, std::int32_t day,
                           std::int32_t hour, std::int32_t minute);

/// The newest site log of a station in `directory` ("ssss00ccc_yyyymmdd.log" or
/// "ssss_yyyymmdd.log", any letter case; the date in the name decides); empty when none.
std::string FindSiteLog(const std::string& directory, std::string_view fourCharacterId);

}  // namespace kelvrant
