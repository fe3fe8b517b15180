// The header data window of an interactive observation conversion (see ObsHeaderDialog.h).
#include "ui/ObsHeaderDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "geo/GpsTime.h"
#include "run/ConversionWorker.h"
#include "ui/EditingPage.h"
#include "ui/MessageBox.h"
#include "ui/PositionClipboard.h"
#include "ui/SitePositionDialog.h"
#include "ui/WindowFit.h"

namespace kelvrant {
namespace {

QString Q(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
QString Q(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
std::string S(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

// A number is shown whole even when it is wider than the edit's length, so that reading the
// edit back never changes the value.
void ShowNumber(QLineEdit* edit, double value, int width) {
    const QString text = Q(FormatMetres(value));
    edit->setMaxLength(std::max(width, static_cast<int>(text.size())));
    edit->setText(text);
}

QCheckBox* AddCheckBox(QWidget* parent, QLayout* layout, const char* objectName,
                       const char* caption, const char* hint = nullptr) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(objectName));
    if (hint != nullptr) box->setToolTip(QString::fromLatin1(hint));
    layout->addWidget(box);
    return box;
}

}  // namespace

ObsHeaderDialog::ObsHeaderDialog(AppContext& ctx, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ctx_(ctx) {
    setObjectName(QStringLiteral("ObsHeaderDialog"));
    setWindowTitle(QStringLiteral("RINEX Header Data/Options"));
    setModal(false);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("SpecialPastePopupMenu"));
    QAction* paste = popupMenu_->addAction(QStringLiteral("Special Paste (Full Position)"));
    paste->setObjectName(QStringLiteral("SpecialPasteMenuItem"));
    connect(paste, &QAction::triggered, this, &ObsHeaderDialog::OnSpecialPasteMenuItemClick);
    QAction* copy = popupMenu_->addAction(QStringLiteral("Special Copy (Full Position)"));
    copy->setObjectName(QStringLiteral("SpecialCopyFullPosition"));
    connect(copy, &QAction::triggered, this, &ObsHeaderDialog::OnSpecialCopyFullPositionClick);
    auto attachPopup = [this](QWidget* widget) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](const QPoint& at) { popupMenu_->exec(widget->mapToGlobal(at)); });
    };

    notebook_ = new QTabWidget(this);
    notebook_->setObjectName(QStringLiteral("TabbedNotebook1"));

    // Page "&Header".
    auto* headerPage = new QWidget(notebook_);
    headerPage->setObjectName(QStringLiteral("HeaderPage"));
    auto* headerGrid = new QGridLayout(headerPage);
    int row = 0;
    auto addRow = [&](const char* caption, const char* objectName, int maxLength) {
        auto* label = new QLabel(QString::fromLatin1(caption), headerPage);
        auto* edit = new QLineEdit(headerPage);
        edit->setObjectName(QString::fromLatin1(objectName));
        edit->setMaxLength(maxLength);
        headerGrid->addWidget(label, row, 0);
        headerGrid->addWidget(edit, row, 1, 1, 3);
        ++row;
        return edit;
    };
    siteNameEdit_ = addRow("Station Name:", "SiteNameEdit", headerwidth::kSiteName);
    siteNameEdit_->setToolTip(QStringLiteral("The name of the station being occupied"));
    staNumEdit_ = addRow("Station Number:", "StaNumEdit", headerwidth::kStaNum);
    observerEdit_ = addRow("Observer's Name:", "ObserverEdit", headerwidth::kObserver);
    observAgencyEdit_ = addRow("Observing Agency:", "ObservAgencyEdit", headerwidth::kObservAgency);
    createAgencyEdit_ = addRow("Creating Agency:", "CreateAgencyEdit", headerwidth::kCreateAgency);
    rcvrTypeEdit_ = addRow("Receiver Type:", "RcvrTypeEdit", headerwidth::kRcvrType);
    rcvrSNEdit_ = addRow("Receiver Serial Number:", "RcvrSNEdit", headerwidth::kRcvrSN);
    antTypeEdit_ = addRow("Antenna Type:", "AntTypeEdit", headerwidth::kAntType);
    antSNEdit_ = addRow("Antenna Serial Number:", "AntSNEdit", headerwidth::kAntSN);
    commentEdits_[0] = addRow("Comments:", "Comment0Edit", headerwidth::kComment);
    for (int i = 1; i < 3; ++i) {
        auto* edit = new QLineEdit(headerPage);
        edit->setObjectName(QStringLiteral("Comment%1Edit").arg(i));
        edit->setMaxLength(headerwidth::kComment);
        headerGrid->addWidget(edit, row++, 1, 1, 3);
        commentEdits_[static_cast<std::size_t>(i)] = edit;
    }

    auto* positionGroup = new QGroupBox(QStringLiteral("Station Position"), headerPage);
    positionGroup->setObjectName(QStringLiteral("StationPositionGroupBox"));
    attachPopup(positionGroup);
    auto* positionGrid = new QGridLayout(positionGroup);
    const char* positionNames[3] = {"XEdit", "YEdit", "ZEdit"};
    const char* positionLabels[3] = {"X:", "Y:", "Z:"};
    const char* positionHints[3] = {"X coordinate of the station position (meters WGS-84)",
                                    "Y coordinate of the station position (meters WGS-84)",
                                    "Z coordinate of the station position (meters WGS-84)"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(positionLabels[i]), positionGroup);
        attachPopup(label);
        auto* edit = new QLineEdit(positionGroup);
        edit->setObjectName(QString::fromLatin1(positionNames[i]));
        edit->setToolTip(QString::fromLatin1(positionHints[i]));
        edit->setMaxLength(headerwidth::kPosition);
        edit->setReadOnly(true);
        attachPopup(edit);
        positionGrid->addWidget(label, i, 0);
        positionGrid->addWidget(edit, i, 1);
        positionEdits_[static_cast<std::size_t>(i)] = edit;
    }
    editPositionButton_ = new QPushButton(QStringLiteral("Edit Position"), positionGroup);
    editPositionButton_->setObjectName(QStringLiteral("EditPositionButton"));
    editPositionButton_->setAutoDefault(false);
    connect(editPositionButton_, &QPushButton::clicked, this,
            &ObsHeaderDialog::OnEditPositionButtonClick);
    positionGrid->addWidget(editPositionButton_, 3, 1);
    headerGrid->addWidget(positionGroup, row, 0, 1, 2);

    auto* offsetGroup = new QGroupBox(QStringLiteral(" Antenna Offsets "), headerPage);
    offsetGroup->setObjectName(QStringLiteral("AntennaOffsetsGroupBox"));
    auto* offsetGrid = new QGridLayout(offsetGroup);
    const char* offsetNames[5] = {"NorthOffsetEdit", "EastOffsetEdit", "AntSlantEdit",
                                  "RadiusAntEdit", "DeltaVertAntEdit"};
    const char* offsetLabels[5] = {"North:", "East:", "Slant:", "Radius:", "Delta Vertical:"};
    for (int i = 0; i < 5; ++i) {
        auto* edit = new QLineEdit(offsetGroup);
        edit->setObjectName(QString::fromLatin1(offsetNames[i]));
        edit->setMaxLength(headerwidth::kOffset);
        edit->installEventFilter(this);
        offsetGrid->addWidget(new QLabel(QString::fromLatin1(offsetLabels[i]), offsetGroup), i, 0);
        offsetGrid->addWidget(edit, i, 1);
        offsetEdits_[static_cast<std::size_t>(i)] = edit;
    }
    headerGrid->addWidget(offsetGroup, row, 2, 1, 2);
    notebook_->addTab(headerPage, QStringLiteral("&Header"));

    // Page "&Options".
    auto* optionsPage = new QWidget(notebook_);
    optionsPage->setObjectName(QStringLiteral("OptionsPage"));
    auto* optionsLayout = new QVBoxLayout(optionsPage);
    auto* typeGroup = new QGroupBox(QStringLiteral(" Output Data Type "), optionsPage);
    typeGroup->setObjectName(QStringLiteral("OutputDataTypeGroupBox"));
    auto* typeLayout = new QVBoxLayout(typeGroup);
    outTypeComboBox_ = new QComboBox(typeGroup);
    outTypeComboBox_->setObjectName(QStringLiteral("OutTypeComboBox"));
    outTypeComboBox_->setEditable(false);
    typeLayout->addWidget(outTypeComboBox_);
    optionsLayout->addWidget(typeGroup);

    auto* optionalGroup = new QGroupBox(QStringLiteral(" Optional Headers "), optionsPage);
    optionalGroup->setObjectName(QStringLiteral("OptionalHeadersGroupBox"));
    auto* optionalLayout = new QVBoxLayout(optionalGroup);
    epochIntervalCheckBox_ = AddCheckBox(optionalGroup, optionalLayout, "EpochIntervalCheckBox",
                                         "Output Epoch Interval Header");
    satListCheckBox_ = AddCheckBox(optionalGroup, optionalLayout, "SatListCheckBox",
                                   "Output Satellite List and Number of Observations");
    optionsLayout->addWidget(optionalGroup);

    auto* optionGroup = new QGroupBox(QStringLiteral(" Options "), optionsPage);
    optionGroup->setObjectName(QStringLiteral("OptionsGroupBox"));
    auto* optionLayout = new QVBoxLayout(optionGroup);
    newFmtCheckBox_ = AddCheckBox(
        optionGroup, optionLayout, "NewFmtCheckBox", "Clock adjustments in Code and Carrier",
        "Ticked: the receiver's millisecond clock jumps are applied to code and carrier alike. "
        "Cleared: code and carrier are written as recorded, and the jumps "
        "show in the epoch times instead.");
    smoothCodeCheckBox_ =
        AddCheckBox(optionGroup, optionLayout, "SmoothCodeCheckBox", "Output Smoothed Codephase");
    outputSiteChangesCheckBox_ = AddCheckBox(optionGroup, optionLayout, "OutputSiteChangesCheckBox",
                                             "Output Site Name Change Records");
    outputDopplerCheckBox_ =
        AddCheckBox(optionGroup, optionLayout, "OutputDopplerCheckBox",
                    "Output Doppler to Observation File", "Deselection disables doppler output");
    optionsLayout->addWidget(optionGroup);
    optionsLayout->addStretch(1);
    notebook_->addTab(optionsPage, QStringLiteral("&Options"));

    editingPage_ = new EditingPage(notebook_);
    notebook_->addTab(editingPage_, QStringLiteral("&Editing"));

    okBtn_ = new QPushButton(QStringLiteral("OK"), this);
    okBtn_->setObjectName(QStringLiteral("OKBtn"));
    okBtn_->setDefault(true);
    connect(okBtn_, &QPushButton::clicked, this, &ObsHeaderDialog::OKBtnClick);
    cancelBtn_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    cancelBtn_->setToolTip(QStringLiteral("Push to cancel operation"));
    cancelBtn_->setAutoDefault(false);
    connect(cancelBtn_, &QPushButton::clicked, this, &ObsHeaderDialog::OnCancelBtnClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okBtn_);
    buttons->addWidget(cancelBtn_);
    // The pages scroll on a small screen; OK and Cancel stay in view below them.
    auto* body = new QWidget;
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(notebook_);
    scroll_ = ScrollingBody(body, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll_, 1);
    layout->addLayout(buttons);
}

