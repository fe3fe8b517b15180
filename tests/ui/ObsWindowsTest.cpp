#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "run/ConversionWorker.h"
#include "run/ProblemSink.h"
#include "run/Progress.h"
#include "support/BFileBuilder.h"
#include "support/TestPaths.h"
#include "ui/AppContext.h"
#include "ui/MessageBox.h"
#include "ui/ObsFileDialog.h"
#include "ui/ObsHeaderDialog.h"
#include "ui/PositionClipboard.h"
#include "ui/SitePositionDialog.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

template <typename T>
T* Find(QWidget* parent, const char* name) {
    T* widget = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

std::string TextOf(QWidget* parent, const char* name) {
    return Find<QLineEdit>(parent, name)->text().toStdString();
}

void SetText(QWidget* parent, const char* name, const std::string& text) {
    Find<QLineEdit>(parent, name)->setText(QString::fromStdString(text));
}

void Click(QWidget* parent, const char* name) {
    QTest::mouseClick(Find<QPushButton>(parent, name), Qt::LeftButton);
}

void ShowActive(QWidget* w) {
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

class FakeClipboard final : public ClipboardPort {
  public:
    std::optional<std::string> ReadText() override { return text; }
    bool WriteText(const std::string& t) override {
        text = t;
        return true;
    }
    std::optional<std::string> text;
};

// One interactive session: the shared context with a recording problem sink, menus and a
// progress window that runs the conversion worker at once.
class obs_windows : public ::testing::Test {
  protected:
    void SetUp() override {
        MessageBox::reset();
        MessageBox::setTestMode(true);
        ctx.problems = &problems;
        ctx.enableMenus = [this](bool on) { menus.push_back(on); };
        ctx.startProgressWindow = [this] {
            ++progressStarts;
            ProgressState progress;
            workerOk = RunConversionWorker(ctx.job, ctx.files, problems, progress);
            CloseRunFiles(ctx.files);
        };
        ObsFileDialog::SetFileDialogRunner([this](QWidget*, const ObsFileDialogRequest& request) {
            requests.push_back(request);
            return nextChoice;
        });
        win = new ObsFileDialog(ctx);
    }
    void TearDown() override {
        delete win->HeaderDataWin();
        delete win;
        CloseRunFiles(ctx.files);
        ObsFileDialog::SetFileDialogRunner({});
        SetClipboardPort(nullptr);
        MessageBox::reset();
    }

    // The bundled session copied under the given names (empty: not copied).
    void CopySample(const std::string& b, const std::string& e, const std::string& s,
                    const std::string& ion) {
        const std::string samples = test::SourceDir() + "/samples/";
        auto copy = [&](const char* from, const std::string& to) {
            if (!to.empty()) fs::copy_file(samples + from, dir.File(to));
        };
        copy("BKELVA26.342", b);
        copy("EKELVA26.342", e);
        copy("SKELVA26.342", s);
        copy("ION26.342", ion);
    }

    // Shows the file selection window and leaves the B-file edit after typing `bFile`.
    void EnterBFile(const std::string& bFile) {
        win->ShowForNewConversion();
        ShowActive(win);
        QLineEdit* b = Find<QLineEdit>(win, "BFileNameEdit");
        b->setFocus();
        b->setText(QString::fromStdString(bFile));
        Find<QLineEdit>(win, "EFileNameEdit")->setFocus();
    }

    // Prepares a run from the sample and shows the header window.
    ObsHeaderDialog* PrepareSample(bool withSite = true) {
        CopySample("BKELVA26.342", "EKELVA26.342", withSite ? "SKELVA26.342" : "", "ION26.342");
        EnterBFile(dir.File("BKELVA26.342"));
        Click(win, "OKBtn");
        ObsHeaderDialog* header = win->HeaderDataWin();
        EXPECT_TRUE(header->isVisible());
        return header;
    }

    TempDir dir;
    AppContext ctx;
    RecordingProblemSink problems;
    std::vector<bool> menus;
    int progressStarts = 0;
    bool workerOk = false;
    std::vector<ObsFileDialogRequest> requests;
    QString nextChoice;
    ObsFileDialog* win = nullptr;
};

TEST_F(obs_windows, file_window_components_captions_and_hints) {
    EXPECT_EQ(win->windowTitle(), "RINEX Conversion File Selection Window");
    EXPECT_TRUE(win->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Find<QWidget>(win, "BFileNameEdit")->toolTip(),
              "The path and name of the input B-File");
    EXPECT_EQ(Find<QWidget>(win, "IFileNameEdit")->toolTip(),
              "The path and name of the input Ion File (not required)");
    EXPECT_EQ(Find<QWidget>(win, "NavGFileEdit")->toolTip(),
              "The path and name of the output RINEX GLONASS Navigation File");
    EXPECT_EQ(Find<QPushButton>(win, "SFileBrowseBtn")->toolTip(),
              "Push to browse disks for Ion Files");
    EXPECT_EQ(Find<QPushButton>(win, "DestNavGBrowseBtn")->text(), "Browse ...");
    EXPECT_EQ(Find<QPushButton>(win, "CancelBtn")->toolTip(), "Push to cancel operation");
    EXPECT_EQ(ConvertDialogFilter(kDestFileFilter),
              (QStringList{"Obs Files (*.??O *.??o)", "Nav Files (*.??N *.??n)",
                           "GLONASS Nav Files (*.??G *.??g)", "All Files (*.*)"}));
    EXPECT_EQ(ConvertDialogFilter(kSourceFileFilter).size(), 5);
}

TEST_F(obs_windows, leaving_the_b_file_edit_derives_names_with_the_lower_case_fallback) {
    CopySample("BKELVA26.342", "ekelva26.342", "", "ion26.342");
    win->ShowForNewConversion();
    ShowActive(win);
    SetText(win, "ObsFileEdit", "/typed/by/user.O");
    EnterBFile(dir.File("BKELVA26.342"));
    EXPECT_EQ(TextOf(win, "EFileNameEdit"), dir.File("ekelva26.342"));
    EXPECT_EQ(TextOf(win, "SFileNameEdit"), "");
    EXPECT_EQ(TextOf(win, "IFileNameEdit"), dir.File("ion26.342"));
    EXPECT_EQ(TextOf(win, "ObsFileEdit"), dir.File("KELV3421.26O"));
    EXPECT_EQ(TextOf(win, "NavFileEdit"), dir.File("KELV3421.26N"));
    EXPECT_EQ(TextOf(win, "NavGFileEdit"), dir.File("KELV3421.26G"));  // a GG24 receiver
}

TEST_F(obs_windows, a_missing_b_file_changes_nothing_and_a_six_character_base_clears_outputs) {
    EnterBFile(dir.File("BKELVA26.342"));  // not there
    EXPECT_EQ(TextOf(win, "ObsFileEdit"), "");
    SetText(win, "ObsFileEdit", "typed.O");
    EnterBFile(dir.File("BMISSING.342"));
    EXPECT_EQ(TextOf(win, "ObsFileEdit"), "typed.O");

    CopySample("BKELVA.342", "", "", "");
    SetText(win, "NavFileEdit", "typed.N");
    EnterBFile(dir.File("BKELVA.342"));
    EXPECT_EQ(TextOf(win, "ObsFileEdit"), "");
    EXPECT_EQ(TextOf(win, "NavFileEdit"), "");
    EXPECT_EQ(TextOf(win, "NavGFileEdit"), "");
    EXPECT_EQ(TextOf(win, "IFileNameEdit"), "");
}

TEST_F(obs_windows, browse_buttons_start_where_the_edit_points_and_take_the_choice) {
    CopySample("BKELVA26.342", "EKELVA26.342", "SKELVA26.342", "ION26.342");
    win->ShowForNewConversion();
    SetText(win, "EFileNameEdit", dir.File("EMISSING.342"));
    nextChoice = QString::fromStdString(dir.File("EKELVA26.342"));
    Click(win, "EFileBrowseBtn");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].objectName, "SourceFileOpenDialog");
    EXPECT_EQ(requests[0].title, "Select Source E-File");
    EXPECT_EQ(requests[0].directory.toStdString(), dir.path().string());
    EXPECT_TRUE(requests[0].fileName.isEmpty());
    EXPECT_EQ(requests[0].filterIndex, 1);
    EXPECT_EQ(requests[0].filters[1], "E-Files (E*.* e*.*)");
    EXPECT_TRUE(requests[0].fileMustExist);
    EXPECT_EQ(TextOf(win, "EFileNameEdit"), dir.File("EKELVA26.342"));

    // An existing file opens in its directory with its name; a cancelled dialog keeps the edit.
    nextChoice.clear();
    Click(win, "EFileBrowseBtn");
    EXPECT_EQ(requests[1].fileName, "EKELVA26.342");
    EXPECT_EQ(requests[1].directory.toStdString(), dir.path().string());
    EXPECT_EQ(TextOf(win, "EFileNameEdit"), dir.File("EKELVA26.342"));

    nextChoice = QString::fromStdString(dir.File("out.26N"));
    Click(win, "DestNavGBrowseBtn");
    EXPECT_EQ(requests[2].objectName, "DestFileOpenDialog");
    EXPECT_EQ(requests[2].title, "Select Target RINEX GLONASS Nav. File");
    EXPECT_EQ(requests[2].filterIndex, 2);
    EXPECT_FALSE(requests[2].fileMustExist);
    EXPECT_EQ(TextOf(win, "NavGFileEdit"), dir.File("out.26N"));

    // The B-file browse derives every name from the chosen file.
    nextChoice = QString::fromStdString(dir.File("BKELVA26.342"));
    Click(win, "BFileBrowseBtn");
    EXPECT_EQ(requests[3].title, "Select Source B-File");
    EXPECT_EQ(TextOf(win, "SFileNameEdit"), dir.File("SKELVA26.342"));
    EXPECT_EQ(TextOf(win, "NavGFileEdit"), dir.File("KELV3421.26G"));
}

