#pragma once
// A connection of its own to the program's database, set up as every
// connection of the program is.

#include <QString>

struct sqlite3;

namespace fd {

// Opens the database file at path read-write (never creating it), with
// SQLite's double-quoted-string fallback off (a double-quoted word is never
// taken for a text value), a busy timeout of five seconds and
// synchronous=FULL. Throws AppError (3001) from source when it cannot; the
// caller closes the connection with sqlite3_close.
sqlite3* openDatabaseConnection(const QString& path, const QString& source);

}  // namespace fd
