// The observation conversion's file selection window (see ObsFileDialog.h).
#include "ui/ObsFileDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "forms/MetFileForm.h"
#include "forms/ObsFileForm.h"
#include "rinex/NavHeader.h"
#include "rinex/ObsHeader.h"
#include "run/HeaderFill.h"
#include "run/LongNames.h"
#include "ui/MessageBox.h"
#include "ui/ObsHeaderDialog.h"
#include "ui/SessionDrop.h"
#include "ui/UserSettings.h"
#include "ui/WindowFit.h"

namespace kelvrant {
namespace {

ObsFileDialogRunner& DialogRunner() {
    static ObsFileDialogRunner runner;
    return runner;
}

QString RunRealFileDialog(QWidget* parent, const ObsFileDialogRequest& request) {
    QFileDialog dialog(parent, request.title);
    dialog.setObjectName(request.objectName);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Overwriting is asked about at OK, once for all outputs.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dialog.selectNameFilter(request.filters[request.filterIndex]);
    if (!request.directory.isEmpty()) dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

QString Q(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string S(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(std::filesystem::path(path), ec);
}

constexpr const char* kObjectNames[ObsFileDialog::kNameCount] = {
    "BFileNameEdit", "EFileNameEdit", "SFileNameEdit", "IFileNameEdit",
    "ObsFileEdit",   "NavFileEdit",   "NavGFileEdit"};

}  // namespace

QStringList ConvertDialogFilter(const QString& barSeparated) {
    // File names match case-sensitively here: each pattern is offered in both letter cases,
    // so lower-case downloads (bn102a97.323) are listed too.
    QStringList filters;
    for (const std::string& entry : DialogFilterEntries(barSeparated.toStdString()))
        filters << QString::fromStdString(entry);
    return filters;
}

void ObsFileDialog::SetFileDialogRunner(ObsFileDialogRunner runner) {
    DialogRunner() = std::move(runner);
}

ObsFileDialog::ObsFileDialog(AppContext& ctx, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      ctx_(ctx) {
    setObjectName(QStringLiteral("ObsFileDialog"));
    setWindowTitle(QStringLiteral("RINEX Conversion File Selection Window"));
    setModal(false);
    setAcceptDrops(true);
    QFont boldFont(QStringLiteral("Arial"), 8);
    boldFont.setBold(true);
    setFont(boldFont);

    auto makeEdit = [this](Name name, const char* hint) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(kObjectNames[name]));
        edit->setToolTip(QString::fromLatin1(hint));
        edit->setMinimumWidth(320);
        edits_[name] = edit;
        return edit;
    };
    auto makeButton = [this](const char* objectName, const char* hint,
                             void (ObsFileDialog::*handler)()) {
        auto* button = new QPushButton(QStringLiteral("Browse ..."), this);
        button->setObjectName(QString::fromLatin1(objectName));
        button->setToolTip(QString::fromLatin1(hint));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    auto makeLabel = [this](const char* objectName, const char* caption) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setObjectName(QString::fromLatin1(objectName));
        return label;
    };

    auto* source = new QGroupBox(QStringLiteral(" Source Files "), this);
    source->setObjectName(QStringLiteral("GroupBox1"));
    auto* sourceGrid = new QGridLayout(source);
    struct Row {
        const char* label;
        const char* caption;
        Name name;
        const char* editHint;
        const char* button;
        const char* buttonHint;
        void (ObsFileDialog::*handler)();
    };
    const Row sourceRows[] = {
        {"BFileLabel", "B:", kBFile, "The path and name of the input B-File", "BFileBrowseBtn",
         "Push to browse disks for Ashtech formatted B-Files",
         &ObsFileDialog::OnBFileBrowseBtnClick},
        {"EFileLabel", "E:", kEFile, "The path and name of the input E-File", "EFileBrowseBtn",
         "Push to browse disks for Ashtech formatted E-Files",
         &ObsFileDialog::OnEFileBrowseBtnClick},
        {"SFileLabel", "S:", kSFile, "The path and name of the input S-File (not required)",
         "SFileBrowseBtn", "Push to browse disks for Ion Files",
         &ObsFileDialog::OnSFileBrowseBtnClick},
        {"IFileLabel", "I:", kIonFile, "The path and name of the input Ion File (not required)",
         "IonFileBrowseBtn", "Push to browse disks for Ion Files",
         &ObsFileDialog::OnIonFileBrowseBtnClick},
    };
    int row = 0;
    for (const Row& r : sourceRows) {
        sourceGrid->addWidget(makeLabel(r.label, r.caption), row, 0);
        sourceGrid->addWidget(makeEdit(r.name, r.editHint), row, 1);
        sourceGrid->addWidget(makeButton(r.button, r.buttonHint, r.handler), row, 2);
        ++row;
    }

    auto* outputs = new QGroupBox(QStringLiteral(" RINEX Output Options "), this);
    outputs->setObjectName(QStringLiteral("ViewOptionsGroupBox"));
    auto* outputGrid = new QGridLayout(outputs);
    const Row outputRows[] = {
        {"ObsLabel", "O:", kObsFile, "The path and name of the output RINEX Observation File",
         "DestObsBrowseBtn", "Push to browse disk and select/name output Observation file",
         &ObsFileDialog::OnDestObsBrowseBtnClick},
        {"NavLabel", "N:", kNavFile, "The path and name of the output RINEX Navigation File",
         "DestNavBrowseBtn", "Push to browse disk and select/name output Navigation file",
         &ObsFileDialog::OnDestNavBrowseBtnClick},
        {"NavGLabel", "G:", kNavGFile,
         "The path and name of the output RINEX GLONASS Navigation File", "DestNavGBrowseBtn",
         "Push to browse disk and select/name output GLONASS Navigation file",
         &ObsFileDialog::OnDestNavGBrowseBtnClick},
    };
    row = 0;
    for (const Row& r : outputRows) {
        outputGrid->addWidget(makeLabel(r.label, r.caption), row, 0);
        outputGrid->addWidget(makeEdit(r.name, r.editHint), row, 1);
        outputGrid->addWidget(makeButton(r.button, r.buttonHint, r.handler), row, 2);
        ++row;
    }
    edits_[kBFile]->installEventFilter(this);

    // The output format, kept in the configuration's [OUTPUT] section.
    auto* formatGroup = new QGroupBox(QStringLiteral(" Output Format "), this);
    formatGroup->setObjectName(QStringLiteral("OutputFormatGroupBox"));
    auto* formatLayout = new QHBoxLayout(formatGroup);
    versionComboBox_ = new QComboBox(formatGroup);
    versionComboBox_->setObjectName(QStringLiteral("RinexVersionComboBox"));
    versionComboBox_->addItem(QStringLiteral("RINEX 2.11"), 2);
    versionComboBox_->addItem(QStringLiteral("RINEX 3.05"), 3);
    versionComboBox_->setToolTip(QStringLiteral("RINEX version of the output files"));
    compressComboBox_ = new QComboBox(formatGroup);
    compressComboBox_->setObjectName(QStringLiteral("CompressionComboBox"));
    for (const char* word : {"none", "crx", "gz", "crx.gz"})
        compressComboBox_->addItem(QString::fromLatin1(word), QString::fromLatin1(word));
    compressComboBox_->setToolTip(
        QStringLiteral("crx: compact RINEX observation file; gz: gzip every output"));
    longNamesCheckBox_ = new QCheckBox(QStringLiteral("Long Names"), formatGroup);
    longNamesCheckBox_->setObjectName(QStringLiteral("LongNamesCheckBox"));
    longNamesCheckBox_->setToolTip(
        QStringLiteral("RINEX 3 long file names (SSSSMRCCC_R_YYYYDDDHHMM_...), given at the "
                       "start of the conversion"));
    countryEdit_ = new QLineEdit(formatGroup);
    countryEdit_->setObjectName(QStringLiteral("CountryEdit"));
    countryEdit_->setMaxLength(3);
    countryEdit_->setFixedWidth(48);
    countryEdit_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z]{0,3}")), countryEdit_));
    countryEdit_->setToolTip(
        QStringLiteral("ISO 3166 three-letter country code of the long names (XXX: unknown)"));
    formatLayout->addWidget(versionComboBox_);
    formatLayout->addWidget(compressComboBox_);
    formatLayout->addWidget(longNamesCheckBox_);
    formatLayout->addWidget(new QLabel(QStringLiteral("Country:"), formatGroup));
    formatLayout->addWidget(countryEdit_);
    connect(versionComboBox_, &QComboBox::currentIndexChanged, this,
            &ObsFileDialog::OnOutputFormatChange);
    connect(compressComboBox_, &QComboBox::currentIndexChanged, this,
            &ObsFileDialog::OnOutputFormatChange);

