#include "ui/MetHeaderDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <string>

#include "forms/MetFileForm.h"
#include "run/RunFiles.h"
#include "ui/MessageBox.h"
#include "ui/PositionClipboard.h"
#include "ui/PositionFields.h"
#include "ui/WindowFit.h"

namespace kelvrant {
namespace {

struct SensorKind {
    const char* prefix;  // of the component names
    const char* page;
    const char* accuracyHint;
    const char* positionTitle;
    std::string_view accuracyMessage;
};

const std::array<SensorKind, MetHeaderDialog::kSensorCount> kSensors{{
    {"Press", "&Pressure", "(mbar) Sensor Accuracy", "Pressure Sensor Position",
     mettext::kBadPressAccuracy},
    {"Temp", "&Temperature", "(C) Sensor Accuracy", "Temperature Sensor Position",
     mettext::kBadTempAccuracy},
    {"Humid", "&Humidity", "(%) Sensor Accuracy", "Humidity Sensor Position",
     mettext::kBadHumidAccuracy},
}};

QString Name(const char* prefix, const char* suffix) {
    return QString::fromLatin1(prefix) + QString::fromLatin1(suffix);
}

std::string Latin1(const QLineEdit* edit) {
    const QByteArray bytes = edit->text().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString Text(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::array<double, 3> Xyz(const SensorPosition& p) {
    return {p.x, p.y, p.z};
}

SensorPosition PositionOf(const std::array<double, 3>& xyz) {
    return SensorPosition{xyz[0], xyz[1], xyz[2]};
}

}  // namespace

MetHeaderDialog::MetHeaderDialog(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("MetHeaderDialog"));
    setWindowTitle(QStringLiteral("RINEX Meteorological Header Data"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("SpecialPastePopupMenu"));
    QAction* paste = popupMenu_->addAction(QStringLiteral("Special Paste (Full Position)"));
    paste->setObjectName(QStringLiteral("SpecialPasteMenuItem"));
    QAction* copy = popupMenu_->addAction(QStringLiteral("Special Copy (Full Position)"));
    copy->setObjectName(QStringLiteral("SpecialCopyFullPosition"));
    connect(paste, &QAction::triggered, this, &MetHeaderDialog::OnSpecialPasteMenuItemClick);
    connect(copy, &QAction::triggered, this, &MetHeaderDialog::OnSpecialCopyFullPositionClick);

    auto makeEdit = [](QWidget* owner, const QString& name, const char* hint, int maxLength) {
        auto* edit = new QLineEdit(owner);
        edit->setObjectName(name);
        if (hint != nullptr) edit->setToolTip(QString::fromLatin1(hint));
        edit->setMaxLength(maxLength);
        return edit;
    };
    auto label = [](QWidget* owner, const char* caption, QWidget* buddy) {
        auto* l = new QLabel(QString::fromLatin1(caption), owner);
        if (buddy != nullptr) l->setBuddy(buddy);
        return l;
    };

    siteNameEdit_ = makeEdit(this, QStringLiteral("SiteNameEdit"),
                             "The name of the station being occupied", 60);
    staNumEdit_ = makeEdit(this, QStringLiteral("StaNumEdit"), nullptr, 20);
    createAgencyEdit_ = makeEdit(this, QStringLiteral("CreateAgencyEdit"), nullptr, 20);
    for (int i = 0; i < 3; ++i) {
        commentEdits_[static_cast<std::size_t>(i)] =
            makeEdit(this, QStringLiteral("Comment%1Edit").arg(i), nullptr, 60);
    }

    auto* fields = new QGridLayout;
    fields->addWidget(label(this, "Station Name:", siteNameEdit_), 0, 0);
    fields->addWidget(siteNameEdit_, 0, 1, 1, 3);
    fields->addWidget(label(this, "Station Number:", staNumEdit_), 1, 0);
    fields->addWidget(staNumEdit_, 1, 1);
    fields->addWidget(label(this, "Creating Agency:", createAgencyEdit_), 1, 2);
    fields->addWidget(createAgencyEdit_, 1, 3);
    fields->addWidget(label(this, "Comments:", commentEdits_[0]), 2, 0);
    for (int i = 0; i < 3; ++i)
        fields->addWidget(commentEdits_[static_cast<std::size_t>(i)], 2 + i, 1, 1, 3);
    siteNameEdit_->setMinimumWidth(420);

    auto* sensorGroup = new QGroupBox(QStringLiteral(" Sensor Information "), this);
    sensorGroup->setObjectName(QStringLiteral("SensorInfoGroupBox"));
    notebook_ = new QTabWidget(sensorGroup);
    notebook_->setObjectName(QStringLiteral("SensorInfoTabbedNotebook"));
    for (int s = 0; s < kSensorCount; ++s) {
        const auto sensor = static_cast<Sensor>(s);
        notebook_->addTab(MakePage(sensor), QString::fromLatin1(kSensors[sensor].page));
    }
    auto* sensorLayout = new QVBoxLayout(sensorGroup);
    sensorLayout->addWidget(notebook_);

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

    // The fields scroll on a small screen; OK and Cancel stay in view below them.
    auto* body = new QWidget;
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addLayout(fields);
    bodyLayout->addWidget(sensorGroup);
    scroll_ = ScrollingBody(body, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll_, 1);
    layout->addLayout(buttons);

    connect(okBtn_, &QPushButton::clicked, this, &MetHeaderDialog::OnOKBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &MetHeaderDialog::OnCancelBtnClick);
    connect(pages_[kPressure].positionButton, &QPushButton::clicked, this,
            &MetHeaderDialog::OnPressPosButtonClick);
    connect(pages_[kTemperature].positionButton, &QPushButton::clicked, this,
            &MetHeaderDialog::OnTempPosButtonClick);
    connect(pages_[kHumidity].positionButton, &QPushButton::clicked, this,
            &MetHeaderDialog::OnHumidPosButtonClick);
    connect(pages_[kTemperature].usePressurePosition, &QCheckBox::clicked, this,
            &MetHeaderDialog::OnTempUsePressPosChkBoxClick);
    connect(pages_[kHumidity].usePressurePosition, &QCheckBox::clicked, this,
            &MetHeaderDialog::OnHumidUsePressPosChkBoxClick);

    // The sensor position dialog is a window of its own: this window is disabled while it is
    // open, which must not disable the dialog too.
    sensorPosWin_ = new SensorPositionDialog(nullptr);
    connect(sensorPosWin_, &QDialog::accepted, this, &MetHeaderDialog::OnSensorPositionAccepted);
    connect(sensorPosWin_, &QDialog::finished, this, [this] { setEnabled(true); });
}

MetHeaderDialog::~MetHeaderDialog() {
    delete sensorPosWin_.data();
}

QWidget* MetHeaderDialog::MakePage(Sensor sensor) {
    const SensorKind& sensorKind = kSensors[sensor];
    Page& page = pages_[sensor];
    auto* widget = new QWidget(notebook_);
    widget->setObjectName(Name(sensorKind.prefix, "Page"));

    auto makeEdit = [this, widget, &sensorKind](const char* suffix, const char* hint,
                                                int maxLength) {
        auto* edit = new QLineEdit(widget);
        edit->setObjectName(Name(sensorKind.prefix, suffix));
        edit->setToolTip(QString::fromLatin1(hint));
        edit->setMaxLength(maxLength);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this, edit] {
            if (refusedEdit_ == edit) refusedEdit_ = nullptr;
        });
        return edit;
    };
    page.model = makeEdit("ModelEdit", "Model/Manufacturer", 20);
    page.type = makeEdit("TypeEdit", "Sensor Type", 20);
    page.accuracy = makeEdit("AccEdit", sensorKind.accuracyHint, 8);

