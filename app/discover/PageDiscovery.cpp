#include "PageDiscovery.h"

#include <QElapsedTimer>
#include <QSet>
#include <QUrl>
#include <condition_variable>
#include <deque>
#include <vector>

#include "audit/AuditUrl.h"
#include "audit/Fetch.h"
#include "audit/RobotsTxt.h"
#include "audit/SiteCrawler.h"
#include "sites/PageAddress.h"

namespace fd::discover {

namespace {

constexpr int kProgressEveryMs = 100;
constexpr int kRobotsRedirects = 5;

QString counted(qint64 n, const char* one, const char* many) {
    return countText(n) + u' ' + QLatin1StringView(n == 1 ? one : many);
}

// What one sitemap file gave, before it is taken into the run.
struct FileWork {
    SourceFile::State state = SourceFile::State::Read;
    SitemapKind kind = SitemapKind::Unknown;
    QString problem;
    QList<FoundPage> pages;
    QStringList children;  // an index's sitemaps
    qint64 addresses = 0;
    qint64 overLimit = 0;  // pages beyond the run's limit of addresses
    LeftOutCounts leftOut{};
};

struct FileRecord {
    SourceFile source;
    std::vector<int> children;  // the files an index named, in its order
    QList<FoundPage> pages;
};

class Run {
public:
    Run(const ListRule& rule, const DiscoveryOptions& options, const ProgressFn& progress,
        const std::atomic<bool>& cancel)
        : rule_(rule), o_(options), progress_(progress), cancel_(cancel) {
        o_.fetch = o_.fetch.bounded();
        clock_.start();
    }

    DiscoveryResult run() {
        r_.rootUrl = rule_.rootUrl();
        r_.maxAddresses = o_.maxAddresses;
        r_.maxFiles = o_.maxFiles;
        r_.maxIndexDepth = o_.maxIndexDepth;
        readRobots();
        if (!cancel_.load()) readSitemaps();
        mergeFiles();
        if (o_.crawl && !cancel_.load()) crawl();
        r_.cancelled = cancel_.load();
        r_.sources.prepend(robots_);
        for (const FileRecord& f : files_) r_.sources.append(f.source);
        report(true);
        return std::move(r_);
    }

private:
    // --- robots.txt

    QString origin() const {
        const QUrl root(rule_.rootUrl());
        QUrl u;
        u.setScheme(root.scheme().toLower());
        u.setHost(root.host());
        u.setPort(root.port());
        return audit::auditUrl(u).chopped(1);  // without the "/" of its empty path
    }

    void readRobots() {
        const QString base = origin();
        robots_.via = SourceFile::Via::Robots;
        robots_.url = base + QStringLiteral("/robots.txt");
        robots_.state = SourceFile::State::Reading;
        report(false);
        audit::AuditOptions rules = o_.fetch;
        rules.maxRedirects = kRobotsRedirects;
        QByteArray body;
        const audit::FetchResult f =
            audit::fetchUrl(robots_.url, rules, audit::RobotsTxt::kMaxFileBytes, &body, &cancel_);
        QStringList named;
        if (f.ok()) {
            // A relative address is read against the file's own.
            const QUrl base(f.finalUrl);
            QSet<QString> once;
            for (const QString& value : audit::RobotsTxt::sitemaps(body)) {
                const QUrl url(value);
                const QString absolute = (url.isRelative() ? base.resolved(url) : url).toString();
                if (!absolute.isEmpty() && !once.contains(absolute)) {
                    once.insert(absolute);
                    named << absolute;
                }
            }
            robots_.state = SourceFile::State::Read;
            robots_.addresses = named.size();
        } else if (f.error.isEmpty() && f.status >= 400 && f.status < 500) {
            robots_.state = SourceFile::State::NotFound;
        } else {
            robots_.state = SourceFile::State::Failed;
            robots_.problem = f.problem();
        }
        std::lock_guard lock(mutex_);
        if (!named.isEmpty()) {
            for (const QString& url : std::as_const(named))
                if (const int i = addFile(url, SourceFile::Via::Named, 1); i >= 0)
                    roots_.push_back(i);
        } else {
            for (const char* path : {"/sitemap.xml", "/sitemap_index.xml", "/sitemap.xml.gz"})
                if (const int i =
                        addFile(base + QLatin1StringView(path), SourceFile::Via::Fallback, 1);
                    i >= 0)
                    roots_.push_back(i);
        }
    }

    // --- sitemaps

