// The command line: ParseCommandLine fills the conversion job from the program's arguments,
// and the naming rules complete the output names and the output path of an unattended run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ConversionJob.h"
#include "core/ProblemSink.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

/// Title of every problem of the command line.
inline constexpr std::string_view kCmdLineErrorTitle = "Error In Command-Line Parameters";

namespace cmdline {
inline constexpr std::string_view kTooFewParameters =
    "Command-line parameters contain errors ... Too few parameters.";
inline constexpr std::string_view kUnrecognizedForm =
    "Unrecognized form of the Command-line parameters...\r\n\r\n";
inline constexpr std::string_view kUnrecognizedParameters =
    "Command-line parameters contain errors ... Unrecognized Parameters.";
inline constexpr std::string_view kIllegalMetCombination =
    "It is illegal to combine meteorological file data options\r\n with other processing "
    "options.";
inline constexpr std::string_view kIllegalAutoParamCombination =
    "It is illegal to combine auto-parameters file with any other\r\ncommand-line parameter "
    "arguments.\r\n";

/// Longest file name taken from the command line: what the system accepts as a path.
inline constexpr std::size_t kMaxPathLength = 4095;
/// Longest -F value (session, day, year).
inline constexpr std::size_t kMaxForcedLength = 15;
}  // namespace cmdline

/// Fills `job` from the arguments (argv[0], the program path, is not examined). True when
/// there were no arguments or the whole command line was accepted and the output names were
/// completed; false after the first problem was reported to `errorWindow`. Fields set before
/// the problem keep their values. `settings` gives the site name for the met output name and
/// receives the header values of an auto-parameters file (-P).
bool ParseCommandLine(int argc, const char* const* argv, ConversionJob& job,
                      HeaderSettings& settings, ProblemSink& errorWindow);

/// Completes the observation, navigation and GLONASS navigation output names and the output
/// path from the B-file name (nothing when it is empty).
void NameObsOutputs(ConversionJob& job);

/// Completes the met output name and the output path from the met input name (nothing when it
/// is empty); the site is the first four characters of the configured site name.
void NameMetOutput(ConversionJob& job, const HeaderSettings& settings);

/// directory + site + day of year as three digits + converted session character + "." +
/// two-digit year + "M". `directory` is empty or ends in '/'.
std::string MakeMetFileName(const std::string& directory, std::int32_t dayOfYear, std::int32_t year,
                            const std::string& site, char session);

/// Session character of a file name: upper-cased, A..I become 1..9 and J..Z become A..Q;
/// anything else is kept.
char ConvertSessionCharacter(char c);

/// A path split at its last '/' and the last '.' of its file name.
struct PathParts {
    std::string directory;  ///< empty, or ends in '/'
    std::string base;       ///< file name without extension
    std::string extension;  ///< with its dot, or empty
};
PathParts SplitPath(const std::string& path);

}  // namespace kelvrant
