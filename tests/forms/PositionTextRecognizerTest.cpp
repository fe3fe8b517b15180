#include "forms/PositionTextRecognizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "geo/Geodetic.h"

namespace kelvrant {
namespace {

struct Xyz {
    double x = 0, y = 0, z = 0;
};

Xyz FromGeodetic(double lat, double lon, double h) {
    Xyz p;
    ConvertGeodetic(1, kWgs84A, kWgs84F, lat, lon, h, p.x, p.y, p.z);
    return p;
}

void ExpectGeodetic(std::string_view text, PasteCase kind, double lat, double lon, double h) {
    SCOPED_TRACE(std::string(text));
    const PasteResult r = SpecialPastePosition(text);
    ASSERT_EQ(r.kind, kind);
    EXPECT_NEAR(r.latitude, lat, 1e-10);
    EXPECT_NEAR(r.eastLongitude, lon, 1e-10);
    EXPECT_DOUBLE_EQ(r.height, h);
    const Xyz p = FromGeodetic(r.latitude, r.eastLongitude, r.height);
    EXPECT_EQ(r.x, p.x);
    EXPECT_EQ(r.y, p.y);
    EXPECT_EQ(r.z, p.z);
}

void ExpectCartesian(std::string_view text, double x, double y, double z) {
    SCOPED_TRACE(std::string(text));
    const PasteResult r = SpecialPastePosition(text);
    ASSERT_EQ(r.kind, PasteCase::kCartesian);
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.z, z);
}

PasteCase KindOf(std::string_view text) {
    return SpecialPastePosition(text).kind;
}

// ---- the recognizer on labelled texts ----

TEST(special_paste, labels_before_or_after_the_numbers) {
    ExpectGeodetic("N 45.123 E 7.5 H 420", PasteCase::kLatEastHeight, 45.123, 7.5, 420);
    ExpectGeodetic("45.123N 7.5E 420H", PasteCase::kLatEastHeight, 45.123, 7.5, 420);
    ExpectGeodetic("n 45.123 e 7.5 h 420", PasteCase::kLatEastHeight, 45.123, 7.5, 420);
    ExpectGeodetic("NEH 45.123 7.5 420", PasteCase::kLatEastHeight, 45.123, 7.5, 420);
    ExpectGeodetic("Lat: N 45.123\tLon: E 7.5\r\nH 420", PasteCase::kLatEastHeight, 45.123, 7.5,
                   420);
    ExpectGeodetic("NORTH 45.123 EAST 7.5 HEIGHT 420", PasteCase::kLatEastHeight, 45.123, 7.5, 420);
    ExpectGeodetic("45.123 north 7.5 east 420 elliptical", PasteCase::kLatEastHeight, 45.123, 7.5,
                   420);
    ExpectGeodetic("N -33.25 E 151.5 H -12.5", PasteCase::kLatEastHeight, -33.25, 151.5, -12.5);
}

TEST(special_paste, south_keeps_the_sign_of_its_number) {
    ExpectGeodetic("S 45.5 E 7 H 1", PasteCase::kLatEastHeight, 45.5, 7, 1);
    ExpectGeodetic("S -45.5 E 7 H 1", PasteCase::kLatEastHeight, -45.5, 7, 1);
}

TEST(special_paste, west_longitude) {
    ExpectGeodetic("N 45 W 75.5 H 10", PasteCase::kLatWestHeight, 45, 284.5, 10);
    ExpectGeodetic("N 45 W -75.5 H 10", PasteCase::kLatWestHeight, 45, 75.5, 10);
    ExpectGeodetic("N 45 WEST 75.5 H 10", PasteCase::kLatWestHeight, 45, 284.5, 10);
}

TEST(special_paste, labels_in_one_gap_are_taken_west_before_east) {
    ExpectGeodetic("N 45 W E 75.5 H 10", PasteCase::kLatWestHeight, 45, 284.5, 10);
    ExpectGeodetic("N 45 E W 75.5 H 10", PasteCase::kLatWestHeight, 45, 284.5, 10);
}

TEST(special_paste, degrees_minutes_seconds) {
    const double lat = 45.0 + 30.0 / 60.0 + 15.5 / 3600.0;
    const double lon = 7.0 + 10.0 / 60.0;
    ExpectGeodetic("ND 45 NM 30 NS 15.5 ED 7 EM 10 ES 0 H 100", PasteCase::kLatEastDmsHeight, lat,
                   lon, 100);
    const PasteResult r = SpecialPastePosition("ND 45 NM 30 NS 15.5 ED 7 EM 10 ES 0 H 100");
    EXPECT_NEAR(r.latitude, 45.5043055556, 5e-11);
    EXPECT_NEAR(r.eastLongitude, 7.1666666667, 5e-11);
    ExpectGeodetic(
        "NORTH DEGREE 45 NORTH MINUTE 30 NORTH SECOND 15.5 EAST DEGREE 7 EAST MINUTE 10 EAST "
        "SECOND 0 HEIGHT 100",
        PasteCase::kLatEastDmsHeight, lat, lon, 100);
    // Three unlabelled numbers after a latitude or longitude label are its D, M, S.
    ExpectGeodetic("N 45 30 15.5 E 7 10 0 H 100", PasteCase::kLatEastDmsHeight, lat, lon, 100);
    ExpectGeodetic("N 45 30 15.5 W 7 10 0 H 100", PasteCase::kLatWestDmsHeight, lat, 360 - lon,
                   100);
    ExpectGeodetic("ND -45 NM 30 NS 15.5 WD -7 WM 10 WS 0 H 100", PasteCase::kLatWestDmsHeight,
                   -lat, lon, 100);
    // Degrees are truncated to integers; "-0" still carries the sign.
    ExpectGeodetic("ND -0 NM 30 NS 0 ED 7.9 EM 10 ES 0 H 1", PasteCase::kLatEastDmsHeight, -0.5,
                   lon, 1);
}

TEST(special_paste, left_over_number_is_the_height_after_full_dms_labels) {
    const double lat = 45.0 + 30.0 / 60.0 + 15.5 / 3600.0;
    const double lon = 7.0 + 10.0 / 60.0;
    ExpectGeodetic("ND 45 NM 30 NS 15.5 ED 7 EM 10 ES 0 100", PasteCase::kLatEastDmsHeight, lat,
                   lon, 100);
    ExpectGeodetic("N 45 30 15.5 E 7 10 0 100", PasteCase::kLatEastDmsHeight, lat, lon, 100);
    // Several left over: the last gives the height.
    ExpectGeodetic("ND 45 NM 30 NS 15.5 ED 7 EM 10 ES 0 POINT 17 100", PasteCase::kLatEastDmsHeight,
                   lat, lon, 100);
}

TEST(special_paste, cartesian) {
    ExpectCartesian("X -2700000.123 Y 4300000.456 Z 3850000.789", -2700000.123, 4300000.456,
                    3850000.789);
    ExpectCartesian("XYZ -2700000.123 4300000.456 3850000.789", -2700000.123, 4300000.456,
                    3850000.789);
    ExpectCartesian("-2700000.123X 4300000.456Y 3850000.789Z", -2700000.123, 4300000.456,
                    3850000.789);
    // Without labels each number keeps all of X, Y and Z.
    EXPECT_EQ(KindOf("-2700000.123 4300000.456 3850000.789"), PasteCase::kNotRecognized);
    // X, Y, Z win over a geodetic position in the same text.
    ExpectCartesian("N 45 E 7 H 10 X 4510000.1 Y 600000.2 Z 4500000.3", 4510000.1, 600000.2,
                    4500000.3);
}

TEST(special_paste, covariance_and_rate_columns_take_no_role) {
    ExpectCartesian(
        "X 4510000.1000 COV 0.0004\r\nY 600000.2000 COV 0.0009\r\nZ 4500000.3000 COV 0.0016",
        4510000.1, 600000.2, 4500000.3);
    // Right after an X keyword, and "DOT" inside a word.
    ExpectCartesian("X DOT 0.25 4510000.1 Y XDOT 0.5 600000.2 Z 4500000.3", 4510000.1, 600000.2,
                    4500000.3);
    ExpectCartesian("X COVXX 0.25 4510000.1 Y 600000.2 Z 4500000.3", 4510000.1, 600000.2,
                    4500000.3);
    PositionTextRecognizer paste;
    ASSERT_TRUE(paste.ReadClipboard("X DOT 0.25 4510000.1 Y 600000.2 Z 4500000.3"));
    ASSERT_EQ(paste.Numbers().size(), 4u);
    EXPECT_TRUE(paste.Numbers()[0].excluded);
    EXPECT_FALSE(paste.Numbers()[1].excluded);
    // The same column without COV is taken as the X value.
    EXPECT_EQ(SpecialPastePosition("X 0.25 4510000.1 Y 600000.2 Z 4500000.3").x, 0.25);
    // Only excluded numbers: read, but nothing recognized.
    EXPECT_TRUE(paste.ReadClipboard("COV 5"));
    EXPECT_EQ(paste.Result().kind, PasteCase::kNotRecognized);
}

TEST(special_paste, brackets_are_ignored) {
    ExpectGeodetic("[SITE 12] N 45 E 7 H 10", PasteCase::kLatEastHeight, 45, 7, 10);
    ExpectGeodetic("[N 1 E 2 H 3] N 45 E 7 H 10", PasteCase::kLatEastHeight, 45, 7, 10);
    ExpectGeodetic("N 45 [x] E 7 [1][2] H 10", PasteCase::kLatEastHeight, 45, 7, 10);
    PositionTextRecognizer paste;
    ASSERT_TRUE(
        paste.ReadClipboard("a[b]c"
                            " 1"));
    EXPECT_EQ(paste.PreparedText(), "A   C 1");
    EXPECT_FALSE(paste.ReadClipboard("[12]"));
    // An opening bracket without a closing one is no span.
    ASSERT_TRUE(paste.ReadClipboard("[12"));
    EXPECT_EQ(paste.Numbers().size(), 1u);
}

TEST(special_paste, word_labels_near_the_end_of_the_text) {
    // The last five characters (six for NORTH) need only the first letter.
    ExpectGeodetic("420 H 45.123 N 7.5 EA", PasteCase::kLatEastHeight, 45.123, 7.5, 420);
    ExpectGeodetic("420 H 45.123 N 7.5 EAX", PasteCase::kLatEastHeight, 45.123, 7.5, 420);
    EXPECT_EQ(KindOf("420 H 45.123 N 7.5 EAXY"), PasteCase::kNotRecognized);
    ExpectGeodetic("420 H 7.5 E 45.123 NOR", PasteCase::kLatEastHeight, 45.123, 7.5, 420);
    // A degree/minute/second label is no NORTH word.
    EXPECT_EQ(KindOf("H 420 E 7.5 45.123 ND"), PasteCase::kNotRecognized);
}

TEST(special_paste, failures) {
    EXPECT_EQ(KindOf("N 45.123 E 7.5"), PasteCase::kNotRecognized);  // no height
    EXPECT_EQ(KindOf("45.123 7.5 420"), PasteCase::kNotRecognized);
    EXPECT_EQ(KindOf(""), PasteCase::kNoUsableText);
    EXPECT_EQ(KindOf("North East Height"), PasteCase::kNoUsableText);
    EXPECT_EQ(KindOf(". - -. .-"), PasteCase::kNoUsableText);

    std::string text = "N 45 E 7 H 10";
    text.resize(255, ' ');
    EXPECT_EQ(KindOf(text), PasteCase::kLatEastHeight);
    text += ' ';
    EXPECT_EQ(KindOf(text), PasteCase::kNoUsableText);
}

TEST(special_paste, parse_position_leaves_outputs_alone_on_failure) {
    PositionTextRecognizer paste;
    double x = 1, y = 2, z = 3;
    EXPECT_FALSE(paste.ParsePosition("N 45.123 E 7.5", x, y, z));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(z, 3);
    EXPECT_TRUE(paste.ParsePosition("X 1.5 Y 2.5 Z 6400000", x, y, z));
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(z, 6400000);
    // Every read starts afresh: nothing of the previous text survives.
    EXPECT_FALSE(paste.ParsePosition("Y 1 Z 2", x, y, z));
    EXPECT_FALSE(paste.ReadClipboard("no digits"));
    EXPECT_TRUE(paste.Numbers().empty());
    EXPECT_EQ(paste.Result().kind, PasteCase::kNoUsableText);
}

TEST(special_paste, number_splitting) {
    PositionTextRecognizer paste;
    ASSERT_TRUE(paste.ReadClipboard("a-1.5.25-.5x--7 12. 3e5"));
    std::vector<std::string> texts;
    for (const PasteNumber& n : paste.Numbers())
        texts.push_back(n.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"-1.5", ".25", "-.5", "-7", "12.", "3", "5"}));
    EXPECT_EQ(paste.Numbers()[0].position, 1);
    EXPECT_DOUBLE_EQ(paste.Numbers()[2].value, -0.5);
    EXPECT_TRUE(paste.Numbers()[3].plainInteger);
    EXPECT_FALSE(paste.Numbers()[4].plainInteger);
}

