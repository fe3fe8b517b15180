// The conversion worker: progress percentages, cancel, which stages run, the first GLONASS
// record's correction, the met reader's error report, and write failures.
#include "run/ConversionWorker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ashtech/ByteOrder.h"
#include "geo/Clock.h"
#include "run/QualityCheckRun.h"
#include "run/RunFiles.h"
#include "support/BFileBuilder.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::BEpoch;
using test::BFileBuilder;
using test::BHeader;

// A B-file of `epochs` epochs, 30 s apart, one GPS satellite each.
std::string BFileOf(int epochs) {
    BHeader header;
    header.receiverType = "GG24";
    BFileBuilder b(header);
    for (int i = 0; i < epochs; ++i) {
        BEpoch e;
        e.time = 3600.0 + 30.0 * i;
        e.satellites.push_back(test::MakeSatellite(5, 1));
        b.Add(e);
    }
    return b.Bytes();
}

// A GLONASS E-file record of slot `slot` with the given tau_c.
std::string GlonassRecord(int slot, std::uint32_t seconds, double tauC) {
    std::string r(129, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(r.data());
    p[0] = static_cast<std::uint8_t>(32 + slot);
    le::PutU2(p + 1, 1200);
    le::PutU4(p + 3, seconds);
    le::PutR8(p + 15, 3600.0);
    le::PutR8(p + 31, tauC);
    return r;
}

int CountEpochLines(const std::string& text) {
    int n = 0;
    for (std::size_t pos = text.find("\r\n 03"); pos != std::string::npos;
         pos = text.find("\r\n 03", pos + 1))
        ++n;
    return n;
}

class WriteWorker : public ::testing::Test {
  protected:
    bool Start(const std::string& bfile, const std::string& efile = {}, const std::string& ion = {},
               bool nav = false, bool gnav = false) {
        job_.ObsRun = true;
        job_.BFileName = dir_.File("BSITEA97.100");
        test::WriteFile(job_.BFileName, bfile);
        if (!efile.empty()) {
            job_.EFileName = dir_.File("ESITEA97.100");
            test::WriteFile(job_.EFileName, efile);
        }
        if (!ion.empty()) {
            job_.IonFileName = dir_.File("ION97.100");
            test::WriteFile(job_.IonFileName, ion);
        }
        job_.ObsFileName = dir_.File("out.97O");
        if (nav) job_.NavFileName = dir_.File("out.97N");
        if (gnav) job_.NavGFileName = dir_.File("out.97G");
        return StartObsAutoRun(job_, files_, settings_, problems_);
    }

    test::TempDir dir_;
    ConversionJob job_;
    RunFileSet files_;
    HeaderSettings settings_;
    RecordingProblemSink problems_;
    ProgressState progress_;
};

TEST_F(WriteWorker, publishes_the_rounded_share_of_epochs_written) {
    for (int epochs : {1, 3}) {
        ASSERT_TRUE(Start(BFileOf(epochs)));
        std::vector<double> seen;
        WorkerOptions options;
        options.progressObserver = [&](double p) { seen.push_back(p); };
        EXPECT_TRUE(RunConversionWorker(job_, files_, problems_, progress_, options));
        EXPECT_TRUE(progress_.Done());
        EXPECT_TRUE(CloseRunFiles(files_));
        const std::vector<double> expected =
            epochs == 1 ? std::vector<double>{100} : std::vector<double>{33, 67, 100};
        EXPECT_EQ(seen, expected);
        progress_.Reset();
    }
}

TEST_F(WriteWorker, a_stop_request_publishes_nothing_and_says_so) {
    test::WriteFile(dir_.File("out.97O"), "yesterday");
    ASSERT_TRUE(Start(BFileOf(10)));
    WorkerOptions options;
    options.progressObserver = [&](double p) {
        if (p >= 30) progress_.RequestStop();
    };
    EXPECT_FALSE(RunConversionWorker(job_, files_, problems_, progress_, options));
    EXPECT_TRUE(CloseRunFiles(files_));
    ASSERT_EQ(problems_.problems.size(), 1u);
    EXPECT_EQ(problems_.problems[0].title, "Conversion Cancelled");
    EXPECT_EQ(problems_.problems[0].text, "Conversion cancelled; no files were written.");
    EXPECT_EQ(test::ReadFile(job_.ObsFileName), "yesterday");
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
        EXPECT_EQ(entry.path().filename().string().find(".kelvrant-"), std::string::npos);
}

TEST_F(WriteWorker, a_whole_run_is_published_with_every_epoch) {
    ASSERT_TRUE(Start(BFileOf(10)));
    files_.ObsHeader.markerName.clear();  // as a header window may leave it
    EXPECT_TRUE(RunConversionWorker(job_, files_, problems_, progress_));
    const std::string obs = test::ReadFile(job_.ObsFileName);
    EXPECT_NE(obs.find("END OF HEADER"), std::string::npos);
    EXPECT_NE(obs.find("SITE" + std::string(56, ' ') + "MARKER NAME"), std::string::npos);
    EXPECT_EQ(CountEpochLines(obs), 10);
}

// Edited files come out in the run's format, and the check sees the epochs kept; a run that
// only checks writes nothing.
struct EditedFormat {
    const char* name;
    int version;
    bool gzip;
    bool qcOnly;
    std::string_view start;  ///< the file's first bytes; empty: no file
};

class EditedWriteWorker : public WriteWorker, public ::testing::WithParamInterface<EditedFormat> {};

TEST_P(EditedWriteWorker, writes_the_format_asked_for_and_checks_the_epochs_kept) {
    const EditedFormat& c = GetParam();
    ASSERT_TRUE(Start(BFileOf(4)));
    job_.Editing.decimateMs = 60000;
    job_.Format.rinexVersion = c.version;
    job_.Format.gzip = c.gzip;
    job_.Qc.only = c.qcOnly;
    qc::QualityCheck check(QcSetupFor(files_, job_.BFileName, job_.Editing.decimateMs));
    WorkerOptions options;
    options.qualityCheck = &check;
    EXPECT_TRUE(RunConversionWorker(job_, files_, problems_, progress_, options));
    EXPECT_TRUE(CloseRunFiles(files_));
    EXPECT_TRUE(problems_.problems.empty());
    EXPECT_EQ(check.Finish().presentEpochs, 2) << "every other epoch of four";
    if (c.start.empty()) {
        EXPECT_FALSE(std::filesystem::exists(job_.ObsFileName));
    } else {
        EXPECT_TRUE(test::ReadFile(job_.ObsFileName).starts_with(c.start));
    }
}

INSTANTIATE_TEST_SUITE_P(rinex3_gzip_qc, EditedWriteWorker,
                         ::testing::Values(EditedFormat{"rinex3", 3, false, false, "     3.05"},
                                           EditedFormat{"gzip", 2, true, false, "\x1f\x8b"},
                                           EditedFormat{"qc_only", 2, false, true, ""}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(WriteWorker, without_navigation_outputs_the_ephemerides_are_not_read) {
    std::string efile = GlonassRecord(1, 3600, 1e-8);
    ASSERT_TRUE(Start(BFileOf(2), efile));
    EXPECT_TRUE(RunConversionWorker(job_, files_, problems_, progress_));
    AshNavRecord record;
    EXPECT_EQ(files_.NavReader.NextRecord(record), 1) << "the worker consumed the E-file";
    EXPECT_TRUE(CloseRunFiles(files_));
}

TEST_F(WriteWorker, the_first_glonass_record_dates_the_correction) {
    const std::string efile =
        GlonassRecord(3, 172800 + 3600, 2.5e-8) + GlonassRecord(1, 172800 + 7200, -4e-8);
    const std::string ion(74, '\0');
    ASSERT_TRUE(Start(BFileOf(2), efile, ion, true, true));
    EXPECT_TRUE(RunConversionWorker(job_, files_, problems_, progress_));
    EXPECT_TRUE(CloseRunFiles(files_));
    const std::string gnav = test::ReadFile(job_.NavGFileName);
    // Week 1200, Tuesday = 2003-01-07; the correction is -tau_c of the first record.
    EXPECT_NE(gnav.find("  2003     1     7    -.250000000000D-07"), std::string::npos) << gnav;
    EXPECT_TRUE(problems_.problems.empty());
}

TEST_F(WriteWorker, a_met_reader_error_is_reported_with_its_line_and_fails_the_run) {
    job_.MetRun = true;
    job_.MetInFileName = dir_.File("A03245.NMA");
    job_.MetOutFileName = dir_.File("SITE2451.03M");
    job_.MetStartWeek = 1200;
    job_.MetStartSeconds = 259200;
    std::string log;
    for (int i = 1; i <= 10; ++i)
        log += "junk line\n";
    log += "$GPGXP,000010.00\n$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,45.0,P,3\n";
    log += "$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,45.0,P,3\n";  // line 13: no time before it
    test::WriteFile(job_.MetInFileName, log);
    ASSERT_TRUE(StartMetAutoRun(job_, files_, settings_, problems_));
    EXPECT_FALSE(RunConversionWorker(job_, files_, problems_, progress_));
    ASSERT_EQ(problems_.problems.size(), 1u);
    EXPECT_EQ(problems_.problems[0].title, "Terminating: Error Reading Meteorological Data.");
    EXPECT_EQ(problems_.problems[0].text,
              "At line 13 the Met. file reader reports:\n\n  File contains met data with no "
              "time preceeding it.");
    EXPECT_TRUE(CloseRunFiles(files_));
    // A failed run publishes nothing.
    EXPECT_FALSE(std::filesystem::exists(job_.MetOutFileName));
}

TEST_F(WriteWorker, met_logs_that_cannot_make_a_whole_file_fail_and_leave_no_output) {
    struct Case {
        std::string log, text;
    };
    const std::vector<Case> cases = {
        {"", "The meteorological file holds no record to convert; nothing was written."},
        {"random text\nmore of it\n",
         "The meteorological file holds no record to convert; nothing was written."},
        {"$GPGXP,000010.00\n$GPXDR,P,1.0132,B,1,C,-999999,C,2,H,45.0,P,3\n",
         "At line 2 the temperature (TD) reading does not fit its RINEX field; nothing was "
         "written."},
    };
    for (const Case& c : cases) {
        problems_.problems.clear();
        progress_.Reset();
        job_.MetRun = true;
        job_.MetInFileName = dir_.File("A03245.NMA");
        job_.MetOutFileName = dir_.File("SITE2451.03M");
        job_.MetStartWeek = 1200;
        job_.MetStartSeconds = 259200;
        test::WriteFile(job_.MetInFileName, c.log);
        ASSERT_TRUE(StartMetAutoRun(job_, files_, settings_, problems_));
        EXPECT_FALSE(RunConversionWorker(job_, files_, problems_, progress_));
        ASSERT_EQ(problems_.problems.size(), 1u) << c.log;
        EXPECT_EQ(problems_.problems[0].text, c.text + "\n\n" + job_.MetInFileName);
        CloseRunFiles(files_);
        EXPECT_FALSE(std::filesystem::exists(job_.MetOutFileName));
    }
}

// In every format, also through the compressors (gzip writes from a thread of its own).
TEST_F(WriteWorker, a_full_device_fails_the_run_naming_the_file) {
    OutputFormat formats[3];
    formats[1].compact = formats[1].gzip = true;
    formats[2].rinexVersion = 3;
    formats[2].gzip = true;
    for (const OutputFormat& format : formats) {
        SCOPED_TRACE(format.rinexVersion * 10 + format.gzip);
        problems_.problems.clear();
        job_.Format = format;
        ASSERT_TRUE(Start(BFileOf(200)));
        // Swap the observation output for a device that refuses every byte.
        std::fclose(files_.ObsFile.file);
        files_.ObsFile.file = std::fopen("/dev/full", "wb");
        files_.ObsFile.name = "/dev/full";
        ASSERT_NE(files_.ObsFile.file, nullptr);
        EXPECT_FALSE(RunConversionWorker(job_, files_, problems_, progress_));
        ASSERT_FALSE(problems_.problems.empty());
        EXPECT_EQ(problems_.problems[0].title, "File Write Error");
        EXPECT_NE(problems_.problems[0].text.find("/dev/full"), std::string::npos);
        CloseRunFiles(files_);
    }
}

}  // namespace
}  // namespace kelvrant
