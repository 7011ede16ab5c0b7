#pragma once
// The program's one data-access class. It holds no connection: every
// operation opens the database named by the connection string, runs one
// statement in a transaction and closes it again.

#include <QString>

#include "DatabaseConnection.h"
#include "Recordset.h"

namespace fd {

class CADODBAccess {
public:
    explicit CADODBAccess(QString connectionString);

    // Runs a query; returns all its rows, detached from the connection.
    // On any failure (missing file, bad statement) returns null.
    RecordsetPtr fnSQL_RS(const QString& strSQL) const;
    // Runs a statement without rows. On failure the statement has no effect
    // and nothing is reported.
    void fnSQL_NoRS(const QString& strSQL) const;
    // Runs a query and saves its rows to strFilename as an XML row set.
    // Failures are thrown to the caller as AppError.
    bool fnSQL_XML(const QString& strSQL, const QString& strFilename) const;

    // Runs one statement, throwing AppError on failure: the checked form the
    // catalogue update and the tests use.
    RecordsetPtr query(const QString& strSQL) const;
    void execute(const QString& strSQL) const;

    // A connection of its own to the database, with the program's settings
    // (the one every operation above opens). Throws AppError.
    db::Connection connect() const;

    const QString& databasePath() const { return path_; }
    static QString pathFromConnectionString(const QString& cs);

private:
    QString path_;
};

// Builds the connection string for the database in a program folder.
QString connectionStringFor(const QString& programFolder);
constexpr const char* kDatabaseFileName = "QELS.db";

}  // namespace fd
