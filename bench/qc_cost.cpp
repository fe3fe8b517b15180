// The cost of the quality check: a simulated 24-hour session of 1-second GPS epochs (G12
// receiver, data type 3) converted by the real program without a display, alternately
// without and with --qc (report beside the outputs), from a warm page cache. Prints the best
// and median wall and CPU times of both and their ratio; the goal is at most 1.5.
//
// Usage: bench_qc_cost [runs] (default 5 of each)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ChildRun {
    int status = -1;          ///< exit status, or 128 + signal, or -1 when it did not start
    double seconds = 0.0;     ///< wall time
    double peakRssMb = 0.0;   ///< the child's peak resident set
    double cpuSeconds = 0.0;  ///< user + system time of the child
};

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

// Runs argv in `workDir` without DISPLAY/WAYLAND_DISPLAY, stdout and stderr to `logFile`,
// and measures it with wait4.
ChildRun Run(const std::vector<std::string>& argv, const std::string& workDir,
             const std::string& logFile) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (entry.starts_with("DISPLAY=") || entry.starts_with("WAYLAND_DISPLAY=")) continue;
        env.push_back(entry);
    }
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

double FileMb(const fs::path& p) {
    std::error_code ec;
    const auto size = fs::file_size(p, ec);
    return ec ? 0.0 : static_cast<double>(size) / 1e6;
}

// Reads the whole file, so that the next run finds it in the page cache.
void Warm(const fs::path& p) {
    std::FILE* f = std::fopen(p.string().c_str(), "rb");
    if (f == nullptr) return;
    static char buffer[1 << 16];
    while (std::fread(buffer, 1, sizeof buffer, f) == sizeof buffer) {
    }
    std::fclose(f);
}

// A session of `length` seconds in its own directory, simulated unless it is there already.
struct Session {
    fs::path dir;
    fs::path bfile;
    fs::path efile;
};

bool Simulate(long length, Session& session) {
    session.dir = fs::temp_directory_path() / ("kelvrant_qc_cost_" + std::to_string(length));
    session.bfile = session.dir / "BKELVA26.225";
    session.efile = session.dir / "EKELVA26.225";
    const fs::path done = session.dir / "simulated";
    if (fs::exists(done) && fs::exists(session.bfile) && fs::exists(session.efile)) return true;
    std::error_code ec;
    fs::create_directories(session.dir, ec);
    const std::string simulate = KELVRANT_SIMULATE_EXE;
    if (simulate.empty()) {
        std::fprintf(stderr, "the session simulator is not built\n");
        return false;
    }
    std::printf("simulating a %ld s session of 1-second epochs into %s ...\n", length,
                session.dir.string().c_str());
    std::fflush(stdout);
    const ChildRun r =
        Run({simulate, "--receiver", "G12", "--data-type", "3", "--length", std::to_string(length),
             "--interval", "1", "--out", session.dir.string(), "--name", "KELVA26.225"},
            session.dir.string(), (session.dir / "simulate.log").string());
    if (r.status != 0 || !fs::exists(session.bfile)) {
        std::fprintf(stderr, "the simulator failed (status %d), see %s\n", r.status,
                     (session.dir / "simulate.log").string().c_str());
        return false;
    }
    std::FILE* f = std::fopen(done.string().c_str(), "w");
    if (f != nullptr) std::fclose(f);
    return true;
}

ChildRun Convert(const Session& s, bool qc) {
    std::vector<std::string> argv = {KELVRANT_EXE, "-I", s.bfile.string(), s.efile.string(), "-O",
                                     "day.obs",    "-N", "day.nav"};
    if (qc) argv.push_back("--qc");
    return Run(argv, s.dir.string(), (s.dir / "convert.log").string());
}

struct Times {
    std::vector<double> wall, cpu;
    int status = 0;
    void Add(const ChildRun& r) {
        wall.push_back(r.seconds);
        cpu.push_back(r.cpuSeconds);
        if (r.status != 0) status = r.status;
    }
    static double Best(std::vector<double> v) { return *std::min_element(v.begin(), v.end()); }
    static double Median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Session day;
    if (!Simulate(86400, day)) return 1;
    Warm(day.bfile);
    Warm(day.efile);
    if (Convert(day, true).status != 0) {
        std::fprintf(stderr, "the conversion with --qc failed, see %s\n",
                     (day.dir / "convert.log").string().c_str());
        return 1;
    }
    // Alternating runs share whatever load the machine has.
    Times plain, checked;
    for (int i = 0; i < runs; ++i) {
        plain.Add(Convert(day, false));
        checked.Add(Convert(day, true));
    }
    std::printf("\n24-hour 1 s GPS session, B-file %.1f MB, %d runs each\n", FileMb(day.bfile),
                runs);
    std::printf("without --qc: best %.3f s, median %.3f s wall; median cpu %.3f s%s\n",
                Times::Best(plain.wall), Times::Median(plain.wall), Times::Median(plain.cpu),
                plain.status == 0 ? "" : "  (FAILED)");
    std::printf("with --qc   : best %.3f s, median %.3f s wall; median cpu %.3f s%s\n",
                Times::Best(checked.wall), Times::Median(checked.wall), Times::Median(checked.cpu),
                checked.status == 0 ? "" : "  (FAILED)");
    const double ratio = Times::Best(checked.wall) / Times::Best(plain.wall);
    std::printf(
        "ratio       : %.2f (best wall), %.2f (median wall), %.2f (median cpu); "
        "goal <= 1.5: %s\n",
        ratio, Times::Median(checked.wall) / Times::Median(plain.wall),
        Times::Median(checked.cpu) / Times::Median(plain.cpu), ratio <= 1.5 ? "met" : "NOT met");
    return plain.status == 0 && checked.status == 0 ? 0 : 1;
}
