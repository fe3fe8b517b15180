// The end of a conversion in the main window: what was written (files, sizes, epochs, time
// span), the warnings on the way, or that a cancelled run wrote nothing; "Open folder" shows
// the outputs in the file manager and "Convert another" starts the next conversion.
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>

#include "ui/RunResult.h"

class QLabel;
class QPushButton;

namespace kelvrant {

/// Opens a folder in the desktop's file manager; tests replace it.
using FolderOpener = std::function<bool(const QUrl& folder)>;

class ResultPanel : public QWidget {
    Q_OBJECT
  public:
    explicit ResultPanel(QWidget* parent = nullptr);

    void ShowResult(const RunResult& result);
    [[nodiscard]] QString Text() const;

    /// Replaces the file-manager call of "Open folder" (tests); empty restores it.
    static void SetFolderOpener(FolderOpener opener);

  signals:
    /// "Convert another": `metRun` tells which conversion the result came from.
    void convertAnother(bool metRun);

  private:
    QLabel* heading_ = nullptr;
    QLabel* details_ = nullptr;
    QPushButton* openFolderButton_ = nullptr;
    QPushButton* convertAnotherButton_ = nullptr;
    QString folder_;
    bool metRun_ = false;
};

}  // namespace kelvrant
