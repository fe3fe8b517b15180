// The program without a window (see Headless.h).
#include "cli/Headless.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

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

// Turns SIGTERM and SIGINT into a stop request for the run: the worker stops after the current
// epoch, publishes nothing and removes its temporaries, and the program ends with a failure.
// The signals are blocked in every thread and taken by one waiting thread, so no handler and
// no global state is needed.
class StopOnSignal {
  public:
    explicit StopOnSignal(ProgressState& progress) : progress_(progress) {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGTERM);
        sigaddset(&signals_, SIGINT);
        blocked_ = ::pthread_sigmask(SIG_BLOCK, &signals_, &previous_) == 0;
        if (blocked_) waiter_ = std::thread([this] { Wait(); });
    }
    ~StopOnSignal() {
        if (waiter_.joinable()) {
            ending_.store(true);
            ::pthread_kill(waiter_.native_handle(), SIGINT);
            waiter_.join();
        }
        if (blocked_) ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

  private:
    void Wait() {
        for (;;) {
            int signal = 0;
            if (::sigwait(&signals_, &signal) != 0 || ending_.load()) return;
            progress_.RequestStop();
        }
    }

    ProgressState& progress_;
    sigset_t signals_{};
    sigset_t previous_{};
    bool blocked_ = false;
    std::atomic<bool> ending_{false};
    std::thread waiter_;
};

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

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

int RunHeadless(int argc, const char* const* argv, const std::string& iniPath,
                ProblemSink& problems, std::FILE* usageOut) {
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
    job.SaveConfigOnExit = true;
    LoadConfiguration(config, iniPath, job, problems);

    if (!ParseCommandLine(argc, argv, job, config.Settings(), problems)) return kExitBadCommand;
    if (!job.ObsRun && !job.MetRun) {
        problems.Report(kHeadlessTitle, "The command line names no conversion to run.");
        return kExitBadCommand;
    }

    ProgressState progress;
    StopOnSignal stopOnSignal(progress);
    RunFileSet files;
    const bool started = job.ObsRun ? StartObsAutoRun(job, files, config.Settings(), problems)
                                    : StartMetAutoRun(job, files, config.Settings(), problems);
    if (!started) return kExitRunFailed;

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

    CloseRunFiles(files);
    // An unattended run never writes the configuration file back.
    return workerOk ? kExitSuccess : kExitRunFailed;
}

}  // namespace kelvrant
