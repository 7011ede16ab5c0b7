#pragma once
// The one way the program talks to SQLite: a connection set up as every
// connection of the program is, exactly one statement per prepared text,
// and a transaction that rolls back unless it is committed. Every room that
// opens the database opens a db::Connection, so the settings below hold for
// all of them.
//
//     db::Connection c(path, QStringLiteral("MyStore"));   // throws AppError
//     db::Transaction t(c, db::Transaction::Immediate);
//     db::Statement add = c.prepare("INSERT INTO T (Name, Size) VALUES (?, ?)");
//     add.bind(1, name).bind(2, size).run();
//     db::Statement read = c.prepare("SELECT Name FROM T WHERE Size > ?");
//     read.bind(1, 10);
//     while (read.next()) names << read.text(0);
//     t.commit();

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

#include "AppError.h"

struct sqlite3;
struct sqlite3_stmt;

namespace fd {

// Opens the database file at path read-write (never creating it), with
// SQLite's double-quoted-string fallback off (a double-quoted word is never
// taken for a text value), a busy timeout of five seconds, a rollback
// journal truncated after each commit and synchronous=FULL (SQLite keeps
// neither setting in the file, so every connection sets both). Throws
// AppError (3001) from source when it cannot; the caller closes the
// connection with sqlite3_close (or hands it to a ConnectionPtr).
sqlite3* openDatabaseConnection(const QString& path, const QString& source);

// The busy timeout every connection waits for a locked database.
constexpr int kBusyTimeoutMs = 5000;

struct ConnectionCloser {
    void operator()(sqlite3* db) const;
};
using ConnectionPtr = std::unique_ptr<sqlite3, ConnectionCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* st) const;
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The connection's last error (or the code's text when there is no
// connection) as an AppError of the database.
AppError sqliteError(sqlite3* db, int rc, const QString& source);

// Prepares exactly one statement. SQLite's own parser decides where it ends:
// when anything but blanks follows it, the whole text is refused, so a
// second statement can neither ride along nor be dropped unseen. An empty
// text is refused too. Throws AppError.
StatementPtr prepareOne(sqlite3* db, const QByteArray& sql, const QString& source);

namespace db {

class Statement;

// One connection, open from construction to destruction. source names the
// part of the program in the errors it throws.
class Connection {
public:
    Connection(const QString& path, QString source);
    Connection(Connection&&) noexcept = default;
    Connection& operator=(Connection&&) noexcept = default;

    sqlite3* handle() const { return db_.get(); }
    const QString& source() const { return source_; }

    // Runs a statement of the program's own that needs no values (BEGIN,
    // COMMIT, a PRAGMA, a CREATE TABLE). Throws AppError.
    void exec(const QByteArray& sql);
    // Prepares exactly one statement (see prepareOne). Throws AppError.
    Statement prepare(const QByteArray& sql) const;
    // The key of the row the last INSERT on this connection added.
    qint64 lastInsertId() const;
    // True when the table (or view) can be read on this connection.
    bool hasTable(const QString& name) const;

private:
    ConnectionPtr db_;
    QString source_;
};

// A transaction on a connection: rolled back when it goes out of scope
// without commit(). Immediate takes the write lock at once, so what is read
// inside stays true until the commit.
class Transaction {
public:
    enum Lock { Deferred, Immediate };
    explicit Transaction(Connection& c, Lock lock = Deferred);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& c_;
    bool open_ = false;
};

// One prepared statement. Values are bound by position, from 1; next()
// steps through the rows, run() runs a statement without rows. Both reset
// the statement at the end, so it can be bound and run again.
class Statement {
public:
    Statement(Statement&&) noexcept = default;
    Statement& operator=(Statement&&) noexcept = default;

    Statement& bind(int index, const QString& text);
    Statement& bind(int index, const QByteArray& utf8);
    Statement& bind(int index, qint64 value);
    Statement& bindNull(int index);

    // Steps to the next row: true while there is one; false at the end,
    // where the statement is reset. Throws AppError (and resets).
    bool next();
    // Runs to the end. Throws AppError.
    void run();
    // The first column of the first row, nothing when there is no row or it
    // is null. Resets. Throws AppError.
    std::optional<qint64> firstInteger();
    // Back to the start, with every bound value cleared.
    void reset();

    // The current row's columns.
    int columnCount() const;
    QString columnName(int column) const;
    bool isNull(int column) const;
    QString text(int column) const;
    qint64 integer(int column) const;

    sqlite3_stmt* handle() const { return st_.get(); }

private:
    friend class Connection;
    Statement(StatementPtr st, sqlite3* db, const QString& source);
    [[noreturn]] void fail(int rc);

    StatementPtr st_;
    sqlite3* db_;
    QString source_;
};

}  // namespace db

}  // namespace fd
