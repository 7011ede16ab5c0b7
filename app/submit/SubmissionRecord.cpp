#include "SubmissionRecord.h"

#include <QStringList>

#include "core/AppError.h"
#include "core/JetSql.h"

namespace fd {

namespace {

const QString kSource = QStringLiteral("SubmissionRecorder");

// Looks a row up by select, key bound to its one value; when there is none,
// runs insert (its values bound) and looks again. Returns the first column of the first
// row found, or nothing.
std::optional<qint64> lookUpOrInsert(db::Statement& select, const QString& key,
                                     db::Statement& insert) {
    if (auto id = select.bind(1, key).firstInteger()) return id;
    insert.run();
    return select.bind(1, key).firstInteger();
}

}  // namespace

bool isReadyForSubmit(const SubmitterFields& f, QString* missing) {
    const std::pair<const QString*, const char*> items[] = {
        {&f.siteName, "Website name"},
        {&f.rootUrl, "website URL"},
        {&f.industry, "Industry"},
        {&f.submitterName, "Submitter's Name"},
        {&f.submitterEmail, "Submitter's Email address"},
        {&f.countryCode, "Country Code"},
    };
    QStringList empty;
    for (const auto& [value, name] : items)
        if (value->isEmpty()) empty << QString::fromLatin1(name);
    if (missing) *missing = empty.join(QStringLiteral(", "));
    return empty.isEmpty();
}

QString configurationMissingMessage(const QString& missing) {
    return QStringLiteral(
               "You must enter the following items under the Configuration tab before "
               "submitting: \r\n") +
           missing;
}

QString submissionPagePath(const SubmissionInput& in, bool* recordable) {
    QString path;
    if (in.treePage) {
        path = *in.treePage;
    } else {
        path = in.submissionUrl;
        if (path.contains(in.rootUrl))
            path.remove(in.rootUrl);
        else if (recordable)
            *recordable = false;
    }
    return path.left(kMaxPagePath);
}

// --- the recorder

SubmissionRecorder::SubmissionRecorder(const QString& databasePath) : c_(databasePath, kSource) {
    // Room for the indexes a large batch walks (32 MB), so their pages stay
    // in memory for the whole run.
    c_.exec("PRAGMA cache_size=-32768");
    hasLedger_ = c_.hasTable(QStringLiteral("SubmissionAnswers"));
}

qint64 SubmissionRecorder::siteId(const QString& name, bool* found) {
    db::Statement select =
        c_.prepare("SELECT WebSiteID FROM WebSites WHERE WebSiteGenericName = ?");
    db::Statement insert = c_.prepare("INSERT INTO WebSites (WebSiteGenericName) VALUES (?)");
    insert.bind(1, name);
    const auto id = lookUpOrInsert(select, name, insert);
    if (!id) *found = false;
    return id.value_or(0);
}

qint64 SubmissionRecorder::rootId(qint64 siteId, const QString& url, const QString& email,
                                  bool* found) {
    db::Statement select =
        c_.prepare("SELECT WebSiteNameID FROM WebSiteNames WHERE WebSiteBaseURL = ?");
    db::Statement insert = c_.prepare(
        "INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL, WebSiteEmailAddress) VALUES (?, ?, "
        "?)");
    insert.bind(1, siteId).bind(2, url).bind(3, email);
    const auto id = lookUpOrInsert(select, url, insert);
    if (!id) *found = false;
    return id.value_or(0);
}

std::optional<qint64> SubmissionRecorder::engineId(const QString& name) {
    // Looked up again by name: the engine may have left the catalogue since
    // the lists were filled.
    return c_.prepare("SELECT SearchEngineID FROM SearchEngines WHERE SearchEngineName = ?")
        .bind(1, name)
        .firstInteger();
}

RecordResult SubmissionRecorder::record(const SubmissionInput& in, bool stopOnEmptyPath,
                                        const QDateTime& now) {
    RecordResult r;
    const QString stamp = storedDateTime(now);
    r.webSiteId = siteId(in.siteName, &r.identifiersFound);
    r.webSiteNameId = rootId(r.webSiteId, in.rootUrl, in.email, &r.identifiersFound);

    r.pagePath = submissionPagePath(in, &r.recordable);
    if (stopOnEmptyPath && r.pagePath.isEmpty()) {
        r.outcome = RecordOutcome::EmptyPath;
        return r;
    }

    // The page, by its path alone (a page outside the site is added under its
    // full URL all the same).
    {
        db::Statement select =
            c_.prepare("SELECT WebSitePageID FROM WebSitePages WHERE PageURL = ?");
        db::Statement insert = c_.prepare(
            "INSERT INTO WebSitePages (WebSiteID, PageURL, PageDescription, PageKeywords, "
            "UpdatedDate) VALUES (?, ?, ?, ?, ?)");
        insert.bind(1, r.webSiteId)
            .bind(2, r.pagePath)
            .bind(3, in.description)
            .bind(4, in.keywords)
            .bind(5, stamp);
        const auto id = lookUpOrInsert(select, r.pagePath, insert);
        if (id)
            r.webSitePageId = *id;
        else
            r.identifiersFound = false;
    }

    if (const auto engine = engineId(in.engineName))
        r.searchEngineId = *engine;
    else
        r.recordable = false;

    if (!r.recordable || !r.identifiersFound) return r;
    c_.prepare(
          "INSERT INTO Submissions (SubmitDate, WebSiteID, WebSiteNameID, WebSitePageID, "
          "SearchEngineID) VALUES (?, ?, ?, ?, ?)")
        .bind(1, stamp)
        .bind(2, r.webSiteId)
        .bind(3, r.webSiteNameId)
        .bind(4, r.webSitePageId)
        .bind(5, r.searchEngineId)
        .run();
    r.submissionId = c_.lastInsertId();
    r.outcome = RecordOutcome::Recorded;
    return r;
}

void SubmissionRecorder::recordAnswer(long long submissionId, const LedgerAnswer& a,
                                      const QDateTime& now) {
    db::Statement st = c_.prepare(
        "INSERT OR REPLACE INTO SubmissionAnswers (SubmissionID, AnswerDate, Channel, Endpoint, "
        "HTTPStatus, Accepted, AnswerText) VALUES (?, ?, ?, ?, ?, ?, ?)");
    st.bind(1, submissionId)
        .bind(2, storedDateTime(now))
        .bind(3, a.channel)
        .bind(4, a.endpoint)
        .bind(6, qint64(a.accepted ? 1 : 0))
        .bind(7, a.text);
    if (a.status > 0)
        st.bind(5, qint64(a.status));
    else
        st.bindNull(5);
    st.run();
}

qsizetype SubmissionRecorder::record(const BatchSubmitter& who, std::span<const PlannedPage> pages,
                                     const LedgerAnswer& answer, const QDateTime& now) {
    if (pages.empty()) return 0;
    const QString stamp = storedDateTime(now);
    db::Transaction t(c_, db::Transaction::Immediate);
    // The engine may have left the catalogue since the lists were filled:
    // then, as for a single submission, nothing is recorded.
    const auto engine = engineId(who.engineName);
    if (!engine) return 0;
    bool found = true;
    const qint64 site = siteId(who.siteName, &found);
    const qint64 root = rootId(site, who.rootUrl, who.email, &found);
    if (!found)
        throw AppError(err::kDatabase,
                       QStringLiteral("The rows of \"%1\" were not found after they were added.")
                           .arg(who.rootUrl),
                       kSource);

    // The request's page paths, in order, then the pages and the submissions
    // set by set, looked up and added as one submission at a time would: a
    // page is found by its path alone (the first row with it), and added when
    // there is none.
    c_.exec("CREATE TEMP TABLE IF NOT EXISTS BatchPages (Ord INTEGER PRIMARY KEY, Path TEXT)");
    c_.exec("DELETE FROM temp.BatchPages");
    {
        db::Statement addPath = c_.prepare("INSERT INTO temp.BatchPages (Ord, Path) VALUES (?, ?)");
        qint64 ord = 0;
        for (const PlannedPage& page : pages)
            addPath.bind(1, ++ord).bind(2, page.path.left(kMaxPagePath)).run();
    }
    c_.prepare(
          "INSERT INTO WebSitePages (WebSiteID, PageURL, PageDescription, PageKeywords, "
          "UpdatedDate) SELECT ?, Path, '', '', ? FROM temp.BatchPages b WHERE NOT EXISTS "
          "(SELECT 1 FROM WebSitePages w WHERE w.PageURL = b.Path) GROUP BY Path ORDER BY "
          "min(Ord)")
        .bind(1, site)
        .bind(2, stamp)
        .run();
    c_.prepare(
          "INSERT INTO Submissions (SubmitDate, WebSiteID, WebSiteNameID, WebSitePageID, "
          "SearchEngineID) SELECT ?, ?, ?, (SELECT min(WebSitePageID) FROM WebSitePages w WHERE "
          "w.PageURL = b.Path), ? FROM temp.BatchPages b ORDER BY Ord")
        .bind(1, stamp)
        .bind(2, site)
        .bind(3, root)
        .bind(4, *engine)
        .run();
    const qint64 last = c_.lastInsertId();
    const qint64 first = last - static_cast<qint64>(pages.size()) + 1;
    // The answer beside every submission just written: the write lock held
    // since the transaction began keeps their counters one run.
    if (hasLedger_) {
        db::Statement answers = c_.prepare(
            "INSERT OR REPLACE INTO SubmissionAnswers (SubmissionID, AnswerDate, Channel, "
            "Endpoint, HTTPStatus, Accepted, AnswerText) SELECT SubmissionID, ?, ?, ?, ?, ?, ? "
            "FROM Submissions WHERE SubmissionID BETWEEN ? AND ?");
        answers.bind(1, stamp)
            .bind(2, answer.channel)
            .bind(3, answer.endpoint)
            .bind(5, qint64(answer.accepted ? 1 : 0))
            .bind(6, answer.text)
            .bind(7, first)
            .bind(8, last);
        if (answer.status > 0)
            answers.bind(4, qint64(answer.status));
        else
            answers.bindNull(4);
        answers.run();
    }
    t.commit();
    return static_cast<qsizetype>(pages.size());
}

RecordResult recordSubmission(const CADODBAccess& db, const SubmissionInput& in,
                              bool stopOnEmptyPath, const QDateTime& now) {
    return SubmissionRecorder(db.databasePath()).record(in, stopOnEmptyPath, now);
}

}  // namespace fd
