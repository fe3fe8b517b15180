// The main window: start-up with its configuration messages, the menus, and unattended runs
// from the command line ending the program by themselves.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Headless.h"
#include "support/TestPaths.h"
#include "ui/AboutWindow.h"
#include "ui/AutoRunErrorWindow.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"
#include "ui/MetFileDialog.h"
#include "ui/MetHeaderDialog.h"  // MetFileDialog.h needs the complete type
#include "ui/ObsFileDialog.h"
#include "ui/TimerIntervals.h"
#include "ui/UsageWindow.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Fast timers for the whole file; the defaults come back at the end of each test.
class FastTimers {
  public:
    FastTimers() : saved_(Intervals()) {
        Intervals().autoRunTick = 5;
        Intervals().minimize = 10;
        Intervals().progress = 10;
        Intervals().errorWindowVisible = 20;
    }
    ~FastTimers() { Intervals() = saved_; }

  private:
    TimerIntervals saved_;
};

StartupOptions OptionsIn(const TempDir& dir) {
    StartupOptions options;
    options.directory = dir.path().string();
    options.fontInstalled = [](const QString&) { return true; };
    return options;
}

// Command line with the program path first.
struct Args {
    explicit Args(std::vector<std::string> a) : texts(std::move(a)) {
        texts.insert(texts.begin(), "/opt/kelvrant/kelvrant");
        for (const std::string& t : texts)
            ptrs.push_back(t.c_str());
    }
    int argc() const { return static_cast<int>(ptrs.size()); }
    const char* const* argv() const { return ptrs.data(); }
    std::vector<std::string> texts;
    std::vector<const char*> ptrs;
};

void CopySample(const TempDir& dir) {
    for (const char* name : {"BKELVA26.342", "EKELVA26.342", "SKELVA26.342", "ION26.342"})
        fs::copy_file(fs::path(test::SourceDir()) / "samples" / name, dir.path() / name);
}

bool ShownBox(const QString& title, MessageBox::Record* found = nullptr) {
    for (const MessageBox::Record& r : MessageBox::shown()) {
        if (r.title == title) {
            if (found) *found = r;
            return true;
        }
    }
    return false;
}

const char* const kBadIni = "[WINDOWS]\nMAINWIN=1,10,x,800,600\n";

TEST(main_window, first_start_in_empty_directory_writes_the_defaults) {
    // Beside the program, and in a user's configuration folder that does not exist yet.
    for (const std::string configPath : {"", "cfg/kelvrant/Kelvrant.INI"}) {
        MessageBox::reset();
        TempDir dir;
        StartupOptions options = OptionsIn(dir);
        if (!configPath.empty()) options.configPath = dir.File(configPath);
        Args args({});
        MainWindow window(1, args.argv(), options);
        const std::string ini = dir.File(configPath.empty() ? "Kelvrant.INI" : configPath);
        MessageBox::Record box;
        ASSERT_TRUE(ShownBox("ERROR: Could not open configuration file (i.e., .INI)", &box));
        EXPECT_EQ(box.icon, MessageIcon::kStop);
        EXPECT_EQ(box.text.toStdString(),
                  "A default set of parameters will be used and written the file " + ini + ".");
        EXPECT_TRUE(fs::exists(ini));
        EXPECT_EQ(window.IniPath(), ini);
    }
}

TEST(main_window, erroneous_configuration_answered_yes_is_rewritten) {
    MessageBox::reset();
    TempDir dir;
    test::WriteFile(dir.File("Kelvrant.INI"), kBadIni);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    Args args({});
    MainWindow window(1, args.argv(), OptionsIn(dir));
    MessageBox::Record box;
    ASSERT_TRUE(ShownBox("ERROR in reading configuration file.", &box));
    EXPECT_EQ(box.icon, MessageIcon::kStop);
    EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.text.toStdString(),
              "The configuration file (i.e., INI) contains erroneous data.\n\nWould you like to "
              "overwrite the configuration file using\nvalid parameters?\n\n");
    const std::string written = test::ReadFile(dir.File("Kelvrant.INI"));
    EXPECT_EQ(written.find("MAINWIN=1,10,x"), std::string::npos);
    EXPECT_NE(written.find("[RINEXDAT]"), std::string::npos);
    EXPECT_TRUE(window.Context().job.SaveConfigOnExit);
}

