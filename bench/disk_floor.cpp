// The conversion against the speed of the machine itself. For a simulated 24-hour session of
// 1-second epochs, GPS only and GPS+GLONASS (G12 receiver, data type 3, with Doppler, the
// INTERVAL line and the satellite counts), it times from one run, under the same load:
//   kelvrant  the real program converting the B-file and E-file to RINEX 2,
//   single    the same with the formatting on the converting thread (KELVRANT_FORMAT_THREADS=0),
//   floor     `cat B-file >/dev/null; cat RINEX > file` on the same files,
//   +fsync    the floor waiting for the copy to reach the disk (`sync file`), as the program
//             fsyncs its outputs before it renames them to their final names,
// and prints each best wall time, its CPU time and peak resident set, and the ratio to the
// floor. The threaded and the single-threaded observation files must be identical, byte for
// byte (also in RINEX 3); a 1-hour GPS+GLONASS session shows whether the peak memory grows with
// the session's length. The machine is shared: the CPU times say more than the wall times when
// it is loaded.
//
// Usage: bench_disk_floor [runs] [other-kelvrant] (default 3 runs, best wall time reported).
// With another build of the program (an earlier one, say), it converts the same days in the
// same turns, so that before and after come from one run.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ChildRun {
    int status = -1;          ///< exit status, or 128 + signal, or -1 when it did not start
    double seconds = 0.0;     ///< wall time
    double cpuSeconds = 0.0;  ///< user + system time
    double peakRssMb = 0.0;
};

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

// Runs argv in `workDir` without a display, with `extraEnv` added, output to `logFile`.
ChildRun Run(const std::vector<std::string>& argv, const fs::path& workDir,
             const std::vector<std::string>& extraEnv = {}) {
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
    const std::string log = (workDir / "run.log").string();

    ChildRun result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return result;
    if (pid == 0) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
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
    result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    result.peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return result;
}

double FileMb(const fs::path& p) {
    std::error_code ec;
    const auto size = fs::file_size(p, ec);
    return ec ? 0.0 : static_cast<double>(size) / 1e6;
}

std::string Contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Session {
    std::string title;
    fs::path dir;
    fs::path bfile;
    fs::path efile;
};

// A session in its own directory, simulated unless it is there already.
bool Simulate(const std::string& title, long length, bool glonass, Session& s) {
    s.title = title;
    s.dir = fs::temp_directory_path() /
            ("kelvrant_floor_" + std::to_string(length) + (glonass ? "_gr" : "_g"));
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
    const ChildRun r = Run(argv, s.dir);
    if (r.status != 0 || !fs::exists(s.bfile)) {
        std::fprintf(stderr, "the simulator failed (status %d), see %s\n", r.status,
                     (s.dir / "run.log").string().c_str());
        return false;
    }
    std::ofstream(done).put('\n');
    return true;
}

ChildRun Convert(const Session& s, const std::string& exe, const std::string& obs,
                 const std::vector<std::string>& env = {},
                 const std::vector<std::string>& more = {}) {
    std::vector<std::string> argv = {exe,
                                     "-I",
                                     s.bfile.string(),
                                     s.efile.string(),
                                     "-O",
                                     obs,
                                     "-N",
                                     "day.nav",
                                     "--doppler",
                                     "yes",
                                     "--interval-line",
                                     "yes",
                                     "--obs-counts",
                                     "yes"};
    argv.insert(argv.end(), more.begin(), more.end());
    return Run(argv, s.dir, env);
}

// Reading the download and writing the RINEX the program wrote, nothing else; `durable` also
// waits for the copy to reach the disk, as the program does before publishing its outputs.
ChildRun Floor(const Session& s, bool durable = false) {
    return Run({"/bin/sh", "-c",
                durable ? "cat \"$0\" >/dev/null; cat day.obs > floor.obs; sync floor.obs"
                        : "cat \"$0\" >/dev/null; cat day.obs > floor.obs",
                s.bfile.string()},
               s.dir);
}

struct Best {
    ChildRun run;
    bool failed = false;
    void Add(const ChildRun& r) {
        failed = failed || r.status != 0;
        if (run.status != 0 || r.seconds < run.seconds) run = r;
        run.peakRssMb = std::max(run.peakRssMb, r.peakRssMb);
    }
};

