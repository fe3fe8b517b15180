// The output format a conversion writes: RINEX version 2 (the default, today's files) or 3,
// compact RINEX and/or gzip compression, and the RINEX 3 long file names with the station's
// monument and receiver indices and country code. Chosen on the command line, in a parameter
// file or in the header data window, and kept in the configuration's [OUTPUT] section.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvrant {

struct OutputFormat {
    std::int32_t rinexVersion = 2;  ///< 2 or 3
    bool compact = false;           ///< Hatanaka compact RINEX for observation files
    bool gzip = false;              ///< gzip every output
    /// Long file names: -1 follows the version (long names with RINEX 3), 0 no, 1 yes.
    std::int32_t longNames = -1;
    std::int32_t monument = 0;       ///< 0..9
    std::int32_t receiverIndex = 0;  ///< 0..9
    std::string country = "XXX";     ///< ISO 3166 alpha-3, "XXX" when unknown

    bool LongNames() const { return longNames < 0 ? rinexVersion == 3 : longNames != 0; }
    /// True when nothing differs from today's RINEX 2 output.
    bool IsDefault() const {
        return rinexVersion == 2 && !compact && !gzip && longNames < 0 && monument == 0 &&
               receiverIndex == 0 && country == "XXX";
    }
    friend bool operator==(const OutputFormat&, const OutputFormat&) = default;
};

/// The format values chosen for one run (command line): each one given wins over the
/// configuration's.
struct OutputFormatChoice {
    std::optional<std::int32_t> rinexVersion;
    std::optional<bool> compact;
    std::optional<bool> gzip;
    std::optional<bool> longNames;
    std::optional<std::int32_t> monument;
    std::optional<std::int32_t> receiverIndex;
    std::optional<std::string> country;

    OutputFormat Over(OutputFormat base) const {
        if (rinexVersion) base.rinexVersion = *rinexVersion;
        if (compact) base.compact = *compact;
        if (gzip) base.gzip = *gzip;
        if (longNames) base.longNames = *longNames ? 1 : 0;
        if (monument) base.monument = *monument;
        if (receiverIndex) base.receiverIndex = *receiverIndex;
        if (country) base.country = *country;
        return base;
    }
};

/// "none", "crx", "gz" or "crx.gz" (any case) into the two flags; false for anything else.
bool ParseCompression(std::string_view text, bool& compact, bool& gzip);
/// The word of ParseCompression for the two flags.
std::string_view CompressionName(bool compact, bool gzip);

}  // namespace kelvrant
