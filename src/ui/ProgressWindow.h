// The progress window of a conversion and its worker thread. Showing the window starts the
// worker on the prepared run; two timers display the worker's percentage and, about one
// second after the worker is done, close the window. Closing (or Cancel) stops and joins the
// worker, closes the run's files, enables the main window's menus and tells the main window
// how the run ended.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "qc/QualityCheck.h"
#include "run/ConversionWorker.h"
#include "ui/AppContext.h"
#include "ui/RunResult.h"

class QFrame;

namespace kelvrant {

/// Position of the progress bar for a shown percentage: two points behind it (0 below 2), so
/// the bar stops at 98 while the label reaches 100.
int ProgressBarPosition(double percent);
/// The label text of a percentage: "%.0lf%%".
std::string ProgressLabelText(double percent);

/// The conversion worker: runs RunConversionWorker on the prepared run.
class ConversionThread : public QThread {
    Q_OBJECT
  public:
    ConversionThread(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                     ProgressState& progress, WorkerOptions options, QObject* parent = nullptr);
    /// Stops and joins the worker.
    ~ConversionThread() override;

    /// Asks the worker to stop after the current epoch and waits for its end. Problems the
    /// worker hands to the window thread meanwhile are still shown, so the wait cannot lock.
    void StopAndWait();
    /// Waits for the worker's end (see StopAndWait).
    void Join();
    /// True when the worker ended without a reported failure.
    [[nodiscard]] bool Succeeded() const { return succeeded_; }

  protected:
    void run() override { Execute(); }

  private:
    void Execute();

    const ConversionJob& job_;
    RunFileSet& files_;
    ProblemSink& problems_;
    ProgressState& progress_;
    WorkerOptions options_;
    bool succeeded_ = false;
};

class ProgressWindow : public QWidget {
    Q_OBJECT
  public:
    /// The window is built on the context's prepared run (job and files); it starts the
    /// worker when shown.
    explicit ProgressWindow(AppContext& context, QWidget* parent = nullptr);
    ~ProgressWindow() override;

    /// The progress window of the run going on, or none.
    [[nodiscard]] static ProgressWindow* Current();

    /// Creates the window as a child of the main window's MDI area and shows it.
    static ProgressWindow* Start(AppContext& context);

    void OnWinShow();
    void OnDisplayUpdateTimer();
    void OnWaitForThreadTimer();
    void OnCancelBtnClick();

    /// The worker's progress exchange.
    ProgressState& Progress() { return progress_; }
    /// What the run wrote; complete when runClosed is emitted.
    [[nodiscard]] const RunResult& Result() const { return result_; }
    /// The quality check's summary of a run that converted everything it was asked for; none
    /// without the check.
    [[nodiscard]] const std::optional<qc::QcSummary>& QualitySummary() const {
        return qualitySummary_;
    }

  signals:
    /// The window has closed and the run's files are closed. `succeeded`: the worker ran to
    /// its end, nothing failed, and every output was written and closed.
    void runClosed(bool succeeded);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CloseWindow();
    void Finish();
    void ReleaseWorker(bool stop);

    AppContext& context_;
    StderrProblemSink fallback_;  ///< when the context has no problem sink (a bare form)
    ProgressState progress_;
    std::unique_ptr<ConversionThread> worker_;
    /// The quality check the command line (--qc and the like) or the file selection window
    /// asked for, fed by the worker.
    std::optional<qc::QualityCheck> check_;
    std::optional<qc::QcSummary> qualitySummary_;
    QFrame* progressPanel_ = nullptr;
    QProgressBar* outputProgressBar_ = nullptr;
    QLabel* precentLabel_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QTimer* waitForThreadTimer_ = nullptr;
    QTimer* displayUpdateTimer_ = nullptr;
    int ticks_ = 0;
    bool started_ = false;
    bool finished_ = false;
    bool cancelled_ = false;
    bool workerSucceeded_ = false;
    RunResult result_;
};

}  // namespace kelvrant
