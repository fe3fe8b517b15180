#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "geo/Clock.h"
#include "run/ConversionWorker.h"
#include "run/Progress.h"
#include "run/RunFiles.h"
#include "support/TestPaths.h"
#include "ui/AppContext.h"
#include "ui/MessageBox.h"
#include "ui/MetFileDialog.h"
#include "ui/MetHeaderDialog.h"
#include "ui/PositionClipboard.h"
#include "ui/SensorPositionDialog.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;

// 2024-05-17 13:45:00 UTC: GPS week 2314, day 5 of the week.
constexpr std::time_t kNow = 1715953500;

class FakeClipboard final : public ClipboardPort {
  public:
    std::optional<std::string> ReadText() override { return text; }
    bool WriteText(const std::string& t) override {
        if (!writable) return false;
        text = t;
        return true;
    }
    std::optional<std::string> text;
    bool writable = true;
};

class met_windows : public ::testing::Test {
  protected:
    met_windows() : clock_(kNow) {}

    void SetUp() override {
        MessageBox::reset();
        ctx.clock = &clock_;
        ctx.problems = &problems;
        ctx.enableMenus = [this](bool on) { menus.push_back(on); };
        ctx.config.SetMetUtc2Gps(18.0);
        ctx.config.SetSiteName("KELVIN HILL");
        win = std::make_unique<MetFileDialog>(ctx, nullptr);
        win->SetFileDialogRunner([this](QWidget*, const FileDialogRequest& request) {
            requests.push_back(request);
            return nextChoice;
        });
    }

    void TearDown() override {
        win.reset();
        CloseRunFiles(ctx.files);
        SetClipboardPort(nullptr);
        MessageBox::reset();
    }

    template <typename T = QLineEdit>
    T* In(const char* name) {
        T* widget = win->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    template <typename T = QLineEdit>
    T* Head(const char* name) {
        T* widget = win->HeadWin()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    std::string Text(const char* name) { return In(name)->text().toStdString(); }

    // Copies the bundled met log into the temporary directory under `name`.
    std::string MetLog(const std::string& name) {
        const std::string path = dir.File(name);
        fs::copy_file(test::SourceDir() + "/samples/A26342.NMA", path);
        return path;
    }

    // Types a path into the input edit and leaves it.
    void ChooseInput(const std::string& path) {
        In("InMetFileEdit")->setText(QString::fromStdString(path));
        win->OnInMetNameEditExit();
    }

    // Types into a date edit and leaves it: true when the entry was accepted.
    bool Enter(const char* name, const char* text) {
        In(name)->setText(QString::fromLatin1(text));
        const std::string edit = name;
        if (edit == "GPSWkEdit") return win->OnGPSWkEditExit();
        if (edit == "GPSWkSecEdit") return win->OnGPSWkSecEditExit();
        if (edit == "YearEdit") return win->OnYearEditExit();
        if (edit == "MonthEdit") return win->OnMonthEditExit();
        if (edit == "DayEdit") return win->OnDayEditExit();
        return win->UTCtoGPSEditExit();
    }

    std::string LastMessage() const {
        if (MessageBox::shown().empty()) return {};
        return MessageBox::shown().back().text.toStdString();
    }

    FixedClock clock_;
    test::TempDir dir;
    AppContext ctx;
    RecordingProblemSink problems;
    std::vector<bool> menus;
    std::unique_ptr<MetFileDialog> win;
    std::vector<FileDialogRequest> requests;
    std::optional<QString> nextChoice;
};

// ---- the file selection window ----

TEST_F(met_windows, selection_window_components) {
    EXPECT_EQ(win->windowTitle(), "RINEX Meteorological File Selection");
    EXPECT_TRUE(win->windowFlags() & Qt::WindowStaysOnTopHint);
    struct SensorCase {
        const char* name;
        const char* hint;
        int maxLength;
    };
    const SensorCase cases[] = {
        {"InMetFileEdit", "The path and name of the input met. data file", 32767},
        {"GPSWkEdit", "GPS Week of the start of Met. data file", 5},
        {"GPSWkSecEdit", "Seconds of GPS Week of the start of Met. data file", 10},
        {"YearEdit", "Year of the start of Met. data file", 5},
        {"MonthEdit", "Month of the start of Met. data file", 3},
        {"DayEdit", "Day of month of the start of Met. data file", 3},
        {"UTCtoGPSEdit", "UTC plus this values gives GPS time (Jan 1999 = 13)", 3},
        {"OutMetFileEdit", "The path and name of the output RINEX Meteorological File", 32767},
    };
    for (const SensorCase& s : cases) {
        QLineEdit* edit = In(s.name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->toolTip(), s.hint) << s.name;
        EXPECT_EQ(edit->maxLength(), s.maxLength) << s.name;
    }
    EXPECT_EQ(In<QPushButton>("IntMetFileBrowseBtn")->text(), "Browse ...");
    EXPECT_EQ(In<QPushButton>("IntMetFileBrowseBtn")->toolTip(),
              "Push to browse disks for Ashtech raw meteorological data files");
    EXPECT_EQ(In<QPushButton>("DestMetBrowseBtn")->toolTip(),
              "Push to browse disk and select/name output Meteorological file");
    EXPECT_EQ(In<QPushButton>("CancelBtn")->toolTip(), "Push to cancel operation");
    EXPECT_EQ(In<QPushButton>("OKBtn")->text(), "OK");
    QStringList groups;
    for (const QGroupBox* g : win->findChildren<QGroupBox*>())
        groups << g->title();
    EXPECT_TRUE(groups.contains(" Source Meteorological Data File "));
    EXPECT_TRUE(groups.contains(" Start Day of Data "));
    EXPECT_TRUE(groups.contains(" Target RINEX File "));
    QStringList labels;
    for (const QLabel* l : win->findChildren<QLabel*>())
        labels << l->text();
    for (const char* caption : {"GPS Week:", "Seconds of Week:", "Year:", "Month:", "Day:",
                                "Leap Seconds (UTC To GPS): "})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(caption))) << caption;
}

