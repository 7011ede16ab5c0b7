#pragma once
// The per-user program folder: where the database, the page lists, the error
// log and the reports live.

#include <QString>
#include <QStringList>

namespace fd {

// Chooses the folder: the command line's --program-folder, else the
// environment variable FARROWDALE_HOME, else the per-user data folder.
QString chooseProgramFolder(const QString& commandLineFolder);

struct FolderPreparation {
    bool ok = false;
    QString message;      // for the user when !ok
    bool seeded = false;  // the folder was new and got the delivered files
};

// Makes the folder ready. A new folder (missing or empty) is created and
// seeded from the delivered files in dataDir, the database built from
// schema.sql and seed.sql. In a folder already in use, missing delivered
// files other than the database are put back; the database is never created
// there. Existing files are never overwritten.
FolderPreparation prepareProgramFolder(const QString& folder, const QString& dataDir);

// Builds a database file from SQL scripts (used for seeding and by tests).
// Returns an error text, empty on success.
QString createDatabase(const QString& dbPath, const QStringList& sqlScripts);

// The folder holding the delivered files: next to the installed program
// (../share/farrowdale), else the source tree's data folder.
QString deliveredDataDir(const QString& applicationDir, const QString& buildTreeDataDir);

// The read-only attribute rule at start: a folder whose only restriction is
// that nobody may write it is made writable for its owner; anything else is
// left alone. Returns true when it changed the folder.
bool clearReadOnlyFolder(const QString& folder);

}  // namespace fd
