// Shared test helpers: paths of the built programs, temporary directories, whole-file
// comparison reporting the first differing line and column, and running a program.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvrant::test {

std::string SourceDir();
std::string KelvrantExe();
/// Empty when the simulator is not built.
std::string SimulateExe();

/// A fresh directory under the system temp directory, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

/// Empty when equal; otherwise "line L column C: expected ... got ..." for the first difference.
std::string FirstDifference(const std::string& expected, const std::string& actual);

struct ProcessResult {
    int exitCode = -1;  ///< exit status, or 128 + signal
    std::string out;
    std::string err;
};
/// Resource limits set in the child before the program starts; -1 leaves a limit as inherited.
struct ProcessLimits {
    std::int64_t fileSizeBytes = -1;  ///< RLIMIT_FSIZE: no file may grow beyond this
};

/// A program started by StartProcess; its stdout and stderr go to temporary files until
/// WaitProcess collects them. Destroying an unwaited process kills and reaps it.
class StartedProcess {
  public:
    StartedProcess() = default;
    ~StartedProcess();
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;
    StartedProcess(StartedProcess&& other) noexcept;
    StartedProcess& operator=(StartedProcess&& other) = delete;
    pid_t pid() const { return pid_; }

  private:
    friend StartedProcess StartProcess(const std::vector<std::string>&,
                                       const std::vector<std::string>&,
                                       const std::vector<std::string>&, const std::string&,
                                       const ProcessLimits&);
    friend ProcessResult WaitProcess(StartedProcess&);
    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string outName_;
    std::string errName_;
};

/// Starts a program with arguments (no shell), optional extra environment "NAME=value"
/// entries, optional removal of variables (e.g. DISPLAY), a working directory and limits.
StartedProcess StartProcess(const std::vector<std::string>& argv,
                            const std::vector<std::string>& setEnv = {},
                            const std::vector<std::string>& unsetEnv = {},
                            const std::string& workDir = {}, const ProcessLimits& limits = {});
/// Waits for the program to end and returns its status and captured output.
ProcessResult WaitProcess(StartedProcess& process);

/// Runs a program as StartProcess starts it and waits for it, capturing stdout and stderr.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& setEnv = {},
                         const std::vector<std::string>& unsetEnv = {},
                         const std::string& workDir = {}, const ProcessLimits& limits = {});

}  // namespace kelvrant::test
