#pragma once
// The two report windows: a list of the report's rows under the list export
// control, sorted by a click on a column header. Populating a window runs its
// report query with the report dialog's current values, refills the list in
// query order and rewrites the report file in the program folder.

#include <QDialog>
#include <functional>

#include "ReportLogic.h"
#include "core/Globals.h"
#include "platform/Dialogs.h"
#include "platform/PrinterDevice.h"

class QTreeWidget;
namespace listcaster {
class ctlRowporter;
}

namespace fd {

// The report dialog's values at the moment a report is populated.
using ReportFilterSource = std::function<ReportFilter()>;

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    QTreeWidget* list() const { return list_; }
    listcaster::ctlRowporter* rowporter() const { return ctlRowporter_; }
    // The report file in the program folder.
    QString reportFile() const;

protected:
    ReportPreview(Globals& g, ReportFilterSource filter, const QString& listName,
                  const QStringList& columns, const char* fileName, QWidget* parent);
    void resizeEvent(QResizeEvent* e) override;
    // Lays the list out under the control; widths in twips.
    virtual void layoutWindow(int innerWidth, int innerHeight) = 0;
    // Turns sorting on, toggles the order and sorts by the column's text.
    void sortByColumn(int column);
    // Every population starts as a new window would: rows in query order,
    // no sort indicator, and the first column click sorting descending.
    void startInQueryOrder();
    void placeList(int top, int left, int width, int height);
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

    Globals& g_;
    ReportFilterSource filter_;
    QTreeWidget* list_ = nullptr;
    listcaster::ctlRowporter* ctlRowporter_ = nullptr;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    const char* fileName_;
};

// "Report Preview": the change requests of the chosen range and sites.
class frmChangeRequestPreview : public ReportPreview {
    Q_OBJECT
public:
    frmChangeRequestPreview(Globals& g, Dialogs& dialogs, ReportFilterSource filter,
                            QWidget* parent = nullptr);
    // Runs the query, fills the list, writes changelog.txt and shows the
    // control only when there are rows. A failure is logged and the user is
    // told the program folder may be read-only.
    void populateChangeRequestPreview();

protected:
    void layoutWindow(int innerWidth, int innerHeight) override;

private:
    Dialogs& dialogs_;
};

// "Web Site Submission Report": which pages went to which engine, and when.
class frmSubmissionReport : public ReportPreview {
    Q_OBJECT
public:
    // printer: the default printer a column click prints the first rows on;
    // null when there is none.
    frmSubmissionReport(Globals& g, ReportFilterSource filter,
                        std::function<PrinterDevice*()> printer, QWidget* parent = nullptr);
    // Runs the query, fills the list, writes submissionlog.txt and shows the
    // control only when there are rows. A failure is logged, nothing shown.
    void populateSubmissionPreview();

protected:
    void layoutWindow(int innerWidth, int innerHeight) override;

private:
    std::function<PrinterDevice*()> printer_;
};

}  // namespace fd
