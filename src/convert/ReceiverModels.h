// The Ashtech receiver models the program knows, by the type text a receiver writes into its
// B-file header (and a surveyor into the S-file): whether the model tracks GLONASS (mixed
// observation files, a GLONASS navigation file) and how its signal-to-noise values map to the
// RINEX signal strength digit. Every place that asks "which receiver is this?" asks here, and
// the text is always matched ignoring case, so "gg24" is a GG24.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvrant {

/// The scale of a receiver's signal-to-noise values, which decides the signal strength digit.
enum class SignalClass : std::uint8_t {
    kOther = 1,       ///< unknown models: a wide 0..255 scale
    kG12 = 2,         ///< G12: roughly dB-Hz
    kUz12 = 3,        ///< UZ-12: dB-Hz with its own steps
    kGpsGlonass = 4,  ///< Z18, GG24, GG-XXIV: the G12 scale
};

struct ReceiverModel {
    char name[8];  ///< the type text as the receiver writes it (NUL-terminated)
    bool tracksGlonass;
    SignalClass signalClass;

    std::string_view Name() const { return name; }
};

/// The model whose name equals `receiverType` ignoring case, or nullptr.
const ReceiverModel* FindReceiverModel(std::string_view receiverType);

/// True for a GPS+GLONASS model ("Z18", "GG24", "GG-XXIV", any case).
bool TracksGlonass(std::string_view receiverType);

/// The signal class of a receiver type (kOther for any text not in the table).
SignalClass SignalClassOf(std::string_view receiverType);

/// The RINEX signal strength digit 1..9 of a signal-to-noise value on a class's scale.
int SignalStrengthDigit(SignalClass signalClass, int snr);

}  // namespace kelvrant
