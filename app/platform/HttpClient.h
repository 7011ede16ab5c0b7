#pragma once
// Plain HTTP requests whose answer the program reads: status, content type,
// Retry-After and a capped body. Unlike the transfer control, a request runs
// on whatever thread calls it, several may run at once, and an error status
// is an answer, not a failure. A network failure is reported in the answer
// too, so callers can keep it beside the statuses they record.

#include <QByteArray>
#include <QString>
#include <atomic>

#include "core/AppError.h"

namespace fd {

namespace err {
constexpr long kRequestCancelled = 18;  // the user stopped the request
}  // namespace err

struct HttpRequest {
    QByteArray method = "GET";  // GET or POST
    QString url;
    QByteArray body;         // POST only
    QByteArray contentType;  // POST only
    bool followRedirects = false;
    long connectTimeoutMs = 15000;
    long totalTimeoutMs = 60000;
    qint64 maxBodyBytes = 256 * 1024;  // the rest of a longer answer is not read
    // Checked while the request runs; when it turns true the request ends
    // with kRequestCancelled.
    const std::atomic<bool>* cancel = nullptr;
};

struct HttpResponse {
    // 0 when no HTTP answer arrived (see error); otherwise the final status.
    int status = 0;
    QByteArray body;
    bool truncated = false;  // the answer was longer than maxBodyBytes
    QString contentType;     // as sent, "" when absent
    QString retryAfter;      // the Retry-After header as sent, "" when absent
    QString finalUrl;        // after redirects
    // 0, or err::kCannotConnect, err::kTransferTimedOut, kRequestCancelled
    // or err::kTransferFailed, with the text saying what happened.
    long error = 0;
    QString errorText;

    bool answered() const { return status > 0; }
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // Only http and https addresses are requested; anything else ends with
    // err::kTransferFailed.
    virtual HttpResponse send(const HttpRequest& request) = 0;
};

}  // namespace fd
