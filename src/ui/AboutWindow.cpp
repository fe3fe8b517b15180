#include "ui/AboutWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <string_view>

#include "ui/BuildInfo.h"

namespace kelvrant {

AboutWindow::AboutWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      context_(context) {
    setObjectName("AboutWindow");
    setWindowTitle("About Kelvrant");

    auto* panel1 = new QFrame(this);
    panel1->setObjectName("Panel1");
    panel1->setFrameShape(QFrame::StyledPanel);
    auto* panelLayout = new QVBoxLayout(panel1);

    auto* programIcon = new QLabel(panel1);
    programIcon->setObjectName("ProgramIcon");
    programIcon->setPixmap(ApplicationIcon().pixmap(48, 48));
    panelLayout->addWidget(programIcon, 0, Qt::AlignHCenter);

    // Top to bottom: name, program file, version, author, then the liability notice lines.
    const std::pair<const char*, QString> labels[] = {
        {"Label10", "RINEX from Ashtech Fomat File Conversion Program"},
        {"ProductName", "(kelvrant)"},
        {"Version", AboutVersionLine()},
        {"Label3", "By"},
        {"Label4", "Quillon"},
        {"Comments", "      "},
        {"Label14", ""},
        {"Label15", ""},
        {"Label16", ""},
        {"Label12", ""},
        {"Label11", ""},
    };
    for (const auto& [name, text] : labels) {
        auto* label = new QLabel(text, panel1);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignHCenter);
        panelLayout->addWidget(label);
    }

    okButton_ = new QPushButton("OK", this);
    okButton_->setObjectName("OKButton");
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &AboutWindow::OnOKButtonClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addStretch();
    layout->addLayout(buttons);
}

void AboutWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) context_.enableMenus(false);
}

void AboutWindow::OnOKButtonClick() {
    close();
}

void AboutWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    context_.enableMenus(true);
}

void AboutWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kelvrant
