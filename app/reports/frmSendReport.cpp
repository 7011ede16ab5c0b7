#include "frmSendReport.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ReportFiles.h"
#include "ReportPreviews.h"
#include "core/AppError.h"
#include "platform/Accessibility.h"
#include "platform/Upload.h"

namespace fd {

frmSendReport::frmSendReport(ReportServices services, QWidget* parent)
    : QDialog(parent), s_(std::move(services)) {
    setObjectName(QStringLiteral("frmSendReport"));
    setWindowTitle(QStringLiteral("Create a Report"));
    buildControls();
    formLoad();
}

frmSendReport::~frmSendReport() = default;

void frmSendReport::buildControls() {
    auto label = [this](const char* name, const char* caption, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->setObjectName(QString::fromUtf8(name));
        l->setBuddy(buddy);
        return l;
    };
    auto button = [this](const char* name, const char* caption, const char* tip) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        if (*tip) b->setToolTip(QString::fromUtf8(tip));
        return b;
    };

    cboReportList_ = new QComboBox(this);
    cboReportList_->setObjectName(QStringLiteral("cboReportList"));
    cboReportList_->setToolTip(QStringLiteral("Choose the type of report you are interested in."));
    nameComboBoxParts(cboReportList_, QStringLiteral("Report"));

    lstWebSiteFilter_ = new QListWidget(this);
    lstWebSiteFilter_->setObjectName(QStringLiteral("lstWebSiteFilter"));
    lstWebSiteFilter_->setSelectionMode(QAbstractItemView::MultiSelection);
    lstWebSiteFilter_->setAccessibleName(QStringLiteral("Web Site Filter"));
    lstWebSiteFilter_->setToolTip(
        QStringLiteral("Select which sites you want to report. Select as many as you would like."));

    const QString dateTip =
        QStringLiteral("Select the start and end dates of the report you wish to make.");
    const QString dateFormat = QLocale().dateFormat(QLocale::ShortFormat);
    for (auto [edit, name] :
         {std::pair{&dtChangesFrom_, "dtChangesFrom"}, std::pair{&dtChangesTo_, "dtChangesTo"}}) {
        *edit = new QDateTimeEdit(this);
        (*edit)->setObjectName(QString::fromUtf8(name));
        (*edit)->setCalendarPopup(true);
        (*edit)->setDisplayFormat(dateFormat);
        (*edit)->setToolTip(dateTip);
    }
    dtChangesTo_->installEventFilter(this);
    dtChangesFrom_->setAccessibleName(QStringLiteral("Start date"));
    dtChangesTo_->setAccessibleName(QStringLiteral("End date"));

    txtSendReportTo_ = new QLineEdit(this);
    txtSendReportTo_->setObjectName(QStringLiteral("txtSendReportTo"));
    txtSendReportTo_->setToolTip(
        QStringLiteral("Enter the email address of the person you want the report sent to."));

    cmdPreviewReport_ = button("cmdPreviewReport", "&View Report", "Preview your report.");
    cmdCreateChangeReport_ =
        button("cmdCreateChangeReport", "E&xport Report", "Export your report to a text file.");
    cmdSendChangeRequestReport_ = button("cmdSendChangeRequestReport", "&Submit Report", "");

