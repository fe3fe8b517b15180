// Tests of the B-file reader against files made by the test byte builder.
#include "ashtech/BFileReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "ashtech/ByteOrder.h"
#include "support/BFileBuilder.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::BEpoch;
using test::BFileBuilder;
using test::BHeader;
using test::BObsBlock;
using test::BSatellite;
using test::MakeSatellite;

// A B-file on disk with the reader opened on it.
struct OpenedFile {
    explicit OpenedFile(const std::string& bytes, bool buildIndex = true, bool statistics = true) {
        path = dir.File("TEST0001.B");
        test::WriteFile(path, bytes);
        bfile = std::fopen(path.c_str(), "rb");
        result = reader.Open(bfile, buildIndex, statistics);
        error = reader.TakeError();
    }
    ~OpenedFile() {
        if (bfile != nullptr) std::fclose(bfile);
    }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    std::size_t Offset(std::int32_t i) const {
        return static_cast<std::size_t>(reader.EpochOffset(i));
    }
    double LastTime() const {
        std::int32_t fw = 0, lw = 0;
        double ft = 0, lt = 0;
        reader.GetTimeSpan(fw, ft, lw, lt);
        return lt;
    }

    test::TempDir dir;
    std::string path;
    std::FILE* bfile = nullptr;
    BFileReader reader;
    int result = -1;
    int error = -1;
};

BEpoch EpochAt(double time, std::vector<BSatellite> sats = {}, std::uint16_t pdop100 = 150) {
    BEpoch e;
    e.time = time;
    e.x = 4000000.0;
    e.y = 1000000.0;
    e.z = 4800000.0;
    e.pdop100 = pdop100;
    e.satellites = std::move(sats);
    return e;
}

BFileBuilder EpochsAt(const std::vector<double>& times, BHeader header = {}) {
    BFileBuilder b(header);
    for (double t : times)
        b.Add(EpochAt(t, {MakeSatellite(5, header.blockCount)}));
    return b;
}

// ---- header check -------------------------------------------------------------------------

TEST(bfile_header, exactly_90_bytes_opens_without_epochs) {
    BHeader h;
    h.week = 1234;
    OpenedFile f(BFileBuilder(h).Bytes());
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.error, kObsReadOk);
    EXPECT_EQ(f.reader.LastEpochIndex(), -1);
    std::int32_t fw = 0, lw = 0;
    double ft = 0, lt = 0;
    f.reader.GetTimeSpan(fw, ft, lw, lt);
    EXPECT_EQ(fw, 1234);
    EXPECT_EQ(ft, -1.0);
    EXPECT_EQ(lt, -1.0);
    EpochRecord e;
    SatelliteSlots s;
    EXPECT_EQ(f.reader.ReadEpoch(0, e, s), 0);
    EXPECT_EQ(f.reader.EpochInterval(), 0.0f);
}

TEST(bfile_header, lower_case_version_passes) {
    BHeader h;
    h.versionText = "version";
    OpenedFile f(EpochsAt({0.0, 30.0}, h).Bytes());
    EXPECT_EQ(f.result, 1);
    EXPECT_EQ(f.reader.LastEpochIndex(), 1);
}

TEST(bfile_header, versio_followed_by_other_letter_is_not_a_bfile) {
    for (const char* text : {"VERSIOX", "VERSIO", "VERSIONS"}) {
        BHeader h;
        h.versionText = text;
        OpenedFile f(EpochsAt({0.0}, h).Bytes());
        // "VERSIONS" is cut to 7 bytes and passes; the others fail.
        if (std::string(text) == "VERSIONS") {
            EXPECT_EQ(f.result, 1) << text;
        } else {
            EXPECT_EQ(f.result, 0) << text;
            EXPECT_EQ(f.error, kObsNotBFile) << text;
        }
    }
}

TEST(bfile_header, format_version_other_than_3_fails_with_code_3) {
    BHeader h;
    h.formatVersion = 2;
    OpenedFile f(EpochsAt({0.0}, h).Bytes());
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(f.error, kObsBadVersion);
    EXPECT_EQ(f.reader.TakeError(), 0) << "the error is cleared once taken";
}

