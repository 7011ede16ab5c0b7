#pragma once
// The readiness check before a submission and the one recorder of
// submissions: the rows of WebSites, WebSiteNames, WebSitePages and
// Submissions, with the engine's answer beside each in the answer ledger.
// One page at a time as the Submit button records it, or the many pages of
// a request in one transaction.

#include <QDateTime>
#include <QString>
#include <optional>
#include <span>

#include "SubmissionLedger.h"
#include "SubmissionPages.h"
#include "core/CADODBAccess.h"
#include "core/DatabaseConnection.h"

namespace fd {

// The six Configuration-tab fields a submission needs.
struct SubmitterFields {
    QString siteName;
    QString rootUrl;
    QString industry;
    QString submitterName;
    QString submitterEmail;
    QString countryCode;
};

// True when all six fields are non-empty (blanks count as filled). The names
// of the empty ones go to *missing, in the fields' order, separated by ", "
// ("" when none).
bool isReadyForSubmit(const SubmitterFields& f, QString* missing = nullptr);

// The message shown when isReadyForSubmit fails.
QString configurationMissingMessage(const QString& missing);

// What one submission records.
struct SubmissionInput {
    QString siteName;
    QString rootUrl;
    QString email;
    QString submissionUrl;            // as typed in the submission box
    std::optional<QString> treePage;  // the selected page node's text, if any
    QString description;
    QString keywords;
    QString engineName;  // the entry's key
};

// The longest page path stored.
constexpr int kMaxPagePath = 100;

// The page path: the selected tree node's text, else the submission URL with
// every occurrence of the root URL removed (or the whole URL, not recordable,
// when it does not contain the root URL); cut to kMaxPagePath characters.
QString submissionPagePath(const SubmissionInput& in, bool* recordable);

enum class RecordOutcome {
    Recorded,     // the Submissions row was written
    NotRecorded,  // the page lies outside the root URL, the engine is gone or a row was not found
    EmptyPath,    // stopped before the page: the path was empty (only when asked to check)
};

struct RecordResult {
    RecordOutcome outcome = RecordOutcome::NotRecorded;
    long long submissionId = 0;  // the Submissions row written, 0 when none
    long long webSiteId = 0;
    long long webSiteNameId = 0;
    long long webSitePageId = 0;
    long long searchEngineId = 0;
    QString pagePath;
    bool recordable = true;
    bool identifiersFound = true;
};

// Who submits to which engine: what a request of many pages records.
struct BatchSubmitter {
    QString siteName;
    QString rootUrl;
    QString email;
    QString engineName;
};

// The recorder, on a connection of its own with the program's settings.
// Rows are looked up and added the same way whether one page or many are
// recorded: the site by its name, the root URL by its address, the page by
// its path alone (the first row with it), the engine by its name; every
// value is bound, never written into the statement, so names such as
// O'Brien's or values holding a double quote are stored intact.
class SubmissionRecorder {
public:
    // Throws AppError when the database cannot be opened.
    explicit SubmissionRecorder(const QString& databasePath);

    // One submission: looks up or inserts the site, the root URL and the
    // page, looks up the engine by name and inserts the Submissions row when
    // all were found and the page lies under the root URL. With
    // stopOnEmptyPath an empty page path ends the recording before the page
    // is looked up. Each row is written as it is found missing: a failing
    // statement throws AppError and the rows written before it stay.
    RecordResult record(const SubmissionInput& in, bool stopOnEmptyPath, const QDateTime& now);

    // The pages of one request, each as a submission with the request's
    // answer beside it, all or none. Returns the number of submissions
    // written: 0 when the engine is no longer in the catalogue. Throws
    // AppError (nothing of this call stays). Without the ledger table the
    // submissions are still written.
    qsizetype record(const BatchSubmitter& who, std::span<const PlannedPage> pages,
                     const LedgerAnswer& answer, const QDateTime& now);

    // Writes (or replaces) the answer to a submission. Throws AppError.
    void recordAnswer(long long submissionId, const LedgerAnswer& a, const QDateTime& now);

    bool hasLedger() const { return hasLedger_; }
    const db::Connection& connection() const { return c_; }

private:
    qint64 siteId(const QString& name, bool* found);
    qint64 rootId(qint64 siteId, const QString& url, const QString& email, bool* found);
    std::optional<qint64> engineId(const QString& name);

    db::Connection c_;
    bool hasLedger_ = false;
};

// Records one submission on a recorder of its own (see
// SubmissionRecorder::record).
RecordResult recordSubmission(const CADODBAccess& db, const SubmissionInput& in,
                              bool stopOnEmptyPath,
                              const QDateTime& now = QDateTime::currentDateTime());

}  // namespace fd
