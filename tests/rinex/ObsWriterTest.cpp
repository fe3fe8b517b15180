// The observation epoch records as converted and written: whole epoch records compared byte
// for byte, event records, clock-jump handling in both modes, and a printf reference of the
// fast path on many random epochs.
#include "rinex/ObsWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "ObsTestSupport.h"
#include "convert/EpochConverter.h"
#include "convert/ReceiverConventions.h"
#include "geo/GpsTime.h"
#include "rinex/ObsHeader.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::BlockValues;
using test::FirstDifference;
using test::Lines;
using test::MakeEpoch;
using test::SetBlock;
using test::SetSatellite;

SignalClass ClassOf(int receiverClass) {
    return receiverClass >= 1 && receiverClass <= 4 ? static_cast<SignalClass>(receiverClass)
                                                    : SignalClass::kOther;
}

// An observation file with its header written, and the converter of its epochs; Epochs() is
// what follows the header.
class Session {
  public:
    Session(char letter, int dataType, bool noDoppler, int receiverClass, int smoothing,
            int siteChanges, int clockAdjustment, std::int32_t week = 2300,
            double seconds = 345630.0)
        : writer_(out_.sink, out_.options), epoch_(std::make_unique<ObservationEpoch>()) {
        ObsHeaderRecord r;
        r.systemLetter = letter;
        SetObservationTypes(r, dataType, noDoppler);
        r.firstWeek = week;
        r.firstSeconds = seconds;
        writer_.WriteHeader(r);
        headerSize_ = out_.Text().size();
        ConvertOptions options;
        options.dataType = dataType;
        options.signalClass = ClassOf(receiverClass);
        options.smoothing = smoothing != 0;
        options.siteChanges = siteChanges != 0;
        options.clockAdjustment = clockAdjustment != 0;
        for (std::size_t o = 0; o < options.observables.size(); ++o)
            options.observables[o] = r.obsTypes[o] != 0;
        options.firstWeek = week;
        options.firstSeconds = seconds;
        converter_.emplace(options);
    }

    void Write(const EpochRecord& e, const SatelliteSlots& s) {
        converter_->Convert(e, s, *epoch_);
        writer_.WriteEpoch(*epoch_);
    }
    std::string Epochs() const { return out_.Text().substr(headerSize_); }

  private:
    test::TestOutput out_;
    ObsWriter writer_;
    std::optional<EpochConverter> converter_;
    std::unique_ptr<ObservationEpoch> epoch_;
    std::size_t headerSize_ = 0;
};

TEST(obs_epoch, thirteen_satellites_continue_on_a_second_line) {
    Session s('G', kDataL1, true, 1, 0, 0, 0);
    SatelliteSlots sats;
    for (int i = 0; i < 13; ++i) {
        SetSatellite(sats, i, i + 1);
        SetBlock(sats, i, 0, {.rawRange = 0.07, .snr = 100, .phase = 1000000.125});
    }
    s.Write(MakeEpoch("ROOF", 345630.0, 29979.2458, 13), sats);
    s.Write(MakeEpoch("ROOF", 345631.0, 29979.2458, 12), sats);
    const std::string obs = "   1000000.125 4  20985472.060";
    std::string expected =
        Lines({" 24  2  8  0  0 30.0000000  0 13  1  2  3  4  5  6  7  8  9 10 11 12 0.000100000",
               "                                 13"});
    for (int i = 0; i < 13; ++i)
        expected += obs + "\r\n";
    expected +=
        Lines({" 24  2  8  0  0 31.0000000  0 12  1  2  3  4  5  6  7  8  9 10 11 12 0.000100000"});
    for (int i = 0; i < 12; ++i)
        expected += obs + "\r\n";
    EXPECT_EQ(FirstDifference(expected, s.Epochs()), "");
}

