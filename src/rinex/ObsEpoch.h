// The RINEX 2 observation epoch writer: turns one B-file epoch into event records, the epoch
// line(s) and the observation lines, converting raw receiver values to RINEX units and
// keeping time tags, code and carrier consistent across the receiver's millisecond clock
// jumps. Slots are opened with OpenObs (ObsHeader.h).
#pragma once

#include <string_view>

#include "ashtech/BFileReader.h"

namespace kelvrant {

inline constexpr double kSpeedOfLight = 299792458.0;
inline constexpr double kGpsL1Frequency = 1575.42e6;
inline constexpr double kGpsL2Frequency = 1227.60e6;

/// Writes one epoch (at most 24 satellite slots). 1, or 0 with writer error 1 when the slot
/// is invalid, free or not an observation slot; nothing is written then.
int WriteObsEpoch(int slot, const EpochRecord& epoch, const SatelliteSlots& satellites);

/// A jump of the receiver clock offset alone against the slot's previous epoch: 0, or
/// +-0.001 / +-0.002 s. 0 with writer error 1 for a slot that is not an observation slot.
double ClockOffsetJump(int slot, const EpochRecord& epoch);
/// A millisecond jump shown alike by the code ranges of every matched satellite, in
/// seconds, or 0.
double CodeJump(int slot, const EpochRecord& epoch, const SatelliteSlots& satellites);
/// A millisecond jump in the L1 carrier phases (the last agreeing satellite's), in seconds,
/// or 0.
double CarrierJump(int slot, const EpochRecord& epoch, const SatelliteSlots& satellites);

/// The RINEX signal strength digit 1..9 of a receiver's signal-to-noise value.
int SignalStrengthDigit(int receiverClass, int snr);

/// The receiver class of a B-file receiver type text (exact comparison): "G12" 2, "UZ-12" 3,
/// "Z18", "GG24" and "GG-XXIV" 4, anything else 1.
int ReceiverClassOf(std::string_view receiverType);

/// The L1 and L2 carrier frequencies (Hz) used to move carrier phases by a clock jump:
/// GPS PRN 1..32 only, 0 for every other satellite number.
double CarrierFrequencyL1(int satellite);
double CarrierFrequencyL2(int satellite);

}  // namespace kelvrant
