// Decimation skips the formatting: a simulated 24-hour session of 1-second epochs (G12
// receiver, data type 3) converted whole, decimated to 30 s, and split into GPS hours, by the
// program's own headless run (from a warm page cache). Decimating must take less time than
// converting the whole day; splitting costs about what the whole conversion does.
//
// Usage: bench_decimate_day [benchmark flags]. The session is simulated once into the temp
// directory (the one bench_convert_day uses under another name).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Headless.h"

namespace {

namespace fs = std::filesystem;
using namespace kelvrant;

class QuietSink final : public ProblemSink {
  public:
    void Report(std::string_view, std::string_view) override { ++count; }
    int count = 0;
};

const fs::path& SessionDir() {
    static const fs::path dir = fs::temp_directory_path() / "kelvrant_decimate_86400";
    return dir;
}

bool Simulate() {
    const fs::path b = SessionDir() / "BKELVA26.225";
    if (fs::exists(b) && fs::exists(SessionDir() / "EKELVA26.225")) return true;
    fs::create_directories(SessionDir());
    const std::string command = std::string(KELVRANT_SIMULATE_EXE) +
                                " --receiver G12 --data-type 3 --length 86400 --interval 1 --out " +
                                SessionDir().string() + " --name KELVA26.225 > /dev/null";
    return std::string(KELVRANT_SIMULATE_EXE).empty() ? false : std::system(command.c_str()) == 0;
}

void Convert(benchmark::State& state, std::vector<std::string> extra) {
    if (!Simulate()) {
        state.SkipWithError("the session simulator is not built or failed");
        return;
    }
    const fs::path out = SessionDir() / "out";
    fs::create_directories(out);
    std::vector<std::string> args = {"kelvrant",
                                     "-I",
                                     (SessionDir() / "BKELVA26.225").string(),
                                     (SessionDir() / "EKELVA26.225").string(),
                                     "-T",
                                     out.string() + "/",
                                     "-q"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    const std::string ini = (SessionDir() / "Kelvrant.INI").string();
    for (auto _ : state) {
        QuietSink problems;
        const int status =
            RunHeadless(static_cast<int>(argv.size()), argv.data(), ini, problems, stdout);
        if (status != 0) state.SkipWithError("the conversion failed");
    }
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(out))
        if (entry.path().extension().string().back() == 'O') bytes += entry.file_size();
    state.counters["obs_MB"] = static_cast<double>(bytes) / 1e6;
    fs::remove_all(out);
}

void BM_WholeDay(benchmark::State& state) {
    Convert(state, {});
}
void BM_DecimateTo30s(benchmark::State& state) {
    Convert(state, {"--decimate", "30"});
}
void BM_SplitByHour(benchmark::State& state) {
    Convert(state, {"--split", "hour"});
}

BENCHMARK(BM_WholeDay)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DecimateTo30s)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SplitByHour)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
