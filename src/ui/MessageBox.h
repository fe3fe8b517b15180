// The one way the windows show a message box: an application-modal QMessageBox with the icon
// the message calls for (exclamation for problems and warnings, stop for data-entry and
// configuration errors, question for confirmations). Every box is recorded; tests switch on
// the test mode so that no box is ever shown and each returns a chosen or default answer.
#pragma once

#include <QMessageBox>
#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace kelvrant {

/// The icons the program's messages name.
enum class MessageIcon { kNone, kInformation, kExclamation, kStop, kQuestion };

class MessageBox {
  public:
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    /// One box as it was asked for, with the answer it gave.
    struct Record {
        MessageIcon icon = MessageIcon::kNone;
        QString title;
        QString text;
        Buttons buttons;
        Button answer = QMessageBox::NoButton;
        /// The window the box was shown over (see ParentFor).
        QWidget* parent = nullptr;
    };

    /// The window a box asked for by `requested` is shown over: the window the user is working
    /// in (an open modal dialog, else the active window) when there is one, else `requested`'s
    /// window. A box over the main window would sit behind an always-on-top file window and
    /// leave the program looking frozen.
    static QWidget* ParentFor(QWidget* requested);

    /// Shows a box and returns the button pressed. defaultButton NoButton lets Qt choose.
    static Button show(QWidget* parent, MessageIcon icon, const QString& title, const QString& text,
                       Buttons buttons = QMessageBox::Ok,
                       Button defaultButton = QMessageBox::NoButton);
    /// A problem or warning (exclamation icon).
    static Button exclamation(QWidget* parent, const QString& title, const QString& text,
                              Buttons buttons = QMessageBox::Ok,
                              Button defaultButton = QMessageBox::NoButton);
    /// A data-entry or configuration error (stop icon).
    static Button stop(QWidget* parent, const QString& title, const QString& text,
                       Buttons buttons = QMessageBox::Ok,
                       Button defaultButton = QMessageBox::NoButton);
    /// A confirmation (question icon), Yes and No unless told otherwise.
    static Button question(QWidget* parent, const QString& title, const QString& text,
                           Buttons buttons = QMessageBox::Yes | QMessageBox::No,
                           Button defaultButton = QMessageBox::NoButton);

    /// The Qt icon of a message icon: Warning, Critical, Question, Information or NoIcon.
    static QMessageBox::Icon qtIcon(MessageIcon icon);

    // Test hooks.
    /// The next box is not shown and answers this (answers queue up in order).
    static void setNextAnswer(Button answer);
    /// In test mode no box is ever shown: each answers the next queued answer, else its
    /// default button, else Ok, Yes or the first of its buttons.
    static void setTestMode(bool on);
    [[nodiscard]] static bool testMode();
    /// Every box asked for since the last clearShown(), oldest first.
    [[nodiscard]] static const std::vector<Record>& shown();
    static void clearShown();
    /// Drops the queued answers and the records.
    static void reset();

  private:
    static Button AnswerWithoutShowing(Buttons buttons, Button defaultButton);
};

}  // namespace kelvrant
