// The progress window: the display of the worker's percentage, closing after the worker is
// done, and Cancel stopping the observation stage with the files closed properly.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <string>
#include <thread>

#include "run/ConversionJob.h"
#include "run/HeaderFill.h"
#include "run/RunFiles.h"
#include "support/TestPaths.h"
#include "ui/AppContext.h"
#include "ui/ProgressWindow.h"
#include "ui/TimerIntervals.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(progress_window, bar_runs_two_points_behind_the_label) {
    EXPECT_EQ(ProgressBarPosition(0.0), 0);
    EXPECT_EQ(ProgressBarPosition(1.0), 0);
    EXPECT_EQ(ProgressBarPosition(2.0), 0);
    EXPECT_EQ(ProgressBarPosition(3.0), 1);
    EXPECT_EQ(ProgressBarPosition(67.0), 65);
    EXPECT_EQ(ProgressBarPosition(100.0), 98);
    EXPECT_EQ(ProgressLabelText(0.0), "0%");
    EXPECT_EQ(ProgressLabelText(33.0), "33%");
    EXPECT_EQ(ProgressLabelText(100.0), "100%");
}

// A prepared observation run on the files of `dir`, as the header window leaves it.
struct PreparedRun {
    explicit PreparedRun(const TempDir& dir, const std::string& base) {
        context.problems = &problems;
        context.enableMenus = [this](bool enabled) { menusEnabled = enabled; };
        context.job.ObsFileName = dir.File("out.obs");
        context.job.NavFileName = dir.File("out.nav");
        ok = PrepareObsRun(context.files, problems, dir.File("B" + base), dir.File("E" + base), "",
                           context.job.NavFileName, context.job.ObsFileName, "", "");
        // Header values the writers need that the header window would have completed.
        if (!ok) return;
        RunFileSet& f = context.files;
        FillObsHeader(f.ObsHeader, f.ObsReader, &f.NavReader, nullptr, nullptr);
        SetObservationTypes(f.ObsHeader, f.ObsReader.Header().DataType(), false);
    }
    AppContext context;
    RecordingProblemSink problems;
    bool ok = false;
    bool menusEnabled = false;
};

class FastProgress {
  public:
    FastProgress() : saved_(Intervals()) { Intervals().progress = 10; }
    ~FastProgress() { Intervals() = saved_; }

  private:
    TimerIntervals saved_;
};

void CopySample(const TempDir& dir) {
    for (const char* name : {"BKELVA26.342", "EKELVA26.342"})
        fs::copy_file(fs::path(test::SourceDir()) / "samples" / name, dir.path() / name);
}

TEST(progress_window, shows_the_run_to_100_percent_and_closes_with_the_files) {
    FastProgress fast;
    TempDir dir;
    CopySample(dir);
    PreparedRun run(dir, "KELVA26.342");
    ASSERT_TRUE(run.ok);
    ProgressWindow* form = ProgressWindow::Start(run.context);
    EXPECT_EQ(ProgressWindow::Current(), form);
    EXPECT_EQ(form->windowTitle(), "Creating Output RINEX Data file(s).");
    auto* label = form->findChild<QLabel*>("PrecentLabel");
    auto* bar = form->findChild<QProgressBar*>("OutputProgressBar");
    EXPECT_EQ(form->findChild<QPushButton*>("CancelBtn")->toolTip(), "Push to cancel operation");
    EXPECT_EQ(bar->toolTip(), "Progress of file output operation");
    bool closedOk = false;
    bool closed = false;
    QObject::connect(form, &ProgressWindow::runClosed, [&](bool ok) {
        closed = true;
        closedOk = ok;
    });
    QString lastLabel;
    int lastBar = -1;
    for (int i = 0; i < 2000 && !closed; ++i) {
        lastLabel = label->text();
        lastBar = bar->value();
        QTest::qWait(5);
    }
    ASSERT_TRUE(closed);
    EXPECT_TRUE(closedOk);
    EXPECT_EQ(lastLabel, "100%");
    EXPECT_EQ(lastBar, 98);
    EXPECT_EQ(ProgressWindow::Current(), nullptr);
    EXPECT_TRUE(run.menusEnabled);
    EXPECT_FALSE(run.context.files.ObsFile.IsOpen());
    EXPECT_FALSE(run.context.files.BFile.IsOpen());
    EXPECT_FALSE(fs::exists(dir.File("Kelvrant.~01")));
    EXPECT_TRUE(run.problems.problems.empty());
    const std::string obs = test::ReadFile(dir.File("out.obs"));
    EXPECT_NE(obs.find("END OF HEADER"), std::string::npos);
    EXPECT_EQ(obs.substr(obs.size() - 2), "\r\n");
    EXPECT_GT(fs::file_size(dir.File("out.nav")), 1000u);
    // An interactive run does not mark the program's run finished.
    EXPECT_FALSE(run.context.job.RunFinished);
}

TEST(progress_window, cancel_during_the_observation_stage_publishes_nothing) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    FastProgress fast;
    TempDir dir;
    // Long enough that the observation stage is still going when Cancel is pressed.
    const test::ProcessResult sim =
        test::RunProcess({test::SimulateExe(), "--length", "7200", "--interval", "1", "--out",
                          dir.path().string(), "--name", "LONGA26.342"});
    ASSERT_EQ(sim.exitCode, 0) << sim.err;
    PreparedRun run(dir, "LONGA26.342");
    ASSERT_TRUE(run.ok);
    run.context.job.ObsRun = true;  // unattended: the run ends marked finished
    ProgressWindow* form = ProgressWindow::Start(run.context);
    bool closed = false;
    bool closedOk = true;
    QObject::connect(form, &ProgressWindow::runClosed, [&](bool ok) {
        closed = true;
        closedOk = ok;
    });
    while (form->Progress().Percent() < 1.0 && !form->Progress().Done())
        std::this_thread::yield();
    ASSERT_FALSE(form->Progress().Done());
    form->findChild<QPushButton*>("CancelBtn")->click();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(closedOk);
    EXPECT_TRUE(run.context.job.RunFinished);
    EXPECT_TRUE(run.menusEnabled);
    EXPECT_LT(form->Progress().Percent(), 100.0);
    EXPECT_FALSE(run.context.files.ObsFile.IsOpen());
    // A cancelled run publishes nothing and leaves no temporary.
    EXPECT_FALSE(fs::exists(dir.File("out.obs")));
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".kelvrant-"), std::string::npos);
    QTest::qWait(20);  // the window is deleted later
    EXPECT_EQ(ProgressWindow::Current(), nullptr);
}

}  // namespace
}  // namespace kelvrant