TEST_F(met_windows, showing_starts_today_with_the_configured_leap_seconds) {
    win->ShowWindow();
    EXPECT_EQ(menus, std::vector<bool>{false});
    EXPECT_EQ(Text("YearEdit"), "2024");
    EXPECT_EQ(Text("MonthEdit"), "5");
    EXPECT_EQ(Text("DayEdit"), "17");
    EXPECT_EQ(Text("GPSWkEdit"), "2314");
    EXPECT_EQ(Text("GPSWkSecEdit"), "432000");
    EXPECT_EQ(Text("UTCtoGPSEdit"), "18");
    EXPECT_EQ(Text("InMetFileEdit"), "");
    // Cancel closes and gives the menus back.
    win->OnCancelBtnClick();
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(menus, (std::vector<bool>{false, true}));
}

TEST_F(met_windows, names_are_kept_and_dates_reset_between_showings) {
    const std::string input = MetLog("A03245.NMA");
    win->ShowWindow();
    ChooseInput(input);
    EXPECT_EQ(Text("YearEdit"), "2003");
    win->OnCancelBtnClick();
    ctx.config.SetMetUtc2Gps(13.0);
    win->ShowWindow();
    // The input is kept and its name read again; the leap seconds are the configured ones.
    EXPECT_EQ(Text("InMetFileEdit"), input);
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("KELV2451.03M"));
    EXPECT_EQ(Text("YearEdit"), "2003");
    EXPECT_EQ(Text("UTCtoGPSEdit"), "13");
}

TEST_F(met_windows, nma_name_gives_start_day_and_output_name) {
    ctx.config.SetSiteName("BASE STATION");
    win->ShowWindow();
    ChooseInput(MetLog("A03245.NMA"));
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("BASE2451.03M"));
    EXPECT_EQ(Text("YearEdit"), "2003");
    EXPECT_EQ(Text("MonthEdit"), "9");
    EXPECT_EQ(Text("DayEdit"), "2");
    EXPECT_EQ(Text("GPSWkEdit"), "1234");
    EXPECT_EQ(Text("GPSWkSecEdit"), "172800");
}

TEST_F(met_windows, lower_case_name_of_1999) {
    win->ShowWindow();
    ChooseInput(MetLog("b99001.nma"));
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("KELV0012.99M"));
    EXPECT_EQ(Text("YearEdit"), "1999");
    EXPECT_EQ(Text("DayEdit"), "1");
}

TEST_F(met_windows, short_or_blank_site_names_give_xxxx) {
    win->ShowWindow();
    ctx.config.SetSiteName("ABC");
    ChooseInput(MetLog("A03245.NMA"));
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("XXXX2451.03M"));
    ctx.config.SetSiteName("AB C");
    ChooseInput(dir.File("A03245.NMA"));
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("XXXX2451.03M"));
}

