#include "ui/SitePositionDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvrant {

SitePositionDialog::SitePositionDialog(QWidget* parent) : PositionDialog(parent) {
    setObjectName(QStringLiteral("SitePositionDialog"));
    setWindowTitle(QStringLiteral("RINEX Site Position"));
    bFilePosCheckBox_ = new QCheckBox(QStringLiteral("Get Position from B-File Data"), this);
    bFilePosCheckBox_->setObjectName(QStringLiteral("BFilePosCheckBox"));
    bFilePosCheckBox_->setToolTip(
        QStringLiteral("Check to obtain approximate position from B-file Data"));
    layout_->insertWidget(1, bFilePosCheckBox_);
    connect(bFilePosCheckBox_, &QCheckBox::clicked, this,
            &SitePositionDialog::OnBFilePosCheckBoxClick);
    connect(okBtn_, &QPushButton::clicked, this, &SitePositionDialog::OnOkBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &SitePositionDialog::OnCancelBtnClick);
}

void SitePositionDialog::Setup(const SitePosInput& input) {
    input_ = input;
    result_ = SitePosResult{input.fromBFile, input.x, input.y, input.z};
}

void SitePositionDialog::showEvent(QShowEvent* event) {
    PositionDialog::showEvent(event);
    OnShowWin();
}

void SitePositionDialog::OnShowWin() {
    fromBFile_ = input_.fromBFile;
    if (fromBFile_) {
        LoadPosition(input_.bFileX, input_.bFileY, input_.bFileZ);
    } else {
        LoadPosition(input_.x, input_.y, input_.z);
    }
    bFilePosCheckBox_->setChecked(fromBFile_);
    ApplyBFileSwitch();
}

void SitePositionDialog::ApplyBFileSwitch() {
    if (fromBFile_) LoadPosition(input_.bFileX, input_.bFileY, input_.bFileZ);
    SetPositionEditsEnabled(!fromBFile_);
    // OK stores the B-file's position while the box is ticked: a pasted one would be dropped
    // without a word, so paste is offered only when it can take effect.
    pasteAction_->setEnabled(!fromBFile_);
}

void SitePositionDialog::OnBFilePosCheckBoxClick() {
    fromBFile_ = bFilePosCheckBox_->isChecked();
    ApplyBFileSwitch();
}

void SitePositionDialog::OnOkBtnClick() {
    if (!CommitFocusedEdit()) return;
    result_.fromBFile = fromBFile_;
    if (fromBFile_) {
        result_.x = input_.bFileX;
        result_.y = input_.bFileY;
        result_.z = input_.bFileZ;
    } else {
        result_.x = Position().x;
        result_.y = Position().y;
        result_.z = Position().z;
    }
    accept();
}

void SitePositionDialog::OnCancelBtnClick() {
    reject();
}

}  // namespace kelvrant
