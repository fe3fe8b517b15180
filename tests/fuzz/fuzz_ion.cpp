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
    const kelvrant::FixedClock clock(1700000000);

    kelvrant::fuzz::MemoryFile input(data, size);
    if (input.get() == nullptr) return 0;
    kelvrant::IonRecord ion;
    const int read = kelvrant::ReadIonFile(ion, input.get());
    if ((read == 1) != (size >= kelvrant::IonRecord::kSize)) __builtin_trap();
    if (read != 1) return 0;

    kelvrant::NavHeaderRecord header;
    kelvrant::CopyIonToNavHeader(header, ion);
    kelvrant::FileSink out(kelvrant::fuzz::NullOutput());
    kelvrant::GpsNavWriter(out, {"Kelvrant", clock}).WriteHeader(header);
    kelvrant::GlonassNavWriter glonass(out, {"Kelvrant", clock});
    glonass.SetHeader(header);
    glonass.Finish();
    kelvrant::ClearIonRecord(ion);
    return 0;
}