    auto* group = new QGroupBox(QStringLiteral(" Approximate Position "), widget);
    group->setObjectName(Name(sensorKind.prefix, "PosGroupBox"));
    static constexpr std::array<const char*, 3> kAxes{"X", "Y", "Z"};
    static constexpr std::array<const char*, 3> kAxisHints{
        "X coordinate of the sensor position (meters WGS-84)",
        "Y coordinate of the sensor position (meters WGS-84)",
        "Z coordinate of the sensor position (meters WGS-84)"};
    page.positionLabels[0] = new QLabel(QStringLiteral("Sensor Position"), group);
    page.positionLabels[0]->setObjectName(Name(sensorKind.prefix, "PosLabel"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(page.positionLabels[0], 0, 0, 1, 2);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        auto* edit = new QLineEdit(group);
        edit->setObjectName(Name(sensorKind.prefix, kAxes[axis]) + QStringLiteral("Edit"));
        edit->setToolTip(QString::fromLatin1(kAxisHints[axis]));
        edit->setMaxLength(15);
        edit->setReadOnly(true);
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this,
                [this, edit](QPoint at) { popupMenu_->popup(edit->mapToGlobal(at)); });
        page.xyz[axis] = edit;
        auto* axisLabel = new QLabel(QString::fromLatin1(kAxes[axis]) + QStringLiteral(":"), group);
        axisLabel->setObjectName(Name(sensorKind.prefix, kAxes[axis]) + QStringLiteral("Label"));
        axisLabel->setBuddy(edit);
        page.positionLabels[axis + 1] = axisLabel;
        grid->addWidget(axisLabel, static_cast<int>(axis) + 1, 0);
        grid->addWidget(edit, static_cast<int>(axis) + 1, 1);
    }
    page.positionButton = new QPushButton(QStringLiteral("Edit Position"), group);
    page.positionButton->setObjectName(Name(sensorKind.prefix, "PosButton"));
    page.positionButton->setAutoDefault(false);
    grid->addWidget(page.positionButton, 4, 1);
    if (sensor != kPressure) {
        page.usePressurePosition =
            new QCheckBox(QStringLiteral("Use pressure sensor position"), group);
        page.usePressurePosition->setObjectName(Name(sensorKind.prefix, "UsePressPosChkBox"));
        page.usePressurePosition->setToolTip(
            QStringLiteral("Select to use position of pressure sensor"));
        grid->addWidget(page.usePressurePosition, 5, 0, 1, 2);
    }

