#include "ui/PositionDialog.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <string>

#include "ui/MessageBox.h"
#include "ui/PositionClipboard.h"

namespace kelvrant {
namespace {

struct FieldLayout {
    const char* name;
    const char* hint;
    int maxLength;  // 0: none
};

constexpr std::array<FieldLayout, PositionDialog::kFieldCount> kFields{{
    {"RefNLatDecDeg", "(degrees) WGS-84 North Latitude", 15},
    {"RefNLatDeg", "(degrees) WGS-84 North Latitude", 3},
    {"RefNLatMin", "(minutes) WGS-84 North Latitude", 4},
    {"RefNLatSec", "(seconds) WGS-84 North Latitude", 11},
    {"RefELonDecDeg", "(degrees) WGS-84 East Longitude", 15},
    {"RefELonDeg", "(degrees) WGS-84 East Longitude", 4},
    {"RefELonMin", "(minutes) WGS-84 East Longitude", 4},
    {"RefELonSec", "(seconds) WGS-84 East Longitude", 11},
    {"RefWLonDecDeg", "(degrees) WGS-84 West Longitude", 15},
    {"RefWLonDeg", "(degrees) WGS-84 West Longitude", 4},
    {"RefWLonMin", "(minutes) WGS-84 West Longitude", 4},
    {"RefWLonSec", "(seconds) WGS-84 West Longitude", 11},
    {"ElipHtEdit", "(meters) WGS-84 Ellipsoidal Height", 0},
    {"RefPosXEdit", "(meters) WGS-84 ", 16},
    {"RefPosYEdit", "(meters) WGS-84 ", 16},
    {"RefPosZEdit", "(meters) WGS-84 ", 16},
}};

// The messages of the degree/minute/second entries of one angle, and its edits.
struct DmsMessages {
    const char* degrees;
    const char* minutes;
    const char* seconds;
    const char* combined;
};

constexpr DmsMessages kLatDmsMessages{
    "Illegal value for degrees of North Latitude.", "Illegal value for minutes of North Latitude.",
    "Illegal value for seconds of North Latitude.",
    "Combined value of degrees, minutes and\nseconds of North Latitude too large."};
constexpr DmsMessages kEastDmsMessages{
    "Illegal value for degrees of East Longitude.", "Illegal value for minutes of East Longitude.",
    "Illegal value for seconds of East Longitude.",
    "Combined value of degrees, minutes and\nseconds of East Longitude too large."};
constexpr DmsMessages kWestDmsMessages{
    "Illegal value for degrees of West Longitude.", "Illegal value for minutes of West Longitude.",
    "Illegal value for seconds of West Longitude.",
    "Combined value of degrees, minutes and\nseconds of West Longitude too large."};

std::string Latin1(const QLineEdit* edit) {
    const QByteArray bytes = edit->text().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

PositionDialog::PositionDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    setFont(font);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("SpecialPastePopupMenu"));
    pasteAction_ = popupMenu_->addAction(QStringLiteral("Special Paste (Full Position)"));
    pasteAction_->setObjectName(QStringLiteral("SpecialPasteMenuItem"));
    copyAction_ = popupMenu_->addAction(QStringLiteral("Special Copy (Full Position)"));
    copyAction_->setObjectName(QStringLiteral("SpecialCopyFullPosition"));
    connect(pasteAction_, &QAction::triggered, this, &PositionDialog::OnSpecialPasteMenuItemClick);
    connect(copyAction_, &QAction::triggered, this,
            &PositionDialog::OnSpecialCopyFullPositionClick);
    auto attachPopup = [this](QWidget* widget) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](QPoint at) { popupMenu_->popup(widget->mapToGlobal(at)); });
    };

    group_ = new QGroupBox(QStringLiteral(" Approximate Position "), this);
    group_->setObjectName(QStringLiteral("PositionGroupBox"));
    attachPopup(group_);
    auto* grid = new QGridLayout(group_);
    for (int f = 0; f < kFieldCount; ++f) {
        auto* edit = new QLineEdit(group_);
        edit->setObjectName(QString::fromLatin1(kFields[f].name));
        edit->setToolTip(QString::fromLatin1(kFields[f].hint));
        if (kFields[f].maxLength > 0) edit->setMaxLength(kFields[f].maxLength);
        edit->installEventFilter(this);
        attachPopup(edit);
        connect(edit, &QLineEdit::textChanged, this, [this, f] {
            if (refusedField_ == f) refusedField_ = -1;
        });
        edits_[f] = edit;
    }
    // The height is an upper-case entry.
    QLineEdit* height = edits_[kHeight];
    connect(height, &QLineEdit::textEdited, height, [height](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int cursor = height->cursorPosition();
        height->setText(upper);
        height->setCursorPosition(cursor);
    });

    const std::array<std::pair<const char*, const char*>, 7> labels{{
        {"RefNLatLabel", "North Latitude:"},
        {"RefELonLabel", "East Longitude:"},
        {"RefWLonLabel", "West Longitude:"},
        {"ElipHtLabel", "Ellipsoid Height:"},
        {"RefPosXLabel", "ECEF - X"},
        {"RefPosYLabel", "ECEF - Y"},
        {"RefPosZLabel", "ECEF - Z"},
    }};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        labels_[i] = new QLabel(QString::fromLatin1(labels[i].second), group_);
        labels_[i]->setObjectName(QString::fromLatin1(labels[i].first));
        attachPopup(labels_[i]);
    }
    // Row 0 names the unit of each column, so that the three small fields read as degrees,
    // minutes and seconds rather than three unexplained numbers.
    const std::array<std::pair<const char*, const char*>, 4> headings{{
        {"DecimalDegreesHeading", "Decimal Degrees"},
        {"DegreesHeading", "Deg"},
        {"MinutesHeading", "Min"},
        {"SecondsHeading", "Sec"},
    }};
    for (std::size_t col = 0; col < headings.size(); ++col) {
        auto* heading = new QLabel(QString::fromLatin1(headings[col].second), group_);
        heading->setObjectName(QString::fromLatin1(headings[col].first));
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, 0, static_cast<int>(col) + 1);
    }
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(labels_[static_cast<std::size_t>(row)], row + 1, 0);
        for (int col = 0; col < 4; ++col)
            grid->addWidget(edits_[row * 4 + col], row + 1, col + 1);
    }
    grid->addWidget(labels_[3], 4, 0);
    grid->addWidget(edits_[kHeight], 4, 1);
    for (int i = 0; i < 3; ++i) {
        labels_[static_cast<std::size_t>(4 + i)]->setBuddy(edits_[kX + i]);
        grid->addWidget(labels_[static_cast<std::size_t>(4 + i)], 5 + i, 0);
        grid->addWidget(edits_[kX + i], 5 + i, 1);
    }
    for (int i = 0; i < 3; ++i)
        labels_[static_cast<std::size_t>(i)]->setBuddy(edits_[i * 4]);
    labels_[3]->setBuddy(edits_[kHeight]);

    okBtn_ = new QPushButton(QStringLiteral("OK"), this);
    okBtn_->setObjectName(QStringLiteral("OKBtn"));
    okBtn_->setDefault(true);
    cancelBtn_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    cancelBtn_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okBtn_);
    buttons->addWidget(cancelBtn_);

    layout_ = new QVBoxLayout(this);
    layout_->addWidget(group_);
    layout_->addLayout(buttons);

    Refresh();
}

