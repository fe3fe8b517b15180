// The about window: the program's name, version and author. It keeps the main window's menus
// disabled while it is shown.
#pragma once

#include <QWidget>

#include "ui/AppContext.h"

class QPushButton;

namespace kelvrant {

class AboutWindow : public QWidget {
    Q_OBJECT
  public:
    explicit AboutWindow(AppContext& context, QWidget* parent = nullptr);

    void OnOKButtonClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    /// Escape closes the window, as OK does.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    AppContext& context_;
    QPushButton* okButton_ = nullptr;
};

}  // namespace kelvrant
