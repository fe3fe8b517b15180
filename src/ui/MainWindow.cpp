#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <filesystem>

#include "cli/CommandLine.h"
#include "cli/Headless.h"
#include "cli/UsageText.h"
#include "run/ConversionWorker.h"
#include "settings/NewConfiguration.h"
#include "ui/AboutWindow.h"
#include "ui/AutoRunErrorWindow.h"
#include "ui/BuildInfo.h"
#include "ui/MessageBox.h"
#include "ui/MetFileDialog.h"
#include "ui/MetHeaderDialog.h"  // MetFileDialog.h needs the complete type
#include "ui/ObsFileDialog.h"
#include "ui/ProgressWindow.h"
#include "ui/ResultPanel.h"
#include "ui/SessionDrop.h"
#include "ui/TimerIntervals.h"
#include "ui/UsageWindow.h"
#include "ui/UserSettings.h"
#include "ui/WindowFit.h"
#ifdef KELVRANT_HAVE_QCPLOT
#include "qcplot/QcWindow.h"
#endif

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

// The result of each interactive conversion, for whoever drives the program from outside
// (QT_LOGGING_RULES="kelvrant.result.info=true"); silent by default.
Q_LOGGING_CATEGORY(lcResult, "kelvrant.result", QtWarningMsg)

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
    setWindowTitle(MainCaption());
    // Every window without an icon of its own (all of them) shows the program's.
    QApplication::setWindowIcon(ApplicationIcon());
    setMinimumSize(640, 480);
    resize(640, 480);
    setFont(QFont("Arial", 8, QFont::Bold));

    mdiClient_ = new MdiClient(this);
    setCentralWidget(mdiClient_);
    auto* statusBar1 = new QStatusBar(this);
    statusBar1->setObjectName("StatusBar1");
    setStatusBar(statusBar1);
    // A widget of the bar, not a message: menu hints passing over it do not wipe it.
    statusResult_ = new QLabel(statusBar1);
    statusResult_->setObjectName("StatusResultLabel");
    statusBar1->addWidget(statusResult_, 1);
    setAcceptDrops(true);
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
    context_.openMetConversionWith = [this](const std::string& metLog) {
        OpenSession(QString::fromLocal8Bit(metLog.data(), static_cast<qsizetype>(metLog.size())));
    };
    obsConversionAvailable_ = true;
    metConversionAvailable_ = true;
    UpdateMenus();

    exeFileName_ = ExecutableFileName(argc > 0 && argv[0] ? argv[0] : "");
    // A command line means an unattended run: nothing at start-up may wait for an answer.
    const bool commandLine = argc > 1;

    context_.config.ResetToStartup();
    context_.job = MakeDefaultJob(*context_.clock);
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
    mainMenuFile_ = menuBar()->addMenu("&File");
    mainMenuFile_->setObjectName("MainMenuFile");
    mainMenuFile_->menuAction()->setObjectName("MainMenuFileAction");
    recentSessionsMenu_ = mainMenuFile_->addMenu("Recent &Sessions");
    recentSessionsMenu_->setObjectName("RecentSessionsMenu");
    connect(mainMenuFile_, &QMenu::aboutToShow, this, &MainWindow::UpdateRecentSessionsMenu);
    if (HasQualityCheckWindow()) {
        lastQualityCheckItem_ = mainMenuFile_->addAction("Last &Quality Check");
        lastQualityCheckItem_->setObjectName("LastQualityCheckMenuItem");
        lastQualityCheckItem_->setStatusTip("Show the quality check of the last conversion again");
        lastQualityCheckItem_->setEnabled(false);
        connect(lastQualityCheckItem_, &QAction::triggered, this, &MainWindow::ShowQualityCheck);
    }
    mainMenuFile_->addSeparator();
    QAction* exitItem = mainMenuFile_->addAction("E&xit");
    exitItem->setObjectName("ExitMenuItem");
    exitItem->setShortcut(QKeySequence::Quit);
    connect(exitItem, &QAction::triggered, this, &QWidget::close);
    UpdateRecentSessionsMenu();

    mainMenuBFiles_ = menuBar()->addMenu("&Convert");
    mainMenuBFiles_->setObjectName("MainMenuBFiles");
    mainMenuBFiles_->menuAction()->setObjectName("MainMenuBFilesAction");
    obsConvertMenuItem_ = mainMenuBFiles_->addAction("&Obs and Nav to RINEX");
    obsConvertMenuItem_->setObjectName("ObsConvertMenuItem");
    obsConvertMenuItem_->setToolTip("Observation and Navigation Data");
    obsConvertMenuItem_->setStatusTip("Observation and Navigation Data");
    obsConvertMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(obsConvertMenuItem_, &QAction::triggered, this, &MainWindow::OnObsConvertMenuItemClick);
    metConvertMenuItem_ = mainMenuBFiles_->addAction("&Met to RINEX");
    metConvertMenuItem_->setObjectName("MetConvertMenuItem");
    metConvertMenuItem_->setToolTip("Convert meteorological data to RINEX");
    metConvertMenuItem_->setStatusTip("Convert meteorological data to RINEX");
    metConvertMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(metConvertMenuItem_, &QAction::triggered, this, &MainWindow::OnMetConvertMenuItemClick);

    mainMenuHelp_ = menuBar()->addMenu("&Help");
    mainMenuHelp_->setObjectName("MainMenuHelp");
    mainMenuHelp_->menuAction()->setObjectName("MainMenuHelpAction");
    helpAbout_ = mainMenuHelp_->addAction("&About");
    helpAbout_->setObjectName("HelpAbout");
    connect(helpAbout_, &QAction::triggered, this, &MainWindow::OnHelpAboutClick);
    helpCommandLine_ = mainMenuHelp_->addAction("&Command Line Parameters");
    helpCommandLine_->setObjectName("HelpCommandLine");
    helpCommandLine_->setShortcut(QKeySequence::HelpContents);
    connect(helpCommandLine_, &QAction::triggered, this, &MainWindow::OnHelpCommandLineClick);
}

