// Fuzz harness of the met data file reader: the input is a met log; every record is read
// twice, once from a mid-week start with a positive leap-second offset and once from the last
// second of a week with a negative one, so both the day and the week roll-overs are reached.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "ashtech/MetLogReader.h"

namespace {

void ReadAll(const std::uint8_t* data, std::size_t size, std::int32_t week, double seconds,
             double offset) {
    kelvrant::fuzz::MemoryFile input(data, size);
    if (input.get() == nullptr) return;
    kelvrant::MetLogReader reader;
    reader.Start(input.get(), week, seconds, offset);
    int error = 0;
    std::int32_t lineCount = 0;
    std::string name;
    std::int32_t recordWeek = 0;
    double recordSeconds = 0.0;
    double pressure = 0.0;
    double temperature = 0.0;
    double humidity = 0.0;
    while (reader.NextRecord(error, lineCount, name, kelvrant::kMetNameBufferSize, recordWeek,
                             recordSeconds, pressure, temperature, humidity) == 1) {
        if (name.size() >= kelvrant::kMetNameBufferSize) __builtin_trap();
    }
    (void)kelvrant::MetErrorText(error);
    (void)reader.InputPosition();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxTextInput) return -1;
    ReadAll(data, size, 1200, 259200.0, 13.0);
    ReadAll(data, size, 2047, 604799.0, -18.0);
    return 0;
}