TEST_F(obs_windows, declining_an_overwrite_keeps_the_focus_in_that_edit) {
    CopySample("BKELVA26.342", "EKELVA26.342", "", "ION26.342");
    test::WriteFile(dir.File("KELV3421.26O"), "old obs");
    test::WriteFile(dir.File("KELV3421.26N"), "old nav");
    EnterBFile(dir.File("BKELVA26.342"));
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextAnswer(QMessageBox::No);
    Click(win, "OKBtn");
    ASSERT_EQ(MessageBox::shown().size(), 2u);
    EXPECT_EQ(MessageBox::shown()[1].icon, MessageIcon::kQuestion);
    EXPECT_EQ(MessageBox::shown()[1].title, "File Already Exists");
    EXPECT_EQ(MessageBox::shown()[1].text.toStdString(),
              dir.File("KELV3421.26N") + "\n\nOverwrite the existing RINEX Navigation File?");
    EXPECT_TRUE(win->isVisible());
    EXPECT_FALSE(win->HeaderDataWin()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(win, "NavFileEdit"));
    EXPECT_FALSE(ctx.files.BFile.IsOpen());
    EXPECT_EQ(test::ReadFile(dir.File("KELV3421.26O")), "old obs");
}

TEST_F(obs_windows, a_failed_preparation_stays_open_and_cancel_enables_the_menus) {
    win->ShowForNewConversion();
    Click(win, "OKBtn");
    ASSERT_EQ(problems.problems.size(), 1u);
    EXPECT_EQ(problems.problems[0].text, "A valid source B-File must be specified!");
    EXPECT_TRUE(win->isVisible());
    EXPECT_TRUE(menus.empty());
    Click(win, "CancelBtn");
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(menus, std::vector<bool>{true});
}