// ---- hostile input ----

TEST(special_paste, hostile_texts_never_crash) {
    EXPECT_EQ(KindOf(std::string(100000, '7')), PasteCase::kNoUsableText);
    EXPECT_EQ(KindOf(std::string(100000, 'N')), PasteCase::kNoUsableText);

    PositionTextRecognizer paste;
    // As many numbers as 255 characters hold.
    std::string ones;
    while (ones.size() + 2 <= 255)
        ones += "1 ";
    ASSERT_TRUE(paste.ReadClipboard(ones));
    EXPECT_EQ(paste.Numbers().size(), 127u);
    EXPECT_FALSE(paste.Result().Recognized());

    ASSERT_TRUE(paste.ReadClipboard(std::string(255, '9')));
    EXPECT_EQ(paste.Numbers().size(), 1u);
    EXPECT_TRUE(std::isfinite(paste.Numbers()[0].value));

    // Absurd values forced into degree and minute slots must not overflow.
    const std::string big(40, '9');
    const std::string dms = "ND " + big + " NM " + big + " NS 1 ED " + big + " EM -" + big +
                            " ES 1 WD -" + big + " H 1";
    paste.ReadClipboard(dms);
    if (paste.Result().Recognized()) {
        EXPECT_TRUE(std::isfinite(paste.Result().x));
    }

    // Embedded NULs, control and high bytes.
    const std::string binary("N\0 45\xff E \x01\x7f 7 H \x80 10", 20);
    EXPECT_EQ(KindOf(binary), PasteCase::kLatEastHeight);

    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    for (int i = 0; i < 2000; ++i) {
        std::string t(static_cast<std::size_t>(length(rng)), '\0');
        for (char& c : t)
            c = static_cast<char>(byte(rng));
        const PasteResult r = SpecialPastePosition(t);
        if (r.Recognized()) {
            EXPECT_TRUE(std::isfinite(r.x) && std::isfinite(r.y));
        }
    }
    // Texts built from the recognizer's own vocabulary.
    const std::vector<std::string> pieces = {
        " N ",  " S ",       " E ",     " W ",  " H ",  " NEH ", " XYZ ", " X ",  " Y ",    " Z ",
        " ND ", " NM ",      " NS ",    " ED ", " EM ", " ES ",  " WD ",  " WM ", " WS ",   "NORTH",
        "EAST", "WEST",      " COV ",   "DOT",  "[",    "]",     "-",     ".",    "45.5",   "-7",
        "420",  "4510000.1", "-600000", "0",    "59.9", ":",     "/",     "\r\n", "HEIGHT", "1e5"};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 40);
    for (int i = 0; i < 5000; ++i) {
        std::string t;
        for (int n = count(rng); n > 0; --n)
            t += pieces[pick(rng)];
        const PasteResult r = SpecialPastePosition(t);
        if (r.Recognized()) {
            EXPECT_TRUE(std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z)) << t;
        }
    }
}

