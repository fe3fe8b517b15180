// Hatanaka compact RINEX as a sink: it takes the text of a RINEX observation file as a writer
// produces it (version 2 or 3, any number of pieces, lines ending in CR LF or LF) and passes on
// compact RINEX (version 1.0 for RINEX 2, 3.0 for RINEX 3) line by line, so an observation file
// is compressed while it is written. The header is copied behind the two CRINEX lines; epoch
// lines are sent as the characters that changed since the previous epoch; clock offsets and
// observations as differences of growing order (up to 2 for the clock, 3 for observations)
// along each unbroken arc; loss-of-lock and signal-strength flags as changed characters; event
// records as they are. Decompressing gives the RINEX text back unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "geo/Clock.h"
#include "rinex/TextSink.h"

namespace kelvrant {

class CompactRinexEncoder final : public TextSink {
  public:
    /// `next` receives the compact text and must outlive the encoder; `program` (at most 40
    /// characters) and `now` go into the CRINEX PROG / DATE line.
    CompactRinexEncoder(TextSink& next, std::string_view program, const UtcTime& now);

    void Write(std::string_view bytes) override;
    /// Encodes a last line without line end and finishes `next`. An epoch left incomplete
    /// is an error.
    void Finish() override;
    bool Failed() const override { return !error_.empty() || next_.Failed(); }
    std::string Error() const override { return error_.empty() ? next_.Error() : error_; }

    /// Highest difference order of observation arcs and of the clock offset arc.
    static constexpr int kObservationOrder = 3;
    static constexpr int kClockOrder = 2;

  private:
    /// Differences of one arc: d[0] the last value, d[k] its k-th difference.
    struct Arc {
        int order = -1;  ///< -1: no arc, the next value starts one
        std::array<std::int64_t, kObservationOrder + 1> d{};
    };
    struct Satellite {
        std::array<char, 3> id{};
        std::vector<Arc> arcs;
        std::string flags;  ///< LLI and signal digit of each observation, blank when none
    };
    enum class Phase { kStart, kHeader, kEpoch, kEpochLines, kSpecialRecords };

    void Line(std::string_view line);
    void HeaderLine(std::string_view line);
    void EpochLine(std::string_view line);
    void EncodeEpoch();
    void EncodeSatellite(std::string_view id, std::string_view fields, std::size_t count);
    void Arcs(Arc& arc, std::int64_t value, int maxOrder, std::string& out);
    void Emit(std::string_view line);
    void Fail(std::string text);
    std::size_t TypeCount(char system) const;

    TextSink& next_;
    std::string program_;
    UtcTime now_;
    std::string error_;
    std::string pending_;  ///< an incomplete input line
    std::string lineEnd_ = "\r\n";
    std::string out_;  ///< output of the epoch being encoded
    Phase phase_ = Phase::kStart;
    int version_ = 2;
    // Observation types: RINEX 2 one count for all; RINEX 3 one per system letter.
    std::size_t types2_ = 0;
    std::array<std::size_t, 128> types3_{};
    char lastSystem_ = ' ';
    // The epoch being collected: its lines, and how many more belong to it.
    std::vector<std::string> epochLines_;
    std::size_t linesMissing_ = 0;
    std::size_t satellitesInEpoch_ = 0;
    // The previous epoch: its compact epoch line, clock arc and satellites.
    bool restart_ = true;
    std::string previousEpoch_;
    Arc clock_;
    std::vector<Satellite> previous_;
    std::vector<Satellite> current_;
    std::string flagsScratch_;
};

}  // namespace kelvrant