TEST_F(met_windows, other_names_keep_the_date_fields) {
    win->ShowWindow();
    ASSERT_TRUE(Enter("YearEdit", "2003"));
    ASSERT_TRUE(Enter("MonthEdit", "9"));
    ASSERT_TRUE(Enter("DayEdit", "2"));
    ChooseInput(MetLog("data.txt"));
    EXPECT_EQ(Text("YearEdit"), "2003");
    EXPECT_EQ(Text("DayEdit"), "2");
    EXPECT_EQ(Text("GPSWkEdit"), "1234");
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("KELV2451.03M"));
}

TEST_F(met_windows, missing_input_leaves_the_output_name) {
    win->ShowWindow();
    In("OutMetFileEdit")->setText("/typed/name.24M");
    ChooseInput(dir.File("A03245.NMA"));  // does not exist
    EXPECT_EQ(Text("OutMetFileEdit"), "/typed/name.24M");
    EXPECT_EQ(Text("YearEdit"), "2024");
}

TEST_F(met_windows, typed_output_name_is_replaced_when_a_date_field_is_left) {
    win->ShowWindow();
    ChooseInput(MetLog("data.txt"));
    In("OutMetFileEdit")->setText(QString::fromStdString(dir.File("typed.24M")));
    win->OnOutMetFileEditExit();
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("typed.24M"));
    ASSERT_TRUE(Enter("DayEdit", "18"));
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("KELV1391.24M"));
    // Typed last, it is the name used at OK.
    In("OutMetFileEdit")->setText(QString::fromStdString(dir.File("typed.24M")));
    In<QPushButton>("OKBtn")->setFocus();
    win->OnOKBtnClick();
    EXPECT_TRUE(problems.problems.empty());
    EXPECT_EQ(ctx.files.MetOutFile.name, dir.File("typed.24M"));
    // Prepared, not yet published: the output is a temporary beside its final name.
    EXPECT_TRUE(fs::exists(ctx.files.MetOutFile.temporary));
    EXPECT_FALSE(fs::exists(dir.File("typed.24M")));
}

TEST_F(met_windows, date_entries_are_checked_with_their_messages) {
    win->ShowWindow();
    ASSERT_TRUE(Enter("YearEdit", "2003"));
    ASSERT_TRUE(Enter("MonthEdit", "2"));
    EXPECT_FALSE(Enter("DayEdit", "30"));
    EXPECT_EQ(LastMessage(), "Illegal value for the start day of the\nmeteorological data.");
    EXPECT_EQ(MessageBox::shown().back().title, "Data Entry Error");
    EXPECT_EQ(MessageBox::shown().back().icon, MessageIcon::kStop);
    EXPECT_FALSE(Enter("DayEdit", "29"));
    ASSERT_TRUE(Enter("YearEdit", "2004"));
    EXPECT_TRUE(Enter("DayEdit", "29"));
    EXPECT_EQ(Text("GPSWkEdit"), "1260");
    EXPECT_EQ(Text("GPSWkSecEdit"), "0");
    ASSERT_TRUE(Enter("MonthEdit", "4"));
    EXPECT_EQ(Text("DayEdit"), "29");
    EXPECT_FALSE(Enter("DayEdit", "31"));
    EXPECT_EQ(win->Selection().day, 29);

    MessageBox::clearShown();
    EXPECT_TRUE(Enter("GPSWkSecEdit", "604800"));
    EXPECT_FALSE(Enter("GPSWkSecEdit", "604801"));
    EXPECT_EQ(LastMessage(),
              "Illegal value for the start GPS Week Seconds\nof the meteorological data.");
    EXPECT_EQ(win->Selection().startSeconds, 604800);
    EXPECT_FALSE(Enter("GPSWkEdit", "-1"));
    EXPECT_EQ(LastMessage(), "Illegal value for the start GPS week of the\nmeteorological data.");
    EXPECT_FALSE(Enter("YearEdit", "2070"));
    EXPECT_EQ(LastMessage(), "Illegal value for the start year of the\nmeteorological data.");
    EXPECT_FALSE(Enter("MonthEdit", "13"));
    EXPECT_EQ(LastMessage(), "Illegal value for the start month of the\nmeteorological data.");
    EXPECT_FALSE(Enter("UTCtoGPSEdit", "0"));
    EXPECT_EQ(LastMessage(), "Illegal value for UTC to GPS leap seconds.");
    EXPECT_FALSE(Enter("UTCtoGPSEdit", "31"));
    EXPECT_TRUE(Enter("UTCtoGPSEdit", "13"));
    EXPECT_EQ(win->Selection().leapSeconds, 13.0);
    EXPECT_EQ(MessageBox::shown().size(), 6u);
}

