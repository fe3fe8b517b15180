// The cost of the quality check: a simulated 24-hour session of 1-second GPS epochs (G12
// receiver, data type 3) converted by the real program without a display, alternately
// without and with --qc (report beside the outputs), from a warm page cache. Prints the best
// and median wall and CPU times of both and their ratio; the goal is at most 1.5.
//
// Usage: bench_qc_cost [runs] (default 5 of each)
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
    return bench::Simulate("kelvrant_qc_cost_" + std::to_string(length),
                           "a " + std::to_string(length) + " s session of 1-second epochs", length,
                           false, session);
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
