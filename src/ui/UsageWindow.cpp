#include "ui/UsageWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "cli/UsageText.h"

namespace kelvrant {

int HelpLinesPerPage(int pageHeight, int lineHeight) {
    if (lineHeight <= 0) return 1;
    const int lines =
        pageHeight / lineHeight - kPrintMargin / lineHeight - kPrintMargin / lineHeight;
    // A page too small for its margins still prints one line per sheet rather than none.
    return std::max(lines, 1);
}

std::vector<int> HelpPrintOrder(int lineCount, int linesPerPage, int copies, bool collate) {
    std::vector<int> order;
    if (lineCount <= 0 || linesPerPage <= 0) return order;
    const int pages = (lineCount + linesPerPage - 1) / linesPerPage;
    copies = std::max(copies, 1);
    if (collate) {
        for (int c = 0; c < copies; ++c)
            for (int p = 0; p < pages; ++p)
                order.push_back(p);
    } else {
        for (int p = 0; p < pages; ++p)
            for (int c = 0; c < copies; ++c)
                order.push_back(p);
    }
    return order;
}

QStringList HelpPageLines(const QStringList& lines, int page, int linesPerPage) {
    const qsizetype first = static_cast<qsizetype>(page) * linesPerPage;
    if (page < 0 || linesPerPage <= 0 || first >= lines.size()) return {};
    return lines.mid(first, linesPerPage);
}

QIcon PrinterIcon(const QStyle& style) {
    QIcon icon = QIcon::fromTheme(QStringLiteral("document-print"));
    if (!icon.isNull()) return icon;
    // No icon theme (a bare window manager): a printer drawn in the style's colours.
    const QPalette palette = style.standardPalette();
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette.color(QPalette::WindowText), 1.5));
    painter.setBrush(palette.color(QPalette::Base));
    painter.drawRect(QRectF(9.5, 3.5, 13, 9));  // paper going in
    painter.setBrush(palette.color(QPalette::Button));
    painter.drawRoundedRect(QRectF(3.5, 11.5, 25, 12), 2, 2);  // body
    painter.setBrush(palette.color(QPalette::Base));
    painter.drawRect(QRectF(9.5, 19.5, 13, 9));  // printed sheet
    painter.drawLine(QPointF(12, 23), QPointF(20, 23));
    painter.drawLine(QPointF(12, 26), QPointF(20, 26));
    painter.end();
    return QIcon(pixmap);
}

UsageWindow::UsageWindow(AppContext& context, std::string exeFileName, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      context_(context),
      exeFileName_(std::move(exeFileName)) {
    setObjectName("UsageWindow");
    setWindowTitle("Command-Line Parameters");

    panel1_ = new QFrame(this);
    panel1_->setObjectName("Panel1");
    panel1_->setFrameShape(QFrame::StyledPanel);
    msgMemo_ = new QPlainTextEdit(panel1_);
    msgMemo_->setObjectName("MsgMemo");
    msgMemo_->setReadOnly(true);
    // Long lines wrap at the window's width; a printed page keeps the text's own lines.
    msgMemo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    msgMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    msgMemo_->setFont(QFont("Courier New", 8));
    QPalette memoPalette = msgMemo_->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    msgMemo_->setPalette(memoPalette);
    // The memo starts with one empty line.
    msgMemo_->setPlainText(QString());
    auto* panelLayout = new QVBoxLayout(panel1_);
    panelLayout->addWidget(msgMemo_);

    speedButton1_ = new QToolButton(this);
    speedButton1_->setObjectName("SpeedButton1");
    speedButton1_->setToolTip("Print Command-Line Options");
    speedButton1_->setIcon(PrinterIcon(*style()));
    connect(speedButton1_, &QToolButton::clicked, this, &UsageWindow::OnSpeedButton1Click);
    okBtn_ = new QPushButton("OK", this);
    okBtn_->setObjectName("OkBtn");
    connect(okBtn_, &QPushButton::clicked, this, &UsageWindow::OnOkBtnClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel1_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(speedButton1_);
    buttons->addStretch();
    buttons->addWidget(okBtn_);
    buttons->addStretch();
    layout->addLayout(buttons);
    resize(760, 480);
    setMinimumSize(360, 240);
}

QStringList UsageWindow::MemoLines() const {
    QStringList lines;
    for (QTextBlock block = msgMemo_->document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}

void UsageWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) OnWinShow();
}

void UsageWindow::OnWinShow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    if (filled_) return;
    filled_ = true;
    // After the memo's one empty line, each piece starts a new line; its own line breaks
    // make further lines.
    QString text = msgMemo_->toPlainText();
    for (const std::string& piece : CmdLineHelpPieces(exeFileName_)) {
        text += '\n';
        text += QString::fromStdString(piece);
    }
    text.remove(QChar('\r'));
    msgMemo_->setPlainText(text);
    msgMemo_->moveCursor(QTextCursor::Start);
}

void UsageWindow::OnOkBtnClick() {
    close();
}

void UsageWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    context_.enableMenus(true);
}

void UsageWindow::OnSpeedButton1Click() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog printDialog(&printer, this);
    printDialog.setObjectName("PrintDialog");
    printDialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (printDialog.exec() != QDialog::Accepted) return;
    PrintHelp(printer);
}

void UsageWindow::PrintHelp(QPrinter& printer) const {
    printer.setDocName(kHelpPrintJobTitle);
    // A printer that makes copies itself gets each page once.
    const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    const bool collate = printer.collateCopies();
    const QStringList lines = MemoLines();

    QPainter painter;
    if (!painter.begin(&printer)) return;
    painter.setFont(msgMemo_->font());
    const QFontMetrics metrics(painter.font(), &printer);
    const int lineHeight = metrics.height();
    const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    const int linesPerPage = HelpLinesPerPage(pageHeight, lineHeight);

    bool firstSheet = true;
    for (const int page :
         HelpPrintOrder(static_cast<int>(lines.size()), linesPerPage, copies, collate)) {
        if (!firstSheet) printer.newPage();
        firstSheet = false;
        const QStringList pageLines = HelpPageLines(lines, page, linesPerPage);
        for (qsizetype i = 0; i < pageLines.size(); ++i) {
            const int top = kPrintMargin + lineHeight * static_cast<int>(i);
            painter.drawText(kPrintMargin, top + metrics.ascent(), pageLines[i]);
        }
    }
    painter.end();
}

void UsageWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kelvrant
