// What the whole-program benchmarks share: running the real program (or the simulator) as a
// child without a display and measuring it with wait4, file sizes, warming the page cache, and
// simulated sessions kept in the temp directory between runs.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

namespace fs = std::filesystem;

struct ChildRun {
    int status = -1;          ///< exit status, or 128 + signal, or -1 when it did not start
    double seconds = 0.0;     ///< wall time
    double peakRssMb = 0.0;   ///< the child's peak resident set
    double cpuSeconds = 0.0;  ///< user + system time of the child
};

inline double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

// Runs argv in `workDir` without DISPLAY/WAYLAND_DISPLAY or an inherited formatting thread
// count, with `extraEnv` added, stdout and stderr to `logFile`, and measures it with wait4.
inline ChildRun Run(const std::vector<std::string>& argv, const std::string& workDir,
                    const std::string& logFile, const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (entry.starts_with("DISPLAY=") || entry.starts_with("WAYLAND_DISPLAY=") ||
            entry.starts_with("KELVRANT_FORMAT_THREADS="))
            continue;
        env.push_back(entry);
    }
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> cargv;
    for (const auto& a : argv)
        cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    std::vector<char*> cenv;
    for (auto& e : env)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    ChildRun result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return result;
    if (pid == 0) {
        const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (log >= 0) {
            ::dup2(log, 1);
            ::dup2(log, 2);
        }
        const int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) ::dup2(devnull, 0);
        if (::chdir(workDir.c_str()) != 0) ::_exit(126);
        ::execve(cargv[0], cargv.data(), cenv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return result;
}

inline double FileMb(const fs::path& p) {
    std::error_code ec;
    const auto size = fs::file_size(p, ec);
    return ec ? 0.0 : static_cast<double>(size) / 1e6;
}

// Reads the whole file, so that the next run finds it in the page cache.
inline void Warm(const fs::path& p) {
    std::FILE* f = std::fopen(p.string().c_str(), "rb");
    if (f == nullptr) return;
    std::vector<char> buffer(1 << 16);
    while (std::fread(buffer.data(), 1, buffer.size(), f) == buffer.size()) {
    }
    std::fclose(f);
}

// A simulated session (G12 receiver, data type 3, 1-second epochs) in its own directory below
// the temp directory, simulated unless it is there already.
struct Session {
    std::string title;
    fs::path dir;
    fs::path bfile;
    fs::path efile;
};

inline bool Simulate(const std::string& folder, const std::string& title, long length, bool glonass,
                     Session& s) {
    s.title = title;
    s.dir = fs::temp_directory_path() / folder;
    s.bfile = s.dir / "BKELVA26.225";
    s.efile = s.dir / "EKELVA26.225";
    const fs::path done = s.dir / "simulated";
    if (fs::exists(done) && fs::exists(s.bfile) && fs::exists(s.efile)) return true;
    std::error_code ec;
    fs::create_directories(s.dir, ec);
    const std::string simulate = KELVRANT_SIMULATE_EXE;
    if (simulate.empty()) {
        std::fprintf(stderr, "the session simulator is not built\n");
        return false;
    }
    std::printf("simulating %s into %s ...\n", title.c_str(), s.dir.string().c_str());
    std::fflush(stdout);
    std::vector<std::string> argv = {simulate,
                                     "--receiver",
                                     "G12",
                                     "--data-type",
                                     "3",
                                     "--length",
                                     std::to_string(length),
                                     "--interval",
                                     "1",
                                     "--out",
                                     s.dir.string(),
                                     "--name",
                                     "KELVA26.225"};
    if (glonass) argv.emplace_back("--glonass");
    const std::string log = (s.dir / "simulate.log").string();
    const ChildRun r = Run(argv, s.dir.string(), log);
    if (r.status != 0 || !fs::exists(s.bfile)) {
        std::fprintf(stderr, "the simulator failed (status %d), see %s\n", r.status, log.c_str());
        return false;
    }
    std::FILE* f = std::fopen(done.string().c_str(), "w");
    if (f != nullptr) std::fclose(f);
    return true;
}

}  // namespace bench
