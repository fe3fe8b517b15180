#include "ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "cli/CommandLine.h"
#include "cli/Headless.h"
#include "cli/UsageText.h"
#include "run/ConversionWorker.h"
#include "settings/NewConfiguration.h"
#include "ui/AboutWindow.h"
#include "ui/AutoRunErrorWindow.h"
#include "ui/MessageBox.h"
#include "ui/MetFileDialog.h"
#include "ui/MetHeaderDialog.h"  // MetFileDialog.h needs the complete type
#include "ui/ObsFileDialog.h"
#include "ui/ProgressWindow.h"
#include "ui/TimerIntervals.h"
#include "ui/UsageWindow.h"

namespace kelvrant {

namespace {

namespace text {
constexpr const char* kMissingFontTitle = "WARNING: Missing Font";
constexpr const char* kMissingCourier =
    "This program is designed to use the Courier New\nfont which is not installed on your "
    "computer.\nFor proper window displays, please install that font!";
constexpr const char* kMissingArial =
    "This program is designed to use the Arial\nfont which is not installed on your "
    "computer.\nFor proper window displays, please install that font!";
constexpr const char* kCannotOpenIniTitle = "ERROR: Could not open configuration file (i.e., .INI)";
constexpr const char* kCannotOpenIni =
    "A default set of parameters will be used and written the file %1.";
constexpr const char* kBadIniTitle = "ERROR in reading configuration file.";
constexpr const char* kBadIni =
    "The configuration file (i.e., INI) contains erroneous data.\n\nWould you like to overwrite "
    "the configuration file using\nvalid parameters?\n\n";
}  // namespace text

// Ticks of the two timers at which they act.
constexpr int kAutoRunTicks = 5;
constexpr int kMinimizeTicks = 2;

}  // namespace

bool IsFontInstalled(const QString& family, const QString& metricTwin) {
    if (QFontDatabase::families().contains(family, Qt::CaseInsensitive)) return true;
    const QFont font(family);
    return QFontInfo(font).family().compare(metricTwin, Qt::CaseInsensitive) == 0;
}

std::vector<PictureDraw> BackgroundLayout(QSize client, QSize picture) {
    std::vector<PictureDraw> draws;
    const int cw = client.width();
    const int ch = client.height();
    const int bw = picture.width();
    const int bh = picture.height();
    if (bw <= 0 || bh <= 0 || cw <= 0 || ch <= 0) return draws;
    const QRect whole(0, 0, bw, bh);
    if (bw >= cw && bh >= ch) {
        draws.push_back({QPoint(0, 0), QRect((bw - cw) / 2, (bh - ch) / 2, cw, ch)});
    } else if (bh >= ch) {
        for (int x = 0; x < cw; x += bw)
            draws.push_back({QPoint(x, 0), whole});
    } else if (bw >= cw) {
        for (int y = 0; y < ch; y += bh)
            draws.push_back({QPoint(0, y), whole});
    } else {
        for (int y = 0; y < ch; y += bh)
            for (int x = 0; x < cw; x += bw)
                draws.push_back({QPoint(x, y), whole});
    }
    return draws;
}

// ---- MdiClient ----

MdiClient::MdiClient(QWidget* parent) : QMdiArea(parent) {
    setObjectName("ClientArea");
    setBackground(Qt::white);
}

void MdiClient::SetPicture(const QImage& picture) {
    picture_ = picture;
    viewport()->update();
}

void MdiClient::paintEvent(QPaintEvent* event) {
    if (picture_.isNull()) {
        QMdiArea::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    for (const PictureDraw& draw : BackgroundLayout(viewport()->size(), picture_.size()))
        painter.drawImage(draw.target, picture_, draw.source);
}

void MdiClient::scrollContentsBy(int dx, int dy) {
    QMdiArea::scrollContentsBy(dx, dy);
    viewport()->update();
}

// ---- MainWindow: start-up ----

MainWindow::MainWindow(int argc, const char* const* argv, const StartupOptions& options,
                       QWidget* parent)
    : QMainWindow(parent) {
    setObjectName("MainWindow");
    setWindowTitle(kMainCaption);
    setMinimumSize(640, 480);
    resize(640, 480);
    setFont(QFont("Arial", 8, QFont::Bold));

    mdiClient_ = new MdiClient(this);
    setCentralWidget(mdiClient_);
    auto* statusBar1 = new QStatusBar(this);
    statusBar1->setObjectName("StatusBar1");
    setStatusBar(statusBar1);
    CreateActions();

    autoRunTick_ = new QTimer(this);
    autoRunTick_->setObjectName("AutoRunTick");
    connect(autoRunTick_, &QTimer::timeout, this, &MainWindow::OnAutoRunTick);
    minimizeTimer_ = new QTimer(this);
    minimizeTimer_->setObjectName("MinimizeTimer");
    connect(minimizeTimer_, &QTimer::timeout, this, &MainWindow::OnMinimizeTimer);

    problems_ = std::make_unique<ProblemWindow>(*this);
    commandLineSink_ = std::make_unique<ProblemWindow>(*this, true);
    context_.mdiArea = mdiClient_;
    context_.mainWindow = this;
    context_.problems = problems_.get();
    context_.enableMenus = [this](bool enabled) { EnableMenus(enabled); };
    context_.startProgressWindow = [this] { StartProgressWindow(); };
    context_.openObsConversion = [this] { ObsFileOptWin()->ShowForNewConversion(); };
    context_.openMetConversion = [this] { MetFileOptWin()->ShowWindow(); };
    obsConversionAvailable_ = true;
    metConversionAvailable_ = true;
    UpdateMenus();

    exeFileName_ = ExecutableFileName(argc > 0 && argv[0] ? argv[0] : "");
    // A command line means an unattended run: nothing at start-up may wait for an answer.
    const bool commandLine = argc > 1;

    context_.config.ResetToStartup();
    context_.job = MakeDefaultJob();
    CheckFonts(options, commandLine);

    std::filesystem::path directory = options.directory;
    if (directory.empty()) directory = QCoreApplication::applicationDirPath().toStdString();
    context_.iniPath =
        options.configPath.empty() ? (directory / kConfigFileName).string() : options.configPath;
    picturePath_ = (directory / kBackgroundPictureName).string();

    context_.job.SaveConfigOnExit = true;
    ReadConfiguration(commandLine);

    if (!ParseCommandLine(argc, argv, context_.job, context_.config.Settings(),
                          *commandLineSink_)) {
        commandLineRejected_ = true;
        exitStatus_ = kExitBadCommand;
    }
    InstallBackgroundPicture();
}

MainWindow::~MainWindow() {
    // The child windows work on the context: they go while it still exists (the progress
    // window, a child of the MDI area, stops its worker and closes the run's files).
    QList<QPointer<QWidget>> children;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        children.append(child);
    for (const QPointer<QWidget>& child : children)
        delete child.data();
    mdiClient_ = nullptr;
    context_.mdiArea = nullptr;
}

void MainWindow::CreateActions() {
    mainMenuBFiles_ = menuBar()->addMenu("&Convert");
    mainMenuBFiles_->setObjectName("MainMenuBFiles");
    mainMenuBFiles_->menuAction()->setObjectName("MainMenuBFilesAction");
    obsConvertMenuItem_ = mainMenuBFiles_->addAction("&Obs and Nav to RINEX");
    obsConvertMenuItem_->setObjectName("ObsConvertMenuItem");
    obsConvertMenuItem_->setToolTip("Observation and Navigation Data");
    obsConvertMenuItem_->setStatusTip("Observation and Navigation Data");
    connect(obsConvertMenuItem_, &QAction::triggered, this, &MainWindow::OnObsConvertMenuItemClick);
    metConvertMenuItem_ = mainMenuBFiles_->addAction("&Met to RINEX");
    metConvertMenuItem_->setObjectName("MetConvertMenuItem");
    metConvertMenuItem_->setToolTip("Convert meteorological data to RINEX");
    metConvertMenuItem_->setStatusTip("Convert meteorological data to RINEX");
    connect(metConvertMenuItem_, &QAction::triggered, this, &MainWindow::OnMetConvertMenuItemClick);

    mainMenuHelp_ = menuBar()->addMenu("&Help");
    mainMenuHelp_->setObjectName("MainMenuHelp");
    mainMenuHelp_->menuAction()->setObjectName("MainMenuHelpAction");
    helpAbout_ = mainMenuHelp_->addAction("&About");
    helpAbout_->setObjectName("HelpAbout");
    connect(helpAbout_, &QAction::triggered, this, &MainWindow::OnHelpAboutClick);
    helpCommandLine_ = mainMenuHelp_->addAction("&Command Line Parameters");
    helpCommandLine_->setObjectName("HelpCommandLine");
    connect(helpCommandLine_, &QAction::triggered, this, &MainWindow::OnHelpCommandLineClick);
}

void MainWindow::UpdateMenus() {
    mainMenuBFiles_->menuAction()->setEnabled(menusEnabled_);
    mainMenuHelp_->menuAction()->setEnabled(menusEnabled_);
    obsConvertMenuItem_->setEnabled(obsConversionAvailable_);
    metConvertMenuItem_->setEnabled(metConversionAvailable_);
}

void MainWindow::EnableMenus(bool enabled) {
    menusEnabled_ = enabled;
    UpdateMenus();
}

void MainWindow::CheckFonts(const StartupOptions& options, bool unattended) {
    struct Required {
        const char* family;
        const char* metricTwin;
        const char* warning;
    };
    const Required required[] = {{"Courier New", "Liberation Mono", text::kMissingCourier},
                                 {"Arial", "Liberation Sans", text::kMissingArial}};
    StderrProblemSink stderrSink;
    for (const Required& font : required) {
        const bool installed = options.fontInstalled
                                   ? options.fontInstalled(font.family)
                                   : IsFontInstalled(font.family, font.metricTwin);
        if (installed) continue;
        if (unattended) {
            stderrSink.Report(text::kMissingFontTitle, font.warning);
        } else {
            MessageBox::exclamation(this, text::kMissingFontTitle, font.warning);
        }
    }
}

void MainWindow::ReadConfiguration(bool unattended) {
    if (unattended) {
        // Nobody is there to answer: problems go to stderr as without a window.
        StderrProblemSink stderrSink;
        LoadConfiguration(context_.config, context_.iniPath, context_.job, stderrSink);
        return;
    }
    const ConfigReadResult read = context_.config.ReadConfigFile(context_.iniPath);
    if (read.lineNumber == -1) {
        MessageBox::stop(this, text::kCannotOpenIniTitle,
                         QString(text::kCannotOpenIni).arg(QString::fromStdString(IniPath())));
        ApplyNewConfigurationDefaults(context_.config.Settings(), NowUtc());
        context_.config.WriteConfigFile(context_.iniPath);
    } else if (read.result == 0) {
        const MessageBox::Button answer =
            MessageBox::stop(this, text::kBadIniTitle, text::kBadIni,
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer == QMessageBox::Yes) {
            context_.config.WriteFreshConfigFile(context_.iniPath);
        } else {
            context_.job.SaveConfigOnExit = false;
        }
    }
}

void MainWindow::InstallBackgroundPicture() {
    if (!mdiClient_->Picture().isNull()) return;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(picturePath_, ec)) return;
    QImage picture(QString::fromStdString(picturePath_));
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return;
    mdiClient_->SetPicture(picture);
}

void MainWindow::CreateAuxiliaryWindows() {
    ErrorWindow();
    CmdLineHelpWin();
    AboutForm();
    MetFileOptWin();
    ObsFileOptWin();
}

ObsFileDialog* MainWindow::ObsFileOptWin() {
    if (obsFileOptWin_ == nullptr) obsFileOptWin_ = new ObsFileDialog(context_, this);
    return obsFileOptWin_;
}

MetFileDialog* MainWindow::MetFileOptWin() {
    if (metFileOptWin_ == nullptr) metFileOptWin_ = new MetFileDialog(context_, this);
    return metFileOptWin_;
}

AutoRunErrorWindow* MainWindow::ErrorWindow() {
    if (!errorWindow_) {
        errorWindow_ = std::make_unique<AutoRunErrorWindow>();
        connect(errorWindow_.get(), &AutoRunErrorWindow::closed, this, [this] { close(); });
    }
    return errorWindow_.get();
}

UsageWindow* MainWindow::CmdLineHelpWin() {
    if (!helpWindow_) helpWindow_ = std::make_unique<UsageWindow>(context_, exeFileName_);
    return helpWindow_.get();
}

AboutWindow* MainWindow::AboutForm() {
    if (!aboutForm_) aboutForm_ = std::make_unique<AboutWindow>(context_);
    return aboutForm_.get();
}

// ---- MainWindow: showing, timers, menus ----

bool MainWindow::IsUnattended() const {
    return context_.job.ObsRun || context_.job.MetRun || context_.job.RunMinimized;
}

void MainWindow::ShowAutoRunError(const QString& title, const QString& text) {
    AutoRunErrorWindow* window = ErrorWindow();
    window->ErrorTitle = title;
    window->ErrorText = text;
    if (context_.job.RunMinimized) {
        minimizeTimer_->stop();
        minimizeTicks_ = 0;
        setWindowState(windowState() & ~Qt::WindowMinimized);
        repaint();
    }
    window->show();
    window->raise();
    window->repaint();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShown_ && !event->spontaneous()) {
        firstShown_ = true;
        OnWinShow();
    }
}