TEST(bfile_header, short_or_empty_file_fails_with_code_1) {
    const std::string full = BFileBuilder().Bytes();
    for (std::size_t size : {std::size_t{0}, std::size_t{7}, std::size_t{89}}) {
        OpenedFile f(full.substr(0, size));
        EXPECT_EQ(f.result, 0) << size;
        EXPECT_EQ(f.error, kObsNoHeader) << size;
    }
}

TEST(bfile_header, block_count_outside_1_to_3_is_refused_with_code_4) {
    for (std::int8_t n : {std::int8_t{0}, std::int8_t{4}, std::int8_t{-1}, std::int8_t{127}}) {
        BHeader h;
        h.blockCount = n;
        OpenedFile f(EpochsAt({0.0, 1.0}, h).Bytes());
        EXPECT_EQ(f.result, 0) << int{n};
        EXPECT_EQ(f.error, kObsBadBlockCount) << int{n};
        EpochRecord e;
        SatelliteSlots s;
        EXPECT_EQ(f.reader.ReadEpoch(-1, e, s), 0);
    }
}

TEST(bfile_header, check_header_returns_to_a_nonzero_position_only) {
    OpenedFile f(EpochsAt({0.0, 30.0}).Bytes());
    ASSERT_EQ(f.result, 1);
    BFileHeader h;
    std::fseek(f.bfile, 50, SEEK_SET);
    EXPECT_EQ(f.reader.CheckHeader(f.bfile, h), 1);
    EXPECT_EQ(std::ftell(f.bfile), 50);
    std::fseek(f.bfile, 0, SEEK_SET);
    EXPECT_EQ(f.reader.CheckHeader(f.bfile, h), 1);
    EXPECT_EQ(std::ftell(f.bfile), 90);
}

TEST(bfile_header, header_only_mode_reads_fields_and_indexes_nothing) {
    BHeader h;
    h.receiverType = "GG24";
    h.versionFirst = "ZC00";
    h.versionSecond = "1L05";
    h.dataType = 3;
    h.week = 1100;
    h.blockCount = 3;
    OpenedFile f(EpochsAt({0.0, 30.0}, h).Bytes(), false, false);
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(std::ftell(f.bfile), 90);
    EXPECT_EQ(f.reader.LastEpochIndex(), -1);
    EXPECT_EQ(f.reader.Header().ReceiverType(), "GG24");
    EXPECT_EQ(f.reader.Header().VersionFirstPart(), "ZC00");
    EXPECT_EQ(f.reader.Header().VersionSecondPart(), "1L05");
    EXPECT_EQ(f.reader.Header().DataType(), 3);
    std::int32_t fw = 0, lw = 0;
    double ft = 0, lt = 0;
    f.reader.GetTimeSpan(fw, ft, lw, lt);
    EXPECT_EQ(fw, 1100);
    EXPECT_EQ(ft, -1.0);
    EXPECT_EQ(lw, -1);
    EXPECT_EQ(lt, -1.0);
}

TEST(bfile_header, receiver_type_by_path) {
    test::TempDir dir;
    BHeader h;
    h.receiverType = "GG-XXIV";
    EpochsAt({0.0}, h).Save(dir.File("a.b"));
    EXPECT_EQ(ReadBFileReceiverType(dir.File("a.b")), "GG-XXIV");
    h.receiverType = "ABCDEFGHIJKLMN";  // fills all 10 bytes, no NUL
    BFileBuilder(h).Save(dir.File("b.b"));
    EXPECT_EQ(ReadBFileReceiverType(dir.File("b.b")), "ABCDEFGHIJ");
    h.formatVersion = 1;
    BFileBuilder(h).Save(dir.File("c.b"));
    EXPECT_EQ(ReadBFileReceiverType(dir.File("c.b")), "");
    EXPECT_EQ(ReadBFileReceiverType(dir.File("missing.b")), "");
}

// ---- index pass and epochs by number ------------------------------------------------------

