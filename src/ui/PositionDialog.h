// The layout and behaviour shared by the site and sensor position dialogs: one position shown
// as latitude/longitude in decimal degrees and in degrees/minutes/seconds (east and west),
// ellipsoidal height and ECEF X, Y, Z, all kept in step. Each edit is checked when the focus
// leaves it (unless the focus goes to Cancel); a refused entry is reported, the focus returns
// to the edit and nothing is stored.
#pragma once

#include <QDialog>
#include <QString>
#include <array>

#include "ui/PositionFields.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace kelvrant {

inline const QString kIllegalEntryTitle = QStringLiteral("ERROR: Illegal Data Entry");

class PositionDialog : public QDialog {
    Q_OBJECT
  public:
    /// The position edits, in tab order.
    enum Field {
        kLatDecimal,
        kLatDeg,
        kLatMin,
        kLatSec,
        kEastDecimal,
        kEastDeg,
        kEastMin,
        kEastSec,
        kWestDecimal,
        kWestDeg,
        kWestMin,
        kWestSec,
        kHeight,
        kX,
        kY,
        kZ,
        kFieldCount
    };

    /// The position the dialog holds (what its fields show).
    [[nodiscard]] const GeoPosition& Position() const { return position_; }
    [[nodiscard]] QLineEdit* Edit(Field field) const { return edits_[field]; }

    // Exit handlers: each checks its entry and returns true when it was accepted.
    bool OnRefNLatDecDegExit();
    bool OnRefELonDecDegExit();
    bool OnRefWLonDecDegExit();
    bool OnRefNDegMinSecExit();
    bool OnRefELonMinSecExit();
    bool OnRefWLonMinSecExit();
    bool OnElipHtEditExit();
    bool OnECEFExit();
    /// The exit handler of one field.
    bool OnFieldExit(Field field);

    /// "Special Paste (Full Position)": a recognized clipboard position replaces the shown one.
    void OnSpecialPasteMenuItemClick();
    /// "Special Copy (Full Position)": the shown X, Y, Z go to the clipboard.
    void OnSpecialCopyFullPositionClick();

  protected:
    explicit PositionDialog(QWidget* parent);

    /// Loads X, Y, Z with the zero-position rule and refreshes every field.
    void LoadPosition(double x, double y, double z);
    /// Rewrites every field from the position.
    void Refresh();
    /// Enables or disables every position edit and its label.
    void SetPositionEditsEnabled(bool enabled);
    /// Before OK closes: runs the exit handler of the position edit holding the focus (Enter
    /// pressed in an edit); false when its entry is refused or was just refused.
    bool CommitFocusedEdit();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

    QVBoxLayout* layout_ = nullptr;  ///< group, then room for a subclass's widgets, then buttons
    QGroupBox* group_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QAction* copyAction_ = nullptr;

  private:
    bool Refuse(Field focus, const char* text);
    int FieldOf(const QObject* object) const;

    GeoPosition position_;
    std::array<QLineEdit*, kFieldCount> edits_{};
    std::array<QLabel*, 7> labels_{};
    int refusedField_ = -1;  ///< the edit whose entry was last refused, until it is edited
    bool inExit_ = false;
};

}  // namespace kelvrant