TEST(obs_epoch, all_seven_observables_in_a_mixed_file) {
    Session s('M', kDataL1CP_L2P, false, 4, 1, 0, 0);
    SatelliteSlots sats;
    SetSatellite(sats, 0, 5);
    SetBlock(sats, 0, 0,
             {.rawRange = 0.0712345678,
              .smoothing = 1.25f,
              .warning = 0x40,
              .snr = 24,
              .doppler = -12345678,
              .phase = 123456789.125});
    SetBlock(sats, 0, 1,
             {.rawRange = 0.07123456,
              .smoothing = 0.5f,
              .warning = 0x20,
              .snr = 30,
              .doppler = 5,
              .phase = 7.0});
    SetBlock(sats, 0, 2,
             {.rawRange = 0.07123457,
              .smoothing = 0.75f,
              .warning = 0x60,
              .snr = 25,
              .doppler = 9876543,
              .phase = -96200000.5});
    SetSatellite(sats, 1, 40);  // GLONASS slot 8, every value zero
    SetSatellite(sats, 2, 0);   // empty channel: not listed
    SetSatellite(sats, 3, 57);  // beyond GLONASS: not listed
    s.Write(MakeEpoch("ROOF", 345630.0, 0.0, 4), sats);
    const std::string expected = Lines({
        " 24  2  8  0  0 30.0000000  0  2G05R08                               0.000000000",
        " 123456789.12514 -96200000.50055  21355584.925    21355583.3374   21355586.0855",
        "      1234.568        -987.654",
        "         0.000 1         0.000 1         0.000           0.000           0.000",
        // A zero Doppler times -0.0001 is negative zero, printed as printf prints it.
        "        -0.000          -0.000",
    });
    EXPECT_EQ(FirstDifference(expected, s.Epochs()), "");
}

TEST(obs_epoch, code_zeroed_when_flagged_or_below_a_tenth_millisecond) {
    Session s('G', kDataCdPhase, true, 1, 0, 0, 0);
    SatelliteSlots sats;
    const double ranges[] = {0.07, 3.00005, -1.07, 0.07};
    const std::uint8_t warnings[] = {0x08, 0, 0, 0xF7};
    for (int i = 0; i < 4; ++i) {
        SetSatellite(sats, i, i + 1);
        SetBlock(sats, i, 0, {.rawRange = ranges[i], .warning = warnings[i]});
    }
    s.Write(MakeEpoch("ROOF", 345630.0, 0.0, 4), sats);
    const std::string expected = Lines({
        " 24  2  8  0  0 30.0000000  0  4  1  2  3  4                         0.000000000",
        "         0.000",
        "         0.000",
        " -20985472.060",  // the fraction keeps the sign of the range
        "  20985472.060",
    });
    EXPECT_EQ(FirstDifference(expected, s.Epochs()), "");
}

TEST(obs_epoch, data_type_2_takes_l2_and_d2_from_block_1) {
    Session s('G', kDataL2C, false, 2, 0, 0, 0);
    SatelliteSlots sats;
    SetSatellite(sats, 0, 7);
    SetBlock(sats, 0, 0,
             {.rawRange = 0.07, .warning = 0x80, .snr = 10, .doppler = 10000, .phase = 100.5});
    SetBlock(sats, 0, 1, {.warning = 0x20, .snr = 49, .doppler = 20000, .phase = 200.25});
    SetBlock(sats, 0, 2, {.rawRange = 0.5, .snr = 99, .doppler = 99999, .phase = 999.0});
    s.Write(MakeEpoch("ROOF", 345630.0, 0.0, 1), sats);
    const std::string expected = Lines({
        " 24  2  8  0  0 30.0000000  0  1  7                                  0.000000000",
        "       100.50012       200.25049  20985472.060          -1.000          -2.000",
    });
    EXPECT_EQ(FirstDifference(expected, s.Epochs()), "");
}

TEST(obs_epoch, data_type_5_takes_p1_from_block_0) {
    Session s('G', kDataL1CP, true, 3, 0, 0, 0);
    SatelliteSlots sats;
    SetSatellite(sats, 0, 12);
    SetBlock(sats, 0, 0, {.rawRange = 0.07, .warning = 0x20, .snr = 56, .phase = -3.5});
    SetBlock(sats, 0, 1, {.rawRange = 0.5, .warning = 0x40, .phase = 11.0});
    s.Write(MakeEpoch("ROOF", 345630.0, 0.0, 1), sats);
    const std::string expected = Lines({
        " 24  2  8  0  0 30.0000000  0  1 12                                  0.000000000",
        "        -3.500 9  20985472.060    20985472.0604",
    });
    EXPECT_EQ(FirstDifference(expected, s.Epochs()), "");
}