    // Off unless the user turned it on; the choice is the user's, not the configuration's.
    qualityCheckBox_ = new QCheckBox(QStringLiteral("Quality check after conversion"), this);
    qualityCheckBox_->setObjectName(QStringLiteral("QualityCheckCheckBox"));
    qualityCheckBox_->setToolTip(
        QStringLiteral("Check the observations while converting (completeness, gaps, cycle "
                       "slips, multipath, signal strength), write <obsname>.qc.txt beside the "
                       "outputs and show the check at the end"));
    connect(qualityCheckBox_, &QCheckBox::toggled, this, &UserSettings::SetQualityCheck);

    auto* okBtn = new QPushButton(QStringLiteral("OK"), this);
    okBtn->setObjectName(QStringLiteral("OKBtn"));
    okBtn->setDefault(true);
    connect(okBtn, &QPushButton::clicked, this, &ObsFileDialog::OnOKBtnClick);
    auto* cancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    cancelBtn->setToolTip(QStringLiteral("Push to cancel operation"));
    cancelBtn->setAutoDefault(false);
    connect(cancelBtn, &QPushButton::clicked, this, &ObsFileDialog::OnCancelBtnClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okBtn);
    buttons->addWidget(cancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(outputs);
    layout->addWidget(formatGroup);
    layout->addWidget(qualityCheckBox_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    headerWin_ = new ObsHeaderDialog(ctx_, parent);
}

void ObsFileDialog::ShowForNewConversion() {
    show();
    raise();
    activateWindow();
}

void ObsFileDialog::ShowWithBFile(const std::string& bFile) {
    ShowForNewConversion();
    DeriveNames(bFile);
}

void ObsFileDialog::dragEnterEvent(QDragEnterEvent* event) {
    const QString path = DroppedPath(event->mimeData());
    if (!path.isEmpty() && ClassifySession(path).kind != SessionDrop::Kind::kNone)
        event->acceptProposedAction();
}

void ObsFileDialog::dropEvent(QDropEvent* event) {
    const SessionDrop session = ClassifySession(DroppedPath(event->mimeData()));
    if (session.kind == SessionDrop::Kind::kNone) return;
    event->acceptProposedAction();
    UserSettings::RememberFolder(session.path);
    const std::string file = S(session.path);
    if (session.kind == SessionDrop::Kind::kObservation) {
        DeriveNames(file);
        return;
    }
    reject();
    ctx_.openMetConversionWith(file);
}

void ObsFileDialog::showEvent(QShowEvent* event) {
    OnWinShow();
    QDialog::showEvent(event);
}

void ObsFileDialog::OnWinShow() {
    if (!placed_ && ctx_.mainWindow != nullptr) {
        const QRect frame = ctx_.mainWindow->frameGeometry();
        MoveFrameTo(this, QPoint(frame.left(), frame.top() + 20));
    }
    placed_ = true;
    ShowFormat(ctx_.config.Settings().Output);
    {
        const QSignalBlocker block(qualityCheckBox_);
        qualityCheckBox_->setChecked(UserSettings::QualityCheck());
    }
    RefreshEdits();
    handedOver_ = false;
}

OutputFormat ObsFileDialog::ChosenFormat() const {
    OutputFormat format = shownFormat_;
    format.rinexVersion = versionComboBox_->currentData().toInt();
    ParseCompression(compressComboBox_->currentData().toString().toStdString(), format.compact,
                     format.gzip);
    // "Follow the version" stays while the box shows what the version would give.
    const bool longNames = longNamesCheckBox_->isChecked();
    const bool followsVersion = longNames == (format.rinexVersion == 3);
    format.longNames = shownFormat_.longNames < 0 && followsVersion ? -1 : longNames ? 1 : 0;
    const std::string country = countryEdit_->text().toUpper().toStdString();
    format.country = ValidCountryCode(country) ? country : "XXX";
    return format;
}

void ObsFileDialog::ShowFormat(const OutputFormat& format) {
    shownFormat_ = format;
    const QSignalBlocker blockVersion(versionComboBox_);
    const QSignalBlocker blockCompress(compressComboBox_);
    versionComboBox_->setCurrentIndex(format.rinexVersion == 3 ? 1 : 0);
    compressComboBox_->setCurrentIndex(compressComboBox_->findData(
        QString::fromLatin1(CompressionName(format.compact, format.gzip).data())));
    longNamesCheckBox_->setChecked(format.LongNames());
    countryEdit_->setText(Q(format.country));
}

void ObsFileDialog::OnOutputFormatChange() {
    const bool rinex3 = versionComboBox_->currentData().toInt() == 3;
    // Long names are the RINEX 3 default.
    if (rinex3 != (shownFormat_.rinexVersion == 3) && shownFormat_.longNames < 0)
        longNamesCheckBox_->setChecked(rinex3);
    // Only the outputs' names change; companions the user chose stay.
    DerivedObsNames derived;
    if (!DeriveObsNames(S(edits_[kBFile]->text()), derived, ChosenFormat())) return;
    derivedObs_ = derived.obsFile;
    derivedNav_ = derived.navFile;
    names_[kObsFile] = derived.obsFile;
    names_[kNavFile] = derived.navFile;
    names_[kNavGFile] = derived.navGFile;
    for (Name name : {kObsFile, kNavFile, kNavGFile})
        edits_[name]->setText(Q(names_[name]));
}

void ObsFileDialog::RefreshEdits() {
    for (int i = 0; i < kNameCount; ++i)
        edits_[i]->setText(Q(names_[i]));
}

bool ObsFileDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edits_[kBFile] && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A popup menu or another window taking the focus is not leaving the edit.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && isVisible())
            OnBFileNameEditExit();
    }
    return QDialog::eventFilter(watched, event);
}

