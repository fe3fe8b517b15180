// Helpers of the observation writer tests: an in-memory output file read back whole, epoch
// and satellite bytes built field by field, and CR LF joined expected texts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "ashtech/BFileReader.h"
#include "ashtech/ByteOrder.h"
#include "geo/Clock.h"
#include "rinex/LineWriter.h"

namespace kelvrant::test {

/// 2024-03-05 14:07:33 UTC.
inline constexpr std::time_t kTestNow = 1709647653;

/// A scratch output file, closed at the end of the scope.
class OutFile {
  public:
    OutFile() : file_(std::tmpfile()) {}
    ~OutFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    std::FILE* get() const { return file_; }
    /// The whole content (the position is kept).
    std::string Text() const {
        std::fflush(file_);
        const long pos = std::ftell(file_);
        std::fseek(file_, 0, SEEK_END);
        const long size = std::ftell(file_);
        std::string s(static_cast<std::size_t>(size), '\0');
        std::fseek(file_, 0, SEEK_SET);
        const std::size_t n = std::fread(s.data(), 1, s.size(), file_);
        s.resize(n);
        std::fseek(file_, pos, SEEK_SET);
        return s;
    }

  private:
    std::FILE* file_;
};

/// Installs the fixed clock and frees every writer slot; restores the system clock after.
class WriterFixture {
  public:
    WriterFixture() : clock_(kTestNow) {
        ResetWriterSlotsForTest();
        SetCurrentClock(&clock_);
    }
    ~WriterFixture() {
        SetCurrentClock(nullptr);
        ResetWriterSlotsForTest();
    }

  private:
    FixedClock clock_;
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
