// The catalogue update's answer walker with its authorizer, fed any answer
// body, against a real catalogue database (on a memory-backed filesystem
// where there is one). Oracles: an answer is either applied wholly, changing
// only SearchEngines, or changes nothing at all; no other table, no index,
// trigger or view, and no other row of any kind ever changes; the database
// stays whole.
#include <sqlite3.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "FuzzTarget.h"
#include "core/AppError.h"
#include "core/ExtraTables.h"
#include "core/ProgramFolder.h"
#include "update/UpdateClient.h"

namespace fd::fuzz {

namespace {

QString readData(const char* name) {
    QFile f(QStringLiteral(FARROWDALE_DATA_DIR "/") + QLatin1String(name));
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

// Rows in every table, so a statement that reached one would show.
const char* const kRows =
    "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, Popularity) VALUES "
    "(101, 'One', 10), (102, 'Two', 20), (107, 'Seven', 7);"
    "INSERT INTO WebSites (WebSiteGenericName) VALUES ('kept');"
    "INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL) VALUES (1, 'http://kept.example/');"
    "INSERT INTO WebSitePages (WebSiteID, PageURL) VALUES (1, 'http://kept.example/a.html');"
    "INSERT INTO Submissions (SubmitDate, WebSiteID, SearchEngineID) VALUES "
    "('2026-01-01 10:00:00', 1, 1);"
    "INSERT INTO WebPageUpdateRequests (SubmissionDate, WebSiteID) VALUES "
    "('2026-01-02 10:00:00', 1);"
    "UPDATE WebSiteConfiguration SET FileTransInfo = 'x$user$x$secret';";

// The catalogue database, made once; `pristine` holds its first state in
// memory to put back after an answer that was applied.
struct Catalogue {
    QTemporaryDir dir;
    QString path;
    sqlite3* pristine = nullptr;
    sqlite3* reader = nullptr;  // compares and restores; holds no transaction between inputs

    Catalogue()
        : dir(QDir(QStringLiteral("/dev/shm")).exists()
                  ? QStringLiteral("/dev/shm/farrowdale-fuzz-XXXXXX")
                  : QDir::tempPath() + QStringLiteral("/farrowdale-fuzz-XXXXXX")) {
        path = dir.filePath(QStringLiteral("QELS.db"));
        QStringList scripts{readData("schema.sql"), readData("seed.sql")};
        for (const QString& s : extraTableStatements()) scripts += s + u';';
        scripts += QString::fromLatin1(kRows);
        const QString error = createDatabase(path, scripts);
        if (!error.isEmpty()) fail("cannot create the catalogue: " + error.toStdString());
        sqlite3_open_v2(QFile::encodeName(path).constData(), &reader, SQLITE_OPEN_READWRITE,
                        nullptr);
        sqlite3_open_v2(":memory:", &pristine, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        copy(reader, pristine);
    }

    static void copy(sqlite3* from, sqlite3* to) {
        sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
        if (!b) fail("cannot start copying the catalogue");
        sqlite3_backup_step(b, -1);
        if (sqlite3_backup_finish(b) != SQLITE_OK) fail("cannot copy the catalogue");
    }

    void restore() { copy(pristine, reader); }

    // A digest of the schema and of every row of every table, SearchEngines
    // apart (its rows go into `engines`).
    QByteArray digest(QByteArray* engines) {
        QCryptographicHash rest(QCryptographicHash::Sha256);
        QCryptographicHash catalogue(QCryptographicHash::Sha256);
        QStringList tables;
        QStringList withoutRowid;  // read in the order of their primary key
        {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(reader,
                               "SELECT type, name, tbl_name, ifnull(sql, '') FROM sqlite_master "
                               "ORDER BY type, name",
                               -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int c = 0; c < 4; ++c) {
                    rest.addData(
                        QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(st, c))));
                    rest.addData("\x1f");
                }
                if (QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) ==
                    "table") {
                    tables << QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
                    if (QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)))
                            .toUpper()
                            .contains("WITHOUT ROWID"))
                        withoutRowid << tables.last();
                }
            }
            sqlite3_finalize(st);
        }
        for (const QString& table : tables) {
            QCryptographicHash& h = table == QLatin1String("SearchEngines") ? catalogue : rest;
            const QByteArray sql = "SELECT * FROM \"" + table.toUtf8() + "\"" +
                                   (withoutRowid.contains(table) ? "" : " ORDER BY rowid");
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(reader, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
                fail("cannot read table " + table.toStdString());
            h.addData(table.toUtf8());
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(st); ++c) {
                    const char type = char('0' + sqlite3_column_type(st, c));
                    h.addData(QByteArrayView(&type, 1));
                    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, c));
                    h.addData(QByteArrayView(bytes, sqlite3_column_bytes(st, c)));
                    h.addData("\x1f");
                }
                h.addData("\x1e");
            }
            sqlite3_finalize(st);
        }
        *engines = catalogue.result();
        return rest.result();
    }

    bool whole() {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(reader, "PRAGMA quick_check", -1, &st, nullptr);
        const bool ok =
            sqlite3_step(st) == SQLITE_ROW &&
            QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) == "ok";
        sqlite3_finalize(st);
        return ok;
    }
};

Catalogue& catalogue() {
    static Catalogue c;
    return c;
}

}  // namespace

void updateAnswer(const std::uint8_t* data, std::size_t size) {
    Catalogue& c = catalogue();
    QByteArray enginesBefore;
    const QByteArray restBefore = c.digest(&enginesBefore);
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));

    UpdateOutcome outcome = UpdateOutcome::Refused;
    bool threw = false;
    {
        UpdateConnection connection(c.path);
        try {
            outcome = applyUpdateAnswer(connection, decodeAnswer(body));
        } catch (const AppError&) {
            threw = true;  // refused or failed: the connection rolls back as it goes
        }
    }

    QByteArray enginesAfter;
    const QByteArray restAfter = c.digest(&enginesAfter);
    check(c.whole(), "the database is damaged after an answer");
    check(restAfter == restBefore,
          "an answer changed a table other than SearchEngines, or the schema");
    if (threw || outcome != UpdateOutcome::Applied)
        check(enginesAfter == enginesBefore,
              "an answer that was refused or failed still changed the catalogue");
    if (enginesAfter != enginesBefore) c.restore();
}

}  // namespace fd::fuzz
