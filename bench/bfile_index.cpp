// Speed and memory of the B-file reader on a long session: the index pass (header check,
// in-memory index, statistics) and the reading of every epoch by number, on a 1-hour and a
// 24-hour file of 1-second epochs with 12 satellites and 3 observation blocks each. The files
// are generated once into the temp directory by a small writer of this program's own.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ashtech/BFileReader.h"
#include "ashtech/ByteOrder.h"

namespace {

using kelvrant::BFileReader;
using kelvrant::EpochRecord;
using kelvrant::SatelliteSlots;

constexpr int kSatellites = 12;
constexpr int kBlocks = 3;
constexpr std::size_t kHeaderSize = 90;
constexpr std::size_t kEpochSize = 67;
constexpr std::size_t kSatBlockSize = 4 + 31 * kBlocks;
constexpr std::size_t kEpochBytes = kEpochSize + kSatellites * kSatBlockSize;

std::uintmax_t SessionBytes(int epochs) {
    return kHeaderSize + static_cast<std::uintmax_t>(epochs) * kEpochBytes;
}

// Writes a session of `epochs` 1-second epochs unless a file of the right size is already there.
std::string SessionFile(int epochs) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("kelvrant_bench_" + std::to_string(epochs) + ".b");
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) == SessionBytes(epochs)) return path.string();

    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (f == nullptr) return {};
    std::vector<std::uint8_t> header(kHeaderSize, 0);
    const char tag[] = "VERSION";
    for (std::size_t i = 0; i < 7; ++i)
        header[i] = static_cast<std::uint8_t>(tag[i]);
    header[10] = 3;
    const char type[] = "Z18";
    for (std::size_t i = 0; i < 3; ++i)
        header[11 + i] = static_cast<std::uint8_t>(type[i]);
    kelvrant::le::PutI2(&header[41], 3);
    kelvrant::le::PutI4(&header[43], 1500);
    header[47] = kBlocks;
    std::fwrite(header.data(), 1, header.size(), f);

    std::vector<std::uint8_t> epoch(kEpochBytes, 0);
    for (int e = 0; e < epochs; ++e) {
        std::uint8_t* p = epoch.data();
        p[0] = 'B';
        p[1] = 'E';
        p[2] = 'N';
        p[3] = 'C';
        kelvrant::le::PutR8(p + 4, 86400.0 * 3 + e);
        kelvrant::le::PutR8(p + 12, 4075580.0 + 0.01 * (e % 7));
        kelvrant::le::PutR8(p + 20, 931854.0 - 0.01 * (e % 5));
        kelvrant::le::PutR8(p + 28, 4801568.0 + 0.01 * (e % 3));
        kelvrant::le::PutR8(p + 48, 1.5e-4 * 299792458.0);
        kelvrant::le::PutU2(p + 64, static_cast<std::uint16_t>(150 + e % 50));
        p[66] = kSatellites;
        for (int s = 0; s < kSatellites; ++s) {
            std::uint8_t* sat = p + kEpochSize + static_cast<std::size_t>(s) * kSatBlockSize;
            sat[0] = static_cast<std::uint8_t>(s < 8 ? 2 + 3 * s : 33 + s);
            for (int k = 0; k < kBlocks; ++k) {
                std::uint8_t* b = sat + 4 + 31 * k;
                kelvrant::le::PutR8(b, 0.07 + 1e-6 * e + 1e-4 * s);
                kelvrant::le::PutR4(b + 8, 0.5f);
                b[15] = static_cast<std::uint8_t>((e + s + k) % 97 == 0 ? 0x0C : 0);
                b[16] = 24;
                b[17] = 45;
                kelvrant::le::PutI4(b + 19, -1234567 + s * 1000 + e);
                kelvrant::le::PutR8(b + 23, 1.1e7 + 2000.0 * e + s);
            }
        }
        std::fwrite(epoch.data(), 1, epoch.size(), f);
    }
    std::fclose(f);
    return path.string();
}

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Resident set now, from /proc (MB); 0 when unavailable.
double CurrentRssMb() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) return 0.0;
    long pages = 0, resident = 0;
    const int got = std::fscanf(f, "%ld %ld", &pages, &resident);
    std::fclose(f);
    return got == 2 ? static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0) : 0.0;
}

struct Session {
    explicit Session(int epochs) {
        path = SessionFile(epochs);
        bfile = std::fopen(path.c_str(), "rb");
    }
    ~Session() {
        if (bfile != nullptr) std::fclose(bfile);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool Ok() const { return bfile != nullptr; }

    std::string path;
    std::FILE* bfile = nullptr;
};

void BM_IndexPass(benchmark::State& state) {
    const int epochs = static_cast<int>(state.range(0));
    Session session(epochs);
    if (!session.Ok()) {
        state.SkipWithError("cannot create the session file");
        return;
    }
    BFileReader reader;
    const double rssBefore = CurrentRssMb();
    double rssMax = rssBefore;
    for (auto _ : state) {
        if (reader.Open(session.bfile, true, true) != 1 || reader.LastEpochIndex() != epochs - 1) {
            state.SkipWithError("index pass failed");
            return;
        }
        benchmark::DoNotOptimize(reader.EpochInterval());
        const double rss = CurrentRssMb();
        if (rss > rssMax) rssMax = rss;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(SessionBytes(epochs)));
    state.counters["file_MB"] = static_cast<double>(SessionBytes(epochs)) / (1024.0 * 1024.0);
    state.counters["rss_growth_MB"] = rssMax - rssBefore;
    state.counters["peak_rss_MB"] = PeakRssMb();
}

void BM_ReadEveryEpochByNumber(benchmark::State& state) {
    const int epochs = static_cast<int>(state.range(0));
    Session session(epochs);
    BFileReader reader;
    if (!session.Ok() || reader.Open(session.bfile, true, true) != 1) {
        state.SkipWithError("index pass failed");
        return;
    }
    EpochRecord epoch;
    SatelliteSlots satellites;
    const double rssBefore = CurrentRssMb();
    for (auto _ : state) {
        const std::int32_t last = reader.LastEpochIndex();
        for (std::int32_t i = 0; i <= last; ++i) {
            if (reader.ReadEpoch(i, epoch, satellites) != 1) {
                state.SkipWithError("epoch read failed");
                return;
            }
            benchmark::DoNotOptimize(satellites.bytes.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(SessionBytes(epochs)));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * epochs);
    state.counters["rss_growth_MB"] = CurrentRssMb() - rssBefore;
    state.counters["peak_rss_MB"] = PeakRssMb();
}

// The short session first, so that its peak RSS is seen before the long one runs.
BENCHMARK(BM_IndexPass)->Arg(3600)->Arg(86400)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadEveryEpochByNumber)
    ->Arg(3600)
    ->Arg(86400)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
