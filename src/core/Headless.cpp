// The program without a window (see Headless.h).
#include "core/Headless.h"

#include <cstdlib>
#include <string>

#include "core/CmdLineHelp.h"
#include "core/ConversionJob.h"
#include "core/Mainform.h"
#include "core/RunFiles.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

namespace {

constexpr const char* kHeadlessTitle = "Kelvrant";

void PrintUsage(const char* programPath, std::FILE* out) {
    std::string text = CmdLineHelpText(ExecutableFileName(programPath ? programPath : ""));
    // The text keeps CR LF for the help window; a terminal wants line feeds.
    std::string plain;
    for (char c : text)
        if (c != '\r') plain += c;
    std::fwrite(plain.data(), 1, plain.size(), out);
    std::fflush(out);
}

}  // namespace

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

int RunHeadless(int argc, const char* const* argv, ProblemSink& problems, std::FILE* usageOut) {
    if (argc <= 1) {
        PrintUsage(argc > 0 ? argv[0] : nullptr, usageOut);
        problems.Report(kHeadlessTitle, HasDisplay()
                                            ? "This program was built without its window; give a "
                                              "conversion on the command line."
                                            : "The window needs a display (DISPLAY or "
                                              "WAYLAND_DISPLAY is not set); without one, give a "
                                              "conversion on the command line.");
        return kExitBadCommand;
    }

    ConversionJob job = MakeDefaultJob();
    // The header values of the configuration file are read here once that reader exists.
    HeaderSettings settings;
    if (!ParseCommandLine(argc, argv, job, settings, problems)) return kExitBadCommand;
    if (!job.ObsRun && !job.MetRun) {
        problems.Report(kHeadlessTitle, "The command line names no conversion to run.");
        return kExitBadCommand;
    }

    RunFileSet files;
    if (job.ObsRun) {
        if (!PrepareObsRun(files, problems, job.BFileName, job.EFileName, job.NavGFileName,
                           job.NavFileName, job.ObsFileName, job.IonFileName, job.SFileName))
            return kExitRunFailed;
    } else {
        if (!PrepareMetRun(files, problems, job.MetInFileName, job.MetOutFileName))
            return kExitRunFailed;
    }
    job.SaveConfigOnExit = false;

    // The conversion worker takes over here once it is part of the program.
    CloseRunFiles(files);
    problems.Report(kHeadlessTitle, "conversion is not available yet");
    return kExitRunFailed;
}

}  // namespace kelvrant
