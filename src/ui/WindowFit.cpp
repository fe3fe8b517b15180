#include "ui/WindowFit.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace kelvrant {
namespace {

QRect FreeArea(const QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
}

// The frame around the window's contents: the real one once the window manager has drawn it,
// else a usual title bar and border.
QMargins FrameMargins(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    if (window->isVisible() && frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(),
                frame.right() - inner.right(), frame.bottom() - inner.bottom()};
    return {4, kFrameAllowance - 8, 4, 4};
}

// Waits for the window's first expose and moves its frame back where it was asked for.
class FrameKeeper : public QObject {
  public:
    FrameKeeper(QWidget* window, QPoint framePos)
        : QObject(window), window_(window), framePos_(framePos) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && window_->windowHandle() == watched &&
            window_->windowHandle()->isExposed()) {
            QTimer::singleShot(0, window_, [window = window_, pos = framePos_] {
                if (window->frameGeometry().topLeft() != pos) window->move(pos);
            });
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

  private:
    QWidget* window_;
    QPoint framePos_;
};

}  // namespace

void MoveFrameTo(QWidget* window, QPoint framePos) {
    window->move(framePos);
    window->winId();  // creates the native window, so that its expose can be watched
    if (QWindow* handle = window->windowHandle())
        handle->installEventFilter(new FrameKeeper(window, framePos));
}

QScrollArea* ScrollingBody(QWidget* body, QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setObjectName(QStringLiteral("ScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidget(body);
    return scroll;
}

void FitToScreen(QWidget* window, QScrollArea* scroll) {
    const QSize content = scroll->widget()->sizeHint();
    // What the window holds besides the scrolling part (buttons, margins).
    const QSize around = window->sizeHint() - scroll->sizeHint();
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QRect area = FreeArea(window);
    const QMargins frame = FrameMargins(window);
    const int maxWidth = area.width() - frame.left() - frame.right();
    const int maxHeight = area.height() - frame.top() - frame.bottom();
    int height = content.height() + around.height();
    int width = content.width() + around.width();
    // A scroll bar takes room of its own across the other direction.
    if (height > maxHeight) width += bar;
    if (width > maxWidth) height += bar;
    window->resize(std::min(width, maxWidth), std::min(height, maxHeight));
}

void KeepOnScreen(QWidget* window) {
    const QRect area = FreeArea(window);
    const QMargins frame = FrameMargins(window);
    const QRect outer = window->geometry().marginsAdded(frame);
    int left = outer.left();
    int top = outer.top();
    left = std::max(area.left(), std::min(left, area.right() + 1 - outer.width()));
    top = std::max(area.top(), std::min(top, area.bottom() + 1 - outer.height()));
    if (left != outer.left() || top != outer.top())
        window->move(window->pos() + QPoint(left - outer.left(), top - outer.top()));
}

}  // namespace kelvrant