TEST_F(met_windows, refused_entry_keeps_the_focus_and_blocks_ok) {
    win->ShowWindow();
    QApplication::setActiveWindow(win.get());
    QLineEdit* day = In("DayEdit");
    day->setFocus();
    day->setText("32");
    // Leaving the edit for OK shows the message once and brings the focus back.
    In<QPushButton>("OKBtn")->setFocus();
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), day);
    win->OnOKBtnClick();
    EXPECT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->Selection().day, 17);
    // Going for Cancel checks nothing.
    In<QPushButton>("CancelBtn")->setFocus();
    EXPECT_EQ(MessageBox::shown().size(), 1u);
}

TEST_F(met_windows, existing_output_asks_before_overwriting) {
    win->ShowWindow();
    ChooseInput(MetLog("A26342.NMA"));
    const std::string output = Text("OutMetFileEdit");
    test::WriteFile(output, "old");
    In<QPushButton>("CancelBtn")->setFocus();
    MessageBox::setNextAnswer(QMessageBox::No);
    win->OnOKBtnClick();
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageIcon::kQuestion);
    EXPECT_EQ(MessageBox::shown()[0].title, "File Already Exists");
    EXPECT_EQ(LastMessage(), output + "\n\nOverwrite the existing RINEX Meteorological File?");
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(test::ReadFile(output), "old");
    EXPECT_FALSE(ctx.files.MetInFile.IsOpen());

    MessageBox::setNextAnswer(QMessageBox::Yes);
    win->OnOKBtnClick();
    EXPECT_FALSE(win->isVisible());
    EXPECT_TRUE(win->HeadWin()->isVisible());
    EXPECT_TRUE(ctx.files.MetOutFile.IsOpen());
}

TEST_F(met_windows, failed_preparation_keeps_the_window_open) {
    win->ShowWindow();
    In("InMetFileEdit")->setText(QString::fromStdString(dir.File("missing.NMA")));
    In("OutMetFileEdit")->setText(QString::fromStdString(dir.File("out.24M")));
    In<QPushButton>("CancelBtn")->setFocus();
    win->OnOKBtnClick();
    ASSERT_EQ(problems.problems.size(), 1u);
    EXPECT_EQ(problems.problems[0].title, "File Open Error");
    EXPECT_EQ(problems.problems[0].text, "Cannot Open Entered Input Meteorological File.\n\n" +
                                             dir.File("missing.NMA") +
                                             ": No such file or directory");
    EXPECT_TRUE(win->isVisible());
    EXPECT_FALSE(win->HeadWin()->isVisible());
    EXPECT_EQ(menus, std::vector<bool>{false});
}

TEST_F(met_windows, browse_buttons_use_their_dialogs) {
    win->ShowWindow();
    const std::string input = MetLog("A03245.NMA");
    nextChoice = QString::fromStdString(input);
    win->OnIntMetFileBrowseBtnClick();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Select Source Meteorological");
    EXPECT_EQ(requests[0].filters,
              (QStringList{"NMEA files (*.nma) (*.NMA *.nma)", "D-Files (d*.*) (d*.* D*.*)",
                           "All Files (*.*) (*.*)"}));
    EXPECT_EQ(requests[0].selectedFilter, requests[0].filters[0]);
    EXPECT_TRUE(requests[0].fileMustExist);
    EXPECT_EQ(requests[0].fileName, "");
    EXPECT_EQ(Text("InMetFileEdit"), input);
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("KELV2451.03M"));
    EXPECT_EQ(Text("YearEdit"), "2003");

    // The output dialog opens in the nearest existing directory of the derived name.
    nextChoice = QString::fromStdString(dir.File("chosen.03M"));
    win->OnDestMetBrowseBtnClick();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].title, "Select Target RINEX Meteorological File");
    EXPECT_EQ(requests[1].filters, (QStringList{"Met Files (*.??M *.??m)", "All Files (*.*)"}));
    EXPECT_EQ(requests[1].selectedFilter, "Met Files (*.??M *.??m)");
    EXPECT_FALSE(requests[1].fileMustExist);
    EXPECT_EQ(requests[1].directory.toStdString(), dir.path().string());
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("chosen.03M"));

    // The input dialog opens on the chosen file; cancelling it changes nothing.
    nextChoice.reset();
    win->OnIntMetFileBrowseBtnClick();
    EXPECT_EQ(requests[2].fileName.toStdString(), fs::path(input).filename().string());
    EXPECT_EQ(requests[2].directory.toStdString(), fs::path(input).parent_path().string());
    EXPECT_EQ(Text("OutMetFileEdit"), dir.File("chosen.03M"));
}

// ---- the header window ----