void ObsFileDialog::OnBFileNameEditExit() {
    DeriveNames(S(edits_[kBFile]->text()));
}

void ObsFileDialog::DeriveNames(const std::string& bFileName) {
    DerivedObsNames derived;
    if (!DeriveObsNames(bFileName, derived, ChosenFormat())) return;
    derivedObs_ = derived.obsFile;
    derivedNav_ = derived.navFile;
    names_ = {derived.bFile,   derived.eFile,   derived.sFile,   derived.ionFile,
              derived.obsFile, derived.navFile, derived.navGFile};
    RefreshEdits();
}

void ObsFileDialog::Browse(Name name, bool source, int filterIndex, const QString& title) {
    const BrowseLocation start = BrowseLocationFor(S(edits_[name]->text()), !source);
    ObsFileDialogRequest request;
    request.objectName =
        source ? QStringLiteral("SourceFileOpenDialog") : QStringLiteral("DestFileOpenDialog");
    request.title = title;
    request.directory = start.directory;
    request.fileName = start.fileName;
    request.filters = ConvertDialogFilter(source ? kSourceFileFilter : kDestFileFilter);
    request.filterIndex = filterIndex;
    request.fileMustExist = source;
    request.save = !source;
    const QString chosen =
        DialogRunner() ? DialogRunner()(this, request) : RunRealFileDialog(this, request);
    if (chosen.isEmpty()) return;
    UserSettings::RememberFolder(chosen);
    if (name == kBFile) {
        DeriveNames(S(chosen));
        return;
    }
    names_[name] = S(chosen);
    edits_[name]->setText(chosen);
}