// ---- the copy text ----

TEST(special_copy, picture_formats) {
    EXPECT_EQ(FormatPicture(0.5, "###0.0000000000"), "0.5000000000");
    EXPECT_EQ(FormatPicture(12345.678, "###0.0000000000"), "12345.6780000000");
    EXPECT_EQ(FormatPicture(-7.25, "###0.0000000000"), "-7.2500000000");
    EXPECT_EQ(FormatPicture(-1e-12, "###0.0000000000"), "0.0000000000");
    EXPECT_EQ(FormatPicture(-0.0, "#########0.0000"), "0.0000");
    EXPECT_EQ(FormatPicture(-2700000.1236, "#########0.0000"), "-2700000.1236");
    EXPECT_EQ(FormatPicture(1234567890123.0, "#########0.0000"), "1234567890123.0000");
    EXPECT_EQ(FormatPicture(0.5, "#.00"), ".50");
    EXPECT_EQ(FormatPicture(5, "00.0"), "05.0");
    EXPECT_EQ(FormatPicture(1.5, "0.0#"), "1.5");
    EXPECT_EQ(FormatPicture(1.25, "0.0#"), "1.25");
    EXPECT_EQ(FormatPicture(2.0, "0.##"), "2");
    EXPECT_EQ(FormatPicture(2.6, "#"), "3");
}