    auto* form = new QGridLayout(widget);
    form->addWidget(new QLabel(QStringLiteral("Model:"), widget), 0, 0);
    form->addWidget(page.model, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("Type:"), widget), 1, 0);
    form->addWidget(page.type, 1, 1);
    form->addWidget(new QLabel(QStringLiteral("Accuracy:"), widget), 2, 0);
    form->addWidget(page.accuracy, 2, 1);
    form->addWidget(group, 0, 2, 4, 1);
    return widget;
}

void MetHeaderDialog::ShowWindow() {
    if (!fitted_) {
        // Sized once, before the first showing; later showings keep the user's size.
        fitted_ = true;
        FitToScreen(this, scroll_);
    }
    show();
    KeepOnScreen(this);
    raise();
    activateWindow();
}

void MetHeaderDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) OnFormShow();
}

void MetHeaderDialog::OnFormShow() {
    proceeding_ = false;
    refusedEdit_ = nullptr;
    const ConfigStore& config = ctx_.config;
    siteNameEdit_->setText(Text(config.GetSiteName()));
    staNumEdit_->setText(Text(config.GetSiteNumber()));
    createAgencyEdit_->setText(Text(config.GetCreateAgency()));
    const CommentSet comments = config.GetMetComments();
    for (std::size_t i = 0; i < 3; ++i)
        commentEdits_[i]->setText(Text(comments.text[i]));

    pages_[kPressure].model->setText(Text(config.GetMetPressMod()));
    pages_[kPressure].type->setText(Text(config.GetMetPressTyp()));
    sensors_[kPressure].accuracy = config.GetMetPressAcc();
    sensors_[kPressure].position = PositionOf(config.GetMetPressPos());

    pages_[kTemperature].model->setText(Text(config.GetMetTempMod()));
    pages_[kTemperature].type->setText(Text(config.GetMetTempTyp()));
    sensors_[kTemperature].accuracy = config.GetMetTempAcc();
    sensors_[kTemperature].position = PositionOf(config.GetMetTempPos());
    pages_[kTemperature].usePressurePosition->setChecked(config.GetMetTempPosFlag() != 0);

    pages_[kHumidity].model->setText(Text(config.GetMetHumidMod()));
    pages_[kHumidity].type->setText(Text(config.GetMetHumidTyp()));
    sensors_[kHumidity].accuracy = config.GetMetHumidAcc();
    sensors_[kHumidity].position = PositionOf(config.GetMetHumidPos());
    pages_[kHumidity].usePressurePosition->setChecked(config.GetMetHumidPosFlag() != 0);

    for (int s = 0; s < kSensorCount; ++s) {
        pages_[static_cast<std::size_t>(s)].accuracy->setText(
            Text(FormatFixed(sensors_[static_cast<std::size_t>(s)].accuracy, 1)));
    }
    RefreshSensorPositions();
}