TEST(main_window, erroneous_configuration_answered_no_is_left_and_not_written_at_exit) {
    MessageBox::reset();
    TempDir dir;
    test::WriteFile(dir.File("Kelvrant.INI"), kBadIni);
    MessageBox::setNextAnswer(QMessageBox::No);
    Args args({});
    MainWindow window(1, args.argv(), OptionsIn(dir));
    EXPECT_TRUE(ShownBox("ERROR in reading configuration file."));
    EXPECT_FALSE(window.Context().job.SaveConfigOnExit);
    window.show();
    window.close();
    EXPECT_TRUE(window.Ended());
    EXPECT_EQ(test::ReadFile(dir.File("Kelvrant.INI")), kBadIni);
}

TEST(main_window, closing_stores_the_placement_and_the_next_start_applies_it) {
    MessageBox::reset();
    TempDir dir;
    Args args({});
    {
        MainWindow window(1, args.argv(), OptionsIn(dir));
        window.show();
        window.resize(700, 520);
        window.close();
    }
    MessageBox::clearShown();
    MainWindow again(1, args.argv(), OptionsIn(dir));
    EXPECT_TRUE(MessageBox::shown().empty());
    const WindowPlacement placement = again.Context().config.GetWindowPlacement();
    EXPECT_EQ(placement.maximized, 0);
    EXPECT_EQ(placement.width, 700);
    EXPECT_EQ(placement.height, 520);
    again.show();
    EXPECT_EQ(again.width(), 700);
    EXPECT_EQ(again.height(), 520);
}

TEST(main_window, missing_font_is_warned_and_start_up_goes_on) {
    MessageBox::reset();
    TempDir dir;
    StartupOptions options = OptionsIn(dir);
    options.fontInstalled = [](const QString& family) { return family != "Arial"; };
    Args args({});
    MainWindow window(1, args.argv(), options);
    ASSERT_GE(MessageBox::shown().size(), 1u);
    const MessageBox::Record& box = MessageBox::shown().front();
    EXPECT_EQ(box.title, "WARNING: Missing Font");
    EXPECT_EQ(box.icon, MessageIcon::kExclamation);
    EXPECT_EQ(box.text,
              "This program is designed to use the Arial\nfont which is not installed on your "
              "computer.\nFor proper window displays, please install that font!");
    EXPECT_TRUE(fs::exists(dir.File("Kelvrant.INI")));
}

TEST(main_window, liberation_fonts_count_as_the_named_fonts) {
    EXPECT_TRUE(IsFontInstalled("Arial", "Liberation Sans"));
    EXPECT_TRUE(IsFontInstalled("Courier New", "Liberation Mono"));
    EXPECT_FALSE(IsFontInstalled("Kelvrant No Such Face", "Kelvrant No Such Twin"));
}

TEST(main_window, caption_menus_and_hints) {
    MessageBox::reset();
    TempDir dir;
    Args args({});
    MainWindow window(1, args.argv(), OptionsIn(dir));
    EXPECT_EQ(window.windowTitle(),
              QStringLiteral("Ashtech Raw to RINEX Converter (%1-bit) -- Quillon")
                  .arg(sizeof(void*) * 8));
    EXPECT_EQ(window.minimumSize(), QSize(640, 480));
    auto* convert = window.findChild<QMenu*>("MainMenuBFiles");
    auto* help = window.findChild<QMenu*>("MainMenuHelp");
    ASSERT_NE(convert, nullptr);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(convert->title(), "&Convert");
    EXPECT_EQ(help->title(), "&Help");
    auto* obs = window.findChild<QAction*>("ObsConvertMenuItem");
    auto* met = window.findChild<QAction*>("MetConvertMenuItem");
    ASSERT_NE(obs, nullptr);
    ASSERT_NE(met, nullptr);
    EXPECT_EQ(obs->text(), "&Obs and Nav to RINEX");
    EXPECT_EQ(obs->toolTip(), "Observation and Navigation Data");
    EXPECT_EQ(met->text(), "&Met to RINEX");
    EXPECT_EQ(met->toolTip(), "Convert meteorological data to RINEX");
    EXPECT_EQ(window.findChild<QAction*>("HelpAbout")->text(), "&About");
    EXPECT_EQ(window.findChild<QAction*>("HelpCommandLine")->text(), "&Command Line Parameters");

    window.EnableMenus(false);
    EXPECT_FALSE(convert->menuAction()->isEnabled());
    EXPECT_FALSE(help->menuAction()->isEnabled());
    window.Context().enableMenus(true);
    EXPECT_TRUE(convert->menuAction()->isEnabled());
    EXPECT_TRUE(help->menuAction()->isEnabled());
}

