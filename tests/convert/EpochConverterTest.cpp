// The receiver conventions of the epoch converter: the receiver model table, the observation
// block of each observable per data type, loss-of-lock and signal strength mapping, code and
// Doppler scaling, event detection, and the millisecond clock-jump detectors.
#include "convert/EpochConverter.h"

#include <gtest/gtest.h>

#include <memory>

#include "convert/ClockJumps.h"
#include "convert/ReceiverConventions.h"
#include "convert/ReceiverModels.h"
#include "rinex/ObsTestSupport.h"

namespace kelvrant {
namespace {

using test::MakeEpoch;
using test::SetBlock;
using test::SetSatellite;

TEST(receiver_models, matched_ignoring_case) {
    struct Case {
        const char* text;
        bool glonass;
        SignalClass signalClass;
    };
    const Case cases[] = {
        {"G12", false, SignalClass::kG12},        {"g12", false, SignalClass::kG12},
        {"UZ-12", false, SignalClass::kUz12},     {"uz-12", false, SignalClass::kUz12},
        {"Z18", true, SignalClass::kGpsGlonass},  {"GG24", true, SignalClass::kGpsGlonass},
        {"gg24", true, SignalClass::kGpsGlonass}, {"Gg-XxIv", true, SignalClass::kGpsGlonass},
        {"G12 ", false, SignalClass::kOther},     {"XZ18-B", false, SignalClass::kOther},
        {"", false, SignalClass::kOther},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TracksGlonass(c.text), c.glonass) << c.text;
        EXPECT_EQ(SignalClassOf(c.text), c.signalClass) << c.text;
    }
}

TEST(receiver_models, signal_strength_digits_at_the_class_boundaries) {
    struct Case {
        SignalClass c;
        int snr, digit;
    };
    constexpr SignalClass o = SignalClass::kOther, g = SignalClass::kG12, u = SignalClass::kUz12,
                          m = SignalClass::kGpsGlonass;
    const Case cases[] = {
        {o, 0, 1},   {o, 59, 1},  {o, 60, 2},  {o, 79, 2},  {o, 80, 3},  {o, 99, 3},  {o, 100, 4},
        {o, 119, 4}, {o, 120, 5}, {o, 149, 5}, {o, 150, 6}, {o, 169, 6}, {o, 170, 7}, {o, 189, 7},
        {o, 190, 8}, {o, 209, 8}, {o, 210, 9}, {o, 255, 9}, {g, 0, 1},   {g, 9, 1},   {g, 10, 2},
        {g, 14, 2},  {g, 15, 3},  {g, 19, 3},  {g, 20, 4},  {g, 24, 4},  {g, 25, 5},  {g, 30, 5},
        {g, 31, 6},  {g, 36, 6},  {g, 37, 7},  {g, 42, 7},  {g, 43, 8},  {g, 48, 8},  {g, 49, 9},
        {g, 100, 9}, {g, 255, 9}, {m, 24, 4},  {m, 25, 5},  {m, 100, 9}, {u, 0, 1},   {u, 29, 1},
        {u, 30, 2},  {u, 32, 2},  {u, 33, 3},  {u, 35, 3},  {u, 36, 4},  {u, 38, 4},  {u, 39, 5},
        {u, 44, 5},  {u, 45, 6},  {u, 47, 6},  {u, 48, 7},  {u, 51, 7},  {u, 52, 8},  {u, 55, 8},
        {u, 56, 9},  {u, 255, 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SignalStrengthDigit(c.c, c.snr), c.digit)
            << "class " << static_cast<int>(c.c) << " snr " << c.snr;
}

TEST(epoch_converter, observation_block_of_each_observable_per_data_type) {
    //                     L1 L2 C1 P1 P2 D1 D2
    const int blocks[7][7] = {{0, 1, 0, 1, 2, 0, 2},   // any other code
                              {0, 1, 0, 1, 2, 0, 2},   // 1 L1
                              {0, 1, 0, 1, 2, 0, 1},   // 2 L2C
                              {0, 2, 0, 1, 2, 0, 2},   // 3 L1CP_L2P
                              {0, 1, 0, 1, 2, 0, 2},   // 4 CDPHASE
                              {0, 1, 0, 0, 2, 0, 2},   // 5 L1CP: P1 beside C1
                              {0, 1, 0, 1, 1, 0, 1}};  // 6 L1C_L2P
    for (int d = 0; d <= 6; ++d)
        for (int o = 0; o < kObservableCount; ++o)
            EXPECT_EQ(ObservationBlock(d, static_cast<Observable>(o)), blocks[d][o])
                << "data type " << d << " observable " << o;
}

// One epoch of one satellite with every observable, converted by a fresh converter.
ObservationEpoch ConvertOne(const ConvertOptions& options, int satellite, std::uint8_t warning,
                            std::uint8_t snr) {
    SatelliteSlots sats;
    SetSatellite(sats, 0, satellite);
    for (int k = 0; k < 3; ++k)
        SetBlock(sats, 0, k,
                 {.rawRange = 2.07,
                  .smoothing = 1.5f,
                  .warning = warning,
                  .snr = snr,
                  .doppler = -12345,
                  .phase = 1000.25});
    EpochConverter converter(options);
    auto out = std::make_unique<ObservationEpoch>();
    converter.Convert(MakeEpoch("SITE", 345630.0, 0.0, 1), sats, *out);
    return *out;
}

ConvertOptions AllObservables() {
    ConvertOptions options;
    options.dataType = kDataL1CP_L2P;
    options.signalClass = SignalClass::kG12;
    options.observables.fill(true);
    options.firstWeek = 2300;
    options.firstSeconds = 345630.0;
    return options;
}

TEST(epoch_converter, loss_of_lock_bits_per_observable) {
    struct Case {
        std::uint8_t warning;
        std::uint8_t l1, l2, p;  // loss-of-lock bits of L1, of L2 and of P1/P2
    };
    const Case cases[] = {{0x00, 0, 0, 0}, {0x40, 1, 1, 1}, {0x80, 1, 1, 1},
                          {0x20, 0, 4, 4}, {0x60, 1, 5, 5}, {0x1C, 0, 0, 0}};
    for (const Case& c : cases) {
        const ObservationEpoch e = ConvertOne(AllObservables(), 7, c.warning, 30);
        ASSERT_EQ(e.count, 1);
        const SatelliteObservations& s = e.satellites[0];
        EXPECT_EQ(s[Observable::kL1].lossOfLock, c.l1) << int{c.warning};
        EXPECT_EQ(s[Observable::kL2].lossOfLock, c.l2) << int{c.warning};
        EXPECT_EQ(s[Observable::kP1].lossOfLock, c.p) << int{c.warning};
        EXPECT_EQ(s[Observable::kP2].lossOfLock, c.p) << int{c.warning};
        EXPECT_EQ(s[Observable::kC1].lossOfLock, 0);
        EXPECT_EQ(s[Observable::kD1].lossOfLock, 0);
        // Signal strength only on the carriers.
        EXPECT_EQ(s[Observable::kL1].strength, 5);
        EXPECT_EQ(s[Observable::kL2].strength, 5);
        EXPECT_EQ(s[Observable::kC1].strength, 0);
        EXPECT_EQ(s[Observable::kD2].strength, 0);
    }
}

TEST(epoch_converter, units_of_code_and_doppler) {
    ConvertOptions options = AllObservables();
    ObservationEpoch e = ConvertOne(options, 40, 0, 30);
    ASSERT_EQ(e.count, 1);
    EXPECT_EQ(e.satellites[0].satellite, (SatelliteId{GnssSystem::kGlonass, 8}));
    // Only the fractional second of the raw range counts.
    EXPECT_NEAR(e.satellites[0][Observable::kC1].value, 0.07 * kSpeedOfLight, 1e-6);
    EXPECT_DOUBLE_EQ(e.satellites[0][Observable::kD1].value, 1.2345);
    EXPECT_EQ(e.satellites[0][Observable::kL1].value, 1000.25);
    options.smoothing = true;
    e = ConvertOne(options, 40, 0, 30);
    EXPECT_NEAR(e.satellites[0][Observable::kP2].value, 0.07 * kSpeedOfLight - 1.5, 1e-6);
    // Code flagged not good is no measurement; the carrier is kept.
    e = ConvertOne(options, 40, warning::kCodeNotGood, 30);
    EXPECT_EQ(e.satellites[0][Observable::kC1].value, 0.0);
    EXPECT_EQ(e.satellites[0][Observable::kL1].value, 1000.25);
}

TEST(epoch_converter, empty_channels_and_numbers_beyond_glonass_are_not_listed) {
    SatelliteSlots sats;
    const int numbers[] = {0, 1, 32, 33, 56, 57};
    for (int i = 0; i < 6; ++i)
        SetSatellite(sats, i, numbers[i]);
    EpochConverter converter(AllObservables());
    auto e = std::make_unique<ObservationEpoch>();
    converter.Convert(MakeEpoch("SITE", 345630.0, 0.0, 6), sats, *e);
    ASSERT_EQ(e->count, 4);
    EXPECT_EQ(e->satellites[0].satellite, (SatelliteId{GnssSystem::kGps, 1}));
    EXPECT_EQ(e->satellites[1].satellite, (SatelliteId{GnssSystem::kGps, 32}));
    EXPECT_EQ(e->satellites[2].satellite, (SatelliteId{GnssSystem::kGlonass, 1}));
    EXPECT_EQ(e->satellites[3].satellite, (SatelliteId{GnssSystem::kGlonass, 24}));
}

TEST(epoch_converter, events_on_site_name_changes) {
    ConvertOptions options = AllObservables();
    options.siteChanges = true;
    EpochConverter converter(options);
    const char* sites[] = {"AAAA", "????", "????", "AAAA", "BBBB"};
    const EpochEvent events[] = {EpochEvent::kNone, EpochEvent::kAntennaMoving, EpochEvent::kNone,
                                 EpochEvent::kNewSite, EpochEvent::kNewSite};
    auto e = std::make_unique<ObservationEpoch>();
    for (int k = 0; k < 5; ++k) {
        converter.Convert(MakeEpoch(sites[k], 345630.0 + k, 0.0, 0), SatelliteSlots{}, *e);
        EXPECT_EQ(e->event, events[k]) << k;
    }
    EXPECT_EQ(std::string(e->siteName.data(), 4), "BBBB");
    // A moving antenna is announced even on the first epoch.
    EpochConverter first(options);
    first.Convert(MakeEpoch("????", 345630.0, 0.0, 0), SatelliteSlots{}, *e);
    EXPECT_EQ(e->event, EpochEvent::kAntennaMoving);
}

TEST(clock_jumps, detectors_compare_with_the_previous_epoch) {
    SatelliteSlots before;
    SetSatellite(before, 0, 3);
    SetBlock(before, 0, 0, {.rawRange = 0.07, .phase = 5000000.0});
    const EpochRecord previous = MakeEpoch("ROOF", 345630.0, 0.0, 1);
    // A clock offset 2 ms larger one second later; three milliseconds are beyond what the
    // receiver jumps.
    EXPECT_DOUBLE_EQ(
        ClockOffsetJump(previous, MakeEpoch("ROOF", 345631.0, 0.002 * kSpeedOfLight, 1)), 0.002);
    EXPECT_EQ(ClockOffsetJump(previous, MakeEpoch("ROOF", 345631.0, 0.003 * kSpeedOfLight, 1)),
              0.0);
    SatelliteSlots later;
    SetSatellite(later, 0, 3);
    SetBlock(later, 0, 0, {.rawRange = 0.071, .phase = 5000000.0 + 1575420.0});
    const EpochRecord next = MakeEpoch("ROOF", 345631.0, 0.0, 1);
    const PreviousEpoch p{previous, before};
    EXPECT_DOUBLE_EQ(CodeJump(p, next, later), -0.001);
    EXPECT_DOUBLE_EQ(CarrierJump(p, next, later), -0.001);
    // A flagged block is not compared.
    SetBlock(
        later, 0, 0,
        {.rawRange = 0.071, .warning = warning::kCarrierNotGood, .phase = 5000000.0 + 1575420.0});
    EXPECT_EQ(CodeJump(p, next, later), 0.0);
    EXPECT_EQ(CarrierJump(p, next, later), 0.0);
}

}  // namespace
}  // namespace kelvrant
