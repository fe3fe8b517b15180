// The "Editing" page of the header data window: the time window (GPS time, with calendars),
// the decimation step, the split into GPS days or hours, the observation types and the
// excluded satellites of the observation output. It shows and returns the choices as texts in
// the forms of the command line; the form checks them.
#pragma once

#include <QDateTime>
#include <QWidget>
#include <array>

#include "settings/EditingChoices.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;

namespace kelvrant {

class EditingPage : public QWidget {
    Q_OBJECT
  public:
    explicit EditingPage(QWidget* parent = nullptr);

    /// Shows the choices; a window end left unchosen shows `start` or `end` (the data's).
    void Show(const EditingChoices& choices, const QDateTime& start, const QDateTime& end);
    /// The choices as the page holds them.
    EditingChoices Choices() const;

  private:
    QCheckBox* fromCheckBox_ = nullptr;
    QDateTimeEdit* fromEdit_ = nullptr;
    QCheckBox* toCheckBox_ = nullptr;
    QDateTimeEdit* toEdit_ = nullptr;
    QComboBox* decimateComboBox_ = nullptr;
    QComboBox* splitComboBox_ = nullptr;
    std::array<QCheckBox*, 7> typeCheckBoxes_{};
    QLineEdit* excludeEdit_ = nullptr;
};

}  // namespace kelvrant