TEST_F(obs_windows, whole_session_with_s_file_reaches_the_rinex_header_and_the_ini) {
    ctx.config.SetObserver("SETTINGS OBSERVER");
    ctx.config.SetMsObsHandling(1);
    ObsHeaderDialog* h = PrepareSample();
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(menus, std::vector<bool>{false});
    EXPECT_EQ(h->windowTitle(), "RINEX Header Data/Options");
    EXPECT_EQ(TextOf(h, "RcvrTypeEdit"), "Ashtech GG24");
    EXPECT_EQ(TextOf(h, "SiteNameEdit"), "KELV");  // from the S-file
    EXPECT_EQ(TextOf(h, "DeltaVertAntEdit"), "1.4500");
    EXPECT_EQ(TextOf(h, "XEdit"), "0.0000");
    auto* notebook = Find<QTabWidget>(h, "TabbedNotebook1");
    EXPECT_EQ(notebook->tabText(0), "&Header");
    EXPECT_EQ(notebook->tabText(1), "&Options");
    EXPECT_TRUE(Find<QCheckBox>(h, "NewFmtCheckBox")->isChecked());
    EXPECT_TRUE(
        Find<QCheckBox>(h, "NewFmtCheckBox")->toolTip().contains("millisecond clock jumps"));

    SetText(h, "StaNumEdit", "STA-7");
    SetText(h, "ObserverEdit", "FIELD CREW");
    SetText(h, "CreateAgencyEdit", "KV TEST");
    SetText(h, "AntSNEdit", "A-99");
    SetText(h, "Comment2Edit", "only the third");
    SetText(h, "NorthOffsetEdit", "0.25");
    Find<QCheckBox>(h, "EpochIntervalCheckBox")->setChecked(true);
    Find<QCheckBox>(h, "OutputDopplerCheckBox")->setChecked(false);
    Click(h, "OKBtn");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(progressStarts, 1);
    EXPECT_TRUE(workerOk);
    EXPECT_FALSE(h->isVisible());
    EXPECT_EQ(menus, std::vector<bool>{false});  // the progress window enables them

    const std::string obs = test::ReadFile(dir.File("KELV3421.26O"));
    EXPECT_NE(obs.find("STA-7"), std::string::npos);
    EXPECT_NE(obs.find("FIELD CREW"), std::string::npos);
    EXPECT_NE(obs.find("A-99"), std::string::npos);
    EXPECT_NE(obs.find("only the third"), std::string::npos);
    EXPECT_NE(obs.find("KV TEST"), std::string::npos);
    EXPECT_NE(obs.find("INTERVAL"), std::string::npos);
    EXPECT_EQ(obs.find("D1"), std::string::npos);  // Doppler off
    EXPECT_NE(obs.find("        1.4500        0.0000        0.2500"), std::string::npos);
    const std::string nav = test::ReadFile(dir.File("KELV3421.26N"));
    EXPECT_NE(nav.find("KV TEST"), std::string::npos);
    EXPECT_NE(nav.find("only the third"), std::string::npos);

    // The S-file's observer and serial number stay out of the settings; the rest goes in.
    const std::string ini = dir.File("Kelvrant.INI");
    ASSERT_EQ(ctx.config.WriteConfigFile(ini), 1);
    ConfigStore back;
    ASSERT_EQ(back.ReadConfigFile(ini).result, 1);
    EXPECT_EQ(back.GetSiteNumber(), "STA-7");
    EXPECT_EQ(back.GetCreateAgency(), "KV TEST");
    EXPECT_EQ(back.Settings().Comment[0], "only the third");
    EXPECT_EQ(back.GetObserver(), "SETTINGS OBSERVER");
    EXPECT_EQ(back.GetAntSerNum(), "");
    EXPECT_EQ(back.GetAntOffsets()[0], 0.0);
    EXPECT_EQ(back.GetWriteEpInt(), 1);
    EXPECT_EQ(back.GetAllowDoplr(), 0);
    EXPECT_EQ(ctx.job.OutputDoppler, 0);

    // The next showing moves the comment up into the first edit.
    win->ShowForNewConversion();
    Click(win, "OKBtn");
    ASSERT_TRUE(h->isVisible());
    EXPECT_EQ(TextOf(h, "Comment0Edit"), "only the third");
    EXPECT_EQ(TextOf(h, "Comment2Edit"), "");
    EXPECT_EQ(TextOf(h, "StaNumEdit"), "STA-7");
}

