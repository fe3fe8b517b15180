// The RINEX 3 observation codes of each receiver: which signal and tracking mode every value of
// an Ashtech download stands for, and the signal strength in dB-Hz where the receiver reports
// it in those units. RINEX 2 names only the band and the code kind (C1, P2); RINEX 3 names the
// tracking mode too, and that depends on the receiver, so the choice is made here, once.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "convert/ObservationEpoch.h"

namespace kelvrant {

/// One RINEX 3 observation type of a system and where its value comes from: the observable's
/// value, or (for an S code) the signal strength of the block the observable came from.
struct Rinex3Code {
    std::array<char, 4> code{};  ///< three characters and a terminating zero, e.g. "C1W"
    Observable from = Observable::kL1;
    bool strength = false;

    std::string_view Text() const { return std::string_view(code.data(), 3); }
};

/// The observation types of one system, in header order.
using Rinex3CodeList = std::vector<Rinex3Code>;

/// Which observables a file holds, indexed by Observable (the RINEX 2 type flags L1..D2).
using ObservablesPresent = std::array<bool, kObservableCount>;

/// The RINEX 3 types of `system` for a receiver model (case ignored), the B-file data type
/// code and the observables the file holds. S codes are included only when the receiver's
/// signal strength is in dB-Hz.
Rinex3CodeList ChooseRinex3Codes(GnssSystem system, std::string_view receiverModel, int dataType,
                                 const ObservablesPresent& present);

/// The receiver's signal-to-noise value in dB-Hz, or nothing when the model reports it in other
/// units (or reported none: 0).
std::optional<double> SignalStrengthDbHz(std::string_view receiverModel, std::uint8_t rawSnr);

/// The RINEX 3 signal strength digit of an observation: from its dB-Hz value in the RINEX 3
/// steps (below 12 dB-Hz 1, then one digit per 6 dB-Hz, 54 and above 9) where the receiver
/// reports dB-Hz, otherwise the receiver's own digit `rinex2Digit` (0: none).
int SignalStrengthDigit3(std::string_view receiverModel, std::uint8_t rawSnr, int rinex2Digit);

}  // namespace kelvrant