TEST(bfile_index, every_epoch_is_indexed_at_its_offset_and_no_file_is_written) {
    BFileBuilder b = EpochsAt({100.0, 130.0, 160.0});
    OpenedFile f(b.Bytes());
    ASSERT_EQ(f.result, 1);
    ASSERT_EQ(f.reader.LastEpochIndex(), 2);
    for (std::int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(f.Offset(i), b.EpochOffset(static_cast<std::size_t>(i)));
    EXPECT_EQ(f.reader.DamagedStretches(), 0);
    EXPECT_EQ(f.reader.FirstDamageOffset(), -1);
    // The index lives in memory: the B-file's folder holds nothing but the B-file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(bfile_index, week_rolls_over_between_604770_and_30) {
    BHeader h;
    h.week = 1500;
    OpenedFile f(EpochsAt({604740.0, 604770.0, 30.0, 60.0}, h).Bytes());
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.reader.DamagedStretches(), 0);
    std::int32_t fw = 0, lw = 0;
    double ft = 0, lt = 0;
    f.reader.GetTimeSpan(fw, ft, lw, lt);
    EXPECT_EQ(fw, 1500);
    EXPECT_EQ(ft, 604740.0);
    EXPECT_EQ(lw, 1501);
    EXPECT_EQ(lt, 60.0);
    EXPECT_EQ(f.reader.EpochInterval(), 30.0f) << "the roll-over spacing is one of its own";
}

TEST(bfile_index, hours_long_gaps_and_steps_back_of_the_receiver_clock_are_no_damage) {
    OpenedFile f(
        EpochsAt({1000.0, 1030.0, 1029.5, 1060.0, 1060.0 + 20 * 3600.0, 1090.0 + 20 * 3600.0})
            .Bytes());
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.reader.LastEpochIndex(), 5);
    EXPECT_EQ(f.reader.DamagedStretches(), 0);
}

TEST(bfile_index, epochs_read_by_number_in_any_order) {
    BHeader h;
    h.blockCount = 3;
    BFileBuilder b(h);
    for (int i = 0; i < 5; ++i) {
        BEpoch e = EpochAt(
            1000.0 + i, {MakeSatellite(static_cast<std::uint8_t>(3 + i), 3), MakeSatellite(40, 3)});
        e.site = "ABC" + std::to_string(i);
        e.clockOffset = 12.5 * i;
        b.Add(e);
    }
    OpenedFile f(b.Bytes());
    ASSERT_EQ(f.result, 1);
    ASSERT_EQ(f.reader.LastEpochIndex(), 4);
    for (std::int32_t i : {4, 0, 2, 2, 1, 3}) {
        EpochRecord e;
        SatelliteSlots s;
        ASSERT_EQ(f.reader.ReadEpoch(i, e, s), 1) << i;
        EXPECT_EQ(e.Time(), 1000.0 + i);
        EXPECT_EQ(e.SiteName(), "ABC" + std::to_string(i));
        EXPECT_EQ(e.ClockOffset(), 12.5 * i);
        EXPECT_EQ(e.SatCount(), 2);
        EXPECT_EQ(s.SatNumber(0), 3 + i);
        EXPECT_EQ(s.SatNumber(1), 40);
        const BSatellite want = MakeSatellite(40, 3);
        for (int k = 0; k < 3; ++k) {
            const BObsBlock& w = want.blocks[static_cast<std::size_t>(k)];
            const ObsBlockView v = s.Block(1, k);
            EXPECT_EQ(v.RawRange(), w.rawRange);
            EXPECT_EQ(v.Smoothing(), w.smoothing);
            EXPECT_EQ(v.Warning(), w.warning);
            EXPECT_EQ(v.Quality(), w.quality);
            EXPECT_EQ(v.Snr(), w.snr);
            EXPECT_EQ(v.Doppler(), w.doppler);
            EXPECT_EQ(v.Phase(), w.phase);
        }
    }
    EpochRecord e;
    SatelliteSlots s;
    EXPECT_EQ(f.reader.ReadEpoch(5, e, s), 0);
    EXPECT_EQ(f.reader.ReadEpoch(-2, e, s), 0);
}