TEST_F(met_windows, header_window_components) {
    MetHeaderDialog* head = win->HeadWin();
    EXPECT_EQ(head->windowTitle(), "RINEX Meteorological Header Data");
    EXPECT_EQ(Head("SiteNameEdit")->maxLength(), 60);
    EXPECT_EQ(Head("SiteNameEdit")->toolTip(), "The name of the station being occupied");
    EXPECT_EQ(Head("StaNumEdit")->maxLength(), 20);
    EXPECT_EQ(Head("CreateAgencyEdit")->maxLength(), 20);
    for (const char* c : {"Comment0Edit", "Comment1Edit", "Comment2Edit"})
        EXPECT_EQ(Head(c)->maxLength(), 60);
    auto* notebook = Head<QTabWidget>("SensorInfoTabbedNotebook");
    ASSERT_EQ(notebook->count(), 3);
    EXPECT_EQ(notebook->tabText(0), "&Pressure");
    EXPECT_EQ(notebook->tabText(1), "&Temperature");
    EXPECT_EQ(notebook->tabText(2), "&Humidity");
    const char* prefixes[] = {"Press", "Temp", "Humid"};
    const char* accHints[] = {"(mbar) Sensor Accuracy", "(C) Sensor Accuracy",
                              "(%) Sensor Accuracy"};
    for (int i = 0; i < 3; ++i) {
        const std::string p = prefixes[i];
        EXPECT_EQ(Head((p + "ModelEdit").c_str())->toolTip(), "Model/Manufacturer");
        EXPECT_EQ(Head((p + "ModelEdit").c_str())->maxLength(), 20);
        EXPECT_EQ(Head((p + "TypeEdit").c_str())->toolTip(), "Sensor Type");
        EXPECT_EQ(Head((p + "AccEdit").c_str())->toolTip(), accHints[i]);
        EXPECT_EQ(Head((p + "AccEdit").c_str())->maxLength(), 8);
        for (const char* axis : {"X", "Y", "Z"}) {
            QLineEdit* e = Head((p + axis + "Edit").c_str());
            EXPECT_TRUE(e->isReadOnly());
            EXPECT_EQ(e->maxLength(), 15);
            EXPECT_EQ(e->toolTip().toStdString(),
                      std::string(axis) + " coordinate of the sensor position (meters WGS-84)");
        }
        EXPECT_EQ(Head<QPushButton>((p + "PosButton").c_str())->text(), "Edit Position");
    }
    for (const char* box : {"TempUsePressPosChkBox", "HumidUsePressPosChkBox"}) {
        EXPECT_EQ(Head<QCheckBox>(box)->text(), "Use pressure sensor position");
        EXPECT_EQ(Head<QCheckBox>(box)->toolTip(), "Select to use position of pressure sensor");
    }
    EXPECT_EQ(Head<QAction>("SpecialPasteMenuItem")->text(), "Special Paste (Full Position)");
    EXPECT_EQ(Head<QAction>("SpecialCopyFullPosition")->text(), "Special Copy (Full Position)");
    EXPECT_NE(Head<QMenu>("SpecialPastePopupMenu"), nullptr);
}

TEST_F(met_windows, header_window_shows_the_configuration) {
    ctx.config.SetSiteNumber("12345M001");
    ctx.config.SetCreateAgency("KELV AGENCY");
    ctx.config.SetMetComments("", "second", "third");
    ctx.config.SetMetPressAcc(0.25);
    ctx.config.SetMetPressPos({4189980.0, 551621.0, 4761521.0});
    ctx.config.SetMetTempPos(1, {1.0, 2.0, 3.0});
    ctx.config.SetMetHumidPos(0, {10.0, 20.0, 30.0});
    ctx.config.SetMetHumidMod("HUMID MODEL");
    MetHeaderDialog* head = win->HeadWin();
    head->ShowWindow();
    EXPECT_EQ(Head("SiteNameEdit")->text(), "KELVIN HILL");
    EXPECT_EQ(Head("StaNumEdit")->text(), "12345M001");
    EXPECT_EQ(Head("CreateAgencyEdit")->text(), "KELV AGENCY");
    EXPECT_EQ(Head("Comment0Edit")->text(), "second");
    EXPECT_EQ(Head("Comment1Edit")->text(), "third");
    EXPECT_EQ(Head("Comment2Edit")->text(), "");
    EXPECT_EQ(Head("PressAccEdit")->text(), "0.2");  // "%.1lf" of 0.25, as printf rounds it
    EXPECT_EQ(Head("HumidModelEdit")->text(), "HUMID MODEL");
    // The temperature page shows the pressure sensor's position, its controls disabled.
    EXPECT_TRUE(Head<QCheckBox>("TempUsePressPosChkBox")->isChecked());
    EXPECT_EQ(Head("TempXEdit")->text(), "4189980.0000");
    EXPECT_FALSE(Head<QPushButton>("TempPosButton")->isEnabled());
    EXPECT_FALSE(Head<QLabel>("TempPosLabel")->isEnabled());
    EXPECT_FALSE(Head<QLabel>("TempXLabel")->isEnabled());
    EXPECT_EQ(Head("HumidZEdit")->text(), "30.0000");
    EXPECT_TRUE(Head<QPushButton>("HumidPosButton")->isEnabled());
    // Unchecking shows the page's own position again.
    Head<QCheckBox>("TempUsePressPosChkBox")->click();
    EXPECT_EQ(Head("TempXEdit")->text(), "1.0000");
    EXPECT_TRUE(Head<QPushButton>("TempPosButton")->isEnabled());
    EXPECT_TRUE(Head<QLabel>("TempZLabel")->isEnabled());
    head->OnCancelBtnClick();
}

