// Shared test helpers: paths of the built programs, temporary directories, whole-file
// comparison reporting the first differing line and column, and running a program.
#pragma once

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
/// Runs a program with arguments (no shell), optional extra environment "NAME=value" entries
/// and optional removal of variables (e.g. DISPLAY), capturing stdout and stderr.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& setEnv = {},
                         const std::vector<std::string>& unsetEnv = {},
                         const std::string& workDir = {});

}  // namespace kelvrant::test