    // Adds a file to read (under the lock); its position, or -1 when it is
    // not read (named before, beyond the limit, or no web address).
    int addFile(const QString& url, SourceFile::Via via, int level) {
        const QString key = audit::auditUrl(url);
        if (key.isEmpty()) {
            ++r_.leftOut[std::size_t(LeftOut::NotHttp)];
            return -1;
        }
        if (named_.contains(key)) return -1;  // a file named twice is read once
        named_.insert(key);                   // and counted once when it is not read
        if (static_cast<int>(files_.size()) >= o_.maxFiles) {
            ++r_.filesOverLimit;
            return -1;
        }
        FileRecord f;
        f.source.via = via;
        f.source.url = url;
        f.source.level = level;
        files_.push_back(std::move(f));
        const int index = static_cast<int>(files_.size()) - 1;
        queue_.push_back(index);
        return index;
    }

    void readSitemaps() {
        const int workers = qBound(1, o_.fetch.perHostConcurrency, 16);
        std::vector<std::thread> threads;
        for (int i = 0; i < workers; ++i) threads.emplace_back([this] { work(); });
        {
            std::unique_lock lock(mutex_);
            while (!(queue_.empty() && active_ == 0) && !cancel_.load()) {
                cv_.wait_for(lock, std::chrono::milliseconds(kProgressEveryMs));
                lock.unlock();
                report(false);
                lock.lock();
            }
            stop_ = true;
        }
        cv_.notify_all();
        for (std::thread& t : threads) t.join();
    }

    void work() {
        std::unique_lock lock(mutex_);
        while (true) {
            cv_.wait(lock,
                     [this] { return stop_ || cancel_.load() || !queue_.empty() || active_ == 0; });
            if (stop_ || cancel_.load() || queue_.empty()) break;
            const int index = queue_.front();
            queue_.pop_front();
            ++active_;
            FileRecord& f = files_[std::size_t(index)];
            f.source.state = SourceFile::State::Reading;
            const QString url = f.source.url;
            const SourceFile::Via via = f.source.via;
            lock.unlock();
            FileWork w = readFile(url, via);
            lock.lock();
            take(index, std::move(w));
            --active_;
            cv_.notify_all();
        }
        cv_.notify_all();
    }

    FileWork readFile(const QString& url, SourceFile::Via via) {
        FileWork w;
        SitemapReader* reader = nullptr;
        auto entry = [&](std::string_view address, std::string_view lastModified) {
            if (reader->kind() == SitemapKind::Index) {
                w.children << QString::fromUtf8(address.data(), qsizetype(address.size()));
                return;
            }
            ++w.addresses;
            FoundPage page;
            if (const std::optional<LeftOut> why = rule_.place(address, &page)) {
                ++w.leftOut[std::size_t(*why)];
                return;
            }
            if (page.text.isEmpty()) return;  // the root URL itself: the tree's root node
            if (reserved_.fetch_add(1) >= o_.maxAddresses) {
                ++w.overLimit;
                return;
            }
            if (!lastModified.empty())
                if (const std::optional<qint64> when = lastModifiedSecs(lastModified))
                    page.lastModified = *when;
            w.pages.append(std::move(page));
        };
        SitemapReader read(entry, o_.maxFileBytes);
        reader = &read;
        const audit::FetchResult f = audit::fetchUrl(
            url, o_.fetch, o_.maxFileBytes,
            [&read](const char* data, qsizetype n) { return read.feed(data, n); }, &cancel_);
        w.kind = read.kind();
        if (f.stopped || !read.error().isEmpty()) {
            w.state = SourceFile::State::Failed;
            w.problem = read.error();
        } else if (!f.ok()) {
            const bool missing = f.error.isEmpty() && (f.status == 404 || f.status == 410);
            w.state = missing && via == SourceFile::Via::Fallback ? SourceFile::State::NotFound
                                                                  : SourceFile::State::Failed;
            w.problem = f.problem();
        } else if (!read.finish()) {
            w.state = SourceFile::State::Failed;
            w.problem = read.error();
        }
        if (w.state != SourceFile::State::Read) {
            // A file is taken whole or not at all.
            reserved_.fetch_sub(w.pages.size() + w.overLimit);
            w.pages.clear();
            w.children.clear();
        }
        return w;
    }

    // Takes a read file into the run (under the lock).
    void take(int index, FileWork w) {
        FileRecord& f = files_[std::size_t(index)];
        f.source.state = w.state;
        f.source.kind = w.kind;
        f.source.problem = w.problem;
        if (w.state != SourceFile::State::Read) return;
        f.source.addresses = w.kind == SitemapKind::Index ? w.children.size() : w.addresses;
        r_.addressesRead += f.source.addresses;
        r_.overAddressLimit += w.overLimit;
        for (int i = 0; i < kLeftOutReasons; ++i)
            r_.leftOut[std::size_t(i)] += w.leftOut[std::size_t(i)];
        f.pages = std::move(w.pages);
        // An index's sitemaps: followed while it is nested no deeper than
        // the limit; a file named before (a loop, or twice) is not read again.
        const int level = f.source.level;
        for (const QString& child : std::as_const(w.children)) {
            if (level > o_.maxIndexDepth) {
                ++r_.filesTooDeep;
                continue;
            }
            const int c = addFile(child, SourceFile::Via::Index, level + 1);
            if (c >= 0) files_[std::size_t(index)].children.push_back(c);
        }
    }

