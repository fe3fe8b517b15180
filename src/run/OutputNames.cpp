// The output naming rules (see OutputNames.h).
#include "run/OutputNames.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

#include "ashtech/BFileReader.h"
#include "convert/ReceiverModels.h"
#include "geo/GpsTime.h"
#include "run/LongNames.h"
#include "run/OutputChain.h"

namespace kelvrant {

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string UpperText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Upper(c);
    return out;
}

// The file name part of a path (base name and extension).
std::string FileNamePart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Output path rule: a given path ends in '/'; an empty one becomes the directory of `source`.
void CompleteOutputPath(ConversionJob& job, const std::string& source) {
    if (!job.OutputPath.empty()) {
        if (job.OutputPath.back() != '/') job.OutputPath += '/';
    } else {
        job.OutputPath = SplitPath(source).directory;
    }
}

// Places an output name without a directory in the output path; a name given with its own
// directory (absolute or relative) goes exactly there.
void PlaceInOutputPath(const ConversionJob& job, std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return;
    name = job.OutputPath + FileNamePart(name);
}

}  // namespace

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    const auto slash = path.rfind('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    if (slash != std::string::npos) parts.directory = path.substr(0, slash + 1);
    const std::filesystem::path p(file);
    parts.base = p.stem().string();
    parts.extension = p.extension().string();
    return parts;
}

char ConvertSessionCharacter(char c) {
    const char u = Upper(c);
    if (u >= 'A' && u <= 'I') return static_cast<char>('1' + (u - 'A'));
    if (u >= 'J' && u <= 'Z') return static_cast<char>(u - 9);
    return u;
}

std::string MakeMetFileName(const std::string& directory, std::int32_t dayOfYear, std::int32_t year,
                            const std::string& site, char session) {
    char tail[48];
    std::snprintf(tail, sizeof tail, "%03ld%c.%02ldM", static_cast<long>(dayOfYear),
                  ConvertSessionCharacter(session), static_cast<long>(year % 100));
    return directory + site + tail;
}

void NameObsOutputs(ConversionJob& job) {
    if (job.BFileName.empty()) return;
    const PathParts parts = SplitPath(job.BFileName);

    if (job.ObsFileName.empty() && job.NavFileName.empty() && job.NavGFileName.empty()) {
        const std::string& base = parts.base;
        const std::string site = base.size() > 1 ? base.substr(1, 4) : std::string();
        std::string day = parts.extension.size() > 1 ? parts.extension.substr(1, 3) : "";
        std::string session;
        std::string year;
        bool make = true;
        if (job.ForceNames) {
            session = job.ForcedSession;
            day = job.ForcedDay;
            year = job.ForcedYear;
        } else if (base.size() == 8) {
            session = ConvertSessionCharacter(base[5]);
            year = base.substr(6, 2);
        } else if (base.size() >= 9) {
            session = UpperText(base.substr(5, 3));
            year = base.substr(8, 2);
        } else {
            make = false;
        }
        const bool glonass = TracksGlonass(ReadBFileReceiverType(job.BFileName));
        const OutputFormat& f = job.Format;
        if (make) {
            // Made without a directory: the output path places them below. A RINEX 3
            // navigation file of both systems is a mixed one (P).
            const std::string stem = site + day + session + "." + year;
            job.ObsFileName = CompressedRinex2Name(stem + "O", true, f.compact, f.gzip);
            job.NavFileName = CompressedRinex2Name(
                stem + (f.rinexVersion == 3 && glonass ? "P" : "N"), false, false, f.gzip);
            job.NavGFileName = CompressedRinex2Name(stem + "G", false, false, f.gzip);
            job.ObsNamesAutomatic = true;
        }
        // Only GPS+GLONASS receivers get a GLONASS navigation file, and only in RINEX 2:
        // RINEX 3 writes both systems to one navigation file.
        if (!glonass || f.rinexVersion == 3) job.NavGFileName.clear();
    }

    CompleteOutputPath(job, job.BFileName);
    PlaceInOutputPath(job, job.ObsFileName);
    PlaceInOutputPath(job, job.NavFileName);
    PlaceInOutputPath(job, job.NavGFileName);
}

