// The program as a surveyor uses it: boxes in front of the window that caused them, a result
// at the end of a conversion, windows that fit a laptop screen, keys that close windows, save
// dialogs for outputs, drag and drop, recent sessions and the remembered folder.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "geo/GpsTime.h"
#include "support/TestPaths.h"
#include "ui/AboutWindow.h"
#include "ui/AutoRunErrorWindow.h"
#include "ui/BuildInfo.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"
#include "ui/MetFileDialog.h"
#include "ui/MetHeaderDialog.h"
#include "ui/ObsFileDialog.h"
#include "ui/ObsHeaderDialog.h"
#include "ui/ResultPanel.h"
#include "ui/SessionDrop.h"
#include "ui/SitePositionDialog.h"
#include "ui/TimerIntervals.h"
#include "ui/UsageWindow.h"
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

void CopySample(const fs::path& to) {
    fs::create_directories(to);
    for (const char* name : {"BKELVA26.342", "EKELVA26.342", "SKELVA26.342", "ION26.342"})
        fs::copy_file(fs::path(test::SourceDir()) / "samples" / name, to / name);
}

void WriteText(const fs::path& path, const char* text) {
    std::ofstream(path) << text;
}

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// Drops `path` on `target` as a file manager does.
bool Drop(QWidget* target, const fs::path& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Q(path))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

class desktop_use : public ::testing::Test {
  protected:
    void SetUp() override {
        MessageBox::reset();
        UserSettings::ClearRecentSessions();
        saved_ = Intervals();
        Intervals().progress = 5;
    }
    void TearDown() override { Intervals() = saved_; }

    TempDir dir;
    TimerIntervals saved_;
};

// 1. A preparation error goes over the always-on-top file window, not behind it.
TEST_F(desktop_use, preparation_error_is_shown_over_the_file_window) {
    MainWindow window(1, kProgram, OptionsIn(dir));
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.ObsFileOptWin()->isVisible(), 5000);
    window.ObsFileOptWin()->findChild<QPushButton*>("OKBtn")->click();
    ASSERT_FALSE(MessageBox::shown().empty());
    const MessageBox::Record& box = MessageBox::shown().back();
    EXPECT_EQ(box.title, "Minimum File Requirements");
    EXPECT_EQ(box.parent, window.ObsFileOptWin());
}