    // --- the list

    // Appends page unless it is the same address as one before; true when
    // it was appended.
    bool append(FoundPage&& page) {
        r_.pages.append(std::move(page));
        if (seen_->seen(r_.pages.last().key, r_.pages.size() - 1)) {
            r_.pages.removeLast();
            return false;
        }
        return true;
    }

    void mergeFiles() {
        qint64 total = 0;
        for (const FileRecord& f : files_) total += f.pages.size();
        r_.pages.reserve(total);
        seen_ = std::make_unique<SeenSitemapAddresses>(
            total + (o_.crawl ? o_.pageLimit : 0),
            [this](qsizetype i) { return rule_.keyOfText(r_.pages[i].text); });
        // The files in the order they were named, each index's sitemaps
        // where the index stands.
        std::function<void(int)> visit = [&](int i) {
            FileRecord& f = files_[std::size_t(i)];
            for (FoundPage& p : f.pages)
                if (!append(std::move(p))) ++r_.leftOut[std::size_t(LeftOut::Duplicate)];
            f.pages = QList<FoundPage>();
            for (int c : f.children) visit(c);
        };
        for (int i : roots_) visit(i);
    }

    // --- the crawl

    void crawl() {
        r_.crawled = true;
        audit::AuditOptions options = o_.fetch;
        options.followLinks = true;
        options.pageLimit = o_.pageLimit;
        QStringList seeds{rule_.rootUrl()};
        for (qsizetype i = 0; i < r_.pages.size() && seeds.size() < options.pageLimit; ++i)
            seeds << sites::pageAddress(rule_.rootUrl(), r_.pages[i].text);
        audit::CrawlCallbacks callbacks;
        callbacks.progress = [this](const audit::AuditProgress& p) {
            crawling_ = true;
            crawlDone_ = p.done;
            crawlFound_ = p.found;
            report(false);
        };
        const QList<audit::AuditPage> pages = audit::crawlSite(seeds, options, callbacks, cancel_);
        for (const audit::AuditPage& p : pages) {
            ++r_.crawlFetched;
            if (p.disallowed) {
                ++r_.crawlDisallowed;
                continue;
            }
            if (!p.error.isEmpty() || p.status < 200 || p.status >= 300) {
                ++r_.crawlFailed;
                continue;
            }
            FoundPage page;
            if (const std::optional<LeftOut> why =
                    rule_.place(p.finalUrl.isEmpty() ? p.url : p.finalUrl, &page)) {
                ++r_.leftOut[std::size_t(*why)];
                continue;
            }
            // Pages the sitemaps listed already are found again, not doubled.
            if (!page.text.isEmpty() && append(std::move(page))) ++r_.crawlAdded;
        }
        crawling_ = false;
    }

    // --- progress

    void report(bool last) {
        if (!progress_) return;
        const qint64 now = clock_.elapsed();
        if (!last && now - lastReportMs_ < kProgressEveryMs) return;
        lastReportMs_ = now;
        DiscoveryProgress p;
        {
            std::lock_guard lock(mutex_);
            p.sources.reserve(qsizetype(files_.size()) + 1);
            p.sources.append(robots_);
            for (const FileRecord& f : files_) {
                p.sources.append(f.source);
                if (f.source.state != SourceFile::State::Waiting &&
                    f.source.state != SourceFile::State::Reading)
                    ++p.filesDone;
            }
            p.filesKnown = static_cast<int>(files_.size());
            p.addresses = r_.addressesRead;
        }
        p.crawling = crawling_;
        p.crawlDone = crawlDone_;
        p.crawlFound = crawlFound_;
        progress_(p);
    }

    const ListRule& rule_;
    DiscoveryOptions o_;
    const ProgressFn& progress_;
    const std::atomic<bool>& cancel_;
    QElapsedTimer clock_;
    qint64 lastReportMs_ = -kProgressEveryMs;

