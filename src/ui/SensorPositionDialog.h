// The position of one meteorological sensor for the met header window. The caller sets it up
// with a title and the sensor's X, Y, Z, shows it, and on accepted() reads Result() back,
// rewrites its X, Y, Z edits and refreshes its sensor positions.
#pragma once

#include <QString>

#include "ui/PositionDialog.h"

namespace kelvrant {

/// A sensor position, metres ECEF. Show it with FormatFixed(value, 4).
struct SensorPosition {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

class SensorPositionDialog : public PositionDialog {
    Q_OBJECT
  public:
    explicit SensorPositionDialog(QWidget* parent = nullptr);

    /// Keeps the title ("Pressure Sensor Position", ...) and loads X, Y, Z with the
    /// zero-position rule.
    void Setup(const QString& title, const SensorPosition& position);
    /// The position OK stored; meaningful after accepted().
    [[nodiscard]] const SensorPosition& Result() const { return result_; }

    void OnOkBtnClick();
    void OnCancelBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QString title_;
    SensorPosition result_;
};

}  // namespace kelvrant