void PositionDialog::LoadPosition(double x, double y, double z) {
    position_ = kelvrant::LoadPosition(x, y, z);
    Refresh();
}

void PositionDialog::Refresh() {
    const PositionTexts t = FormatPosition(position_);
    const std::array<const std::string*, kFieldCount> texts{&t.latDecimal,
                                                            &t.lat.degrees,
                                                            &t.lat.minutes,
                                                            &t.lat.seconds,
                                                            &t.eastDecimal,
                                                            &t.east.degrees,
                                                            &t.east.minutes,
                                                            &t.east.seconds,
                                                            &t.westDecimal,
                                                            &t.west.degrees,
                                                            &t.west.minutes,
                                                            &t.west.seconds,
                                                            &t.height,
                                                            &t.x,
                                                            &t.y,
                                                            &t.z};
    for (int f = 0; f < kFieldCount; ++f)
        edits_[f]->setText(Text(*texts[f]));
    refusedField_ = -1;
}

void PositionDialog::SetPositionEditsEnabled(bool enabled) {
    for (QLineEdit* edit : edits_)
        edit->setEnabled(enabled);
    for (QLabel* label : labels_)
        label->setEnabled(enabled);
}

bool PositionDialog::Refuse(Field focus, const char* text) {
    MessageBox::stop(this, kIllegalEntryTitle, QString::fromLatin1(text));
    refusedField_ = focus;
    edits_[focus]->setFocus(Qt::OtherFocusReason);
    return false;
}