TEST(main_window, help_command_disables_the_menus_until_the_help_window_closes) {
    MessageBox::reset();
    TempDir dir;
    Args args({});
    MainWindow window(1, args.argv(), OptionsIn(dir));
    window.CreateAuxiliaryWindows();
    window.OnHelpCommandLineClick();
    EXPECT_FALSE(window.MenusEnabled());
    EXPECT_TRUE(window.CmdLineHelpWin()->isVisible());
    window.CmdLineHelpWin()->findChild<QPushButton*>("OkBtn")->click();
    EXPECT_TRUE(window.MenusEnabled());

    window.OnHelpAboutClick();
    EXPECT_FALSE(window.MenusEnabled());
    window.AboutForm()->findChild<QPushButton*>("OKButton")->click();
    EXPECT_TRUE(window.MenusEnabled());
}

TEST(main_window, interactive_start_opens_the_observation_file_selection) {
    MessageBox::reset();
    TempDir dir;
    Args args({});
    MainWindow window(1, args.argv(), OptionsIn(dir));
    EXPECT_TRUE(window.findChild<QAction*>("ObsConvertMenuItem")->isEnabled());
    window.show();
    EXPECT_FALSE(window.MenusEnabled());
    // It opens once the main window is on screen, 20 px below its top edge.
    QTRY_VERIFY_WITH_TIMEOUT(window.ObsFileOptWin()->isVisible(), 5000);
    EXPECT_EQ(window.ObsFileOptWin()->frameGeometry().topLeft(),
              window.frameGeometry().topLeft() + QPoint(0, 20));
    EXPECT_FALSE(window.ErrorWindow()->isVisible());
}

TEST(main_window, met_command_opens_the_met_file_selection_with_the_menus_disabled) {
    MessageBox::reset();
    TempDir dir;
    Args args({});
    MainWindow window(1, args.argv(), OptionsIn(dir));
    auto* met = window.findChild<QAction*>("MetConvertMenuItem");
    ASSERT_TRUE(met->isEnabled());
    met->trigger();
    EXPECT_FALSE(window.MenusEnabled());
    EXPECT_TRUE(window.MetFileOptWin()->isVisible());
}

TEST(main_window_unattended, missing_b_file_shows_the_error_window_and_ends_the_program) {
    FastTimers fast;
    MessageBox::reset();
    TempDir dir;
    Args args({"-I", "-S", "1"});
    MainWindow window(args.argc(), args.argv(), OptionsIn(dir));
    window.CreateAuxiliaryWindows();
    int endedWith = -1;
    QObject::connect(&window, &MainWindow::programEnded, [&](int status) { endedWith = status; });
    const int beeps = AutoRunErrorWindow::BeepCount();
    window.show();
    EXPECT_FALSE(window.MenusEnabled());
    AutoRunErrorWindow* error = window.ErrorWindow();
    QTRY_VERIFY_WITH_TIMEOUT(error->isVisible(), 5000);
    EXPECT_EQ(error->windowTitle(), "Minimum File Requirements");
    EXPECT_EQ(error->ErrorText, "A valid source B-File must be specified!");
    EXPECT_EQ(AutoRunErrorWindow::BeepCount(), beeps + 1);
    EXPECT_TRUE(MessageBox::shown().empty());
    // Nobody presses anything: the error window closes itself and takes the program with it.
    QTRY_VERIFY_WITH_TIMEOUT(window.Ended(), 5000);
    EXPECT_FALSE(error->isVisible());
    EXPECT_EQ(endedWith, kExitRunFailed);
    EXPECT_EQ(window.ExitStatus(), kExitRunFailed);
}

