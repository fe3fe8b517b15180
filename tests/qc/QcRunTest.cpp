// The quality check's place in a run: reports beside the outputs.
#include <gtest/gtest.h>

#include "run/QualityCheckRun.h"
#include "support/TestPaths.h"

namespace {

using kelvrant::test::ReadFile;
using kelvrant::test::TempDir;

TEST(qc_run, reports_beside_the_outputs_and_a_failed_write_named) {
    TempDir dir;
    kelvrant::qc::QcSummary summary;
    summary.fileName = "BKELVA26.342";
    kelvrant::QcRequest request;
    request.report = true;
    request.json = true;
    kelvrant::RecordingProblemSink problems;
    ASSERT_TRUE(kelvrant::WriteQcReports(summary, request, dir.File("KELV3421.26O"), problems));
    EXPECT_NE(ReadFile(dir.File("KELV3421.26O.qc.txt")).find("BKELVA26.342"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("KELV3421.26O.qc.json")).substr(0, 2), "{\n");
    EXPECT_TRUE(problems.problems.empty());

    EXPECT_FALSE(kelvrant::WriteQcReports(summary, request, dir.File("no/KELV"), problems));
    ASSERT_EQ(problems.problems.size(), 2u);
    EXPECT_EQ(problems.problems[0].title, "File Write Error");
    EXPECT_NE(problems.problems[0].text.find(dir.File("no/KELV.qc.txt")), std::string::npos);
}

}  // namespace
