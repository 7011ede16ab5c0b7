#pragma once
// The answer ledger: what the engine answered to each submission, kept in
// SubmissionAnswers beside the Submissions row it answers, whichever way the
// submission went (through the browser, straight to the engine, or through
// IndexNow). The recorder of SubmissionRecord.h writes it.

#include <QDateTime>
#include <QString>

#include "core/CADODBAccess.h"
#include "platform/HttpClient.h"

namespace fd {

inline const QString kChannelIndexNowGet = QStringLiteral("IndexNow GET");
inline const QString kChannelIndexNowPost = QStringLiteral("IndexNow POST");
inline const QString kChannelBrowser = QStringLiteral("Browser");
inline const QString kChannelHttp = QStringLiteral("HTTP");

// One row of the ledger.
struct LedgerAnswer {
    QString channel;
    QString endpoint;
    int status = 0;  // HTTP status, 0 when no answer arrived (stored as null)
    bool accepted = false;
    QString text;  // in plain words
};

// The answer of a submission sent through the browser: the main frame's load
// result. ok is false when the load failed; httpStatus is the status the
// engine reported (0 when none); errorText what went wrong.
LedgerAnswer browserAnswer(bool ok, int httpStatus, const QString& errorText, const QString& url);
// What a browser submission holds until its page has loaded.
LedgerAnswer browserAnswerPending(const QString& url);

// The answer of a submission sent by a program without a browser straight
// to the engine (a GET, or a form POST): what the engine's page answered.
LedgerAnswer httpAnswer(const HttpResponse& r, const QString& url);

// Writes (or replaces) the answer to a submission. Throws AppError.
void recordAnswer(const CADODBAccess& db, long long submissionId, const LedgerAnswer& a,
                  const QDateTime& now = QDateTime::currentDateTime());

}  // namespace fd
