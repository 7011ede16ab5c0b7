#include "ReportPreviews.h"

#include <listcaster/ctlRowporter.h>

#include <QHeaderView>
#include <QResizeEvent>
#include <QTreeWidget>
#include <cmath>

#include "ReportFiles.h"
#include "core/AppError.h"
#include "platform/PrintListView.h"

namespace fd {

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

void ReportPreview::startInQueryOrder() {
    sortOrder_ = Qt::AscendingOrder;
    list_->header()->setSortIndicatorShown(false);
}

void ReportPreview::sortByColumn(int column) {
    sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(column, sortOrder_);
    list_->sortItems(column, sortOrder_);
}

// --- change requests

frmChangeRequestPreview::frmChangeRequestPreview(Globals& g, Dialogs& dialogs,
                                                 ReportFilterSource filter, QWidget* parent)
    : ReportPreview(g, std::move(filter), QStringLiteral("lvwChangeRequestReport"),
                    changeRequestListColumns(), kChangeLogFile, parent),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmChangeRequestPreview"));
    list_->setAccessibleName(QStringLiteral("Change requests"));
    setWindowTitle(kChangeRequestPreviewTitle);
    resize(kChangeRequestPreviewWidth, kChangeRequestPreviewHeight);
}

void frmChangeRequestPreview::populateChangeRequestPreview() {
    const bool ok = leaveOnError(*g_.errorLog, QStringLiteral("populateChangeRequestPreview"), [&] {
        list_->clear();
        startInQueryOrder();
        const std::vector<ChangeRequestRow> rows = readChangeRequests(*g_.gDB, filter_());
        ReportFileWriter file(reportFile(), changeLogHeader());
        ctlRowporter_->setVisible(!rows.empty());
        for (const ChangeRequestRow& r : rows) {
            auto* item = new QTreeWidgetItem(changeRequestListRow(r));
            item->setData(0, Qt::UserRole, r.date);
            list_->addTopLevelItem(item);
            file.writeLine(changeLogLine(r));
        }
        file.close();
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
    : ReportPreview(g, std::move(filter), QStringLiteral("lvwSubmissionReport"),
                    submissionListColumns(), kSubmissionLogFile, parent),
      printer_(std::move(printer)) {
    setObjectName(QStringLiteral("frmSubmissionReport"));
    list_->setAccessibleName(QStringLiteral("Submissions"));
    setWindowTitle(kSubmissionPreviewTitle);
    list_->setColumnWidth(0, twipsToPixels(kSubmissionDateWidth));
    list_->setColumnWidth(1, twipsToPixels(kSubmissionEngineWidth));
    list_->setColumnWidth(3, twipsToPixels(kSubmissionAnswerWidth));
    resize(kSubmissionPreviewWidth, kSubmissionPreviewHeight);
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
        startInQueryOrder();
        const std::vector<SubmissionRow> rows = readSubmissions(*g_.gDB, filter_());
        ReportFileWriter file(reportFile(), submissionLogHeader());
        ctlRowporter_->setVisible(!rows.empty());
        for (const SubmissionRow& r : rows) {
            auto* item = new QTreeWidgetItem(submissionListRow(r));
            item->setData(0, Qt::UserRole, reportDate(r.date));
            list_->addTopLevelItem(item);
            file.writeLine(submissionLogLine(r));
        }
        file.close();
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
                                               pixelsToTwips(list_->columnWidth(1)),
                                               pixelsToTwips(list_->columnWidth(3)));
    list_->setColumnWidth(2, twipsToPixels(rest));
}

}  // namespace fd
