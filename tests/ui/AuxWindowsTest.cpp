// The auxiliary windows: the auto-run error window and the way problems reach it, the
// command-line help window with its printout, and the about window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <string>
#include <thread>

#include "cli/UsageText.h"
#include "support/TestPaths.h"
#include "ui/AboutWindow.h"
#include "ui/AppContext.h"
#include "ui/AutoRunErrorWindow.h"
#include "ui/MessageBox.h"
#include "ui/ProblemWindow.h"
#include "ui/UsageWindow.h"

namespace kelvrant {
namespace {

using test::TempDir;

TEST(error_window_text, bare_line_feeds_become_cr_lf_below_480_characters) {
    EXPECT_EQ(AutoRunErrorText("a\nb"), "a\r\nb");
    EXPECT_EQ(AutoRunErrorText("a\r\nb\n\n"), "a\r\nb\r\n\r\n");
    EXPECT_EQ(AutoRunErrorText("\n"), "\r\n");
    const std::string just_below = std::string(477, 'x') + "\ny";
    EXPECT_EQ(AutoRunErrorText(just_below), std::string(477, 'x') + "\r\ny");
    const std::string at_limit = std::string(478, 'x') + "\ny";
    ASSERT_EQ(at_limit.size(), 480u);
    EXPECT_EQ(AutoRunErrorText(at_limit), at_limit);
}

TEST(error_window, takes_the_first_problem_and_closes_on_the_11th_tick) {
    AutoRunErrorWindow window;
    int closed = 0;
    QObject::connect(&window, &AutoRunErrorWindow::closed, [&] { ++closed; });
    window.ErrorTitle = "First Title";
    window.ErrorText = "first\r\nproblem";
    const int beeps = AutoRunErrorWindow::BeepCount();
    window.show();
    EXPECT_EQ(AutoRunErrorWindow::BeepCount(), beeps + 1);
    EXPECT_EQ(window.windowTitle(), "First Title");
    auto* memo = window.findChild<QWidget*>("MessageMemo");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->property("plainText").toString(), "first\nproblem");
    // A second problem changes the fields but not what is shown.
    window.ErrorTitle = "Second";
    window.ErrorText = "second";
    window.show();
    EXPECT_EQ(window.windowTitle(), "First Title");
    EXPECT_EQ(AutoRunErrorWindow::BeepCount(), beeps + 1);
    for (int tick = 1; tick <= 10; ++tick)
        window.OnWindowVisibleTimer();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(closed, 0);
    window.OnWindowVisibleTimer();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(window.Ticks(), 0);
}

// A host that records how problems were shown.
class RecordingHost : public ProblemWindowHost {
  public:
    bool IsUnattended() const override { return unattended; }
    QWidget* MessageParent() override { return nullptr; }
    void ShowAutoRunError(const QString& title, const QString& text) override {
        errorTitle = title;
        errorText = text;
        ++errorShows;
    }
    bool unattended = false;
    QString errorTitle;
    QString errorText;
    int errorShows = 0;
};

TEST(problem_window, interactive_problem_is_an_exclamation_box) {
    MessageBox::reset();
    RecordingHost host;
    ProblemWindow problems(host);
    problems.Report("Some Title", "line\nnext");
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(MessageBox::shown()[0].title, "Some Title");
    EXPECT_EQ(MessageBox::shown()[0].text, "line\nnext");
    EXPECT_EQ(host.errorShows, 0);
}

TEST(problem_window, unattended_problem_goes_to_the_error_window_with_cr_lf) {
    MessageBox::reset();
    RecordingHost host;
    host.unattended = true;
    ProblemWindow problems(host);
    problems.Report("Minimum File Requirements", "a\nb");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(host.errorTitle, "Minimum File Requirements");
    EXPECT_EQ(host.errorText, "a\r\nb");

    // The command line's problems always go to the error window.
    RecordingHost interactive;
    ProblemWindow commandLine(interactive, true);
    commandLine.Report("Error In Command-Line Parameters", "x");
    EXPECT_EQ(interactive.errorShows, 1);
    EXPECT_TRUE(MessageBox::shown().empty());
}

TEST(problem_window, a_worker_thread_waits_until_the_window_thread_has_shown_the_problem) {
    MessageBox::reset();
    RecordingHost host;
    ProblemWindow problems(host);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        problems.Report("From Worker", "text");
        // The box was recorded on the window thread before the call returned.
        EXPECT_EQ(MessageBox::shown().size(), 1u);
        returned = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(returned.load(), 5000);
    worker.join();
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].title, "From Worker");
}

TEST(help_window, text_is_filled_once) {
    AppContext context;
    UsageWindow help(context, "kelvrant");
    EXPECT_EQ(help.windowTitle(), "Command-Line Parameters");
    EXPECT_FALSE(help.Filled());
    help.show();
    const QStringList first = help.MemoLines();
    help.close();
    help.show();
    EXPECT_TRUE(help.Filled());
    EXPECT_EQ(help.MemoLines(), first);
    ASSERT_GT(first.size(), 3);
    EXPECT_EQ(first[0], "");
    EXPECT_EQ(first[1], "Program Usage:");
    EXPECT_TRUE(first.contains("   kelvrant -I bfile efile [sfile] [ionfile] [options]"));
    EXPECT_TRUE(first.contains("   kelvrant -M inmetfile outmetfile [gpswk gpswkSec]"));
    EXPECT_EQ(first.count("Program Usage:"), 1);
    EXPECT_EQ(help.findChild<QWidget*>("SpeedButton1")->toolTip(), "Print Command-Line Options");
}

