// The command line: ParseCommandLine fills the conversion job from the program's arguments;
// the output naming rules it applies afterwards are in run/OutputNames.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/LongOptions.h"
#include "run/ConversionJob.h"
#include "run/OutputNames.h"
#include "run/ProblemSink.h"
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
inline constexpr std::string_view kNotForMet =
    "This option does not apply to a meteorological conversion.";
inline constexpr std::string_view kTooManyMetComments =
    "A meteorological header holds at most 3 comments.";
inline constexpr std::string_view kNoOutputFolder =
    "The output folder given with -T does not exist.";
inline constexpr std::string_view kNoGlonassNavInRinex3 =
    "RINEX 3 writes GPS and GLONASS navigation to one file (-N); -G names a RINEX 2 GLONASS "
    "navigation file.";
inline constexpr std::string_view kIllegalAutoParamCombination =
    "It is illegal to combine auto-parameters file with any other\r\ncommand-line parameter "
    "arguments.\r\n";

/// Longest file name taken from the command line: what the system accepts as a path.
inline constexpr std::size_t kMaxPathLength = 4095;
/// Longest -F value (session, day, year).
inline constexpr std::size_t kMaxForcedLength = 15;
}  // namespace cmdline

/// Comment lines of a met header.
inline constexpr std::size_t kMaxMetComments = 3;

/// Scans the arguments into `job` and `extras` without looking at any file: the first step
/// of ParseCommandLine, done before the configuration is read so that --help, --version and
/// --config need none. False after the first problem was reported; with help or version set
/// the scan stopped there. One argument other than -h, --help or --version is too few.
bool ScanCommandLine(int argc, const char* const* argv, ConversionJob& job,
                     CommandLineExtras& extras, ProblemSink& errorWindow);

/// The second step: the combination checks, the parameter file (-P) and the output names.
bool CompleteCommandLine(ConversionJob& job, const CommandLineExtras& extras,
                         HeaderSettings& settings, ProblemSink& errorWindow);

/// Fills `job` from the arguments (argv[0], the program path, is not examined). True when
/// there were no arguments or the whole command line was accepted and the output names were
/// completed; false after the first problem was reported to `errorWindow`. Fields set before
/// the problem keep their values. `settings` gives the site name for the met output name and
/// receives the header values of an auto-parameters file (-P).
bool ParseCommandLine(int argc, const char* const* argv, ConversionJob& job,
                      HeaderSettings& settings, ProblemSink& errorWindow);

}  // namespace kelvrant
