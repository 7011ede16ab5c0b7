#pragma once
// Fetches the pages of a site with libcurl's multi interface on the calling
// thread and reads the HTML answers on worker threads. robots.txt is fetched
// once per origin before any page of it and honoured: a page it disallows is
// recorded as such and never requested. Redirects are followed one hop at a
// time, so each hop is recorded, checked against robots.txt and a loop is
// seen. Bodies are dropped once read; at most a bounded number of transfers
// and unread bodies exist at any moment.

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

#include "AuditTypes.h"

namespace fd::audit {

struct CrawlCallbacks {
    // A page is finished (fetched and read, failed or disallowed); index is
    // its place in the run's list of pages. Called on the crawling thread.
    std::function<void(const AuditPage& page, int index)> pageDone;
    // The counts, at most every 100 ms and once at the end.
    std::function<void(const AuditProgress&)> progress;
};

// Audits urls (absolute addresses; the first is the root URL, whose scheme,
// host and port the followed links must share) and, with options.followLinks, the pages they
// link to, while the run has fewer than options.pageLimit pages. Blocks until every page is
// finished or cancel becomes true; returns the finished pages in the order
// they were found.
QList<AuditPage> crawlSite(const QStringList& urls, const AuditOptions& options,
                           const CrawlCallbacks& callbacks, const std::atomic<bool>& cancel);

}  // namespace fd::audit