void ObsFileDialog::OnBFileBrowseBtnClick() {
    Browse(kBFile, true, 0, QStringLiteral("Select Source B-File"));
}
void ObsFileDialog::OnEFileBrowseBtnClick() {
    Browse(kEFile, true, 1, QStringLiteral("Select Source E-File"));
}
void ObsFileDialog::OnSFileBrowseBtnClick() {
    Browse(kSFile, true, 2, QStringLiteral("Select Source S-File"));
}
void ObsFileDialog::OnIonFileBrowseBtnClick() {
    Browse(kIonFile, true, 3, QStringLiteral("Select Source Ion-File"));
}
void ObsFileDialog::OnDestObsBrowseBtnClick() {
    Browse(kObsFile, false, 0, QStringLiteral("Select Target RINEX Observation File"));
}
void ObsFileDialog::OnDestNavBrowseBtnClick() {
    Browse(kNavFile, false, 1, QStringLiteral("Select Target RINEX Navigation File"));
}
void ObsFileDialog::OnDestNavGBrowseBtnClick() {
    Browse(kNavGFile, false, 2, QStringLiteral("Select Target RINEX GLONASS Nav. File"));
}

bool ObsFileDialog::ConfirmOverwrite(Name name, const char* question) {
    if (!FileExists(names_[name])) return true;
    const QString text = Q(names_[name]) + QStringLiteral("\n\n") + QString::fromLatin1(question);
    if (MessageBox::question(this, QStringLiteral("File Already Exists"), text) == QMessageBox::Yes)
        return true;
    edits_[name]->setFocus(Qt::OtherFocusReason);
    return false;
}

