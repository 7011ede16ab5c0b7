#include "SiteCrawler.h"

#include <curl/curl.h>

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QThread>
#include <QUrl>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "AuditUrl.h"
#include "Fetch.h"
#include "Findings.h"
#include "PageReader.h"
#include "RobotsTxt.h"

namespace fd::audit {

namespace {

// Transfers running at once over every host, and unread bodies waiting for
// a reader beyond one per reader: with bodies capped at 5 MB these bound
// the memory a run can take whatever the site sends.
constexpr int kMaxTransfers = 24;
constexpr int kMaxWaitingBodies = 8;
constexpr int kRobotsMaxRedirects = 5;
constexpr int kProgressEveryMs = 100;

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Request {
    bool robots = false;
    int page = -1;   // the page the request is for (not for robots.txt)
    QString origin;  // whose robots.txt (robots); the address's origin (page)
    QString url;
    int hops = 0;  // robots.txt redirects followed so far
};

struct Origin {
    enum class Robots { Unknown, Fetching, Ready } robots = Robots::Unknown;
    RobotsTxt rules;
    QString robotsError;  // why robots.txt could not be read; empty when it was
    std::deque<Request> waiting;
    int active = 0;
    qint64 nextStartMs = 0;
};

struct Transfer {
    CURL* easy = nullptr;
    Request request;
    QByteArray url;
    QByteArray body;
    qint64 limit = 0;
    bool tooBig = false;
    char errbuf[CURL_ERROR_SIZE] = {};
};

size_t writeBody(char* ptr, size_t size, size_t n, void* userdata) {
    auto* t = static_cast<Transfer*>(userdata);
    const auto len = static_cast<qsizetype>(size * n);
    if (t->body.size() + len > t->limit) {
        t->tooBig = true;
        return 0;  // ends the transfer with CURLE_WRITE_ERROR
    }
    t->body.append(ptr, len);
    return static_cast<size_t>(len);
}

// Reads HTML bodies on worker threads; results are collected by the crawler.
// The threads share their state with this object, so stopping does not wait
// for a reader still inside a page: a page can keep the parser busy for a
// long while (one nesting too deeply is refused before it starts, see
// HtmlNesting.h), and a cancelled or finished run must not wait for it. Such a reader ends on its
// own and drops what it read.
class Readers {
public:
    struct Job {
        int page;
        QByteArray body;
        QString contentType;
        QString url;
        PageReadOptions options;
    };
    struct Result {
        int page;
        PageContent content;
    };

    Readers(int threads, std::function<void()> wake) : s_(std::make_shared<State>()) {
        s_->wake = std::move(wake);
        for (int i = 0; i < threads; ++i) std::thread([s = s_] { work(*s); }).detach();
        threads_ = threads;
    }
    ~Readers() {
        {
            std::lock_guard lock(s_->mutex);
            s_->stop = true;
            s_->jobs.clear();
        }
        s_->cv.notify_all();
    }
    void push(Job job) {
        {
            std::lock_guard lock(s_->mutex);
            s_->jobs.push_back(std::move(job));
            ++s_->pending;
        }
        s_->cv.notify_one();
    }
    std::vector<Result> take() {
        std::lock_guard lock(s_->mutex);
        std::vector<Result> out;
        out.swap(s_->results);
        s_->pending -= static_cast<int>(out.size());
        return out;
    }
    // Bodies handed over and not yet taken back as results.
    int pending() const {
        std::lock_guard lock(s_->mutex);
        return s_->pending;
    }
    int threads() const { return threads_; }

private:
    struct State {
        std::function<void()> wake;
        std::mutex mutex;
        std::condition_variable cv;
        std::deque<Job> jobs;
        std::vector<Result> results;
        int pending = 0;
        bool stop = false;
    };

    static void work(State& s) {
        while (true) {
            Job job;
            {
                std::unique_lock lock(s.mutex);
                s.cv.wait(lock, [&s] { return s.stop || !s.jobs.empty(); });
                if (s.stop) return;
                job = std::move(s.jobs.front());
                s.jobs.pop_front();
            }
            Result r{job.page, readPage(job.body, job.contentType, job.url, job.options)};
            job.body = QByteArray();  // the body is not kept once read
            std::lock_guard lock(s.mutex);
            if (s.stop) return;
            s.results.push_back(std::move(r));
            // Under the lock: once stop is set, the crawler's loop (and
            // what wake reaches) may be gone.
            s.wake();
        }
    }

