// Fuzz harness of the IGS site-log reader: the input is a site log's text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "settings/SiteLog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxTextInput) return -1;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kelvrant::SiteLogParse p = kelvrant::ParseSiteLog(text);
    if (p.log) {
        // A log that was read names its station and places every entry in time.
        if (p.log->fourCharacterId.empty() || p.log->fourCharacterId.size() > 4) __builtin_trap();
        for (const auto& a : p.log->antennas) {
            if (a.radome.empty()) __builtin_trap();
            (void)p.log->AntennaAt(a.period.installed);
        }
        for (const auto& r : p.log->receivers)
            if (p.log->ReceiverAt(r.period.installed) == nullptr && !r.period.removed)
                __builtin_trap();
    } else if (p.line < 1 || p.why.empty()) {
        __builtin_trap();
    }
    return 0;
}