void ObsFileDialog::OnOKBtnClick() {
    for (int i = 0; i < kNameCount; ++i)
        names_[i] = S(edits_[i]->text());
    if (!ConfirmOverwrite(kObsFile, "Overwrite the existing RINEX Observation File?")) return;
    if (!ConfirmOverwrite(kNavFile, "Overwrite the existing RINEX Navigation File?")) return;
    if (!ConfirmOverwrite(kNavGFile, "Overwrite the existing RINEX GLONASS Navigation File?"))
        return;

    const OutputFormat format = ChosenFormat();
    // RINEX 3 writes both systems' navigation to one file.
    if (format.rinexVersion == 3) names_[kNavGFile].clear();

    StderrProblemSink fallback;
    ProblemSink& problems = ctx_.problems != nullptr ? *ctx_.problems : fallback;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool prepared =
        PrepareObsRun(ctx_.files, problems, names_[kBFile], names_[kEFile], names_[kNavGFile],
                      names_[kNavFile], names_[kObsFile], names_[kIonFile], names_[kSFile]);
    QApplication::restoreOverrideCursor();
    if (!prepared) return;

    ctx_.job.BFileName = names_[kBFile];
    ctx_.job.EFileName = names_[kEFile];
    ctx_.job.SFileName = names_[kSFile];
    ctx_.job.IonFileName = names_[kIonFile];
    ctx_.job.ObsFileName = names_[kObsFile];
    ctx_.job.NavFileName = names_[kNavFile];
    ctx_.job.NavGFileName = names_[kNavGFile];
    ctx_.job.Format = format;
    ctx_.job.ObsNamesAutomatic = names_[kObsFile] == derivedObs_ && names_[kNavFile] == derivedNav_;
    ctx_.config.Settings().Output = format;
    // The check of this run only: a command line's --qc never reaches a conversion started
    // here.
    ctx_.job.Qc = QcRequest{};
    ctx_.job.Qc.report = qualityCheckBox_->isChecked();

    ctx_.enableMenus(false);
    // A fresh record each run, so nothing of an earlier conversion stays in this one.
    ctx_.files.ObsHeader = ObsHeaderRecord{};
    FillObsHeader(ctx_.files.ObsHeader, ctx_.files.ObsReader,
                  ctx_.files.EFile.IsOpen() ? &ctx_.files.NavReader : nullptr, &ctx_.files.Site,
                  &ctx_.files.Ion);
    ctx_.files.NavHeader = NavHeaderRecord{};
    CopyIonToNavHeader(ctx_.files.NavHeader, ctx_.files.Ion);
    handedOver_ = true;
    headerWin_->ShowForRun();
    accept();
}

void ObsFileDialog::OnCancelBtnClick() {
    reject();
}

void ObsFileDialog::reject() {
    QDialog::reject();
    if (!handedOver_) ctx_.enableMenus(true);
}

}  // namespace kelvrant