    std::shared_ptr<State> s_;
    int threads_ = 0;
};

class Crawler {
public:
    Crawler(const AuditOptions& options, const CrawlCallbacks& callbacks,
            const std::atomic<bool>& cancel)
        : o_(options.bounded()), cb_(callbacks), cancel_(cancel) {
        initCurlOnce();
        multi_ = curl_multi_init();
        readers_ = std::make_unique<Readers>(qMax(1, QThread::idealThreadCount()),
                                             [this] { curl_multi_wakeup(multi_); });
        clock_.start();
    }
    ~Crawler() {
        readers_.reset();
        for (auto& [easy, t] : transfers_) {
            curl_multi_remove_handle(multi_, easy);
            curl_easy_cleanup(easy);
        }
        for (CURL* e : idle_) curl_easy_cleanup(e);
        curl_multi_cleanup(multi_);
    }

    QList<AuditPage> run(const QStringList& urls) {
        if (!urls.isEmpty()) {
            const QString root = auditUrl(urls.front());
            if (!root.isEmpty()) linkOrigin_ = originOf(QUrl(root));
        }
        for (const QString& u : urls) addPage(u, true);
        while (!cancel_.load()) {
            takeReadPages();
            schedule();
            if (transfers_.empty() && readers_->pending() == 0 && waitingRequests() == 0) break;
            curl_multi_poll(multi_, nullptr, 0, pollTimeoutMs(), nullptr);
            int running = 0;
            curl_multi_perform(multi_, &running);
            int left = 0;
            while (CURLMsg* m = curl_multi_info_read(multi_, &left)) {
                if (m->msg == CURLMSG_DONE) finish(m->easy_handle, m->data.result);
            }
            reportProgress(false);
        }
        reportProgress(true);
        QList<AuditPage> out;
        out.reserve(static_cast<qsizetype>(pages_.size()));
        for (std::size_t i = 0; i < pages_.size(); ++i)
            if (done_[i]) out.append(std::move(pages_[i]));
        return out;
    }

private:
    // --- pages

    // Listed pages are all audited; followed links only while the run has
    // fewer pages than its limit.
    void addPage(const QString& raw, bool listed) {
        if (!listed && static_cast<int>(pages_.size()) >= o_.pageLimit) return;
        const QUrl parsed(raw.trimmed());
        const QString url = auditUrl(parsed);
        const QString key = url.isEmpty() ? raw.trimmed() : url;
        if (seen_.contains(key)) return;
        seen_.insert(key);
        const int index = static_cast<int>(pages_.size());
        AuditPage page;
        page.url = url.isEmpty() ? raw.trimmed() : url;
        pages_.push_back(std::move(page));
        done_.push_back(false);
        if (url.isEmpty()) {
            pages_[index].error = QStringLiteral("Not an http or https address");
            finishPage(index);
            return;
        }
        enqueue(Request{false, index, originOf(QUrl(url)), url, 0}, false);
    }

    void enqueue(Request r, bool first) {
        Origin& o = origins_[r.origin];
        if (first)
            o.waiting.push_front(std::move(r));
        else
            o.waiting.push_back(std::move(r));
    }

    void finishPage(int index) {
        done_[index] = true;
        ++doneCount_;
        const AuditPage& p = pages_[index];
        findingCount_ += static_cast<int>(pageFindings(p, o_).size());
        if (cb_.pageDone) cb_.pageDone(p, index);
    }

    void takeReadPages() {
        for (Readers::Result& r : readers_->take()) {
            applyContent(pages_[r.page], r.content);
            if (o_.rendered)
                for (const PageLink& l : r.content.linkRecords)
                    if (l.element == u"a" || l.element == u"area")
                        pages_[r.page].rendered.ownLinks << l.target;
            for (const QString& link : std::as_const(r.content.links)) addPage(link, false);
            finishPage(r.page);
        }
    }

    // --- scheduling

    int waitingRequests() const {
        int n = 0;
        for (const Origin& o : origins_) n += static_cast<int>(o.waiting.size());
        return n;
    }

    bool roomForTransfer() const {
        return static_cast<int>(transfers_.size()) < kMaxTransfers &&
               readers_->pending() < readers_->threads() + kMaxWaitingBodies;
    }

    void schedule() {
        const qint64 now = clock_.elapsed();
        for (auto it = origins_.begin(); it != origins_.end(); ++it) {
            Origin& o = it.value();
            if (o.waiting.empty()) continue;
            if (o.robots == Origin::Robots::Unknown) {
                o.robots = Origin::Robots::Fetching;
                const QUrl origin(it.key());
                QUrl robots;
                robots.setScheme(origin.scheme());
                robots.setHost(origin.host());
                robots.setPort(origin.port());
                robots.setPath(QStringLiteral("/robots.txt"));
                start(Request{true, -1, it.key(), auditUrl(robots), 0});
                continue;
            }
            if (o.robots != Origin::Robots::Ready) continue;
            while (!o.waiting.empty()) {
                const Request& next = o.waiting.front();
                if (!o.rules.allowedUrl(next.url)) {
                    Request r = std::move(o.waiting.front());
                    o.waiting.pop_front();
                    AuditPage& p = pages_[r.page];
                    p.disallowed = true;
                    p.error = o.robotsError;
                    p.finalUrl = r.url;
                    finishPage(r.page);
                    continue;
                }
                if (o.active >= o_.perHostConcurrency || now < o.nextStartMs || !roomForTransfer())
                    break;
                Request r = std::move(o.waiting.front());
                o.waiting.pop_front();
                o.nextStartMs = now + o_.delayMs;
                start(std::move(r));
            }
        }
    }

