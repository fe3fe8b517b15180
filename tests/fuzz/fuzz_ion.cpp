// Fuzz harness of the ION file reader: the input is an ION file. A record that reads goes
// into the navigation header, which both navigation writers then write (into the null
// device), so every ionosphere and UTC value reaches the header line formatting.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "ashtech/IonFile.h"
#include "geo/Clock.h"
#include "rinex/GlonassNavWriter.h"
#include "rinex/GpsNavWriter.h"
#include "rinex/NavHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxTextInput) return -1;
    static const kelvrant::FixedClock clock(1700000000);
    kelvrant::SetCurrentClock(&clock);

    kelvrant::fuzz::MemoryFile input(data, size);
    if (input.get() == nullptr) return 0;
    kelvrant::IonRecord ion;
    const int read = kelvrant::ReadIonFile(ion, input.get());
    if ((read == 1) != (size >= kelvrant::IonRecord::kSize)) __builtin_trap();
    if (read != 1) return 0;

    kelvrant::NavHeaderRecord header;
    kelvrant::CopyIonToNavHeader(header, ion);
    std::FILE* out = kelvrant::fuzz::NullOutput();
    const int gps = kelvrant::OpenGpsNav("Kelvrant", 1, out, header);
    if (gps >= 0) kelvrant::CloseGpsNav(gps);
    const int glonass = kelvrant::OpenGlonassNav("Kelvrant", out, header);
    if (glonass >= 0) kelvrant::CloseGlonassNav(glonass);
    kelvrant::ClearIonRecord(ion);
    return 0;
}