// 2, 11, 12. A B-file dropped on the main window fills the file window as Browse would; the
// conversion ends with the result in the window and the status bar, and a recent session.
TEST_F(desktop_use, dropped_session_converts_and_shows_what_was_written) {
    const fs::path session = dir.path() / "field day";
    CopySample(session);
    MainWindow window(1, kProgram, OptionsIn(dir));
    window.show();  // the progress window runs inside it
    ObsFileDialog* files = window.ObsFileOptWin();
    QTRY_VERIFY_WITH_TIMEOUT(files->isVisible(), 5000);
    ASSERT_TRUE(Drop(&window, session));  // a folder holding one session
    ASSERT_TRUE(files->isVisible());
    EXPECT_EQ(files->FileName(ObsFileDialog::kEFile), (session / "EKELVA26.342").string());
    EXPECT_EQ(files->FileName(ObsFileDialog::kIonFile), (session / "ION26.342").string());
    EXPECT_EQ(files->FileName(ObsFileDialog::kObsFile), (session / "KELV3421.26O").string());
    EXPECT_EQ(UserSettings::LastFolder(), Q(session));

    files->findChild<QPushButton*>("OKBtn")->click();
    ASSERT_TRUE(files->HeaderDataWin()->isVisible());
    files->HeaderDataWin()->findChild<QPushButton*>("OKBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(window.Result() != nullptr, 30000);
    const QString text = window.Result()->Text();
    for (const char* expected : {"Conversion complete", "KELV3421.26O", "KELV3421.26N",
                                 "KELV3421.26G", "Epochs: ", "Time span: 2026-12-08"})
        EXPECT_TRUE(text.contains(expected)) << expected << " in\n" << text.toStdString();
    EXPECT_TRUE(window.StatusText().startsWith("Wrote 3 files"))
        << window.StatusText().toStdString();
    EXPECT_TRUE(window.MenusEnabled());
    EXPECT_EQ(UserSettings::RecentSessions(), QStringList{Q(session / "BKELVA26.342")});

    QUrl opened;
    ResultPanel::SetFolderOpener([&](const QUrl& url) { return opened = url, true; });
    window.Result()->findChild<QPushButton*>("OpenFolderButton")->click();
    ResultPanel::SetFolderOpener({});
    EXPECT_EQ(opened, QUrl::fromLocalFile(Q(session)));
    window.Result()->findChild<QPushButton*>("ConvertAnotherButton")->click();
    EXPECT_TRUE(files->isVisible());
    EXPECT_FALSE(window.MenusEnabled());
}

TEST(run_result, summary_line_says_how_the_run_ended) {
    RunResult result;
    result.outputs = {{"/data/KELV3421.26O", 2048}, {"/data/KELV3421.26N", 1000}};
    const struct {
        RunResult::Ending ending;
        const char* line;
    } cases[] = {
        {RunResult::Ending::kSucceeded,
         "Wrote 2 files (3.0 KB) to /data: KELV3421.26O, KELV3421.26N"},
        {RunResult::Ending::kCancelled, "Conversion cancelled; no files were written."},
        {RunResult::Ending::kFailed, "Conversion failed: File Write Error"},
    };
    result.warnings = {"File Write Error"};
    for (const auto& c : cases) {
        result.ending = c.ending;
        EXPECT_EQ(result.SummaryLine(), c.line);
    }
    // The time span in whole seconds: 09:59:59.96 is 10:00:00, not "09:59:60".
    result.ending = RunResult::Ending::kSucceeded;
    result.hasTimeSpan = true;
    CalendarToGpsTime(2026, 12, 7, 23, 59, 59.96, result.firstWeek, result.firstSeconds);
    CalendarToGpsTime(2026, 12, 8, 9, 59, 59.96, result.lastWeek, result.lastSeconds);
    EXPECT_TRUE(result.DetailLines().contains(
        "Time span: 2026-12-08 00:00:00 to 2026-12-08 10:00:00 (GPS time)"))
        << result.DetailLines().join('\n').toStdString();

    ResultPanel panel;
    result.ending = RunResult::Ending::kCancelled;
    panel.ShowResult(result);
    EXPECT_TRUE(panel.Text().startsWith(kCancelledText));
    EXPECT_FALSE(panel.Text().contains("KELV3421"));
    EXPECT_TRUE(panel.findChild<QPushButton*>("OpenFolderButton")->isHidden());
}

// 11. What a dropped file or folder starts.
TEST_F(desktop_use, dropped_files_and_folders_start_the_matching_conversion) {
    CopySample(dir.path() / "one");
    CopySample(dir.path() / "two");
    fs::copy_file(dir.path() / "two" / "BKELVA26.342", dir.path() / "two" / "BKELVB26.342");
    fs::create_directories(dir.path() / "met");
    WriteText(dir.path() / "met" / "A26342.NMA", "$GPXDR,P,1013.2,B,1\r\n");
    WriteText(dir.path() / "met" / "log.txt", "$PASHR,XDR,P,1013.2,B,1\r\n");
    fs::create_directories(dir.path() / "empty");
    using Kind = SessionDrop::Kind;
    const struct {
        const char* path;
        Kind kind;
        const char* file;
    } cases[] = {
        {"one/BKELVA26.342", Kind::kObservation, "one/BKELVA26.342"},
        {"one/EKELVA26.342", Kind::kObservation, "one/BKELVA26.342"},
        {"one", Kind::kObservation, "one/BKELVA26.342"},
        {"two", Kind::kNone, ""},
        {"met/A26342.NMA", Kind::kMet, "met/A26342.NMA"},
        {"met/log.txt", Kind::kMet, "met/log.txt"},
        {"empty", Kind::kNone, ""},
    };
    for (const auto& c : cases) {
        const SessionDrop drop = ClassifySession(Q(dir.path() / c.path));
        EXPECT_EQ(drop.kind, c.kind) << c.path;
        if (c.kind != Kind::kNone) {
            EXPECT_EQ(drop.path, Q(dir.path() / c.file)) << c.path;
        } else {
            EXPECT_FALSE(drop.reason.isEmpty()) << c.path;
        }
    }

    // A met log dropped on the file window hands over to the met conversion.
    MainWindow window(1, kProgram, OptionsIn(dir));
    window.OpenSession(Q(dir.path() / "one"));
    ASSERT_TRUE(window.ObsFileOptWin()->isVisible());
    ASSERT_TRUE(Drop(window.ObsFileOptWin(), dir.path() / "met" / "A26342.NMA"));
    EXPECT_FALSE(window.ObsFileOptWin()->isVisible());
    ASSERT_TRUE(window.MetFileOptWin()->isVisible());
    EXPECT_EQ(window.MetFileOptWin()->Selection().inFileName,
              (dir.path() / "met" / "A26342.NMA").string());
    EXPECT_FALSE(window.OpenSession(Q(dir.path() / "two")));
    EXPECT_TRUE(window.StatusText().contains("2 B-files")) << window.StatusText().toStdString();
}

// 12. The recent sessions keep the last eight, newest first, once each.
TEST_F(desktop_use, recent_sessions_keep_the_last_eight_in_the_file_menu) {
    for (int i = 1; i <= 10; ++i)
        UserSettings::AddRecentSession(QStringLiteral("/data/B%1").arg(i));
    UserSettings::AddRecentSession(QStringLiteral("/data/B5"));
    const QStringList recent = UserSettings::RecentSessions();
    ASSERT_EQ(recent.size(), 8);
    EXPECT_EQ(recent.front(), "/data/B5");
    EXPECT_EQ(recent[1], "/data/B10");
    EXPECT_EQ(recent.back(), "/data/B3");
    EXPECT_FALSE(UserSettings::FilePath().endsWith("Kelvrant.INI", Qt::CaseInsensitive));

    MainWindow window(1, kProgram, OptionsIn(dir));
    auto* menu = window.findChild<QMenu*>("RecentSessionsMenu");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 8);
    EXPECT_EQ(menu->actions().front()->text(), "&1 /data/B5");
}

