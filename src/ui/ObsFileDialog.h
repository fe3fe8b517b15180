// "RINEX Conversion File Selection Window": the first step of an interactive observation and
// navigation conversion. The user names the B-file; leaving its edit finds the E-, S- and ION
// files beside it and proposes the RINEX output names. OK asks before overwriting outputs,
// checks the job and opens every file, completes the header records and hands over to the
// header data window. "Quality check after conversion" (remembered for the user) has the run
// check the observations too and write <obsname>.qc.txt beside the outputs.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <string>

#include "settings/OutputFormat.h"
#include "ui/AppContext.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvrant {

class ObsHeaderDialog;

inline const QString kSourceFileFilter =
    QStringLiteral("B-Files|B*.*|E-Files|E*.*|S-Files|S*.*|Ion-Files|ION*.*|All Files|*.*");
inline const QString kDestFileFilter =
    QStringLiteral("Obs Files|*.??O|Nav Files|*.??N|GLONASS Nav Files|*.??G|All Files|*.*");

/// What a browse button asks the file dialog.
struct ObsFileDialogRequest {
    QString objectName;   ///< SourceFileOpenDialog or DestFileOpenDialog
    QString title;        ///< the button's title
    QString directory;    ///< initial directory (empty: the dialog's own choice)
    QString fileName;     ///< preselected file (empty: none)
    QStringList filters;  ///< Qt "Description (pattern)" entries
    int filterIndex = 0;  ///< 0-based entry selected
    bool fileMustExist = false;
    /// An output: a Save dialog proposing `fileName` in `directory`.
    bool save = false;
};

/// Runs a file dialog and returns the chosen path, or an empty string when cancelled.
using ObsFileDialogRunner = std::function<QString(QWidget* parent, const ObsFileDialogRequest&)>;

/// "B-Files|B*.*|..." as Qt filter entries "B-Files (B*.*)", ...
QStringList ConvertDialogFilter(const QString& barSeparated);

class ObsFileDialog : public QDialog {
    Q_OBJECT
  public:
    /// The seven names in the window's order.
    enum Name { kBFile, kEFile, kSFile, kIonFile, kObsFile, kNavFile, kNavGFile, kNameCount };

    /// Builds the window and the header data window it hands over to (both hidden), as
    /// children of `parent` (normally the main window).
    ObsFileDialog(AppContext& ctx, QWidget* parent = nullptr);

    /// What the main window's "&Obs and Nav to RINEX" does after disabling its menus: shows
    /// the window with the names kept from the last opening.
    void ShowForNewConversion();
    /// Shows the window with every name derived from `bFile`, as choosing it with Browse does.
    void ShowWithBFile(const std::string& bFile);

    [[nodiscard]] ObsHeaderDialog* HeaderDataWin() const { return headerWin_; }
    [[nodiscard]] const std::string& FileName(Name name) const { return names_[name]; }
    [[nodiscard]] bool HandedOver() const { return handedOver_; }

    /// Replaces the file dialog of the browse buttons (tests); an empty runner restores the
    /// real QFileDialog.
    static void SetFileDialogRunner(ObsFileDialogRunner runner);

    // Event handlers.
    void OnWinShow();
    void OnBFileNameEditExit();
    void OnBFileBrowseBtnClick();
    void OnEFileBrowseBtnClick();
    void OnSFileBrowseBtnClick();
    void OnIonFileBrowseBtnClick();
    void OnDestObsBrowseBtnClick();
    void OnDestNavBrowseBtnClick();
    void OnDestNavGBrowseBtnClick();
    void OnOKBtnClick();
    void OnCancelBtnClick();

    /// The output format group changed: the automatic names follow it.
    void OnOutputFormatChange();

    /// Closing without handing over (Cancel, Escape, the close box) enables the menus again.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// A B-file (or its session's folder) dropped here fills in the names as Browse does; a
    /// met log starts the met conversion instead.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    /// Derives every name from a B-file name; nothing happens when no such file exists.
    void DeriveNames(const std::string& bFileName);
    void RefreshEdits();
    void Browse(Name name, bool source, int filterIndex, const QString& title);
    bool ConfirmOverwrite(Name name, const char* question);
    /// The output format the group shows; ShowFormat puts one into it.
    OutputFormat ChosenFormat() const;
    void ShowFormat(const OutputFormat& format);

    AppContext& ctx_;
    ObsHeaderDialog* headerWin_ = nullptr;
    std::array<std::string, kNameCount> names_;
    std::array<QLineEdit*, kNameCount> edits_{};
    bool placed_ = false;
    bool handedOver_ = false;
    // The output format group, from and to the configuration's [OUTPUT] values.
    QComboBox* versionComboBox_ = nullptr;
    QComboBox* compressComboBox_ = nullptr;
    QCheckBox* longNamesCheckBox_ = nullptr;
    QLineEdit* countryEdit_ = nullptr;
    QCheckBox* qualityCheckBox_ = nullptr;
    OutputFormat shownFormat_;
    // The observation and navigation names as derived, to tell them from names the user gave.
    std::string derivedObs_;
    std::string derivedNav_;
};

}  // namespace kelvrant