TEST(bfile_index, long_file_reads_back_across_buffer_boundaries) {
    // Some megabytes and several thousand epochs: the reader's buffers refill many times, and
    // epochs straddle their edges.
    BHeader h;
    h.blockCount = 2;
    BFileBuilder b(h);
    const int n = 6000;
    for (int i = 0; i < n; ++i) {
        std::vector<BSatellite> sats;
        for (int k = 0; k < 1 + i % 9; ++k)
            sats.push_back(MakeSatellite(static_cast<std::uint8_t>(1 + (i + k) % 32), 2));
        b.Add(EpochAt(static_cast<double>(i), sats));
    }
    OpenedFile f(b.Bytes());
    ASSERT_EQ(f.result, 1);
    ASSERT_EQ(f.reader.LastEpochIndex(), n - 1);
    EXPECT_EQ(f.reader.EpochInterval(), 1.0f);
    EpochRecord e;
    SatelliteSlots s;
    auto check = [&](std::int32_t i) {
        ASSERT_EQ(f.reader.ReadEpoch(i, e, s), 1) << i;
        ASSERT_EQ(e.Time(), static_cast<double>(i));
        const int count = 1 + i % 9;
        ASSERT_EQ(e.SatCount(), count);
        ASSERT_EQ(s.SatNumber(count - 1), 1 + (i + count - 1) % 32) << i;
        ASSERT_EQ(s.Block(count - 1, 1).Phase(),
                  MakeSatellite(s.SatNumber(count - 1), 2).blocks[1].phase);
    };
    for (std::int32_t i = 0; i < n; ++i)
        check(i);
    for (std::int32_t i = n - 1; i >= 0; i -= 997)
        check(i);
    EXPECT_EQ(f.Offset(static_cast<std::int32_t>(n - 1)), b.EpochOffset(n - 1));
}

TEST(bfile_index, two_blocks_fill_66_bytes_of_each_97_byte_slot) {
    BHeader h;
    h.blockCount = 2;
    BFileBuilder b(h);
    b.Add(EpochAt(0.0, {MakeSatellite(7, 2), MakeSatellite(9, 2)}));
    b.Add(EpochAt(1.0, {MakeSatellite(11, 2)}));
    OpenedFile f(b.Bytes());
    ASSERT_EQ(f.result, 1);
    ASSERT_EQ(f.reader.LastEpochIndex(), 1);
    EpochRecord e;
    SatelliteSlots s;
    s.bytes.fill(0xAB);
    ASSERT_EQ(f.reader.ReadEpoch(0, e, s), 1);
    const std::string file = b.Bytes();
    for (int i = 0; i < 2; ++i) {
        const std::size_t fileAt = b.EpochOffset(0) + 67 + static_cast<std::size_t>(i) * 66;
        const std::uint8_t* slot = s.Slot(i);
        EXPECT_EQ(std::memcmp(slot, file.data() + fileAt, 66), 0) << i;
        for (std::size_t j = 66; j < 97; ++j)
            EXPECT_EQ(slot[j], 0xAB) << "slot " << i << " byte " << j;
    }
    EXPECT_EQ(s.SatNumber(2), 0xAB) << "slots past the count are untouched";
    ASSERT_EQ(f.reader.ReadEpoch(1, e, s), 1);
    EXPECT_EQ(s.SatNumber(0), 11);
    EXPECT_EQ(s.SatNumber(1), 9) << "the previous epoch's second slot stays";
}

