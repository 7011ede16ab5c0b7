#include "DatabaseConnection.h"

#include <sqlite3.h>

#include <QFile>

#include "AppError.h"

namespace fd {

sqlite3* openDatabaseConnection(const QString& path, const QString& source) {
    sqlite3* db = nullptr;
    const QByteArray p = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto fail = [&](int code) {
        const QString msg =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
        sqlite3_close(db);
        return AppError(err::kDatabase, msg, source);
    };
    if (rc != SQLITE_OK) throw fail(rc);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // A rollback journal truncated after each commit, with synchronous=FULL:
    // every committed statement is on disk and a crash or power cut can never
    // leave the file inconsistent. The journal mode of a rollback journal is
    // not stored in the file, so every connection sets it.
    sqlite3_busy_timeout(db, 5000);
    const int sync = sqlite3_exec(db, "PRAGMA journal_mode=TRUNCATE;PRAGMA synchronous=FULL",
                                  nullptr, nullptr, nullptr);
    if (sync != SQLITE_OK) throw fail(sync);
    return db;
}

void ConnectionCloser::operator()(sqlite3* db) const {
    sqlite3_close(db);
}

void StatementFinalizer::operator()(sqlite3_stmt* st) const {
    sqlite3_finalize(st);
}

AppError sqliteError(sqlite3* db, int rc, const QString& source) {
    const QString msg =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    return AppError(err::kDatabase, msg, source);
}

StatementPtr prepareOne(sqlite3* db, const QByteArray& sql, const QString& source) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &raw, &tail);
    StatementPtr st(raw);
    if (rc != SQLITE_OK) throw sqliteError(db, rc, source);
    if (!st) throw AppError(err::kDatabase, QStringLiteral("Empty statement"), source);
    const char* end = sql.constData() + sql.size();
    for (const char* p = tail; p && p < end; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != '\f' && *p != '\v')
            throw AppError(err::kDatabase,
                           QStringLiteral("Characters found after end of SQL statement."), source);
    }
    return st;
}

}  // namespace fd
