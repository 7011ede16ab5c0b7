#pragma once
// The pages of a site found from the site itself: its robots.txt's Sitemap
// lines (or, when it names none, /sitemap.xml, /sitemap_index.xml and
// /sitemap.xml.gz), each sitemap read and each index followed, and on
// request a crawl by the site audit's crawler from the root URL and the
// sitemap pages. Every fetch is made under the audit's rules (timeouts,
// size caps, redirects, robots.txt for the crawl); nothing is stored here:
// the result is a list for the caller to take or leave.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "audit/AuditTypes.h"
#include "discover/DiscoveredList.h"
#include "sitemap/SitemapReader.h"

namespace fd::discover {

struct DiscoveryOptions {
    // Also crawl: follow the links of the root URL and the sitemap pages on
    // the site, under robots.txt, up to pageLimit pages fetched.
    bool crawl = false;
    int pageLimit = 10000;
    // The audit's rules for every fetch: timeouts, redirects, user agent,
    // robots.txt agent; perHostConcurrency is also how many sitemaps are
    // read at once.
    audit::AuditOptions fetch;
    int maxFiles = 1000;                     // sitemap files read per discovery
    qint64 maxAddresses = 5000000;           // addresses taken per discovery
    int maxIndexDepth = 3;                   // indexes followed, nested this deep
    qint64 maxFileBytes = kMaxSitemapBytes;  // one file, uncompressed
};

// One source read (or not) by a discovery.
struct SourceFile {
    enum class Via { Robots, Named, Fallback, Index };
    enum class State { Waiting, Reading, Read, NotFound, Failed };
    Via via = Via::Named;
    State state = State::Waiting;
    QString url;
    int level = 0;  // 0 robots.txt, 1 named by it (or tried), 2 and on named by an index
    SitemapKind kind = SitemapKind::Unknown;
    qint64 addresses = 0;  // addresses it named (sitemaps, for robots.txt and indexes)
    QString problem;       // why it was not read; empty when it was
};

// "read, 1,234 addresses", "not found", "failed: ...".
QString sourceStateText(const SourceFile& source);

struct DiscoveryResult {
    QString rootUrl;
    QString error;  // nothing could be tried: the root URL is not a web address
    bool cancelled = false;
    QList<SourceFile> sources;  // robots.txt first, then the files in the order named
    QList<FoundPage> pages;     // the list found, in the order found
    LeftOutCounts leftOut{};
    qint64 addressesRead = 0;     // every address the sources named
    qint64 overAddressLimit = 0;  // addresses beyond maxAddresses, not taken
    qint64 filesOverLimit = 0;    // sitemaps named beyond maxFiles, not read
    qint64 filesTooDeep = 0;      // sitemaps named by an index nested too deep
    // The limits the discovery ran under, for what it tells.
    qint64 maxAddresses = 0;
    int maxFiles = 0;
    int maxIndexDepth = 0;
    // The crawl.
    bool crawled = false;
    int crawlFetched = 0;     // pages the crawler finished
    int crawlFailed = 0;      // of them: no answer, or an error status
    int crawlDisallowed = 0;  // of them: robots.txt forbids them
    qint64 crawlAdded = 0;    // pages the crawl added to the list
    // Against the list the discovery was started with.
    ListComparison comparison;

    bool foundNothing() const { return pages.isEmpty(); }
    // One line per source that could not be read, naming it.
    QStringList problems() const;
    // The counts in a few lines, for a message or stderr.
    QStringList summaryLines() const;
};

struct DiscoveryProgress {
    QList<SourceFile> sources;
    int filesDone = 0;
    int filesKnown = 0;
    qint64 addresses = 0;  // addresses read so far
    bool crawling = false;
    int crawlDone = 0;
    int crawlFound = 0;
};

using ProgressFn = std::function<void(const DiscoveryProgress&)>;

// Runs a discovery for rootUrl on the calling thread (sitemaps are read on
// worker threads) and returns when it is finished or cancel became true
// (the result then says cancelled and should change nothing). current is
// the list the result is compared with. progress is called on the calling
// thread a few times a second and once at the end.
DiscoveryResult discoverPages(const QString& rootUrl, const QStringList& current,
                              const DiscoveryOptions& options, const ProgressFn& progress,
                              const std::atomic<bool>& cancel);

// Runs a discovery on a thread of its own and reports through signals, which
// arrive on the thread the object lives in.
class PageDiscovery : public QObject {
    Q_OBJECT
public:
    explicit PageDiscovery(QObject* parent = nullptr);
    // Cancels a running discovery and waits for its thread.
    ~PageDiscovery() override;

    // False (nothing started) while one runs.
    bool start(const QString& rootUrl, const QStringList& current, const DiscoveryOptions& options);
    void cancel();
    bool running() const { return running_; }

signals:
    void progress(const fd::discover::DiscoveryProgress& progress);
    void finished(const fd::discover::DiscoveryResult& result);

private:
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
};

}  // namespace fd::discover
