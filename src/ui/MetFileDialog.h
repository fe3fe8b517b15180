// The met file selection window ("RINEX Meteorological File Selection"): the input met data
// file, the start day of the data (GPS week and seconds, or year, month and day), the UTC-to-GPS
// leap seconds and the output RINEX met file, whose name is derived from the input name and the
// start day. Its OK opens the run's files and hands over to the met header window.
//
// Use: construct once with the application's context, then call ShowWindow() from the
// "&Met to RINEX" menu command (ctx.openMetConversion).
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "forms/MetFileForm.h"
#include "ui/AppContext.h"

class QLineEdit;
class QPushButton;

namespace kelvrant {

class MetHeaderDialog;

/// What a browse button asks of its file dialog.
struct FileDialogRequest {
    QString title;
    QStringList filters;     ///< Qt entries "Description (patterns)"
    QString selectedFilter;  ///< one of filters
    QString directory;       ///< empty: the dialog's own choice
    QString fileName;        ///< preselected file, may be empty
    bool fileMustExist = true;
    /// An output: a Save dialog proposing `fileName` in `directory`.
    bool save = false;
};
/// Runs a file dialog; the chosen path, or nullopt when it was cancelled. Tests replace it.
using FileDialogRunner =
    std::function<std::optional<QString>(QWidget* parent, const FileDialogRequest& request)>;
/// The real dialog (QFileDialog).
std::optional<QString> RunQtFileDialog(QWidget* parent, const FileDialogRequest& request);

inline const QString kMetSourceFilter =
    QStringLiteral("NMEA files (*.nma)|*.NMA|D-Files (d*.*)|d*.*|All Files (*.*)|*.*");
inline const QString kMetDestFilter = QStringLiteral("Met Files|*.??M|All Files|*.*");

class MetFileDialog : public QDialog {
    Q_OBJECT
  public:
    /// Creates the window and its met header window (both hidden). `parent` is normally the
    /// main window; without one the window deletes its header window itself.
    explicit MetFileDialog(AppContext& ctx, QWidget* parent = nullptr);
    ~MetFileDialog() override;

    /// The "&Met to RINEX" command: disables the main menus and shows the window.
    void ShowWindow();
    /// Shows the window with `metLog` as the input, as choosing it with Browse does.
    void ShowWithInput(const std::string& metLog);

    [[nodiscard]] MetHeaderDialog* HeadWin() const { return headWin_; }
    [[nodiscard]] const MetFileSelection& Selection() const { return selection_; }
    /// Replaces the file dialog of the two browse buttons (nullptr restores the real one).
    void SetFileDialogRunner(FileDialogRunner runner);

    // Event handlers. The exit handlers return false when the entry was refused.
    void OnWinShow();
    void OnWinClose();
    void OnInMetNameEditExit();
    bool OnGPSWkEditExit();
    bool OnGPSWkSecEditExit();
    bool OnYearEditExit();
    bool OnMonthEditExit();
    bool OnDayEditExit();
    bool UTCtoGPSEditExit();
    void OnOutMetFileEditExit() {}
    void OnIntMetFileBrowseBtnClick();
    void OnDestMetBrowseBtnClick();
    void OnOKBtnClick();
    void OnCancelBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool OnEntryExit(MetEntry entry);
    bool OnEditExit(QLineEdit* edit);
    bool CommitFocusedEdit();
    void RewriteDateEdits();
    void RewriteNameEdits();
    void DeriveNames(const std::string& inputPath, bool fromInputName);
    QLineEdit* EditOf(MetEntry entry) const;
    std::string SiteName() const;

    AppContext& ctx_;
    MetFileSelection selection_;
    bool placed_ = false;
    bool proceeding_ = false;
    FileDialogRunner runFileDialog_;
    QPointer<MetHeaderDialog> headWin_;
    bool ownsHeadWin_ = false;

    QLineEdit* inMetFileEdit_ = nullptr;
    QLineEdit* gpsWkEdit_ = nullptr;
    QLineEdit* gpsWkSecEdit_ = nullptr;
    QLineEdit* yearEdit_ = nullptr;
    QLineEdit* monthEdit_ = nullptr;
    QLineEdit* dayEdit_ = nullptr;
    QLineEdit* utcToGpsEdit_ = nullptr;
    QLineEdit* outMetFileEdit_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QLineEdit* refusedEdit_ = nullptr;  ///< whose entry was last refused, until it is edited
    bool inExit_ = false;
};

}  // namespace kelvrant
