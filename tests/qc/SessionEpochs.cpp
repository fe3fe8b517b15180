// Test-side session reading (see SessionEpochs.h).
#include "qc/SessionEpochs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "ashtech/BFileReader.h"
#include "ashtech/EFileReader.h"
#include "run/QualityCheckRun.h"

namespace kelvrant::test {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

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

    // The same feed a run gives the check, with the smoothed code the default settings write.
    QcEpochFeed feed(reader.Header(), reader.Header().Week(), true);
    EpochRecord epoch;
    auto slots = std::make_unique<SatelliteSlots>();
    for (std::int32_t i = 0; i <= reader.LastEpochIndex(); ++i)
        if (reader.ReadEpoch(i, epoch, *slots) != 0) feed.Add(check, epoch, *slots);
    return check.Finish();
}

}  // namespace kelvrant::test
