// The command-line help window: the usage text, filled once when the window is first shown,
// and its printout.
#pragma once

#include <QIcon>
#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/AppContext.h"

class QFrame;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QStyle;
class QToolButton;

namespace kelvrant {

/// Top and bottom margin of a printed page, in printer units.
inline constexpr int kPrintMargin = 200;
/// Title of the print job.
inline constexpr const char* kHelpPrintJobTitle = "Kelvrant -- Command-Line Parameters";

/// Lines per printed page: pageHeight / h - 200 / h - 200 / h (integer divisions), where h is
/// the height of a line; at least 1.
int HelpLinesPerPage(int pageHeight, int lineHeight);

/// The order in which pages are printed: collated, all pages once per copy; otherwise each
/// page as many times as there are copies before the next. Pages are numbered from 0.
std::vector<int> HelpPrintOrder(int lineCount, int linesPerPage, int copies, bool collate);

/// The lines of page `page`: lines page*L .. page*L + L - 1 (fewer on the last page).
QStringList HelpPageLines(const QStringList& lines, int page, int linesPerPage);

/// The print button's icon: the theme's "document-print", else a printer drawn in the
/// style's colours.
QIcon PrinterIcon(const QStyle& style);

class UsageWindow : public QWidget {
    Q_OBJECT
  public:
    /// `exeFileName`: the executable's file name shown in the usage lines.
    UsageWindow(AppContext& context, std::string exeFileName, QWidget* parent = nullptr);

    [[nodiscard]] bool Filled() const { return filled_; }
    /// The memo's lines as they are printed.
    [[nodiscard]] QStringList MemoLines() const;

    void OnWinShow();
    void OnOkBtnClick();
    /// Runs the print dialog and prints when it is accepted.
    void OnSpeedButton1Click();
    /// Prints the memo on a printer already set up (copies and collation as it says).
    void PrintHelp(QPrinter& printer) const;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    /// Escape closes the window, as OK does.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    AppContext& context_;
    std::string exeFileName_;
    QFrame* panel1_ = nullptr;
    QPlainTextEdit* msgMemo_ = nullptr;
    QToolButton* speedButton1_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    bool filled_ = false;
};

}  // namespace kelvrant