bool PositionDialog::OnRefNLatDecDegExit() {
    const auto value = ReadDecimalDegrees(Latin1(edits_[kLatDecimal]), 90.0);
    if (!value) return Refuse(kLatDecimal, "Illegal value for decimal degrees of North Latitude.");
    position_.latitude = *value;
    position_.FromGeodetic();
    Refresh();
    return true;
}

bool PositionDialog::OnRefELonDecDegExit() {
    const auto value = ReadDecimalDegrees(Latin1(edits_[kEastDecimal]), 360.0);
    if (!value) return Refuse(kEastDecimal, "Illegal value for decimal degrees of East Longitude.");
    position_.eastLongitude = *value;
    position_.FromGeodetic();
    Refresh();
    return true;
}

bool PositionDialog::OnRefWLonDecDegExit() {
    const auto value = ReadDecimalDegrees(Latin1(edits_[kWestDecimal]), 360.0);
    if (!value) return Refuse(kWestDecimal, "Illegal value for decimal degrees of West Longitude.");
    position_.eastLongitude = 360.0 - *value;
    position_.FromGeodetic();
    Refresh();
    return true;
}

namespace {

// Which edit takes the focus and which message a refused degree/minute/second entry shows.
std::pair<int, const char*> DmsRefusal(DmsError error, int first, const DmsMessages& messages) {
    switch (error) {
        case DmsError::kMinutes:
            return {first + 1, messages.minutes};
        case DmsError::kSeconds:
            return {first + 2, messages.seconds};
        case DmsError::kCombined:
            return {first, messages.combined};
        case DmsError::kDegrees:
        case DmsError::kNone:
            break;
    }
    return {first, messages.degrees};
}

}  // namespace

bool PositionDialog::OnRefNDegMinSecExit() {
    const DmsEntry entry =
        ReadDms(Latin1(edits_[kLatDeg]), Latin1(edits_[kLatMin]), Latin1(edits_[kLatSec]), 90);
    if (entry.error != DmsError::kNone) {
        const auto [field, text] = DmsRefusal(entry.error, kLatDeg, kLatDmsMessages);
        return Refuse(static_cast<Field>(field), text);
    }
    position_.latitude = entry.value;
    position_.FromGeodetic();
    Refresh();
    return true;
}

bool PositionDialog::OnRefELonMinSecExit() {
    const DmsEntry entry =
        ReadDms(Latin1(edits_[kEastDeg]), Latin1(edits_[kEastMin]), Latin1(edits_[kEastSec]), 360);
    if (entry.error != DmsError::kNone) {
        const auto [field, text] = DmsRefusal(entry.error, kEastDeg, kEastDmsMessages);
        return Refuse(static_cast<Field>(field), text);
    }
    position_.eastLongitude = entry.value;
    position_.FromGeodetic();
    Refresh();
    return true;
}

