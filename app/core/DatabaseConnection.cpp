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
    // The database keeps a rollback journal that is truncated after each
    // commit (set when the file is created), with synchronous=FULL: every
    // committed statement is on disk and a crash or power cut can never leave
    // the file inconsistent.
    sqlite3_busy_timeout(db, 5000);
    const int sync = sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    if (sync != SQLITE_OK) throw fail(sync);
    return db;
}

}  // namespace fd