void MainWindow::OnWinShow() {
    const WindowPlacement placement = context_.config.GetWindowPlacement();
    if (placement.left != -1 && placement.top != -1 && placement.width != -1 &&
        placement.height != -1) {
        move(placement.left, placement.top);
        resize(std::max(placement.width, 640), std::max(placement.height, 480));
    }
    if (placement.maximized == 1) setWindowState(windowState() | Qt::WindowMaximized);

    const ConversionJob& job = context_.job;
    if (commandLineRejected_) {
        // The error window shows why and ends the program; nothing starts meanwhile.
        EnableMenus(false);
        return;
    }
    if (!job.ObsRun && !job.MetRun && !job.RunMinimized) {
        OnObsConvertMenuItemClick();
        return;
    }
    if (job.ObsRun || job.MetRun) {
        EnableMenus(false);
        autoRunTicks_ = 0;
        autoRunTick_->start(Intervals().autoRunTick);
    }
    if (job.RunMinimized) {
        setWindowState(windowState() | Qt::WindowMinimized);
        repaint();
        minimizeTicks_ = 0;
        minimizeTimer_->start(Intervals().minimize);
    }
}

void MainWindow::OnAutoRunTick() {
    ++autoRunTicks_;
    if (autoRunTicks_ < kAutoRunTicks) return;
    autoRunTick_->stop();
    ConversionJob& job = context_.job;
    if (job.RunFinished) {
        close();
        return;
    }
    autoRunTicks_ = 0;
    const HeaderSettings& settings = context_.config.Settings();
    bool started = false;
    if (job.ObsRun) started = StartObsAutoRun(job, context_.files, settings, *problems_);
    if (job.MetRun) started = StartMetAutoRun(job, context_.files, settings, *problems_);
    if (started) {
        StartProgressWindow();
    } else {
        // The error window says why and ends the program.
        exitStatus_ = kExitRunFailed;
    }
}