// One implausible epoch among good ones: it is skipped as one damaged stretch, and every good
// epoch around it is indexed at its own offset.
TEST(bfile_damage, an_implausible_epoch_is_skipped_and_the_reader_resynchronises) {
    struct Case {
        const char* what;
        void (*spoil)(BEpoch&);
    };
    const Case cases[] = {
        {"25 satellites", [](BEpoch& e) { e.satCount = 25; }},
        {"negative count", [](BEpoch& e) { e.satCount = -3; }},
        {"count one too high", [](BEpoch& e) { e.satCount = 3; }},
        {"satellite number 57", [](BEpoch& e) { e.satellites[0].number = 57; }},
        {"time beyond the week", [](BEpoch& e) { e.time = 700000.0; }},
        {"time not a number", [](BEpoch& e) { e.time = std::nan(""); }},
        {"time a day ahead", [](BEpoch& e) { e.time += 90000.0; }},
        {"time an hour behind", [](BEpoch& e) { e.time -= 3600.0; }},
        {"time 100 s ahead", [](BEpoch& e) { e.time += 100.0; }},
        {"control byte in the site", [](BEpoch& e) { e.site = "S\x01TE"; }},
    };
    for (const Case& c : cases) {
        BFileBuilder b;
        for (int i = 0; i < 6; ++i) {
            BEpoch e = EpochAt(5000.0 + 30.0 * i, {MakeSatellite(3, 1), MakeSatellite(9, 1)});
            if (i == 3) c.spoil(e);
            b.Add(e);
        }
        OpenedFile f(b.Bytes());
        ASSERT_EQ(f.result, 1) << c.what;
        ASSERT_EQ(f.reader.LastEpochIndex(), 4) << c.what;
        for (std::int32_t i = 0; i < 5; ++i)
            EXPECT_EQ(f.Offset(i), b.EpochOffset(static_cast<std::size_t>(i < 3 ? i : i + 1)))
                << c.what << " epoch " << i;
        EXPECT_EQ(f.reader.DamagedStretches(), 1) << c.what;
        EXPECT_EQ(f.reader.FirstDamageOffset(), static_cast<std::int64_t>(b.EpochOffset(3)))
            << c.what;
        EXPECT_EQ(f.LastTime(), 5150.0) << c.what;
        EXPECT_EQ(f.reader.CodeCount(0, 3), 5) << c.what;
    }
}

TEST(bfile_damage, padding_random_tails_and_a_damaged_start_are_counted) {
    const BFileBuilder good = EpochsAt({0.0, 1.0, 2.0, 3.0});
    std::mt19937 rng(5);
    std::string noise;
    for (int i = 0; i < 3000; ++i)
        noise += static_cast<char>(rng() & 0xFF);
    const std::string body = good.Bytes().substr(90);
    struct Case {
        const char* what;
        std::string bytes;
        std::int32_t epochs;
        std::int64_t firstDamage;
    };
    const Case cases[] = {
        {"zero padding", good.Bytes() + std::string(5000, '\0'), 4,
         static_cast<std::int64_t>(good.Bytes().size())},
        {"random tail", good.Bytes() + noise, 4, static_cast<std::int64_t>(good.Bytes().size())},
        {"random start", good.Bytes().substr(0, 90) + noise.substr(0, 500) + body, 4, 90},
        {"header only", good.Bytes().substr(0, 90), 0, -1},
        {"only noise", good.Bytes().substr(0, 90) + noise, 0, 90},
    };
    for (const Case& c : cases) {
        OpenedFile f(c.bytes);
        ASSERT_EQ(f.result, 1) << c.what;
        EXPECT_EQ(f.reader.LastEpochIndex() + 1, c.epochs) << c.what;
        EXPECT_EQ(f.reader.FirstDamageOffset(), c.firstDamage) << c.what;
        if (c.epochs > 0) {
            EXPECT_EQ(f.LastTime(), 3.0) << c.what;
        }
    }
}

TEST(bfile_index, truncated_epoch_or_block_ends_the_pass_as_damage) {
    BHeader h;
    h.blockCount = 2;
    const BFileBuilder b = EpochsAt({0.0, 1.0, 2.0}, h);
    const std::string all = b.Bytes();
    // Cut inside the third epoch record, inside its satellite prefix, and inside its block.
    for (std::size_t cut : {b.EpochOffset(2) + 30, b.EpochOffset(2) + 67 + 2,
                            b.EpochOffset(2) + 67 + 40, all.size() - 1}) {
        OpenedFile f(all.substr(0, cut));
        ASSERT_EQ(f.result, 1) << cut;
        EXPECT_EQ(f.error, 0) << cut;
        EXPECT_EQ(f.reader.LastEpochIndex(), 1) << cut;
        EXPECT_EQ(f.reader.DamagedStretches(), 1) << "a cut epoch is lost data: " << cut;
        EXPECT_EQ(f.reader.FirstDamageOffset(), static_cast<std::int64_t>(b.EpochOffset(2)));
        std::int32_t fw = 0, lw = 0;
        double ft = 0, lt = 0;
        f.reader.GetTimeSpan(fw, ft, lw, lt);
        EXPECT_EQ(lt, 1.0) << "the cut epoch is not the last one: " << cut;
        EpochRecord e;
        SatelliteSlots s;
        EXPECT_EQ(f.reader.ReadEpoch(1, e, s), 1);
        EXPECT_EQ(f.reader.ReadEpoch(2, e, s), 0);
    }
}

