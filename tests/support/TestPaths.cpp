// Shared test helpers (see TestPaths.h).
#include "support/TestPaths.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace kelvrant::test {

std::string SourceDir() {
    return KELVRANT_SOURCE_DIR;
}
std::string KelvrantExe() {
    return KELVRANT_EXE;
}
std::string SimulateExe() {
    return KELVRANT_SIMULATE_EXE;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        auto candidate = base / ("kelvrant-test-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter++));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FirstDifference(const std::string& expected, const std::string& actual) {
    if (expected == actual) return {};
    std::size_t line = 1;
    std::size_t col = 1;
    std::size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) {
        if (expected[i] == '\n') {
            ++line;
            col = 1;
        } else {
            ++col;
        }
        ++i;
    }
    auto lineAt = [](const std::string& s, std::size_t pos) {
        std::size_t b = s.rfind('\n', pos == 0 ? 0 : pos - 1);
        b = (b == std::string::npos || pos == 0) ? 0 : b + 1;
        std::size_t e = s.find('\n', pos);
        return s.substr(b, e == std::string::npos ? std::string::npos : e - b);
    };
    std::ostringstream os;
    os << "line " << line << " column " << col << ":\n  expected: "
       << (i < expected.size() ? lineAt(expected, i) : std::string("<end of file>"))
       << "\n  actual:   "
       << (i < actual.size() ? lineAt(actual, i) : std::string("<end of file>"));
    return os.str();
}

namespace {
std::string ReadAll(int fd) {
    std::string s;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        s.append(buf, static_cast<std::size_t>(n));
    }
    return s;
}
}  // namespace

StartedProcess::~StartedProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        WaitProcess(*this);
    }
}

StartedProcess::StartedProcess(StartedProcess&& other) noexcept
    : pid_(other.pid_),
      outFd_(other.outFd_),
      errFd_(other.errFd_),
      outName_(std::move(other.outName_)),
      errName_(std::move(other.errName_)) {
    other.pid_ = -1;
    other.outFd_ = -1;
    other.errFd_ = -1;
}

StartedProcess StartProcess(const std::vector<std::string>& argv,
                            const std::vector<std::string>& setEnv,
                            const std::vector<std::string>& unsetEnv, const std::string& workDir,
                            const ProcessLimits& limits) {
    StartedProcess process;
    // Capture through temporary files: no pipe can fill up and block the child.
    char outName[] = "/tmp/kelvrant-out-XXXXXX";
    char errName[] = "/tmp/kelvrant-err-XXXXXX";
    process.outFd_ = ::mkstemp(outName);
    process.errFd_ = ::mkstemp(errName);
    process.outName_ = outName;
    process.errName_ = errName;
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool drop = false;
        for (const auto& u : unsetEnv)
            drop = drop || (u == name);
        for (const auto& s : setEnv)
            drop = drop || (s.substr(0, s.find('=')) == name);
        if (!drop) env.push_back(entry);
    }
    for (const auto& s : setEnv)
        env.push_back(s);
    std::vector<char*> cargv;
    for (const auto& a : argv)
        cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    std::vector<char*> cenv;
    for (auto& e : env)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(process.outFd_, 1);
        ::dup2(process.errFd_, 2);
        const int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) ::dup2(devnull, 0);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(126);
        if (limits.fileSizeBytes >= 0) {
            const rlimit limit{static_cast<rlim_t>(limits.fileSizeBytes),
                               static_cast<rlim_t>(limits.fileSizeBytes)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
        }
        ::execve(cargv[0], cargv.data(), cenv.data());
        ::_exit(127);
    }
    process.pid_ = pid;
    return process;
}

ProcessResult WaitProcess(StartedProcess& process) {
    ProcessResult result;
    if (process.pid_ <= 0) return result;
    int status = 0;
    while (::waitpid(process.pid_, &status, 0) < 0 && errno == EINTR) {
    }
    process.pid_ = -1;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exitCode = 128 + WTERMSIG(status);
    }
    ::lseek(process.outFd_, 0, SEEK_SET);
    ::lseek(process.errFd_, 0, SEEK_SET);
    result.out = ReadAll(process.outFd_);
    result.err = ReadAll(process.errFd_);
    ::close(process.outFd_);
    ::close(process.errFd_);
    ::unlink(process.outName_.c_str());
    ::unlink(process.errName_.c_str());
    process.outFd_ = -1;
    process.errFd_ = -1;
    return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& setEnv,
                         const std::vector<std::string>& unsetEnv, const std::string& workDir,
                         const ProcessLimits& limits) {
    StartedProcess process = StartProcess(argv, setEnv, unsetEnv, workDir, limits);
    return WaitProcess(process);
}

}  // namespace kelvrant::test
