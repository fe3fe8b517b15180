// Compression of a day: a simulated 24-hour session of 1-second epochs (G12, data type 3, the
// session bench_convert_day uses) converted once by the program, then its observation file
// compressed in process to compact RINEX + gzip at level 6 (the archive default) and level 1,
// timed alone and together with the conversion it follows; then the program's own streaming
// outputs: RINEX 2 as crx.gz, RINEX 3 plain and as crx.gz.
//
// Usage: bench_crx_gz [runs] (default 5; the best run is reported)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "geo/Clock.h"
#include "rinex/CompactRinexEncoder.h"
#include "rinex/GzipSink.h"
#include "rinex/TextSink.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU seconds of this process: on a machine shared with other work the wall time says little.
double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

std::string ReadAll(const fs::path& p) {
    std::string text;
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (f == nullptr) return text;
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

struct Compressed {
    double seconds = 0.0;
    double cpu = 0.0;
    double crxMb = 0.0;
    double gzMb = 0.0;
};

// Counts what passes through, so that the sizes are known without keeping the bytes.
class CountingSink final : public kelvrant::TextSink {
  public:
    explicit CountingSink(kelvrant::TextSink* next = nullptr) : next_(next) {}
    void Write(std::string_view bytes) override {
        bytes_ += bytes.size();
        if (next_ != nullptr) next_->Write(bytes);
    }
    void Finish() override {
        if (next_ != nullptr) next_->Finish();
    }
    bool Failed() const override { return next_ != nullptr && next_->Failed(); }
    double Mb() const { return static_cast<double>(bytes_) / 1e6; }

  private:
    kelvrant::TextSink* next_;
    std::size_t bytes_ = 0;
};

// level 0: compact RINEX only, not gzipped.
Compressed Compress(const std::string& rinex, const fs::path& out, int level) {
    const auto start = Clock::now();
    const double cpu = CpuSeconds();
    std::FILE* f = std::fopen(out.c_str(), "wb");
    kelvrant::FileSink file(f);
    CountingSink gzBytes(&file);
    kelvrant::GzipSink gz(gzBytes, level == 0 ? 1 : level);
    CountingSink crxBytes(level == 0 ? static_cast<kelvrant::TextSink*>(&file) : &gz);
    kelvrant::CompactRinexEncoder crx(crxBytes, "Kelvrant", kelvrant::UtcTime{});
    // The writer hands over an epoch at a time; pieces of 4 kB are of that order.
    for (std::size_t i = 0; i < rinex.size(); i += 4096)
        crx.Write(std::string_view(rinex).substr(i, 4096));
    crx.Finish();
    std::fclose(f);
    Compressed c;
    c.seconds = Since(start);
    c.cpu = CpuSeconds() - cpu;
    c.crxMb = crxBytes.Mb();
    c.gzMb = gzBytes.Mb();
    if (crx.Failed()) std::fprintf(stderr, "compression failed: %s\n", crx.Error().c_str());
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    bench::Session session;
    if (!bench::Simulate("kelvrant_convert_86400", "a 24-hour session of 1-second epochs", 86400,
                         false, session))
        return 1;
    const fs::path dir = session.dir;
    const fs::path bfile = session.bfile;
    const fs::path efile = session.efile;
    const std::vector<std::string> convert = {
        KELVRANT_EXE, "-I", bfile.string(), efile.string(), "-O", "day.obs", "-N", "day.nav"};
    double convertBest = 1e9;
    for (int i = 0; i < runs; ++i) {
        const bench::ChildRun r = bench::Run(convert, dir, dir / "convert.log");
        const double s = r.status == 0 ? r.seconds : -1.0;
        if (s < 0) {
            std::fprintf(stderr, "the conversion failed, see %s\n", (dir / "convert.log").c_str());
            return 1;
        }
        convertBest = std::min(convertBest, s);
    }
    const std::string rinex = ReadAll(dir / "day.obs");
    std::printf("24-hour session, 1-second epochs: RINEX 2 observation file %.1f MB\n",
                static_cast<double>(rinex.size()) / 1e6);
    std::printf("conversion to RINEX          : best %.3f s\n", convertBest);
    for (int level : {0, kelvrant::kDefaultGzipLevel, 1}) {
        Compressed best;
        best.seconds = 1e9;
        for (int i = 0; i < runs; ++i) {
            const Compressed c =
                Compress(rinex, dir / (level == 0 ? "day.crx" : "day.crx.gz"), level);
            if (c.cpu < best.cpu || i == 0) best = c;
        }
        if (level == 0) {
            std::printf("compact RINEX alone          : best %.3f s (cpu %.3f s), %.1f MB\n",
                        best.seconds, best.cpu, best.crxMb);
            continue;
        }
        std::printf(
            "compact RINEX + gzip level %d: best %.3f s (cpu %.3f s), gzipped %.2f MB; "
            "with the conversion %.3f s (goal 1.5 s: %s)\n",
            level, best.seconds, best.cpu, best.gzMb, convertBest + best.seconds,
            convertBest + best.seconds < 1.5 ? "met" : "NOT met");
    }
    // The program's own outputs in the other formats, written in one streaming pass.
    const struct {
        const char* label;
        std::vector<std::string> options;
    } direct[] = {
        {"kelvrant --compress crx.gz          ", {"-O", "day.26d.gz", "--compress", "crx.gz"}},
        {"kelvrant --rinex 3                  ", {"-O", "day.rnx", "--rinex", "3"}},
        {"kelvrant --rinex 3 --compress crx.gz",
         {"-O", "day.crx.gz", "--rinex", "3", "--compress", "crx.gz"}},
    };
    for (const auto& d : direct) {
        std::vector<std::string> args = {KELVRANT_EXE,   "-I", bfile.string(),
                                         efile.string(), "-N", "day.nav"};
        args.insert(args.end(), d.options.begin(), d.options.end());
        double best = 1e9;
        double cpu = 0.0;
        for (int i = 0; i < runs; ++i) {
            const bench::ChildRun r = bench::Run(args, dir, dir / "direct.log");
            const double used = r.cpuSeconds;
            const double s = r.status == 0 ? r.seconds : -1.0;
            if (s < 0) {
                best = -1;
                break;
            }
            if (s < best) cpu = used;
            best = std::min(best, s);
        }
        if (best > 0) {
            std::error_code ec;
            const auto size = fs::file_size(dir / d.options[1], ec);
            std::printf("%s: best %.3f s (cpu %.3f s), %.2f MB (goal 1.5 s: %s)\n", d.label, best,
                        cpu, ec ? 0.0 : static_cast<double>(size) / 1e6,
                        best < 1.5 ? "met" : "NOT met");
        } else {
            std::printf("%s: failed, see %s\n", d.label, (dir / "direct.log").c_str());
        }
    }
    return 0;
}
