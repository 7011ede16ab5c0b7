#include "IndexNowRun.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>

#include "core/AppError.h"

namespace fd {

namespace {

QString count(qsizetype n) {
    return QLocale(QLocale::English).toString(static_cast<qlonglong>(n));
}

HttpRequest indexNowRequest(const IndexNowLimits& limits, const std::atomic<bool>* cancel) {
    HttpRequest rq;
    rq.connectTimeoutMs = limits.connectTimeoutMs;
    rq.totalTimeoutMs = limits.totalTimeoutMs;
    rq.maxBodyBytes = limits.maxAnswerBytes;
    rq.cancel = cancel;
    return rq;
}

bool stopsTheRun(const IndexNowAnswer& a) {
    return a.status == 0 || a.status == 403 || a.status == 422 || a.status == 429;
}

}  // namespace

LedgerAnswer ledgerAnswer(const IndexNowAnswer& a, const QString& channel,
                          const QString& endpoint) {
    return {channel, endpoint, a.status, a.accepted, a.text};
}

IndexNowAnswer sendIndexNowGet(HttpClient& http, const IndexNowPlan& plan,
                               const IndexNowLimits& limits, const std::atomic<bool>* cancel) {
    HttpRequest rq = indexNowRequest(limits, cancel);
    rq.url = indexNowGetUrl(plan.endpoint, plan.pages.front().url, plan.key, plan.keyLocation);
    return interpretIndexNowAnswer(http.send(rq));
}

IndexNowBatchResult runIndexNowBatches(
    const IndexNowBatchJob& job, HttpClient& http, const std::atomic<bool>& cancel,
    const std::function<void(qsizetype done, qsizetype total)>& progress) {
    IndexNowBatchResult r;
    const auto& pages = job.plan.pages;
    r.planned = static_cast<qsizetype>(pages.size());
    if (pages.empty()) return r;
    std::optional<SubmissionRecorder> recorder;
    try {
        recorder.emplace(job.databasePath);
    } catch (const AppError& e) {
        r.recordError = e.description();
        r.notSent = r.planned;
        r.stopText = QStringLiteral("the database cannot be written");
        return r;
    }
    const std::size_t step =
        static_cast<std::size_t>(std::clamp(job.urlsPerPost, 1, kIndexNowMaxUrlsPerPost));
    HttpRequest rq = indexNowRequest(job.limits, &cancel);
    rq.method = "POST";
    rq.url = job.plan.endpoint;
    rq.contentType = kIndexNowJsonType;
    for (std::size_t at = 0; at < pages.size(); at += step) {
        if (cancel.load()) {
            r.cancelled = true;
            r.stopText = QStringLiteral("cancelled");
            break;
        }
        const std::size_t n = std::min(step, pages.size() - at);
        const std::span<const PlannedPage> chunk(pages.data() + at, n);
        QStringList urls;
        urls.reserve(static_cast<qsizetype>(n));
        for (const PlannedPage& p : chunk) urls << p.url;
        rq.body = indexNowJsonBody(job.plan.host, job.plan.key, job.plan.keyLocation, urls);
        const IndexNowAnswer answer = interpretIndexNowAnswer(http.send(rq));
        const LedgerAnswer kept = ledgerAnswer(answer, kChannelIndexNowPost, job.plan.endpoint);
        r.count(kept, static_cast<qsizetype>(n));
        try {
            r.recorded += recorder->record(job.who, chunk, kept, QDateTime::currentDateTime());
        } catch (const AppError& e) {
            r.recordError = e.description();
        }
        if (progress) progress(r.sent, r.planned);
        if (answer.error == err::kRequestCancelled) {
            r.cancelled = true;
            r.stopText = QStringLiteral("cancelled");
            break;
        }
        if (stopsTheRun(answer)) {
            r.retryAt = answer.retryAt;
            r.stopText =
                answer.status == 429 ? QStringLiteral("stopped after 429")
                : answer.status == 0
                    ? QStringLiteral("stopped: no answer")
                    : QStringLiteral("stopped after %1: ").arg(answer.status) + answer.text;
            break;
        }
        if (!r.recordError.isEmpty()) {
            r.stopText = QStringLiteral("stopped: the submissions could not be recorded");
            break;
        }
    }
    r.notSent = r.planned - r.sent;
    return r;
}

QString indexNowBatchSummary(const IndexNowBatchResult& r, const IndexNowPlan& plan) {
    QStringList parts;
    parts << count(r.sent) + QStringLiteral(" sent");
    for (const auto& [status, n] : r.accepted)
        parts << QStringLiteral("%1 accepted (%2)").arg(count(n)).arg(status);
    for (const auto& [status, n] : r.refused)
        parts << (status == 429
                      ? QStringLiteral("%1 refused (429, %2)").arg(count(n), retryAdvice(r.retryAt))
                      : QStringLiteral("%1 refused (%2)").arg(count(n)).arg(status));
    if (r.unanswered)
        parts << count(r.unanswered) + QStringLiteral(" not answered (") + r.unansweredText + u')';
    if (r.notSent)
        parts << count(r.notSent) + QStringLiteral(" not sent: ") +
                     (r.stopText.isEmpty() ? QStringLiteral("stopped") : r.stopText);
    const std::pair<qsizetype, const char*> skips[] = {
        {plan.otherHost, "other host"},
        {plan.notWeb, "not a web address"},
        {plan.outsideKeyFolder, "outside the key file's folder"},
        {plan.duplicates, "listed twice"},
    };
    for (const auto& [n, why] : skips)
        if (n) parts << count(n) + QStringLiteral(" skipped: ") + QString::fromLatin1(why);
    QString text = parts.join(QStringLiteral(", "));
    if (!r.recordError.isEmpty())
        text += QStringLiteral(". The submissions could not all be recorded: ") + r.recordError;
    return text;
}

}  // namespace fd
