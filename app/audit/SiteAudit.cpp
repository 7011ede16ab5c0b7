#include "SiteAudit.h"

#include <QDateTime>

#include "AuditStore.h"
#include "AuditUrl.h"
#include "Findings.h"
#include "RenderedPages.h"

namespace fd::audit {

AuditResult runSiteAudit(const AuditRequest& request, const CrawlCallbacks& callbacks,
                         const std::atomic<bool>& cancel) {
    const QDateTime started = QDateTime::currentDateTime();
    AuditResult result;
    result.rootUrl = request.rootUrl.trimmed();
    result.options = request.options.bounded();
    CrawlCallbacks cb = callbacks;
    cb.progress = [&](const AuditProgress& p) {
        result.pagesFound = p.found;
        if (callbacks.progress) callbacks.progress(p);
    };
    result.pages = crawlSite(pageUrls(result.rootUrl, request.pages), result.options, cb, cancel);
    if (result.options.rendered && !cancel.load()) {
        QList<int> html;
        for (int i = 0; i < result.pages.size(); ++i) {
            const AuditPage& p = result.pages[i];
            if (p.html && p.error.isEmpty() && p.status >= 200 && p.status < 300) html << i;
        }
        result.renderError = renderPages(result.pages, html, cancel);
        for (AuditPage& p : result.pages) p.rendered.ownLinks.clear();
    }
    result.cancelled = cancel.load();
    result.findings = allFindings(result.pages, result.options, result.rootUrl);
    if (!request.databasePath.isEmpty())
        result.storeError =
            storeAuditRun(request.databasePath, result, started, QDateTime::currentDateTime());
    return result;
}

SiteAudit::SiteAudit(QObject* parent) : QObject(parent) {}

SiteAudit::~SiteAudit() {
    cancel_.store(true);
    join();
}

void SiteAudit::join() {
    if (thread_.joinable()) thread_.join();
}

bool SiteAudit::start(const AuditRequest& request) {
    if (running_) return false;
    join();
    running_ = true;
    cancel_.store(false);
    thread_ = std::thread([this, request] {
        CrawlCallbacks cb;
        cb.pageDone = [this](const AuditPage& page, int) {
            std::lock_guard lock(mutex_);
            pending_.append(page);
        };
        cb.progress = [this](const AuditProgress& counts) { deliver(counts); };
        AuditResult result = runSiteAudit(request, cb, cancel_);
        // Queued to this object: when it is destroyed first, nothing arrives.
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result)] {
                running_ = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void SiteAudit::cancel() {
    cancel_.store(true);
}

void SiteAudit::deliver(const AuditProgress& counts) {
    QList<AuditPage> pages;
    {
        std::lock_guard lock(mutex_);
        pages.swap(pending_);
    }
    QMetaObject::invokeMethod(
        this,
        [this, counts, pages = std::move(pages)] {
            if (!pages.isEmpty()) emit pagesDone(pages);
            emit progress(counts);
        },
        Qt::QueuedConnection);
}

}  // namespace fd::audit