TEST(help_window, closing_enables_the_menus) {
    AppContext context;
    bool enabled = false;
    context.enableMenus = [&](bool e) { enabled = e; };
    UsageWindow help(context, "kelvrant");
    help.show();
    help.findChild<QPushButton*>("OkBtn")->click();
    EXPECT_FALSE(help.isVisible());
    EXPECT_TRUE(enabled);
}

TEST(help_print, page_arithmetic) {
    // 200 units of top and of bottom margin, integer divisions as a printer counts them.
    EXPECT_EQ(HelpLinesPerPage(11000, 150), 73 - 1 - 1);
    EXPECT_EQ(HelpLinesPerPage(1000, 100), 10 - 2 - 2);
    EXPECT_EQ(HelpLinesPerPage(300, 100), 1);
    EXPECT_EQ(HelpPrintOrder(5, 2, 2, true), (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(HelpPrintOrder(5, 2, 2, false), (std::vector<int>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(HelpPrintOrder(4, 2, 1, true), (std::vector<int>{0, 1}));
    EXPECT_TRUE(HelpPrintOrder(0, 2, 1, true).empty());
}

TEST(help_print, no_line_is_lost_at_a_page_break) {
    QStringList lines;
    for (int i = 0; i < 10; ++i)
        lines << QString::number(i);
    QStringList joined;
    for (const int page : HelpPrintOrder(static_cast<int>(lines.size()), 4, 1, true))
        joined << HelpPageLines(lines, page, 4);
    EXPECT_EQ(joined, lines);
    EXPECT_EQ(HelpPageLines(lines, 2, 4), (QStringList{"8", "9"}));
    EXPECT_TRUE(HelpPageLines(lines, 3, 4).isEmpty());
}

int PdfPageCount(const std::string& pdf) {
    static const QRegularExpression page("/Type\\s*/Page(?![a-zA-Z])");
    int count = 0;
    auto it = page.globalMatch(QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size())));
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

TEST(help_print, printout_of_more_lines_than_a_page_continues_on_a_second_sheet) {
    AppContext context;
    UsageWindow help(context, "kelvrant");
    help.show();
    TempDir dir;
    const std::string pdf = dir.File("help.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    help.PrintHelp(printer);
    EXPECT_EQ(printer.docName(), "Kelvrant -- Command-Line Parameters");

    const QFontMetrics metrics(help.findChild<QWidget*>("MsgMemo")->font(), &printer);
    const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    const int perPage = HelpLinesPerPage(pageHeight, metrics.height());
    const int lines = static_cast<int>(help.MemoLines().size());
    ASSERT_GT(lines, perPage) << "the help text fits one page; the test needs more";
    const int pages = (lines + perPage - 1) / perPage;
    EXPECT_EQ(PdfPageCount(test::ReadFile(pdf)), pages);
}

TEST(help_print, uncollated_copies_print_each_page_twice_in_a_row) {
    AppContext context;
    UsageWindow help(context, "kelvrant");
    help.show();
    TempDir dir;
    const std::string pdf = dir.File("copies.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setCopyCount(2);
    printer.setCollateCopies(false);
    if (printer.supportsMultipleCopies()) GTEST_SKIP() << "the printer makes copies itself";
    const QFontMetrics metrics(help.findChild<QWidget*>("MsgMemo")->font(), &printer);
    const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    const int perPage = HelpLinesPerPage(pageHeight, metrics.height());
    const int lines = static_cast<int>(help.MemoLines().size());
    help.PrintHelp(printer);
    EXPECT_EQ(PdfPageCount(test::ReadFile(pdf)), 2 * ((lines + perPage - 1) / perPage));
}

TEST(about_window, labels_and_menus) {
    AppContext context;
    int disabled = 0;
    int enabled = 0;
    context.enableMenus = [&](bool e) { ++(e ? enabled : disabled); };
    AboutWindow about(context);
    EXPECT_EQ(about.windowTitle(), "About Kelvrant");
    EXPECT_EQ(about.findChild<QLabel*>("Label10")->text(),
              "RINEX from Ashtech Fomat File Conversion Program");
    EXPECT_EQ(about.findChild<QLabel*>("ProductName")->text(), "(kelvrant)");
    // The project's version as the build file states it.
    EXPECT_EQ(about.findChild<QLabel*>("Version")->text(),
              QString("Version " KELVRANT_PROJECT_VERSION " for Linux (64-bit)"));
    EXPECT_EQ(about.findChild<QLabel*>("Label3")->text(), "By");
    EXPECT_EQ(about.findChild<QLabel*>("Label4")->text(), "Quillon");
    about.show();
    EXPECT_EQ(disabled, 1);
    about.findChild<QPushButton*>("OKButton")->click();
    EXPECT_EQ(enabled, 1);
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace kelvrant
