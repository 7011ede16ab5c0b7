#pragma once
// Tables the program keeps beside the eight of the delivered database (the
// submission answers, the IndexNow keys, the site-audit runs, ...). Each room
// declares the tables it adds in a file "tables.sql" in its own folder (a
// subfolder may have its own); the build collects every such file, and the
// start creates what is missing in an existing database, in one
// transaction, so a database written by an earlier version opens unchanged
// and gains them. The delivered tables are never altered.
//
// A room's tables.sql holds its CREATE TABLE and CREATE INDEX statements,
// each ending with ";" at the end of a line; lines beginning with "--" are
// comments. Every statement says IF NOT EXISTS, so it creates its table or
// index only when missing and never changes one that is there: a later
// version that needs more adds a table of its own beside it.

#include <QString>
#include <QStringList>
#include <vector>

namespace fd {

// One room's declaration.
struct TableDeclaration {
    QString room;  // the folder of its tables.sql under app/, "submit/indexnow"
    QStringList statements;
};

// Every room's declaration, in the order of their folders.
const std::vector<TableDeclaration>& tableDeclarations();

// The statements of a tables.sql text, in order, without comments.
QStringList splitTableStatements(const QString& sql);

// Every declared statement, rooms in the order of their folders.
QStringList extraTableStatements();

// Creates the missing declared tables in the database file at dbPath, all or
// none. Returns an empty string on success, else what went wrong (the caller
// logs it; the program goes on without the extra tables).
QString ensureExtraTables(const QString& dbPath);
QString ensureExtraTables(const QString& dbPath, const QStringList& statements);

}  // namespace fd
