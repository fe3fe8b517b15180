// Fuzz harness of the B-file reader: the input is a B-file. It is opened header-only, then
// indexed with statistics into a scratch index; every epoch is read back by its number and
// written, after the header filled from the reader, by the observation writer (into the null
// device), so raw values of any size reach the conversions and the line formatting.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzSupport.h"
#include "ashtech/BFileReader.h"
#include "geo/Clock.h"
#include "rinex/ObsEpoch.h"
#include "rinex/ObsHeader.h"
#include "run/HeaderFill.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxBinaryInput) return -1;
    static const kelvrant::FixedClock clock(1700000000);
    kelvrant::SetCurrentClock(&clock);

    kelvrant::fuzz::MemoryFile input(data, size);
    if (input.get() == nullptr) return 0;
    {
        kelvrant::BFileReader headerOnly;
        if (headerOnly.Open(input.get(), false, false) == 1)
            (void)kelvrant::IsGlonassReceiver(headerOnly.Header().ReceiverType());
        (void)headerOnly.TakeError();
    }

    kelvrant::BFileReader reader;
    if (reader.Open(input.get(), true, true) != 1) {
        if (reader.TakeError() == 0) __builtin_trap();  // a failure always names its cause
        return 0;
    }
    std::int32_t firstWeek = 0;
    double firstTime = 0.0;
    std::int32_t lastWeek = 0;
    double lastTime = 0.0;
    reader.GetTimeSpan(firstWeek, firstTime, lastWeek, lastTime);

    kelvrant::ObsHeaderRecord header;
    kelvrant::FillObsHeader(header, reader, nullptr, nullptr, nullptr);
    const kelvrant::BFileHeader& bfileHeader = reader.Header();
    const int slot = kelvrant::OpenObs(
        kelvrant::fuzz::NullOutput(), "Kelvrant", 0, firstWeek, firstTime, bfileHeader.DataType(),
        kelvrant::ReceiverClassOf(bfileHeader.ReceiverType()), 1, 1, 1);
    if (slot >= 0) kelvrant::WriteObsHeader(slot, header);

    kelvrant::EpochRecord epoch;
    kelvrant::SatelliteSlots satellites;
    const std::int32_t last = reader.LastEpochIndex();
    for (std::int32_t i = 0; i <= last; ++i) {
        if (reader.ReadEpoch(i, epoch, satellites) != 1) __builtin_trap();  // indexed: readable
        if (slot >= 0) kelvrant::WriteObsEpoch(slot, epoch, satellites);
    }
    if (reader.ReadEpoch(last + 1, epoch, satellites) != 0) __builtin_trap();
    if (slot >= 0) kelvrant::CloseObs(slot);
    return 0;
}