TEST(bfile_index, by_number_read_of_a_file_cut_after_indexing_returns_0) {
    const BFileBuilder b = EpochsAt({0.0, 1.0, 2.0});
    OpenedFile f(b.Bytes());
    ASSERT_EQ(f.reader.LastEpochIndex(), 2);
    std::filesystem::resize_file(f.path, b.EpochOffset(2) + 70);
    ASSERT_EQ(std::freopen(f.path.c_str(), "rb", f.bfile), f.bfile);
    EpochRecord e;
    SatelliteSlots s;
    EXPECT_EQ(f.reader.ReadEpoch(2, e, s), 0);
    EXPECT_EQ(f.reader.ReadEpoch(1, e, s), 1);
    EXPECT_EQ(e.Time(), 1.0);
}

TEST(bfile_index, random_bytes_after_a_valid_header_never_break_the_reader) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        BHeader h;
        h.blockCount = static_cast<std::int8_t>(1 + seed % 3);
        std::string bytes = BFileBuilder(h).Bytes();
        const std::size_t extra = 200 + rng() % 20000;
        for (std::size_t i = 0; i < extra; ++i)
            bytes += static_cast<char>(rng() & 0xFF);
        OpenedFile f(bytes);
        ASSERT_EQ(f.result, 1) << seed;
        const std::int32_t last = f.reader.LastEpochIndex();
        ASSERT_GE(last, -1);
        for (std::int32_t i = 0; i <= last; ++i) {
            EpochRecord e;
            SatelliteSlots s;
            ASSERT_EQ(f.reader.ReadEpoch(i, e, s), 1) << seed << " epoch " << i;
            EXPECT_TRUE(e.Time() >= 0.0 && e.Time() < 604800.0) << seed;
            EXPECT_LE(e.SatCount(), 24) << seed;
        }
        (void)f.reader.EpochInterval();
    }
}

// ---- statistics ---------------------------------------------------------------------------

TEST(bfile_statistics, interval_is_the_most_common_spacing) {
    OpenedFile f(EpochsAt({0.0, 30.0, 60.0, 120.0, 150.0, 180.0}).Bytes());
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.reader.EpochInterval(), 30.0f);
}

TEST(bfile_statistics, interval_tie_goes_to_the_spacing_seen_first) {
    {
        OpenedFile f(EpochsAt({0.0, 10.0, 30.0, 40.0, 60.0}).Bytes());
        EXPECT_EQ(f.reader.EpochInterval(), 10.0f);
    }
    {
        OpenedFile f(EpochsAt({0.0, 20.0, 30.0, 50.0, 60.0}).Bytes());
        EXPECT_EQ(f.reader.EpochInterval(), 20.0f);
    }
}

TEST(bfile_statistics, single_epoch_gives_interval_0) {
    OpenedFile f(EpochsAt({77.0}).Bytes());
    EXPECT_EQ(f.reader.EpochInterval(), 0.0f);
}

TEST(bfile_statistics, sub_second_spacing_late_in_the_week_spreads_in_single_precision) {
    // At 600000 s a float32 step is 0.0625 s: the times .0 .1 ... .9 round to multiples of it,
    // giving spacings of 0.125 (five times) and 0.0625 (four times).
    std::vector<double> times;
    for (int i = 0; i < 10; ++i)
        times.push_back(600000.0 + 0.1 * i);
    OpenedFile f(EpochsAt(times).Bytes());
    EXPECT_EQ(f.reader.EpochInterval(), 0.125f);
    // Early in the week the same spacing survives to within float precision.
    std::vector<double> early;
    for (int i = 0; i < 10; ++i)
        early.push_back(100.0 + 0.1 * i);
    OpenedFile g(EpochsAt(early).Bytes());
    EXPECT_NEAR(g.reader.EpochInterval(), 0.1f, 1e-5);
    // Whole seconds late in the week stay exact.
    OpenedFile h(EpochsAt({604797.0, 604798.0, 604799.0}).Bytes());
    EXPECT_EQ(h.reader.EpochInterval(), 1.0f);
}

