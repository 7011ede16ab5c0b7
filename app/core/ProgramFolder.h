#pragma once
// The per-user program folder: where the database, the page lists, the error
// log and the reports live.

#include <QString>
#include <QStringList>

namespace fd {

// Where the chosen folder came from.
enum class FolderOrigin { CommandLine, Environment, PerUser };

struct FolderChoice {
    QString folder;
    FolderOrigin origin = FolderOrigin::PerUser;
};

// Chooses the folder: the command line's --program-folder, else the
// environment variable FARROWDALE_HOME, else the per-user data folder.
FolderChoice chooseProgramFolderFrom(const QString& commandLineFolder);
QString chooseProgramFolder(const QString& commandLineFolder);

// The per-user data folder: "Farrowdale" in the user's data home (normally
// ~/.local/share/Farrowdale).
QString perUserProgramFolder();

// Why folder cannot serve as the program folder ("" when it can): it is not
// a folder, or it is missing and cannot be created where it is named. Looks
// only; nothing is created.
QString programFolderProblem(const QString& folder);

// What moveDoubledProgramFolder did.
struct FolderMove {
    bool attempted = false;  // the folder had no database and the doubled one had
    bool databaseMoved = false;
    QStringList moved;       // names moved into the folder
    QStringList leftBehind;  // "name (reason)" for each entry that stayed
};

// Earlier versions kept the per-user folder one level too deep
// (<folder>/Farrowdale). When folder holds no database and doubled does, every
// entry of doubled is renamed into folder, each one atomically and never over
// an existing name; the database goes last, so an interrupted move is taken
// up again at the next start. An emptied doubled folder is removed.
FolderMove moveDoubledProgramFolder(const QString& doubled, const QString& folder);

// The folder the program uses: chosen as above and, when it is the per-user
// folder, with an earlier doubled folder's files moved into it once; the
// move is written to the folder's error log.
FolderChoice resolveProgramFolder(const QString& commandLineFolder);

struct FolderPreparation {
    bool ok = false;
    QString message;                // for the user when !ok
    bool seeded = false;            // the folder was new and got the delivered files
    bool startPageUpdated = false;  // an unchanged earlier start page was replaced
};

// Makes the folder ready. A new folder (missing or empty) is created and
// seeded from the delivered files in dataDir, the database built from
// schema.sql and seed.sql. In a folder already in use, missing delivered
// files other than the database are put back; the database is never created
// there. Existing files are never overwritten, with one exception: a start
// page (blank.html) still byte for byte as an earlier version delivered it is
// replaced, atomically, by the delivered one; a start page the user changed
// stays.
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