TEST(main_window_unattended, ok_in_the_error_window_ends_the_program_at_once) {
    FastTimers fast;
    Intervals().errorWindowVisible = 60000;
    MessageBox::reset();
    TempDir dir;
    Args args({"-I", "-S", "1"});
    MainWindow window(args.argc(), args.argv(), OptionsIn(dir));
    window.show();
    AutoRunErrorWindow* error = window.ErrorWindow();
    QTRY_VERIFY_WITH_TIMEOUT(error->isVisible(), 5000);
    EXPECT_FALSE(window.Ended());
    error->findChild<QPushButton*>("OkBtn")->click();
    EXPECT_TRUE(window.Ended());
    EXPECT_NE(window.ExitStatus(), 0);
}

TEST(main_window_unattended, rejected_command_line_starts_nothing_and_ends_by_itself) {
    FastTimers fast;
    MessageBox::reset();
    TempDir dir;
    Args args({"-I", "-S", "7"});
    MainWindow window(args.argc(), args.argv(), OptionsIn(dir));
    window.show();
    AutoRunErrorWindow* error = window.ErrorWindow();
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->windowTitle(), "Error In Command-Line Parameters");
    // The fixed text, then the word the command line could not use.
    EXPECT_TRUE(
        error->ErrorText.startsWith("Unrecognized form of the Command-line parameters...\r\n\r\n"))
        << error->ErrorText.toStdString();
    EXPECT_TRUE(error->ErrorText.endsWith("-S 7")) << error->ErrorText.toStdString();
    QTRY_VERIFY_WITH_TIMEOUT(window.Ended(), 5000);
    EXPECT_EQ(window.ExitStatus(), kExitBadCommand);
}

TEST(main_window_unattended, converts_a_session_and_ends_the_program) {
    FastTimers fast;
    MessageBox::reset();
    TempDir dir;
    CopySample(dir);
    Args args({"-I", dir.File("BKELVA26.342"), dir.File("EKELVA26.342"), dir.File("SKELVA26.342"),
               dir.File("ION26.342")});
    MainWindow window(args.argc(), args.argv(), OptionsIn(dir));
    window.CreateAuxiliaryWindows();
    window.show();
    QString lastLabel;
    int lastBar = -1;
    bool sawProgressWindow = false;
    for (int i = 0; i < 4000 && !window.Ended(); ++i) {
        if (auto* form = window.findChild<QWidget*>("ProgressWindow")) {
            sawProgressWindow = true;
            lastLabel = form->findChild<QLabel*>("PrecentLabel")->text();
            lastBar = form->findChild<QProgressBar*>("OutputProgressBar")->value();
        }
        QTest::qWait(5);
    }
    ASSERT_TRUE(window.Ended());
    EXPECT_TRUE(sawProgressWindow);
    EXPECT_EQ(lastLabel, "100%");
    EXPECT_EQ(lastBar, 98);
    EXPECT_EQ(window.ExitStatus(), 0);
    EXPECT_FALSE(window.ErrorWindow()->isVisible());
    for (const char* name : {"KELV3421.26O", "KELV3421.26N", "KELV3421.26G"}) {
        std::error_code ec;
        EXPECT_GT(fs::file_size(dir.File(name), ec), 1000u) << name;
    }
    EXPECT_FALSE(fs::exists(dir.File("Kelvrant.~01")));
    // An unattended run leaves the configuration file as it was written at start-up.
    EXPECT_FALSE(window.Context().job.SaveConfigOnExit);
}