// The output format of the file window: the names follow it, the run writes it under long
// names once the header is complete, and the configuration keeps it.
TEST_F(obs_windows, output_format_choice_names_the_outputs_and_is_kept_in_the_configuration) {
    CopySample("BKELVA26.342", "EKELVA26.342", "SKELVA26.342", "ION26.342");
    EnterBFile(dir.File("BKELVA26.342"));
    auto* version = Find<QComboBox>(win, "RinexVersionComboBox");
    auto* compress = Find<QComboBox>(win, "CompressionComboBox");
    auto* longNames = Find<QCheckBox>(win, "LongNamesCheckBox");
    EXPECT_EQ(version->currentText(), "RINEX 2.11");
    EXPECT_FALSE(longNames->isChecked());
    compress->setCurrentIndex(compress->findText("crx.gz"));
    EXPECT_EQ(TextOf(win, "ObsFileEdit"), dir.File("KELV3421.26D.gz"));
    EXPECT_EQ(TextOf(win, "NavGFileEdit"), dir.File("KELV3421.26G.gz"));
    version->setCurrentIndex(1);
    EXPECT_TRUE(longNames->isChecked());  // the RINEX 3 default
    EXPECT_EQ(TextOf(win, "NavFileEdit"), dir.File("KELV3421.26P.gz"));
    EXPECT_EQ(TextOf(win, "NavGFileEdit"), "");
    SetText(win, "CountryEdit", "deu");
    Click(win, "OKBtn");
    ObsHeaderDialog* h = win->HeaderDataWin();
    ASSERT_TRUE(h->isVisible());
    // A long name known only now that exists already is asked about: No keeps it.
    const std::string obs = dir.File("KELV00DEU_R_20263421000_01H_30S_MO.crx.gz");
    test::WriteFile(obs, "yesterday");
    MessageBox::setNextAnswer(QMessageBox::Yes);  // GLONASS without clock adjustment: go on
    MessageBox::setNextAnswer(QMessageBox::No);
    Click(h, "OKBtn");
    ASSERT_FALSE(MessageBox::shown().empty());
    EXPECT_EQ(MessageBox::shown().back().text.toStdString(),
              obs + "\n\nOverwrite the existing RINEX Observation File?");
    EXPECT_EQ(test::ReadFile(obs), "yesterday");
    EXPECT_TRUE(h->isVisible());
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    Click(h, "OKBtn");
    EXPECT_TRUE(workerOk);
    EXPECT_TRUE(fs::exists(obs)) << ctx.job.ObsFileName;
    EXPECT_TRUE(fs::exists(dir.File("KELV00DEU_R_20263421000_01H_MN.rnx.gz")));
    EXPECT_FALSE(fs::exists(dir.File("KELV3421.26D.gz")));
    const OutputFormat& kept = ctx.config.Settings().Output;
    EXPECT_EQ(kept.rinexVersion, 3);
    EXPECT_TRUE(kept.compact && kept.gzip);
    EXPECT_EQ(kept.longNames, -1);  // still following the version
    EXPECT_EQ(kept.country, "DEU");
}

