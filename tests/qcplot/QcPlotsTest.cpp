// The quality check plots are written headless as PNG and SVG, with labelled axes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <cmath>
#include <optional>
#include <string>

#include "qcplot/QcPlots.h"
#include "qcplot/QcWindow.h"
#include "support/TestPaths.h"

namespace {

using kelvrant::test::ReadFile;
using kelvrant::test::TempDir;
namespace qc = kelvrant::qc;

qc::QcSummary TwoSatellites() {
    qc::QcSummary q;
    q.fileName = "BTEST.001";
    q.firstTime = 2448 * 604800.0;
    q.lastTime = q.firstTime + 3600.0;
    q.gaps.push_back({q.firstTime + 600.0, 300.0, 10});
    for (int n = 1; n <= 2; ++n) {
        qc::SatelliteSummary s;
        s.id = {n == 1 ? kelvrant::GnssSystem::kGps : kelvrant::GnssSystem::kGlonass,
                static_cast<std::uint8_t>(n)};
        s.maxElevation = 60.0;
        s.arcs = {{q.firstTime, q.firstTime + 600.0}, {q.firstTime + 900.0, q.lastTime}};
        s.slipTimes = {q.firstTime + 1800.0};
        for (int k = 0; k <= 120; ++k) {
            qc::TrackPoint p;
            p.time = q.firstTime + 30.0 * k;
            p.azimuth = static_cast<float>(3.0 * k);
            p.elevation = static_cast<float>(60.0 * std::sin(k * 3.14159 / 120.0));
            p.snr1 = 30.0f + p.elevation / 3.0f;
            p.snr2 = p.snr1 - 5.0f;
            p.mp1 = static_cast<float>(0.3 * std::sin(k * 0.3));
            p.mp2 = -p.mp1;
            s.track.push_back(p);
        }
        q.satellites.push_back(s);
    }
    q.mp1ByElevation[3] = {10, 0.9};
    return q;
}

TEST(qc_plots, png_and_svg_of_every_plot_with_axis_titles) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(kelvrant::qcplot::WritePlots(TwoSatellites(), dir.File("plots"), error)) << error;
    for (const std::string& name : kelvrant::qcplot::kPlotNames) {
        const QImage image(QString::fromStdString(dir.File("plots/" + name + ".png")));
        EXPECT_EQ(image.width(), 1000) << name;
        EXPECT_EQ(image.height(), 750) << name;
        EXPECT_NE(ReadFile(dir.File("plots/" + name + ".svg")).find("<svg"), std::string::npos);
    }
    const std::string multipath = ReadFile(dir.File("plots/qc-multipath.svg"));
    EXPECT_NE(multipath.find("Elevation (deg)"), std::string::npos);
    EXPECT_NE(multipath.find("Code multipath (m)"), std::string::npos);
}

TEST(qc_plots, unwritable_folder_is_reported_with_its_name) {
    TempDir dir;
    kelvrant::test::WriteFile(dir.File("file"), "x");
    std::string error;
    EXPECT_FALSE(kelvrant::qcplot::WritePlots(TwoSatellites(), dir.File("file/sub"), error));
    EXPECT_NE(error.find(dir.File("file/sub")), std::string::npos) << error;
}

TEST(qc_window, summary_and_plot_tabs_and_both_saves) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    std::optional<QApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app.emplace(argc, argv);
    }
    TempDir dir;
    kelvrant::qcplot::QcWindow window(TwoSatellites(), dir.File("start.qc.txt"));
    const auto* text = window.findChild<QPlainTextEdit*>("QcSummaryText");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains("Kelvrant quality check"));
    EXPECT_EQ(window.findChild<QTabWidget*>("QcPlotTabs")->count(), 4);

    std::vector<std::string> problems;
    window.SetReport([&](const std::string&, const std::string& t) { problems.push_back(t); });
    window.SetAskPath([&](QWidget*, bool folder, const QString& start) {
        // Both dialogs start where the report went.
        EXPECT_EQ(start.toStdString(), folder ? dir.path().string() : dir.File("start.qc.txt"));
        return QString::fromStdString(folder ? dir.File("plots") : dir.File("r.qc.txt"));
    });
    EXPECT_TRUE(window.OnSaveReport());
    EXPECT_EQ(ReadFile(dir.File("r.qc.txt")), text->toPlainText().toStdString());
    EXPECT_TRUE(window.OnSavePlots());
    EXPECT_FALSE(ReadFile(dir.File("plots/qc-sky.svg")).empty());
    window.SetAskPath([&](QWidget*, bool, const QString&) {
        return QString::fromStdString(dir.File("missing/r.qc.txt"));
    });
    EXPECT_FALSE(window.OnSaveReport());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find(dir.File("missing/r.qc.txt")), std::string::npos);
    // Cancelled: nothing asked of the user, nothing reported.
    window.SetAskPath([](QWidget*, bool, const QString&) { return QString(); });
    EXPECT_FALSE(window.OnSavePlots());
    EXPECT_EQ(problems.size(), 1u);
}

}  // namespace
