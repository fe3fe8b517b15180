// Editing of converted epochs before they are written: a time window, aligned decimation,
// observable selection and satellite or system exclusion, and the summary of what was kept
// (the numbers an output header states). The editor works on neutral epochs after conversion,
// so the millisecond clock-jump repair and everything else that compares neighbouring epochs
// still sees every epoch of the file; only what is written is thinned.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/ObservationEpoch.h"

namespace kelvrant {

/// A GPS time as seconds since the start of GPS week 0.
using GpsSeconds = double;

inline GpsSeconds ToGpsSeconds(std::int32_t week, double secondsOfWeek) {
    return static_cast<double>(week) * 604800.0 + secondsOfWeek;
}

/// How written observation files are cut into pieces.
enum class SplitUnit : std::uint8_t { kNone, kDay, kHour };

/// Satellite table index: GPS PRN 1..32, GLONASS slot + 32 (33..56).
inline constexpr int kSatelliteIndexCount = 57;
inline int SatelliteIndex(const SatelliteId& id) {
    return id.system == GnssSystem::kGps ? id.number : id.number + 32;
}

struct EditOptions {
    /// Epochs before `from` or after `to` are not written (both inclusive).
    std::optional<GpsSeconds> from;
    std::optional<GpsSeconds> to;
    /// Keep only epochs whose time of day is a whole multiple of this many milliseconds
    /// (0: every epoch).
    std::int64_t decimateMs = 0;
    /// The observables to write, by Observable (unset: the file's own list).
    std::optional<std::array<bool, kObservableCount>> types;
    /// Excluded satellites by SatelliteIndex.
    std::array<bool, kSatelliteIndexCount> excluded{};
    SplitUnit split = SplitUnit::kNone;

    /// True when any option changes what is written.
    bool Active() const;
    /// True when every GLONASS slot is excluded.
    bool ExcludesAllGlonass() const;
};

/// "YYYY-MM-DD hh:mm[:ss]" (or with 'T' between date and time) in GPS time, or
/// "WEEK:SECONDS"; seconds may have a fraction.
std::optional<GpsSeconds> ParseGpsTime(std::string_view text);
/// A decimation step in seconds, a multiple of 0.1 from 0.1 to 86400, as milliseconds.
std::optional<std::int64_t> ParseDecimation(std::string_view text);
/// A comma list of L1, L2, C1, P1, P2, D1, D2 (any letter case).
std::optional<std::array<bool, kObservableCount>> ParseObservables(std::string_view text);
/// A comma list of satellites ("G05", "G5", "R12") and systems ("G", "R"); adds them to
/// `excluded`. False, with `excluded` unchanged, on anything else.
bool ParseExclusions(std::string_view text, std::array<bool, kSatelliteIndexCount>& excluded);
/// "day" or "hour".
std::optional<SplitUnit> ParseSplit(std::string_view text);

/// The editing choices as texts (a parameter file's, the configuration's; empty: not asked
/// for), in the forms of the parsers above; `split` may also be "none".
struct EditTexts {
    std::string_view from, to, decimate, split, types, exclude;
};
/// Which of the texts is refused.
enum class EditText : std::uint8_t { kNone, kFrom, kTo, kDecimate, kSplit, kTypes, kExclude };
/// Parses every given text into a fresh EditOptions; the first refused text is named (and
/// `out` left as it was).
EditText ParseEditTexts(const EditTexts& texts, EditOptions& out);

/// The piece an epoch at `t` belongs to: GPS days or hours since the GPS epoch (0 unsplit).
std::int64_t PieceOf(GpsSeconds t, SplitUnit unit);
/// The start of a piece.
GpsSeconds PieceStart(std::int64_t piece, SplitUnit unit);
/// Length of a piece in seconds (0 unsplit).
double PieceLength(SplitUnit unit);

/// Decides epoch by epoch, in file order, what is written.
class EpochEditor {
  public:
    explicit EpochEditor(const EditOptions& options);

    /// Edits a converted epoch for writing and says whether it is written: outside the window
    /// nothing is; excluded satellites are removed; an epoch decimated away leaves its
    /// loss-of-lock bit 0 (and any event) to the next written epoch of the same satellite, so
    /// a cycle slip in a dropped epoch is still announced. An epoch left with no satellite
    /// and no event is not written.
    bool Keep(ObservationEpoch& epoch);

  private:
    void RemoveExcluded(ObservationEpoch& epoch) const;
    void Remember(const ObservationEpoch& epoch);
    void CarryOver(ObservationEpoch& epoch);

    EditOptions options_;
    /// Loss-of-lock bits of dropped epochs not yet written, by satellite and observable.
    std::array<std::array<std::uint8_t, kObservableCount>, kSatelliteIndexCount> pending_{};
    EpochEvent pendingEvent_ = EpochEvent::kNone;
    std::array<char, 4> pendingSite_{};
};

/// What a written observation file holds: its first and last observation epochs and the
/// number of observations (non-zero values) per satellite and observable.
struct WrittenSummary {
    std::int64_t epochs = 0;
    std::int32_t firstWeek = 0;
    double firstSeconds = 0.0;
    std::int32_t lastWeek = 0;
    double lastSeconds = 0.0;
    std::array<std::array<std::int32_t, kObservableCount>, kSatelliteIndexCount> counts{};

    /// Adds a written epoch; only epochs listing satellites count.
    void Add(const ObservationEpoch& epoch);
};

}  // namespace kelvrant
