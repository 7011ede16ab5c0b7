#pragma once
// What the crash and disk-full tests read back: files, database states and
// whether a workbook is complete.

#include <QByteArray>
#include <QString>
#include <string>

namespace fd::test {

QByteArray fileBytes(const QString& path);
void putFile(const QString& path, const QByteArray& bytes);
// Removes every entry of folder except the names given (the leftovers of a
// killed run).
void clearFolderExcept(const QString& folder, const QStringList& keep);

// "" when the database passes PRAGMA integrity_check after it is opened as
// the program opens it (a hot journal rolled back), else what is wrong.
std::string integrityProblem(const QString& dbPath);
// Every row of a query, fields separated by US and rows by RS, for
// comparing whole tables.
QByteArray tableDump(const QString& dbPath, const char* sql);

// "" when bytes are a complete zip archive (every member present and its
// checksum right), else what is missing.
std::string zipProblem(const QByteArray& bytes);

}  // namespace fd::test
