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
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
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

namespace db {

Connection::Connection(const QString& path, QString source)
    : db_(openDatabaseConnection(path, source)), source_(std::move(source)) {}

void Connection::exec(const QByteArray& sql) {
    const int rc = sqlite3_exec(db_.get(), sql.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw sqliteError(db_.get(), rc, source_);
}

Statement Connection::prepare(const QByteArray& sql) const {
    return Statement(prepareOne(db_.get(), sql, source_), db_.get(), source_);
}

qint64 Connection::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_.get());
}

bool Connection::hasTable(const QString& name) const {
    const QByteArray sql = "SELECT 1 FROM \"" + name.toUtf8().replace('"', "\"\"") + "\" LIMIT 0";
    sqlite3_stmt* probe = nullptr;
    const bool found =
        sqlite3_prepare_v2(db_.get(), sql.constData(), -1, &probe, nullptr) == SQLITE_OK;
    sqlite3_finalize(probe);
    return found;
}

Transaction::Transaction(Connection& c, Lock lock) : c_(c) {
    c_.exec(lock == Immediate ? "BEGIN IMMEDIATE" : "BEGIN");
    open_ = true;
}

Transaction::~Transaction() {
    if (open_) sqlite3_exec(c_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    c_.exec("COMMIT");
    open_ = false;
}

Statement::Statement(StatementPtr st, sqlite3* db, const QString& source)
    : st_(std::move(st)), db_(db), source_(source) {}

void Statement::fail(int rc) {
    const AppError e = sqliteError(db_, rc, source_);
    reset();
    throw e;
}

Statement& Statement::bind(int index, const QByteArray& utf8) {
    sqlite3_bind_text(st_.get(), index, utf8.constData(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, const QString& text) {
    return bind(index, text.toUtf8());
}

Statement& Statement::bind(int index, qint64 value) {
    sqlite3_bind_int64(st_.get(), index, value);
    return *this;
}

Statement& Statement::bindNull(int index) {
    sqlite3_bind_null(st_.get(), index);
    return *this;
}

bool Statement::next() {
    const int rc = sqlite3_step(st_.get());
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) fail(rc);
    reset();
    return false;
}

void Statement::run() {
    const int rc = sqlite3_step(st_.get());
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) fail(rc);
    reset();
}

std::optional<qint64> Statement::firstInteger() {
    std::optional<qint64> v;
    if (next()) {
        if (!isNull(0)) v = integer(0);
        reset();
    }
    return v;
}

void Statement::reset() {
    sqlite3_reset(st_.get());
    sqlite3_clear_bindings(st_.get());
}

int Statement::columnCount() const {
    return sqlite3_column_count(st_.get());
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(st_.get(), column));
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(st_.get(), column) == SQLITE_NULL;
}

QString Statement::text(int column) const {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st_.get(), column));
    return t ? QString::fromUtf8(t, sqlite3_column_bytes(st_.get(), column)) : QString();
}

qint64 Statement::integer(int column) const {
    return sqlite3_column_int64(st_.get(), column);
}

}  // namespace db

}  // namespace fd
