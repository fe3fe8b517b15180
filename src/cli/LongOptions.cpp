// The long options (see LongOptions.h).
#include "cli/LongOptions.h"

#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

#include "convert/EpochEditor.h"
#include "rinex/ObsHeader.h"
#include "run/LongNames.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {
namespace {

// A number written in full, in any locale's program ("1.5", "-2e3"); nothing may follow it.
std::optional<double> Number(std::string_view text) {
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Three numbers separated by commas, each within +-limit (what the header's %14.4f holds).
std::optional<std::array<double, 3>> Triple(std::string_view text, double limit) {
    std::array<double, 3> v{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t comma = i < 2 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) return std::nullopt;
        const auto n = Number(text.substr(0, comma));
        if (!n || std::fabs(*n) > limit) return std::nullopt;
        v[i] = *n;
        text.remove_prefix(i < 2 ? comma + 1 : comma);
    }
    return v;
}

std::optional<bool> YesNo(std::string_view text) {
    std::string lower;
    for (char c : text)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "yes") return true;
    if (lower == "no") return false;
    return std::nullopt;
}

// Largest coordinate a 14-column field with 4 decimals prints.
constexpr double kMaxCoordinate = 999999999.9999;
// Antenna heights and offsets, as the parameter file bounds them.
constexpr double kMaxOffset = 2000.0;

// A header text refused when longer than its field, never cut.
template <int Width>
bool Text(std::string_view value, std::optional<std::string>& field, std::string& why) {
    if (value.size() > static_cast<std::size_t>(Width)) {
        why = "at most " + std::to_string(Width) + " characters";
        return false;
    }
    field = std::string(value);
    return true;
}

template <std::optional<bool> HeaderOverrides::*Field>
bool Switch(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    const auto v = YesNo(value);
    if (!v) {
        why = "yes or no";
        return false;
    }
    job.Overrides.*Field = *v;
    return true;
}

template <int Width, std::optional<std::string> HeaderOverrides::*Field>
bool TextOption(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    return Text<Width>(value, job.Overrides.*Field, why);
}

bool TakeAntennaHeight(std::string_view value, ConversionJob& job, CommandLineExtras&,
                       std::string& why) {
    const auto v = Number(value);
    if (!v || std::fabs(*v) > kMaxOffset) {
        why = "metres, -2000 to 2000";
        return false;
    }
    job.Overrides.antennaHeight = *v;
    return true;
}

bool TakeAntennaOffsets(std::string_view value, ConversionJob& job, CommandLineExtras&,
                        std::string& why) {
    const auto v = Triple(value, kMaxOffset);
    if (!v) {
        why = "H,E,N in metres, each -2000 to 2000";
        return false;
    }
    job.Overrides.antennaOffsets = *v;
    return true;
}

bool TakePosition(std::string_view value, ConversionJob& job, CommandLineExtras&,
                  std::string& why) {
    if (value == "auto") {
        job.Overrides.positionFromData = true;
        job.Overrides.position.reset();
        return true;
    }
    const auto v = Triple(value, kMaxCoordinate);
    if (!v) {
        why = "auto or X,Y,Z in metres";
        return false;
    }
    job.Overrides.position = *v;
    job.Overrides.positionFromData = false;
    return true;
}

bool TakeComment(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    if (job.Overrides.comments.size() >= static_cast<std::size_t>(kMaxComments)) {
        why = "at most " + std::to_string(kMaxComments) + " comments";
        return false;
    }
    if (value.size() > static_cast<std::size_t>(headerwidth::kComment)) {
        why = "at most " + std::to_string(headerwidth::kComment) + " characters";
        return false;
    }
    job.Overrides.comments.emplace_back(value);
    return true;
}

bool TakeConfig(std::string_view value, ConversionJob&, CommandLineExtras& extras,
                std::string& why) {
    if (value.empty()) {
        why = "a file name";
        return false;
    }
    extras.configPath = std::string(value);
    return true;
}

bool TakeSiteLogs(std::string_view value, ConversionJob& job, CommandLineExtras&,
                  std::string& why) {
    std::error_code ec;
    if (value.empty() || !std::filesystem::is_directory(std::filesystem::path(value), ec)) {
        why = "an existing folder";
        return false;
    }
    job.SiteLogDir = std::string(value);
    return true;
}

bool TakeRinexVersion(std::string_view value, ConversionJob& job, CommandLineExtras&,
                      std::string& why) {
    if (value != "2" && value != "3") {
        why = "2 or 3";
        return false;
    }
    job.FormatChoice.rinexVersion = value == "2" ? 2 : 3;
    return true;
}

bool TakeCompress(std::string_view value, ConversionJob& job, CommandLineExtras&,
                  std::string& why) {
    bool compact = false;
    bool gzip = false;
    if (!ParseCompression(value, compact, gzip)) {
        why = "crx, gz, crx.gz or none";
        return false;
    }
    job.FormatChoice.compact = compact;
    job.FormatChoice.gzip = gzip;
    return true;
}

bool TakeLongNames(std::string_view, ConversionJob& job, CommandLineExtras&, std::string&) {
    job.FormatChoice.longNames = true;
    return true;
}

template <std::optional<std::int32_t> OutputFormatChoice::*Field>
bool TakeIndex(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    if (value.size() != 1 || value[0] < '0' || value[0] > '9') {
        why = "a digit 0 to 9";
        return false;
    }
    job.FormatChoice.*Field = value[0] - '0';
    return true;
}

bool TakeCountry(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    if (!ValidCountryCode(value)) {
        why = "a three-letter ISO 3166 country code, XXX when unknown";
        return false;
    }
    std::string code;
    for (char c : value)
        code += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    job.FormatChoice.country = code;
    return true;
}

bool TakeHelp(std::string_view, ConversionJob&, CommandLineExtras& e, std::string&) {
    e.help = true;
    return true;
}
bool TakeVersion(std::string_view, ConversionJob&, CommandLineExtras& e, std::string&) {
    e.version = true;
    return true;
}
bool TakeQuiet(std::string_view, ConversionJob&, CommandLineExtras& e, std::string&) {
    e.quiet = true;
    return true;
}
bool TakeJson(std::string_view, ConversionJob&, CommandLineExtras& e, std::string&) {
    e.json = true;
    return true;
}

bool TakeQc(std::string_view, ConversionJob& job, CommandLineExtras&, std::string&) {
    job.Qc.report = true;
    return true;
}
bool TakeQcJson(std::string_view, ConversionJob& job, CommandLineExtras&, std::string&) {
    job.Qc.json = true;
    return true;
}
bool TakeQcOnly(std::string_view, ConversionJob& job, CommandLineExtras&, std::string&) {
    job.Qc.only = true;
    return true;
}
bool TakeQcPlots(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    if (value.empty()) {
        why = "a folder name";
        return false;
    }
    job.Qc.plotDirectory = std::string(value);
    return true;
}

bool TakeFrom(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    job.Editing.from = ParseGpsTime(value);
    if (!job.Editing.from) why = "YYYY-MM-DD hh:mm[:ss] or WEEK:SECONDS (GPS time)";
    return job.Editing.from.has_value();
}

bool TakeTo(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    job.Editing.to = ParseGpsTime(value);
    if (!job.Editing.to) why = "YYYY-MM-DD hh:mm[:ss] or WEEK:SECONDS (GPS time)";
    return job.Editing.to.has_value();
}

bool TakeDecimate(std::string_view value, ConversionJob& job, CommandLineExtras&,
                  std::string& why) {
    const auto step = ParseDecimation(value);
    if (!step) {
        why = "seconds, a multiple of 0.1 from 0.1 to 86400";
        return false;
    }
    job.Editing.decimateMs = *step;
    return true;
}

bool TakeSplit(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    const auto unit = ParseSplit(value);
    if (!unit) {
        why = "day or hour";
        return false;
    }
    job.Editing.split = *unit;
    return true;
}

bool TakeTypes(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    job.Editing.types = ParseObservables(value);
    if (!job.Editing.types) why = "a comma list of L1, L2, C1, P1, P2, D1, D2";
    return job.Editing.types.has_value();
}

bool TakeExclude(std::string_view value, ConversionJob& job, CommandLineExtras&, std::string& why) {
    if (ParseExclusions(value, job.Editing.excluded)) return true;
    why = "a comma list of satellites (G05, R12) and systems (G, R)";
    return false;
}

using H = HeaderOverrides;

const LongOption kOptions[] = {
    {"marker", "NAME", "MARKER NAME (at most 60 characters)", false,
     TextOption<headerwidth::kSiteName, &H::markerName>},
    {"marker-number", "NUMBER", "MARKER NUMBER (at most 60 characters)", false,
     TextOption<headerwidth::kSiteNumber, &H::markerNumber>},
    {"observer", "NAME", "observer (at most 20 characters)", true,
     TextOption<headerwidth::kObserver, &H::observer>},
    {"agency", "NAME", "observing agency (at most 40 characters)", true,
     TextOption<headerwidth::kObservAgency, &H::agency>},
    {"receiver-number", "NUMBER", "receiver serial number (at most 20 characters)", true,
     TextOption<headerwidth::kRcvrSN, &H::receiverNumber>},
    {"antenna", "TYPE", "antenna type (at most 20 characters)", true,
     TextOption<headerwidth::kAntType, &H::antennaType>},
    {"antenna-number", "NUMBER", "antenna serial number (at most 20 characters)", true,
     TextOption<headerwidth::kAntSN, &H::antennaNumber>},
    {"antenna-height", "H", "antenna height H in metres (ANTENNA: DELTA H/E/N)", true,
     TakeAntennaHeight},
    {"antenna-offsets", "H,E,N", "antenna height, east and north offsets in metres", true,
     TakeAntennaOffsets},
    {"position", "auto|X,Y,Z", "APPROX POSITION XYZ: the data's mean, or metres", true,
     TakePosition},
    {"comment", "TEXT", "a COMMENT line (repeat: up to 5, 3 with -M)", false, TakeComment},
    {"doppler", "yes|no", "write Doppler observations", true, Switch<&H::doppler>},
    {"interval-line", "yes|no", "write the INTERVAL line (whole seconds only)", true,
     Switch<&H::intervalLine>},
    {"obs-counts", "yes|no", "write # OF SATELLITES and PRN / # OF OBS", true,
     Switch<&H::obsCounts>},
    {"site-logs", "DIR", "header values from the stations' IGS site logs in DIR", true,
     TakeSiteLogs},
    {"qc", "", "quality check: write <obsname>.qc.txt beside the outputs", true, TakeQc},
    {"qc-json", "", "quality check: write <obsname>.qc.json beside the outputs", true, TakeQcJson},
    {"qc-only", "", "quality check only: <obsname>.qc.txt, no RINEX written", true, TakeQcOnly},
    {"qc-plots", "DIR", "quality check plots (PNG and SVG) into folder DIR", true, TakeQcPlots},
    {"rinex", "2|3", "RINEX version of the outputs (default 2)", false, TakeRinexVersion},
    {"compress", "crx|gz|crx.gz", "compact RINEX (observations), gzip (all files), or both", false,
     TakeCompress},
    {"long-names", "", "long file names (RINEX 3; the default with --rinex 3)", false,
     TakeLongNames},
    {"monument", "0..9", "monument index of the long names' station ID (default 0)", false,
     TakeIndex<&OutputFormatChoice::monument>},
    {"receiver-index", "0..9", "receiver index of the long names' station ID (default 0)", false,
     TakeIndex<&OutputFormatChoice::receiverIndex>},
    {"country", "ISO3", "station ID's country code (default XXX: unknown)", false, TakeCountry},
    {"from", "TIME", "write the epochs from TIME on (GPS time, see below)", true, TakeFrom},
    {"to", "TIME", "write the epochs up to TIME, inclusive", true, TakeTo},
    {"decimate", "SECONDS", "keep epochs at multiples of SECONDS from GPS midnight", true,
     TakeDecimate},
    {"split", "day|hour", "one file set per GPS day or hour, standard names", true, TakeSplit},
    {"types", "L1,L2,...", "write only these observation types", true, TakeTypes},
    {"exclude", "G05,R,...", "leave out satellites or systems (R: all GLONASS)", true, TakeExclude},
    {"config", "FILE", "use this configuration file", false, TakeConfig},
    {"quiet", "", "print only problems (also -q)", false, TakeQuiet},
    {"json", "", "print the summary as one JSON object", false, TakeJson},
    {"help", "", "print this help and exit (also -h)", false, TakeHelp},
    {"version", "", "print the version and exit", false, TakeVersion},
};

}  // namespace

std::span<const LongOption> LongOptions() {
    return kOptions;
}

const LongOption* FindLongOption(std::string_view name) {
    for (const LongOption& option : kOptions)
        if (option.name == name) return &option;
    return nullptr;
}

}  // namespace kelvrant
