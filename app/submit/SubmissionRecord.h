#pragma once
// The readiness check before a submission and the recording of a submission
// in WebSites, WebSiteNames, WebSitePages and Submissions.

#include <QDateTime>
#include <QString>
#include <optional>

#include "core/CADODBAccess.h"

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
    long long webSiteId = 0;
    long long webSiteNameId = 0;
    long long webSitePageId = 0;
    long long searchEngineId = 0;
    QString pagePath;
    bool recordable = true;
    bool identifiersFound = true;
};

// Records a submission: looks up or inserts the site, the root URL and the
// page, looks up the engine by name and inserts the Submissions row when all
// were found and the page lies under the root URL. With stopOnEmptyPath an
// empty page path ends the recording before the page is looked up. Each
// value goes into its statement escaped for its literal. A failing statement
// throws AppError; rows written by earlier statements stay.
RecordResult recordSubmission(const CADODBAccess& db, const SubmissionInput& in,
                              bool stopOnEmptyPath,
                              const QDateTime& now = QDateTime::currentDateTime());

}  // namespace fd