TEST(main_window_unattended, quality_check_of_the_command_line_runs_under_a_display_too) {
    FastTimers fast;
    MessageBox::reset();
    TempDir dir;
    CopySample(dir);
    Args args({"-I", dir.File("BKELVA26.342"), dir.File("EKELVA26.342"), dir.File("SKELVA26.342"),
               dir.File("ION26.342"), "--qc-only", "--qc-json", "--qc-plots", dir.File("plots")});
    MainWindow window(args.argc(), args.argv(), OptionsIn(dir));
    window.CreateAuxiliaryWindows();
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.Ended(), 20000);
    EXPECT_EQ(window.ExitStatus(), 0);
    EXPECT_FALSE(window.ErrorWindow()->isVisible());
    for (const char* name : {"KELV3421.26O.qc.txt", "KELV3421.26O.qc.json", "plots/qc-sky.png"}) {
        std::error_code ec;
        EXPECT_GT(fs::file_size(dir.File(name), ec), 100u) << name;
    }
    for (const char* name : {"KELV3421.26O", "KELV3421.26N", "KELV3421.26G"})
        EXPECT_FALSE(fs::exists(dir.File(name))) << name;
}

TEST(main_window_unattended, force_names_and_minimized_alone_leave_the_window_open) {
    FastTimers fast;
    MessageBox::reset();
    TempDir dir;
    Args args({"-F", "1", "342", "26", "-X"});
    MainWindow window(args.argc(), args.argv(), OptionsIn(dir));
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.isMinimized(), 5000);
    QTest::qWait(100);
    EXPECT_FALSE(window.Ended());
    EXPECT_TRUE(window.isMinimized());
    EXPECT_FALSE(window.ErrorWindow()->isVisible());
    EXPECT_TRUE(window.findChild<QWidget*>("ProgressWindow") == nullptr);
    window.close();
    EXPECT_EQ(window.ExitStatus(), 0);
}

TEST(main_window_unattended, error_during_a_minimized_run_restores_the_window) {
    FastTimers fast;
    Intervals().errorWindowVisible = 60000;
    MessageBox::reset();
    TempDir dir;
    Args args({"-I", "-S", "1", "-X"});
    MainWindow window(args.argc(), args.argv(), OptionsIn(dir));
    window.show();
    EXPECT_TRUE(window.isMinimized());
    QTRY_VERIFY_WITH_TIMEOUT(window.ErrorWindow()->isVisible(), 5000);
    EXPECT_FALSE(window.isMinimized());
    QTest::qWait(50);
    EXPECT_FALSE(window.isMinimized());
    window.ErrorWindow()->close();
    EXPECT_TRUE(window.Ended());
}

TEST(main_window, background_picture_is_tiled_when_small_and_centred_when_large) {
    const std::vector<PictureDraw> tiled = BackgroundLayout(QSize(250, 120), QSize(100, 50));
    ASSERT_EQ(tiled.size(), 9u);
    EXPECT_EQ(tiled.back().target, QPoint(200, 100));
    EXPECT_EQ(tiled.back().source, QRect(0, 0, 100, 50));

    const std::vector<PictureDraw> centred = BackgroundLayout(QSize(200, 100), QSize(400, 300));
    ASSERT_EQ(centred.size(), 1u);
    EXPECT_EQ(centred[0].target, QPoint(0, 0));
    EXPECT_EQ(centred[0].source, QRect(100, 100, 200, 100));

    const std::vector<PictureDraw> top = BackgroundLayout(QSize(250, 100), QSize(100, 300));
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top[2].target, QPoint(200, 0));
    const std::vector<PictureDraw> left = BackgroundLayout(QSize(100, 250), QSize(300, 100));
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[2].target, QPoint(0, 200));
}

TEST(main_window, background_picture_beside_the_configuration_is_installed) {
    MessageBox::reset();
    TempDir dir;
    QImage picture(16, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.File("Kelvrant.BMP")), "BMP"));
    Args args({});
    MainWindow window(1, args.argv(), OptionsIn(dir));
    EXPECT_EQ(window.Workspace()->Picture().size(), QSize(16, 8));
    window.show();
    const QImage shot = window.Workspace()->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(20, 12), QColor(Qt::red));
}

}  // namespace
}  // namespace kelvrant
