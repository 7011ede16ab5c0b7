#include "CurlHttpClient.h"

#include "CurlSupport.h"

namespace fd {

namespace {

struct Sink {
    QByteArray data;
    qint64 limit = 0;
    bool truncated = false;
};

// Keeps the answer up to the cap; beyond it the transfer is ended, since
// nothing past the cap would be read anyway.
size_t keepBody(char* ptr, size_t size, size_t n, void* userdata) {
    auto* sink = static_cast<Sink*>(userdata);
    const qint64 len = static_cast<qint64>(size * n);
    const qint64 room = sink->limit - sink->data.size();
    if (len > room) {
        if (room > 0) sink->data.append(ptr, static_cast<qsizetype>(room));
        sink->truncated = true;
        return 0;  // curl ends the transfer with CURLE_WRITE_ERROR
    }
    sink->data.append(ptr, static_cast<qsizetype>(len));
    return size * n;
}

int cancelCheck(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancel = static_cast<const std::atomic<bool>*>(userdata);
    return cancel && cancel->load() ? 1 : 0;
}

struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

QString headerValue(CURL* c, const char* name) {
    curl_header* h = nullptr;
    if (curl_easy_header(c, name, 0, CURLH_HEADER, -1, &h) != CURLHE_OK || !h) return {};
    return QString::fromLatin1(h->value).trimmed();
}

}  // namespace

CurlHttpClient::CurlHttpClient() {
    curl::initOnce();
}

HttpResponse CurlHttpClient::send(const HttpRequest& rq) {
    HttpResponse out;
    curl::Easy easy(curl_easy_init());
    if (!easy) {
        out.error = err::kTransferFailed;
        out.errorText = QStringLiteral("Out of memory");
        return out;
    }
    CURL* c = easy.get();
    char errbuf[CURL_ERROR_SIZE] = {};
    Sink sink;
    sink.limit = rq.maxBodyBytes;
    const QByteArray url = rq.url.toUtf8();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl::webOnly(c);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, rq.followRedirects ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, rq.connectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, rq.totalTimeoutMs);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, keepBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Farrowdale");
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, cancelCheck);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, rq.cancel);
    std::unique_ptr<curl_slist, SlistDeleter> headers;
    if (rq.method == "POST") {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, rq.body.constData());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(rq.body.size()));
        curl_slist* list = nullptr;
        if (!rq.contentType.isEmpty())
            list = curl_slist_append(list, ("Content-Type: " + rq.contentType).constData());
        // No "Expect: 100-continue": servers that never send the interim
        // answer would hold every large body back by a second.
        list = curl_slist_append(list, "Expect:");
        headers.reset(list);
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    }

    const CURLcode rc = curl::perform(c, rq.cancel);
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    out.body = std::move(sink.data);
    out.truncated = sink.truncated;
    // A status with a cut answer is still an answer; any other failure
    // before the answer was complete is not.
    if (rc == CURLE_OK || (sink.truncated && rc == CURLE_WRITE_ERROR && status > 0)) {
        out.status = static_cast<int>(status);
        const char* type = nullptr;
        curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type);
        out.contentType = type ? QString::fromLatin1(type) : QString();
        out.retryAfter = headerValue(c, "Retry-After");
        const char* effective = nullptr;
        curl_easy_getinfo(c, CURLINFO_EFFECTIVE_URL, &effective);
        out.finalUrl = effective ? QString::fromUtf8(effective) : rq.url;
        return out;
    }
    out.body.clear();
    out.errorText = curl::errorText(rc, errbuf);
    switch (rc) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            out.error = err::kCannotConnect;
            break;
        case CURLE_OPERATION_TIMEDOUT:
            out.error = err::kTransferTimedOut;
            break;
        case CURLE_ABORTED_BY_CALLBACK:
            out.error = err::kRequestCancelled;
            out.errorText = QStringLiteral("Cancelled");
            break;
        default:
            out.error = err::kTransferFailed;
    }
    return out;
}

}  // namespace fd
