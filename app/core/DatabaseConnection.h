#pragma once
// A connection of its own to the program's database, set up as every
// connection of the program is, and the one way a statement's text is
// prepared.

#include <QByteArray>
#include <QString>
#include <memory>

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

}  // namespace fd