void ObsHeaderDialog::ShowForRun() {
    show();
    raise();
    activateWindow();
}

void ObsHeaderDialog::showEvent(QShowEvent* event) {
    OnFormShow();
    QDialog::showEvent(event);
}

void ObsHeaderDialog::OnFormShow() {
    if (!placed_) {
        FitToScreen(this, scroll_);
        if (ctx_.mainWindow != nullptr) {
            const QRect frame = ctx_.mainWindow->frameGeometry();
            move(frame.left() + 10, frame.top() + 50);
        } else if (const QScreen* screen = QApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        KeepOnScreen(this);
        placed_ = true;
    }
    closedByOK_ = false;

    const HeaderFormValues form = LoadHeaderForm(ctx_.config, ctx_.files);
    staNumEdit_->setText(Q(form.siteNumber));
    observAgencyEdit_->setText(Q(form.observerAgency));
    createAgencyEdit_->setText(Q(form.createAgency));
    for (std::size_t i = 0; i < 3; ++i)
        commentEdits_[i]->setText(Q(form.comments[i]));
    rcvrTypeEdit_->setText(Q(form.rcvrType));
    antTypeEdit_->setText(Q(form.antType));

    fromBFile_ = form.approxPosFromBFile;
    position_ = form.position;
    ShowPosition();

    offsets_ = form.offsets;
    siteNameEdit_->setText(Q(form.siteName));
    observerEdit_->setText(Q(form.observer));
    rcvrSNEdit_->setText(Q(form.rcvrSerNum));
    antSNEdit_->setText(Q(form.antSerNum));
    ShowOffsets();

    epochIntervalCheckBox_->setChecked(form.writeEpInt);
    satListCheckBox_->setChecked(form.writeSats);
    newFmtCheckBox_->setChecked(form.clockAdjust);
    smoothCodeCheckBox_->setChecked(form.smoothCode);
    outputSiteChangesCheckBox_->setChecked(form.siteChanges);
    outputDopplerCheckBox_->setChecked(form.outputDoppler);
    ApplyObsOptionsToJob(ctx_.config, ctx_.job);

    const auto calendar = [](std::int32_t week, double seconds) {
        const CalendarTime c = GpsToCalendar(week, seconds + 1e-9);
        return QDateTime(QDate(c.year, c.month, c.day),
                         QTime(c.hour, c.minute, static_cast<int>(c.seconds)), Qt::UTC);
    };
    const ObsHeaderRecord& span = ctx_.files.ObsHeader;
    editingPage_->Show(form.editing, calendar(span.firstWeek, span.firstSeconds),
                       calendar(span.lastWeek, span.lastSeconds));

    outTypeComboBox_->clear();
    for (int code : form.dataTypes.codes) {
        outTypeComboBox_->addItem(Q(DataTypeItemText(code)), code);
        if (code == form.dataTypes.selected)
            outTypeComboBox_->setCurrentIndex(outTypeComboBox_->count() - 1);
    }
}

void ObsHeaderDialog::ShowPosition() {
    for (std::size_t i = 0; i < 3; ++i)
        ShowNumber(positionEdits_[i], position_[i], headerwidth::kPosition);
}

void ObsHeaderDialog::ShowOffsets() {
    for (std::size_t i = 0; i < 5; ++i)
        ShowNumber(offsetEdits_[i], offsets_[i], headerwidth::kOffset);
}

bool ObsHeaderDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !inOffsetCheck_ &&
        std::find(offsetEdits_.begin(), offsetEdits_.end(), watched) != offsetEdits_.end()) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A popup menu or another window taking the focus is not leaving the edit; nor is the
        // user going for Cancel.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            isVisible() && QApplication::focusWidget() != cancelBtn_)
            OnAntOffEditsExit();
    }
    return QDialog::eventFilter(watched, event);
}