TEST_F(obs_windows, without_s_file_the_settings_are_shown_and_stored) {
    ctx.config.SetObserver("SET OBS");
    ctx.config.SetAntOffsets({0.0, 0.0, 1.2, 0.1, 0.0});
    ctx.config.SetMsObsHandling(1);
    ObsHeaderDialog* h = PrepareSample(false);
    EXPECT_EQ(TextOf(h, "ObserverEdit"), "SET OBS");
    EXPECT_EQ(TextOf(h, "AntSlantEdit"), "1.2000");
    SetText(h, "AntSNEdit", "NEW ASN");
    Click(h, "OKBtn");
    EXPECT_EQ(progressStarts, 1);
    EXPECT_EQ(ctx.config.GetAntSerNum(), "NEW ASN");
    EXPECT_EQ(ctx.config.GetAntOffsets()[2], 1.2);
}

TEST_F(obs_windows, slant_and_radius_checks_report_and_move_the_focus) {
    ctx.config.SetMsObsHandling(1);
    ObsHeaderDialog* h = PrepareSample();
    ShowActive(h);
    SetText(h, "AntSlantEdit", "1.5");
    SetText(h, "RadiusAntEdit", "1.5");
    Click(h, "OKBtn");
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageIcon::kStop);
    EXPECT_EQ(MessageBox::shown()[0].title, "Data Entry Error");
    EXPECT_EQ(MessageBox::shown()[0].text,
              "Erroneous data entry for Antenna Height Measurements.\nSlant measurement must be "
              "larger than radius.");
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(h, "RadiusAntEdit"));
    EXPECT_TRUE(h->isVisible());
    EXPECT_EQ(progressStarts, 0);

    MessageBox::clearShown();
    SetText(h, "AntSlantEdit", "0");
    SetText(h, "RadiusAntEdit", "0.2");
    // Leaving an offset edit runs the same check.
    Find<QWidget>(h, "RadiusAntEdit")->setFocus();
    Find<QWidget>(h, "DeltaVertAntEdit")->setFocus();
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(h, "AntSlantEdit"));

    MessageBox::clearShown();
    SetText(h, "AntSlantEdit", "-1");
    Click(h, "OKBtn");
    EXPECT_EQ(MessageBox::shown().back().text,
              "Erroneous data entry for Antenna Height Slant Measurement.");

    MessageBox::clearShown();
    SetText(h, "AntSlantEdit", "2");
    SetText(h, "RadiusAntEdit", "0");
    SetText(h, "NorthOffsetEdit", "-0.5abc");
    Click(h, "OKBtn");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(progressStarts, 1);
    EXPECT_EQ(h->Offsets()[0], -0.5);
}

