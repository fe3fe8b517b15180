// The main window: the program's frame with the MDI area and the menus, owner of the shared
// context (job, run files, configuration), and the place where start-up decides between an
// interactive session and an unattended run from the command line. Unattended runs are driven
// by its two timers; when such a run is over, closing this window ends the program.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qc/QcSummary.h"
#include "ui/AppContext.h"
#include "ui/ProblemWindow.h"
#include "ui/RunResult.h"

class QAction;
class QLabel;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace kelvrant {

class AutoRunErrorWindow;
class UsageWindow;
class AboutWindow;
class MetFileDialog;
class ObsFileDialog;
class ResultPanel;

/// File name of the background picture, beside the configuration file.
inline constexpr const char* kBackgroundPictureName = "Kelvrant.BMP";

/// What start-up takes from outside besides the command line.
struct StartupOptions {
    /// Directory of Kelvrant.BMP, and of Kelvrant.INI when `configPath` is empty; empty: the
    /// executable's directory.
    std::string directory;
    /// The configuration file, as start-up resolved it; empty: Kelvrant.INI in `directory`.
    std::string configPath;
    /// Whether a font family is installed; empty: the screen's font list (with the metric
    /// twins fontconfig substitutes).
    std::function<bool(const QString& family)> fontInstalled;
};

/// True when `family` is among the installed fonts, or the font system substitutes
/// `metricTwin` (a family with the same metrics) for it.
bool IsFontInstalled(const QString& family, const QString& metricTwin);

/// One copy of the background picture: drawn at `target` in the client area from `source` of
/// the picture.
struct PictureDraw {
    QPoint target;
    QRect source;
};
/// Where the background picture goes in a client area: centred once when it covers the area,
/// repeated along the top edge when only its height covers it, down the left edge when only
/// its width does, tiled otherwise.
std::vector<PictureDraw> BackgroundLayout(QSize client, QSize picture);

/// The area behind the child windows, with the background picture when there is one.
class MdiClient : public QMdiArea {
    Q_OBJECT
  public:
    explicit MdiClient(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    [[nodiscard]] const QImage& Picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    QImage picture_;
};

class MainWindow : public QMainWindow, public ProblemWindowHost {
    Q_OBJECT
  public:
    /// Builds the window and runs start-up: job defaults, font check, configuration file,
    /// command line, background picture. `argv[0]` is the program path.
    MainWindow(int argc, const char* const* argv, const StartupOptions& options = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    AppContext& Context() { return context_; }
    [[nodiscard]] const std::string& IniPath() const { return context_.iniPath; }
    [[nodiscard]] const std::string& PicturePath() const { return picturePath_; }
    [[nodiscard]] MdiClient* Workspace() const { return mdiClient_; }

    /// Creates the windows that do not exist yet: the auto-run error window, the command-line
    /// help window, the about window and the met and observation file selection windows.
    void CreateAuxiliaryWindows();
    /// The auto-run error window, created when it does not exist.
    AutoRunErrorWindow* ErrorWindow();
    UsageWindow* CmdLineHelpWin();
    AboutWindow* AboutForm();
    /// The met file selection window (with its met header window), created when needed.
    MetFileDialog* MetFileOptWin();
    /// The observation file selection window (with its header data window), created when
    /// needed.
    ObsFileDialog* ObsFileOptWin();

    /// 0, or non-zero after an unattended run that was rejected, could not start, failed or
    /// was cancelled.
    [[nodiscard]] int ExitStatus() const { return exitStatus_; }
    /// A termination request (SIGTERM, SIGINT): a run being written is cancelled as its
    /// Cancel button would (nothing published), then the program ends.
    void EndOnSignal();
    /// True once the window has closed for good.
    [[nodiscard]] bool Ended() const { return ended_; }
    [[nodiscard]] bool MenusEnabled() const { return menusEnabled_; }

    /// Enables or disables the "&File", "&Convert" and "&Help" menus together.
    void EnableMenus(bool enabled);

    /// Starts the conversion a file or folder stands for (dropped, or a recent session): the
    /// observation file window with every name derived from the B-file, or the met file window
    /// with the met log. False (and the reason in the status bar) when nothing can start.
    bool OpenSession(const QString& path);
    /// The result of the last interactive conversion (none before the first).
    [[nodiscard]] ResultPanel* Result() const { return resultPanel_; }
    /// The status bar's last result line.
    [[nodiscard]] QString StatusText() const;
    /// Rebuilds "Recent &Sessions" from the user's settings.
    void UpdateRecentSessionsMenu();

    /// Whether this build has the quality check window (it needs Qt Charts).
    static bool HasQualityCheckWindow();
    /// The quality check of the last interactive conversion that had it on (none before).
    [[nodiscard]] const qc::QcSummary* LastQualityCheck() const {
        return lastQualityCheck_ ? &*lastQualityCheck_ : nullptr;
    }
    /// The quality check window while it is open, else null.
    [[nodiscard]] QWidget* QualityCheckWindow() const { return qualityWindow_; }
    /// Shows the last quality check in its window (File > "Last &Quality Check"); nothing
    /// without one.
    void ShowQualityCheck();

    // ProblemWindowHost
    [[nodiscard]] bool IsUnattended() const override;
    QWidget* MessageParent() override { return this; }
    void ShowAutoRunError(const QString& title, const QString& text) override;

    void OnWinShow();
    void OnAutoRunTick();
    void OnMinimizeTimer();
    void OnObsConvertMenuItemClick();
    void OnMetConvertMenuItemClick();
    void OnHelpAboutClick();
    void OnHelpCommandLineClick();

  signals:
    /// The window has closed: the program ends with this exit status.
    void programEnded(int exitStatus);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateActions();
    void UpdateMenus();
    void CheckFonts(const StartupOptions& options, bool unattended);
    void ReadConfiguration(bool unattended);
    void InstallBackgroundPicture();
    void StartProgressWindow();
    void OnRunClosed(bool succeeded, const RunResult& result,
                     const std::optional<qc::QcSummary>& quality);
    void ShowResult(const RunResult& result);
    void OnFirstExposed();

    AppContext context_;
    std::string picturePath_;
    std::string exeFileName_;
    std::unique_ptr<ProblemWindow> problems_;         ///< ReportProblem
    std::unique_ptr<ProblemWindow> commandLineSink_;  ///< the command line: the error window
    std::unique_ptr<AutoRunErrorWindow> errorWindow_;
    std::unique_ptr<UsageWindow> helpWindow_;
    std::unique_ptr<AboutWindow> aboutForm_;
    MetFileDialog* metFileOptWin_ = nullptr;  ///< a child of this window
    ObsFileDialog* obsFileOptWin_ = nullptr;  ///< a child of this window

    MdiClient* mdiClient_ = nullptr;
    QMenu* mainMenuFile_ = nullptr;
    QMenu* recentSessionsMenu_ = nullptr;
    QMenu* mainMenuBFiles_ = nullptr;
    QMenu* mainMenuHelp_ = nullptr;
    QAction* obsConvertMenuItem_ = nullptr;
    QAction* metConvertMenuItem_ = nullptr;
    QAction* helpAbout_ = nullptr;
    QAction* helpCommandLine_ = nullptr;
    QTimer* autoRunTick_ = nullptr;
    QTimer* minimizeTimer_ = nullptr;
    QLabel* statusResult_ = nullptr;  ///< the last result line, kept under passing hints
    QPointer<QMdiSubWindow> resultWindow_;
    ResultPanel* resultPanel_ = nullptr;
    QAction* lastQualityCheckItem_ = nullptr;  ///< null without the quality check window
    std::optional<qc::QcSummary> lastQualityCheck_;
    std::string lastQualityReport_;  ///< where "Save report…" starts
    QPointer<QWidget> qualityWindow_;
    /// Where the restored placement put the frame; checked once the window manager has
    /// framed the window, which may have placed the inside there instead.
    QPoint restoredFramePos_;
    bool placementRestored_ = false;
    bool openObsWhenExposed_ = false;
    bool exposed_ = false;

    int autoRunTicks_ = 0;
    int minimizeTicks_ = 0;
    bool menusEnabled_ = true;
    /// Whether the file selection windows of the two conversions are part of the program.
    bool obsConversionAvailable_ = false;
    bool metConversionAvailable_ = false;
    bool commandLineRejected_ = false;
    bool firstShown_ = false;
    bool ended_ = false;
    bool autoRunClosed_ = false;  ///< the unattended run has ended, well or not
    int exitStatus_ = 0;
};

}  // namespace kelvrant