void Print(const char* name, const Best& b, double floor) {
    std::printf("  %-10s %7.3f s  cpu %7.3f s  peak RSS %6.1f MB  %5.2fx floor%s\n", name,
                b.run.seconds, b.run.cpuSeconds, b.run.peakRssMb, b.run.seconds / floor,
                b.failed ? "  (FAILED)" : "");
}

// The file without its PGM / RUN BY / DATE line, which dates the run.
std::string Undated(const fs::path& p) {
    std::string text = Contents(p);
    const std::size_t label = text.find("PGM / RUN BY / DATE");
    if (label == std::string::npos) return text;
    const std::size_t start = text.rfind('\n', label);
    const std::size_t end = text.find('\n', label);
    text.erase(start == std::string::npos ? 0 : start + 1,
               end == std::string::npos ? std::string::npos : end - start);
    return text;
}

bool Identical(const fs::path& a, const fs::path& b) {
    const std::string x = Undated(a);
    return !x.empty() && x == Undated(b);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string other = argc > 2 ? argv[2] : std::string();
    const std::string mine = KELVRANT_EXE;
    std::vector<Session> days(2);
    Session hour;
    if (!Simulate("GPS, 24 h at 1 s", 86400, false, days[0]) ||
        !Simulate("GPS+GLONASS, 24 h at 1 s", 86400, true, days[1]) ||
        !Simulate("GPS+GLONASS, 1 h at 1 s", 3600, true, hour))
        return 1;

    bool ok = true;
    double dayPeak = 0.0;
    for (const Session& s : days) {
        // Warm-up: the inputs into the page cache, and the output the floor copies.
        Convert(s, mine, "day.obs");
        Best threaded;
        Best single;
        Best floor;
        Best synced;
        Best before;
        for (int i = 0; i < runs; ++i) {
            threaded.Add(Convert(s, mine, "day.obs"));
            single.Add(Convert(s, mine, "single.obs", {"KELVRANT_FORMAT_THREADS=0"}));
            floor.Add(Floor(s));
            synced.Add(Floor(s, true));
            if (!other.empty()) before.Add(Convert(s, other, "other.obs"));
        }
        const bool same2 = Identical(s.dir / "day.obs", s.dir / "single.obs");
        Convert(s, mine, "day3.rnx", {}, {"--rinex", "3"});
        Convert(s, mine, "single3.rnx", {"KELVRANT_FORMAT_THREADS=0"}, {"--rinex", "3"});
        const bool same3 = Identical(s.dir / "day3.rnx", s.dir / "single3.rnx");
        const bool sameOther = other.empty() || Identical(s.dir / "day.obs", s.dir / "other.obs");
        std::printf("\n%s: B-file %.0f MB, RINEX obs %.0f MB (best of %d)\n", s.title.c_str(),
                    FileMb(s.bfile), FileMb(s.dir / "day.obs"), runs);
        const double f = floor.run.seconds;
        Print("kelvrant", threaded, f);
        Print("single", single, f);
        Print("floor", floor, f);
        Print("+fsync", synced, f);
        if (!other.empty()) Print("other", before, f);
        std::printf("  threaded and single-threaded output identical: RINEX 2 %s, RINEX 3 %s%s\n",
                    same2 ? "yes" : "NO", same3 ? "yes" : "NO",
                    other.empty() ? "" : (sameOther ? "; other build's too" : "; other's DIFFERS"));
        std::printf("  goal <= 2.0x floor: %s; against the floor with fsync: %.2fx\n",
                    threaded.run.seconds <= 2.0 * f ? "met" : "NOT met",
                    threaded.run.seconds / synced.run.seconds);
        ok = ok && same2 && same3 && sameOther && !threaded.failed && !single.failed;
        dayPeak = std::max(dayPeak, threaded.run.peakRssMb);
    }

    Best shortRun;
    Convert(hour, mine, "day.obs");
    for (int i = 0; i < runs; ++i)
        shortRun.Add(Convert(hour, mine, "day.obs"));
    std::printf(
        "\n%s: peak RSS %.1f MB; the days' peak %.1f MB is %.2fx of it (goal <= 1.1x, "
        "< 64 MB)\n",
        hour.title.c_str(), shortRun.run.peakRssMb, dayPeak, dayPeak / shortRun.run.peakRssMb);
    return ok ? 0 : 1;
}
