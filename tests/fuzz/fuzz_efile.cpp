// Fuzz harness of the E-file reader: the input is an E-file. Every record handed out in time
// order goes through the GPS or GLONASS navigation writer (into the null device), so values
// of any size and sign reach the line formatting.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "ashtech/EFileReader.h"
#include "geo/Clock.h"
#include "rinex/GlonassNavWriter.h"
#include "rinex/GpsNavWriter.h"
#include "rinex/NavHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxBinaryInput) return -1;
    static const kelvrant::FixedClock clock(1700000000);
    kelvrant::SetCurrentClock(&clock);

    kelvrant::fuzz::MemoryFile input(data, size);
    if (input.get() == nullptr) return 0;
    kelvrant::EFileReader reader;
    if (reader.Open(input.get()) != 1) return 0;

    kelvrant::NavHeaderRecord header;
    header.runBy = "FUZZ";
    std::FILE* out = kelvrant::fuzz::NullOutput();
    const int gps = kelvrant::OpenGpsNav("Kelvrant", 1, out, header);
    const int glonass = kelvrant::OpenGlonassNav("Kelvrant", out, header);
    bool correctionSet = false;
    kelvrant::AshNavRecord record;
    while (reader.NextRecord(record) == 1) {
        if (record.IsGps()) {
            if (gps >= 0) kelvrant::WriteGpsNavRecord(gps, record.satellite, record);
        } else {
            if (!correctionSet) {
                kelvrant::SetGlonassCorrection(header, record);
                correctionSet = true;
            }
            std::int32_t week = 0;
            double seconds = 0.0;
            kelvrant::GlonassEpoch(record, week, seconds);
            (void)kelvrant::GlonassFrameTime(record);
            if (glonass >= 0) kelvrant::WriteGlonassNavRecord(glonass, record.satellite, record);
        }
    }
    if (glonass >= 0) {
        kelvrant::RewriteGlonassNavHeader(glonass, header);
        kelvrant::CloseGlonassNav(glonass);
    }
    if (gps >= 0) kelvrant::CloseGpsNav(gps);
    return 0;
}