void MainWindow::OnMinimizeTimer() {
    ++minimizeTicks_;
    if (minimizeTicks_ < kMinimizeTicks) return;
    setWindowState(windowState() | Qt::WindowMinimized);
    minimizeTicks_ = 0;
    minimizeTimer_->stop();
}

void MainWindow::StartProgressWindow() {
    ProgressWindow* form = ProgressWindow::Start(context_);
    connect(form, &ProgressWindow::runClosed, this, &MainWindow::OnRunClosed);
}

void MainWindow::OnRunClosed(bool succeeded) {
    if (!context_.job.ObsRun && !context_.job.MetRun) return;
    if (!succeeded) exitStatus_ = kExitRunFailed;
    autoRunTicks_ = 0;
    autoRunTick_->start(Intervals().autoRunTick);
}

void MainWindow::OnObsConvertMenuItemClick() {
    if (!obsConversionAvailable_) return;
    EnableMenus(false);
    context_.openObsConversion();
}

void MainWindow::OnMetConvertMenuItemClick() {
    if (!metConversionAvailable_) return;
    EnableMenus(false);
    context_.openMetConversion();
}

void MainWindow::OnHelpAboutClick() {
    AboutWindow* about = AboutForm();
    about->show();
    about->raise();
}

void MainWindow::OnHelpCommandLineClick() {
    EnableMenus(false);
    UsageWindow* help = CmdLineHelpWin();
    help->show();
    help->raise();
}

// ---- MainWindow: closing ----

void MainWindow::closeEvent(QCloseEvent* event) {
    if (ended_) {
        event->accept();
        return;
    }
    // An unattended run being written is let finish (its end closes the window again), so
    // that an error window closing meanwhile never leaves cut-off files behind.
    if (ProgressWindow::Current() != nullptr && (context_.job.ObsRun || context_.job.MetRun)) {
        event->ignore();
        return;
    }
    WindowPlacement placement;
    placement.maximized = isMaximized() ? 1 : 0;
    placement.left = pos().x();
    placement.top = pos().y();
    placement.width = width();
    placement.height = height();
    context_.config.SetWindowPlacement(placement);
    if (context_.job.SaveConfigOnExit) context_.config.WriteConfigFile(context_.iniPath);
    context_.config.DiscardConfigLines();
    mdiClient_->SetPicture(QImage());

    ended_ = true;
    event->accept();
    if (helpWindow_) helpWindow_->hide();
    if (aboutForm_) aboutForm_->hide();
    emit programEnded(exitStatus_);
}

}  // namespace kelvrant