std::string PieceFileName(const std::string& name, std::int64_t piece, SplitUnit unit) {
    const GpsSeconds start = PieceStart(piece, unit);
    const auto week = static_cast<std::int32_t>(std::floor(start / 604800.0));
    std::int32_t year = 0, dayOfYear = 0, hour = 0, minute = 0;
    double seconds = 0.0;
    GpsTimeToDayOfYear(week, start - week * 604800.0, year, dayOfYear, hour, minute, seconds);
    PathParts parts = SplitPath(name);
    const std::string& ext = parts.extension;
    const bool yearExtension = ext.size() == 4 &&
                               std::isdigit(static_cast<unsigned char>(ext[1])) &&
                               std::isdigit(static_cast<unsigned char>(ext[2])) &&
                               std::isalpha(static_cast<unsigned char>(ext[3]));
    const bool lower = !ext.empty() && std::islower(static_cast<unsigned char>(ext.back()));
    char tag[8];
    std::snprintf(tag, sizeof tag, "%03d%c", static_cast<int>(dayOfYear % 1000),
                  unit == SplitUnit::kHour ? static_cast<char>((lower ? 'a' : 'A') + hour) : '0');
    const std::string& base = parts.base;
    const bool standard = base.size() == 8 && std::isdigit(static_cast<unsigned char>(base[4])) &&
                          std::isdigit(static_cast<unsigned char>(base[5])) &&
                          std::isdigit(static_cast<unsigned char>(base[6]));
    parts.base = (standard ? base.substr(0, 4) : base) + tag;
    if (yearExtension) {
        char yy[4];
        std::snprintf(yy, sizeof yy, "%02d", static_cast<int>(year % 100));
        parts.extension = std::string(".") + yy + ext[3];
    }
    return parts.directory + parts.base + parts.extension;
}

std::optional<NmaNameDate> ParseNmaFileName(const std::string& path) {
    const PathParts parts = SplitPath(path);
    const std::string& base = parts.base;
    if (base.size() != 6 || UpperText(parts.extension) != ".NMA") return std::nullopt;
    if (std::isalnum(static_cast<unsigned char>(base[0])) == 0) return std::nullopt;
    for (std::size_t i = 1; i < 6; ++i) {
        if (std::isdigit(static_cast<unsigned char>(base[i])) == 0) return std::nullopt;
    }
    NmaNameDate date;
    date.session = static_cast<char>(std::toupper(static_cast<unsigned char>(base[0])));
    const std::int32_t yy = (base[1] - '0') * 10 + (base[2] - '0');
    date.year = yy < 70 ? 2000 + yy : 1900 + yy;
    date.dayOfYear = (base[3] - '0') * 100 + (base[4] - '0') * 10 + (base[5] - '0');
    return date;
}

void NameMetOutput(ConversionJob& job, const HeaderSettings& settings) {
    if (job.MetInFileName.empty()) return;
    if (job.MetOutFileName.empty()) {
        const std::string& siteName = job.Overrides.markerName.value_or(settings.SiteName);
        std::string site = siteName.substr(0, 4);
        if (site.find(' ') != std::string::npos) site.clear();
        if (site.size() < 4) site = "XXXX";
        std::int32_t year = 0, dayOfYear = 0, hour = 0, minute = 0;
        double seconds = 0.0;
        GpsTimeToDayOfYear(job.MetStartWeek, job.MetStartSeconds, year, dayOfYear, hour, minute,
                           seconds);
        const std::optional<NmaNameDate> log = ParseNmaFileName(job.MetInFileName);
        job.MetOutFileName = MakeMetFileName("", dayOfYear, year, site, log ? log->session : 'A');
        const OutputFormat& f = job.Format;
        if (f.rinexVersion == 3 && f.LongNames()) {
            // The records' span is known only once they are read: period and data frequency
            // stay unspecified.
            const StationNaming station{siteName, f.monument, f.receiverIndex, f.country};
            job.MetOutFileName = LongFileName(station, {job.MetStartWeek, job.MetStartSeconds}, 'M',
                                              LongNameContent::kMet, false, f.gzip);
        } else {
            job.MetOutFileName = CompressedRinex2Name(job.MetOutFileName, false, false, f.gzip);
        }
    }
    CompleteOutputPath(job, job.MetInFileName);
    PlaceInOutputPath(job, job.MetOutFileName);
}

}  // namespace kelvrant
