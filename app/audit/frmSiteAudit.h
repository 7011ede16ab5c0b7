#pragma once
// The site audit window: the run's options and Start; while it runs a
// progress bar with pages done, found and findings, and Cancel (what was
// finished is kept); the pages and the findings in two sortable lists, each
// with the list export control bound to it. Double-clicking a row opens its
// page in the browser.

#include <QDialog>
#include <QPointer>
#include <functional>

#include "audit/AuditTypes.h"
#include "core/AppError.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;
namespace listcaster {
class ctlRowporter;
}

namespace fd::audit {

class SiteAudit;

struct SiteAuditServices {
    ErrorSink* log = nullptr;  // store failures are written here
    QString databasePath;      // where runs are stored and compared
    // Opens a page in the browser and shows its details.
    std::function<void(const QString& url)> openPage;
};

class frmSiteAudit : public QDialog {
    Q_OBJECT
public:
    explicit frmSiteAudit(SiteAuditServices services, QWidget* parent = nullptr);
    ~frmSiteAudit() override;

    // The site to audit: its root URL and the tree's pages. Ignored while a
    // run goes on.
    void setSite(const QString& rootUrl, const QStringList& pages);
    // Starts a run with the options shown (cmdStart).
    void startAudit();
    void cancelAudit();
    bool running() const;

    QTreeWidget* pagesList() const { return lvwAuditPages_; }
    QTreeWidget* findingsList() const { return lvwAuditFindings_; }

signals:
    // The run has ended and both lists are filled.
    void auditFinished();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void addPages(const QList<AuditPage>& pages);
    void showProgress(const AuditProgress& p);
    void finish(const AuditResult& result);
    void setRunning(bool on);
    void openRow(QTreeWidgetItem* item);

    SiteAuditServices services_;
    QString rootUrl_;
    QStringList pages_;
    SiteAudit* audit_ = nullptr;

    QCheckBox* chkFollowLinks_ = nullptr;
    QSpinBox* spnPageLimit_ = nullptr;
    QSpinBox* spnConcurrency_ = nullptr;
    QSpinBox* spnDelay_ = nullptr;
    QSpinBox* spnKeepRuns_ = nullptr;
    QSpinBox* spnThinWords_ = nullptr;
    QSpinBox* spnLargeHtml_ = nullptr;
    QCheckBox* chkRendered_ = nullptr;
    QPushButton* cmdStart_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QProgressBar* prgAudit_ = nullptr;
    QLabel* lblProgress_ = nullptr;
    QLabel* lblSite_ = nullptr;
    QLabel* lblResult_ = nullptr;
    QTreeWidget* lvwAuditPages_ = nullptr;
    QTreeWidget* lvwAuditFindings_ = nullptr;
    listcaster::ctlRowporter* ctlRowporterPages_ = nullptr;
    listcaster::ctlRowporter* ctlRowporterFindings_ = nullptr;
};

}  // namespace fd::audit
