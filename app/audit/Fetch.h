#pragma once
// One address fetched as the site audit fetches: http and https only, the
// program's user agent, redirects followed one hop at a time (each hop an
// http(s) address, a loop or too many hops ending it), the connect timeout
// per hop and the total timeout over every hop, compressed answers decoded,
// and the body capped, counted after decoding. The body of the final 2xx
// answer is handed to a sink as it arrives, so nothing larger than one
// piece needs to be held.

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>

#include "AuditTypes.h"

namespace fd::audit {

struct FetchResult {
    QString url;       // the address asked for
    QString finalUrl;  // where the redirects, if any, ended
    int status = 0;    // the final answer's HTTP status; 0 when none came
    QList<RedirectHop> redirects;
    bool redirectLoop = false;
    bool tooManyRedirects = false;
    QString contentType;
    qint64 size = 0;  // bytes of the final body, after decoding
    // Why no complete answer came (the network, the time limit, the size
    // cap, a redirect to another scheme); empty when one did.
    QString error;
    bool stopped = false;  // the sink asked for no more

    // A complete 2xx answer whose body the sink took whole.
    bool ok() const { return error.isEmpty() && !stopped && status >= 200 && status < 300; }
    // What went wrong, in a reader's words; empty when the answer is ok.
    QString problem() const;
};

// Takes the next piece of the body; false stops the transfer.
using BodySink = std::function<bool(const char* data, qsizetype size)>;

// Fetches url under options' timeouts, redirect limit and user agent, the
// body of the final answer capped at maxBytes. Blocks; a cancel turning true
// ends it within a twentieth of a second.
FetchResult fetchUrl(const QString& url, const AuditOptions& options, qint64 maxBytes,
                     const BodySink& sink, const std::atomic<bool>* cancel = nullptr);

// The same, the body kept whole.
FetchResult fetchUrl(const QString& url, const AuditOptions& options, qint64 maxBytes,
                     QByteArray* body, const std::atomic<bool>* cancel = nullptr);

// "5 MB", "500 KB", "1000 bytes": a size cap as a reader would say it.
QString sizeText(qint64 bytes);

}  // namespace fd::audit
