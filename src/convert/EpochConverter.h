// The epoch converter: turns one B-file epoch (an EpochRecord and its satellite blocks) into a
// neutral ObservationEpoch, applying every convention of the Ashtech receivers in one place:
// code ranges from the fractional second of the raw range (less the receiver's smoothing
// correction when asked), Doppler in Hz with the RINEX sign, loss-of-lock and signal strength
// from the warning and signal-to-noise bytes, the week roll-over of the epoch times, event
// records for a moving antenna or a new site, and the repair of the receiver's millisecond
// clock jumps so that time tags, clock offset, code and carrier stay consistent.
#pragma once

#include <array>
#include <cstdint>

#include "ashtech/BFileReader.h"
#include "convert/ObservationEpoch.h"
#include "convert/ReceiverModels.h"

namespace kelvrant {

struct ConvertOptions {
    /// The B-file data type code 1..6: which observation block holds each observable.
    int dataType = 0;
    SignalClass signalClass = SignalClass::kOther;
    /// Subtract the receiver's smoothing correction from code ranges.
    bool smoothing = false;
    /// Clock jumps: set, time tags and code stay as read, GPS carrier phases follow the code
    /// and a jump of the clock offset alone is removed from it; clear, detected code jumps move
    /// the time tags, the clock offset and the code instead.
    bool clockAdjustment = false;
    /// Announce site-name changes with event records.
    bool siteChanges = false;
    /// The observables to fill, by Observable.
    std::array<bool, kObservableCount> observables{};
    /// Where week tracking starts: the first observation time of the file.
    std::int32_t firstWeek = 0;
    double firstSeconds = 0.0;
};

/// The B-file data type codes' observation block of each observable.
int ObservationBlock(int dataType, Observable observable);

class EpochConverter {
  public:
    explicit EpochConverter(const ConvertOptions& options);

    /// Converts the next epoch of the file (epochs must come in file order): `out` holds the
    /// listed satellites (GPS 1..32, GLONASS 33..56 of the file) of at most 24 blocks.
    void Convert(const EpochRecord& epoch, const SatelliteSlots& satellites, ObservationEpoch& out);

  private:
    struct Tag {
        std::int32_t week;
        double seconds;
        double clock;
    };
    void TrackWeek(double epochTime);
    Tag RepairClockJumps(const EpochRecord& epoch, const SatelliteSlots& satellites);
    EpochEvent EventOf(const EpochRecord& epoch) const;
    void FillSatellite(const SatelliteSlots& satellites, int i, SatelliteObservations& out) const;
    void Remember(const EpochRecord& epoch, const SatelliteSlots& satellites);

    ConvertOptions options_;
    std::array<std::uint8_t, 256> strengthOf_{};  ///< signal strength digit by SNR
    /// The observables to fill, in Observable order, with the block each comes from.
    struct Field {
        Observable observable;
        std::uint8_t block;
    };
    std::array<Field, kObservableCount> fields_{};
    int fieldCount_ = 0;
    std::int32_t week_ = 0;
    double previousTime_ = 0.0;
    std::int32_t epochsConverted_ = 0;
    double clockOffsetJump_ = 0.0;      ///< removed from this epoch's clock offset, seconds
    double accumulatedCodeJump_ = 0.0;  ///< seconds
    double jumpRepaired_ = 0.0;         ///< the clock jump repaired at this epoch, seconds
    bool quality24Seen_ = false;
    bool adjustmentsDisabled_ = false;
    /// Code and carrier corrections of the current epoch (0 once adjustments are disabled).
    double codeJump_ = 0.0;
    EpochRecord previousEpoch_{};
    SatelliteSlots previousSatellites_{};
};

}  // namespace kelvrant
