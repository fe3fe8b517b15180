// The output naming rules: the observation, navigation and met file names made from the input
// names (Ashtech download convention), and where the outputs go.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "convert/EpochEditor.h"
#include "run/ConversionJob.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

/// Completes the observation, navigation and GLONASS navigation output names and the output
/// path from the B-file name (nothing when it is empty).
void NameObsOutputs(ConversionJob& job);

/// The date a met log's name gives: a base name of six characters, the first a letter or digit
/// and the other five digits, and the extension NMA in any case (A03245.NMA: session A, 2003,
/// day 245). Years below 70 are 2000 + yy, the others 1900 + yy.
struct NmaNameDate {
    char session = 'A';  ///< upper case
    std::int32_t year = 0;
    std::int32_t dayOfYear = 0;
};
std::optional<NmaNameDate> ParseNmaFileName(const std::string& path);

/// Completes the met output name and the output path from the met input name (nothing when it
/// is empty): site, day of year and session; the site is the first four characters of the
/// MARKER NAME given for the run, else of the configured site name ("XXXX" when shorter or
/// blank inside), the session that of a met log's name ('A' for any other name).
void NameMetOutput(ConversionJob& job, const HeaderSettings& settings);

/// directory + site + day of year as three digits + converted session character + "." +
/// two-digit year + "M". `directory` is empty or ends in '/'.
std::string MakeMetFileName(const std::string& directory, std::int32_t dayOfYear, std::int32_t year,
                            const std::string& site, char session);

/// Session character of a file name: upper-cased, A..I become 1..9 and J..Z become A..Q;
/// anything else is kept.
char ConvertSessionCharacter(char c);

/// The name of one piece of a split output: the piece's day of year as three digits and its
/// session character ('0' for a day, 'A'..'X' for the hours 0..23) take the places 5 to 8 of
/// a standard eight-character name ("ssssdddf"), or are appended to any other base name; a
/// two-digit year in the extension (".yyO") becomes the piece's year. Lower-case extensions
/// get a lower-case hour letter.
std::string PieceFileName(const std::string& name, std::int64_t piece, SplitUnit unit);

/// A path split at its last '/' and the last '.' of its file name.
struct PathParts {
    std::string directory;  ///< empty, or ends in '/'
    std::string base;       ///< file name without extension
    std::string extension;  ///< with its dot, or empty
};
PathParts SplitPath(const std::string& path);

}  // namespace kelvrant
