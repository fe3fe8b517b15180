// Test-side session reading (see SessionEpochs.h).
#include "qc/SessionEpochs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "ashtech/BFileReader.h"
#include "ashtech/EFileReader.h"

namespace kelvrant::test {
namespace {

constexpr double kC = 299792458.0;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

double Code(const ObsBlockView& b) {
    const double x = std::fmod(b.RawRange(), 1.0);
    if (std::fabs(x) < 0.0001 || (b.Warning() & 0x08) != 0) return 0.0;
    return x * kC - b.Smoothing();
}

Observation Phase(const ObsBlockView& b) {
    Observation o;
    o.value = b.Phase();
    o.lossOfLock = (b.Warning() & 0xC0) != 0 ? 1 : 0;
    o.rawSnr = b.Snr();
    return o;
}

}  // namespace

qc::QcSummary CheckSession(const std::string& bFile, const std::string& eFile, qc::QcSetup setup) {
    File b(std::fopen(bFile.c_str(), "rb"));
    File e(std::fopen(eFile.c_str(), "rb"));
    File index(std::tmpfile());
    EXPECT_TRUE(b && e && index) << bFile;
    if (!b || !e || !index) return {};
    BFileReader reader;
    EXPECT_EQ(reader.Open(b.get(), true, index.get(), true), 1);
    EFileReader nav;
    EXPECT_EQ(nav.Open(e.get()), 1);

    setup.dataPosition = {reader.MeanX(), reader.MeanY(), reader.MeanZ()};
    if (setup.interval == 0.0) setup.interval = reader.EpochInterval();
    qc::QualityCheck check(setup);
    AshNavRecord record;
    while (nav.NextRecord(record) != 0)
        check.AddNavigation(record);

    const int d = reader.Header().DataType();
    const int l2Block = d == 3 ? 2 : 1;
    const int p1Block = d == 5 ? 0 : 1;
    const int p2Block = d == 6 ? 1 : 2;
    const bool hasL1 = d != 4, hasL2 = d == 2 || d == 3 || d == 6;
    const bool hasP1 = d == 3 || d == 5, hasP2 = d == 3 || d == 6;
    const int blocks = reader.Header().BlockCount();

    std::int32_t week = reader.Header().Week();
    double previous = -1.0;
    double accumulatedJump = 0.0;  // seconds taken out of code and clock so far
    double previousCode = 0.0, previousPhase = 0.0;
    int previousSat = -1;
    EpochRecord epoch;
    auto slots = std::make_unique<SatelliteSlots>();
    auto out = std::make_unique<ObservationEpoch>();
    for (std::int32_t i = 0; i <= reader.LastEpochIndex(); ++i) {
        if (reader.ReadEpoch(i, epoch, *slots) == 0) continue;
        const double t = epoch.Time();
        if (previous >= 0.0 && t < previous - 302400.0) ++week;
        previous = t;
        *out = ObservationEpoch{};
        out->week = week;
        out->secondsOfWeek = t;
        // A millisecond jump shows as code moving against carrier by a whole millisecond of
        // light travel on the first satellite of the previous epoch still tracked.
        for (int s = 0; s < epoch.SatellitesHeld(); ++s) {
            if (slots->SatNumber(s) != previousSat || previousSat < 0) continue;
            const ObsBlockView b0 = slots->Block(s, 0);
            const double r = (std::fmod(b0.RawRange(), 1.0) * kC - previousCode) -
                             (b0.Phase() - previousPhase) * kC / 1575.42e6;
            const double ms = std::round(r / (kC * 1e-3));
            if (ms != 0.0 && std::fabs(r - ms * kC * 1e-3) < 1000.0) {
                accumulatedJump += ms * 1e-3;
                out->clockJump = ms * 1e-3;
            }
            break;
        }
        out->clockOffset = epoch.ClockOffset() / kC - accumulatedJump;
        previousSat = -1;
        int n = 0;
        for (int s = 0; s < epoch.SatellitesHeld(); ++s) {
            const int number = slots->SatNumber(s);
            if (number < 1 || number > 56) continue;
            SatelliteObservations& so = out->satellites[static_cast<std::size_t>(n++)];
            so.satellite =
                number <= 32
                    ? SatelliteId{GnssSystem::kGps, static_cast<std::uint8_t>(number)}
                    : SatelliteId{GnssSystem::kGlonass, static_cast<std::uint8_t>(number - 32)};
            const ObsBlockView b0 = slots->Block(s, 0);
            if (previousSat < 0 && number <= 32 && d != 4) {
                previousSat = number;
                previousCode = std::fmod(b0.RawRange(), 1.0) * kC;
                previousPhase = b0.Phase();
            }
            auto code = [&](const ObsBlockView& block) {
                const double v = Code(block);
                return v != 0.0 ? v - accumulatedJump * kC : 0.0;
            };
            if (hasL1) so[Observable::kL1] = Phase(b0);
            so[Observable::kC1].value = code(b0);
            so[Observable::kC1].rawSnr = b0.Snr();
            if (hasL2 && l2Block < blocks) so[Observable::kL2] = Phase(slots->Block(s, l2Block));
            if (hasP1 && p1Block < blocks)
                so[Observable::kP1].value = code(slots->Block(s, p1Block));
            if (hasP2 && p2Block < blocks) {
                so[Observable::kP2].value = code(slots->Block(s, p2Block));
                so[Observable::kP2].rawSnr = slots->Block(s, p2Block).Snr();
            }
        }
        out->count = n;
        check.AddEpoch(*out);
    }
    return check.Finish();
}

}  // namespace kelvrant::test
