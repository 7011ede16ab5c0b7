// The one connection and statement wrapper: every room's connection carries
// the program's settings, no room opens SQLite on its own, and a statement
// and a transaction do what their names say.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include "audit/AuditStore.h"
#include "core/AppError.h"
#include "core/CADODBAccess.h"
#include "core/DatabaseConnection.h"
#include "submit/SubmissionRecord.h"
#include "support/TestFolder.h"
#include "update/UpdateClient.h"

using namespace fd;

namespace {

QString pragma(const db::Connection& c, const char* name) {
    db::Statement st = c.prepare(QByteArray("PRAGMA ") + name);
    const QString value = st.next() ? st.text(0) : QStringLiteral("(none)");
    st.reset();
    return value;
}

int dqsSetting(const db::Connection& c, int option) {
    int on = -1;
    sqlite3_db_config(c.handle(), option, -1, &on);
    return on;
}

// "journal synchronous busy-timeout dqs-dml dqs-ddl" of a connection.
QString settings(const db::Connection& c) {
    return QStringList{pragma(c, "journal_mode"), pragma(c, "synchronous"),
                       pragma(c, "busy_timeout"),
                       QString::number(dqsSetting(c, SQLITE_DBCONFIG_DQS_DML)),
                       QString::number(dqsSetting(c, SQLITE_DBCONFIG_DQS_DDL))}
        .join(u' ');
}

}  // namespace

TEST(DatabaseConnection, EveryRoomsConnectionHasTheProgramsSettings) {
    test::TestFolder folder;
    const QString path = folder.globals().gDB->databasePath();
    const QString expected = QStringLiteral("truncate 2 %1 0 0").arg(kBusyTimeoutMs);

    EXPECT_EQ(settings(folder.globals().gDB->connect()), expected) << "CADODBAccess";
    EXPECT_EQ(settings(audit::openAuditDatabase(path)), expected) << "the audit's store";
    const SubmissionRecorder recorder(path);
    EXPECT_EQ(settings(recorder.connection()), expected) << "the submission recorder";
    const UpdateConnection update(path);
    EXPECT_EQ(settings(update.connection()), expected) << "the catalogue update";
}

// A room that opened SQLite itself would choose its own settings (as the
// audit's store once did): every opening goes through DatabaseConnection.cpp,
// and only the seeding of a new program folder creates a file.
TEST(DatabaseConnection, NoRoomOpensTheDatabaseOnItsOwn) {
    const QString source = QStringLiteral(FARROWDALE_SOURCE_DIR);
    const QRegularExpression open(QStringLiteral("\\bsqlite3_open(_v2|16)?\\s*\\("));
    QStringList openers;
    for (const QString& dir : {QStringLiteral("/app"), QStringLiteral("/cli")}) {
        QDirIterator it(source + dir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
            if (open.match(QString::fromUtf8(f.readAll())).hasMatch())
                openers << file.mid(source.size() + 1);
        }
    }
    openers.sort();
    EXPECT_EQ(openers,
              QStringList({"app/core/DatabaseConnection.cpp", "app/core/ProgramFolder.cpp"}));
}

TEST(DatabaseConnection, StatementsAndTransactions) {
    test::TestFolder folder;
    db::Connection c(folder.globals().gDB->databasePath(), QStringLiteral("Test"));
    c.exec("CREATE TABLE T (Name TEXT, Size INTEGER)");

    // A transaction left without commit() takes its rows with it.
    {
        db::Transaction t(c, db::Transaction::Immediate);
        c.prepare("INSERT INTO T VALUES ('gone', 1)").run();
    }
    // One statement bound and run again and again; a value is bound, never
    // read as SQL.
    db::Statement add = c.prepare("INSERT INTO T (Name, Size) VALUES (?, ?)");
    db::Transaction t(c);
    for (const auto& [name, size] : {std::pair{"a", 1}, {"O'Brien's \"x\"); --", 2}, {"c", 3}})
        add.bind(1, QString::fromUtf8(name)).bind(2, qint64(size)).run();
    add.bind(1, QStringLiteral("null size")).bindNull(2).run();
    t.commit();

    db::Statement read = c.prepare("SELECT Name, Size FROM T WHERE Size > ? ORDER BY Size");
    QStringList rows;
    read.bind(1, qint64(1));
    while (read.next()) rows << read.text(0) + u'=' + read.text(1);
    EXPECT_EQ(rows, QStringList({"O'Brien's \"x\"); --=2", "c=3"}));
    EXPECT_EQ(c.prepare("SELECT count(*) FROM T WHERE Size IS NULL").firstInteger(), 1);
    EXPECT_EQ(c.prepare("SELECT Size FROM T WHERE Name = 'gone'").firstInteger(), std::nullopt);
    EXPECT_TRUE(c.hasTable("T"));
    EXPECT_FALSE(c.hasTable("Missing"));

    // A failing step says why and leaves the statement usable.
    c.exec("CREATE UNIQUE INDEX TName ON T (Name)");
    try {
        add.bind(1, QStringLiteral("a")).bind(2, qint64(9)).run();
        ADD_FAILURE() << "a duplicate name was added";
    } catch (const AppError& e) {
        EXPECT_EQ(e.source(), "Test");
        EXPECT_TRUE(e.description().contains("UNIQUE")) << e.description().toStdString();
    }
    add.bind(1, QStringLiteral("d")).bind(2, qint64(4)).run();
    EXPECT_EQ(c.prepare("SELECT count(*) FROM T").firstInteger(), 5);
}