bool MetHeaderDialog::UsesPressurePosition(Sensor sensor) const {
    const QCheckBox* box = pages_[sensor].usePressurePosition;
    return box != nullptr && box->isChecked();
}

void MetHeaderDialog::RefreshSensorPositions() {
    for (int s = 0; s < kSensorCount; ++s) {
        const auto sensor = static_cast<Sensor>(s);
        const bool atPressure = UsesPressurePosition(sensor);
        const SensorPosition& shown =
            atPressure ? sensors_[kPressure].position : sensors_[sensor].position;
        const std::array<double, 3> xyz = Xyz(shown);
        Page& page = pages_[sensor];
        for (std::size_t axis = 0; axis < 3; ++axis)
            page.xyz[axis]->setText(Text(FormatFixed(xyz[axis], 4)));
        for (QLabel* l : page.positionLabels)
            l->setEnabled(!atPressure);
        page.positionButton->setEnabled(!atPressure);
    }
}

bool MetHeaderDialog::OnAccuracyExit(Sensor sensor) {
    QLineEdit* edit = pages_[sensor].accuracy;
    const std::optional<double> value = ReadSensorAccuracy(Latin1(edit));
    if (!value) {
        MessageBox::stop(this, Text(mettext::kDataEntryTitle),
                         Text(kSensors[sensor].accuracyMessage));
        refusedEdit_ = edit;
        notebook_->setCurrentIndex(sensor);
        edit->setFocus(Qt::OtherFocusReason);
        return false;
    }
    sensors_[sensor].accuracy = *value;
    return true;
}

bool MetHeaderDialog::OnPressAccEditExit() {
    return OnAccuracyExit(kPressure);
}
bool MetHeaderDialog::OnTempAccEditExit() {
    return OnAccuracyExit(kTemperature);
}
bool MetHeaderDialog::OnHumidAccEditExit() {
    return OnAccuracyExit(kHumidity);
}

void MetHeaderDialog::OnPositionButtonClick(Sensor sensor) {
    if (sensorPosWin_ == nullptr) return;
    editedSensor_ = sensor;
    setEnabled(false);
    sensorPosWin_->Setup(QString::fromLatin1(kSensors[sensor].positionTitle),
                         sensors_[sensor].position);
    sensorPosWin_->show();
    sensorPosWin_->raise();
    sensorPosWin_->activateWindow();
}

void MetHeaderDialog::OnPressPosButtonClick() {
    OnPositionButtonClick(kPressure);
}
void MetHeaderDialog::OnTempPosButtonClick() {
    OnPositionButtonClick(kTemperature);
}
void MetHeaderDialog::OnHumidPosButtonClick() {
    OnPositionButtonClick(kHumidity);
}

void MetHeaderDialog::OnSensorPositionAccepted() {
    sensors_[editedSensor_].position = sensorPosWin_->Result();
    RefreshSensorPositions();
}

void MetHeaderDialog::OnTempUsePressPosChkBoxClick() {
    RefreshSensorPositions();
}
void MetHeaderDialog::OnHumidUsePressPosChkBoxClick() {
    RefreshSensorPositions();
}

