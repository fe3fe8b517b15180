// The auto-run error window: how every problem of an unattended run is shown. It beeps, shows
// the first problem reported, closes itself on the 11th tick of its one-second timer (or at
// once on OK, Return or Escape), and its closing ends the program. It shows how many seconds
// are left, so that nobody waits for a window that is about to go.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace kelvrant {

class AutoRunErrorWindow : public QWidget {
    Q_OBJECT
  public:
    explicit AutoRunErrorWindow(QWidget* parent = nullptr);

    /// The caption and the text shown; both are taken into the window when it becomes
    /// visible, so a problem reported while it is visible does not replace the first one.
    QString ErrorTitle;
    QString ErrorText;

    /// Ticks of WindowVisibleTimer since the window was shown.
    [[nodiscard]] int Ticks() const { return ticks_; }
    /// Information beeps played by all error windows so far.
    [[nodiscard]] static int BeepCount();

    void OnWinShow();
    void OnWindowVisibleTimer();
    void OnOkBtnClick();

  signals:
    /// The window has closed: the program is to end.
    void closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    /// Return, Enter and Escape close the window, as OK does.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ShowSecondsLeft();

    QPlainTextEdit* messageMemo_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    QLabel* countdownLabel_ = nullptr;
    QTimer* windowVisibleTimer_ = nullptr;
    int ticks_ = 0;
};

}  // namespace kelvrant
