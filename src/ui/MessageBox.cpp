#include "ui/MessageBox.h"

#include <QApplication>
#include <QWidget>

namespace kelvrant {
namespace {

struct BoxState {
    bool testMode = false;
    std::deque<MessageBox::Button> nextAnswers;
    std::vector<MessageBox::Record> shown;
};

BoxState& State() {
    static BoxState state;
    return state;
}

}  // namespace

QMessageBox::Icon MessageBox::qtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kExclamation:
            return QMessageBox::Warning;
        case MessageIcon::kStop:
            return QMessageBox::Critical;
        case MessageIcon::kQuestion:
            return QMessageBox::Question;
        case MessageIcon::kInformation:
            return QMessageBox::Information;
        case MessageIcon::kNone:
            break;
    }
    return QMessageBox::NoIcon;
}

MessageBox::Button MessageBox::AnswerWithoutShowing(Buttons buttons, Button defaultButton) {
    BoxState& state = State();
    if (!state.nextAnswers.empty()) {
        const Button answer = state.nextAnswers.front();
        state.nextAnswers.pop_front();
        return answer;
    }
    if (defaultButton != QMessageBox::NoButton) return defaultButton;
    for (const Button b : {QMessageBox::Ok, QMessageBox::Yes}) {
        if (buttons.testFlag(b)) return b;
    }
    for (unsigned bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        const auto b = static_cast<Button>(bit);
        if (buttons.testFlag(b)) return b;
    }
    return QMessageBox::NoButton;
}

QWidget* MessageBox::ParentFor(QWidget* requested) {
    auto usable = [](QWidget* w) { return w != nullptr && w->isVisible() && !w->isMinimized(); };
    auto onTop = [](QWidget* w) { return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
    if (QWidget* modal = QApplication::activeModalWidget(); usable(modal)) return modal;
    QWidget* active = QApplication::activeWindow();
    if (usable(active) && onTop(active)) return active;
    QWidget* own = requested != nullptr ? requested->window() : nullptr;
    if (usable(own) && onTop(own)) return own;
    // An always-on-top window open anywhere would cover a box over any other window.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (usable(top) && top->isWindow() && onTop(top) &&
            qobject_cast<QMessageBox*>(top) == nullptr)
            return top;
    }
    return usable(active) ? active : own;
}

MessageBox::Button MessageBox::show(QWidget* requestedParent, MessageIcon icon,
                                    const QString& title, const QString& text, Buttons buttons,
                                    Button defaultButton) {
    BoxState& state = State();
    QWidget* parent = ParentFor(requestedParent);
    Record record{icon, title, text, buttons, QMessageBox::NoButton, parent};
    if (state.testMode || !state.nextAnswers.empty()) {
        record.answer = AnswerWithoutShowing(buttons, defaultButton);
    } else {
        QMessageBox box(qtIcon(icon), title, text, buttons, parent);
        box.setWindowModality(Qt::ApplicationModal);
        // Over an always-on-top window the box must stay on top too, or the window manager may
        // stack it underneath.
        if (parent != nullptr && parent->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
        const int result = box.exec();
        record.answer = static_cast<Button>(result);
    }
    state.shown.push_back(record);
    return record.answer;
}

MessageBox::Button MessageBox::exclamation(QWidget* parent, const QString& title,
                                           const QString& text, Buttons buttons,
                                           Button defaultButton) {
    return show(parent, MessageIcon::kExclamation, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::stop(QWidget* parent, const QString& title, const QString& text,
                                    Buttons buttons, Button defaultButton) {
    return show(parent, MessageIcon::kStop, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::question(QWidget* parent, const QString& title, const QString& text,
                                        Buttons buttons, Button defaultButton) {
    return show(parent, MessageIcon::kQuestion, title, text, buttons, defaultButton);
}

void MessageBox::setNextAnswer(Button answer) {
    State().nextAnswers.push_back(answer);
}

void MessageBox::setTestMode(bool on) {
    State().testMode = on;
}

bool MessageBox::testMode() {
    return State().testMode;
}

const std::vector<MessageBox::Record>& MessageBox::shown() {
    return State().shown;
}

void MessageBox::clearShown() {
    State().shown.clear();
}

void MessageBox::reset() {
    State().nextAnswers.clear();
    State().shown.clear();
}

}  // namespace kelvrant