bool PositionDialog::OnRefWLonMinSecExit() {
    const DmsEntry entry =
        ReadDms(Latin1(edits_[kWestDeg]), Latin1(edits_[kWestMin]), Latin1(edits_[kWestSec]), 360);
    if (entry.error != DmsError::kNone) {
        const auto [field, text] = DmsRefusal(entry.error, kWestDeg, kWestDmsMessages);
        return Refuse(static_cast<Field>(field), text);
    }
    position_.eastLongitude = 360.0 - entry.value;
    position_.FromGeodetic();
    Refresh();
    return true;
}

bool PositionDialog::OnElipHtEditExit() {
    const auto value = ScanReal(Latin1(edits_[kHeight]));
    if (!value) return Refuse(kHeight, "Illegal value for Ellipsoidal Height.");
    position_.height = *value;
    position_.FromGeodetic();
    Refresh();
    return true;
}

bool PositionDialog::OnECEFExit() {
    const auto x = ScanReal(Latin1(edits_[kX]));
    if (!x) return Refuse(kX, "Illegal value for ECEF X position.");
    const auto y = ScanReal(Latin1(edits_[kY]));
    if (!y) return Refuse(kY, "Illegal value for ECEF Y position.");
    const auto z = ScanReal(Latin1(edits_[kZ]));
    if (!z) return Refuse(kZ, "Illegal value for ECEF Z position.");
    position_.x = *x;
    position_.y = *y;
    position_.z = *z;
    position_.FromCartesian();
    Refresh();
    return true;
}

bool PositionDialog::OnFieldExit(Field field) {
    switch (field) {
        case kLatDecimal:
            return OnRefNLatDecDegExit();
        case kLatDeg:
        case kLatMin:
        case kLatSec:
            return OnRefNDegMinSecExit();
        case kEastDecimal:
            return OnRefELonDecDegExit();
        case kEastDeg:
        case kEastMin:
        case kEastSec:
            return OnRefELonMinSecExit();
        case kWestDecimal:
            return OnRefWLonDecDegExit();
        case kWestDeg:
        case kWestMin:
        case kWestSec:
            return OnRefWLonMinSecExit();
        case kHeight:
            return OnElipHtEditExit();
        case kX:
        case kY:
        case kZ:
            return OnECEFExit();
        case kFieldCount:
            break;
    }
    return true;
}

int PositionDialog::FieldOf(const QObject* object) const {
    for (int f = 0; f < kFieldCount; ++f) {
        if (edits_[f] == object) return f;
    }
    return -1;
}

bool PositionDialog::CommitFocusedEdit() {
    const int field = FieldOf(QApplication::focusWidget());
    if (field < 0 || !edits_[field]->isEnabled()) return true;
    if (field == refusedField_) return false;  // reported already; the entry is still wrong
    inExit_ = true;
    const bool accepted = OnFieldExit(static_cast<Field>(field));
    inExit_ = false;
    return accepted;
}

bool PositionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !inExit_) {
        const int field = FieldOf(watched);
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A popup menu or another window taking the focus is not leaving the edit; nor is
        // the dialog closing, or the user going for Cancel.
        if (field >= 0 && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            isVisible() && QApplication::focusWidget() != cancelBtn_ &&
            edits_[field]->isEnabled()) {
            inExit_ = true;
            OnFieldExit(static_cast<Field>(field));
            inExit_ = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PositionDialog::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void PositionDialog::OnSpecialPasteMenuItemClick() {
    double x = position_.x;
    double y = position_.y;
    double z = position_.z;
    if (!PastePositionOrReport(this, x, y, z)) return;
    position_.x = x;
    position_.y = y;
    position_.z = z;
    position_.FromCartesian();
    Refresh();
}

void PositionDialog::OnSpecialCopyFullPositionClick() {
    CopyPositionOrReport(this, position_.x, position_.y, position_.z);
}

}  // namespace kelvrant
