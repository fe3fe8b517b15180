// The receiver model table (see ReceiverModels.h).
#include "convert/ReceiverModels.h"

#include <array>

namespace kelvrant {
namespace {

constexpr std::array<ReceiverModel, 5> kModels = {{
    {"G12", false, SignalClass::kG12},
    {"UZ-12", false, SignalClass::kUz12},
    {"Z18", true, SignalClass::kGpsGlonass},
    {"GG24", true, SignalClass::kGpsGlonass},
    {"GG-XXIV", true, SignalClass::kGpsGlonass},
}};

constexpr char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

}  // namespace

const ReceiverModel* FindReceiverModel(std::string_view receiverType) {
    for (const ReceiverModel& m : kModels)
        if (EqualIgnoringCase(m.Name(), receiverType)) return &m;
    return nullptr;
}

bool TracksGlonass(std::string_view receiverType) {
    const ReceiverModel* m = FindReceiverModel(receiverType);
    return m != nullptr && m->tracksGlonass;
}

SignalClass SignalClassOf(std::string_view receiverType) {
    const ReceiverModel* m = FindReceiverModel(receiverType);
    return m != nullptr ? m->signalClass : SignalClass::kOther;
}

int SignalStrengthDigit(SignalClass signalClass, int snr) {
    switch (signalClass) {
        case SignalClass::kG12:
        case SignalClass::kGpsGlonass:
            if (snr < 25) {
                const int d = snr / 5;
                return d < 1 ? 1 : d;
            } else {
                const int d = (snr - 25) / 6 + 5;
                return d > 9 ? 9 : d;
            }
        case SignalClass::kUz12:
            if (snr >= 56) return 9;
            if (snr >= 52) return 8;
            if (snr >= 48) return 7;
            if (snr >= 45) return 6;
            if (snr >= 39) return 5;
            if (snr >= 36) return 4;
            if (snr >= 33) return 3;
            if (snr >= 30) return 2;
            return 1;
        case SignalClass::kOther:
            break;
    }
    if (snr < 60) return 1;
    if (snr < 80) return 2;
    if (snr < 100) return 3;
    if (snr < 120) return 4;
    if (snr < 150) return 5;
    if (snr < 170) return 6;
    if (snr < 190) return 7;
    if (snr < 210) return 8;
    return 9;
}

}  // namespace kelvrant
