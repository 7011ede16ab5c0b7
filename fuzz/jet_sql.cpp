// The Jet-dialect translator, fed any text. Oracles: a statement it accepts
// is read by SQLite's own parser as exactly one statement up to its last
// character, or refused by SQLite (never cut short, never followed by a
// second one); translating the translation changes nothing; a date literal
// read in one form is read back the same in the form the program writes.
#include <sqlite3.h>

#include <QFile>

#include "FuzzTarget.h"
#include "core/AppError.h"
#include "core/ExtraTables.h"
#include "core/JetSql.h"

namespace fd::fuzz {

namespace {

// An in-memory database with the program's tables, connected as the program
// connects: double-quoted text is never a value.
sqlite3* schemaDatabase() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open_v2(":memory:", &d, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_db_config(d, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(d, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        QFile schema(QStringLiteral(FARROWDALE_DATA_DIR "/schema.sql"));
        schema.open(QIODevice::ReadOnly);
        sqlite3_exec(d, schema.readAll().constData(), nullptr, nullptr, nullptr);
        for (const QString& s : extraTableStatements())
            sqlite3_exec(d, s.toUtf8().constData(), nullptr, nullptr, nullptr);
        return d;
    }();
    return db;
}

bool onlyBlanks(const char* from, const char* to) {
    for (const char* p = from; p < to; ++p)
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != '\f' && *p != '\v')
            return false;
    return true;
}

}  // namespace

void jetSql(const std::uint8_t* data, std::size_t size) {
    const QString jet = inputText(data, size);

    if (const std::optional<QDateTime> when = parseJetDate(jet))
        check(parseJetDate(jetDateTime(*when)) == when,
              "a date read back from the form the program writes is the same date");

    QString sql;
    try {
        sql = translateJetSql(jet);
    } catch (const AppError&) {
        return;  // refused: nothing runs
    }
    try {
        check(translateJetSql(sql) == sql, "translating a translated statement changes it");
    } catch (const AppError& e) {
        fail("a translated statement is refused on a second pass: " +
             e.description().toStdString());
    }

    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(schemaDatabase(), utf8.constData(), int(utf8.size()), &st, &tail);
    sqlite3_finalize(st);
    if (rc != SQLITE_OK) return;  // SQLite refuses it: nothing runs
    check(tail != nullptr && onlyBlanks(tail, utf8.constData() + utf8.size()),
          "SQLite reads the translated text as a shorter statement than the one accepted");
}

}  // namespace fd::fuzz
