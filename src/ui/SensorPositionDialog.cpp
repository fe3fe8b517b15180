#include "ui/SensorPositionDialog.h"

#include <QPushButton>

namespace kelvrant {

SensorPositionDialog::SensorPositionDialog(QWidget* parent) : PositionDialog(parent) {
    setObjectName(QStringLiteral("SensorPositionDialog"));
    connect(okBtn_, &QPushButton::clicked, this, &SensorPositionDialog::OnOkBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &SensorPositionDialog::OnCancelBtnClick);
}

void SensorPositionDialog::Setup(const QString& title, const SensorPosition& position) {
    title_ = title;
    result_ = position;
    LoadPosition(position.x, position.y, position.z);
}

void SensorPositionDialog::showEvent(QShowEvent* event) {
    PositionDialog::showEvent(event);
    setWindowTitle(title_);
    Refresh();
}

void SensorPositionDialog::OnOkBtnClick() {
    if (!CommitFocusedEdit()) return;
    result_ = SensorPosition{Position().x, Position().y, Position().z};
    accept();
}

void SensorPositionDialog::OnCancelBtnClick() {
    reject();
}

}  // namespace kelvrant
