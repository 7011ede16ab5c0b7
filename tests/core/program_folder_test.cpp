// The program folder: seeding a new one, repairing one in use, never
// replacing the user's data.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/CADODBAccess.h"
#include "core/ProgramFolder.h"
#include "support/TestFolder.h"

using namespace fd;

TEST(ProgramFolder, NewFolderIsSeededWithAWorkingDatabase) {
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("nested/pf");
    const auto r = prepareProgramFolder(folder, test::deliveredData());
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(r.seeded);
    for (const char* f :
         {"QELS.db", "blank.html", "Country_Codes.html", "about.wav", "WebPageLists/Sample.wsr"})
        EXPECT_TRUE(QFile::exists(QDir(folder).filePath(f))) << f;
    CADODBAccess db(connectionStringFor(folder));
    auto rs = db.fnSQL_RS("Select count(*) AS n from WebSiteConfiguration");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->field("n"), "1");
    rs = db.fnSQL_RS("Select SearchEngineName from SearchEngines where HTTPSubmitMethod = 'post'");
    ASSERT_TRUE(rs);
    EXPECT_FALSE(rs->eof());
    rs = db.fnSQL_RS("Select count(*) AS n from Industries");
    EXPECT_GE(rs->field("n").toInt(), 25);
}

TEST(ProgramFolder, FolderInUseGetsFilesBackButNeverADatabase) {
    test::TestFolder f;
    QFile::remove(f.file("blank.html"));
    QFile about(f.file("about.wav"));
    ASSERT_TRUE(about.open(QIODevice::WriteOnly));
    about.write("mine");
    about.close();
    QFile::remove(f.file("QELS.db"));
    const auto r = prepareProgramFolder(f.path(), test::deliveredData());
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.seeded);
    EXPECT_TRUE(QFile::exists(f.file("blank.html")));
    EXPECT_EQ(test::readFile(f.file("about.wav")), "mine");  // never overwritten
    EXPECT_FALSE(QFile::exists(f.file("QELS.db")));
}

TEST(ProgramFolder, UnusableFolderGetsAClearMessage) {
    QTemporaryDir tmp;
    QFile file(tmp.filePath("plainfile"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    auto r = prepareProgramFolder(tmp.filePath("plainfile/sub"), test::deliveredData());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains("could not be created")) << r.message.toStdString();
    r = prepareProgramFolder(tmp.filePath("plainfile"), test::deliveredData());
    EXPECT_FALSE(r.ok);
}

TEST(ProgramFolder, ChoiceOrder) {
    qputenv("FARROWDALE_HOME", "/tmp/from-env");
    EXPECT_EQ(chooseProgramFolder("/tmp/from-cmdline"), "/tmp/from-cmdline");
    EXPECT_EQ(chooseProgramFolder(""), "/tmp/from-env");
    qunsetenv("FARROWDALE_HOME");
    EXPECT_FALSE(chooseProgramFolder("").isEmpty());
}

TEST(ProgramFolder, ReadOnlyOnlyFolderIsMadeWritable) {
    QTemporaryDir tmp;
    const QString d = tmp.filePath("ro");
    QDir().mkdir(d);
    QFile::setPermissions(d, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(clearReadOnlyFolder(d));
    EXPECT_TRUE(QFile::permissions(d) & QFileDevice::WriteOwner);
    const QString hidden = tmp.filePath(".hidden-ro");
    QDir().mkdir(hidden);
    QFile::setPermissions(hidden, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(clearReadOnlyFolder(hidden));
    EXPECT_FALSE(QFile::permissions(hidden) & QFileDevice::WriteOwner);
    QFile::setPermissions(hidden,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
