// The extra tables beside the delivered eight: created all or none, only when
// missing, never in a file that is not there.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/ExtraTables.h"
#include "support/TestFolder.h"

using namespace fd;

TEST(ExtraTables, CreatedOnceAndAllOrNone) {
    test::TestFolder folder;
    const QString db = folder.globals().gDB->databasePath();
    const QStringList good = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS T1 (a INTEGER PRIMARY KEY, b TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS T1_b ON T1 (b)")};
    EXPECT_EQ(ensureExtraTables(db, good), QString());
    folder.globals().gDB->execute(QStringLiteral("INSERT INTO T1 (b) VALUES ('kept')"));
    // A second start finds them and leaves their rows alone.
    EXPECT_EQ(ensureExtraTables(db, good), QString());
    EXPECT_EQ(folder.scalar("SELECT b FROM T1"), "kept");

    // A failing statement leaves none of the batch behind.
    const QStringList bad = {QStringLiteral("CREATE TABLE IF NOT EXISTS T2 (a)"),
                             QStringLiteral("CREATE TABLE IF NOT EXISTS T3 (a")};
    EXPECT_NE(ensureExtraTables(db, bad), QString());
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM sqlite_master WHERE name IN ('T2','T3')"), "0");
    EXPECT_EQ(folder.scalar("PRAGMA integrity_check"), "ok");
}

TEST(ExtraTables, MissingFileIsReportedAndNotCreated) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QELS.db"));
    EXPECT_NE(ensureExtraTables(path, {QStringLiteral("CREATE TABLE IF NOT EXISTS T (a)")}),
              QString());
    EXPECT_FALSE(QFile::exists(path));
}

// Each room's tables.sql: its statements read as SQLite reads them, a ";" in
// a quoted name or text not ending one, comment lines left out.
TEST(ExtraTables, RoomFilesSplitIntoTheirStatements) {
    EXPECT_EQ(splitTableStatements(
                  QStringLiteral("-- a comment; with a semicolon\n"
                                 "CREATE TABLE IF NOT EXISTS \"A;B\" (x TEXT DEFAULT ';',\n"
                                 "  y INTEGER);\n"
                                 "\n"
                                 "CREATE INDEX IF NOT EXISTS AB ON \"A;B\" (y);\n")),
              QStringList({"CREATE TABLE IF NOT EXISTS \"A;B\" (x TEXT DEFAULT ';', y INTEGER)",
                           "CREATE INDEX IF NOT EXISTS AB ON \"A;B\" (y)"}));
}

// Every table a room declares is there once the program has started on a
// fresh folder: the audit's runs, the IndexNow keys and the answer ledger.
TEST(ExtraTables, EveryRoomsTablesAreCreated) {
    QStringList rooms;
    QStringList tables;
    const QRegularExpression create(QStringLiteral("^CREATE (?:TABLE|INDEX) IF NOT EXISTS (\\w+)"));
    for (const TableDeclaration& d : tableDeclarations()) {
        rooms << d.room;
        EXPECT_FALSE(d.statements.isEmpty()) << d.room.toStdString();
        for (const QString& s : d.statements) {
            const QRegularExpressionMatch m = create.match(s);
            EXPECT_TRUE(m.hasMatch()) << "creates only when missing: " << s.toStdString();
            tables << m.captured(1);
        }
    }
    for (const char* room : {"audit", "submit", "submit/indexnow"})
        EXPECT_TRUE(rooms.contains(QString::fromLatin1(room))) << room;
    for (const char* t :
         {"AuditRuns", "AuditPages", "AuditFindings", "IndexNowKeys", "SubmissionAnswers"})
        EXPECT_TRUE(tables.contains(QString::fromLatin1(t))) << t;

    test::TestFolder folder;
    for (const QString& t : tables)
        EXPECT_EQ(
            folder.scalar(
                QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = '%1'").arg(t)),
            "1")
            << t.toStdString();
}
