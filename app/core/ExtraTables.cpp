#include "ExtraTables.h"

#include <sqlite3.h>

#include "DatabaseConnection.h"

namespace fd {

QStringList extraTableStatements() {
    return {
        // Rooms add their CREATE TABLE IF NOT EXISTS ... statements here.

        // Site audit: one row per run, its pages and its findings. A finding's
        // State says how it compares with the previous complete run of the
        // same root URL: "new", "still there", or "fixed" (a finding of that
        // run on a page audited again that no longer has it).
        QStringLiteral("CREATE TABLE IF NOT EXISTS AuditRuns ("
                       "RunID INTEGER PRIMARY KEY AUTOINCREMENT, RootURL TEXT NOT NULL, "
                       "StartedAt TEXT NOT NULL, FinishedAt TEXT NOT NULL, "
                       "FollowLinks INTEGER NOT NULL DEFAULT 0, PageLimit INTEGER, "
                       "PagesFound INTEGER, PagesDone INTEGER, Findings INTEGER, "
                       "Cancelled INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS AuditRunsByRoot ON AuditRuns (RootURL, RunID)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS AuditPages ("
                       "RunID INTEGER NOT NULL REFERENCES AuditRuns (RunID), "
                       "PageNo INTEGER NOT NULL, URL TEXT NOT NULL, FinalURL TEXT, "
                       "Status INTEGER, Error TEXT, Disallowed INTEGER, Redirects TEXT, "
                       "RedirectLoop INTEGER, ContentType TEXT, Size INTEGER, TimeMs INTEGER, "
                       "XRobotsTag TEXT, IsHtml INTEGER, HasTitle INTEGER, Title TEXT, "
                       "HasDescription INTEGER, Description TEXT, Keywords TEXT, Robots TEXT, "
                       "Author TEXT, Revisit TEXT, Canonical TEXT, H1Count INTEGER, "
                       "H1Text TEXT, Lang TEXT, Metas TEXT, PRIMARY KEY (RunID, PageNo))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS AuditFindings ("
                       "RunID INTEGER NOT NULL REFERENCES AuditRuns (RunID), "
                       "URL TEXT NOT NULL, Kind TEXT NOT NULL, Detail TEXT, "
                       "State TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS AuditFindingsByRun ON AuditFindings (RunID)"),

        // The IndexNow key of each root URL, with the address of its key
        // file when that is not "<key>.txt" at the host's root.
        QStringLiteral("CREATE TABLE IF NOT EXISTS IndexNowKeys ("
                       "WebSiteBaseURL TEXT PRIMARY KEY, "
                       "IndexNowKey TEXT NOT NULL, "
                       "KeyLocation TEXT, "
                       "SavedDate TEXT)"),
        // What the engine answered to each submission (one row per
        // Submissions row): the HTTP status, or none when no answer came,
        // whether the page was taken, and the answer in plain words.
        QStringLiteral("CREATE TABLE IF NOT EXISTS SubmissionAnswers ("
                       "SubmissionID INTEGER PRIMARY KEY, "
                       "AnswerDate TEXT, "
                       "Channel TEXT, "
                       "Endpoint TEXT, "
                       "HTTPStatus INTEGER, "
                       "Accepted INTEGER NOT NULL DEFAULT 0, "
                       "AnswerText TEXT)"),
        // The last-modified time the site itself gives each page of a root
        // URL's list (its sitemaps' <lastmod>, a feed's date), from the last
        // discovery taken; the page as its node text, the time in UTC as
        // "yyyy-mm-ddThh:mm:ssZ".
        QStringLiteral("CREATE TABLE IF NOT EXISTS PageLastModified ("
                       "WebSiteBaseURL TEXT NOT NULL, "
                       "Page TEXT NOT NULL, "
                       "LastModified TEXT NOT NULL, "
                       "PRIMARY KEY (WebSiteBaseURL, Page)) WITHOUT ROWID"),
        // Where each root URL is published: the folder on the server that
        // holds the site (sftp://, ftps:// or ftp://) and the user name. The
        // password is in the desktop's keyring, never here.
        QStringLiteral("CREATE TABLE IF NOT EXISTS PublishTargets ("
                       "WebSiteBaseURL TEXT PRIMARY KEY, "
                       "Address TEXT NOT NULL, "
                       "UserName TEXT, "
                       "SavedDate TEXT)"),
        // The site-map files last written for each root URL, by kind ("xml":
        // the main sitemap first, then its numbered files; "html"), one
        // absolute path a line.
        QStringLiteral("CREATE TABLE IF NOT EXISTS WrittenSiteMaps ("
                       "WebSiteBaseURL TEXT NOT NULL, "
                       "Kind TEXT NOT NULL, "
                       "Files TEXT NOT NULL, "
                       "WrittenDate TEXT, "
                       "PRIMARY KEY (WebSiteBaseURL, Kind))"),
    };
}

QString ensureExtraTables(const QString& dbPath) {
    return ensureExtraTables(dbPath, extraTableStatements());
}

QString ensureExtraTables(const QString& dbPath, const QStringList& statements) {
    if (statements.isEmpty()) return {};
    ConnectionPtr connection;
    try {
        connection.reset(openDatabaseConnection(dbPath, QStringLiteral("ExtraTables")));
    } catch (const AppError& e) {
        return e.description();
    }
    sqlite3* db = connection.get();
    QString error;
    auto exec = [&](const QByteArray& sql) {
        char* msg = nullptr;
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &msg) != SQLITE_OK) {
            error = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db));
            sqlite3_free(msg);
            return false;
        }
        return true;
    };
    // BEGIN IMMEDIATE takes the write lock at once, so two programs starting
    // together on one folder do not both try to create the same tables.
    if (exec("BEGIN IMMEDIATE")) {
        bool ok = true;
        for (const QString& s : statements) {
            if (!exec(s.toUtf8())) {
                ok = false;
                break;
            }
        }
        if (ok) {
            if (!exec("COMMIT")) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        } else {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    return error;
}

}  // namespace fd
