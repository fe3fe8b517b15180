// "RINEX Site Position": edits the approximate station position of the header data window, or
// takes it from the B-file. The caller passes its position switch, its X, Y, Z and the B-file's
// mean position in, shows the dialog, and on accepted() reads Result() back.
#pragma once

#include "ui/PositionDialog.h"

class QCheckBox;

namespace kelvrant {

/// What the header data window gives the dialog.
struct SitePosInput {
    bool fromBFile = false;  ///< the position switch: take the position from the B-file
    double x = 0.0;          ///< the window's approximate position (metres, ECEF)
    double y = 0.0;
    double z = 0.0;
    double bFileX = 0.0;  ///< the B-file's approximate (mean) position
    double bFileY = 0.0;
    double bFileZ = 0.0;
};

/// What OK gives back: the switch and the position to store (the B-file's when the switch is
/// set). Show X, Y, Z with FormatFixed(value, 4).
struct SitePosResult {
    bool fromBFile = false;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

class SitePositionDialog : public PositionDialog {
    Q_OBJECT
  public:
    explicit SitePositionDialog(QWidget* parent = nullptr);

    /// Gives the dialog the caller's values; the dialog loads them when it is shown.
    void Setup(const SitePosInput& input);
    /// The values OK stored; meaningful after accepted().
    [[nodiscard]] const SitePosResult& Result() const { return result_; }
    /// The current state of the B-file switch.
    [[nodiscard]] bool FromBFile() const { return fromBFile_; }

    void OnShowWin();
    void OnBFilePosCheckBoxClick();
    void OnOkBtnClick();
    void OnCancelBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ApplyBFileSwitch();

    QCheckBox* bFilePosCheckBox_ = nullptr;
    SitePosInput input_;
    SitePosResult result_;
    bool fromBFile_ = false;
};

}  // namespace kelvrant
