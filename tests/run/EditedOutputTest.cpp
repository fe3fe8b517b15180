// Names and headers of edited outputs: the piece names made from standard and other names,
// the header that states what a file holds, and which ephemerides a piece's navigation file
// takes.
#include "run/EditedOutput.h"

#include <gtest/gtest.h>

#include <cstring>

#include "run/OutputNames.h"
#include "run/QualityCheckRun.h"

namespace kelvrant {
namespace {

constexpr double kWeek = 604800.0;
// GPS week 2448 begins on Sunday 2026-12-06 (day 340).
const std::int64_t kTuesday = (2448 * 7) + 2;

TEST(edited_output, piece_names) {
    struct Case {
        const char* name;
        std::int64_t piece;
        SplitUnit unit;
        const char* expected;
    };
    const Case cases[] = {
        {"/r/KELV3421.26O", kTuesday, SplitUnit::kDay, "/r/KELV3420.26O"},
        {"/r/KELV3421.26N", kTuesday + 1, SplitUnit::kDay, "/r/KELV3430.26N"},
        {"KELV3421.26G", kTuesday * 24 + 10, SplitUnit::kHour, "KELV342K.26G"},
        {"kelv3421.26o", kTuesday * 24 + 23, SplitUnit::kHour, "kelv342x.26o"},
        {"week.26O", kTuesday * 24, SplitUnit::kHour, "week342A.26O"},
        {"out/site.obs", kTuesday, SplitUnit::kDay, "out/site3420.obs"},
        {"KELV3651.26O", (2451 * 7) + 5, SplitUnit::kDay, "KELV0010.27O"},  // 2027-01-01
        {"noext", kTuesday, SplitUnit::kDay, "noext3420"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PieceFileName(c.name, c.piece, c.unit), c.expected) << c.name;
}

// The check's report goes beside the file it describes: an edited run's only piece has a name
// of its own (a long name with the edited start and period); of several pieces, none is it.
TEST(edited_output, quality_report_named_after_the_only_piece) {
    ConversionJob job;
    job.BFileName = "d/BKELVA26.342";
    job.ObsFileName = "d/KELV00XXX_R_20263421000_01H_30S_MO.rnx";
    RunFileSet files;
    EXPECT_EQ(QcReportBase(job, files), job.ObsFileName);
    files.Pieces.push_back(std::make_unique<OutputPiece>());
    files.Pieces.back()->obs.name = "d/KELV00XXX_R_20263421020_21M_30S_MO.rnx";
    EXPECT_EQ(QcReportBase(job, files), "d/KELV00XXX_R_20263421020_21M_30S_MO.rnx");
    files.Pieces.push_back(std::make_unique<OutputPiece>());
    files.Pieces.back()->obs.name = "d/KELV00XXX_R_20263421100_01H_30S_MO.rnx";
    EXPECT_EQ(QcReportBase(job, files), job.ObsFileName);
    job.ObsFileName.clear();
    EXPECT_EQ(QcReportBase(job, files), "d/BKELVA26.342");
}

TEST(edited_output, header_states_the_written_data) {
    ObsHeaderRecord h;
    h.interval = 1;
    h.counts[40][0] = 99;  // GLONASS slot 7 of the whole file
    WrittenSummary s;
    s.epochs = 2;
    s.firstWeek = 2448;
    s.firstSeconds = 30.0;
    s.lastWeek = 2449;
    s.lastSeconds = 60.0;
    s.counts[5][1] = 2;
    s.counts[33 + 2][3] = 1;  // GLONASS slot 3
    EditOptions edit;
    edit.decimateMs = 30000;
    DescribeWrittenData(s, edit, h);
    EXPECT_EQ(h.firstWeek, 2448);
    EXPECT_EQ(h.lastWeek, 2449);
    EXPECT_EQ(h.lastSeconds, 60.0);
    EXPECT_EQ(h.interval, 30);
    EXPECT_EQ(h.counts[5][1], 2);
    EXPECT_EQ(h.counts[kGlonassEntryBase + 3][3], 1);
    EXPECT_EQ(h.counts[40][0], 0);

    struct Interval {
        std::int32_t data;
        std::int64_t stepMs;
        std::int32_t expected;
    };
    for (const Interval& i : {Interval{1, 15000, 15}, Interval{30, 15000, 30}, Interval{0, 500, 0},
                              Interval{0, 2500, 0}, Interval{5, 0, 5}}) {
        h.interval = i.data;
        edit.decimateMs = i.stepMs;
        DescribeWrittenData(s, edit, h);
        EXPECT_EQ(h.interval, i.expected) << i.data << " " << i.stepMs;
    }

    ObsHeaderRecord types;
    types.systemLetter = 'M';
    types.obsTypes = {1, 1, 1, 1, 1, 0, 0, 0, 0};
    edit.types = ParseObservables("L1,D1");
    ASSERT_TRUE(ParseExclusions("R", edit.excluded));
    ASSERT_TRUE(ApplyEditToHeader(edit, types));
    EXPECT_EQ(types.obsTypes, (std::array<std::int16_t, kObsTypeCount>{1, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(types.systemLetter, 'G');
    edit.types = ParseObservables("D1,D2");
    EXPECT_FALSE(ApplyEditToHeader(edit, types));
}

TEST(edited_output, ephemerides_valid_in_a_piece) {
    const auto gps = [](std::int16_t week, std::int32_t sent, std::int32_t toe) {
        AshNavRecord r;
        r.satellite = 5;
        std::memcpy(r.At(1), &week, 2);
        std::memcpy(r.At(3), &sent, 4);
        std::memcpy(r.At(63), &toe, 4);
        return r;
    };
    const double start = 2448 * kWeek + 36000.0;  // Sunday 10:00, one hour
    struct Case {
        AshNavRecord record;
        bool valid;
    };
    const Case cases[] = {
        {gps(2448, 30000, 36000 - 7200), true},   // reference two hours before the start
        {gps(2448, 30000, 36000 - 7201), false},  //
        {gps(2448, 40000, 39600 + 7199), true},   // just under two hours after the end
        {gps(2448, 40000, 39600 + 7200), false},  //
        {gps(2447, 36000, 36000), false},         // a week earlier
    };
    for (const Case& c : cases)
        EXPECT_EQ(NavRecordValidIn(c.record, start, start + 3600.0), c.valid) << c.record.Toe();
    // Near the end of a week the reference time may belong to the next week.
    EXPECT_TRUE(NavRecordValidIn(gps(2448, 603000, 0), 2449 * kWeek, 2449 * kWeek + 3600.0));
}

}  // namespace
}  // namespace kelvrant
