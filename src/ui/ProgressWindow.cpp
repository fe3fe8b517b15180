#include "ui/ProgressWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFrame>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShowEvent>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <vector>

#include "run/QualityCheckRun.h"
#include "ui/TimerIntervals.h"
#ifdef KELVRANT_HAVE_QCPLOT
#include "qcplot/QcPlots.h"
#endif

namespace kelvrant {

namespace {
ProgressWindow* currentForm = nullptr;
// The window closes at this tick of WaitForThreadTimer after the worker is done.
constexpr int kTicksAfterDone = 5;
}  // namespace

int ProgressBarPosition(double percent) {
    if (!(percent >= 2.0)) return 0;
    return static_cast<int>(std::trunc(std::fmin(percent, 1000.0) - 2.0));
}

std::string ProgressLabelText(double percent) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0lf%%", percent);
    return text;
}

// ---- ConversionThread ----

ConversionThread::ConversionThread(const ConversionJob& job, RunFileSet& files,
                                   ProblemSink& problems, ProgressState& progress,
                                   WorkerOptions options, QObject* parent)
    : QThread(parent),
      job_(job),
      files_(files),
      problems_(problems),
      progress_(progress),
      options_(options) {
    progress_.Publish(0.0);
}

ConversionThread::~ConversionThread() {
    StopAndWait();
}

void ConversionThread::Execute() {
    succeeded_ = RunConversionWorker(job_, files_, problems_, progress_, options_);
}

void ConversionThread::StopAndWait() {
    progress_.RequestStop();
    Join();
}

void ConversionThread::Join() {
    // A worker reporting a problem waits for the window thread to show it: deliver those
    // hand-overs while waiting, or both threads would wait for each other.
    while (!wait(QDeadlineTimer(20))) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
}

// ---- ProgressWindow ----

ProgressWindow::ProgressWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("ProgressWindow");
    setWindowTitle("Creating Output RINEX Data file(s).");

    progressPanel_ = new QFrame(this);
    progressPanel_->setObjectName("ProgressPanel");
    progressPanel_->setFrameShape(QFrame::StyledPanel);
    outputProgressBar_ = new QProgressBar(progressPanel_);
    outputProgressBar_->setObjectName("OutputProgressBar");
    outputProgressBar_->setRange(0, 100);
    outputProgressBar_->setValue(0);
    outputProgressBar_->setTextVisible(false);
    outputProgressBar_->setToolTip("Progress of file output operation");
    precentLabel_ = new QLabel("0%", progressPanel_);
    precentLabel_->setObjectName("PrecentLabel");
    precentLabel_->setMinimumWidth(40);
    auto* panelLayout = new QHBoxLayout(progressPanel_);
    panelLayout->addWidget(outputProgressBar_, 1);
    panelLayout->addWidget(precentLabel_);

    cancelBtn_ = new QPushButton("Cancel", this);
    cancelBtn_->setObjectName("CancelBtn");
    cancelBtn_->setToolTip("Push to cancel operation");
    connect(cancelBtn_, &QPushButton::clicked, this, &ProgressWindow::OnCancelBtnClick);

    waitForThreadTimer_ = new QTimer(this);
    waitForThreadTimer_->setObjectName("WaitForThreadTimer");
    connect(waitForThreadTimer_, &QTimer::timeout, this, &ProgressWindow::OnWaitForThreadTimer);
    displayUpdateTimer_ = new QTimer(this);
    displayUpdateTimer_->setObjectName("DisplayUpdateTimer");
    connect(displayUpdateTimer_, &QTimer::timeout, this, &ProgressWindow::OnDisplayUpdateTimer);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progressPanel_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelBtn_);
    buttons->addStretch();
    layout->addLayout(buttons);
    setFixedSize(360, 110);
    currentForm = this;
}

ProgressWindow::~ProgressWindow() {
    // Destroyed without closing (the main window went away): the worker still ends before
    // the files it writes are closed.
    if (!finished_) {
        waitForThreadTimer_->stop();
        displayUpdateTimer_->stop();
        if (worker_) worker_->StopAndWait();
        worker_.reset();
        CloseRunFiles(context_.files);
    }
    if (currentForm == this) currentForm = nullptr;
}

ProgressWindow* ProgressWindow::Current() {
    return currentForm;
}

ProgressWindow* ProgressWindow::Start(AppContext& context) {
    auto* form = new ProgressWindow(context);
    if (context.mdiArea != nullptr) {
        QMdiSubWindow* sub = context.mdiArea->addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->move(1, 1);
        sub->show();
    } else {
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    }
    return form;
}

void ProgressWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!started_) {
        started_ = true;
        OnWinShow();
    }
}