void MainWindow::UpdateMenus() {
    mainMenuFile_->menuAction()->setEnabled(menusEnabled_);
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
        ApplyNewConfigurationDefaults(context_.config.Settings(), NowUtc(*context_.clock));
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
        restoredFramePos_ = QPoint(placement.left, placement.top);
        placementRestored_ = true;
    }
    if (QWindow* handle = windowHandle()) handle->installEventFilter(this);
    if (placement.maximized == 1) setWindowState(windowState() | Qt::WindowMaximized);

    const ConversionJob& job = context_.job;
    if (commandLineRejected_) {
        // The error window shows why and ends the program; nothing starts meanwhile.
        EnableMenus(false);
        return;
    }
    if (!job.ObsRun && !job.MetRun && !job.RunMinimized) {
        // The file window is placed below this window's top edge: it opens once the window
        // manager has put this window where it stays.
        if (exposed_) {
            OnObsConvertMenuItemClick();
        } else {
            EnableMenus(false);
            openObsWhenExposed_ = true;
        }
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

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::Expose && !exposed_ &&
        windowHandle()->isExposed()) {
        exposed_ = true;
        // After the expose event has been handled: the frame geometry is known by then.
        QTimer::singleShot(0, this, &MainWindow::OnFirstExposed);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::OnFirstExposed() {
    // Some window managers put the inside of the window where the frame was asked for; the
    // frame goes back to the saved place, so that every restart keeps the window still.
    if (placementRestored_ && !isMaximized() && frameGeometry().topLeft() != restoredFramePos_)
        move(restoredFramePos_);
    if (openObsWhenExposed_) {
        openObsWhenExposed_ = false;
        OnObsConvertMenuItemClick();
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
    const std::size_t problemsBefore = problems_->ReportedTitles().size();
    connect(form, &ProgressWindow::runClosed, this, [this, form, problemsBefore](bool succeeded) {
        RunResult result = form->Result();
        const std::vector<std::string>& titles = problems_->ReportedTitles();
        for (std::size_t i = problemsBefore; i < titles.size(); ++i)
            result.warnings << QString::fromStdString(titles[i]);
        OnRunClosed(succeeded, result, form->QualitySummary());
    });
}

void MainWindow::OnRunClosed(bool succeeded, const RunResult& result,
                             const std::optional<qc::QcSummary>& quality) {
    if (!context_.job.ObsRun && !context_.job.MetRun) {
        ShowResult(result);
        if (quality && result.ending == RunResult::Ending::kSucceeded) {
            lastQualityCheck_ = quality;
            const ConversionJob& job = context_.job;
            lastQualityReport_ =
                (job.ObsFileName.empty() ? job.BFileName : job.ObsFileName) + ".qc.txt";
            if (lastQualityCheckItem_ != nullptr) lastQualityCheckItem_->setEnabled(true);
            // A new check replaces the window of the one before.
            if (qualityWindow_ != nullptr) {
                qualityWindow_->close();
                qualityWindow_ = nullptr;
            }
            ShowQualityCheck();
        }
        return;
    }
    if (!succeeded) exitStatus_ = kExitRunFailed;
    autoRunClosed_ = true;
    autoRunTicks_ = 0;
    autoRunTick_->start(Intervals().autoRunTick);
}

void MainWindow::ShowResult(const RunResult& result) {
    statusResult_->setText(result.SummaryLine());
    for (const QString& line : result.DetailLines())
        qCInfo(lcResult).noquote() << line;
    if (result.ending == RunResult::Ending::kSucceeded && !result.inputFile.empty()) {
        UserSettings::AddRecentSession(QString::fromLocal8Bit(result.inputFile.c_str()));
        UpdateRecentSessionsMenu();
    }
    if (resultWindow_ == nullptr) {
        resultPanel_ = new ResultPanel;
        connect(resultPanel_, &ResultPanel::convertAnother, this, [this](bool metRun) {
            if (!menusEnabled_) return;
            if (resultWindow_ != nullptr) resultWindow_->close();
            if (metRun) {
                OnMetConvertMenuItemClick();
            } else {
                OnObsConvertMenuItemClick();
            }
        });
        resultWindow_ = mdiClient_->addSubWindow(resultPanel_);
        resultWindow_->setObjectName("ResultWindow");
        resultWindow_->setAttribute(Qt::WA_DeleteOnClose);
        connect(resultWindow_, &QObject::destroyed, this, [this] { resultPanel_ = nullptr; });
    }
    resultPanel_->ShowResult(result);
    resultWindow_->resize(resultWindow_->sizeHint()
                              .expandedTo(QSize(520, 200))
                              .boundedTo(mdiClient_->viewport()->size()));
    resultWindow_->move(0, 0);
    resultWindow_->show();
}

QString MainWindow::StatusText() const {
    return statusResult_->text();
}

void MainWindow::UpdateRecentSessionsMenu() {
    recentSessionsMenu_->clear();
    const QStringList recent = UserSettings::RecentSessions();
    int number = 1;
    for (const QString& path : recent) {
        QAction* item = recentSessionsMenu_->addAction(
            QStringLiteral("&%1 %2").arg(number++).arg(QDir::toNativeSeparators(path)));
        item->setData(path);
        connect(item, &QAction::triggered, this, [this, path] { OpenSession(path); });
    }
    recentSessionsMenu_->setEnabled(!recent.isEmpty());
}

bool MainWindow::HasQualityCheckWindow() {
#ifdef KELVRANT_HAVE_QCPLOT
    return true;
#else
    return false;
#endif
}

void MainWindow::ShowQualityCheck() {
#ifdef KELVRANT_HAVE_QCPLOT
    if (!lastQualityCheck_) return;
    if (qualityWindow_ == nullptr) {
        auto* window = new qcplot::QcWindow(*lastQualityCheck_, lastQualityReport_, this);
        // A window of its own beside the main window (its plots want the room), closed with it.
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (const QScreen* screen = this->screen()) {
            const QRect free = screen->availableGeometry();
            window->resize(window->size().boundedTo(
                QSize(free.width() - kFrameAllowance, free.height() - kFrameAllowance)));
        }
        qualityWindow_ = window;
    }
    qualityWindow_->show();
    qualityWindow_->raise();
    qualityWindow_->activateWindow();
#endif
}

bool MainWindow::OpenSession(const QString& path) {
    const SessionDrop session = ClassifySession(path);
    if (session.kind == SessionDrop::Kind::kNone) {
        statusResult_->setText(session.reason);
        return false;
    }
    UserSettings::RememberFolder(session.path);
    const std::string file = session.path.toLocal8Bit().toStdString();
    ObsFileDialog* obs = ObsFileOptWin();
    MetFileDialog* met = MetFileOptWin();
    if (session.kind == SessionDrop::Kind::kObservation) {
        if (met->isVisible()) met->reject();
        EnableMenus(false);
        obs->ShowWithBFile(file);
    } else {
        if (obs->isVisible()) obs->reject();
        met->ShowWithInput(file);
    }
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    // Only while no conversion is being prepared or running, or its file window is open.
    const bool idle = menusEnabled_ || ObsFileOptWin()->isVisible() || MetFileOptWin()->isVisible();
    if (idle && !DroppedPath(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = DroppedPath(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    OpenSession(path);
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

void MainWindow::EndOnSignal() {
    if (ended_) return;
    if (ProgressWindow* progress = ProgressWindow::Current()) {
        // The run's end says whether it failed (OnRunClosed): one past its last stop check
        // publishes its files and keeps its success.
        progress->OnCancelBtnClick();
    } else if ((context_.job.ObsRun || context_.job.MetRun) && !autoRunClosed_) {
        // The unattended run asked for never ran.
        exitStatus_ = kExitRunFailed;
    }
    close();
}

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