TEST_F(obs_windows, glonass_receiver_without_clock_adjustment_asks_first) {
    ObsHeaderDialog* h = PrepareSample(false);
    ASSERT_FALSE(Find<QCheckBox>(h, "NewFmtCheckBox")->isChecked());
    SetText(h, "StaNumEdit", "NOT YET");
    MessageBox::setNextAnswer(QMessageBox::No);
    Click(h, "OKBtn");
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(MessageBox::shown()[0].title, "WARNING: Non-GLONASS option selected.");
    EXPECT_EQ(MessageBox::shown()[0].text,
              "\"Clock adjustments to Code and Carrier\" should be checked\nwhen outputting "
              "RINEX data from GLONASS Satellites.\n\nWould you like to continue without "
              "changing the parameter?\n\n");
    EXPECT_TRUE(h->isVisible());
    EXPECT_EQ(progressStarts, 0);
    EXPECT_EQ(ctx.config.GetSiteNumber(), "");  // nothing stored

    MessageBox::setNextAnswer(QMessageBox::Yes);
    Click(h, "OKBtn");
    EXPECT_EQ(progressStarts, 1);
    EXPECT_FALSE(Find<QCheckBox>(h, "NewFmtCheckBox")->isChecked());
    EXPECT_FALSE(ctx.job.ClockAdjust);
    EXPECT_EQ(ctx.config.GetSiteNumber(), "NOT YET");
}

TEST_F(obs_windows, lower_case_glonass_receiver_warns_and_unknown_data_type_offers_all_six) {
    test::BHeader header;
    header.receiverType = "gg24";
    header.dataType = 7;
    header.week = 2000;
    test::BEpoch epoch;
    epoch.time = 1000.0;
    epoch.satellites.push_back(test::BSatellite{5, {test::BObsBlock{}}});
    test::BFileBuilder(header).Add(epoch).Save(dir.File("BABCDA26.342"));
    ctx.config.SetAllowDoplr(1);
    EnterBFile(dir.File("BABCDA26.342"));
    EXPECT_EQ(TextOf(win, "NavGFileEdit"), dir.File("ABCD3421.26G"));
    SetText(win, "NavGFileEdit", "");  // no ION file for it
    Click(win, "OKBtn");
    ObsHeaderDialog* h = win->HeaderDataWin();
    ASSERT_TRUE(h->isVisible()) << (problems.problems.empty() ? "" : problems.problems[0].text);
    auto* combo = Find<QComboBox>(h, "OutTypeComboBox");
    ASSERT_EQ(combo->count(), 6);
    EXPECT_EQ(combo->itemText(0), "L1 (L1 C/A Codephase tracking)");
    EXPECT_EQ(combo->currentText(), "L1CP_L2P (L1 C/A, L1 P-Code, and L2 P-Code)");
    combo->setCurrentIndex(0);  // L1 only
    // "gg24" is a GG24: the clock-adjustment warning comes as for "GG24".
    MessageBox::setNextAnswer(QMessageBox::Yes);
    Click(h, "OKBtn");
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].title, "WARNING: Non-GLONASS option selected.");
    EXPECT_EQ(progressStarts, 1);
    const std::string obs = test::ReadFile(dir.File("ABCD3421.26O"));
    EXPECT_NE(obs.find("     3    L1    C1    D1"), std::string::npos) << obs.substr(0, 1200);
}

TEST_F(obs_windows, data_type_of_the_sample_offers_five_items) {
    ctx.config.SetMsObsHandling(1);
    ObsHeaderDialog* h = PrepareSample();
    auto* combo = Find<QComboBox>(h, "OutTypeComboBox");
    ASSERT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->currentText(), "L1CP_L2P (L1 C/A, L1 P-Code, and L2 P-Code)");
}

TEST_F(obs_windows, cancel_in_the_header_window_closes_the_run_and_enables_menus) {
    ObsHeaderDialog* h = PrepareSample();
    ASSERT_TRUE(ctx.files.BFile.IsOpen());
    // The outputs are unpublished temporaries: cancelling removes them, the final names stay.
    const std::string temporary = ctx.files.ObsFile.temporary;
    ASSERT_TRUE(fs::exists(temporary));
    Click(h, "CancelBtn");
    EXPECT_FALSE(h->isVisible());
    EXPECT_FALSE(ctx.files.BFile.IsOpen());
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(ctx.files.ObsFile.name));
    EXPECT_EQ(menus, (std::vector<bool>{false, true}));
    EXPECT_EQ(progressStarts, 0);
}

