// Test-side session reading (see SessionEpochs.h).
#include "qc/SessionEpochs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

#include "ashtech/BFileReader.h"
#include "ashtech/EFileReader.h"
#include "convert/EpochConverter.h"
#include "rinex/ObsHeader.h"

namespace kelvrant::test {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

Truth ParseTruth(const std::string& text) {
    Truth t;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string key;
        ls >> key;
        if (key == "slip") {
            int epoch = 0;
            TruthSlip s;
            ls >> epoch >> s.sow >> s.sat;
            t.slips.push_back(s);
        } else if (key == "gap") {
            int first = 0, last = 0;
            TruthGap g;
            ls >> first >> last >> g.sow >> g.length;
            t.gaps.push_back(g);
        } else if (key == "multipath") {
            std::string sat;
            double amplitude = 0.0;
            ls >> sat >> amplitude;
            t.multipath[sat] = amplitude;
        } else if (key == "sky") {
            double sow = 0.0;
            std::string sat;
            TruthSky s;
            ls >> sow >> sat >> s.az >> s.el;
            t.sky[{std::lround(sow), sat}] = s;
        } else if (key == "clock_jump") {
            ++t.clockJumps;
        }
    }
    return t;
}

qc::QcSummary CheckSession(const std::string& bFile, const std::string& eFile, qc::QcSetup setup) {
    File b(std::fopen(bFile.c_str(), "rb"));
    File e(std::fopen(eFile.c_str(), "rb"));
    EXPECT_TRUE(b && e) << bFile;
    if (!b || !e) return {};
    BFileReader reader;
    EXPECT_EQ(reader.Open(b.get(), true, true), 1);
    EFileReader nav;
    EXPECT_EQ(nav.Open(e.get()), 1);

    setup.dataPosition = {reader.MeanX(), reader.MeanY(), reader.MeanZ()};
    if (setup.interval == 0.0) setup.interval = reader.EpochInterval();
    qc::QualityCheck check(setup);
    AshNavRecord record;
    while (nav.NextRecord(record) != 0)
        check.AddNavigation(record);

    // The epochs a run gives the check: the converter's, with the smoothed code and the
    // observables the default settings write.
    ObsHeaderRecord header;
    SetObservationTypes(header, reader.Header().DataType(), false);
    ConvertOptions options;
    options.dataType = reader.Header().DataType();
    options.signalClass = SignalClassOf(reader.Header().ReceiverType());
    options.smoothing = true;
    for (int o = 0; o < kObservableCount; ++o)
        options.observables[static_cast<std::size_t>(o)] =
            header.obsTypes[static_cast<std::size_t>(o)] != 0;
    std::int32_t lastWeek = 0;
    double lastSeconds = 0.0;
    reader.GetTimeSpan(options.firstWeek, options.firstSeconds, lastWeek, lastSeconds);
    EpochConverter converter(options);
    EpochRecord epoch;
    auto slots = std::make_unique<SatelliteSlots>();
    auto converted = std::make_unique<ObservationEpoch>();
    for (std::int32_t i = 0; i <= reader.LastEpochIndex(); ++i) {
        if (reader.ReadEpoch(i, epoch, *slots) == 0) continue;
        converter.Convert(epoch, *slots, *converted);
        check.AddEpoch(*converted);
    }
    return check.Finish();
}

}  // namespace kelvrant::test