bool ObsHeaderDialog::OnAntOffEditsExit() {
    std::array<std::string, 5> texts;
    for (std::size_t i = 0; i < 5; ++i)
        texts[i] = S(offsetEdits_[i]->text());
    const AntOffsetCheck check = CheckAntennaOffsets(texts);
    if (!check.ok) {
        inOffsetCheck_ = true;
        MessageBox::stop(this, Q(headertext::kDataEntryErrorTitle), Q(check.message));
        notebook_->setCurrentIndex(0);
        offsetEdits_[static_cast<std::size_t>(check.focus)]->setFocus(Qt::OtherFocusReason);
        inOffsetCheck_ = false;
        return false;
    }
    offsets_ = check.values;
    ShowOffsets();
    return true;
}

void ObsHeaderDialog::OKBtnClick() {
    if (!OnAntOffEditsExit()) return;
    const EditingChoices editing = editingPage_->Choices();
    if (const std::string_view problem = CheckEditingChoices(editing); !problem.empty()) {
        MessageBox::stop(this, Q(headertext::kDataEntryErrorTitle), Q(problem));
        notebook_->setCurrentWidget(editingPage_);
        return;
    }
    if (NeedsGlonassClockWarning(ctx_.files.ObsReader.Header().ReceiverType()) &&
        !newFmtCheckBox_->isChecked()) {
        const auto answer = MessageBox::exclamation(this, Q(headertext::kGlonassWarningTitle),
                                                    Q(headertext::kGlonassWarning),
                                                    QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
    }

    HeaderFormValues form;
    form.siteName = S(siteNameEdit_->text());
    form.siteNumber = S(staNumEdit_->text());
    form.observer = S(observerEdit_->text());
    form.observerAgency = S(observAgencyEdit_->text());
    form.createAgency = S(createAgencyEdit_->text());
    form.rcvrType = S(rcvrTypeEdit_->text());
    form.rcvrSerNum = S(rcvrSNEdit_->text());
    form.antType = S(antTypeEdit_->text());
    form.antSerNum = S(antSNEdit_->text());
    for (std::size_t i = 0; i < 3; ++i)
        form.comments[i] = S(commentEdits_[i]->text());
    form.approxPosFromBFile = fromBFile_;
    form.position = position_;
    form.offsets = offsets_;
    form.writeEpInt = epochIntervalCheckBox_->isChecked();
    form.writeSats = satListCheckBox_->isChecked();
    form.clockAdjust = newFmtCheckBox_->isChecked();
    form.smoothCode = smoothCodeCheckBox_->isChecked();
    form.siteChanges = outputSiteChangesCheckBox_->isChecked();
    form.outputDoppler = outputDopplerCheckBox_->isChecked();
    form.editing = editing;
    const int dataType = DataTypeCodeOfItem(S(outTypeComboBox_->currentText()));
    StoreHeaderForm(form, dataType, SiteDataSupplied(ctx_.files), ctx_.config, ctx_.job,
                    ctx_.files.ObsHeader, ctx_.files.NavHeader);

    // The header is complete: the station and the data's span name the outputs. A long name
    // met only now is asked about as the file selection window asked about the short ones.
    const std::string shortObs = ctx_.job.ObsFileName;
    const std::string shortNav = ctx_.job.NavFileName;
    UseLongNames(ctx_.job, ctx_.files);
    const struct {
        const std::string& name;
        const std::string& before;
        const char* question;
    } renamed[] = {
        {ctx_.job.ObsFileName, shortObs, "Overwrite the existing RINEX Observation File?"},
        {ctx_.job.NavFileName, shortNav, "Overwrite the existing RINEX Navigation File?"},
    };
    for (const auto& r : renamed) {
        if (r.name == r.before || !QFileInfo::exists(QString::fromStdString(r.name))) continue;
        const QString text = QString::fromStdString(r.name) + QStringLiteral("\n\n") +
                             QString::fromLatin1(r.question);
        if (MessageBox::question(this, QStringLiteral("File Already Exists"), text) !=
            QMessageBox::Yes)
            return;
    }
    closedByOK_ = true;
    ctx_.startProgressWindow();
    accept();
}

void ObsHeaderDialog::OnCancelBtnClick() {
    reject();
}

void ObsHeaderDialog::reject() {
    // Every way out but OK abandons the prepared run: its files are closed and the scratch
    // index deleted, and the menus come back.
    if (!closedByOK_) {
        CloseRunFiles(ctx_.files);
        ctx_.enableMenus(true);
    }
    QDialog::reject();
}

void ObsHeaderDialog::OnEditPositionButtonClick() {
    if (sitePos_ == nullptr) {
        sitePos_ = new SitePositionDialog(parentWidget());
        connect(sitePos_, &QDialog::finished, this, &ObsHeaderDialog::OnSitePosFinished);
    }
    SitePosInput input;
    input.fromBFile = fromBFile_ != 0;
    input.x = position_[0];
    input.y = position_[1];
    input.z = position_[2];
    input.bFileX = ctx_.files.ObsReader.MeanX();
    input.bFileY = ctx_.files.ObsReader.MeanY();
    input.bFileZ = ctx_.files.ObsReader.MeanZ();
    sitePos_->Setup(input);
    setEnabled(false);
    sitePos_->show();
    sitePos_->raise();
    sitePos_->activateWindow();
}

void ObsHeaderDialog::OnSitePosFinished(int result) {
    setEnabled(true);
    if (result != QDialog::Accepted) return;
    const SitePosResult& r = sitePos_->Result();
    fromBFile_ = r.fromBFile ? 1 : 0;
    position_ = {r.x, r.y, r.z};
    ShowPosition();
}

void ObsHeaderDialog::OnSpecialPasteMenuItemClick() {
    double x = position_[0];
    double y = position_[1];
    double z = position_[2];
    if (!PastePositionOrReport(this, x, y, z)) return;
    position_ = {x, y, z};
    ShowPosition();
}

void ObsHeaderDialog::OnSpecialCopyFullPositionClick() {
    CopyPositionOrReport(this, position_[0], position_[1], position_[2]);
}

}  // namespace kelvrant
