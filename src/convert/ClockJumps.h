// Detectors of the receiver's millisecond clock jumps. The receiver keeps its clock within a
// millisecond of GPS time by stepping it a whole millisecond at a time; a step shows in the
// clock offset alone, in the code ranges, or in code and carrier together. Each detector
// compares an epoch with the one before it (the previous epoch's clock offset already freed of
// any jump removed from it) and returns the jump in seconds, or 0.
#pragma once

#include "ashtech/BFileReader.h"

namespace kelvrant {

/// The previous epoch a detector compares with.
struct PreviousEpoch {
    const EpochRecord& epoch;
    const SatelliteSlots& satellites;
};

/// A jump of the clock offset alone: 0 or +-0.001 / +-0.002 s.
double ClockOffsetJump(const EpochRecord& previous, const EpochRecord& epoch);
/// A millisecond jump shown alike by the code ranges of every matched satellite, or 0.
double CodeJump(const PreviousEpoch& previous, const EpochRecord& epoch,
                const SatelliteSlots& satellites);
/// A millisecond jump in the L1 carrier phases (the last agreeing satellite's), or 0.
double CarrierJump(const PreviousEpoch& previous, const EpochRecord& epoch,
                   const SatelliteSlots& satellites);

}  // namespace kelvrant