TEST(bfile_statistics, interval_table_stops_taking_values_at_298) {
    // 300 different spacings (1, 2, 3, ... s) and then many repeats of a new one: the new one
    // is never looked at because the table is full.
    std::vector<double> times{0.0};
    for (int i = 1; i <= 300; ++i)
        times.push_back(times.back() + i);
    for (int i = 0; i < 50; ++i)
        times.push_back(times.back() + 0.5);
    OpenedFile f(EpochsAt(times).Bytes());
    EXPECT_EQ(f.reader.EpochInterval(), 1.0f) << "all counts 1: the earliest value wins";
}

TEST(bfile_statistics, mean_position_is_weighted_by_inverse_pdop_squared) {
    BFileBuilder b;
    BEpoch e1 = EpochAt(0.0, {}, 100);  // p = 1, weight 1
    e1.x = 10.0;
    e1.y = -4.0;
    e1.z = 1.0;
    BEpoch e2 = EpochAt(1.0, {}, 200);  // p = 2, weight 1/4
    e2.x = 20.0;
    e2.y = 6.0;
    e2.z = 1.0;
    BEpoch zero = EpochAt(2.0, {}, 0);
    zero.x = 5e7;
    BEpoch huge = EpochAt(3.0, {}, 10000);
    huge.x = 5e7;
    b.Add(e1).Add(zero).Add(e2).Add(huge);
    OpenedFile f(b.Bytes());
    ASSERT_EQ(f.result, 1);
    EXPECT_DOUBLE_EQ(f.reader.MeanX(), (10.0 + 20.0 / 4) / 1.25);
    EXPECT_DOUBLE_EQ(f.reader.MeanY(), (-4.0 + 6.0 / 4) / 1.25);
    EXPECT_DOUBLE_EQ(f.reader.MeanZ(), 1.0);
}

TEST(bfile_statistics, pdop_9999_counts_and_all_excluded_gives_origin) {
    {
        BFileBuilder b;
        BEpoch e = EpochAt(0.0, {}, 9999);
        e.x = 5.0;
        b.Add(e);
        OpenedFile f(b.Bytes());
        EXPECT_DOUBLE_EQ(f.reader.MeanX(), 5.0);
    }
    {
        BFileBuilder b;
        b.Add(EpochAt(0.0, {}, 0)).Add(EpochAt(1.0, {}, 10000)).Add(EpochAt(2.0, {}, 65535));
        OpenedFile f(b.Bytes());
        ASSERT_EQ(f.result, 1);
        EXPECT_EQ(f.reader.MeanX(), 0.0);
        EXPECT_EQ(f.reader.MeanY(), 0.0);
        EXPECT_EQ(f.reader.MeanZ(), 0.0);
    }
}

