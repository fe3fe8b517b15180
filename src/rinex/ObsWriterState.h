// The observation writer's state per writer slot: the header copy and the epoch state that
// the header writer sets up and the epoch writer carries from epoch to epoch. Internal to the
// observation writer.
#pragma once

#include <cstdint>
#include <cstdio>

#include "ashtech/BFileReader.h"
#include "rinex/ObsHeader.h"

namespace kelvrant::obs_detail {

struct ObsSlotState {
    std::FILE* file = nullptr;  ///< the file OpenObs claimed the slot for (nullptr: not ours)
    ObsHeaderRecord header;
    std::int32_t week = 0;
    double previousTime = 0.0;
    std::int32_t epochsWritten = 0;
    double clockOffsetJump = 0.0;
    double accumulatedCodeJump = 0.0;
    int dataType = 0;
    int receiverClass = 1;
    int smoothing = 0;
    int siteChanges = 0;
    int clockAdjustment = 0;
    int quality24Seen = 0;
    int adjustmentsDisabled = 0;
    EpochRecord previousEpoch;
    SatelliteSlots previousSatellites;
};

/// The state of a slot number 0..11.
ObsSlotState& StateOf(int slot);

/// The state when `slot` is open and was claimed by OpenObs; otherwise nullptr with writer
/// error 1.
ObsSlotState* ObsSlot(int slot);

}  // namespace kelvrant::obs_detail
