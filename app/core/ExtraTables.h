#pragma once
// Tables the program keeps beside the eight of the delivered database (the
// submission answers, the IndexNow keys, the site-audit runs, ...). They are
// created in an existing database at start, when missing, in one transaction,
// so a database written by an earlier version opens unchanged and gains them.
// The delivered tables are never altered.

#include <QString>
#include <QStringList>

namespace fd {

// Every CREATE TABLE / CREATE INDEX statement of the extra tables, each with
// IF NOT EXISTS. A room that needs a table adds its statements here.
QStringList extraTableStatements();

// Creates the missing extra tables in the database file at dbPath, all or
// none. Returns an empty string on success, else what went wrong (the caller
// logs it; the program goes on without the extra tables).
QString ensureExtraTables(const QString& dbPath);
QString ensureExtraTables(const QString& dbPath, const QStringList& statements);

}  // namespace fd