TEST(obs_epoch, data_type_6_takes_l2_p2_d2_from_block_1) {
    Session s('G', kDataL1C_L2P, false, 1, 0, 0, 0);
    SatelliteSlots sats;
    SetSatellite(sats, 0, 32);
    SetBlock(sats, 0, 0, {.rawRange = 0.07, .snr = 60, .doppler = -10000, .phase = 1.0});
    SetBlock(sats, 0, 1,
             {.rawRange = 0.07, .warning = 0xA0, .snr = 210, .doppler = 30000, .phase = 2.0});
    SetBlock(sats, 0, 2, {.rawRange = 0.5, .doppler = 99999, .phase = 999.0});
    s.Write(MakeEpoch("ROOF", 345630.0, 0.0, 1), sats);
    const std::string expected = Lines({
        " 24  2  8  0  0 30.0000000  0  1 32                                  0.000000000",
        "         1.000 2         2.00059  20985472.060    20985472.0605          1.000",
        "        -3.000",
    });
    EXPECT_EQ(FirstDifference(expected, s.Epochs()), "");
}

SatelliteSlots OneSatellite(double range) {
    SatelliteSlots sats;
    SetSatellite(sats, 0, 1);
    SetBlock(sats, 0, 0, {.rawRange = range});
    return sats;
}

TEST(obs_epoch, site_changes_write_event_records) {
    Session s('G', kDataCdPhase, true, 1, 0, 1, 0);
    const SatelliteSlots sats = OneSatellite(0.07);
    s.Write(MakeEpoch("AAAA", 345630.0, 0.0, 1), sats);
    s.Write(MakeEpoch("????", 345660.0, 0.0, 1), sats);
    s.Write(MakeEpoch("????", 345690.0, 0.0, 1), sats);
    s.Write(MakeEpoch("AAAA", 345720.0, 0.0, 1), sats);
    const std::string expected = Lines({
        " 24  2  8  0  0 30.0000000  0  1  1                                  0.000000000",
        "  20985472.060",
        " 24  2  8  0  1  0.0000000  2",
        "                            4  1",
        "               ***  ANTENNA IS NOW MOVING  ***              COMMENT             ",
        " 24  2  8  0  1  0.0000000  0  1  1                                  0.000000000",
        "  20985472.060",
        " 24  2  8  0  1 30.0000000  0  1  1                                  0.000000000",
        "  20985472.060",
        " 24  2  8  0  2  0.0000000  3  2",
        "AAAA                                                        MARKER NAME         ",
        "          -->  THIS IS THE START OF A NEW SITE  <--         COMMENT             ",
        " 24  2  8  0  2  0.0000000  0  1  1                                  0.000000000",
        "  20985472.060",
    });
    EXPECT_EQ(FirstDifference(expected, s.Epochs()), "");
}

TEST(obs_epoch, moving_antenna_on_the_first_epoch) {
    Session s('G', kDataCdPhase, true, 1, 0, 1, 0);
    s.Write(MakeEpoch("????", 345630.0, 0.0, 1), OneSatellite(0.07));
    // Without satellites only the event records appear.
    s.Write(MakeEpoch("BBBB", 345660.0, 0.0, 0), OneSatellite(0.07));
    const std::string expected = Lines({
        " 24  2  8  0  0 30.0000000  2",
        "                            4  1",
        "               ***  ANTENNA IS NOW MOVING  ***              COMMENT             ",
        " 24  2  8  0  0 30.0000000  0  1  1                                  0.000000000",
        "  20985472.060",
        " 24  2  8  0  1  0.0000000  3  2",
        "BBBB                                                        MARKER NAME         ",
        "          -->  THIS IS THE START OF A NEW SITE  <--         COMMENT             ",
    });
    EXPECT_EQ(FirstDifference(expected, s.Epochs()), "");
}

TEST(obs_epoch, site_changes_ignored_without_the_flag) {
    Session s('G', kDataCdPhase, true, 1, 0, 0, 0);
    s.Write(MakeEpoch("????", 345630.0, 0.0, 1), OneSatellite(0.07));
    EXPECT_EQ(s.Epochs().find("MOVING"), std::string::npos);
}

