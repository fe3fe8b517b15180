// The about window: the program's name, version and author. It keeps the main window's menus
// disabled while it is shown.
#pragma once

#include <QWidget>

#include "ui/AppContext.h"

class QPushButton;

namespace kelvrant {

class TAboutForm : public QWidget {
    Q_OBJECT
  public:
    explicit TAboutForm(AppContext& context, QWidget* parent = nullptr);

    void OnOKButtonClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    AppContext& context_;
    QPushButton* okButton_ = nullptr;
};

}  // namespace kelvrant
