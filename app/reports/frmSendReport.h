#pragma once
// "Create a Report": the report type, the optional site filter, the date
// range and the buttons that preview, export or upload the chosen report.
// Each opening is a new dialog, so the lists and dates start afresh.

#include <QDialog>
#include <functional>

#include "ReportLogic.h"
#include "core/Globals.h"
#include "platform/Dialogs.h"
#include "platform/InetTransfer.h"
#include "platform/PrinterDevice.h"

class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace fd {

class frmChangeRequestPreview;
class frmSubmissionReport;

// What the dialog needs from the main window.
struct ReportServices {
    Globals& g;
    Dialogs& dialogs;
    QString reportEmail;                      // the main window's "Email Reports To"
    std::function<InetTransfer*()> transfer;  // the shared transfer control
    std::function<PrinterDevice*()> printer;  // the default printer, null when none
    QString installationId;                   // names the uploaded report
};

class frmSendReport : public QDialog {
    Q_OBJECT
public:
    explicit frmSendReport(ReportServices services, QWidget* parent = nullptr);
    ~frmSendReport() override;

    ReportType reportType() const;
    // The dialog's current date range and selected sites (in list order).
    ReportFilter filter() const;

    // The three buttons.
    void cmdPreviewReport_Click();
    void cmdCreateChangeReport_Click();
    void cmdSendChangeRequestReport_Click();

    // The preview windows, created on first use.
    frmChangeRequestPreview* changeRequestPreview();
    frmSubmissionReport* submissionPreview();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildControls();
    void formLoad();
    // Populates the chosen report (rewriting its file); returns that file.
    QString populateChosenReport();
    // "The following error occured: " and the failure's description.
    void reportUploadError(const std::exception& e);

    ReportServices s_;
    QComboBox* cboReportList_ = nullptr;
    QListWidget* lstWebSiteFilter_ = nullptr;
    QDateTimeEdit* dtChangesFrom_ = nullptr;
    QDateTimeEdit* dtChangesTo_ = nullptr;
    QLineEdit* txtSendReportTo_ = nullptr;
    QPushButton* cmdPreviewReport_ = nullptr;
    QPushButton* cmdCreateChangeReport_ = nullptr;
    QPushButton* cmdSendChangeRequestReport_ = nullptr;
    frmChangeRequestPreview* changePreview_ = nullptr;
    frmSubmissionReport* submissionPreview_ = nullptr;
    bool checkingEndDate_ = false;  // the end-date message is being shown
};

}  // namespace fd