TEST(bfile_statistics, counts_follow_the_code_and_carrier_warning_bits) {
    BHeader h;
    h.blockCount = 3;
    BFileBuilder b(h);
    auto sat = [](std::uint8_t n, std::uint8_t w0, std::uint8_t w1, std::uint8_t w2) {
        BSatellite s = MakeSatellite(n, 3);
        s.blocks[0].warning = w0;
        s.blocks[1].warning = w1;
        s.blocks[2].warning = w2;
        return s;
    };
    // Bit 3 (0x08) spoils the code, bit 2 (0x04) the carrier; other bits do not matter.
    b.Add(EpochAt(0.0, {sat(1, 0x00, 0x04, 0x08), sat(33, 0x0C, 0xF3, 0x04), sat(0, 0, 0, 0)}));
    b.Add(EpochAt(1.0, {sat(1, 0x00, 0x00, 0x00)}));
    OpenedFile f(b.Bytes());
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.reader.CodeCount(0, 1), 2);
    EXPECT_EQ(f.reader.CarrierCount(0, 1), 2);
    EXPECT_EQ(f.reader.CodeCount(1, 1), 2);
    EXPECT_EQ(f.reader.CarrierCount(1, 1), 1);
    EXPECT_EQ(f.reader.CodeCount(2, 1), 1);
    EXPECT_EQ(f.reader.CarrierCount(2, 1), 2);
    EXPECT_EQ(f.reader.CodeCount(0, 33), 0);
    EXPECT_EQ(f.reader.CarrierCount(0, 33), 0);
    EXPECT_EQ(f.reader.CodeCount(1, 33), 1);
    EXPECT_EQ(f.reader.CarrierCount(1, 33), 1);
    EXPECT_EQ(f.reader.CodeCount(2, 33), 1);
    EXPECT_EQ(f.reader.CarrierCount(2, 33), 0);
    EXPECT_EQ(f.reader.CodeCount(0, 0), 1) << "empty channels count in entry 0";
    EXPECT_EQ(f.reader.CodeCount(0, 56), 0);
    EXPECT_EQ(f.reader.CodeCount(0, 57), 0) << "out of range reads as 0";
    EXPECT_EQ(f.reader.CodeCount(3, 1), 0);
}

TEST(bfile_statistics, blocks_beyond_n_are_not_counted) {
    BFileBuilder b;  // n = 1
    b.Add(EpochAt(0.0, {MakeSatellite(12, 1)}));
    OpenedFile f(b.Bytes());
    EXPECT_EQ(f.reader.CodeCount(0, 12), 1);
    EXPECT_EQ(f.reader.CodeCount(1, 12), 0);
    EXPECT_EQ(f.reader.CarrierCount(2, 12), 0);
}

TEST(bfile_statistics, nothing_is_gathered_without_the_flag) {
    OpenedFile f(EpochsAt({0.0, 30.0, 60.0}).Bytes(), true, false);
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.reader.LastEpochIndex(), 2);
    EXPECT_EQ(f.reader.EpochInterval(), 0.0f);
    EXPECT_EQ(f.reader.CodeCount(0, 5), 0);
    EXPECT_EQ(f.reader.MeanX(), 0.0);
    std::int32_t fw = 0, lw = 0;
    double ft = 0, lt = 0;
    f.reader.GetTimeSpan(fw, ft, lw, lt);
    EXPECT_EQ(lt, 60.0) << "the time span is kept without statistics";
}

TEST(bfile_statistics, reopening_clears_the_previous_file) {
    OpenedFile f(EpochsAt({0.0, 30.0, 60.0}).Bytes());
    ASSERT_EQ(f.reader.CodeCount(0, 5), 3);
    std::FILE* other = std::fopen(f.dir.File("empty.b").c_str(), "w+b");
    const std::string header = BFileBuilder().Bytes();
    std::fwrite(header.data(), 1, header.size(), other);
    ASSERT_EQ(f.reader.Open(other, true, true), 1);
    EXPECT_EQ(f.reader.CodeCount(0, 5), 0);
    EXPECT_EQ(f.reader.EpochInterval(), 0.0f);
    EXPECT_EQ(f.reader.LastEpochIndex(), -1);
    std::fclose(other);
}

}  // namespace
}  // namespace kelvrant

// Offsets are kept in four bytes each; those past 4 GiB (one or more steps of it at once)
// come back whole.
TEST(bfile_index, offsets_past_4_gib_come_back_whole) {
    constexpr std::int64_t kGiB4 = std::int64_t{1} << 32;
    const std::vector<std::int64_t> offsets = {90,
                                               4095,
                                               kGiB4 - 1,
                                               kGiB4,
                                               kGiB4 + 700,
                                               3 * kGiB4 + 5,
                                               3 * kGiB4 + 5,
                                               7 * kGiB4 - 1,
                                               7 * kGiB4 + 123456};
    kelvrant::OffsetList list;
    for (const std::int64_t o : offsets)
        list.Add(o);
    ASSERT_EQ(list.size(), offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i)
        EXPECT_EQ(list[i], offsets[i]) << i;
}
