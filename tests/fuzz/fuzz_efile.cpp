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
    const kelvrant::FixedClock clock(1700000000);

    kelvrant::fuzz::MemoryFile input(data, size);
    if (input.get() == nullptr) return 0;
    kelvrant::EFileReader reader;
    if (reader.Open(input.get()) != 1) return 0;

    kelvrant::NavHeaderRecord header;
    header.runBy = "FUZZ";
    kelvrant::FileSink out(kelvrant::fuzz::NullOutput());
    kelvrant::GpsNavWriter gps(out, {"Kelvrant", clock});
    kelvrant::GlonassNavWriter glonass(out, {"Kelvrant", clock});
    gps.WriteHeader(header);
    glonass.SetHeader(header);
    kelvrant::AshNavRecord record;
    while (reader.NextRecord(record) == 1) {
        if (record.IsGps()) {
            gps.WriteRecord(record);
        } else {
            std::int32_t week = 0;
            double seconds = 0.0;
            kelvrant::GlonassEpoch(record, week, seconds);
            (void)kelvrant::GlonassFrameTime(record);
            glonass.WriteRecord(record);
        }
    }
    glonass.Finish();
    return 0;
}
