// The quality check window shown after an interactive conversion with the check on: the
// summary and the plots side by side in tabs, with "Save report…" and "Save plots…".
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "qc/QcSummary.h"

class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kelvrant::qcplot {

class QcWindow : public QWidget {
    Q_OBJECT
  public:
    /// Asks for a file (report) or a folder (plots); an empty answer cancels. Tests replace it.
    using AskPath = std::function<QString(QWidget* parent, bool folder, const QString& start)>;

    QcWindow(qc::QcSummary summary, std::string reportStart, QWidget* parent = nullptr);

    /// Shows a problem (a warning box); tests replace it.
    using Report = std::function<void(const std::string& title, const std::string& text)>;

    void SetAskPath(AskPath ask) { askPath_ = std::move(ask); }
    void SetReport(Report report) { report_ = std::move(report); }
    /// Writes the text report where the user says. False when cancelled or not written.
    bool OnSaveReport();
    /// Writes the plots (PNG and SVG) into the folder the user picks.
    bool OnSavePlots();
    /// The last failure text (file name and reason), empty after a success.
    const std::string& LastError() const { return lastError_; }

  private:
    qc::QcSummary summary_;
    std::string reportStart_;
    AskPath askPath_;
    Report report_;
    std::string lastError_;
    QTabWidget* tabs_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
};

}  // namespace kelvrant::qcplot
