// The whole conversion, as a user runs it: a simulated 24-hour session of 1-second epochs
// (G12 receiver, data type 3) converted by the real program without a display, from a warm
// page cache. Reports the wall time, the MB/s of RINEX written and the peak resident set of
// the child; times RTKLIB's convbin rewriting the observation file just written, side by side,
// and prints the ratio; and converts a 1-hour session to show that the peak memory does not
// grow with the session's length. The sessions are simulated once into the temp directory.
//
// Usage: bench_convert_day [runs] [other-kelvrant] (default 5 runs; the best and the median run
// are reported). With another build of the program (an earlier one, say), both convert the day
// in turns, so that their figures come from the same run under the same load.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace {

namespace fs = std::filesystem;

using bench::ChildRun;
using bench::FileMb;
using bench::Run;
using bench::Session;
using bench::Warm;

// A session of `length` seconds in its own directory, simulated unless it is there already.
bool Simulate(long length, Session& session) {
    return bench::Simulate("kelvrant_convert_" + std::to_string(length),
                           "a " + std::to_string(length) + " s session of 1-second epochs", length,
                           false, session);
}

ChildRun Convert(const Session& s, const std::string& exe = KELVRANT_EXE) {
    return Run({exe, "-I", s.bfile.string(), s.efile.string(), "-O", "day.obs", "-N", "day.nav"},
               s.dir.string(), (s.dir / "convert.log").string());
}

// convbin takes one input argument; its wildcard lets it read our navigation file beside the
// observation file.
ChildRun Convbin(const Session& s) {
    return Run({"/usr/bin/env", "convbin", "-r", "rinex", "-v", "2.11", "-od", "-os", "-o",
                "convbin.obs", "-n", "convbin.nav", "day.*"},
               s.dir.string(), (s.dir / "convbin.log").string());
}

struct Summary {
    ChildRun best;
    ChildRun median;
    double peakRssMb = 0.0;
};

template <typename F>
Summary Repeat(int runs, F&& run) {
    std::vector<ChildRun> all;
    for (int i = 0; i < runs; ++i) {
        all.push_back(run());
        if (all.back().status != 0) break;
    }
    std::sort(all.begin(), all.end(),
              [](const ChildRun& a, const ChildRun& b) { return a.seconds < b.seconds; });
    Summary s;
    s.best = all.front();
    s.median = all[all.size() / 2];
    for (const auto& r : all)
        s.peakRssMb = std::max(s.peakRssMb, r.peakRssMb);
    for (const auto& r : all)
        if (r.status != 0) s.best.status = r.status;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Session day;
    Session hour;
    if (!Simulate(86400, day) || !Simulate(3600, hour)) return 1;

    // Warm-up: the inputs into the page cache, the configuration file beside the program.
    Warm(day.bfile);
    Warm(day.efile);
    if (Convert(day).status != 0) {
        std::fprintf(stderr, "the conversion failed, see %s\n",
                     (day.dir / "convert.log").string().c_str());
        return 1;
    }

    if (argc > 2) {
        // Turn about, so that a change of load hits both programs alike.
        const std::string other = argv[2];
        bool otherTurn = false;
        const auto turn = [&] {
            otherTurn = !otherTurn;
            return Convert(day, otherTurn ? other : std::string(KELVRANT_EXE));
        };
        std::vector<ChildRun> mine;
        std::vector<ChildRun> theirs;
        for (int i = 0; i < 2 * runs; ++i)
            (i % 2 == 0 ? theirs : mine).push_back(turn());
        for (auto* v : {&mine, &theirs})
            std::sort(v->begin(), v->end(),
                      [](const ChildRun& a, const ChildRun& b) { return a.seconds < b.seconds; });
        std::printf("this build : best %.3f s, median %.3f s (cpu %.3f s)\n", mine.front().seconds,
                    mine[mine.size() / 2].seconds, mine[mine.size() / 2].cpuSeconds);
        std::printf("%-11s: best %.3f s, median %.3f s (cpu %.3f s)\n", other.c_str(),
                    theirs.front().seconds, theirs[theirs.size() / 2].seconds,
                    theirs[theirs.size() / 2].cpuSeconds);
    }

    const Summary ours = Repeat(runs, [&] { return Convert(day); });
    const double outMb = FileMb(day.dir / "day.obs") + FileMb(day.dir / "day.nav");
    std::printf(
        "\n24-hour session: B-file %.1f MB, E-file %.2f MB -> RINEX %.1f MB "
        "(obs %.1f MB, nav %.3f MB)\n",
        FileMb(day.bfile), FileMb(day.efile), outMb, FileMb(day.dir / "day.obs"),
        FileMb(day.dir / "day.nav"));
    std::printf(
        "kelvrant  : best %.3f s, median %.3f s (cpu %.3f s), %.0f MB/s written, "
        "peak RSS %.1f MB%s\n",
        ours.best.seconds, ours.median.seconds, ours.median.cpuSeconds, outMb / ours.best.seconds,
        ours.peakRssMb, ours.best.status == 0 ? "" : "  (FAILED)");

    Warm(day.dir / "day.obs");
    const Summary theirs = Repeat(std::max(1, runs / 2), [&] { return Convbin(day); });
    std::printf("convbin   : best %.3f s, median %.3f s (cpu %.3f s), peak RSS %.1f MB%s\n",
                theirs.best.seconds, theirs.median.seconds, theirs.median.cpuSeconds,
                theirs.peakRssMb, theirs.best.status == 0 ? "" : "  (FAILED)");
    std::printf(
        "ratio     : convbin / kelvrant = %.1f (best wall), %.1f (median wall), "
        "%.1f (cpu)\n",
        theirs.best.seconds / ours.best.seconds, theirs.median.seconds / ours.median.seconds,
        theirs.median.cpuSeconds / ours.median.cpuSeconds);

    Warm(hour.bfile);
    Warm(hour.efile);
    const Summary shortRun = Repeat(runs, [&] { return Convert(hour); });
    const double growth = (ours.peakRssMb - shortRun.peakRssMb) / shortRun.peakRssMb * 100.0;
    std::printf("\n1-hour session: B-file %.1f MB, best %.3f s, peak RSS %.1f MB\n",
                FileMb(hour.bfile), shortRun.best.seconds, shortRun.peakRssMb);
    std::printf("peak RSS 24 h vs 1 h: %+.1f %% (%s 10 %%)\n", growth,
                std::abs(growth) <= 10.0 ? "within" : "NOT within");
    std::printf("goals: day <= 0.5 s: %s; >= 18x convbin: %s\n",
                ours.best.seconds <= 0.5 ? "met" : "NOT met",
                theirs.best.seconds / ours.best.seconds >= 18.0 ? "met" : "NOT met");
    return ours.best.status == 0 && shortRun.best.status == 0 ? 0 : 1;
}
