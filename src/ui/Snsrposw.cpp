#include "ui/Snsrposw.h"

#include <QPushButton>

namespace kelvrant {

TSensorPosWin::TSensorPosWin(QWidget* parent) : TPositionDialog(parent) {
    setObjectName(QStringLiteral("TSensorPosWin"));
    connect(okBtn_, &QPushButton::clicked, this, &TSensorPosWin::OnOkBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &TSensorPosWin::OnCancelBtnClick);
}

void TSensorPosWin::Setup(const QString& title, const SensorPosition& position) {
    title_ = title;
    result_ = position;
    LoadPosition(position.x, position.y, position.z);
}

void TSensorPosWin::showEvent(QShowEvent* event) {
    TPositionDialog::showEvent(event);
    setWindowTitle(title_);
    Refresh();
}

void TSensorPosWin::OnOkBtnClick() {
    if (!CommitFocusedEdit()) return;
    result_ = SensorPosition{Position().x, Position().y, Position().z};
    accept();
}

void TSensorPosWin::OnCancelBtnClick() {
    reject();
}

}  // namespace kelvrant
