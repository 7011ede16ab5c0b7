#pragma once
// One site audit from start to end: the pages of the tree (and, when asked,
// what they link to) fetched and read, the findings drawn, the run stored.
// On QtCore alone: the window and the command line both drive it.

#include <QObject>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <thread>

#include "AuditTypes.h"
#include "SiteCrawler.h"

namespace fd::audit {

struct AuditRequest {
    QString rootUrl;
    // The tree's pages as the tree holds them (relative to the root URL, or
    // full addresses); the root URL itself is always audited first.
    QStringList pages;
    AuditOptions options;
    // The database the run is stored in and compared against; empty: the
    // run is neither stored nor compared.
    QString databasePath;
};

// Runs an audit on the calling thread and returns when it is finished or
// cancel became true (what was finished by then is kept, compared and
// stored as a cancelled run). The callbacks are called on this thread.
AuditResult runSiteAudit(const AuditRequest& request, const CrawlCallbacks& callbacks,
                         const std::atomic<bool>& cancel);

// Runs an audit on a thread of its own and reports through signals, which
// arrive on the thread the object lives in.
class SiteAudit : public QObject {
    Q_OBJECT
public:
    explicit SiteAudit(QObject* parent = nullptr);
    // Cancels a running audit and waits for its thread.
    ~SiteAudit() override;

    // Starts a run; false (nothing started) while one is running.
    bool start(const AuditRequest& request);
    // Asks the running audit to stop; finished() follows with what was done.
    void cancel();
    bool running() const { return running_; }

signals:
    // Counts, a few times a second.
    void progress(const fd::audit::AuditProgress& counts);
    // Pages finished since the last report, in the order they finished.
    void pagesDone(const QList<fd::audit::AuditPage>& pages);
    // The whole run: every page, every finding with its mark, the store's
    // outcome.
    void finished(const fd::audit::AuditResult& result);

private:
    void deliver(const AuditProgress& counts);
    void join();

    std::thread thread_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
    std::mutex mutex_;  // guards pending_
    QList<AuditPage> pending_;
};

}  // namespace fd::audit