    DiscoveryResult r_;
    SourceFile robots_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<FileRecord> files_;
    std::vector<int> roots_;  // the files robots.txt named (or those tried)
    std::deque<int> queue_;
    QSet<QString> named_;
    int active_ = 0;
    bool stop_ = false;
    std::atomic<qint64> reserved_{0};  // addresses taken (or being read) so far
    std::unique_ptr<SeenSitemapAddresses> seen_;
    bool crawling_ = false;
    int crawlDone_ = 0;
    int crawlFound_ = 0;
};

}  // namespace

QString sourceStateText(const SourceFile& s) {
    switch (s.state) {
        case SourceFile::State::Waiting:
            return QStringLiteral("waiting");
        case SourceFile::State::Reading:
            return QStringLiteral("reading");
        case SourceFile::State::NotFound:
            return QStringLiteral("not found");
        case SourceFile::State::Failed:
            return QStringLiteral("not read: ") + s.problem;
        case SourceFile::State::Read:
            break;
    }
    if (s.via == SourceFile::Via::Robots)
        return s.addresses == 0
                   ? QStringLiteral("read, names no sitemap")
                   : QStringLiteral("read, names ") + counted(s.addresses, "sitemap", "sitemaps");
    return QStringLiteral("read (%1), %2")
        .arg(sitemapKindText(s.kind), s.kind == SitemapKind::Index
                                          ? counted(s.addresses, "sitemap", "sitemaps")
                                          : counted(s.addresses, "address", "addresses"));
}

QStringList DiscoveryResult::problems() const {
    QStringList out;
    for (const SourceFile& s : sources)
        if (s.state == SourceFile::State::Failed) out << s.url + QStringLiteral(": ") + s.problem;
    return out;
}

QStringList DiscoveryResult::summaryLines() const {
    QStringList lines;
    int read = 0;
    for (const SourceFile& s : sources)
        if (s.via != SourceFile::Via::Robots && s.state == SourceFile::State::Read) ++read;
    lines << QStringLiteral("%1 found (%2 new, %3 no longer listed), from %4")
                 .arg(counted(pages.size(), "page", "pages"), countText(comparison.fresh),
                      countText(comparison.gone), counted(read, "sitemap file", "sitemap files"));
    if (crawled)
        lines << QStringLiteral(
                     "The crawl fetched %1: %2 added, %3 failed, %4 disallowed by "
                     "robots.txt")
                     .arg(counted(crawlFetched, "page", "pages"), countText(crawlAdded),
                          countText(crawlFailed), countText(crawlDisallowed));
    const QString leftOutLine = leftOutSummary(leftOut);
    if (!leftOutLine.isEmpty()) lines << QStringLiteral("Left out: ") + leftOutLine;
    if (overAddressLimit > 0)
        lines << QStringLiteral("Not taken: %1 beyond the limit of %2 addresses")
                     .arg(countText(overAddressLimit), countText(maxAddresses));
    if (filesOverLimit > 0)
        lines << QStringLiteral("Not read: %1 beyond the limit of %2 files")
                     .arg(counted(filesOverLimit, "sitemap", "sitemaps"), countText(maxFiles));
    if (filesTooDeep > 0)
        lines << QStringLiteral("Not read: %1 named by an index nested more than %2 levels deep")
                     .arg(counted(filesTooDeep, "sitemap", "sitemaps"))
                     .arg(maxIndexDepth);
    return lines;
}

DiscoveryResult discoverPages(const QString& rootUrl, const QStringList& current,
                              const DiscoveryOptions& options, const ProgressFn& progress,
                              const std::atomic<bool>& cancel) {
    const std::optional<ListRule> rule = ListRule::forRoot(rootUrl);
    if (!rule) {
        DiscoveryResult r;
        r.rootUrl = rootUrl.trimmed();
        r.error = QStringLiteral(
                      "Pages can only be discovered under a root URL that begins with http:// "
                      "or https:// and names the site's host, not '%1'.")
                      .arg(r.rootUrl);
        return r;
    }
    Run run(*rule, options, progress, cancel);
    DiscoveryResult r = run.run();
    if (!r.cancelled) r.comparison = compareWithList(*rule, r.pages, current);
    return r;
}

PageDiscovery::PageDiscovery(QObject* parent) : QObject(parent) {}

PageDiscovery::~PageDiscovery() {
    cancel_.store(true);
    if (thread_.joinable()) thread_.join();
}

bool PageDiscovery::start(const QString& rootUrl, const QStringList& current,
                          const DiscoveryOptions& options) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    running_ = true;
    cancel_.store(false);
    thread_ = std::thread([this, rootUrl, current, options] {
        const ProgressFn progress = [this](const DiscoveryProgress& p) {
            QMetaObject::invokeMethod(
                this, [this, p] { emit this->progress(p); }, Qt::QueuedConnection);
        };
        DiscoveryResult result = discoverPages(rootUrl, current, options, progress, cancel_);
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

void PageDiscovery::cancel() {
    cancel_.store(true);
}

}  // namespace fd::discover
