// ReportProblem of the windows: a message box with an exclamation icon in an interactive
// session, the auto-run error window in an unattended one. Problems reported from the
// conversion worker are handed to the window thread, and the worker waits until they have been
// shown (interactive: until the box is dismissed).
#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "run/ProblemSink.h"

class QWidget;

namespace kelvrant {

/// Texts shorter than this have their bare line feeds turned into carriage return and line
/// feed before the error window shows them; longer texts are shown as they are.
inline constexpr std::size_t kErrorTextConversionLimit = 480;

/// The text the auto-run error window gets for `text`: below 480 characters, every line feed
/// not preceded by a carriage return becomes CR LF; otherwise the text unchanged.
std::string AutoRunErrorText(std::string_view text);

/// What ReportProblem needs from the main window.
class ProblemWindowHost {
  public:
    virtual ~ProblemWindowHost() = default;
    /// True when a run was started from the command line (ObsRun, MetRun or RunMinimized).
    [[nodiscard]] virtual bool IsUnattended() const = 0;
    /// Parent of the message boxes.
    virtual QWidget* MessageParent() = 0;
    /// Gives the auto-run error window (created when it does not exist) the title and text,
    /// restores a minimized program, and makes the window visible.
    virtual void ShowAutoRunError(const QString& title, const QString& text) = 0;
};

class ProblemWindow : public QObject, public ProblemSink {
    Q_OBJECT
  public:
    /// `alwaysErrorWindow`: every problem goes to the auto-run error window (the command
    /// line's problems), whatever the mode.
    explicit ProblemWindow(ProblemWindowHost& host, bool alwaysErrorWindow = false,
                           QObject* parent = nullptr);

    /// Shows the problem; from another thread, waits until it has been shown.
    void Report(std::string_view title, std::string_view text) override;

    /// Problems reported so far.
    [[nodiscard]] int ReportCount() const { return reportCount_; }
    /// Titles of the problems reported so far, oldest first.
    [[nodiscard]] const std::vector<std::string>& ReportedTitles() const { return titles_; }

  private:
    void ReportHere(const std::string& title, const std::string& text);

    ProblemWindowHost& host_;
    bool alwaysErrorWindow_;
    int reportCount_ = 0;
    std::vector<std::string> titles_;
};

}  // namespace kelvrant
