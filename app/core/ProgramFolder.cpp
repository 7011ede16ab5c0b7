#include "ProgramFolder.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ErrorLog.h"
#include "FileReplace.h"

namespace fd {

namespace {
const char* const kDelivered[] = {"blank.html", "Country_Codes.html", "about.wav"};
const QString kFolderName = QStringLiteral("Farrowdale");
const QString kDatabaseName = QStringLiteral("QELS.db");

// The start pages earlier versions delivered, byte for byte. A folder's
// blank.html equal to one of them was never changed by its user.
const char* const kEarlierStartPages[] = {
    "<!DOCTYPE html>\n"
    "<html><head><meta charset=\"utf-8\"><title></title></head><body></body></html>\n",
};

// Renames from to to, atomically, failing with EEXIST rather than replacing
// an existing to. Where the file system cannot rename without replacing, a
// file is linked and unlinked (also atomic and never replacing) and a folder
// is renamed only while nothing of its name is there. Returns 0 or an errno.
int renameNoReplace(const QString& from, const QString& to) {
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (QFileInfo(from).isDir() && !QFileInfo(from).isSymLink()) {
        if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) return EEXIST;
        return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
    }
    if (::link(f.constData(), t.constData()) != 0) return errno;
    return ::unlink(f.constData()) == 0 ? 0 : errno;
}

bool hasDatabase(const QString& folder) {
    return QFileInfo(QDir(folder).filePath(kDatabaseName)).isFile();
}
}  // namespace

FolderChoice chooseProgramFolderFrom(const QString& commandLineFolder) {
    if (!commandLineFolder.isEmpty())
        return {QDir(commandLineFolder).absolutePath(), FolderOrigin::CommandLine};
    const QString env = qEnvironmentVariable("FARROWDALE_HOME");
    if (!env.isEmpty()) return {QDir(env).absolutePath(), FolderOrigin::Environment};
    return {perUserProgramFolder(), FolderOrigin::PerUser};
}

QString chooseProgramFolder(const QString& commandLineFolder) {
    return chooseProgramFolderFrom(commandLineFolder).folder;
}

QString perUserProgramFolder() {
    // The generic data home, not the application's own data location: that
    // one adds the organisation's name as well, and both are "Farrowdale".
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(home).filePath(kFolderName);
}

QString programFolderProblem(const QString& folder) {
    if (folder.isEmpty()) return QStringLiteral("No program folder was named.");
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    const QFileInfo fi(path);
    if (fi.exists())
        return fi.isDir() ? QString()
                          : QStringLiteral("The program folder %1 is not a folder.").arg(path);
    // Missing: it will be created, so the nearest part of the path that
    // exists must be a folder that can be written.
    QString existing = path;
    while (!QFileInfo::exists(existing) && existing != QFileInfo(existing).path())
        existing = QFileInfo(existing).path();
    const QFileInfo parent(existing);
    if (!parent.isDir())
        return QStringLiteral("The program folder %1 cannot be created: %2 is not a folder.")
            .arg(path, existing);
    if (!parent.isWritable())
        return QStringLiteral("The program folder %1 cannot be created: %2 cannot be written.")
            .arg(path, existing);
    return {};
}

FolderMove moveDoubledProgramFolder(const QString& doubled, const QString& folder) {
    FolderMove r;
    if (hasDatabase(folder) || !hasDatabase(doubled)) return r;
    r.attempted = true;
    if (!QDir().mkpath(folder)) {
        r.leftBehind
            << QStringLiteral("everything (the folder %1 could not be created)").arg(folder);
        return r;
    }
    QDir from(doubled);
    QStringList names =
        from.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    // The database last: until it has moved, the next start tries again.
    names.removeAll(kDatabaseName);
    names.append(kDatabaseName);
    for (const QString& name : names) {
        const int e = renameNoReplace(from.filePath(name), QDir(folder).filePath(name));
        if (e == 0) {
            r.moved << name;
            if (name == kDatabaseName) r.databaseMoved = true;
        } else {
            r.leftBehind << QStringLiteral("%1 (%2)").arg(
                name, e == EEXIST ? QStringLiteral("a file of that name is already there")
                                  : QString::fromLocal8Bit(std::strerror(e)));
        }
    }
    if (r.leftBehind.isEmpty()) QDir().rmdir(doubled);
    return r;
}

FolderChoice resolveProgramFolder(const QString& commandLineFolder) {
    const FolderChoice choice = chooseProgramFolderFrom(commandLineFolder);
    if (choice.origin != FolderOrigin::PerUser) return choice;
    const QString doubled = QDir(choice.folder).filePath(kFolderName);
    const FolderMove move = moveDoubledProgramFolder(doubled, choice.folder);
    if (!move.attempted) return choice;
    const QString routine = QStringLiteral("MoveProgramFolder");
    if (!move.moved.isEmpty())
        WriteLogNote(choice.folder, routine,
                     QStringLiteral("Moved from %1 into the program folder: %2")
                         .arg(doubled, move.moved.join(QStringLiteral("; "))));
    if (!move.leftBehind.isEmpty())
        WriteErrorLog(choice.folder, routine, err::kPathFileAccess,
                      QStringLiteral("Left in %1: %2")
                          .arg(doubled, move.leftBehind.join(QStringLiteral("; "))),
                      QStringLiteral("Main"));
    return choice;
}

