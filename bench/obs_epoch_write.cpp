// Throughput of the observation epoch conversion and writing: a 24-hour, 1-second session of
// 12 GPS satellites with all seven observables, synthesized in memory, converted and written
// to /dev/null.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "ashtech/BFileReader.h"
#include "ashtech/ByteOrder.h"
#include "convert/EpochConverter.h"
#include "geo/Clock.h"
#include "rinex/ObsHeader.h"
#include "rinex/ObsWriter.h"
#include "rinex/TextSink.h"

namespace {

using namespace kelvrant;

constexpr int kEpochs = 86400;
constexpr int kSatellites = 12;

struct Epoch {
    EpochRecord record;
    SatelliteSlots satellites;
};

std::vector<Epoch> MakeSession() {
    std::vector<Epoch> epochs(kEpochs);
    for (int e = 0; e < kEpochs; ++e) {
        Epoch& ep = epochs[static_cast<std::size_t>(e)];
        std::uint8_t* r = ep.record.bytes.data();
        r[0] = 'S';
        r[1] = 'I';
        r[2] = 'T';
        r[3] = 'E';
        le::PutR8(r + 4, 345600.0 + e);
        le::PutR8(r + 48, 1234.5678 + 0.01 * e);
        le::PutU2(r + 64, 180);
        r[66] = kSatellites;
        for (int i = 0; i < kSatellites; ++i) {
            std::uint8_t* s = ep.satellites.Slot(i);
            s[0] = static_cast<std::uint8_t>(2 * i + 1);
            for (int k = 0; k < 3; ++k) {
                std::uint8_t* b = s + 4 + 31 * k;
                const double phase = 1.1e8 + 1000.0 * i - 2345.678912 * e + 17.0 * k;
                le::PutR8(b, 0.0712345678 + 1e-7 * i + 2.1e-9 * e);
                le::PutR4(b + 8, static_cast<float>(0.25 * k + 0.001 * i));
                b[15] = static_cast<std::uint8_t>(e % 97 == 0 ? 0x40 : 0);
                b[16] = 24;
                b[17] = static_cast<std::uint8_t>(40 + (i * 7 + e) % 200);
                le::PutI4(b + 19, -23456789 + 1013 * i + 3 * e);
                le::PutR8(b + 23, std::fmod(phase, 2.0e8));
            }
        }
    }
    return epochs;
}

// Writes the whole session's epochs (after the header) and returns the bytes of epochs.
long WriteSession(std::FILE* out, const std::vector<Epoch>& session) {
    const SystemClock clock;
    FileSink sink(out);
    ObsWriter writer(sink, {"Kelvrant", clock});
    ObsHeaderRecord header;
    SetObservationTypes(header, kDataL1CP_L2P, false);
    writer.WriteHeader(header);
    sink.Finish();
    const long start = std::ftell(out);
    ConvertOptions options;
    options.dataType = kDataL1CP_L2P;
    options.smoothing = true;
    options.siteChanges = true;
    options.observables.fill(true);
    options.firstWeek = 2300;
    options.firstSeconds = 345600.0;
    EpochConverter converter(options);
    ObservationEpoch converted;
    for (const Epoch& ep : session) {
        converter.Convert(ep.record, ep.satellites, converted);
        writer.WriteEpoch(converted);
    }
    sink.Finish();
    const long end = std::ftell(out);
    return end - start;
}

void BM_WriteObsEpoch(benchmark::State& state) {
    static const std::vector<Epoch> session = MakeSession();
    // /dev/null reports no position: measure the session's size once in a scratch file.
    std::FILE* scratch = std::tmpfile();
    std::FILE* out = std::fopen("/dev/null", "wb");
    if (scratch == nullptr || out == nullptr) {
        state.SkipWithError("cannot open the output files");
        return;
    }
    const long sessionBytes = WriteSession(scratch, session);
    std::fclose(scratch);
    std::setvbuf(out, nullptr, _IOFBF, 1 << 16);
    for (auto _ : state)
        WriteSession(out, session);
    std::fclose(out);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * sessionBytes);
    state.counters["session_MB"] = static_cast<double>(sessionBytes) / 1e6;
}
BENCHMARK(BM_WriteObsEpoch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
