// The program without a window (see Headless.h).
#include "cli/Headless.h"

#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "batch/Batch.h"
#include "cli/CommandLine.h"
#include "cli/UsageText.h"
#include "run/ConversionJob.h"
#include "run/ConversionWorker.h"
#include "run/Progress.h"
#include "run/RunFiles.h"
#include "settings/ConfigFile.h"
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

// The running executable's path (the configuration file lives beside it).
std::string ExecutablePath(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.string();
    return std::filesystem::absolute(argv0 ? argv0 : "kelvrant", ec).string();
}

// Takes "--site-logs DIR" (or "--site-logs=DIR") out of the arguments: the folder of the IGS
// site logs whose values fill the observation header.
bool TakeSiteLogOption(std::vector<const char*>& args, std::string& directory,
                       ProblemSink& problems) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view a = args[i] ? args[i] : "";
        if (a == "--site-logs") {
            if (i + 1 >= args.size()) {
                problems.Report(kCmdLineErrorTitle, "--site-logs needs a folder");
                return false;
            }
            directory = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i + 2));
            --i;
        } else if (a.starts_with("--site-logs=")) {
            directory = std::string(a.substr(12));
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            --i;
        }
    }
    std::error_code ec;
    if (!directory.empty() && !std::filesystem::is_directory(directory, ec)) {
        problems.Report(kCmdLineErrorTitle, "--site-logs names no folder: " + directory);
        return false;
    }
    return true;
}

}  // namespace

void LoadConfiguration(ConfigStore& config, const std::string& iniPath, ConversionJob& job,
                       ProblemSink& problems) {
    const ConfigReadResult read = config.ReadConfigFile(iniPath);
    if (read.lineNumber == -1) {
        problems.Report(
            "ERROR: Could not open configuration file (i.e., .INI)",
            "A default set of parameters will be used and written the file " + iniPath + ".");
        config.WriteConfigFile(iniPath);
    } else if (read.result == 0) {
        // Nobody can answer the question of the window: the file is left as it is and not
        // written at exit.
        problems.Report("ERROR in reading configuration file.",
                        "The configuration file (i.e., INI) contains erroneous data at line " +
                            std::to_string(read.lineNumber) + "; it is left as it is:\n\n" +
                            iniPath);
        job.SaveConfigOnExit = false;
    }
}

bool IsBatchCommand(int argc, const char* const* argv) {
    return argc > 1 && argv[1] != nullptr && std::string_view(argv[1]) == "batch";
}

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

int RunHeadless(int argc, const char* const* argv, ProblemSink& problems, std::FILE* usageOut) {
    if (IsBatchCommand(argc, argv)) {
        return RunBatch(std::vector<std::string>(argv + 2, argv + argc), ExecutablePath(argv[0]),
                        stdout, stderr);
    }
    std::vector<const char*> args(argv, argv + argc);
    std::string siteLogDir;
    if (!TakeSiteLogOption(args, siteLogDir, problems)) return kExitBadCommand;
    argc = static_cast<int>(args.size());
    argv = args.data();
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
    ConfigStore config;
    config.ResetToStartup();
    const std::string iniPath = ConfigFilePathBeside(ExecutablePath(argv[0]));
    job.SaveConfigOnExit = true;
    LoadConfiguration(config, iniPath, job, problems);

    if (!ParseCommandLine(argc, argv, job, config.Settings(), problems)) return kExitBadCommand;
    job.SiteLogDir = siteLogDir;
    if (!job.ObsRun && !job.MetRun) {
        problems.Report(kHeadlessTitle, "The command line names no conversion to run.");
        return kExitBadCommand;
    }

    RunFileSet files;
    const bool started = job.ObsRun ? StartObsAutoRun(job, files, config.Settings(), problems)
                                    : StartMetAutoRun(job, files, config.Settings(), problems);
    if (!started) return kExitRunFailed;

    ProgressState progress;
    bool workerOk = false;
    if (::isatty(STDERR_FILENO) != 0) {
        // The worker runs beside a display loop, as it does under the progress window.
        std::thread worker([&] { workerOk = RunConversionWorker(job, files, problems, progress); });
        while (!progress.Done()) {
            std::fprintf(stderr, "\r%3.0f%%", progress.Percent());
            std::fflush(stderr);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        worker.join();
        std::fprintf(stderr, "\r%3.0f%%\n", progress.Percent());
    } else {
        workerOk = RunConversionWorker(job, files, problems, progress);
    }

    std::vector<std::string> failedOutputs;
    const bool closed = CloseRunFiles(files, &failedOutputs);
    for (const std::string& name : failedOutputs) {
        problems.Report(runtext::kWriteErrorTitle,
                        std::string(runtext::kWriteError) + "\n\n" + name);
    }
    // An unattended run never writes the configuration file back.
    return workerOk && closed ? kExitSuccess : kExitRunFailed;
}

}  // namespace kelvrant
