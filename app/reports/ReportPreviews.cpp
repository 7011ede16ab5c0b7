#include "ReportPreviews.h"

#include <listcaster/ctlRowporter.h>

#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QResizeEvent>
#include <QTreeWidget>
#include <cmath>

#include "core/AppError.h"
#include "platform/PrintListView.h"

namespace fd {

namespace {

// The rows of a report query; a query that could not run fails here, on
// the first use of its result.
RecordsetPtr runReport(const Globals& g, const QString& sql) {
    RecordsetPtr rs = g.gDB->fnSQL_RS(sql);
    if (!rs)
        throw AppError(91, QStringLiteral("Object variable or With block variable not set"),
                       QStringLiteral("Farrowdale"));
    return rs;
}

// Creates (or empties) the report file and writes its header line.
void openReportFile(QFile& file, const QByteArray& header) {
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(header) < 0)
        throw AppError(err::kPermissionDenied,
                       QStringLiteral("Permission denied: ") + file.errorString(),
                       QStringLiteral("Farrowdale"));
}

void writeLine(QFile& file, const QByteArray& line) {
    if (file.write(line) < 0)
        throw AppError(err::kPermissionDenied, file.errorString(), QStringLiteral("Farrowdale"));
}

// The date as a list shows a date value: the short date, and the time when
// there is one.
QString listDate(const QDateTime& dt) {
    if (!dt.isValid()) return {};
    const QLocale locale;
    if (dt.time() == QTime(0, 0)) return locale.toString(dt.date(), QLocale::ShortFormat);
    return locale.toString(dt, QLocale::ShortFormat);
}

}  // namespace

ReportPreview::ReportPreview(Globals& g, ReportFilterSource filter, const QString& listName,
                             const QStringList& columns, const char* fileName, QWidget* parent)
    : QDialog(parent), g_(g), filter_(std::move(filter)), fileName_(fileName) {
    list_ = new QTreeWidget(this);
    list_->setObjectName(listName);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setColumnCount(static_cast<int>(columns.size()));
    list_->setHeaderLabels(columns);
    // The export control reads the column widths for printouts and
    // workbooks, so the last column keeps the width it is given.
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionsClickable(true);
    connect(list_->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { sortByColumn(column); });

    ctlRowporter_ = new listcaster::ctlRowporter(this);
    ctlRowporter_->setObjectName(QStringLiteral("ctlRowporter"));
    // Bound once, before the first population; afterwards only shown or hidden.
    ctlRowporter_->BindToListView(list_);
    ctlRowporter_->setVisible(false);
}

QString ReportPreview::reportFile() const {
    return g_.pathInFolder(QString::fromLatin1(fileName_));
}

int ReportPreview::twipsToPixels(int twips) const {
    return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0));
}

int ReportPreview::pixelsToTwips(int pixels) const {
    return static_cast<int>(std::lround(pixels * 1440.0 / logicalDpiX()));
}

void ReportPreview::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    ctlRowporter_->move(twipsToPixels(60), twipsToPixels(40));
    layoutWindow(pixelsToTwips(width()), pixelsToTwips(height()));
}

void ReportPreview::placeList(int top, int left, int width, int height) {
    list_->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                       twipsToPixels(height));
}

void ReportPreview::sortByColumn(int column) {
    sorted_ = true;
    sortColumn_ = column;
    sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(column, sortOrder_);
    list_->sortItems(column, sortOrder_);
}

// --- change requests

frmChangeRequestPreview::frmChangeRequestPreview(Globals& g, Dialogs& dialogs,
                                                 ReportFilterSource filter, QWidget* parent)
    : ReportPreview(
          g, std::move(filter), QStringLiteral("lvwChangeRequestReport"),
          {QStringLiteral("Date"), QStringLiteral("Root Web Site"), QStringLiteral("Web Page"),
           QStringLiteral("Page Title"), QStringLiteral("Description"), QStringLiteral("Keywords"),
           QStringLiteral("Revisit"), QStringLiteral("Author")},
          kChangeLogFile, parent),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmChangeRequestPreview"));
    setWindowTitle(QStringLiteral("Report Preview"));
    resize(900, 500);
}

