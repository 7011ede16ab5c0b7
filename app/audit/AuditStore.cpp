#include "AuditStore.h"

#include <sqlite3.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <functional>
#include <optional>

#include "core/DatabaseConnection.h"
#include "core/ExtraTables.h"

namespace fd::audit {

db::Connection openAuditDatabase(const QString& dbPath) {
    return db::Connection(dbPath, QStringLiteral("AuditStore"));
}

namespace {

const char* const kDateFormat = "yyyy-MM-dd HH:mm:ss";

// The store's connection, opened as every connection of the program is (and
// never creating the file); the first failure is kept as the store's error.
class Db {
public:
    explicit Db(const QString& path) {
        try {
            c_.emplace(openAuditDatabase(path));
        } catch (const AppError& e) {
            error_ = e.description();
        }
    }
    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    sqlite3* handle() const { return c_ ? c_->handle() : nullptr; }
    db::Connection& connection() { return *c_; }
    bool exec(const char* sql) {
        if (!c_) return false;
        try {
            c_->exec(sql);
            return true;
        } catch (const AppError& e) {
            fail(e.description());
            return false;
        }
    }
    void fail(const QString& e) {
        if (error_.isEmpty()) error_ = e;
    }

private:
    std::optional<db::Connection> c_;
    QString error_;
};

// One prepared statement; binds by position from 1, steps, resets.
class Stmt {
public:
    Stmt(Db& db, const char* sql) : db_(db) {
        if (!db.ok()) return;
        try {
            s_.emplace(db.connection().prepare(sql));
        } catch (const AppError& e) {
            db.fail(e.description());
        }
    }
    Stmt& bind(const QString& v) {
        if (s_) s_->bind(++n_, v);
        return *this;
    }
    Stmt& bind(qint64 v) {
        if (s_) s_->bind(++n_, v);
        return *this;
    }
    // Runs a statement without rows.
    bool run() {
        n_ = 0;
        return s_ && step([&] { s_->run(); });
    }
    // Steps to the next row; false at the end or on failure.
    bool next() {
        bool row = false;
        return s_ && step([&] { row = s_->next(); }) && row;
    }
    QString text(int col) const { return s_->text(col); }
    qint64 integer(int col) const { return s_->integer(col); }
    void reset() {
        if (s_) s_->reset();
        n_ = 0;
    }

private:
    bool step(const std::function<void()>& fn) {
        try {
            fn();
            return true;
        } catch (const AppError& e) {
            db_.fail(e.description());
            return false;
        }
    }