    auto* grid = new QGridLayout(this);
    int r = 0;
    grid->addWidget(label("lblReportList", "Report:", cboReportList_), r, 0);
    grid->addWidget(cboReportList_, r, 1, 1, 3);
    ++r;
    auto* filterCaption = new QVBoxLayout;
    filterCaption->addWidget(label("lblWebSiteFilter", "&Web Site Filter:", lstWebSiteFilter_));
    auto* optional = new QLabel(QStringLiteral("(Optional)"), this);
    optional->setObjectName(QStringLiteral("lblOptional"));
    filterCaption->addWidget(optional);
    filterCaption->addStretch(1);
    grid->addLayout(filterCaption, r, 0);
    grid->addWidget(lstWebSiteFilter_, r, 1, 1, 3);
    ++r;
    grid->addWidget(label("lblDateRange", "&Date Range:", dtChangesFrom_), r, 0);
    grid->addWidget(dtChangesFrom_, r, 1);
    auto* to = new QLabel(QStringLiteral("to"), this);
    to->setObjectName(QStringLiteral("lblTo"));
    grid->addWidget(to, r, 2);
    grid->addWidget(dtChangesTo_, r, 3);
    ++r;
    grid->addWidget(label("lblSendReportTo", "&Send Report to:", txtSendReportTo_), r, 0);
    grid->addWidget(txtSendReportTo_, r, 1, 1, 3);
    ++r;
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPreviewReport_);
    buttons->addWidget(cmdCreateChangeReport_);
    buttons->addWidget(cmdSendChangeRequestReport_);
    grid->addLayout(buttons, r, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    connect(cmdPreviewReport_, &QPushButton::clicked, this, [this] { cmdPreviewReport_Click(); });
    connect(cmdCreateChangeReport_, &QPushButton::clicked, this,
            [this] { cmdCreateChangeReport_Click(); });
    connect(cmdSendChangeRequestReport_, &QPushButton::clicked, this,
            [this] { cmdSendChangeRequestReport_Click(); });
}

void frmSendReport::formLoad() {
    ResumeTrap trap(*s_.g.errorLog, QStringLiteral("frmSendReport_Form_Load"));
    trap.step([&] { txtSendReportTo_->setText(s_.reportEmail); });
    // Nothing shows the upload button: reports go out only on request.
    trap.step([&] { cmdSendChangeRequestReport_->setVisible(false); });
    trap.step([&] {
        lstWebSiteFilter_->clear();
        RecordsetPtr rs = s_.g.gDB->fnSQL_RS(
            QStringLiteral("Select distinct RootWebSite from WebPageUpdateRequests"));
        if (!rs)
            throw AppError(91, QStringLiteral("Object variable or With block variable not set"),
                           QStringLiteral("Farrowdale"));
        // Each root goes to the top, so the list shows them in reverse order.
        for (; !rs->eof(); rs->moveNext())
            lstWebSiteFilter_->insertItem(0, rs->field(QStringLiteral("RootWebSite")));
    });
    trap.step([&] {
        const QDateTime now = QDateTime::currentDateTime();
        dtChangesTo_->setDateTime(now);
        dtChangesFrom_->setDateTime(now.addDays(-30));
    });
    trap.step([&] {
        cboReportList_->clear();
        cboReportList_->addItem(QStringLiteral("Change Requests"));
        cboReportList_->addItem(QStringLiteral("Search Engine Submissions"));
        cboReportList_->setCurrentIndex(0);
    });
}

ReportType frmSendReport::reportType() const {
    return cboReportList_->currentIndex() == 1 ? ReportType::Submissions
                                               : ReportType::ChangeRequests;
}

ReportFilter frmSendReport::filter() const {
    ReportFilter f{dtChangesFrom_->dateTime(), dtChangesTo_->dateTime(), {}};
    for (int i = 0; i < lstWebSiteFilter_->count(); ++i)
        if (lstWebSiteFilter_->item(i)->isSelected()) f.sites << lstWebSiteFilter_->item(i)->text();
    return f;
}

bool frmSendReport::eventFilter(QObject* watched, QEvent* e) {
    // The end date may equal the start, never come before it. Checked once,
    // when the user leaves the end picker: opening its calendar, or the
    // message box taking the focus, is not leaving it.
    if (watched == dtChangesTo_ && e->type() == QEvent::FocusOut && !checkingEndDate_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            dtChangesFrom_->dateTime() > dtChangesTo_->dateTime()) {
            checkingEndDate_ = true;
            s_.dialogs.message(this,
                               QStringLiteral("Please select an End Date after the Start date."),
                               kProductName);
            checkingEndDate_ = false;
            // Back to the picker once the focus has finished moving on.
            QTimer::singleShot(0, dtChangesTo_,
                               [this] { dtChangesTo_->setFocus(Qt::OtherFocusReason); });
        }
    }
    return QDialog::eventFilter(watched, e);
}