    int pollTimeoutMs() const {
        // Wake in time for the next delayed start, else now and then for the
        // cancel flag.
        const qint64 now = clock_.elapsed();
        qint64 wait = kProgressEveryMs;
        for (const Origin& o : origins_)
            if (!o.waiting.empty() && o.robots == Origin::Robots::Ready && o.nextStartMs > now)
                wait = qMin(wait, o.nextStartMs - now);
        return static_cast<int>(qMax<qint64>(1, wait));
    }

    // --- transfers

    void start(Request r) {
        CURL* easy = nullptr;
        if (!idle_.empty()) {
            easy = idle_.back();
            idle_.pop_back();
            curl_easy_reset(easy);
        } else {
            easy = curl_easy_init();
        }
        auto t = std::make_unique<Transfer>();
        t->easy = easy;
        t->url = r.url.toUtf8();
        t->limit = r.robots ? RobotsTxt::kMaxFileBytes : o_.maxBodyBytes;
        t->request = std::move(r);
        if (!t->request.robots) ++origins_[t->request.origin].active;
        curl_easy_setopt(easy, CURLOPT_URL, t->url.constData());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");  // every encoding curl can decode
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(o_.connectTimeoutMs));
        // The time limit is the page's, over all its redirect hops.
        const int spent = t->request.robots ? 0 : pages_[t->request.page].timeMs;
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(qMax(1, o_.totalTimeoutMs - spent)));
        curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent_.constData());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, t.get());
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, t->errbuf);
        curl_multi_add_handle(multi_, easy);
        transfers_.emplace(easy, std::move(t));
    }

    void finish(CURL* easy, CURLcode rc) {
        auto it = transfers_.find(easy);
        if (it == transfers_.end()) return;
        std::unique_ptr<Transfer> t = std::move(it->second);
        transfers_.erase(it);
        curl_multi_remove_handle(multi_, easy);
        idle_.push_back(easy);

        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        QString error;
        if (t->tooBig) {
            error = QStringLiteral("The answer is larger than %1; reading stopped")
                        .arg(sizeText(t->limit));
        } else if (rc != CURLE_OK) {
            error = QString::fromUtf8(t->errbuf[0] ? t->errbuf : curl_easy_strerror(rc));
        }
        const char* location = nullptr;
        curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
        const QString target = location ? auditUrl(QString::fromUtf8(location)) : QString();

        if (t->request.robots) {
            robotsAnswered(t->request, static_cast<int>(status), error, target, t->body);
            return;
        }
        --origins_[t->request.origin].active;
        AuditPage& p = pages_[t->request.page];
        curl_off_t micros = 0;
        curl_easy_getinfo(easy, CURLINFO_TOTAL_TIME_T, &micros);
        p.timeMs += static_cast<int>(micros / 1000);
        p.finalUrl = t->request.url;
        p.status = static_cast<int>(status);
        p.size = t->body.size();
        const char* type = nullptr;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type);
        p.contentType = type ? QString::fromUtf8(type) : QString();
        p.xRobotsTag = headerValues(easy, "X-Robots-Tag");
        p.checks.hsts = !headerValues(easy, "Strict-Transport-Security").isEmpty();
        p.checks.headerCanonical = linkHeaderCanonical(headerValues(easy, "Link"), p.finalUrl);
        if (!error.isEmpty()) {
            p.error = error;
            finishPage(t->request.page);
            return;
        }
        if (status >= 300 && status < 400 && status != 304 && location) {
            redirected(t->request.page, static_cast<int>(status), target);
            return;
        }
        if (status >= 200 && status < 300 && isHtmlContentType(p.contentType)) {
            PageReadOptions read;
            read.links = o_.followLinks && static_cast<int>(pages_.size()) < o_.pageLimit;
            read.linkOrigin = linkOrigin_;
            read.linkRecords = o_.rendered;
            readers_->push(
                Readers::Job{t->request.page, std::move(t->body), p.contentType, p.finalUrl, read});
            return;
        }
        finishPage(t->request.page);
    }

    void redirected(int index, int status, const QString& target) {
        AuditPage& p = pages_[index];
        p.redirects.append(RedirectHop{p.finalUrl, status});
        if (target.isEmpty()) {
            p.error = QStringLiteral("Redirects to an address that is not http or https");
            finishPage(index);
            return;
        }
        bool loop = target == p.url;
        for (const RedirectHop& h : std::as_const(p.redirects)) loop = loop || h.url == target;
        p.finalUrl = target;
        if (loop) {
            p.redirectLoop = true;
            finishPage(index);
        } else if (p.redirects.size() > o_.maxRedirects) {
            p.error = QStringLiteral("More than %1 redirects").arg(o_.maxRedirects);
            finishPage(index);
        } else {
            // The next hop goes first among its origin's waiting requests, so
            // a page's chain ends before new pages start.
            enqueue(Request{false, index, originOf(QUrl(target)), target, 0}, true);
        }
    }

    void robotsAnswered(const Request& r, int status, const QString& error, const QString& target,
                        const QByteArray& body) {
        if (error.isEmpty() && status >= 300 && status < 400 && !target.isEmpty() &&
            r.hops < kRobotsMaxRedirects) {
            start(Request{true, -1, r.origin, target, r.hops + 1});
            return;
        }
        Origin& o = origins_[r.origin];
        if (!error.isEmpty() || status >= 500) {
            o.rules = RobotsTxt::disallowAll();  // unreachable: assume everything forbidden
            o.robotsError =
                QStringLiteral("%1 could not be read (%2)")
                    .arg(r.url, error.isEmpty() ? QStringLiteral("HTTP %1").arg(status) : error);
        } else if (status >= 200 && status < 300)
            o.rules = RobotsTxt::parse(body, o_.robotsAgent);
        else
            o.rules = RobotsTxt::allowAll();  // unavailable (4xx, too many redirects)
        o.robots = Origin::Robots::Ready;
    }

    static QString headerValues(CURL* easy, const char* name) {
        QStringList values;
        curl_header* h = nullptr;
        for (size_t i = 0; curl_easy_header(easy, name, i, CURLH_HEADER, -1, &h) == CURLHE_OK;
             ++i) {
            values << QString::fromUtf8(h->value).trimmed();
            if (i + 1 >= h->amount) break;
        }
        return values.join(QStringLiteral(", "));
    }

    // The target of a Link header's rel="canonical" ("<url>; rel=canonical",
    // several links separated by commas), resolved against the page.
    static QString linkHeaderCanonical(const QString& header, const QString& pageUrl) {
        qsizetype at = 0;
        while ((at = header.indexOf(u'<', at)) >= 0) {
            const qsizetype close = header.indexOf(u'>', at);
            if (close < 0) break;
            const QString target = header.mid(at + 1, close - at - 1).trimmed();
            qsizetype next = header.indexOf(u'<', close);
            const QStringList params =
                header.mid(close + 1, next < 0 ? -1 : next - close - 1).split(u';');
            for (const QString& param : params) {
                const QString key = param.section(u'=', 0, 0).trimmed().toLower();
                QString value = param.section(u'=', 1).trimmed().toLower();
                value.remove(u'"');
                if (key == u"rel" && value.split(u' ', Qt::SkipEmptyParts).contains(u"canonical"))
                    return QUrl(pageUrl).resolved(QUrl(target)).toString();
            }
            at = close;
        }
        return {};
    }

    void reportProgress(bool last) {
        if (!cb_.progress) return;
        const qint64 now = clock_.elapsed();
        if (!last && now - lastProgressMs_ < kProgressEveryMs) return;
        lastProgressMs_ = now;
        cb_.progress(AuditProgress{doneCount_, static_cast<int>(pages_.size()), findingCount_});
    }

    const AuditOptions o_;
    const CrawlCallbacks& cb_;
    const std::atomic<bool>& cancel_;
    const QByteArray userAgent_ = o_.userAgent.toUtf8();
    CURLM* multi_ = nullptr;
    std::unique_ptr<Readers> readers_;
    QElapsedTimer clock_;
    qint64 lastProgressMs_ = -kProgressEveryMs;
    QString linkOrigin_;  // followed links stay on it; empty when the root URL is no address

    std::vector<AuditPage> pages_;
    std::vector<bool> done_;
    QSet<QString> seen_;
    QHash<QString, Origin> origins_;
    std::unordered_map<CURL*, std::unique_ptr<Transfer>> transfers_;
    std::vector<CURL*> idle_;
    int doneCount_ = 0;
    int findingCount_ = 0;
};

}  // namespace

QList<AuditPage> crawlSite(const QStringList& urls, const AuditOptions& options,
                           const CrawlCallbacks& callbacks, const std::atomic<bool>& cancel) {
    Crawler crawler(options, callbacks, cancel);
    return crawler.run(urls);
}

}  // namespace fd::audit