// Nine 1-second epochs of one satellite with quality 24; from epoch `jumpAt` on the code
// ranges are 1 ms shorter (and the carrier too when `carrierJumps`), from epoch
// `clockJumpAt` on the receiver clock offset is 1 ms larger.
std::string JumpSession(int clockAdjustment, int jumpAt, bool carrierJumps = false,
                        int clockJumpAt = 99) {
    Session s('G', kDataL1, true, 1, 0, 0, clockAdjustment);
    for (int k = 0; k < 9; ++k) {
        const bool jumped = k >= jumpAt;
        double phase = 1000000.125 + 100.0 * k;
        if (jumped && carrierJumps) phase -= 1575420.0;
        SatelliteSlots sats;
        SetSatellite(sats, 0, 1);
        SetBlock(sats, 0, 0,
                 {.rawRange = 0.07 + 1e-7 * k - (jumped ? 0.001 : 0.0),
                  .quality = 24,
                  .snr = 100,
                  .phase = phase});
        const double clock = k >= clockJumpAt ? 0.001 * kSpeedOfLight : 0.0;
        s.Write(MakeEpoch("ROOF", 345630.0 + k, clock, 1), sats);
    }
    return s.Epochs();
}

const char* const kPlainEpochs[7] = {
    " 24  2  8  0  0 30.0000000  0  1  1                                  0.000000000",
    " 24  2  8  0  0 31.0000000  0  1  1                                  0.000000000",
    " 24  2  8  0  0 32.0000000  0  1  1                                  0.000000000",
    " 24  2  8  0  0 33.0000000  0  1  1                                  0.000000000",
    " 24  2  8  0  0 34.0000000  0  1  1                                  0.000000000",
    " 24  2  8  0  0 35.0000000  0  1  1                                  0.000000000",
    " 24  2  8  0  0 36.0000000  0  1  1                                  0.000000000",
};

std::string FirstSevenEpochs() {
    const char* const obs[7] = {"   1000000.125 4  20985472.060", "   1000100.125 4  20985502.039",
                                "   1000200.125 4  20985532.018", "   1000300.125 4  20985561.998",
                                "   1000400.125 4  20985591.977", "   1000500.125 4  20985621.956",
                                "   1000600.125 4  20985651.935"};
    std::string s;
    for (int k = 0; k < 7; ++k)
        s += Lines({kPlainEpochs[k], obs[k]});
    return s;
}

TEST(obs_epoch, code_jump_moves_time_clock_and_code_when_adjustment_is_off) {
    const std::string expected =
        FirstSevenEpochs() +
        Lines({" 24  2  8  0  0 37.0010000  0  1  1                                  0.001000000",
               "   1000700.125 4  20985681.915",
               " 24  2  8  0  0 38.0010000  0  1  1                                  0.001000000",
               "   1000800.125 4  20985711.894"});
    EXPECT_EQ(FirstDifference(expected, JumpSession(0, 7)), "");
}

TEST(obs_epoch, code_jump_moves_carrier_and_clock_jump_is_removed_when_adjustment_is_on) {
    // Epoch 7: code jump, carrier phases moved by 1 ms of L1 cycles. Epoch 8: a jump of the
    // clock offset alone, taken out of the printed offset.
    const std::string expected =
        FirstSevenEpochs() +
        Lines({" 24  2  8  0  0 37.0000000  0  1  1                                  0.000000000",
               "   -574719.875 4  20685889.457",
               " 24  2  8  0  0 38.0000000  0  1  1                                  0.000000000",
               "   -574619.875 4  20685919.436"});
    EXPECT_EQ(FirstDifference(expected, JumpSession(1, 7, false, 8)), "");
}

TEST(obs_epoch, clock_jump_stays_in_the_offset_when_adjustment_is_off) {
    const std::string text = JumpSession(0, 99, false, 8);
    EXPECT_NE(text.find(" 24  2  8  0  0 38.0000000  0  1  1                                  "
                        "0.001000000\r\n"),
              std::string::npos)
        << text;
}

TEST(obs_epoch, no_detection_within_the_first_six_epochs) {
    // The jump between epochs 4 and 5 is never compared: nothing is adjusted.
    const std::string text = JumpSession(0, 5);
    EXPECT_EQ(text.find("0010000"), std::string::npos) << text;
    EXPECT_NE(text.find(" 24  2  8  0  0 38.0000000"), std::string::npos);
}

TEST(obs_epoch, code_and_carrier_jumping_together_disable_adjustments) {
    const std::string text = JumpSession(0, 7, true);
    EXPECT_EQ(text.find("0010000"), std::string::npos) << text;
    EXPECT_NE(text.find(" 24  2  8  0  0 37.0000000"), std::string::npos);
    EXPECT_NE(text.find("   -574719.875 4  20685889.457"), std::string::npos) << text;
}

