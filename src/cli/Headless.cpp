// The program without a window (see Headless.h).
#include "cli/Headless.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "batch/Batch.h"
#include "cli/CommandLine.h"
#include "cli/HelpText.h"
#include "cli/LongOptions.h"
#include "cli/SignalWatch.h"
#include "cli/UsageText.h"
#include "run/ConversionJob.h"
#include "run/ConversionWorker.h"
#include "run/Progress.h"
#include "run/QualityCheckRun.h"
#include "run/RunFiles.h"
#include "run/RunSummary.h"
#include "settings/ConfigFile.h"
#include "settings/ConfigLocation.h"
#include "settings/HeaderSettings.h"
#include "settings/NewConfiguration.h"

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

// The running executable, which a batch runs once per session.
std::string SelfPath(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.string();
    return std::filesystem::absolute(argv0 ? argv0 : "kelvrant", ec).string();
}

}  // namespace

void LoadConfiguration(ConfigStore& config, const std::string& iniPath, ConversionJob& job,
                       ProblemSink& problems) {
    const ConfigReadResult read = config.ReadConfigFile(iniPath);
    if (read.lineNumber == -1) {
        problems.Report(
            "ERROR: Could not open configuration file (i.e., .INI)",
            "A default set of parameters will be used and written the file " + iniPath + ".");
        ApplyNewConfigurationDefaults(config.Settings(), NowUtc(SystemClock()));
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

namespace {

// Counts what the run reports: after a successful run these were warnings.
class CountingProblemSink final : public ProblemSink {
  public:
    explicit CountingProblemSink(ProblemSink& inner) : inner_(inner) {}
    void Report(std::string_view title, std::string_view text) override {
        ++count_;
        inner_.Report(title, text);
    }
    int Count() const { return count_; }

  private:
    ProblemSink& inner_;
    int count_ = 0;
};

void Print(std::FILE* out, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fflush(out);
}

}  // namespace

bool AnswerInformationRequest(int argc, const char* const* argv, std::FILE* out, int& status) {
    if (argc <= 1) return false;
    ConversionJob job;
    CommandLineExtras extras;
    RecordingProblemSink ignored;  // a rejected command line is reported by the real parse
    if (!ScanCommandLine(argc, argv, job, extras, ignored)) return false;
    if (extras.help) {
        Print(out, HelpText(ExecutableFileName(argv[0] ? argv[0] : "")));
    } else if (extras.version) {
        Print(out, VersionText());
    } else {
        return false;
    }
    status = kExitSuccess;
    return true;
}

std::string CommandLineConfigPath(int argc, const char* const* argv) {
    if (argc <= 1) return {};
    ConversionJob job;
    CommandLineExtras extras;
    RecordingProblemSink ignored;
    if (!ScanCommandLine(argc, argv, job, extras, ignored)) return {};
    return extras.configPath;
}

bool StartProgram(int argc, char** argv, std::string& iniPath, int& status) {
    std::signal(SIGXFSZ, SIG_IGN);
    // Help and version need neither a window nor the configuration.
    if (AnswerInformationRequest(argc, argv, stdout, status)) return true;
    iniPath = ResolveConfigPath(ConfigLocationFromEnvironment(argc > 0 ? argv[0] : nullptr,
                                                              CommandLineConfigPath(argc, argv)));
    return false;
}

int RunHeadless(int argc, const char* const* argv, const std::string& defaultIniPath,
                ProblemSink& problems, std::FILE* usageOut, const QcPlotWriter& plots) {
    if (IsBatchCommand(argc, argv)) {
        const auto takesValue = [](std::string_view name) {
            const LongOption* option = FindLongOption(name);
            return option != nullptr && !option->valueName.empty();
        };
        const auto observationOnly = [](std::string_view name) {
            const LongOption* option = FindLongOption(name);
            return option != nullptr && option->observationOnly;
        };
        return RunBatch(std::vector<std::string>(argv + 2, argv + argc), SelfPath(argv[0]), stdout,
                        stderr, takesValue, observationOnly);
    }
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

    ConversionJob job = MakeDefaultJob(SystemClock());
    CommandLineExtras extras;
    // Scanned before the configuration is read: --help and --version need none, --config
    // names it.
    if (!ScanCommandLine(argc, argv, job, extras, problems)) return kExitBadCommand;
    if (extras.help || extras.version) {
        Print(usageOut,
              extras.help ? HelpText(ExecutableFileName(argv[0] ? argv[0] : "")) : VersionText());
        return kExitSuccess;
    }

    ConfigStore config;
    config.ResetToStartup();
    // --config names the file for this run; otherwise the one settled at start-up.
    const std::string iniPath = extras.configPath.empty()
                                    ? defaultIniPath
                                    : ResolveConfigPath({extras.configPath, {}, {}, {}});
    job.SaveConfigOnExit = true;
    LoadConfiguration(config, iniPath, job, problems);

    if (!CompleteCommandLine(job, extras, config.Settings(), problems)) return kExitBadCommand;
    if (!job.ObsRun && !job.MetRun) {
        problems.Report(kHeadlessTitle, "The command line names no conversion to run.");
        return kExitBadCommand;
    }

    ProgressState progress;
    const SignalWatch stopOnSignal([&progress] { progress.RequestStop(); });
    CountingProblemSink counted(problems);
    RunSummary summary;
    const auto finish = [&](int status) {
        summary.exitStatus = status;
        summary.warnings = counted.Count();
        if (extras.json) {
            Print(usageOut, SummaryJson(summary));
        } else if (!extras.quiet && status == kExitSuccess) {
            Print(usageOut, SummaryText(summary));
        }
        return status;
    };

    RunFileSet files;
    const bool started = job.ObsRun ? StartObsAutoRun(job, files, config.Settings(), counted)
                                    : StartMetAutoRun(job, files, config.Settings(), counted);
    if (!started) return finish(kExitRunFailed);

    std::optional<qc::QualityCheck> check;
    WorkerOptions workerOptions;
    if (job.ObsRun && job.Qc.Any()) {
        check.emplace(QcSetupFor(files, job.BFileName, job.Editing.decimateMs));
        workerOptions.qualityCheck = &*check;
    }
    bool workerOk = false;
    if (!extras.quiet && !extras.json && ::isatty(STDERR_FILENO) != 0) {
        // The worker runs beside a display loop, as it does under the progress window.
        std::thread worker(
            [&] { workerOk = RunConversionWorker(job, files, counted, progress, workerOptions); });
        while (!progress.Done()) {
            std::fprintf(stderr, "\r%3.0f%%", progress.Percent());
            std::fflush(stderr);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        worker.join();
        std::fprintf(stderr, "\r%3.0f%%\n", progress.Percent());
    } else {
        workerOk = RunConversionWorker(job, files, counted, progress, workerOptions);
    }
    // The reports go beside the observation file (or where it would have gone).
    if (workerOk && check) {
        qc::QcSummary quality;
        const std::string base = QcReportBase(job, files);
        workerOk = FinishQualityCheck(*check, job.Qc, base, plots, counted, quality);
        summary.qualityChecked = true;
        summary.quality.completeness = quality.completeness;
        summary.quality.slips = quality.slips;
        summary.quality.mp1 = quality.mp1.count > 0 ? quality.mp1.Rms() : -1.0;
        summary.quality.mp2 = quality.mp2.count > 0 ? quality.mp2.Rms() : -1.0;
    }

    RunSummary written = DescribeRunOutputs(job, files);
    std::vector<std::string> failedOutputs;
    const bool closed = CloseRunFiles(files, &failedOutputs);
    for (const std::string& name : failedOutputs) {
        counted.Report(runtext::kWriteErrorTitle,
                       std::string(runtext::kWriteError) + "\n\n" + name);
    }
    // An unattended run never writes the configuration file back.
    if (!(workerOk && closed)) return finish(kExitRunFailed);
    // A run that only checks has no outputs to list.
    if (!job.Qc.only) summary.files = std::move(written.files);
    MeasureOutputs(summary);
    return finish(kExitSuccess);
}

}  // namespace kelvrant