TEST_F(met_windows, accuracy_entries_are_checked) {
    MetHeaderDialog* head = win->HeadWin();
    head->ShowWindow();
    Head("PressAccEdit")->setText("-0.1");
    EXPECT_FALSE(head->OnPressAccEditExit());
    EXPECT_EQ(LastMessage(), "Illegal value entered for the pressure sensor\naccuracy.");
    EXPECT_EQ(MessageBox::shown().back().title, "Data Entry Error");
    Head("TempAccEdit")->setText("abc");
    EXPECT_FALSE(head->OnTempAccEditExit());
    EXPECT_EQ(LastMessage(), "Illegal value entered for the Temperature\nsensor accuracy.");
    Head("HumidAccEdit")->setText("");
    EXPECT_FALSE(head->OnHumidAccEditExit());
    EXPECT_EQ(LastMessage(), "Illegal value entered for the Humidure sensor\naccuracy.");
    EXPECT_EQ(head->State(MetHeaderDialog::kHumidity).accuracy, 0.0);
    Head("HumidAccEdit")->setText("2.5");
    EXPECT_TRUE(head->OnHumidAccEditExit());
    EXPECT_EQ(head->State(MetHeaderDialog::kHumidity).accuracy, 2.5);
    head->OnCancelBtnClick();
}

TEST_F(met_windows, position_button_edits_the_sensor_position) {
    ctx.config.SetMetTempPos(1, {0.0, 0.0, 0.0});
    MetHeaderDialog* head = win->HeadWin();
    head->ShowWindow();
    head->OnPressPosButtonClick();
    SensorPositionDialog* dialog = head->SensorPosWin();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Pressure Sensor Position");
    EXPECT_FALSE(head->isEnabled());
    dialog->findChild<QLineEdit*>("RefPosXEdit")->setText("4189980.3347");
    dialog->findChild<QLineEdit*>("RefPosYEdit")->setText("551621.3759");
    dialog->findChild<QLineEdit*>("RefPosZEdit")->setText("4761521.2959");
    ASSERT_TRUE(dialog->OnECEFExit());
    dialog->OnOkBtnClick();
    EXPECT_TRUE(head->isEnabled());
    EXPECT_EQ(head->State(MetHeaderDialog::kPressure).position.x, 4189980.3347);
    EXPECT_EQ(Head("PressXEdit")->text(), "4189980.3347");
    EXPECT_EQ(Head("PressZEdit")->text(), "4761521.2959");
    EXPECT_EQ(Head("TempYEdit")->text(), "551621.3759");  // at the pressure sensor

    // Cancel changes nothing and enables the window again.
    head->OnHumidPosButtonClick();
    EXPECT_EQ(dialog->windowTitle(), "Humidity Sensor Position");
    dialog->OnCancelBtnClick();
    EXPECT_TRUE(head->isEnabled());
    EXPECT_EQ(Head("HumidXEdit")->text(), "0.0000");
    head->OnCancelBtnClick();
}