TEST(obs_epoch, jump_at_week_end_dates_the_epoch_in_the_next_week) {
    Session s('G', kDataL1, true, 1, 0, 0, 0, 2300, 604792.9995);
    for (int k = 0; k < 8; ++k) {
        SatelliteSlots sats;
        SetSatellite(sats, 0, 1);
        SetBlock(
            sats, 0, 0,
            {.rawRange = 0.07 + 1e-7 * k - (k >= 7 ? 0.001 : 0.0), .quality = 24, .phase = 5.0});
        s.Write(MakeEpoch("ROOF", 604792.9995 + k, 0.0, 1), sats);
    }
    const std::string text = s.Epochs();
    EXPECT_NE(text.find("\r\n 24  2 10 23 59 58.9995000  0  1  1"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n 24  2 11  0  0  0.0005000  0  1  1"), std::string::npos) << text;
}

TEST(obs_epoch, week_rolls_over_with_the_epoch_times) {
    Session s('G', kDataCdPhase, true, 1, 0, 0, 0, 2300, 604770.0);
    s.Write(MakeEpoch("ROOF", 604770.0, 0.0, 1), OneSatellite(0.07));
    s.Write(MakeEpoch("ROOF", 30.0, 0.0, 1), OneSatellite(0.07));
    const std::string text = s.Epochs();
    EXPECT_NE(text.find(" 24  2 10 23 59 30.0000000"), std::string::npos) << text;
    EXPECT_NE(text.find(" 24  2 11  0  0 30.0000000"), std::string::npos) << text;
}

// ---- printf reference of the epoch and observation lines --------------------------------

[[gnu::format(printf, 2, 3)]] void Append(std::string& s, const char* format, ...) {
    char buf[2048];
    std::va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    s.append(buf, static_cast<std::size_t>(n));
}

void DataLine(std::string& out, std::string line) {
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    out += line + "\r\n";
}

struct RefConfig {
    char letter;
    int dataType;
    bool noDoppler;
    int receiverClass;
    int smoothing;
    int clockAdjustment;
};

std::string ReferenceEpoch(const RefConfig& c, std::int32_t week, const EpochRecord& e,
                           const SatelliteSlots& s) {
    std::string out;
    const int held = e.SatellitesHeld();
    const double clock = e.ClockOffset() / 299792458.0;
    const CalendarTime t = GpsToCalendar(week, e.Time() + 1e-9);
    int listed = 0;
    for (int i = 0; i < held; ++i)
        listed += s.SatNumber(i) >= 1 && s.SatNumber(i) <= 56 ? 1 : 0;
    if (listed == 0) return out;
    std::string line;
    Append(line, " %02ld%3ld%3ld%3ld%3ld%11.7lf  0", static_cast<long>(TwoDigitYear(t.year)),
           static_cast<long>(t.month), static_cast<long>(t.day), static_cast<long>(t.hour),
           static_cast<long>(t.minute), t.seconds);
    Append(line, " %2d", listed);
    int pending = 0;
    bool first = true;
    for (int i = 0; i < held; ++i) {
        const int n = s.SatNumber(i);
        if (n < 1 || n > 56) continue;
        if (n <= 32) {
            if (c.letter == 'G')
                Append(line, "%c%2d", ' ', n);
            else
                Append(line, "%c%2.2d", 'G', n);
        } else {
            Append(line, "%c%2.2d", 'R', n - 32);
        }
        if (++pending == 12) {
            line.resize(std::max<std::size_t>(line.size(), 68), ' ');
            if (first) Append(line, "%12.9lf", clock);
            DataLine(out, line);
            first = false;
            pending = 0;
            line.assign(32, ' ');
        }
    }
    if (pending > 0) {
        line.resize(std::max<std::size_t>(line.size(), 68), ' ');
        if (first) Append(line, "%12.9lf", clock);
        DataLine(out, line);
    }
    ObsHeaderRecord types;
    SetObservationTypes(types, c.dataType, c.noDoppler);
    const int d = c.dataType;
    auto lli1 = [](int w) { return (w & 0xC0) != 0 ? '1' : ' '; };
    auto lli2 = [](int w) {
        char x = ' ';
        if ((w & 0x20) != 0) x = '4';
        if ((w & 0xC0) != 0) x = x == '4' ? '5' : '1';
        return x;
    };
    auto code = [&](const ObsBlockView& b) {
        double x = std::fmod(b.RawRange(), 1.0);
        if (std::fabs(x) < 0.0001 || (b.Warning() & 0x08) != 0) return 0.0;
        x = x * 299792458.0;
        if (c.smoothing != 0) x = x - b.Smoothing();
        return x;
    };
    for (int i = 0; i < held; ++i) {
        const int n = s.SatNumber(i);
        if (n < 1 || n > 56) continue;
        std::string text;
        for (int type = kObsL1; type <= kObsD2; ++type) {
            if (types.obsTypes[static_cast<std::size_t>(type)] == 0) continue;
            int k = 0;
            if (type == kObsL2) k = d == 3 ? 2 : 1;
            if (type == kObsP1) k = d == 5 ? 0 : 1;
            if (type == kObsP2) k = d == 6 ? 1 : 2;
            if (type == kObsD2) k = d == 2 || d == 6 ? 1 : 2;
            const ObsBlockView b = s.Block(i, k);
            const int digit = SignalStrengthDigit(ClassOf(c.receiverClass), b.Snr());
            switch (type) {
                case kObsL1:
                    Append(text, "%14.3lf%c%1d", b.Phase(), lli1(b.Warning()), digit);
                    break;
                case kObsL2:
                    Append(text, "%14.3lf%c%1d", b.Phase(), lli2(b.Warning()), digit);
                    break;
                case kObsC1:
                    Append(text, "%14.3lf  ", code(b));
                    break;
                case kObsP1:
                case kObsP2:
                    Append(text, "%14.3lf%c ", code(b), lli2(b.Warning()));
                    break;
                default:
                    Append(text, "%14.3lf  ", b.Doppler() * -0.0001);
                    break;
            }
            if (text.size() > 70) {
                DataLine(out, text);
                text.clear();
            }
        }
        if (!text.empty()) DataLine(out, text);
    }
    return out;
}

double RandomValue(std::mt19937_64& rng) {
    switch (rng() % 8) {
        case 0:
            return std::bit_cast<double>(rng());  // anything, NaN and huge included
        case 1:
            return 0.0;
        case 2:
            return static_cast<double>(static_cast<std::int64_t>(rng() % 2000000000)) / 4096.0;
        default:
            return std::ldexp(static_cast<double>(static_cast<std::int64_t>(rng())) / 9.3e18,
                              static_cast<int>(rng() % 40));
    }
}

TEST(obs_epoch, fast_path_matches_printf_reference_on_random_epochs) {
    std::mt19937_64 rng(42);
    for (int run = 0; run < 40; ++run) {
        const RefConfig c{
            rng() % 2 == 0 ? 'G' : 'M',  static_cast<int>(rng() % 8), rng() % 2 == 0,
            static_cast<int>(rng() % 5), static_cast<int>(rng() % 2), static_cast<int>(rng() % 2)};
        Session s(c.letter, c.dataType, c.noDoppler, c.receiverClass, c.smoothing, 0,
                  c.clockAdjustment, 2300, 0.0);
        std::string expected;
        double time = 0.0;
        for (int epoch = 0; epoch < 50; ++epoch) {
            time += static_cast<double>(rng() % 1000000) / 1000.0;
            const int count = static_cast<int>(rng() % 27);
            const double clock =
                rng() % 4 == 0 ? RandomValue(rng) : 0.001 * static_cast<double>(rng() % 1000);
            const EpochRecord e = MakeEpoch("SITE", time, clock, count);
            SatelliteSlots sats;
            for (int i = 0; i < 24; ++i) {
                SetSatellite(sats, i, static_cast<int>(rng() % 60));
                for (int k = 0; k < 3; ++k) {
                    SetBlock(sats, i, k,
                             {.rawRange = RandomValue(rng),
                              .smoothing =
                                  static_cast<float>(static_cast<std::int32_t>(rng())) / 1024.0f,
                              .warning = static_cast<std::uint8_t>(rng()),
                              .quality = 0,
                              .snr = static_cast<std::uint8_t>(rng()),
                              .doppler = static_cast<std::int32_t>(rng()),
                              .phase = RandomValue(rng)});
                }
            }
            s.Write(e, sats);
            expected += ReferenceEpoch(c, 2300, e, sats);
        }
        const std::string diff = FirstDifference(expected, s.Epochs());
        ASSERT_EQ(diff, "") << "run " << run;
    }
}

}  // namespace
}  // namespace kelvrant
