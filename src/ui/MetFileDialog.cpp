#include "ui/MetFileDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "run/RunFiles.h"
#include "ui/MessageBox.h"
#include "ui/MetHeaderDialog.h"
#include "ui/UserSettings.h"
#include "ui/WindowFit.h"

namespace kelvrant {
namespace {

QString Path(const std::string& path) {
    return QString::fromStdString(path);
}

std::string PathOf(const QLineEdit* edit) {
    return edit->text().toStdString();
}

std::string Latin1(const QLineEdit* edit) {
    const QByteArray bytes = edit->text().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString Text(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList FilterList(const QString& barSeparated) {
    QStringList list;
    for (const std::string& entry : DialogFilterEntries(barSeparated.toStdString()))
        list << QString::fromStdString(entry);
    return list;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

// Fills the directory and file name of a dialog request from the text of the button's edit.
void StartAt(FileDialogRequest& request, const std::string& text) {
    const BrowseLocation start = BrowseLocationFor(text, request.save);
    request.directory = start.directory;
    request.fileName = start.fileName;
}

}  // namespace

std::optional<QString> RunQtFileDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, request.directory);
    dialog.setNameFilters(request.filters);
    if (!request.selectedFilter.isEmpty()) dialog.selectNameFilter(request.selectedFilter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Overwriting is asked about at OK.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

MetFileDialog::MetFileDialog(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), runFileDialog_(RunQtFileDialog) {
    setObjectName(QStringLiteral("MetFileDialog"));
    setWindowTitle(QStringLiteral("RINEX Meteorological File Selection"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto makeEdit = [this](QWidget* owner, const char* name, const char* hint, int maxLength) {
        auto* edit = new QLineEdit(owner);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setToolTip(QString::fromLatin1(hint));
        if (maxLength > 0) edit->setMaxLength(maxLength);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this, edit] {
            if (refusedEdit_ == edit) refusedEdit_ = nullptr;
        });
        return edit;
    };
    auto makeButton = [](QWidget* owner, const char* name, const char* caption, const char* hint) {
        auto* button = new QPushButton(QString::fromLatin1(caption), owner);
        button->setObjectName(QString::fromLatin1(name));
        if (hint != nullptr) button->setToolTip(QString::fromLatin1(hint));
        button->setAutoDefault(false);
        return button;
    };

    auto* source = new QGroupBox(QStringLiteral(" Source Meteorological Data File "), this);
    source->setObjectName(QStringLiteral("SourceGroupBox"));
    inMetFileEdit_ =
        makeEdit(source, "InMetFileEdit", "The path and name of the input met. data file", 0);
    auto* inBrowse = makeButton(source, "IntMetFileBrowseBtn", "Browse ...",
                                "Push to browse disks for Ashtech raw meteorological data files");

    auto* startDay = new QGroupBox(QStringLiteral(" Start Day of Data "), source);
    startDay->setObjectName(QStringLiteral("StartDayGroupBox"));
    gpsWkEdit_ = makeEdit(startDay, "GPSWkEdit", "GPS Week of the start of Met. data file", 5);
    gpsWkSecEdit_ = makeEdit(startDay, "GPSWkSecEdit",
                             "Seconds of GPS Week of the start of Met. data file", 10);
    yearEdit_ = makeEdit(startDay, "YearEdit", "Year of the start of Met. data file", 5);
    monthEdit_ = makeEdit(startDay, "MonthEdit", "Month of the start of Met. data file", 3);
    dayEdit_ = makeEdit(startDay, "DayEdit", "Day of month of the start of Met. data file", 3);
    utcToGpsEdit_ =
        makeEdit(source, "UTCtoGPSEdit", "UTC plus this values gives GPS time (Jan 1999 = 13)", 3);

    auto label = [](QWidget* owner, const char* name, const char* caption, QLineEdit* buddy) {
        auto* l = new QLabel(QString::fromLatin1(caption), owner);
        l->setObjectName(QString::fromLatin1(name));
        l->setBuddy(buddy);
        return l;
    };
    auto* dayGrid = new QGridLayout(startDay);
    dayGrid->addWidget(label(startDay, "GPSWkLabel", "GPS Week:", gpsWkEdit_), 0, 0);
    dayGrid->addWidget(gpsWkEdit_, 0, 1);
    dayGrid->addWidget(label(startDay, "GPSWkSecLabel", "Seconds of Week:", gpsWkSecEdit_), 0, 2);
    dayGrid->addWidget(gpsWkSecEdit_, 0, 3);
    dayGrid->addWidget(label(startDay, "YearLabel", "Year:", yearEdit_), 1, 0);
    dayGrid->addWidget(yearEdit_, 1, 1);
    dayGrid->addWidget(label(startDay, "MonthLabel", "Month:", monthEdit_), 1, 2);
    dayGrid->addWidget(monthEdit_, 1, 3);
    dayGrid->addWidget(label(startDay, "DayLabel", "Day:", dayEdit_), 1, 4);
    dayGrid->addWidget(dayEdit_, 1, 5);

    auto* sourceLayout = new QGridLayout(source);
    sourceLayout->addWidget(inMetFileEdit_, 0, 0, 1, 2);
    sourceLayout->addWidget(inBrowse, 0, 2);
    sourceLayout->addWidget(startDay, 1, 0, 1, 3);
    sourceLayout->addWidget(
        label(source, "UTCtoGPSLabel", "Leap Seconds (UTC To GPS): ", utcToGpsEdit_), 2, 0);
    sourceLayout->addWidget(utcToGpsEdit_, 2, 1);

    auto* target = new QGroupBox(QStringLiteral(" Target RINEX File "), this);
    target->setObjectName(QStringLiteral("TargetGroupBox"));
    outMetFileEdit_ = makeEdit(target, "OutMetFileEdit",
                               "The path and name of the output RINEX Meteorological File", 0);
    auto* destBrowse = makeButton(target, "DestMetBrowseBtn", "Browse ...",
                                  "Push to browse disk and select/name output Meteorological file");
    auto* targetLayout = new QHBoxLayout(target);
    targetLayout->addWidget(outMetFileEdit_, 1);
    targetLayout->addWidget(destBrowse);

    okBtn_ = makeButton(this, "OKBtn", "OK", nullptr);
    okBtn_->setDefault(true);
    cancelBtn_ = makeButton(this, "CancelBtn", "Cancel", "Push to cancel operation");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okBtn_);
    buttons->addWidget(cancelBtn_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(target);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    inMetFileEdit_->setMinimumWidth(360);

    connect(inBrowse, &QPushButton::clicked, this, &MetFileDialog::OnIntMetFileBrowseBtnClick);
    connect(destBrowse, &QPushButton::clicked, this, &MetFileDialog::OnDestMetBrowseBtnClick);
    connect(okBtn_, &QPushButton::clicked, this, &MetFileDialog::OnOKBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &MetFileDialog::OnCancelBtnClick);

    // The header window is a window of its own beside this one (not a child, so that hiding
    // this window leaves it shown).
    headWin_ = new MetHeaderDialog(ctx_, parent);
    ownsHeadWin_ = parent == nullptr;
}

MetFileDialog::~MetFileDialog() {
    if (ownsHeadWin_) delete headWin_.data();
}

void MetFileDialog::SetFileDialogRunner(FileDialogRunner runner) {
    runFileDialog_ = runner ? std::move(runner) : FileDialogRunner(RunQtFileDialog);
}

void MetFileDialog::ShowWindow() {
    ctx_.enableMenus(false);
    show();
    raise();
    activateWindow();
}

void MetFileDialog::ShowWithInput(const std::string& metLog) {
    ShowWindow();
    inMetFileEdit_->setText(Path(metLog));
    DeriveNames(metLog, true);
}

std::string MetFileDialog::SiteName() const {
    return ctx_.config.GetSiteName();
}

void MetFileDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) OnWinShow();
}

void MetFileDialog::OnWinShow() {
    StartMetSelectionToday(selection_, NowUtc(*ctx_.clock), ctx_.config.GetMetUtc2Gps());
    if (!placed_) {
        placed_ = true;
        if (ctx_.mainWindow != nullptr) {
            const QRect frame = ctx_.mainWindow->frameGeometry();
            MoveFrameTo(this, QPoint(frame.left(), frame.top() + 20));
        }
    }
    RewriteNameEdits();
    RewriteDateEdits();
    if (!selection_.inFileName.empty()) DeriveNames(selection_.inFileName, true);
    proceeding_ = false;
    refusedEdit_ = nullptr;
}

void MetFileDialog::done(int result) {
    QDialog::done(result);
    OnWinClose();
}

void MetFileDialog::OnWinClose() {
    if (!proceeding_) ctx_.enableMenus(true);
}

void MetFileDialog::RewriteNameEdits() {
    inMetFileEdit_->setText(Path(selection_.inFileName));
    outMetFileEdit_->setText(Path(selection_.outFileName));
}

void MetFileDialog::RewriteDateEdits() {
    const MetSelectionTexts t = FormatMetSelection(selection_);
    gpsWkEdit_->setText(Text(t.week));
    gpsWkSecEdit_->setText(Text(t.seconds));
    yearEdit_->setText(Text(t.year));
    monthEdit_->setText(Text(t.month));
    dayEdit_->setText(Text(t.day));
    utcToGpsEdit_->setText(Text(t.leapSeconds));
}

void MetFileDialog::DeriveNames(const std::string& inputPath, bool fromInputName) {
    if (!UpdateMetNames(selection_, inputPath, fromInputName, SiteName())) return;
    RewriteNameEdits();
    RewriteDateEdits();
}

void MetFileDialog::OnInMetNameEditExit() {
    DeriveNames(PathOf(inMetFileEdit_), true);
}

QLineEdit* MetFileDialog::EditOf(MetEntry entry) const {
    switch (entry) {
        case MetEntry::kWeek:
            return gpsWkEdit_;
        case MetEntry::kSeconds:
            return gpsWkSecEdit_;
        case MetEntry::kYear:
            return yearEdit_;
        case MetEntry::kMonth:
            return monthEdit_;
        case MetEntry::kDay:
            return dayEdit_;
        case MetEntry::kLeapSeconds:
            break;
    }
    return utcToGpsEdit_;
}

bool MetFileDialog::OnEntryExit(MetEntry entry) {
    QLineEdit* edit = EditOf(entry);
    if (!ApplyMetEntry(selection_, entry, Latin1(edit))) {
        MessageBox::stop(this, Text(mettext::kDataEntryTitle), Text(MetEntryMessage(entry)));
        refusedEdit_ = edit;
        edit->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (entry == MetEntry::kLeapSeconds) return true;
    // The date fields follow the accepted entry even when no input file is chosen yet; the
    // names follow when the input names an existing file.
    RewriteDateEdits();
    DeriveNames(PathOf(inMetFileEdit_), false);
    return true;
}

bool MetFileDialog::OnGPSWkEditExit() {
    return OnEntryExit(MetEntry::kWeek);
}
bool MetFileDialog::OnGPSWkSecEditExit() {
    return OnEntryExit(MetEntry::kSeconds);
}
bool MetFileDialog::OnYearEditExit() {
    return OnEntryExit(MetEntry::kYear);
}
bool MetFileDialog::OnMonthEditExit() {
    return OnEntryExit(MetEntry::kMonth);
}
bool MetFileDialog::OnDayEditExit() {
    return OnEntryExit(MetEntry::kDay);
}
bool MetFileDialog::UTCtoGPSEditExit() {
    return OnEntryExit(MetEntry::kLeapSeconds);
}

bool MetFileDialog::OnEditExit(QLineEdit* edit) {
    if (edit == inMetFileEdit_) {
        OnInMetNameEditExit();
        return true;
    }
    if (edit == outMetFileEdit_) {
        OnOutMetFileEditExit();
        return true;
    }
    if (edit == gpsWkEdit_) return OnGPSWkEditExit();
    if (edit == gpsWkSecEdit_) return OnGPSWkSecEditExit();
    if (edit == yearEdit_) return OnYearEditExit();
    if (edit == monthEdit_) return OnMonthEditExit();
    if (edit == dayEdit_) return OnDayEditExit();
    if (edit == utcToGpsEdit_) return UTCtoGPSEditExit();
    return true;
}

bool MetFileDialog::CommitFocusedEdit() {
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (edit == nullptr || edit->window() != this) return true;
    if (edit == refusedEdit_) return false;  // reported already; the entry is still wrong
    inExit_ = true;
    const bool accepted = OnEditExit(edit);
    inExit_ = false;
    return accepted;
}

bool MetFileDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !inExit_) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A popup or another window taking the focus is not leaving the edit; nor is the
        // window closing, or the user going for Cancel.
        if (edit != nullptr && edit->window() == this && reason != Qt::PopupFocusReason &&
            reason != Qt::ActiveWindowFocusReason && isVisible() &&
            QApplication::focusWidget() != cancelBtn_) {
            inExit_ = true;
            OnEditExit(edit);
            inExit_ = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MetFileDialog::OnIntMetFileBrowseBtnClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Select Source Meteorological");
    request.filters = FilterList(kMetSourceFilter);
    request.selectedFilter = request.filters.front();
    request.fileMustExist = true;
    StartAt(request, PathOf(inMetFileEdit_));
    const std::optional<QString> chosen = runFileDialog_(this, request);
    if (!chosen) return;
    UserSettings::RememberFolder(*chosen);
    inMetFileEdit_->setText(*chosen);
    DeriveNames(chosen->toStdString(), true);
}

void MetFileDialog::OnDestMetBrowseBtnClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Select Target RINEX Meteorological File");
    request.filters = FilterList(kMetDestFilter);
    request.selectedFilter = request.filters.front();
    request.fileMustExist = false;
    request.save = true;
    StartAt(request, PathOf(outMetFileEdit_));
    const std::optional<QString> chosen = runFileDialog_(this, request);
    if (!chosen) return;
    UserSettings::RememberFolder(*chosen);
    selection_.outFileName = chosen->toStdString();
    outMetFileEdit_->setText(*chosen);
}

void MetFileDialog::OnOKBtnClick() {
    if (!CommitFocusedEdit()) return;
    selection_.inFileName = PathOf(inMetFileEdit_);
    selection_.outFileName = PathOf(outMetFileEdit_);
    if (FileExists(selection_.outFileName)) {
        const std::string_view question = mettext::kOverwriteQuestion;
        const std::size_t at = question.find("%s");
        const QString text = Text(question.substr(0, at)) + Path(selection_.outFileName) +
                             Text(question.substr(at + 2));
        const auto answer = MessageBox::question(this, Text(mettext::kOverwriteTitle), text);
        if (answer != QMessageBox::Yes) {
            inMetFileEdit_->setFocus(Qt::OtherFocusReason);
            return;
        }
    }

    StderrProblemSink fallback;
    ProblemSink& problems = ctx_.problems != nullptr ? *ctx_.problems : fallback;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool prepared =
        PrepareMetRun(ctx_.files, problems, selection_.inFileName, selection_.outFileName);
    QApplication::restoreOverrideCursor();
    if (!prepared) return;

    ctx_.enableMenus(false);
    ctx_.job.MetInFileName = selection_.inFileName;
    ctx_.job.MetOutFileName = selection_.outFileName;
    ctx_.job.MetStartWeek = selection_.startWeek;
    ctx_.job.MetStartSeconds = selection_.startSeconds;
    ctx_.job.MetUtcToGps = selection_.leapSeconds;
    // The met windows name a RINEX 2 file; the output format chosen for observation files
    // stays with them.
    ctx_.job.Format = OutputFormat{};
    ctx_.config.SetMetUtc2Gps(selection_.leapSeconds);
    if (headWin_ != nullptr) headWin_->ShowWindow();
    proceeding_ = true;
    accept();
}

void MetFileDialog::OnCancelBtnClick() {
    reject();
}

}  // namespace kelvrant
