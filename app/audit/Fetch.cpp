#include "Fetch.h"

#include "AuditUrl.h"
#include "platform/CurlSupport.h"

namespace fd::audit {

namespace {

struct Hop {
    const BodySink* sink = nullptr;
    CURL* easy = nullptr;
    qint64 limit = 0;
    qint64 size = 0;
    bool checked = false;  // the status was looked at
    bool keep = false;     // a 2xx answer, whose body the sink takes
    bool tooBig = false;
    bool stopped = false;
};

size_t takeBody(char* ptr, size_t size, size_t n, void* userdata) {
    auto* h = static_cast<Hop*>(userdata);
    const auto len = static_cast<qsizetype>(size * n);
    if (!h->checked) {
        long status = 0;
        curl_easy_getinfo(h->easy, CURLINFO_RESPONSE_CODE, &status);
        h->keep = status >= 200 && status < 300;
        h->checked = true;
    }
    // Only the final answer's body is read: that of a redirect or an error
    // ends the transfer at once.
    if (!h->keep) return 0;
    if (h->size + len > h->limit) {
        h->tooBig = true;
        return 0;
    }
    h->size += len;
    if (!(*h->sink)(ptr, len)) {
        h->stopped = true;
        return 0;
    }
    return static_cast<size_t>(len);
}

}  // namespace

QString FetchResult::problem() const {
    if (!error.isEmpty()) return error;
    if (redirectLoop) return QStringLiteral("Redirects in a loop");
    if (tooManyRedirects) return QStringLiteral("More than %1 redirects").arg(redirects.size() - 1);
    if (stopped) return {};
    if (status == 0) return QStringLiteral("No answer");
    if (status < 200 || status >= 300) return QStringLiteral("HTTP status %1").arg(status);
    return {};
}

QString sizeText(qint64 bytes) {
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0) return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 bytes").arg(bytes);
}

FetchResult fetchUrl(const QString& urlIn, const AuditOptions& optionsIn, qint64 maxBytes,
                     const BodySink& sink, const std::atomic<bool>* cancel) {
    const AuditOptions o = optionsIn.bounded();
    FetchResult r;
    r.url = urlIn.trimmed();
    QString url = auditUrl(r.url);
    r.finalUrl = url.isEmpty() ? r.url : url;
    if (url.isEmpty()) {
        r.error = QStringLiteral("Not an http or https address");
        return r;
    }
    curl::initOnce();
    curl::Easy easy(curl_easy_init());
    if (!easy) {
        r.error = QStringLiteral("Out of memory");
        return r;
    }
    CURL* c = easy.get();
    const QByteArray agent = o.userAgent.toUtf8();
    int spentMs = 0;
    while (true) {
        curl_easy_reset(c);
        const QByteArray address = url.toUtf8();
        char errbuf[CURL_ERROR_SIZE] = {};
        Hop hop;
        hop.sink = &sink;
        hop.easy = c;
        hop.limit = maxBytes;
        curl_easy_setopt(c, CURLOPT_URL, address.constData());
        curl::webOnly(c);
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(o.connectTimeoutMs));
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(qMax(1, o.totalTimeoutMs - spentMs)));
        curl_easy_setopt(c, CURLOPT_USERAGENT, agent.constData());
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, takeBody);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &hop);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
        const CURLcode rc = curl::perform(c, cancel);

        curl_off_t micros = 0;
        curl_easy_getinfo(c, CURLINFO_TOTAL_TIME_T, &micros);
        spentMs += static_cast<int>(micros / 1000);
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        r.finalUrl = url;
        r.status = static_cast<int>(status);
        r.size = hop.size;
        const char* type = nullptr;
        curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type);
        r.contentType = type ? QString::fromUtf8(type) : QString();
        r.stopped = hop.stopped;
        if (hop.tooBig) {
            r.error = QStringLiteral("The answer is larger than %1; reading stopped")
                          .arg(sizeText(maxBytes));
            return r;
        }
        // A body refused on purpose (a redirect's, an error's, or one the
        // sink stopped) is no failure of the transfer.
        const bool refused = rc == CURLE_WRITE_ERROR && (hop.stopped || (hop.checked && !hop.keep));
        if (rc != CURLE_OK && !refused) {
            r.error = rc == CURLE_ABORTED_BY_CALLBACK ? QStringLiteral("Cancelled")
                                                      : curl::errorText(rc, errbuf);
            return r;
        }
        if (hop.stopped || status < 300 || status >= 400 || status == 304) return r;
        const char* location = nullptr;
        curl_easy_getinfo(c, CURLINFO_REDIRECT_URL, &location);
        if (!location) return r;
        r.redirects.append(RedirectHop{url, static_cast<int>(status)});
        const QString target = auditUrl(QString::fromUtf8(location));
        if (target.isEmpty()) {
            r.error = QStringLiteral("Redirects to an address that is not http or https");
            return r;
        }
        bool loop = target == auditUrl(r.url);
        for (const RedirectHop& h : std::as_const(r.redirects)) loop = loop || h.url == target;
        r.finalUrl = target;
        if (loop) {
            r.redirectLoop = true;
            return r;
        }
        if (r.redirects.size() > o.maxRedirects) {
            r.tooManyRedirects = true;
            return r;
        }
        url = target;
    }
}

FetchResult fetchUrl(const QString& url, const AuditOptions& options, qint64 maxBytes,
                     QByteArray* body, const std::atomic<bool>* cancel) {
    body->clear();
    return fetchUrl(
        url, options, maxBytes,
        [body](const char* data, qsizetype n) {
            body->append(data, n);
            return true;
        },
        cancel);
}

}  // namespace fd::audit
