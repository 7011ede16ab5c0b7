#include "SubmissionLedger.h"

#include <sqlite3.h>

#include <functional>

#include "core/AppError.h"
#include "core/DatabaseConnection.h"
#include "core/JetSql.h"

namespace fd {

namespace {

const QString kSource = QStringLiteral("SubmissionAnswers");

AppError sqliteError(sqlite3* db) {
    return AppError(err::kDatabase, QString::fromUtf8(sqlite3_errmsg(db)), kSource);
}

// How dates are stored: the form the statement translator writes.
QByteArray storedStamp(const QDateTime& now) {
    return now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
}

}  // namespace

LedgerAnswer ledgerAnswer(const IndexNowAnswer& a, const QString& channel,
                          const QString& endpoint) {
    return {channel, endpoint, a.status, a.accepted, a.text};
}

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

long long submissionIdOf(const CADODBAccess& db, const RecordResult& r, const QDateTime& now) {
    if (r.outcome != RecordOutcome::Recorded) return 0;
    RecordsetPtr rs = db.query(
        QStringLiteral("SELECT Max(SubmissionID) FROM Submissions WHERE SubmitDate = #") +
        jetDateTime(now) + QStringLiteral("# AND WebSiteID = ") + QString::number(r.webSiteId) +
        QStringLiteral(" AND WebSiteNameID = ") + QString::number(r.webSiteNameId) +
        QStringLiteral(" AND WebSitePageID = ") + QString::number(r.webSitePageId) +
        QStringLiteral(" AND SearchEngineID = ") + QString::number(r.searchEngineId));
    return rs->eof() ? 0 : rs->field(0).toLongLong();
}

void recordAnswer(const CADODBAccess& db, long long submissionId, const LedgerAnswer& a,
                  const QDateTime& now) {
    db.execute(QStringLiteral("INSERT OR REPLACE INTO SubmissionAnswers (SubmissionID, "
                              "AnswerDate, Channel, Endpoint, HTTPStatus, Accepted, AnswerText) "
                              "VALUES (") +
               QString::number(submissionId) + QStringLiteral(",#") + jetDateTime(now) +
               QStringLiteral("#,") + dq(a.channel) + u',' + dq(a.endpoint) + u',' +
               (a.status > 0 ? QString::number(a.status) : QStringLiteral("NULL")) + u',' +
               (a.accepted ? u'1' : u'0') + u',' + dq(a.text) + u')');
}

// --- the batch recorder

class SubmissionBatchRecorder::Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK) throw sqliteError(db);
    }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& text(int i, const QByteArray& v) {
        sqlite3_bind_text(st_, i, v.constData(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& text(int i, const QString& v) { return text(i, v.toUtf8()); }
    Statement& integer(int i, long long v) {
        sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    Statement& null(int i) {
        sqlite3_bind_null(st_, i);
        return *this;
    }
    // Runs to the first row; returns its first column, or nothing.
    std::optional<long long> first() {
        const int rc = sqlite3_step(st_);
        std::optional<long long> v;
        if (rc == SQLITE_ROW && sqlite3_column_type(st_, 0) != SQLITE_NULL)
            v = sqlite3_column_int64(st_, 0);
        else if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            sqlite3_reset(st_);
            throw sqliteError(db_);
        }
        sqlite3_reset(st_);
        return v;
    }
    void run() {
        const int rc = sqlite3_step(st_);
        sqlite3_reset(st_);
        if (rc != SQLITE_DONE) throw sqliteError(db_);
    }

private:
    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
};

SubmissionBatchRecorder::SubmissionBatchRecorder(const QString& databasePath, BatchSubmitter who)
    : db_(openDatabaseConnection(databasePath, kSource)), who_(std::move(who)) {
    // Room for the indexes a large batch walks (32 MB), so their pages stay
    // in memory for the whole run.
    sqlite3_exec(db_, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr);
    sqlite3_stmt* probe = nullptr;
    hasLedger_ = sqlite3_prepare_v2(db_, "SELECT 1 FROM SubmissionAnswers", -1, &probe, nullptr) ==
                 SQLITE_OK;
    sqlite3_finalize(probe);
}

SubmissionBatchRecorder::~SubmissionBatchRecorder() {
    sqlite3_close(db_);
}

void SubmissionBatchRecorder::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw sqliteError(db_);
}

long long SubmissionBatchRecorder::lookUpOrInsert(Statement& select, Statement& insert,
                                                  const std::function<void(Statement&)>& bindInsert,
                                                  const QString& key) {
    const QByteArray k = key.toUtf8();
    if (auto id = select.text(1, k).first()) return *id;
    bindInsert(insert);
    insert.run();
    if (auto id = select.text(1, k).first()) return *id;
    throw AppError(err::kDatabase,
                   QStringLiteral("The row of \"%1\" was not found after it was added.").arg(key),
                   kSource);
}

qsizetype SubmissionBatchRecorder::record(std::span<const PlannedPage> pages,
                                          const LedgerAnswer& answer, const QDateTime& now) {
    if (pages.empty()) return 0;
    const QByteArray stamp = storedStamp(now);
    exec("BEGIN IMMEDIATE");
    try {
        Statement engine(db_,
                         "SELECT SearchEngineID FROM SearchEngines WHERE SearchEngineName = ?");
        // The engine may have left the catalogue since the lists were filled:
        // then, as for a single submission, nothing is recorded.
        const auto engineId = engine.text(1, who_.engineName).first();
        if (!engineId) {
            exec("ROLLBACK");
            return 0;
        }
        if (siteId_ == 0) {
            Statement select(db_, "SELECT WebSiteID FROM WebSites WHERE WebSiteGenericName = ?");
            Statement insert(db_, "INSERT INTO WebSites (WebSiteGenericName) VALUES (?)");
            siteId_ = lookUpOrInsert(
                select, insert, [&](Statement& s) { s.text(1, who_.siteName); }, who_.siteName);
        }
        if (rootId_ == 0) {
            Statement select(db_,
                             "SELECT WebSiteNameID FROM WebSiteNames WHERE WebSiteBaseURL = ?");
            Statement insert(db_,
                             "INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL, "
                             "WebSiteEmailAddress) VALUES (?, ?, ?)");
            rootId_ = lookUpOrInsert(
                select, insert,
                [&](Statement& s) {
                    s.integer(1, siteId_).text(2, who_.rootUrl).text(3, who_.email);
                },
                who_.rootUrl);
        }
        // The request's page paths, in order, then the pages and the
        // submissions set by set, looked up and added as one submission at a
        // time would: a page is found by its path alone (the first row with
        // it), and added when there is none.
        exec("CREATE TEMP TABLE IF NOT EXISTS BatchPages (Ord INTEGER PRIMARY KEY, Path TEXT)");
        exec("DELETE FROM temp.BatchPages");
        Statement addPath(db_, "INSERT INTO temp.BatchPages (Ord, Path) VALUES (?, ?)");
        long long ord = 0;
        for (const PlannedPage& page : pages)
            addPath.integer(1, ++ord).text(2, page.path.left(kMaxPagePath)).run();
        Statement newPages(db_,
                           "INSERT INTO WebSitePages (WebSiteID, PageURL, PageDescription, "
                           "PageKeywords, UpdatedDate) SELECT ?, Path, '', '', ? FROM "
                           "temp.BatchPages b WHERE NOT EXISTS (SELECT 1 FROM WebSitePages w "
                           "WHERE w.PageURL = b.Path) GROUP BY Path ORDER BY min(Ord)");
        newPages.integer(1, siteId_).text(2, stamp).run();
        Statement submissions(db_,
                              "INSERT INTO Submissions (SubmitDate, WebSiteID, WebSiteNameID, "
                              "WebSitePageID, SearchEngineID) SELECT ?, ?, ?, (SELECT "
                              "min(WebSitePageID) FROM WebSitePages w WHERE w.PageURL = b.Path), "
                              "? FROM temp.BatchPages b ORDER BY Ord");
        submissions.text(1, stamp)
            .integer(2, siteId_)
            .integer(3, rootId_)
            .integer(4, *engineId)
            .run();
        const long long last = sqlite3_last_insert_rowid(db_);
        const long long first = last - static_cast<long long>(pages.size()) + 1;
        // The answer beside every submission just written: the write lock
        // held since BEGIN IMMEDIATE keeps their counters one run.
        if (hasLedger_) {
            Statement answers(db_,
                              "INSERT OR REPLACE INTO SubmissionAnswers (SubmissionID, AnswerDate, "
                              "Channel, Endpoint, HTTPStatus, Accepted, AnswerText) SELECT "
                              "SubmissionID, ?, ?, ?, ?, ?, ? FROM Submissions WHERE "
                              "SubmissionID BETWEEN ? AND ?");
            answers.text(1, stamp)
                .text(2, answer.channel)
                .text(3, answer.endpoint)
                .integer(5, answer.accepted ? 1 : 0)
                .text(6, answer.text)
                .integer(7, first)
                .integer(8, last);
            if (answer.status > 0)
                answers.integer(4, answer.status);
            else
                answers.null(4);
            answers.run();
        }
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        // Ids found inside a transaction that did not stay are not kept.
        siteId_ = rootId_ = 0;
        throw;
    }
    return static_cast<qsizetype>(pages.size());
}

}  // namespace fd
