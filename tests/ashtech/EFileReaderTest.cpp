#include "ashtech/EFileReader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ashtech/ByteOrder.h"

namespace kelvrant {
namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
using RecordBytes = std::array<std::uint8_t, 129>;

// A GPS record with a plausible orbit; `marker` goes into IODE to tell records apart.
RecordBytes Gps(int prn, std::int16_t week, std::int32_t seconds, std::int32_t marker = 0,
                double sqrtA = 5153.6) {
    RecordBytes r{};
    r[0] = static_cast<std::uint8_t>(prn);
    le::PutI2(&r[1], week);
    le::PutI4(&r[3], seconds);
    le::PutI4(&r[31], marker);
    le::PutR8(&r[55], sqrtA);
    return r;
}

// A GLONASS record; `marker` goes into tk.
RecordBytes Glonass(int slot, std::uint16_t week, std::uint32_t seconds, std::int32_t marker = 0) {
    RecordBytes r{};
    r[0] = static_cast<std::uint8_t>(slot + 32);
    le::PutU2(&r[1], week);
    le::PutU4(&r[3], seconds);
    le::PutI4(&r[11], marker);
    return r;
}

// The bytes as a file opened for binary reading.
FilePtr FileOf(const std::vector<RecordBytes>& records, std::size_t strayBytes = 0) {
    FilePtr file(std::tmpfile(), &std::fclose);
    for (const RecordBytes& r : records)
        std::fwrite(r.data(), 1, r.size(), file.get());
    for (std::size_t i = 0; i < strayBytes; ++i)
        std::fputc(0x41, file.get());
    std::rewind(file.get());
    return file;
}

struct Handed {
    int satellite;
    std::int32_t marker;
};

// Every record handed out, with its marker.
std::vector<Handed> HandOut(EFileReader& reader) {
    std::vector<Handed> out;
    AshNavRecord r;
    while (reader.NextRecord(r) == 1)
        out.push_back({r.satellite, r.IsGps() ? r.Iode() : r.Tk()});
    return out;
}

std::vector<int> Satellites(const std::vector<Handed>& handed) {
    std::vector<int> out;
    for (const Handed& h : handed)
        out.push_back(h.satellite);
    return out;
}

std::vector<std::int32_t> Markers(const std::vector<Handed>& handed) {
    std::vector<std::int32_t> out;
    for (const Handed& h : handed)
        out.push_back(h.marker);
    return out;
}

TEST(nav_reader, zero_length_file) {
    FilePtr file = FileOf({});
    EFileReader reader;
    EXPECT_EQ(reader.StartWeek, 0);
    ASSERT_EQ(reader.Open(file.get()), 1);
    EXPECT_EQ(reader.Count(), 0);
    EXPECT_EQ(reader.StartWeek, -1);
    EXPECT_EQ(reader.EndWeek, -1);
    EXPECT_EQ(reader.StartSeconds, -1.0);
    EXPECT_EQ(reader.EndSeconds, -1.0);
    AshNavRecord r;
    EXPECT_EQ(reader.NextRecord(r), 0);
}

TEST(nav_reader, stray_bytes_after_the_last_record) {
    FilePtr file = FileOf({Gps(1, 1200, 0, 11), Gps(2, 1200, 0, 22)}, 50);
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    EXPECT_EQ(std::ftell(file.get()), 0);
    EXPECT_EQ(Markers(HandOut(reader)), (std::vector<std::int32_t>{11, 22}));
}

TEST(nav_reader, sqrt_a_plausibility) {
    RecordBytes zero{};
    zero[0] = 9;
    RecordBytes nan = Gps(10, 1200, 0, 10, std::numeric_limits<double>::quiet_NaN());
    RecordBytes glonassZero{};
    glonassZero[0] = 40;
    FilePtr file =
        FileOf({Gps(1, 1200, 0, 1, 5652.0), Gps(2, 1200, 0, 2, 5652.5), Gps(3, 1200, 0, 3, 4652.0),
                Gps(4, 1200, 0, 4, 4651.9), zero, nan, glonassZero});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    EXPECT_EQ(Satellites(HandOut(reader)), (std::vector<int>{40, 1, 3}));
}

TEST(nav_reader, repeats_handed_out_once_from_first_position) {
    FilePtr file =
        FileOf({Gps(5, 1200, 3600, 1), Glonass(7, 1200, 3600, 101), Gps(5, 1200, 3600, 2),
                Glonass(7, 1200, 3600, 102), Gps(5, 1200, 3600, 3), Glonass(7, 1200, 3600, 103),
                Gps(5, 1200, 3601, 4), Gps(5, 1201, 3600, 5), Gps(6, 1200, 3600, 6)});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    const std::vector<Handed> handed = HandOut(reader);
    EXPECT_EQ(Satellites(handed), (std::vector<int>{5, 6, 39, 5, 5}));
    EXPECT_EQ(Markers(handed), (std::vector<std::int32_t>{1, 6, 101, 4, 5}));
}

TEST(nav_reader, sort_by_time_then_satellite) {
    FilePtr file =
        FileOf({Gps(7, 1200, 3600), Gps(3, 1200, 0), Glonass(5, 1200, 0), Gps(12, 1200, 0)});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    EXPECT_EQ(Satellites(HandOut(reader)), (std::vector<int>{3, 12, 37, 7}));
}

TEST(nav_reader, week_boundary) {
    FilePtr file = FileOf({Gps(1, 1201, 10, 1), Gps(2, 1200, 604000, 2)});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    EXPECT_EQ(reader.StartWeek, 1200);
    EXPECT_EQ(reader.StartSeconds, 604000.0);
    EXPECT_EQ(reader.EndWeek, 1201);
    EXPECT_EQ(reader.EndSeconds, 10.0);
    EXPECT_EQ(Markers(HandOut(reader)), (std::vector<std::int32_t>{2, 1}));
}

TEST(nav_reader, equal_times_keep_file_order) {
    // The same instant twice for one satellite (end of one week, start of the next).
    FilePtr file = FileOf({Gps(4, 1201, 0, 1), Gps(4, 1200, 604800, 2), Gps(4, 1201, 0, 3)});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    EXPECT_EQ(Markers(HandOut(reader)), (std::vector<std::int32_t>{1, 2}));
}

TEST(nav_reader, start_from_first_gps_end_from_last_entry) {
    FilePtr file = FileOf({Glonass(3, 1200, 100), Gps(9, 1200, 7200), Glonass(4, 1200, 9000)});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    EXPECT_EQ(reader.StartSeconds, 7200.0);
    EXPECT_EQ(reader.EndSeconds, 9000.0);

    FilePtr glonassOnly = FileOf({Glonass(3, 1300, 5000), Glonass(4, 1299, 600000)});
    ASSERT_EQ(reader.Open(glonassOnly.get()), 1);
    EXPECT_EQ(reader.StartWeek, 1299);
    EXPECT_EQ(reader.StartSeconds, 600000.0);
    EXPECT_EQ(reader.EndWeek, 1300);
    EXPECT_EQ(Satellites(HandOut(reader)), (std::vector<int>{36, 35}));
}

TEST(nav_reader, week_fields_extended_by_kind) {
    FilePtr file = FileOf({Gps(1, -1, 0), Glonass(1, 0xFFFF, 0)});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    ASSERT_EQ(reader.Count(), 2);
    EXPECT_EQ(reader.Index()[0].week, -1);
    EXPECT_EQ(reader.Index()[1].week, 65535);
}

TEST(nav_reader, filtered_record_does_not_shift_offsets) {
    FilePtr file = FileOf({Gps(1, 1200, 0, 1), Gps(2, 1200, 10, 2, 0.0), Gps(3, 1200, 20, 3),
                           Glonass(4, 1200, 30, 4)});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    const std::vector<Handed> handed = HandOut(reader);
    EXPECT_EQ(Satellites(handed), (std::vector<int>{1, 3, 36}));
    EXPECT_EQ(Markers(handed), (std::vector<std::int32_t>{1, 3, 4}));
    EXPECT_EQ(reader.Index()[1].offset, 2 * 129);
    EXPECT_EQ(reader.Index()[2].offset, 3 * 129);
}

TEST(nav_reader, gps_angles_in_radians) {
    RecordBytes gps = Gps(1, 1200, 0);
    le::PutR8(&gps[39], 0.5);      // M0
    le::PutR4(&gps[35], 0.25f);    // delta n
    le::PutR8(&gps[91], -1.0);     // Omega0
    le::PutR8(&gps[99], 0.125);    // omega
    le::PutR8(&gps[107], 0.3);     // i0
    le::PutR4(&gps[115], -2e-9f);  // Omega dot
    le::PutR4(&gps[119], 1e-10f);  // IDOT
    le::PutR8(&gps[47], 0.5);      // eccentricity is no angle
    RecordBytes glonass = Glonass(2, 1200, 0);
    le::PutR8(&glonass[39], 0.5);
    FilePtr file = FileOf({gps, glonass});
    EFileReader reader;
    ASSERT_EQ(reader.Open(file.get()), 1);
    AshNavRecord r;
    ASSERT_EQ(reader.NextRecord(r), 1);
    const double pi = 3.141592653589793;
    EXPECT_EQ(r.M0(), 1.5707963267948966);
    EXPECT_EQ(r.DeltaN(), static_cast<float>(0.25 * pi));
    EXPECT_EQ(r.Omega0(), -pi);
    EXPECT_EQ(r.Omega(), 0.125 * pi);
    EXPECT_EQ(r.I0(), 0.3 * pi);
    EXPECT_EQ(r.OmegaDot(), static_cast<float>(static_cast<double>(-2e-9f) * pi));
    EXPECT_EQ(r.Idot(), static_cast<float>(static_cast<double>(1e-10f) * pi));
    EXPECT_EQ(r.Ecc(), 0.5);
    EXPECT_EQ(r.SqrtA(), 5153.6);
    ASSERT_EQ(reader.NextRecord(r), 1);
    EXPECT_EQ(r.satellite, 34);
    EXPECT_EQ(r.PosX(), 0.5);
    EXPECT_EQ(reader.NextRecord(r), 0);
}

TEST(nav_reader, more_records_than_the_count_holds_are_refused) {
    std::vector<RecordBytes> records;
    for (int i = 0; i < EFileReader::kMaxRecords; ++i)
        records.push_back(Gps(1 + i % 32, 1200, i));
    FilePtr full = FileOf(records);
    EFileReader reader;
    ASSERT_EQ(reader.Open(full.get()), 1);
    EXPECT_EQ(reader.Count(), EFileReader::kMaxRecords);
    // Repeats and dropped records do not count.
    records.push_back(Gps(1, 1200, 0));
    records.push_back(Gps(1, 1200, 1, 0, 0.0));
    FilePtr filtered = FileOf(records);
    ASSERT_EQ(reader.Open(filtered.get()), 1);
    records.push_back(Gps(1, 1300, 0));
    FilePtr tooMany = FileOf(records);
    EXPECT_EQ(reader.Open(tooMany.get()), 0);
    AshNavRecord r;
    EXPECT_EQ(reader.NextRecord(r), 0);
}

}  // namespace
}  // namespace kelvrant
