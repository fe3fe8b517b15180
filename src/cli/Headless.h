// The program without a window: one conversion from the command line, every problem reported
// to a sink (stderr as "title: text"), and an exit status that tells scripts the outcome.
#pragma once

#include <cstdio>
#include <string>

#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "run/QualityCheckRun.h"
#include "settings/ConfigFile.h"

namespace kelvrant {

/// Exit statuses of the program.
enum : int {
    kExitSuccess = 0,
    kExitRunFailed = 1,   ///< a run could not be prepared or did not complete
    kExitBadCommand = 2,  ///< the command line was rejected, or there was nothing to do
};

/// True when the first argument is the word "batch": a whole campaign, always without a window.
bool IsBatchCommand(int argc, const char* const* argv);

/// True when a window can be shown (DISPLAY or WAYLAND_DISPLAY is set and not empty).
bool HasDisplay();

/// Reads the configuration file at start-up: a missing file is written with the defaults, an
/// erroneous one is reported with its line number, left alone and not written at exit.
void LoadConfiguration(ConfigStore& config, const std::string& iniPath, ConversionJob& job,
                       ProblemSink& problems);

/// --help or --version, answered on `out` before anything else happens (with or without a
/// display): true with `status` set when the command line asked one of them.
bool AnswerInformationRequest(int argc, const char* const* argv, std::FILE* out, int& status);

/// The file named by --config FILE on the command line; empty when none is named (or the
/// command line is rejected, which the parse proper reports).
std::string CommandLineConfigPath(int argc, const char* const* argv);

/// What the program does first, whichever executable: a file size limit becomes a failed
/// write (SIGXFSZ ignored), help and version are answered (true with the exit status set), and
/// the configuration file's place is settled once, before anything reads it.
bool StartProgram(int argc, char** argv, std::string& iniPath, int& status);

/// Runs the command line without a window. With no arguments the usage text goes to
/// `usageOut` and the program cannot proceed (it needs a window for that). Otherwise the
/// configuration file `iniPath` is read, the command line parsed and its conversion prepared
/// and run; problems go to `problems`.
/// `plots` draws the quality check's plots (--qc-plots) when the program has them.
int RunHeadless(int argc, const char* const* argv, const std::string& iniPath,
                ProblemSink& problems, std::FILE* usageOut, const QcPlotWriter& plots = {});

}  // namespace kelvrant
