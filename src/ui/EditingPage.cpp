// The "Editing" page of the header data window (see EditingPage.h).
#include "ui/EditingPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>

#include "convert/EpochEditor.h"
#include "geo/GpsTime.h"

namespace kelvrant {
namespace {

constexpr const char* kTypeNames[] = {"L1", "L2", "C1", "P1", "P2", "D1", "D2"};
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A time text of the command line's forms as a date and time (GPS, shown as UTC is: no zone).
QDateTime TimeOf(const std::string& text, const QDateTime& otherwise) {
    const auto t = ParseGpsTime(text);
    if (!t) return otherwise;
    const auto week = static_cast<std::int32_t>(std::floor(*t / 604800.0));
    const CalendarTime c = GpsToCalendar(week, *t - week * 604800.0 + 1e-9);
    return QDateTime(QDate(c.year, c.month, c.day),
                     QTime(c.hour, c.minute, static_cast<int>(std::floor(c.seconds))), Qt::UTC);
}

QDateTimeEdit* TimeEdit(QWidget* parent, const char* name) {
    auto* edit = new QDateTimeEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setTimeSpec(Qt::UTC);
    edit->setDisplayFormat(kTimeFormat);
    edit->setEnabled(false);
    return edit;
}

}  // namespace

EditingPage::EditingPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("EditingPage"));
    auto* layout = new QVBoxLayout(this);

    auto* window = new QGroupBox(QStringLiteral(" Time Window (GPS time) "), this);
    window->setObjectName(QStringLiteral("TimeWindowGroupBox"));
    auto* windowGrid = new QGridLayout(window);
    fromCheckBox_ = new QCheckBox(QStringLiteral("From"), window);
    fromCheckBox_->setObjectName(QStringLiteral("FromCheckBox"));
    fromEdit_ = TimeEdit(window, "FromEdit");
    toCheckBox_ = new QCheckBox(QStringLiteral("To"), window);
    toCheckBox_->setObjectName(QStringLiteral("ToCheckBox"));
    toEdit_ = TimeEdit(window, "ToEdit");
    connect(fromCheckBox_, &QCheckBox::toggled, fromEdit_, &QWidget::setEnabled);
    connect(toCheckBox_, &QCheckBox::toggled, toEdit_, &QWidget::setEnabled);
    windowGrid->addWidget(fromCheckBox_, 0, 0);
    windowGrid->addWidget(fromEdit_, 0, 1);
    windowGrid->addWidget(toCheckBox_, 1, 0);
    windowGrid->addWidget(toEdit_, 1, 1);
    layout->addWidget(window);

    auto* thinning = new QGroupBox(QStringLiteral(" Decimation and Split "), this);
    thinning->setObjectName(QStringLiteral("DecimationGroupBox"));
    auto* thinGrid = new QGridLayout(thinning);
    decimateComboBox_ = new QComboBox(thinning);
    decimateComboBox_->setObjectName(QStringLiteral("DecimateComboBox"));
    decimateComboBox_->setEditable(true);
    decimateComboBox_->addItems({QString(), QStringLiteral("1"), QStringLiteral("5"),
                                 QStringLiteral("15"), QStringLiteral("30"), QStringLiteral("60")});
    decimateComboBox_->setToolTip(
        QStringLiteral("Keep the epochs at whole multiples of this many seconds from GPS "
                       "midnight; empty: every epoch"));
    splitComboBox_ = new QComboBox(thinning);
    splitComboBox_->setObjectName(QStringLiteral("SplitComboBox"));
    splitComboBox_->addItem(QStringLiteral("One file"), QString());
    splitComboBox_->addItem(QStringLiteral("One file set per GPS day"), QStringLiteral("day"));
    splitComboBox_->addItem(QStringLiteral("One file set per GPS hour"), QStringLiteral("hour"));
    thinGrid->addWidget(new QLabel(QStringLiteral("Decimate to (seconds)"), thinning), 0, 0);
    thinGrid->addWidget(decimateComboBox_, 0, 1);
    thinGrid->addWidget(new QLabel(QStringLiteral("Split"), thinning), 1, 0);
    thinGrid->addWidget(splitComboBox_, 1, 1);
    layout->addWidget(thinning);

    auto* selection = new QGroupBox(QStringLiteral(" Observation Types and Satellites "), this);
    selection->setObjectName(QStringLiteral("SelectionGroupBox"));
    auto* selectionLayout = new QVBoxLayout(selection);
    auto* types = new QHBoxLayout;
    for (std::size_t i = 0; i < typeCheckBoxes_.size(); ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(kTypeNames[i]), selection);
        box->setObjectName(QStringLiteral("TypeCheckBox") + QString::fromLatin1(kTypeNames[i]));
        types->addWidget(box);
        typeCheckBoxes_[i] = box;
    }
    selectionLayout->addLayout(types);
    auto* exclude = new QHBoxLayout;
    excludeEdit_ = new QLineEdit(selection);
    excludeEdit_->setObjectName(QStringLiteral("ExcludeEdit"));
    excludeEdit_->setPlaceholderText(QStringLiteral("e.g. G05,G17,R (R: all GLONASS)"));
    exclude->addWidget(new QLabel(QStringLiteral("Exclude satellites"), selection));
    exclude->addWidget(excludeEdit_, 1);
    selectionLayout->addLayout(exclude);
    layout->addWidget(selection);
    layout->addStretch(1);
}

void EditingPage::Show(const EditingChoices& choices, const QDateTime& start,
                       const QDateTime& end) {
    fromCheckBox_->setChecked(!choices.from.empty());
    fromEdit_->setDateTime(TimeOf(choices.from, start));
    toCheckBox_->setChecked(!choices.to.empty());
    toEdit_->setDateTime(TimeOf(choices.to, end));
    decimateComboBox_->setEditText(Q(choices.decimate));
    const int split = splitComboBox_->findData(Q(choices.split));
    splitComboBox_->setCurrentIndex(split < 0 ? 0 : split);
    const auto types = ParseObservables(choices.types);
    for (std::size_t i = 0; i < typeCheckBoxes_.size(); ++i)
        typeCheckBoxes_[i]->setChecked(!types || (*types)[i]);
    excludeEdit_->setText(Q(choices.exclude));
}

EditingChoices EditingPage::Choices() const {
    EditingChoices c;
    if (fromCheckBox_->isChecked())
        c.from = fromEdit_->dateTime().toString(kTimeFormat).toStdString();
    if (toCheckBox_->isChecked()) c.to = toEdit_->dateTime().toString(kTimeFormat).toStdString();
    c.decimate = decimateComboBox_->currentText().trimmed().toStdString();
    c.split = splitComboBox_->currentData().toString().toStdString();
    std::string types;
    bool all = true;
    for (std::size_t i = 0; i < typeCheckBoxes_.size(); ++i) {
        if (!typeCheckBoxes_[i]->isChecked()) {
            all = false;
            continue;
        }
        if (!types.empty()) types += ',';
        types += kTypeNames[i];
    }
    // Every type: no selection; none: a choice the form refuses.
    c.types = all ? std::string() : types.empty() ? std::string("none") : types;
    c.exclude = excludeEdit_->text().trimmed().toStdString();
    return c;
}

}  // namespace kelvrant