QString createDatabase(const QString& dbPath, const QStringList& sqlScripts) {
    sqlite3* db = nullptr;
    const QByteArray p = QFile::encodeName(dbPath);
    int rc =
        sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QString error;
    if (rc == SQLITE_OK) {
        sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        QByteArray all = "PRAGMA journal_mode=TRUNCATE;BEGIN;";
        for (const QString& s : sqlScripts) all += s.toUtf8() + "\n";
        all += "COMMIT;";
        char* msg = nullptr;
        rc = sqlite3_exec(db, all.constData(), nullptr, nullptr, &msg);
        if (rc != SQLITE_OK) error = QString::fromUtf8(msg ? msg : sqlite3_errstr(rc));
        sqlite3_free(msg);
    } else {
        error = QString::fromUtf8(sqlite3_errstr(rc));
    }
    sqlite3_close(db);
    if (!error.isEmpty()) QFile::remove(dbPath);
    return error;
}

namespace {
// Replaces the folder's start page with the delivered one when it is still,
// byte for byte, a page an earlier version delivered. True when it did.
bool updateEarlierStartPage(const QString& target, const QString& delivered) {
    QFile current(target);
    if (current.size() > 4096 || !current.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = current.readAll();
    current.close();
    bool earlier = false;
    for (const char* page : kEarlierStartPages) earlier = earlier || bytes == page;
    if (!earlier) return false;
    QFile source(delivered);
    if (!source.open(QIODevice::ReadOnly)) return false;
    const QByteArray page = source.readAll();
    if (page.isEmpty() || page == bytes) return false;
    return FileReplacement(target).replaceWith(page);
}
}  // namespace

FolderPreparation prepareProgramFolder(const QString& folder, const QString& dataDir) {
    FolderPreparation r;
    QDir dir(folder);
    const bool isNew =
        !dir.exists() ||
        dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
    if (!dir.exists() && !QDir().mkpath(folder)) {
        r.message = QStringLiteral("The program folder %1 could not be created.").arg(folder);
        return r;
    }
    const QFileInfo fi(folder);
    if (!fi.isDir() || !fi.isWritable()) {
        r.message = QStringLiteral("The program folder %1 cannot be written.").arg(folder);
        return r;
    }
    const QDir data(dataDir);
    auto copyMissing = [&](const QString& name) {
        const QString target = dir.filePath(name);
        if (QFileInfo::exists(target)) return true;  // never overwrite
        return QFile::copy(data.filePath(name), target);
    };
    bool ok = true;
    for (const char* name : kDelivered) ok = copyMissing(QString::fromLatin1(name)) && ok;
    r.startPageUpdated = updateEarlierStartPage(dir.filePath(QStringLiteral("blank.html")),
                                                data.filePath(QStringLiteral("blank.html")));
    if (!dir.exists(QStringLiteral("WebPageLists"))) {
        ok = dir.mkdir(QStringLiteral("WebPageLists")) && ok;
        const QDir lists(data.filePath(QStringLiteral("WebPageLists")));
        for (const QString& f : lists.entryList(QDir::Files))
            ok =
                QFile::copy(lists.filePath(f), dir.filePath(QStringLiteral("WebPageLists/") + f)) &&
                ok;
    }
    const QString dbPath = dir.filePath(QStringLiteral("QELS.db"));
    if (isNew && !QFileInfo::exists(dbPath)) {
        QStringList scripts;
        for (const char* name : {"schema.sql", "seed.sql"}) {
            QFile f(data.filePath(QString::fromLatin1(name)));
            if (!f.open(QIODevice::ReadOnly)) {
                r.message = QStringLiteral("The delivered file %1 is missing.").arg(f.fileName());
                return r;
            }
            scripts << QString::fromUtf8(f.readAll());
        }
        const QString e = createDatabase(dbPath, scripts);
        if (!e.isEmpty()) {
            r.message = QStringLiteral("The database could not be created: %1").arg(e);
            return r;
        }
        r.seeded = true;
    }
    if (!ok && isNew) {
        r.message = QStringLiteral("The delivered files could not be copied to %1.").arg(folder);
        return r;
    }
    r.ok = true;
    return r;
}

QString deliveredDataDir(const QString& applicationDir, const QString& buildTreeDataDir) {
    const QString installed = QDir(applicationDir).filePath(QStringLiteral("../share/farrowdale"));
    if (QFileInfo::exists(QDir(installed).filePath(QStringLiteral("schema.sql"))))
        return QDir(installed).absolutePath();
    return buildTreeDataDir;
}

bool clearReadOnlyFolder(const QString& folder) {
    QFile f(folder);
    const auto perms = f.permissions();
    // The mode bits only: the "current user" flag says what this process may
    // do (always everything for root), not what the folder allows.
    const auto writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const bool hidden = QFileInfo(folder).isHidden();
    // Read-only and nothing else: no write bit at all, and not hidden.
    if ((perms & writeBits) || hidden || !QFileInfo(folder).isDir()) return false;
    return f.setPermissions(perms | QFileDevice::WriteOwner | QFileDevice::WriteUser);
}

}  // namespace fd