void frmChangeRequestPreview::populateChangeRequestPreview() {
    const bool ok = leaveOnError(*g_.errorLog, QStringLiteral("populateChangeRequestPreview"), [&] {
        list_->clear();
        RecordsetPtr rs = runReport(g_, changeRequestQuery(filter_()));
        QFile file(reportFile());
        openReportFile(file, changeLogHeader());
        ctlRowporter_->setVisible(!rs->eof());
        for (; !rs->eof(); rs->moveNext()) {
            ChangeRequestRow r;
            r.date = storedDate(rs->field(QStringLiteral("SubmissionDate")));
            r.root = rs->field(QStringLiteral("RootWebSite"));
            r.webPage = rs->field(QStringLiteral("WebPage"));
            r.title = rs->field(QStringLiteral("PageTitle"));
            r.revisit = rs->field(QStringLiteral("Revisit"));
            r.author = rs->field(QStringLiteral("Author"));
            r.description = rs->field(QStringLiteral("Description"));
            r.keywords = rs->field(QStringLiteral("Keywords"));
            auto* item = new QTreeWidgetItem(
                QStringList{listDate(r.date), r.root, pageWithoutRoot(r.webPage, r.root), r.title,
                            r.description, r.keywords, r.revisit, r.author});
            item->setData(0, Qt::UserRole, r.date);
            list_->addTopLevelItem(item);
            writeLine(file, changeLogLine(r));
        }
        file.close();
        if (sorted_) list_->sortItems(sortColumn_, sortOrder_);
    });
    if (!ok)
        dialogs_.message(this,
                         QStringLiteral("Could not create files. Please check to make sure your "
                                        "Program folder is not 'Read Only'."),
                         kProductName);
}

void frmChangeRequestPreview::layoutWindow(int innerWidth, int innerHeight) {
    const QRect now = list_->geometry();
    int width = pixelsToTwips(now.width());
    int height = pixelsToTwips(now.height());
    if (innerWidth - 20 > 50) width = innerWidth - 20;
    if (innerHeight - 420 > 50) height = innerHeight - 420;
    placeList(400, 1, width, height);
    if (auto widths = changeRequestColumnWidths(innerWidth, list_->columnCount()))
        for (int c = 0; c < list_->columnCount(); ++c)
            list_->setColumnWidth(c, twipsToPixels((*widths)[static_cast<std::size_t>(c)]));
}

// --- submissions

frmSubmissionReport::frmSubmissionReport(Globals& g, ReportFilterSource filter,
                                         std::function<PrinterDevice*()> printer, QWidget* parent)
    : ReportPreview(
          g, std::move(filter), QStringLiteral("lvwSubmissionReport"),
          {QStringLiteral("Date"), QStringLiteral("Search Engine"), QStringLiteral("Web Page")},
          kSubmissionLogFile, parent),
      printer_(std::move(printer)) {
    setObjectName(QStringLiteral("frmSubmissionReport"));
    setWindowTitle(QStringLiteral("Web Site Submission Report"));
    list_->setColumnWidth(0, twipsToPixels(1200));
    list_->setColumnWidth(1, twipsToPixels(2400));
    resize(760, 460);
    // After sorting, the headers and the first three rows go to the default
    // printer; the printed lines stay in its open job.
    connect(list_->header(), &QHeaderView::sectionClicked, this, [this] {
        leaveOnError(*g_.errorLog, QStringLiteral("lvwSubmissionReport_ColumnClick"), [this] {
            if (PrinterDevice* printer = printer_ ? printer_() : nullptr)
                PrintListView(list_, 3, *printer, *g_.errorLog);
        });
    });
}

void frmSubmissionReport::populateSubmissionPreview() {
    leaveOnError(*g_.errorLog, QStringLiteral("populateSubmissionPreview"), [&] {
        list_->clear();
        RecordsetPtr rs = runReport(g_, submissionQuery(filter_()));
        QFile file(reportFile());
        openReportFile(file, submissionLogHeader());
        ctlRowporter_->setVisible(!rs->eof());
        for (; !rs->eof(); rs->moveNext()) {
            SubmissionRow r;
            r.date = storedDate(rs->field(QStringLiteral("SubmitDate")));
            r.engine = rs->field(QStringLiteral("SearchEngineName"));
            r.baseUrl = rs->field(QStringLiteral("WebSiteBaseURL"));
            r.pageUrl = rs->field(QStringLiteral("PageURL"));
            const QString address = submissionPageAddress(r.baseUrl, r.pageUrl);
            auto* item = new QTreeWidgetItem(
                QStringList{reportDate(r.date), r.engine, submissionListAddress(address)});
            item->setData(0, Qt::UserRole, reportDate(r.date));
            list_->addTopLevelItem(item);
            writeLine(file, submissionLogLine(r));
        }
        file.close();
        if (sorted_) list_->sortItems(sortColumn_, sortOrder_);
    });
}

void frmSubmissionReport::layoutWindow(int innerWidth, int innerHeight) {
    const QRect now = list_->geometry();
    int width = pixelsToTwips(now.width());
    int height = pixelsToTwips(now.height());
    if (innerWidth - 20 > 0) width = innerWidth - 20;
    if (innerHeight - 420 > 0) height = innerHeight - 420;
    placeList(400, 1, width, height);
    const int rest = submissionLastColumnWidth(width, pixelsToTwips(list_->columnWidth(0)),
                                               pixelsToTwips(list_->columnWidth(1)));
    list_->setColumnWidth(2, twipsToPixels(rest));
}

}  // namespace fd
