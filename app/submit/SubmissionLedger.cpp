#include "SubmissionLedger.h"

#include "SubmissionRecord.h"

namespace fd {

LedgerAnswer browserAnswer(bool ok, int httpStatus, const QString& errorText, const QString& url) {
    LedgerAnswer a;
    a.channel = kChannelBrowser;
    a.endpoint = url;
    a.status = httpStatus;
    if (httpStatus >= 400) {
        a.text = QStringLiteral("Refused: the engine's page answered %1").arg(httpStatus);
    } else if (ok) {
        a.accepted = true;
        a.text = QStringLiteral("Loaded in the browser");
    } else {
        a.text = QStringLiteral("Failed: ") +
                 (errorText.isEmpty() ? QStringLiteral("the page did not load") : errorText);
    }
    return a;
}

LedgerAnswer browserAnswerPending(const QString& url) {
    LedgerAnswer a;
    a.channel = kChannelBrowser;
    a.endpoint = url;
    a.text = QStringLiteral("Sent; the engine's page has not loaded yet");
    return a;
}

LedgerAnswer httpAnswer(const HttpResponse& r, const QString& url) {
    LedgerAnswer a;
    a.channel = kChannelHttp;
    a.endpoint = url;
    a.status = r.status;
    if (!r.answered()) {
        a.text = QStringLiteral("Failed: ") +
                 (r.errorText.isEmpty() ? QStringLiteral("no answer") : r.errorText);
    } else if (r.status >= 400) {
        a.text = QStringLiteral("Refused: the engine's page answered %1").arg(r.status);
    } else {
        a.accepted = true;
        a.text = QStringLiteral("Answered %1").arg(r.status);
    }
    return a;
}

void recordAnswer(const CADODBAccess& db, long long submissionId, const LedgerAnswer& a,
                  const QDateTime& now) {
    SubmissionRecorder(db.databasePath()).recordAnswer(submissionId, a, now);
}

}  // namespace fd