TEST_F(met_windows, special_paste_and_copy_act_on_the_current_page) {
    FakeClipboard clipboard;
    SetClipboardPort(&clipboard);
    MetHeaderDialog* head = win->HeadWin();
    head->ShowWindow();
    Head<QTabWidget>("SensorInfoTabbedNotebook")->setCurrentIndex(2);
    clipboard.text = "X 4189980.3347 Y 551621.3759 Z 4761521.2959";
    head->OnSpecialPasteMenuItemClick();
    EXPECT_TRUE(MessageBox::shown().empty()) << LastMessage();
    EXPECT_EQ(Head("HumidXEdit")->text(), "4189980.3347");
    EXPECT_EQ(Head("PressXEdit")->text(), "0.0000");

    clipboard.text = "nothing here";
    head->OnSpecialPasteMenuItemClick();
    EXPECT_EQ(MessageBox::shown().back().title, "ERROR: Special Paste Error.");
    EXPECT_EQ(Head("HumidXEdit")->text(), "4189980.3347");

    Head<QTabWidget>("SensorInfoTabbedNotebook")->setCurrentIndex(0);
    head->OnSpecialCopyFullPositionClick();
    ASSERT_TRUE(clipboard.text.has_value());
    EXPECT_NE(clipboard.text->find("0.0000"), std::string::npos);
    Head<QTabWidget>("SensorInfoTabbedNotebook")->setCurrentIndex(2);
    head->OnSpecialCopyFullPositionClick();
    EXPECT_NE(clipboard.text->find("4189980.3347"), std::string::npos);
    clipboard.writable = false;
    head->OnSpecialCopyFullPositionClick();
    EXPECT_EQ(MessageBox::shown().back().title, "ERROR: Clipboard Write Error.");
    head->OnCancelBtnClick();
}

TEST_F(met_windows, header_cancel_closes_the_run_files) {
    win->ShowWindow();
    ChooseInput(MetLog("A26342.NMA"));
    In<QPushButton>("CancelBtn")->setFocus();
    win->OnOKBtnClick();
    ASSERT_TRUE(win->HeadWin()->isVisible());
    EXPECT_TRUE(ctx.files.MetInFile.IsOpen());
    EXPECT_EQ(menus, (std::vector<bool>{false, false}));  // the file window did not give them back
    win->HeadWin()->OnCancelBtnClick();
    EXPECT_FALSE(win->HeadWin()->isVisible());
    EXPECT_FALSE(ctx.files.MetInFile.IsOpen());
    EXPECT_FALSE(ctx.files.MetOutFile.IsOpen());
    EXPECT_EQ(menus.back(), true);
}

// ---- the whole path ----

