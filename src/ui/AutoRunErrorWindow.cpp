#include "ui/AutoRunErrorWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/TimerIntervals.h"

namespace kelvrant {

namespace {
int beepCount = 0;
// The window closes when the tick counter exceeds this (the 11th tick).
constexpr int kVisibleTicks = 10;
}  // namespace

AutoRunErrorWindow::AutoRunErrorWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("AutoRunErrorWindow");
    setWindowTitle("Auto-Run Error");
    setFont(QFont("Arial", 8, QFont::Bold));

    messageMemo_ = new QPlainTextEdit(this);
    messageMemo_->setObjectName("MessageMemo");
    messageMemo_->setReadOnly(true);
    messageMemo_->setFrameShape(QFrame::NoFrame);
    QPalette memoPalette = messageMemo_->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    messageMemo_->setPalette(memoPalette);
    // The keys belong to the window (Return and Escape close it), not to the text.
    messageMemo_->setFocusPolicy(Qt::NoFocus);
    messageMemo_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    countdownLabel_ = new QLabel(this);
    countdownLabel_->setObjectName("CountdownLabel");

    okBtn_ = new QPushButton("OK", this);
    okBtn_->setObjectName("OkBtn");
    okBtn_->setDefault(true);
    connect(okBtn_, &QPushButton::clicked, this, &AutoRunErrorWindow::OnOkBtnClick);

    windowVisibleTimer_ = new QTimer(this);
    windowVisibleTimer_->setObjectName("WindowVisibleTimer");
    windowVisibleTimer_->setInterval(Intervals().errorWindowVisible);
    connect(windowVisibleTimer_, &QTimer::timeout, this, &AutoRunErrorWindow::OnWindowVisibleTimer);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageMemo_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(countdownLabel_, 1);
    buttons->addWidget(okBtn_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    setFixedSize(440, 240);
}

int AutoRunErrorWindow::BeepCount() {
    return beepCount;
}

void AutoRunErrorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) OnWinShow();
}

void AutoRunErrorWindow::OnWinShow() {
    QApplication::beep();
    ++beepCount;
    // The memo shows lines; the carriage returns of the text are its line ends.
    QString shown = ErrorText;
    shown.remove(QChar('\r'));
    messageMemo_->setPlainText(shown);
    setWindowTitle(ErrorTitle);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    ticks_ = 0;
    ShowSecondsLeft();
    okBtn_->setFocus(Qt::OtherFocusReason);
    windowVisibleTimer_->setInterval(Intervals().errorWindowVisible);
    windowVisibleTimer_->start();
}

void AutoRunErrorWindow::ShowSecondsLeft() {
    countdownLabel_->setText(QStringLiteral("Closes in %1 s").arg(kVisibleTicks + 1 - ticks_));
}

void AutoRunErrorWindow::OnWindowVisibleTimer() {
    ++ticks_;
    if (ticks_ > kVisibleTicks) {
        close();
        return;
    }
    ShowSecondsLeft();
}

void AutoRunErrorWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            close();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void AutoRunErrorWindow::OnOkBtnClick() {
    close();
}

void AutoRunErrorWindow::closeEvent(QCloseEvent* event) {
    windowVisibleTimer_->stop();
    ticks_ = 0;
    QWidget::closeEvent(event);
    emit closed();
}

}  // namespace kelvrant