TEST(special_copy, exact_texts) {
    EXPECT_EQ(PositionTextRecognizer::CopyPositionText(0, 0, 0),
              " N 0.0000000000 E 0.0000000000 H 0.0000000000\r\n"
              " X 6378137.0000 Y 0.0000 Z 0.0000\r\n");
    EXPECT_EQ(PositionTextRecognizer::CopyPositionText(6378137, 0, 0),
              " N 0.0000000000 E 0.0000000000 H 0.0000000000\r\n"
              " X 6378137.0000 Y 0.0000 Z 0.0000\r\n");
    EXPECT_EQ(PositionTextRecognizer::CopyPositionText(0, 6378237, 0),
              " N 0.0000000000 E 90.0000000000 H 100.0000000000\r\n"
              " X 0.0000 Y 6378237.0000 Z 0.0000\r\n");
    EXPECT_EQ(PositionTextRecognizer::CopyPositionText(0, -6378137.5, 0),
              " N 0.0000000000 E 270.0000000000 H 0.5000000000\r\n"
              " X 0.0000 Y -6378137.5000 Z 0.0000\r\n");
}

void ExpectRoundTrip(double x, double y, double z, const Xyz& expected) {
    const std::string text = PositionTextRecognizer::CopyPositionText(x, y, z);
    SCOPED_TRACE(text);
    ASSERT_LE(text.size(), PositionTextRecognizer::kMaxTextLength);
    const PasteResult r = SpecialPastePosition(text);
    ASSERT_EQ(r.kind, PasteCase::kCartesian);
    EXPECT_NEAR(r.x, expected.x, 1e-4);
    EXPECT_NEAR(r.y, expected.y, 1e-4);
    EXPECT_NEAR(r.z, expected.z, 1e-4);
    // The geodetic line alone gives the same place.
    const PasteResult g = SpecialPastePosition(text.substr(0, text.find('\n') + 1));
    ASSERT_EQ(g.kind, PasteCase::kLatEastHeight);
    EXPECT_NEAR(g.x, expected.x, 1e-4);
    EXPECT_NEAR(g.y, expected.y, 1e-4);
    EXPECT_NEAR(g.z, expected.z, 1e-4);
}

TEST(special_copy, pastes_back_to_the_same_position) {
    for (const double lat : {-90.0, -89.9999, -45.5, -0.5, -1e-7, 0.0, 0.3, 45.123, 89.99, 90.0}) {
        for (const double lon : {0.0, 0.0001, 7.5, 90.0, 179.9, 180.0, 270.5, 359.9999}) {
            for (const double h : {-5000.0, 0.0, 420.123, 8848.86}) {
                SCOPED_TRACE(testing::Message() << lat << " " << lon << " " << h);
                const Xyz p = FromGeodetic(lat, lon, h);
                // Given as X, Y, Z.
                ExpectRoundTrip(p.x, p.y, p.z, p);
                // Given as latitude, longitude, height.
                ExpectRoundTrip(lat, lon, h, p);
            }
        }
    }
    // West longitudes given as negative east longitudes.
    for (const double lon : {-75.5, -0.25, -179.9}) {
        const Xyz p = FromGeodetic(-33.5, lon, 12.0);
        ExpectRoundTrip(-33.5, lon, 12.0, p);
        ExpectRoundTrip(p.x, p.y, p.z, p);
    }
}

}  // namespace
}  // namespace kelvrant
