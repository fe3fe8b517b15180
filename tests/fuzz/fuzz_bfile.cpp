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
#include "convert/EpochConverter.h"
#include "convert/ReceiverModels.h"
#include "geo/Clock.h"
#include "rinex/ObsHeader.h"
#include "rinex/ObsWriter.h"
#include "run/HeaderFill.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxBinaryInput) return -1;
    const kelvrant::FixedClock clock(1700000000);

    kelvrant::fuzz::MemoryFile input(data, size);
    if (input.get() == nullptr) return 0;
    {
        kelvrant::BFileReader headerOnly;
        if (headerOnly.Open(input.get(), false, false) == 1)
            (void)kelvrant::TracksGlonass(headerOnly.Header().ReceiverType());
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
    kelvrant::SetObservationTypes(header, reader.Header().DataType(), false);
    kelvrant::FileSink sink(kelvrant::fuzz::NullOutput());
    kelvrant::ObsWriter writer(sink, {"Kelvrant", clock});
    writer.WriteHeader(header);
    kelvrant::ConvertOptions options;
    options.dataType = reader.Header().DataType();
    options.signalClass = kelvrant::SignalClassOf(reader.Header().ReceiverType());
    options.smoothing = true;
    options.siteChanges = true;
    options.clockAdjustment = true;
    options.observables.fill(true);
    options.firstWeek = firstWeek;
    options.firstSeconds = firstTime;
    kelvrant::EpochConverter converter(options);
    kelvrant::ObservationEpoch converted;

    kelvrant::EpochRecord epoch;
    kelvrant::SatelliteSlots satellites;
    const std::int32_t last = reader.LastEpochIndex();
    for (std::int32_t i = 0; i <= last; ++i) {
        if (reader.ReadEpoch(i, epoch, satellites) != 1) __builtin_trap();  // indexed: readable
        converter.Convert(epoch, satellites, converted);
        writer.WriteEpoch(converted);
    }
    if (reader.ReadEpoch(last + 1, epoch, satellites) != 0) __builtin_trap();
    return 0;
}