// 3. The header windows fit the screen (offscreen: 800 x 600, smaller than a laptop's) with
// OK and Cancel in view, and can be made smaller still.
TEST_F(desktop_use, header_windows_fit_the_screen_with_their_buttons_in_view) {
    MainWindow window(1, kProgram, OptionsIn(dir));
    CopySample(dir.path());
    window.OpenSession(Q(dir.path() / "BKELVA26.342"));
    window.ObsFileOptWin()->findChild<QPushButton*>("OKBtn")->click();
    ObsHeaderDialog* obsHeader = window.ObsFileOptWin()->HeaderDataWin();
    MetHeaderDialog* metHeader = window.MetFileOptWin()->HeadWin();
    metHeader->ShowWindow();
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    for (QDialog* header : {static_cast<QDialog*>(obsHeader), static_cast<QDialog*>(metHeader)}) {
        SCOPED_TRACE(header->objectName().toStdString());
        ASSERT_TRUE(header->isVisible());
        EXPECT_TRUE(screen.contains(header->frameGeometry())) << header->height();
        EXPECT_LT(header->minimumSizeHint().height(), 400);
        for (const char* button : {"OKBtn", "CancelBtn"}) {
            auto* b = header->findChild<QPushButton*>(button);
            const QRect inDialog(b->mapTo(header, QPoint(0, 0)), b->size());
            EXPECT_TRUE(header->rect().contains(inDialog)) << button;
        }
        header->resize(header->width(), 300);
        EXPECT_EQ(header->height(), 300);
    }
    metHeader->reject();
}

// 5. The error window counts down and closes on Return, Enter or Escape.
TEST(desktop_use_keys, error_window_counts_down_and_closes_on_return_or_escape) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        AutoRunErrorWindow error;
        int closed = 0;
        QObject::connect(&error, &AutoRunErrorWindow::closed, [&] { ++closed; });
        error.show();
        auto* countdown = error.findChild<QLabel*>("CountdownLabel");
        EXPECT_EQ(countdown->text(), "Closes in 11 s");
        error.OnWindowVisibleTimer();
        EXPECT_EQ(countdown->text(), "Closes in 10 s");
        EXPECT_EQ(error.findChild<QPlainTextEdit*>("MessageMemo")->focusPolicy(), Qt::NoFocus);
        QTest::keyClick(&error, key);
        EXPECT_EQ(closed, 1) << key;
        EXPECT_FALSE(error.isVisible());
    }
}

