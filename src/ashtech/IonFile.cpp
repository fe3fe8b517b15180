// The ION file reader (see IonFile.h).
#include "ashtech/IonFile.h"

namespace kelvrant {

int ReadIonFile(IonRecord& record, std::FILE* file) {
    if (file == nullptr || std::fseek(file, 0, SEEK_SET) != 0) return 0;
    // Read into a scratch copy so that a short file leaves the record as it was.
    std::array<std::uint8_t, IonRecord::kSize> bytes{};
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return 0;
    record.bytes = bytes;
    record.loaded = 1;
    return 1;
}

void ClearIonRecord(IonRecord& record) {
    record.loaded = 0;
}

}  // namespace kelvrant
