// RINEX 3 observation codes per receiver (see ObservationCodes.h).
#include "convert/ObservationCodes.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace kelvrant {
namespace {

bool SameModel(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The dual-frequency GPS receivers that track the encrypted P code with Z-tracking: their
// P1 and every L2 value are "W" (the P(Y) signal without the code), not "P".
bool ZTracking(std::string_view model) {
    return SameModel(model, "UZ-12") || SameModel(model, "Z18");
}

// The models whose signal-to-noise values are carrier-to-noise densities in dB-Hz. Older
// models report amplitude units that have no fixed relation to dB-Hz; they get no S codes.
bool SnrInDbHz(std::string_view model) {
    return SameModel(model, "G12") || SameModel(model, "UZ-12") || SameModel(model, "Z18") ||
           SameModel(model, "GG24") || SameModel(model, "GG-XXIV");
}

Rinex3Code Code(const char* text, Observable from, bool strength = false) {
    Rinex3Code c;
    std::copy(text, text + 3, c.code.begin());
    c.from = from;
    c.strength = strength;
    return c;
}

}  // namespace

// The table, band by band:
//   L1 C/A code, carrier and Doppler (block 0)   GPS and GLONASS  C1C L1C D1C, S1C
//   L1 P code                                    GPS  C1W with Z-tracking, else C1P; GLONASS C1P
//   L2 carrier, Doppler, P code                  GPS  ..W with Z-tracking; ..P where the data
//                                                     type says the P code is tracked on L2
//                                                     (3, 6); ..N for codeless L2 (type 2)
//                                                GLONASS  ..P (its P code is open)
// The L1 carrier always comes from the C/A block, so there is no L1P/L1W carrier. Strengths
// come from the block of the carrier (of the code when there is no carrier).
Rinex3CodeList ChooseRinex3Codes(GnssSystem system, std::string_view receiverModel, int dataType,
                                 const ObservablesPresent& present) {
    auto has = [&](Observable o) { return present[static_cast<std::size_t>(o)]; };
    const bool glonass = system == GnssSystem::kGlonass;
    const bool z = !glonass && ZTracking(receiverModel);
    const char p1 = glonass || !z ? 'P' : 'W';
    char l2 = 'P';
    if (!glonass) l2 = z ? 'W' : (dataType == 2 ? 'N' : 'P');
    const bool strength = SnrInDbHz(receiverModel);

    Rinex3CodeList list;
    auto add = [&](char kind, char band, char attribute, Observable from, bool s = false) {
        const char text[4] = {kind, band, attribute, '\0'};
        list.push_back(Code(text, from, s));
    };
    if (has(Observable::kC1)) add('C', '1', 'C', Observable::kC1);
    if (has(Observable::kL1)) add('L', '1', 'C', Observable::kL1);
    if (has(Observable::kD1)) add('D', '1', 'C', Observable::kD1);
    if (strength && (has(Observable::kL1) || has(Observable::kC1)))
        add('S', '1', 'C', has(Observable::kL1) ? Observable::kL1 : Observable::kC1, true);
    if (has(Observable::kP1)) add('C', '1', p1, Observable::kP1);
    if (has(Observable::kP2)) add('C', '2', l2, Observable::kP2);
    if (has(Observable::kL2)) add('L', '2', l2, Observable::kL2);
    if (has(Observable::kD2)) add('D', '2', l2, Observable::kD2);
    if (strength && (has(Observable::kL2) || has(Observable::kP2)))
        add('S', '2', l2, has(Observable::kL2) ? Observable::kL2 : Observable::kP2, true);
    return list;
}

std::optional<double> SignalStrengthDbHz(std::string_view receiverModel, std::uint8_t rawSnr) {
    if (rawSnr == 0 || !SnrInDbHz(receiverModel)) return std::nullopt;
    return static_cast<double>(rawSnr);
}

int SignalStrengthDigit3(std::string_view receiverModel, std::uint8_t rawSnr, int rinex2Digit) {
    const std::optional<double> dbhz = SignalStrengthDbHz(receiverModel, rawSnr);
    if (!dbhz) return rinex2Digit;
    return std::clamp(static_cast<int>(*dbhz / 6.0), 1, 9);
}

}  // namespace kelvrant