TEST_F(obs_windows, edit_position_paste_and_copy_change_the_dialog_position) {
    FakeClipboard clipboard;
    SetClipboardPort(&clipboard);
    ctx.config.SetMsObsHandling(1);
    ObsHeaderDialog* h = PrepareSample();

    clipboard.text = "X 4189980.3347 Y 551621.3759 Z 4761521.2959";
    Find<QAction>(h, "SpecialPasteMenuItem")->trigger();
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(TextOf(h, "YEdit"), "551621.3759");
    EXPECT_EQ(h->PositionFromBFile(), 0);

    clipboard.text = "nothing here";
    Find<QAction>(h, "SpecialPasteMenuItem")->trigger();
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].title, "ERROR: Special Paste Error.");
    EXPECT_EQ(TextOf(h, "YEdit"), "551621.3759");

    clipboard.text.reset();
    Find<QAction>(h, "SpecialCopyFullPosition")->trigger();
    ASSERT_TRUE(clipboard.text.has_value());
    EXPECT_NE(clipboard.text->find("4189980.3347"), std::string::npos);

    Click(h, "EditPositionButton");
    SitePositionDialog* pos = h->SitePosDialog();
    ASSERT_NE(pos, nullptr);
    EXPECT_TRUE(pos->isVisible());
    EXPECT_FALSE(h->isEnabled());
    Find<QCheckBox>(pos, "BFilePosCheckBox")->click();
    pos->OnOkBtnClick();
    EXPECT_TRUE(h->isEnabled());
    EXPECT_EQ(h->PositionFromBFile(), 1);
    EXPECT_EQ(h->Position()[0], ctx.files.ObsReader.MeanX());
    EXPECT_NE(TextOf(h, "XEdit"), "4189980.3347");

    Click(h, "OKBtn");
    EXPECT_EQ(ctx.config.GetApproxPosFlag(), 1);
    delete pos;
}

}  // namespace
}  // namespace kelvrant

namespace kelvrant {
namespace {

// The Editing page: shown from the settings, checked at OK, stored in the settings and the job.
TEST_F(obs_windows, editing_page_choices_reach_the_job_and_the_settings) {
    ctx.config.SetMsObsHandling(1);
    ctx.config.Settings().Editing.split = "day";
    ObsHeaderDialog* h = PrepareSample();
    EXPECT_EQ(Find<QComboBox>(h, "SplitComboBox")->currentData().toString(), "day");
    EXPECT_TRUE(Find<QCheckBox>(h, "TypeCheckBoxD2")->isChecked());
    Find<QComboBox>(h, "DecimateComboBox")->setEditText("0.05");
    Click(h, "OKBtn");
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].text.toStdString(),
              "Erroneous data entry for the decimation interval.\nSeconds, a multiple of 0.1 from "
              "0.1 to 86400.");
    EXPECT_EQ(progressStarts, 0);

    MessageBox::clearShown();
    Find<QComboBox>(h, "DecimateComboBox")->setEditText("30");
    Find<QCheckBox>(h, "TypeCheckBoxD2")->setChecked(false);
    Find<QCheckBox>(h, "FromCheckBox")->setChecked(true);
    Find<QLineEdit>(h, "ExcludeEdit")->setText("R");
    Click(h, "OKBtn");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(progressStarts, 1);
    const EditOptions& e = ctx.job.Editing;
    EXPECT_EQ(e.decimateMs, 30000);
    EXPECT_EQ(e.split, SplitUnit::kDay);
    EXPECT_TRUE(e.from.has_value());  // the data's first epoch
    EXPECT_EQ(*e.from, ToGpsSeconds(ctx.files.ObsHeader.firstWeek,
                                    std::floor(ctx.files.ObsHeader.firstSeconds)));
    EXPECT_TRUE(e.ExcludesAllGlonass());
    ASSERT_TRUE(e.types.has_value());
    EXPECT_FALSE((*e.types)[6]);
    EXPECT_EQ(ctx.config.Settings().Editing.types, "L1,L2,C1,P1,P2,D1");
    EXPECT_EQ(ctx.config.Settings().Editing.decimate, "30");
}

}  // namespace
}  // namespace kelvrant
