#include "ExtraTables.h"

#include <sqlite3.h>

#include "DatabaseConnection.h"
#include "RoomTables.h"

namespace fd {

QStringList splitTableStatements(const QString& sql) {
    QStringList statements;
    QByteArray pending;
    for (const QString& line : sql.split(u'\n')) {
        const QString text = line.trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1String("--"))) continue;
        if (!pending.isEmpty()) pending += ' ';
        pending += text.toUtf8();
        // SQLite's own reading of where a statement ends: a ";" inside a
        // quoted name or text does not end it.
        if (!sqlite3_complete(pending.constData())) continue;
        QString statement = QString::fromUtf8(pending).trimmed();
        statement.chop(1);  // the ";"
        statements << statement.trimmed();
        pending.clear();
    }
    return statements;
}

const std::vector<TableDeclaration>& tableDeclarations() {
    static const std::vector<TableDeclaration> all = [] {
        std::vector<TableDeclaration> rooms;
        for (const RoomTablesFile& f : roomTablesFiles())
            rooms.push_back(
                {QString::fromUtf8(f.room), splitTableStatements(QString::fromUtf8(f.sql))});
        return rooms;
    }();
    return all;
}

QStringList extraTableStatements() {
    QStringList all;
    for (const TableDeclaration& d : tableDeclarations()) all += d.statements;
    return all;
}

QString ensureExtraTables(const QString& dbPath) {
    return ensureExtraTables(dbPath, extraTableStatements());
}

QString ensureExtraTables(const QString& dbPath, const QStringList& statements) {
    if (statements.isEmpty()) return {};
    try {
        db::Connection c(dbPath, QStringLiteral("ExtraTables"));
        // The write lock at once, so two programs starting together on one
        // folder do not both try to create the same tables.
        db::Transaction t(c, db::Transaction::Immediate);
        for (const QString& s : statements) c.prepare(s.toUtf8()).run();
        t.commit();
    } catch (const AppError& e) {
        return e.description();
    }
    return {};
}

}  // namespace fd
