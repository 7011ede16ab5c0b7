#include "ProgramFolder.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace fd {

namespace {
const char* const kDelivered[] = {"blank.html", "Country_Codes.html", "about.wav"};
}

QString chooseProgramFolder(const QString& commandLineFolder) {
    if (!commandLineFolder.isEmpty()) return QDir(commandLineFolder).absolutePath();
    const QString env = qEnvironmentVariable("FARROWDALE_HOME");
    if (!env.isEmpty()) return QDir(env).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
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