// 7. Help and About close on Escape; help resizes, wraps, and prints with a printer icon.
TEST(desktop_use_keys, help_and_about_close_on_escape) {
    AppContext context;
    UsageWindow help(context, "kelvrant");
    AboutWindow about(context);
    for (QWidget* window : {static_cast<QWidget*>(&help), static_cast<QWidget*>(&about)}) {
        window->show();
        QTest::keyClick(window, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    }
    EXPECT_EQ(help.findChild<QPlainTextEdit*>("MsgMemo")->lineWrapMode(),
              QPlainTextEdit::WidgetWidth);
    EXPECT_LT(help.minimumSize().width(), 760);
    EXPECT_EQ(help.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    EXPECT_FALSE(help.findChild<QToolButton*>("SpeedButton1")->icon().isNull());
}

// 6. Output browse buttons propose the name in a Save dialog; browsing starts in the field's
// folder, else the last folder used, else home.
TEST_F(desktop_use, browse_proposes_the_output_name_and_starts_in_a_sensible_folder) {
    AppContext ctx;
    ObsFileDialog files(ctx);
    std::vector<ObsFileDialogRequest> requests;
    ObsFileDialog::SetFileDialogRunner([&](QWidget*, const ObsFileDialogRequest& r) {
        requests.push_back(r);
        return QString();
    });
    auto* obsEdit = files.findChild<QLineEdit*>("ObsFileEdit");
    auto* eEdit = files.findChild<QLineEdit*>("EFileNameEdit");
    const QString last = Q(dir.path() / "last");
    fs::create_directories(dir.path() / "last");
    const struct {
        QLineEdit* edit;
        const char* button;
        QString text;
        QString lastFolder;
        bool save;
        QString directory;
        QString fileName;
    } cases[] = {
        {obsEdit, "DestObsBrowseBtn", Q(dir.path() / "KELV3421.26O"), "", true, Q(dir.path()),
         "KELV3421.26O"},
        {obsEdit, "DestObsBrowseBtn", "/no/such/dir/KELV3421.26O", last, true, last,
         "KELV3421.26O"},
        {eEdit, "EFileBrowseBtn", "", last, false, last, ""},
        {eEdit, "EFileBrowseBtn", "", "", false, QDir::homePath(), ""},
    };
    for (const auto& c : cases) {
        QSettings(UserSettings::FilePath(), QSettings::IniFormat).remove("Files/LastFolder");
        if (!c.lastFolder.isEmpty()) UserSettings::RememberFolder(c.lastFolder + "/x");
        c.edit->setText(c.text);
        files.findChild<QPushButton*>(c.button)->click();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().save, c.save) << c.text.toStdString();
        EXPECT_EQ(requests.back().directory, c.directory) << c.text.toStdString();
        EXPECT_EQ(requests.back().fileName, c.fileName) << c.text.toStdString();
    }
    ObsFileDialog::SetFileDialogRunner({});
}

// 9. Longitude 0 reads East 0 and West 0; paste only where it takes effect; unit headings.
TEST(desktop_use_position, greenwich_paste_and_unit_headings) {
    SitePositionDialog dialog;
    dialog.Setup({false, 0.0, 0.0, 0.0, 6378137.0, 0.0, 0.0});
    dialog.show();
    EXPECT_EQ(dialog.findChild<QLineEdit*>("RefELonDecDeg")->text(), "  0.0000000000");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("RefWLonDecDeg")->text(), "  0.0000000000");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("RefWLonDeg")->text(), "0");
    for (const char* heading : {"DegreesHeading", "MinutesHeading", "SecondsHeading"})
        EXPECT_NE(dialog.findChild<QLabel*>(heading), nullptr) << heading;
    auto* paste = dialog.findChild<QAction*>("SpecialPasteMenuItem");
    auto* fromBFile = dialog.findChild<QCheckBox*>("BFilePosCheckBox");
    EXPECT_TRUE(paste->isEnabled());
    fromBFile->click();
    EXPECT_FALSE(paste->isEnabled());
    fromBFile->click();
    EXPECT_TRUE(paste->isEnabled());
}

// 10. One icon for the program and every window.
TEST(desktop_use_icon, every_window_shows_the_program_icon) {
    TempDir dir;
    MainWindow window(1, kProgram, OptionsIn(dir));
    window.CreateAuxiliaryWindows();
    EXPECT_FALSE(ApplicationIcon().availableSizes().isEmpty());
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    for (QWidget* w : std::initializer_list<QWidget*>{&window, window.ErrorWindow(),
                                                      window.AboutForm(), window.ObsFileOptWin()})
        EXPECT_FALSE(w->windowIcon().isNull()) << w->objectName().toStdString();
}

}  // namespace
}  // namespace kelvrant