MetHeaderDialog::Sensor MetHeaderDialog::CurrentSensor() const {
    const int page = notebook_->currentIndex();
    return page >= 0 && page < kSensorCount ? static_cast<Sensor>(page) : kPressure;
}

void MetHeaderDialog::OnSpecialPasteMenuItemClick() {
    SensorPosition& p = sensors_[CurrentSensor()].position;
    if (PastePositionOrReport(this, p.x, p.y, p.z)) RefreshSensorPositions();
}

void MetHeaderDialog::OnSpecialCopyFullPositionClick() {
    const SensorPosition& p = sensors_[CurrentSensor()].position;
    CopyPositionOrReport(this, p.x, p.y, p.z);
}

bool MetHeaderDialog::CommitFocusedEdit() {
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (edit == nullptr || edit->window() != this) return true;
    if (edit == refusedEdit_) return false;  // reported already; the entry is still wrong
    for (int s = 0; s < kSensorCount; ++s) {
        if (edit != pages_[static_cast<std::size_t>(s)].accuracy) continue;
        inExit_ = true;
        const bool accepted = OnAccuracyExit(static_cast<Sensor>(s));
        inExit_ = false;
        return accepted;
    }
    return true;
}

bool MetHeaderDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !inExit_) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A popup or another window taking the focus is not leaving the edit; nor is the
        // window closing, or the user going for Cancel.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            isVisible() && QApplication::focusWidget() != cancelBtn_) {
            for (int s = 0; s < kSensorCount; ++s) {
                if (watched != pages_[static_cast<std::size_t>(s)].accuracy) continue;
                inExit_ = true;
                OnAccuracyExit(static_cast<Sensor>(s));
                inExit_ = false;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MetHeaderDialog::OnOKBtnClick() {
    if (!CommitFocusedEdit()) return;
    ConfigStore& config = ctx_.config;
    config.SetSiteName(Latin1(siteNameEdit_));
    config.SetSiteNumber(Latin1(staNumEdit_));
    config.SetCreateAgency(Latin1(createAgencyEdit_));
    config.SetMetComments(Latin1(commentEdits_[0]), Latin1(commentEdits_[1]),
                          Latin1(commentEdits_[2]));

    config.SetMetPressMod(Latin1(pages_[kPressure].model));
    config.SetMetPressTyp(Latin1(pages_[kPressure].type));
    config.SetMetPressAcc(sensors_[kPressure].accuracy);
    config.SetMetPressPos(Xyz(sensors_[kPressure].position));

    config.SetMetTempMod(Latin1(pages_[kTemperature].model));
    config.SetMetTempTyp(Latin1(pages_[kTemperature].type));
    config.SetMetTempAcc(sensors_[kTemperature].accuracy);
    config.SetMetTempPos(UsesPressurePosition(kTemperature) ? 1 : 0,
                         Xyz(sensors_[kTemperature].position));

    config.SetMetHumidMod(Latin1(pages_[kHumidity].model));
    config.SetMetHumidTyp(Latin1(pages_[kHumidity].type));
    config.SetMetHumidAcc(sensors_[kHumidity].accuracy);
    config.SetMetHumidPos(UsesPressurePosition(kHumidity) ? 1 : 0,
                          Xyz(sensors_[kHumidity].position));

    FillMetHeaderFromSettings(config.Settings(), ctx_.files.MetHeader);
    ctx_.startProgressWindow();
    proceeding_ = true;
    accept();
}

void MetHeaderDialog::OnCancelBtnClick() {
    CloseRunFiles(ctx_.files);
    reject();
}

void MetHeaderDialog::done(int result) {
    if (sensorPosWin_ != nullptr && sensorPosWin_->isVisible()) sensorPosWin_->reject();
    QDialog::done(result);
    OnFormClose();
}

void MetHeaderDialog::OnFormClose() {
    if (proceeding_) return;
    // Closed without OK (Cancel or the close box): the prepared run does not go ahead.
    CloseRunFiles(ctx_.files);
    ctx_.enableMenus(true);
}

}  // namespace kelvrant
