// Fuzz harness of the S-file reader: the input is a site information file.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "ashtech/SiteFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxTextInput) return -1;
    kelvrant::fuzz::MemoryFile input(data, size);
    if (input.get() == nullptr) return 0;
    kelvrant::SiteRecord record;
    kelvrant::ClearSiteRecord(record);
    if (kelvrant::ReadSiteFile(record, input.get()) == 1) {
        // The fields keep the widths of their columns.
        if (record.siteName.size() > 4 || record.receiverNumber.size() > 3 ||
            record.antennaNumber.size() > 3 || record.observer.size() > 3 ||
            record.receiverType.size() > 9 || record.line3Tail.size() > 60)
            __builtin_trap();
    }
    return 0;
}
