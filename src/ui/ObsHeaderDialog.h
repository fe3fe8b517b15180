// "RINEX Header Data/Options": the second step of an interactive observation conversion. It
// shows the observation header values and options of the prepared run (from the settings, or
// from the S-file where one supplied site data), checks the antenna offsets, warns when a
// GPS+GLONASS receiver is converted without clock adjustments, and on OK stores the values in
// the settings and the job, fills the header records and starts the progress window. Cancel
// abandons the prepared run.
#pragma once

#include <QDialog>
#include <array>

#include "forms/ObsHeaderForm.h"
#include "ui/AppContext.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace kelvrant {

class EditingPage;
class SitePositionDialog;

class ObsHeaderDialog : public QDialog {
    Q_OBJECT
  public:
    ObsHeaderDialog(AppContext& ctx, QWidget* parent = nullptr);

    /// Shows the dialog for the run the file selection window has just prepared.
    void ShowForRun();

    /// The dialog state: the position switch, the position and the offsets.
    [[nodiscard]] std::int32_t PositionFromBFile() const { return fromBFile_; }
    [[nodiscard]] const std::array<double, 3>& Position() const { return position_; }
    [[nodiscard]] const std::array<double, 5>& Offsets() const { return offsets_; }
    [[nodiscard]] bool ClosedByOK() const { return closedByOK_; }
    /// The site position dialog (created on first use).
    [[nodiscard]] SitePositionDialog* SitePosDialog() const { return sitePos_; }

    // Event handlers.
    void OnFormShow();
    void OKBtnClick();
    void OnCancelBtnClick();
    void OnEditPositionButtonClick();
    /// The antenna offset check; true when the five offsets were accepted.
    bool OnAntOffEditsExit();
    void OnSpecialPasteMenuItemClick();
    void OnSpecialCopyFullPositionClick();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Closing without OK (Cancel, Escape, the close box) enables the menus again.
    void reject() override;

  private:
    QLineEdit* AddEdit(const char* objectName, int maxLength);
    void ShowPosition();
    void ShowOffsets();
    void OnSitePosFinished(int result);

    AppContext& ctx_;
    QTabWidget* notebook_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLineEdit* siteNameEdit_ = nullptr;
    QLineEdit* staNumEdit_ = nullptr;
    QLineEdit* observerEdit_ = nullptr;
    QLineEdit* observAgencyEdit_ = nullptr;
    QLineEdit* createAgencyEdit_ = nullptr;
    QLineEdit* rcvrTypeEdit_ = nullptr;
    QLineEdit* rcvrSNEdit_ = nullptr;
    QLineEdit* antTypeEdit_ = nullptr;
    QLineEdit* antSNEdit_ = nullptr;
    std::array<QLineEdit*, 3> commentEdits_{};
    std::array<QLineEdit*, 3> positionEdits_{};
    std::array<QLineEdit*, 5> offsetEdits_{};
    QPushButton* editPositionButton_ = nullptr;
    QComboBox* outTypeComboBox_ = nullptr;
    QCheckBox* epochIntervalCheckBox_ = nullptr;
    QCheckBox* satListCheckBox_ = nullptr;
    QCheckBox* newFmtCheckBox_ = nullptr;
    QCheckBox* smoothCodeCheckBox_ = nullptr;
    QCheckBox* outputSiteChangesCheckBox_ = nullptr;
    QCheckBox* outputDopplerCheckBox_ = nullptr;
    EditingPage* editingPage_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    SitePositionDialog* sitePos_ = nullptr;

    bool closedByOK_ = false;
    bool placed_ = false;
    bool inOffsetCheck_ = false;
    std::int32_t fromBFile_ = 0;
    std::array<double, 3> position_{};
    std::array<double, 5> offsets_{};
};

}  // namespace kelvrant
