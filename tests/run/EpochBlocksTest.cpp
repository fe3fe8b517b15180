// Observation epochs formatted on threads in blocks: the bytes and their order are those of the
// writer called epoch by epoch, for both RINEX versions and any count of epochs and threads,
// and a failing output is noticed.
#include "run/EpochBlocks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "geo/Clock.h"
#include "rinex/LineWriter.h"
#include "rinex/ObsHeader.h"
#include "rinex/ObsWriter.h"
#include "rinex/Rinex3ObsWriter.h"

namespace kelvrant {
namespace {

// Epochs of changing satellites, values, events and clock offsets.
std::vector<ObservationEpoch> Epochs(int n, bool glonass) {
    std::vector<ObservationEpoch> epochs(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ObservationEpoch& e = epochs[static_cast<std::size_t>(i)];
        e.week = 2448;
        e.secondsOfWeek = 604700.0 + i;  // crosses a week's end
        e.clockOffset = 1e-7 * (i % 13) - 4e-7;
        e.event = i % 97 == 5   ? EpochEvent::kNewSite
                  : i % 89 == 7 ? EpochEvent::kAntennaMoving
                                : EpochEvent::kNone;
        e.siteName = {'S', 'I', static_cast<char>('A' + i % 26), '\0'};
        e.count = (i * 7) % (kMaxEpochSatellites + 1);
        for (int s = 0; s < e.count; ++s) {
            SatelliteObservations& sat = e.satellites[static_cast<std::size_t>(s)];
            const bool r = glonass && s % 3 == 2;
            sat.satellite = {r ? GnssSystem::kGlonass : GnssSystem::kGps,
                             static_cast<std::uint8_t>(1 + (s * 5 + i) % (r ? 24 : 32))};
            for (int o = 0; o < kObservableCount; ++o) {
                Observation& x = sat.obs[static_cast<std::size_t>(o)];
                x.value = (i + 1) * 1234.5678 * (o + 1) - s * 0.001;
                x.lossOfLock = static_cast<std::uint8_t>((i + s) % 3);
                x.strength = static_cast<std::uint8_t>((i + o) % 10);
                x.rawSnr = static_cast<std::uint8_t>(30 + (i + s) % 30);
            }
        }
    }
    return epochs;
}

struct Case {
    int rinexVersion;
    char letter;
    int epochs;
    int threads;
};

class EpochBlocksTest : public ::testing::TestWithParam<Case> {};

TEST_P(EpochBlocksTest, BytesAsWrittenEpochByEpoch) {
    const Case c = GetParam();
    const FixedClock clock(1765000000);
    const WriterOptions options{"kelvrant", clock};
    ObsHeaderRecord header;
    header.systemLetter = c.letter;
    SetObservationTypes(header, 3, false);
    Rinex3ObsOptions r3;
    r3.receiverModel = "G12";
    r3.dataType = 3;
    // The writer of the run's version, ready for epochs.
    const auto make = [&](TextSink& sink) -> EpochFormatter {
        if (c.rinexVersion == 3) {
            auto w = std::make_shared<Rinex3ObsWriter>(sink, r3);
            w->Prepare(header);
            return [w](const ObservationEpoch& e) { w->WriteEpoch(e); };
        }
        auto w = std::make_shared<ObsWriter>(sink, options);
        w->Prepare(header);
        return [w](const ObservationEpoch& e) { w->WriteEpoch(e); };
    };
    const std::vector<ObservationEpoch> epochs = Epochs(c.epochs, c.letter != 'G');
    StringSink expected;
    const EpochFormatter direct = make(expected);
    for (const ObservationEpoch& e : epochs)
        direct(e);

    StringSink out;
    EpochBlocks blocks(out, c.threads, make);
    for (const ObservationEpoch& e : epochs) {
        blocks.Next() = e;
        blocks.Commit();
    }
    blocks.Finish();
    EXPECT_FALSE(blocks.Failed());
    EXPECT_EQ(out.Text(), expected.Text());
    EXPECT_EQ(out.Text().empty(), c.epochs == 0);
}

INSTANTIATE_TEST_SUITE_P(Writers, EpochBlocksTest,
                         ::testing::Values(Case{2, 'G', 0, 1}, Case{2, 'G', 6, 1},
                                           Case{2, 'G', 256, 1}, Case{2, 'M', 1000, 1},
                                           Case{2, 'M', 1000, 3}, Case{2, 'G', 2049, 2},
                                           Case{3, 'M', 257, 2}, Case{3, 'G', 1000, 3}));

// Fails every write after the first.
class FailingSink final : public TextSink {
  public:
    void Write(std::string_view) override { failed_ = writes_++ > 0; }
    bool Failed() const override { return failed_; }

  private:
    int writes_ = 0;
    bool failed_ = false;
};

TEST(EpochBlocksFailure, AFailedWriteIsNoticed) {
    FailingSink sink;
    EpochBlocks blocks(sink, 2, [](TextSink& s) -> EpochFormatter {
        return [&s](const ObservationEpoch&) { s.Write("x\r\n"); };
    });
    for (int i = 0; i < 5000 && !blocks.Failed(); ++i) {
        blocks.Next();
        blocks.Commit();
    }
    blocks.Finish();
    EXPECT_TRUE(blocks.Failed());
}

}  // namespace
}  // namespace kelvrant
