// Editing of converted epochs: the option texts, the window, aligned decimation with the
// loss-of-lock carry-over, satellite exclusion, pieces and the written summary.
#include "convert/EpochEditor.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvrant {
namespace {

constexpr double kWeek = 604800.0;

TEST(epoch_editor, parses_times) {
    struct Case {
        const char* text;
        std::optional<GpsSeconds> expected;
    };
    // 2026-12-08 is Tuesday of GPS week 2448.
    const double tuesday = 2448 * kWeek + 2 * 86400.0;
    const Case cases[] = {
        {"2026-12-08 00:00", tuesday},
        {"2026-12-08T10:30", tuesday + 37800.0},
        {"2026-12-08 10:30:15", tuesday + 37815.0},
        {"2026-12-08 10:30:15.5", tuesday + 37815.5},
        {"2448:172800", tuesday},
        {"2447:0.5", 2447 * kWeek + 0.5},
        {"2447:604800", std::nullopt},
        {"2026-02-29 00:00", std::nullopt},
        {"2024-02-29 00:00", 2303 * kWeek + 4 * 86400.0},
        {"2026-12-08 24:00", std::nullopt},
        {"2026-12-08 10:30:60", std::nullopt},
        {"2026-12-08", std::nullopt},
        {"2026-12-08 10:3", std::nullopt},
        {"2026-12-08X10:30", std::nullopt},
        {"-1:5", std::nullopt},
        {"2447:-5", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto t = ParseGpsTime(c.text);
        ASSERT_EQ(t.has_value(), c.expected.has_value()) << c.text;
        if (t) {
            EXPECT_NEAR(*t, *c.expected, 1e-6) << c.text;
        }
    }
}

TEST(epoch_editor, parses_steps_types_exclusions_and_split) {
    EXPECT_EQ(ParseDecimation("30"), 30000);
    EXPECT_EQ(ParseDecimation("0.1"), 100);
    EXPECT_EQ(ParseDecimation("2.5"), 2500);
    for (const char* bad : {"0", "0.05", "0.25", "-30", "1e1", "86401", "", "x"})
        EXPECT_FALSE(ParseDecimation(bad)) << bad;

    const auto types = ParseObservables("L1,l2,C1,P2");
    ASSERT_TRUE(types);
    EXPECT_EQ(*types,
              (std::array<bool, kObservableCount>{true, true, true, false, true, false, false}));
    for (const char* bad : {"L1,,L2", "L3", "L1,", "", "S1"})
        EXPECT_FALSE(ParseObservables(bad)) << bad;

    std::array<bool, kSatelliteIndexCount> excluded{};
    ASSERT_TRUE(ParseExclusions("G05,g17,R", excluded));
    EXPECT_TRUE(excluded[5] && excluded[17] && excluded[33] && excluded[56]);
    EXPECT_FALSE(excluded[4] || excluded[32]);
    EditOptions options;
    options.excluded = excluded;
    EXPECT_TRUE(options.ExcludesAllGlonass());
    for (const char* bad : {"G33", "R25", "G0", "E05", "G05,", "G123"}) {
        std::array<bool, kSatelliteIndexCount> before{};
        EXPECT_FALSE(ParseExclusions(bad, before)) << bad;
        EXPECT_EQ(before, (std::array<bool, kSatelliteIndexCount>{})) << bad;
    }
    EXPECT_EQ(ParseSplit("day"), SplitUnit::kDay);
    EXPECT_EQ(ParseSplit("hour"), SplitUnit::kHour);
    EXPECT_FALSE(ParseSplit("week"));
}

TEST(epoch_editor, pieces_follow_gps_midnight_and_hours) {
    const double t = 2447 * kWeek + 6 * 86400.0 + 86399.0;  // Saturday 23:59:59
    EXPECT_EQ(PieceOf(t, SplitUnit::kDay) + 1, PieceOf(t + 1.0, SplitUnit::kDay));
    EXPECT_EQ(PieceOf(t + 1.0, SplitUnit::kDay), (2447 + 1) * 7);  // a new week, a new day
    EXPECT_EQ(PieceOf(t, SplitUnit::kHour) + 1, PieceOf(t + 1.0, SplitUnit::kHour));
    EXPECT_EQ(PieceStart(PieceOf(t, SplitUnit::kHour), SplitUnit::kHour), t - 3599.0);
    EXPECT_EQ(PieceOf(t, SplitUnit::kNone), 0);
}

// One GPS satellite epoch at seconds `s` of week 2447 with L1 and C1 set.
ObservationEpoch Epoch(double s, std::uint8_t lli = 0, int prn = 5) {
    ObservationEpoch e;
    e.week = 2447;
    e.secondsOfWeek = s;
    e.count = 2;
    e.satellites[0].satellite = {GnssSystem::kGps, static_cast<std::uint8_t>(prn)};
    e.satellites[1].satellite = {GnssSystem::kGlonass, 3};
    for (int i = 0; i < 2; ++i) {
        auto& sat = e.satellites[static_cast<std::size_t>(i)];
        sat[Observable::kL1] = {100.0 + s, lli, 7, 0};
        sat[Observable::kC1] = {2e7, 0, 0, 0};
    }
    return e;
}

TEST(epoch_editor, keeps_window_and_aligned_epochs_carrying_loss_of_lock) {
    EditOptions options;
    options.from = 2447 * kWeek + 10.0;
    options.to = 2447 * kWeek + 70.0;
    options.decimateMs = 30000;
    EpochEditor editor(options);
    struct Step {
        double seconds;
        std::uint8_t lli;
        bool kept;
        std::uint8_t lliWritten;
    };
    const Step steps[] = {
        {5.0, 1, false, 0},    // before the window: its slip is forgotten
        {29.0, 1, false, 0},   // dropped by decimation: its slip waits
        {30.0, 0, true, 1},    // ... and is written here
        {45.0, 0, false, 0},   //
        {60.0, 4, true, 4},    // other bits are the epoch's own
        {61.0, 1, false, 0},   //
        {90.0, 0, false, 0},   // after the window
        {120.0, 0, false, 0},  //
    };
    for (const Step& s : steps) {
        ObservationEpoch e = Epoch(s.seconds, s.lli);
        EXPECT_EQ(editor.Keep(e), s.kept) << s.seconds;
        if (s.kept) {
            EXPECT_EQ(e.satellites[0][Observable::kL1].lossOfLock, s.lliWritten) << s.seconds;
            EXPECT_EQ(e.satellites[1][Observable::kL1].lossOfLock, s.lliWritten) << s.seconds;
        }
    }
}

TEST(epoch_editor, sub_second_steps_align_to_the_day) {
    EditOptions options;
    options.decimateMs = 500;
    EpochEditor editor(options);
    std::vector<double> kept;
    for (int ms = 86399000; ms <= 86401000; ms += 100) {
        ObservationEpoch e = Epoch(ms / 1000.0);
        if (editor.Keep(e)) kept.push_back(e.secondsOfWeek);
    }
    EXPECT_EQ(kept, (std::vector<double>{86399.0, 86399.5, 86400.0, 86400.5, 86401.0}));
}

TEST(epoch_editor, excludes_satellites_and_carries_events) {
    EditOptions options;
    options.decimateMs = 2000;
    ASSERT_TRUE(ParseExclusions("R,G07", options.excluded));
    EpochEditor editor(options);
    ObservationEpoch moving = Epoch(1.0);
    moving.event = EpochEvent::kAntennaMoving;
    EXPECT_FALSE(editor.Keep(moving));
    ObservationEpoch next = Epoch(2.0);
    ASSERT_TRUE(editor.Keep(next));
    EXPECT_EQ(next.count, 1);
    EXPECT_EQ(next.satellites[0].satellite.number, 5);
    EXPECT_EQ(next.event, EpochEvent::kAntennaMoving);
    ObservationEpoch excludedOnly = Epoch(4.0, 0, 7);
    EXPECT_FALSE(editor.Keep(excludedOnly));  // nothing left to write
}

TEST(epoch_editor, summary_counts_what_is_written) {
    WrittenSummary summary;
    ObservationEpoch a = Epoch(30.0);
    a.satellites[1][Observable::kC1].value = 0.0;
    ObservationEpoch empty = Epoch(45.0);
    empty.count = 0;
    summary.Add(a);
    summary.Add(empty);
    summary.Add(Epoch(60.0));
    EXPECT_EQ(summary.epochs, 2);
    EXPECT_EQ(summary.firstSeconds, 30.0);
    EXPECT_EQ(summary.lastSeconds, 60.0);
    EXPECT_EQ(summary.counts[5][static_cast<std::size_t>(Observable::kC1)], 2);
    EXPECT_EQ(summary.counts[35][static_cast<std::size_t>(Observable::kC1)], 1);
    EXPECT_EQ(summary.counts[35][static_cast<std::size_t>(Observable::kL2)], 0);
}

}  // namespace
}  // namespace kelvrant
