// The quality check window (see QcWindow.h).
#include "qcplot/QcWindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

#include "qc/QcReport.h"
#include "qcplot/QcPlots.h"

namespace kelvrant::qcplot {
namespace {

QString DefaultAsk(QWidget* parent, bool folder, const QString& start) {
    return folder ? QFileDialog::getExistingDirectory(parent, "Save plots", start)
                  : QFileDialog::getSaveFileName(parent, "Save report", start,
                                                 "Quality check report (*.txt);;All files (*)");
}

const char* const kPlotTitles[] = {"Sky plot", "Availability", "Multipath", "Signal strength"};

}  // namespace

QcWindow::QcWindow(qc::QcSummary summary, std::string reportStart, QWidget* parent)
    : QWidget(parent),
      summary_(std::move(summary)),
      reportStart_(std::move(reportStart)),
      askPath_(DefaultAsk),
      report_([this](const std::string& title, const std::string& text) {
          QMessageBox::warning(this, QString::fromStdString(title), QString::fromStdString(text));
      }) {
    setObjectName("QcWindow");
    setWindowTitle(QString("Quality check - %1").arg(QString::fromStdString(summary_.fileName)));
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("QcTabs");
    text_ = new QPlainTextEdit;
    text_->setObjectName("QcSummaryText");
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setPlainText(QString::fromStdString(qc::ReportText(summary_)));
    tabs_->addTab(text_, "Summary");
    auto* plots = new QTabWidget;
    plots->setObjectName("QcPlotTabs");
    const auto charts = MakeCharts(summary_);
    for (std::size_t i = 0; i < charts.size(); ++i) {
        auto* view = new QChartView(charts[i]);  // the view owns its chart
        view->setRenderHint(QPainter::Antialiasing);
        plots->addTab(view, kPlotTitles[i]);
    }
    tabs_->addTab(plots, "Plots");

    auto* saveReport = new QPushButton("Save report…");
    saveReport->setObjectName("SaveReportBtn");
    auto* savePlots = new QPushButton("Save plots…");
    savePlots->setObjectName("SavePlotsBtn");
    auto* close = new QPushButton("Close");
    close->setObjectName("CloseBtn");
    connect(saveReport, &QPushButton::clicked, this, [this] { OnSaveReport(); });
    connect(savePlots, &QPushButton::clicked, this, [this] { OnSavePlots(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveReport);
    buttons->addWidget(savePlots);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    resize(1060, 860);
}

bool QcWindow::OnSaveReport() {
    const QString path = askPath_(this, false, QString::fromStdString(reportStart_));
    if (path.isEmpty()) return false;
    lastError_.clear();
    const std::string text = qc::ReportText(summary_);
    // Written beside it and renamed over it once complete: a report the user chose to replace
    // is never left half written.
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.write(text.data(), static_cast<qint64>(text.size())) ==
                        static_cast<qint64>(text.size()) &&
                    file.commit();
    if (!ok) {
        lastError_ = "Cannot write the report.\n\n" + path.toStdString();
        report_("File Write Error", lastError_);
        return false;
    }
    return true;
}

bool QcWindow::OnSavePlots() {
    // Offered first: the folder the report went to.
    const QString start = reportStart_.empty()
                              ? QString()
                              : QFileInfo(QString::fromStdString(reportStart_)).absolutePath();
    const QString dir = askPath_(this, true, start);
    if (dir.isEmpty()) return false;
    lastError_.clear();
    if (!WritePlots(summary_, dir.toStdString(), lastError_)) {
        report_("File Write Error", lastError_);
        return false;
    }
    return true;
}

}  // namespace kelvrant::qcplot
