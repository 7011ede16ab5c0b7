#pragma once
// The answer ledger: what the engine answered to each submission, kept in
// SubmissionAnswers beside the Submissions row it answers. One answer per
// submission through the browser or the IndexNow client; and the recorder
// that writes the many submissions of an IndexNow batch in one transaction.

#include <QDateTime>
#include <QString>
#include <span>

#include "SubmissionRecord.h"
#include "core/CADODBAccess.h"
#include "indexnow/IndexNowProtocol.h"
#include "platform/HttpClient.h"

struct sqlite3;

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

LedgerAnswer ledgerAnswer(const IndexNowAnswer& a, const QString& channel, const QString& endpoint);

// The answer of a submission sent through the browser: the main frame's load
// result. ok is false when the load failed; httpStatus is the status the
// engine reported (0 when none); errorText what went wrong.
LedgerAnswer browserAnswer(bool ok, int httpStatus, const QString& errorText, const QString& url);
// What a browser submission holds until its page has loaded.
LedgerAnswer browserAnswerPending(const QString& url);

// The answer of a submission sent by a program without a browser straight
// to the engine (a GET, or a form POST): what the engine's page answered.
LedgerAnswer httpAnswer(const HttpResponse& r, const QString& url);

// The Submissions row a recording just wrote (the newest with its values),
// 0 when there is none.
long long submissionIdOf(const CADODBAccess& db, const RecordResult& r, const QDateTime& now);

// Writes (or replaces) the answer to a submission. Throws AppError.
void recordAnswer(const CADODBAccess& db, long long submissionId, const LedgerAnswer& a,
                  const QDateTime& now = QDateTime::currentDateTime());

// Who submits what to which engine, for a batch.
struct BatchSubmitter {
    QString siteName;
    QString rootUrl;
    QString email;
    QString engineName;
};

// Records the pages of IndexNow requests as submissions, each with the
// request's answer, on a connection of its own: one transaction per request,
// prepared statements, so a hundred thousand pages take a fraction of a
// second. Rows are looked up and added as a submission of a tree page does:
// the site by name, the root URL by address, the page by its path alone.
class SubmissionBatchRecorder {
public:
    // Throws AppError when the database cannot be opened.
    SubmissionBatchRecorder(const QString& databasePath, BatchSubmitter who);
    ~SubmissionBatchRecorder();
    SubmissionBatchRecorder(const SubmissionBatchRecorder&) = delete;
    SubmissionBatchRecorder& operator=(const SubmissionBatchRecorder&) = delete;

    // Writes one Submissions row per page and the answer beside each, all or
    // none. Returns the number of submissions written: 0 when the engine is
    // no longer in the catalogue. Throws AppError (nothing of this call
    // stays). Without the ledger table the submissions are still written.
    qsizetype record(std::span<const PlannedPage> pages, const LedgerAnswer& answer,
                     const QDateTime& now = QDateTime::currentDateTime());
    bool hasLedger() const { return hasLedger_; }

private:
    class Statement;
    long long lookUpOrInsert(Statement& select, Statement& insert,
                             const std::function<void(Statement&)>& bindInsert, const QString& key);
    void exec(const char* sql);

    sqlite3* db_ = nullptr;
    BatchSubmitter who_;
    bool hasLedger_ = false;
    long long siteId_ = 0, rootId_ = 0;
};

}  // namespace fd
