// The RINEX 2 observation writer: the header from an ObsHeaderRecord, then one record per
// ObservationEpoch (event records, the epoch line(s) with the satellite list and the clock
// offset, the observation lines). It only formats: every receiver convention has been applied
// by the converter. Epoch lines are built with the fast fixed-point formatter in one buffer the
// writer owns and handed to the sink with one write per epoch.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "convert/ObservationEpoch.h"
#include "geo/GpsTime.h"
#include "rinex/FixedFormat.h"
#include "rinex/LineWriter.h"
#include "rinex/ObsHeader.h"

namespace kelvrant {

class ObsWriter {
  public:
    ObsWriter(TextSink& sink, const WriterOptions& options);

    /// Writes the header; its system letter and observation types shape every epoch after it.
    void WriteHeader(const ObsHeaderRecord& header);
    /// Takes the header's system letter and observation types for the epochs after it without
    /// writing it (an edited file's header is written once its content is known).
    void Prepare(const ObsHeaderRecord& header);
    /// Writes one epoch: its event records, and, when it lists satellites, its epoch and
    /// observation lines.
    void WriteEpoch(const ObservationEpoch& epoch);

  private:
    void WriteEvent(const ObservationEpoch& epoch, std::int32_t yy, const CalendarTime& t);
    void WriteEpochLines(const ObservationEpoch& epoch, std::int32_t yy, const CalendarTime& t);
    void WriteObservationLines(const SatelliteObservations& satellite);
    char* BeginLine();
    void EndLine(char* start, char* end);
    void FlushEpoch();

    TextSink& sink_;
    WriterOptions options_;
    LineWriter lines_;
    bool gpsOnly_ = true;
    /// The three characters of each satellite on epoch lines, by GPS PRN 1..32 and GLONASS
    /// slot + 32 (33..56), for the file's system letter.
    std::array<std::array<char, 3>, 57> ids_{};
    std::array<Observable, kObservableCount> observables_{};
    int observableCount_ = 0;
    // The epoch being built: whole CR LF lines, handed to the sink at the end of the epoch (or
    // when the buffer runs short of room for another line).
    std::unique_ptr<char[]> epochBuffer_;
    std::size_t used_ = 0;
};

}  // namespace kelvrant