    Db& db_;
    std::optional<db::Statement> s_;
    int n_ = 0;
};

QString redirectsJson(const AuditPage& p) {
    QJsonArray a;
    for (const RedirectHop& h : p.redirects) a.append(QJsonArray{h.url, h.status});
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

QList<RedirectHop> redirectsFromJson(const QString& text) {
    QList<RedirectHop> out;
    for (const QJsonValue& v : QJsonDocument::fromJson(text.toUtf8()).array()) {
        const QJsonArray h = v.toArray();
        out.append(RedirectHop{h.at(0).toString(), h.at(1).toInt()});
    }
    return out;
}

QString metasJson(const AuditPage& p) {
    QJsonArray a;
    for (const MetaTag& m : p.metas) a.append(QJsonArray{m.attribute, m.name, m.content});
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

QList<MetaTag> metasFromJson(const QString& text) {
    QList<MetaTag> out;
    for (const QJsonValue& v : QJsonDocument::fromJson(text.toUtf8()).array()) {
        const QJsonArray m = v.toArray();
        out.append(MetaTag{m.at(0).toString(), m.at(1).toString(), m.at(2).toString()});
    }
    return out;
}

QString findingKey(const QString& url, const QString& code) {
    return url + u'\n' + code;
}

// How the findings compare with the previous complete run: each one's mark,
// and that run's findings which are gone from pages audited again.
struct Comparison {
    QList<FindingState> states;
    QList<AuditFinding> fixed;
};

Comparison compareWithPrevious(Db& db, const AuditResult& result) {
    Comparison c;
    c.states.fill(FindingState::New, result.findings.size());
    Stmt last(db,
              "SELECT RunID FROM AuditRuns WHERE RootURL = ? AND Cancelled = 0 "
              "ORDER BY RunID DESC LIMIT 1");
    last.bind(result.rootUrl);
    if (!last.next()) return c;
    const qint64 previous = last.integer(0);

    QSet<QString> current;
    for (const AuditFinding& f : result.findings)
        current.insert(findingKey(f.url, findingCode(f.kind)));
    QSet<QString> audited;
    for (const AuditPage& p : result.pages) audited.insert(p.url);

    QSet<QString> before;
    Stmt earlier(db,
                 "SELECT URL, Kind, Detail FROM AuditFindings WHERE RunID = ? AND State <> 'fixed' "
                 "ORDER BY rowid");
    earlier.bind(previous);
    while (earlier.next()) {
        const QString url = earlier.text(0), code = earlier.text(1);
        const QString key = findingKey(url, code);
        before.insert(key);
        FindingKind kind;
        if (!current.contains(key) && audited.contains(url) && findingKindFromCode(code, &kind))
            c.fixed.append(AuditFinding{url, kind, earlier.text(2), FindingState::Fixed});
    }
    for (qsizetype i = 0; i < result.findings.size(); ++i) {
        const AuditFinding& f = result.findings[i];
        if (before.contains(findingKey(f.url, findingCode(f.kind))))
            c.states[i] = FindingState::StillThere;
    }
    return c;
}

bool insertPages(Db& db, qint64 run, const QList<AuditPage>& pages) {
    Stmt ins(db,
             "INSERT INTO AuditPages (RunID, PageNo, URL, FinalURL, Status, Error, Disallowed, "
             "Redirects, RedirectLoop, ContentType, Size, TimeMs, XRobotsTag, IsHtml, HasTitle, "
             "Title, HasDescription, Description, Keywords, Robots, Author, Revisit, Canonical, "
             "H1Count, H1Text, Lang, Metas) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
             "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    qint64 no = 0;
    for (const AuditPage& p : pages) {
        ins.bind(run).bind(no++).bind(p.url).bind(p.finalUrl).bind(qint64(p.status)).bind(p.error);
        ins.bind(qint64(p.disallowed)).bind(redirectsJson(p)).bind(qint64(p.redirectLoop));
        ins.bind(p.contentType).bind(p.size).bind(qint64(p.timeMs)).bind(p.xRobotsTag);
        ins.bind(qint64(p.html)).bind(qint64(p.hasTitle)).bind(p.title);
        ins.bind(qint64(p.hasDescription)).bind(p.description).bind(p.keywords).bind(p.robots);
        ins.bind(p.author).bind(p.revisit).bind(p.canonical).bind(qint64(p.h1Count));
        ins.bind(p.h1Text).bind(p.lang).bind(metasJson(p));
        if (!ins.run()) return false;
    }
    return true;
}

bool insertFindings(Db& db, qint64 run, const QList<AuditFinding>& findings,
                    const QList<FindingState>& states) {
    Stmt ins(db,
             "INSERT INTO AuditFindings (RunID, URL, Kind, Detail, State) VALUES (?, ?, ?, ?, ?)");
    for (qsizetype i = 0; i < findings.size(); ++i) {
        const AuditFinding& f = findings[i];
        ins.bind(run).bind(f.url).bind(findingCode(f.kind)).bind(f.detail);
        ins.bind(findingStateText(i < states.size() ? states[i] : f.state));
        if (!ins.run()) return false;
    }
    return true;
}

// Removes the runs of rootUrl older than its last keep complete runs, with
// their pages and findings. Cancelled runs among the kept ones stay.
bool removeOldRuns(Db& db, const QString& rootUrl, int keep) {
    if (keep <= 0) return true;
    Stmt oldest(db,
                "SELECT RunID FROM AuditRuns WHERE RootURL = ? AND Cancelled = 0 "
                "ORDER BY RunID DESC LIMIT 1 OFFSET ?");
    oldest.bind(rootUrl).bind(qint64(keep - 1));
    if (!oldest.next()) return db.ok();
    const qint64 kept = oldest.integer(0);
    oldest.reset();
    for (const char* sql : {"DELETE FROM AuditFindings WHERE RunID IN "
                            "(SELECT RunID FROM AuditRuns WHERE RootURL = ? AND RunID < ?)",
                            "DELETE FROM AuditPages WHERE RunID IN "
                            "(SELECT RunID FROM AuditRuns WHERE RootURL = ? AND RunID < ?)",
                            "DELETE FROM AuditRuns WHERE RootURL = ? AND RunID < ?"}) {
        Stmt del(db, sql);
        if (!del.bind(rootUrl).bind(kept).run()) return false;
    }
    return true;
}

}  // namespace

QString storeAuditRun(const QString& dbPath, AuditResult& result, const QDateTime& started,
                      const QDateTime& finished) {
    // A database from before the audit gains its tables here too, so a
    // caller without the window's start (the command line) can store runs.
    if (const QString e = ensureExtraTables(dbPath); !e.isEmpty()) return e;
    Db db(dbPath);
    if (!db.ok()) return db.error();
    // Taking the write lock first keeps the comparison and the new rows one
    // consistent step, even with another program writing runs.
    if (!db.exec("BEGIN IMMEDIATE")) return db.error();

    Comparison c = compareWithPrevious(db, result);
    qint64 run = 0;
    {
        Stmt ins(db,
                 "INSERT INTO AuditRuns (RootURL, StartedAt, FinishedAt, FollowLinks, PageLimit, "
                 "PagesFound, PagesDone, Findings, Cancelled) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        ins.bind(result.rootUrl).bind(started.toString(QLatin1String(kDateFormat)));
        ins.bind(finished.toString(QLatin1String(kDateFormat)));
        ins.bind(qint64(result.options.followLinks)).bind(qint64(result.options.pageLimit));
        ins.bind(qint64(qMax<qsizetype>(result.pagesFound, result.pages.size())));
        ins.bind(qint64(result.pages.size())).bind(qint64(result.findings.size()));
        ins.bind(qint64(result.cancelled));
        if (ins.run()) run = sqlite3_last_insert_rowid(db.handle());
    }
    if (db.ok() && run > 0 && insertPages(db, run, result.pages) &&
        insertFindings(db, run, result.findings, c.states) &&
        insertFindings(db, run, c.fixed, {}) &&
        removeOldRuns(db, result.rootUrl, result.options.keepRuns) && db.exec("COMMIT")) {
        for (qsizetype i = 0; i < result.findings.size(); ++i)
            result.findings[i].state = c.states[i];
        result.findings += c.fixed;
        result.runId = run;
        return {};
    }
    const QString error = db.error();
    sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    return error.isEmpty() ? QStringLiteral("The run could not be stored") : error;
}

bool loadAuditRun(const QString& dbPath, qint64 runId, AuditResult* out, QString* error) {
    Db db(dbPath);
    AuditResult r;
    bool found = false;
    {
        Stmt run(
            db, "SELECT RootURL, FollowLinks, PageLimit, Cancelled FROM AuditRuns WHERE RunID = ?");
        run.bind(runId);
        if (run.next()) {
            found = true;
            r.rootUrl = run.text(0);
            r.options.followLinks = run.integer(1) != 0;
            r.options.pageLimit = static_cast<int>(run.integer(2));
            r.cancelled = run.integer(3) != 0;
        }
    }
    if (found) {
        Stmt pages(db,
                   "SELECT URL, FinalURL, Status, Error, Disallowed, Redirects, RedirectLoop, "
                   "ContentType, Size, TimeMs, XRobotsTag, IsHtml, HasTitle, Title, "
                   "HasDescription, Description, Keywords, Robots, Author, Revisit, Canonical, "
                   "H1Count, H1Text, Lang, Metas FROM AuditPages WHERE RunID = ? ORDER BY PageNo");
        pages.bind(runId);
        while (pages.next()) {
            AuditPage p;
            int c = 0;
            p.url = pages.text(c++);
            p.finalUrl = pages.text(c++);
            p.status = static_cast<int>(pages.integer(c++));
            p.error = pages.text(c++);
            p.disallowed = pages.integer(c++) != 0;
            p.redirects = redirectsFromJson(pages.text(c++));
            p.redirectLoop = pages.integer(c++) != 0;
            p.contentType = pages.text(c++);
            p.size = pages.integer(c++);
            p.timeMs = static_cast<int>(pages.integer(c++));
            p.xRobotsTag = pages.text(c++);
            p.html = pages.integer(c++) != 0;
            p.hasTitle = pages.integer(c++) != 0;
            p.title = pages.text(c++);
            p.hasDescription = pages.integer(c++) != 0;
            p.description = pages.text(c++);
            p.keywords = pages.text(c++);
            p.robots = pages.text(c++);
            p.author = pages.text(c++);
            p.revisit = pages.text(c++);
            p.canonical = pages.text(c++);
            p.h1Count = static_cast<int>(pages.integer(c++));
            p.h1Text = pages.text(c++);
            p.lang = pages.text(c++);
            p.metas = metasFromJson(pages.text(c++));
            r.pages.append(std::move(p));
        }
        Stmt findings(db,
                      "SELECT URL, Kind, Detail, State FROM AuditFindings WHERE RunID = ? "
                      "ORDER BY rowid");
        findings.bind(runId);
        while (findings.next()) {
            AuditFinding f{findings.text(0), FindingKind::HttpError, findings.text(2),
                           FindingState::New};
            if (!findingKindFromCode(findings.text(1), &f.kind)) continue;
            const QString state = findings.text(3);
            f.state = state == u"fixed"         ? FindingState::Fixed
                      : state == u"still there" ? FindingState::StillThere
                                                : FindingState::New;
            r.findings.append(std::move(f));
        }
    }
    if (!db.ok() || !found) {
        if (error) *error = db.ok() ? QStringLiteral("No audit run %1").arg(runId) : db.error();
        return false;
    }
    r.runId = runId;
    *out = std::move(r);
    return true;
}

}  // namespace fd::audit