frmChangeRequestPreview* frmSendReport::changeRequestPreview() {
    if (!changePreview_)
        changePreview_ = new frmChangeRequestPreview(
            s_.g, s_.dialogs, [this] { return filter(); }, this);
    return changePreview_;
}

frmSubmissionReport* frmSendReport::submissionPreview() {
    if (!submissionPreview_)
        submissionPreview_ = new frmSubmissionReport(
            s_.g, [this] { return filter(); }, s_.printer, this);
    return submissionPreview_;
}

QString frmSendReport::populateChosenReport() {
    if (reportType() == ReportType::ChangeRequests) {
        changeRequestPreview()->populateChangeRequestPreview();
        return changeRequestPreview()->reportFile();
    }
    submissionPreview()->populateSubmissionPreview();
    return submissionPreview()->reportFile();
}

void frmSendReport::cmdPreviewReport_Click() {
    leaveOnError(*s_.g.errorLog, QStringLiteral("cmdPreviewReport_Click"), [this] {
        ReportPreview* preview = reportType() == ReportType::ChangeRequests
                                     ? static_cast<ReportPreview*>(changeRequestPreview())
                                     : submissionPreview();
        populateChosenReport();
        preview->setModal(true);
        preview->exec();
    });
}

void frmSendReport::cmdCreateChangeReport_Click() {
    leaveOnError(*s_.g.errorLog, QStringLiteral("cmdCreateChangeReport_Click"), [this] {
        const QString report = populateChosenReport();
        FileDialogRequest request;
        request.title = kProductName;
        request.filter = QStringLiteral("Text (*.txt)|*.txt|");
        request.overwritePrompt = true;
        const std::optional<QString> target = s_.dialogs.saveFile(this, request);
        if (!target || target->isEmpty()) return;
        // Copying the file onto itself would first delete it.
        if (QFileInfo(*target).absoluteFilePath() == QFileInfo(report).absoluteFilePath()) return;
        exportReportFile(report, *target);
    });
}

void frmSendReport::cmdSendChangeRequestReport_Click() {
    try {
        const bool changes = reportType() == ReportType::ChangeRequests;
        const QString report = populateChosenReport();
        if (!QFile::exists(report)) {
            s_.dialogs.message(this, QStringLiteral("There are no recent changes to submit."),
                               kProductName);
            return;
        }
        InetTransfer* inet = s_.transfer ? s_.transfer() : nullptr;
        if (!inet)
            throw AppError(91, QStringLiteral("Object variable or With block variable not set"),
                           QStringLiteral("Farrowdale"));
        UploadTarget target;
        target.user = s_.g.gFTPUserName;
        target.password = s_.g.gFTPPassword;
        UploadRequest request;
        request.localPath = report;
        request.remoteName =
            (changes ? QStringLiteral("UR-") : QStringLiteral("SR-")) + s_.installationId + ".txt";
        request.routine = QStringLiteral("cmdSendChangeRequestReport_Click");
        request.failureMessage = kUploadConnectionErrorMessage;
        request.connectionFailed = [this](const AppError& e) { reportUploadError(e); };
        request.context = this;
        runUpload(*inet, s_.dialogs, *s_.g.errorLog, this, target, request);
    } catch (const std::exception& e) {
        reportUploadError(e);
    }
}

void frmSendReport::reportUploadError(const std::exception& e) {
    const auto* app = dynamic_cast<const AppError*>(&e);
    s_.dialogs.message(this,
                       QStringLiteral("The following error occured: ") +
                           (app ? app->description() : QString::fromLocal8Bit(e.what())),
                       kProductName);
}

}  // namespace fd
