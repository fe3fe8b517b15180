// The quality check from the desktop program: the file selection window's box, remembered for
// the user, has the conversion check the session and show its window at the end.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

#include "support/TestPaths.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"
#include "ui/ObsFileDialog.h"
#include "ui/ObsHeaderDialog.h"
#include "ui/ResultPanel.h"
#include "ui/TimerIntervals.h"
#include "ui/UserSettings.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const char* const kProgram[] = {"/opt/kelvrant/kelvrant"};

StartupOptions OptionsIn(const TempDir& dir) {
    StartupOptions options;
    options.directory = dir.path().string();
    options.fontInstalled = [](const QString&) { return true; };
    return options;
}

QCheckBox* QualityBox(MainWindow& window) {
    return window.ObsFileOptWin()->findChild<QCheckBox*>("QualityCheckCheckBox");
}

int TopLevelQcWindows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->objectName() == "QcWindow" && widget->isVisible() ? 1 : 0;
    return count;
}

class quality_check_use : public ::testing::Test {
  protected:
    void SetUp() override {
        MessageBox::reset();
        UserSettings::SetQualityCheck(false);
        saved_ = Intervals();
        Intervals().progress = 5;
    }
    void TearDown() override {
        Intervals() = saved_;
        UserSettings::SetQualityCheck(false);
    }

    TempDir dir;
    TimerIntervals saved_;
};

// With the box on the conversion ends in the check's window for that session; with it off
// nothing of the check appears, neither a window nor a report.
TEST_F(quality_check_use, the_box_decides_whether_the_check_window_follows_the_conversion) {
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "box on" : "box off");
        const fs::path session = dir.path() / (on ? "on" : "off");
        fs::create_directories(session);
        for (const char* name : {"BKELVA26.342", "EKELVA26.342", "SKELVA26.342", "ION26.342"})
            fs::copy_file(fs::path(test::SourceDir()) / "samples" / name, session / name);
        MainWindow window(1, kProgram, OptionsIn(dir));
        window.show();
        ObsFileDialog* files = window.ObsFileOptWin();
        QTRY_VERIFY_WITH_TIMEOUT(files->isVisible(), 5000);
        // Off until the user turns it on; the second round remembers the first one's choice.
        EXPECT_EQ(QualityBox(window)->isChecked(), !on);
        window.OpenSession(QString::fromStdString((session / "BKELVA26.342").string()));
        QualityBox(window)->setChecked(on);
        MessageBox::reset();
        files->findChild<QPushButton*>("OKBtn")->click();
        ASSERT_TRUE(files->HeaderDataWin()->isVisible());
        files->HeaderDataWin()->findChild<QPushButton*>("OKBtn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(window.Result() != nullptr, 30000);
        const QString result = window.Result()->Text();
        const QRegularExpressionMatch epochs = QRegularExpression("Epochs: (\\d+)").match(result);
        ASSERT_TRUE(epochs.hasMatch()) << result.toStdString();
        const fs::path report = session / "KELV3421.26O.qc.txt";
        EXPECT_TRUE(MessageBox::shown().empty()) << MessageBox::shown().front().title.toStdString();

        if (!on) {
            EXPECT_EQ(window.LastQualityCheck(), nullptr);
            EXPECT_EQ(window.QualityCheckWindow(), nullptr);
            EXPECT_EQ(TopLevelQcWindows(), 0);
            EXPECT_FALSE(fs::exists(report));
            EXPECT_TRUE(window.StatusText().startsWith("Wrote 3 files"));
            continue;
        }
        ASSERT_NE(window.LastQualityCheck(), nullptr);
        EXPECT_EQ(window.LastQualityCheck()->presentEpochs, epochs.captured(1).toLong());
        EXPECT_TRUE(fs::exists(report));
        EXPECT_TRUE(result.contains("KELV3421.26O.qc.txt")) << result.toStdString();
        if (!MainWindow::HasQualityCheckWindow()) continue;
        QWidget* qc = window.QualityCheckWindow();
        ASSERT_NE(qc, nullptr);
        EXPECT_TRUE(qc->isVisible());
        EXPECT_EQ(TopLevelQcWindows(), 1);
        const QString summary = qc->findChild<QPlainTextEdit*>("QcSummaryText")->toPlainText();
        EXPECT_TRUE(summary.contains(
            QRegularExpression("Epochs expected / present *: \\d+ / " + epochs.captured(1) + "\n")))
            << summary.toStdString();
        // Closed, it comes back from the File menu.
        qc->close();
        QTRY_VERIFY_WITH_TIMEOUT(window.QualityCheckWindow() == nullptr, 5000);
        auto* again = window.findChild<QAction*>("LastQualityCheckMenuItem");
        ASSERT_NE(again, nullptr);
        ASSERT_TRUE(again->isEnabled());
        again->trigger();
        ASSERT_NE(window.QualityCheckWindow(), nullptr);
        EXPECT_TRUE(window.QualityCheckWindow()->isVisible());
    }
}

// The box is the user's: what one session of the program set, the next one shows, and the
// configuration file shared by all users stays as it was.
TEST_F(quality_check_use, the_box_survives_a_restart_outside_the_configuration_file) {
    QByteArray ini[2];
    for (const bool on : {true, false}) {
        {
            MainWindow first(1, kProgram, OptionsIn(dir));
            first.ObsFileOptWin()->ShowForNewConversion();
            QualityBox(first)->setChecked(on);
            first.close();
        }
        MainWindow second(1, kProgram, OptionsIn(dir));
        second.ObsFileOptWin()->ShowForNewConversion();
        EXPECT_EQ(QualityBox(second)->isChecked(), on);
        second.close();
        QFile file(QString::fromStdString(second.IniPath()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ini[on ? 0 : 1] = file.readAll();
    }
    EXPECT_FALSE(ini[0].isEmpty());
    EXPECT_EQ(ini[0], ini[1]);
}

}  // namespace
}  // namespace kelvrant