TEST_F(met_windows, interactive_conversion_writes_the_entered_header) {
    bool workerOk = false;
    int progressWindows = 0;
    ctx.startProgressWindow = [&] {
        ++progressWindows;
        ProgressState progress;
        workerOk = RunConversionWorker(ctx.job, ctx.files, problems, progress);
        CloseRunFiles(ctx.files);
        ctx.enableMenus(true);
    };
    ctx.config.SetMetTempPos(1, {0.0, 0.0, 0.0});

    win->ShowWindow();
    ChooseInput(MetLog("A26342.NMA"));
    const std::string output = dir.File("KELV3421.26M");
    EXPECT_EQ(Text("OutMetFileEdit"), output);
    EXPECT_EQ(Text("YearEdit"), "2026");
    EXPECT_EQ(Text("MonthEdit"), "12");
    EXPECT_EQ(Text("DayEdit"), "8");
    ASSERT_TRUE(Enter("UTCtoGPSEdit", "18"));
    In<QPushButton>("OKBtn")->setFocus();
    win->OnOKBtnClick();
    ASSERT_TRUE(problems.problems.empty());
    EXPECT_EQ(ctx.job.MetStartWeek, 2448);
    EXPECT_EQ(ctx.job.MetStartSeconds, 172800.0);
    EXPECT_EQ(ctx.job.MetUtcToGps, 18.0);
    EXPECT_EQ(ctx.config.GetMetUtc2Gps(), 18.0);

    MetHeaderDialog* head = win->HeadWin();
    ASSERT_TRUE(head->isVisible());
    Head("SiteNameEdit")->setText("KELVIN HILL MET");
    Head("StaNumEdit")->setText("10001M002");
    Head("CreateAgencyEdit")->setText("KELVRANT TEST");
    Head("Comment0Edit")->setText("");
    Head("Comment1Edit")->setText("Met sensors on the mast");
    Head("Comment2Edit")->setText("Calibrated 2026-11");
    Head("PressModelEdit")->setText("PTB220");
    Head("PressTypeEdit")->setText("BAROMETER");
    Head("PressAccEdit")->setText("0.1");
    ASSERT_TRUE(head->OnPressAccEditExit());
    Head("TempModelEdit")->setText("HMP45");
    Head("TempTypeEdit")->setText("PT100");
    Head("TempAccEdit")->setText("0.2");
    ASSERT_TRUE(head->OnTempAccEditExit());
    Head("HumidModelEdit")->setText("HMP45 HUMICAP");
    Head("HumidTypeEdit")->setText("CAPACITIVE");
    Head("HumidAccEdit")->setText("2");
    ASSERT_TRUE(head->OnHumidAccEditExit());
    FakeClipboard clipboard;
    SetClipboardPort(&clipboard);
    clipboard.text = "X 4189980.3347 Y 551621.3759 Z 4761521.2959";
    Head<QTabWidget>("SensorInfoTabbedNotebook")->setCurrentIndex(0);
    head->OnSpecialPasteMenuItemClick();
    clipboard.text = "X 4189981.0 Y 551622.0 Z 4761522.0";
    Head<QTabWidget>("SensorInfoTabbedNotebook")->setCurrentIndex(2);
    head->OnSpecialPasteMenuItemClick();
    ASSERT_TRUE(MessageBox::shown().empty()) << LastMessage();
    Head<QPushButton>("OKBtn")->setFocus();
    head->OnOKBtnClick();

    EXPECT_EQ(progressWindows, 1);
    EXPECT_TRUE(workerOk);
    EXPECT_TRUE(problems.problems.empty());
    EXPECT_FALSE(head->isVisible());
    EXPECT_EQ(menus.back(), true);

    const std::string rinex = test::ReadFile(output);
    auto has = [&rinex](const std::string& line) {
        return rinex.find(line + "\r\n") != std::string::npos;
    };
    auto pad = [](std::string text, std::size_t width) {
        text.resize(width, ' ');
        return text;
    };
    EXPECT_TRUE(has(pad("KELVIN HILL MET", 60) + "MARKER NAME         ")) << rinex;
    EXPECT_TRUE(has(pad("10001M002", 60) + "MARKER NUMBER       "));
    EXPECT_TRUE(has(pad("Met sensors on the mast", 60) + "COMMENT             "));
    EXPECT_TRUE(has(pad("Calibrated 2026-11", 60) + "COMMENT             "));
    EXPECT_NE(rinex.find("KELVRANT TEST"), std::string::npos);
    EXPECT_TRUE(has(pad("PTB220", 20) + pad("BAROMETER", 20) + "          0.1    PR " +
                    "SENSOR MOD/TYPE/ACC "));
    EXPECT_TRUE(
        has(pad("HMP45", 20) + pad("PT100", 20) + "          0.2    TD " + "SENSOR MOD/TYPE/ACC "));
    EXPECT_TRUE(has(pad("HMP45 HUMICAP", 20) + pad("CAPACITIVE", 20) + "          2.0    HR " +
                    "SENSOR MOD/TYPE/ACC "));
    EXPECT_NE(rinex.find("  4189980.3347   551621.3759  4761521.2959"), std::string::npos);
    EXPECT_NE(rinex.find(" PR SENSOR POS XYZ/H"), std::string::npos);
    EXPECT_NE(rinex.find("  4189981.0000   551622.0000  4761522.0000"), std::string::npos);
    EXPECT_NE(rinex.find(" HR SENSOR POS XYZ/H"), std::string::npos);
    EXPECT_EQ(rinex.find(" TD SENSOR POS XYZ/H"), std::string::npos);
    // The first record: 09:59:42 UTC on the day of the name, 18 leap seconds later in GPS time.
    EXPECT_NE(rinex.find("END OF HEADER       \r\n 26 12  8 10  0  0"), std::string::npos) << rinex;

    // The configuration keeps what was entered.
    const std::string ini = dir.File("Kelvrant.INI");
    ASSERT_EQ(ctx.config.WriteConfigFile(ini), 1);
    const std::string text = test::ReadFile(ini);
    for (const char* line :
         {"SITE_NAME=KELVIN HILL MET\n", "SITE_NUMBER=10001M002\n", "CREATE_AGENCY=KELVRANT TEST\n",
          "METCMT1=Met sensors on the mast\n", "METCMT2=Calibrated 2026-11\n", "METCMT3=\n",
          "MET_PRESS_MOD=PTB220\n", "MET_PRESS_TYP=BAROMETER\n", "MET_PRESS_ACC=0.1\n",
          "MET_PRESS_POS=4189980.3347,551621.3759,4761521.2959\n", "MET_TEMP_MOD=HMP45\n",
          "MET_TEMP_ACC=0.2\n", "MET_TEMP_POS=1,0.0000,0.0000,0.0000\n",
          "MET_HUMID_TYP=CAPACITIVE\n", "MET_HUMID_ACC=2.0\n",
          "MET_HUMID_POS=0,4189981.0000,551622.0000,4761522.0000\n", "MET_UTC_2_GPS=18.0\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

}  // namespace
}  // namespace kelvrant