void ProgressWindow::OnWinShow() {
    waitForThreadTimer_->stop();
    progress_.Reset();
    ticks_ = 0;
    setWindowTitle("Creating Output RINEX Data file(s).");
    outputProgressBar_->setValue(0);
    precentLabel_->setText("0%");

    WorkerOptions options;
    options.clock = context_.clock;
    // Unattended, a met reader error stays on screen a while before the program ends.
    options.pauseAfterMetError = context_.job.ObsRun || context_.job.MetRun;
    ProblemSink& problems =
        context_.problems != nullptr ? *context_.problems : static_cast<ProblemSink&>(fallback_);
    check_.reset();
    qualitySummary_.reset();
    // Unattended: an observation run with --qc and the like. Interactive: an observation
    // conversion whose file selection window had the check on (a met run never checks).
    const ConversionJob& job = context_.job;
    const bool interactive = !job.ObsRun && !job.MetRun;
    if ((job.ObsRun || (interactive && !context_.files.MetInFile.IsOpen())) && job.Qc.Any()) {
        check_.emplace(QcSetupFor(context_.files, job.BFileName, job.Editing.decimateMs));
        options.qualityCheck = &*check_;
    }
    worker_ = std::make_unique<ConversionThread>(context_.job, context_.files, problems, progress_,
                                                 options);
    worker_->start();

    waitForThreadTimer_->start(Intervals().progress);
    displayUpdateTimer_->start(Intervals().progress);
}

void ProgressWindow::OnDisplayUpdateTimer() {
    const double shown = progress_.Percent();
    outputProgressBar_->setValue(ProgressBarPosition(shown));
    precentLabel_->setText(QString::fromStdString(ProgressLabelText(shown)));
}

void ProgressWindow::OnWaitForThreadTimer() {
    if (!worker_ || !progress_.Done()) return;
    ++ticks_;
    if (ticks_ < kTicksAfterDone) return;
    ReleaseWorker(false);
    waitForThreadTimer_->stop();
    CloseWindow();
}

void ProgressWindow::OnCancelBtnClick() {
    if (worker_) {
        cancelled_ = !progress_.Done();
        ReleaseWorker(true);
    }
    CloseWindow();
}

void ProgressWindow::ReleaseWorker(bool stop) {
    if (!worker_) return;
    if (stop) {
        worker_->StopAndWait();
    } else {
        worker_->Join();
    }
    workerSucceeded_ = worker_->Succeeded();
    // A stop that came after the worker's last look at it changed nothing: the run published
    // its files and is no cancelled run.
    if (workerSucceeded_) cancelled_ = false;
    worker_.reset();
}

void ProgressWindow::CloseWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->close();
    } else {
        close();
    }
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    Finish();
}

void ProgressWindow::Finish() {
    if (finished_) return;
    finished_ = true;
    waitForThreadTimer_->stop();
    displayUpdateTimer_->stop();
    if (worker_) {
        cancelled_ = !progress_.Done();
        ReleaseWorker(true);
    }
    bool checked = true;
    std::string reportBase;  ///< the reports' name without ".qc.txt", when checked
    if (check_ && workerSucceeded_ && !cancelled_) {
        // The reports go beside the observation file (or where it would have gone).
        const ConversionJob& job = context_.job;
        QcPlotWriter plots;
#ifdef KELVRANT_HAVE_QCPLOT
        plots = qcplot::WritePlots;
#endif
        ProblemSink& problems = context_.problems != nullptr ? *context_.problems
                                                             : static_cast<ProblemSink&>(fallback_);
        const std::string base = QcReportBase(job, context_.files);
        qualitySummary_.emplace();
        checked = FinishQualityCheck(*check_, job.Qc, base, plots, problems, *qualitySummary_);
        reportBase = base;
    }
    check_.reset();
    // What was written is read before the files close (their names, the epoch index).
    result_ = RunResult::FromRun(context_.job, context_.files);
    // A run that only checks has no outputs to list.
    if (context_.job.Qc.only) result_.outputs.clear();
    // The text report is one of the files written (MeasureOutputs finds whether it was).
    if (!reportBase.empty() && (context_.job.Qc.report || context_.job.Qc.only))
        result_.outputs.push_back({reportBase + ".qc.txt", -1});
    std::vector<std::string> failedOutputs;
    const bool closed = CloseRunFiles(context_.files, &failedOutputs);
    if (context_.problems != nullptr) {
        for (const std::string& name : failedOutputs) {
            context_.problems->Report(runtext::kWriteErrorTitle,
                                      std::string(runtext::kWriteError) + "\n\n" + name);
        }
    }
    if (currentForm == this) currentForm = nullptr;
    context_.enableMenus(true);
    if (context_.job.ObsRun || context_.job.MetRun) context_.job.RunFinished = true;
    const bool succeeded = workerSucceeded_ && !cancelled_ && closed && checked;
    result_.ending = cancelled_  ? RunResult::Ending::kCancelled
                     : succeeded ? RunResult::Ending::kSucceeded
                                 : RunResult::Ending::kFailed;
    result_.MeasureOutputs();
    emit runClosed(succeeded);
}

}  // namespace kelvrant
