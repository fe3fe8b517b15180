// The met header window ("RINEX Meteorological Header Data"): station name and number, the
// creating agency, three comments and the three sensors (pressure, temperature, humidity) with
// model, type, accuracy and position, reviewed before a met conversion. Its OK stores them in
// the configuration, fills the run's met header record and starts the conversion; Cancel closes
// the run's files.
#pragma once

#include <QDialog>
#include <QPointer>
#include <array>

#include "ui/AppContext.h"
#include "ui/SensorPositionDialog.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace kelvrant {

class MetHeaderDialog : public QDialog {
    Q_OBJECT
  public:
    /// The sensors, in the order of the notebook's pages.
    enum Sensor { kPressure = 0, kTemperature = 1, kHumidity = 2, kSensorCount = 3 };

    /// What the window holds of one sensor besides its edits.
    struct SensorState {
        double accuracy = 0.0;
        SensorPosition position;
    };

    /// Creates the window (hidden) and its sensor position dialog. The met file selection
    /// window creates it and shows it after a successful OK.
    explicit MetHeaderDialog(AppContext& ctx, QWidget* parent = nullptr);
    ~MetHeaderDialog() override;

    void ShowWindow();

    [[nodiscard]] const SensorState& State(Sensor sensor) const { return sensors_[sensor]; }
    [[nodiscard]] SensorPositionDialog* SensorPosWin() const { return sensorPosWin_; }

    /// Rewrites the X, Y, Z edits of the three pages; a page whose "Use pressure sensor
    /// position" is checked shows the pressure sensor's position with its position labels and
    /// "Edit Position" button disabled.
    void RefreshSensorPositions();

    // Event handlers. The accuracy handlers return false when the entry was refused.
    void OnFormShow();
    void OnFormClose();
    void OnOKBtnClick();
    void OnCancelBtnClick();
    bool OnPressAccEditExit();
    bool OnTempAccEditExit();
    bool OnHumidAccEditExit();
    void OnPressPosButtonClick();
    void OnTempPosButtonClick();
    void OnHumidPosButtonClick();
    void OnTempUsePressPosChkBoxClick();
    void OnHumidUsePressPosChkBoxClick();
    void OnSpecialPasteMenuItemClick();
    void OnSpecialCopyFullPositionClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Page {
        QLineEdit* model = nullptr;
        QLineEdit* type = nullptr;
        QLineEdit* accuracy = nullptr;
        std::array<QLineEdit*, 3> xyz{};
        std::array<QLabel*, 4> positionLabels{};  ///< "Sensor Position", X, Y, Z
        QPushButton* positionButton = nullptr;
        QCheckBox* usePressurePosition = nullptr;  ///< none on the pressure page
    };

    QWidget* MakePage(Sensor sensor);
    bool OnAccuracyExit(Sensor sensor);
    void OnPositionButtonClick(Sensor sensor);
    void OnSensorPositionAccepted();
    bool CommitFocusedEdit();
    [[nodiscard]] bool UsesPressurePosition(Sensor sensor) const;
    [[nodiscard]] Sensor CurrentSensor() const;

    AppContext& ctx_;
    std::array<SensorState, kSensorCount> sensors_{};
    std::array<Page, kSensorCount> pages_{};
    bool proceeding_ = false;
    Sensor editedSensor_ = kPressure;  ///< whose position the sensor dialog edits
    QPointer<SensorPositionDialog> sensorPosWin_;

    QLineEdit* siteNameEdit_ = nullptr;
    QLineEdit* staNumEdit_ = nullptr;
    QLineEdit* createAgencyEdit_ = nullptr;
    std::array<QLineEdit*, 3> commentEdits_{};
    QTabWidget* notebook_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    bool fitted_ = false;
    QMenu* popupMenu_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QLineEdit* refusedEdit_ = nullptr;  ///< whose entry was last refused, until it is edited
    bool inExit_ = false;
};

}  // namespace kelvrant
