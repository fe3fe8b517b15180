// Helpers of the writer and converter tests: writer output in memory with a fixed clock, epoch
// and satellite bytes built field by field, and CR LF joined expected texts.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "ashtech/BFileReader.h"
#include "ashtech/ByteOrder.h"
#include "geo/Clock.h"
#include "rinex/LineWriter.h"

namespace kelvrant::test {

/// 2024-03-05 14:07:33 UTC.
inline constexpr std::time_t kTestNow = 1709647653;

/// A writer's output in memory, with the fixed test clock in its options.
struct TestOutput {
    StringSink sink;
    FixedClock clock{kTestNow};
    WriterOptions options{"Kelvrant", clock};
    const std::string& Text() const { return sink.Text(); }
};

/// Lines each followed by CR LF.
inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string s;
    for (const std::string& l : lines)
        s += l + "\r\n";
    return s;
}

struct BlockValues {
    double rawRange = 0.0;
    float smoothing = 0.0f;
    std::uint8_t warning = 0;
    std::uint8_t quality = 0;
    std::uint8_t snr = 0;
    std::int32_t doppler = 0;
    double phase = 0.0;
};

inline EpochRecord MakeEpoch(const char* site, double seconds, double clockMetres, int satCount) {
    EpochRecord e;
    for (std::size_t i = 0; i < 4; ++i)
        e.bytes[i] = static_cast<std::uint8_t>(site[i]);
    le::PutR8(&e.bytes[4], seconds);
    le::PutR8(&e.bytes[48], clockMetres);
    le::PutU2(&e.bytes[64], 150);
    e.bytes[66] = static_cast<std::uint8_t>(satCount);
    return e;
}

inline void SetSatellite(SatelliteSlots& s, int i, int number) {
    s.Slot(i)[0] = static_cast<std::uint8_t>(number);
}

inline void SetBlock(SatelliteSlots& s, int i, int k, const BlockValues& v) {
    std::uint8_t* b = s.Slot(i) + 4 + 31 * k;
    le::PutR8(b, v.rawRange);
    le::PutR4(b + 8, v.smoothing);
    b[15] = v.warning;
    b[16] = v.quality;
    b[17] = v.snr;
    le::PutI4(b + 19, v.doppler);
    le::PutR8(b + 23, v.phase);
}

}  // namespace kelvrant::test
