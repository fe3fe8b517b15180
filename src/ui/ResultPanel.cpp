#include "ui/ResultPanel.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kelvrant {
namespace {

FolderOpener& Opener() {
    static FolderOpener opener;
    return opener;
}

}  // namespace

void ResultPanel::SetFolderOpener(FolderOpener opener) {
    Opener() = std::move(opener);
}

ResultPanel::ResultPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ResultPanel"));
    setWindowTitle(QStringLiteral("Conversion Result"));
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("ResultHeading"));
    heading_->setWordWrap(true);
    details_ = new QLabel(this);
    details_->setObjectName(QStringLiteral("ResultText"));
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details_->setTextFormat(Qt::PlainText);
    details_->setWordWrap(true);

    openFolderButton_ = new QPushButton(QStringLiteral("Open folder"), this);
    openFolderButton_->setObjectName(QStringLiteral("OpenFolderButton"));
    openFolderButton_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(openFolderButton_, &QPushButton::clicked, this, [this] {
        const QUrl url = QUrl::fromLocalFile(folder_);
        if (Opener()) {
            Opener()(url);
        } else {
            QDesktopServices::openUrl(url);
        }
    });
    convertAnotherButton_ = new QPushButton(QStringLiteral("Convert another"), this);
    convertAnotherButton_->setObjectName(QStringLiteral("ConvertAnotherButton"));
    connect(convertAnotherButton_, &QPushButton::clicked, this,
            [this] { emit convertAnother(metRun_); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(openFolderButton_);
    buttons->addWidget(convertAnotherButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(details_, 1);
    layout->addLayout(buttons);
}

void ResultPanel::ShowResult(const RunResult& result) {
    metRun_ = result.metRun;
    folder_ = result.OutputFolder();
    QStringList lines = result.DetailLines();
    QString heading;
    switch (result.ending) {
        case RunResult::Ending::kSucceeded:
            heading = result.warnings.isEmpty()
                          ? QStringLiteral("Conversion complete.")
                          : QStringLiteral("Conversion complete, with warnings.");
            break;
        case RunResult::Ending::kFailed:
            heading = QStringLiteral("Conversion failed.");
            break;
        case RunResult::Ending::kCancelled:
            heading = QString::fromLatin1(kCancelledText);
            lines.removeFirst();  // the heading says it
            break;
    }
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading_->setFont(bold);
    heading_->setText(heading);
    details_->setText(lines.join('\n'));
    openFolderButton_->setVisible(result.ending != RunResult::Ending::kCancelled &&
                                  !folder_.isEmpty());
}

QString ResultPanel::Text() const {
    return heading_->text() + '\n' + details_->text();
}

}  // namespace kelvrant
