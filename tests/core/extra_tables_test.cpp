// The extra tables beside the delivered eight: created all or none, only when
// missing, never in a file that is not there.
#include <gtest/gtest.h>

#include <QFile>
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
