// The program folder: seeding a new one, repairing one in use, never
// replacing the user's data.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

namespace {
void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// Points the per-user data home at a temporary folder for one test.
class DataHome {
public:
    DataHome() {
        old_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp_.path()));
        qunsetenv("FARROWDALE_HOME");
    }
    ~DataHome() {
        if (old_.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", old_);
    }
    QString folder() const { return tmp_.filePath("Farrowdale"); }
    QString doubled() const { return tmp_.filePath("Farrowdale/Farrowdale"); }

private:
    QTemporaryDir tmp_;
    QByteArray old_;
};

// A doubled folder as an earlier version left it: a database with a site in
// it, a saved page list, the error log and the delivered files.
void makeDoubledFolder(const QString& doubled) {
    ASSERT_TRUE(prepareProgramFolder(doubled, test::deliveredData()).ok);
    CADODBAccess db(connectionStringFor(doubled));
    db.fnSQL_NoRS("INSERT INTO WebSites (WebSiteGenericName) VALUES ('mine')");
    writeFile(doubled + "/mine.wsr", "index.html\r\n");
    writeFile(doubled + "/errorlog.txt", "earlier log\r\n");
}
}  // namespace

TEST(ProgramFolder, PerUserFolderIsTheDocumentedOneNotADoubledOne) {
    DataHome home;
    EXPECT_EQ(perUserProgramFolder(), home.folder());
    EXPECT_EQ(chooseProgramFolder(""), home.folder());
    EXPECT_EQ(chooseProgramFolderFrom("").origin, FolderOrigin::PerUser);
}

TEST(ProgramFolder, DoubledFolderMovesIntoTheDocumentedOneOnce) {
    DataHome home;
    makeDoubledFolder(home.doubled());
    const FolderChoice c = resolveProgramFolder("");
    EXPECT_EQ(c.folder, home.folder());
    for (const char* f : {"QELS.db", "mine.wsr", "blank.html", "WebPageLists/Sample.wsr"})
        EXPECT_TRUE(QFile::exists(home.folder() + "/" + f)) << f;
    EXPECT_FALSE(QFileInfo::exists(home.doubled())) << "the emptied doubled folder is removed";
    CADODBAccess db(connectionStringFor(home.folder()));
    auto rs = db.fnSQL_RS("Select count(*) AS n from WebSites where WebSiteGenericName='mine'");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->field("n"), "1");
    // The earlier log moved along and got a line saying what happened.
    const QByteArray log = test::readFile(home.folder() + "/errorlog.txt");
    EXPECT_TRUE(log.startsWith("earlier log")) << log.constData();
    EXPECT_TRUE(log.contains(",MoveProgramFolder,0,'Moved from ")) << log.constData();
    EXPECT_TRUE(log.contains("QELS.db")) << log.constData();

    // A second start finds its database and moves nothing.
    makeDoubledFolder(home.doubled());
    resolveProgramFolder("");
    EXPECT_TRUE(QFile::exists(home.doubled() + "/QELS.db"));
}

TEST(ProgramFolder, MoveNeverOverwritesAndOnlyHappensWhenDue) {
    DataHome home;
    makeDoubledFolder(home.doubled());
    writeFile(home.folder() + "/mine.wsr", "kept\r\n");  // already there: never replaced
    FolderMove m = moveDoubledProgramFolder(home.doubled(), home.folder());
    EXPECT_TRUE(m.attempted);
    EXPECT_TRUE(m.databaseMoved);
    EXPECT_EQ(test::readFile(home.folder() + "/mine.wsr"), "kept\r\n");
    ASSERT_EQ(m.leftBehind.size(), 1);
    EXPECT_TRUE(m.leftBehind[0].startsWith("mine.wsr (a file of that name"))
        << m.leftBehind[0].toStdString();
    EXPECT_EQ(test::readFile(home.doubled() + "/mine.wsr"), "index.html\r\n");

    // Neither folder changes when the documented one has its database, nor
    // when the doubled one has none.
    m = moveDoubledProgramFolder(home.doubled(), home.folder());
    EXPECT_FALSE(m.attempted);
    QTemporaryDir other;
    writeFile(other.filePath("Farrowdale/notes.txt"), "x");
    m = moveDoubledProgramFolder(other.filePath("Farrowdale"), other.path());
    EXPECT_FALSE(m.attempted);
    EXPECT_TRUE(QFile::exists(other.filePath("Farrowdale/notes.txt")));
}

TEST(ProgramFolder, NamedFolderTakesNothingFromASubfolder) {
    DataHome home;
    QTemporaryDir tmp;
    makeDoubledFolder(tmp.filePath("Farrowdale"));
    EXPECT_EQ(resolveProgramFolder(tmp.path()).origin, FolderOrigin::CommandLine);
    EXPECT_TRUE(QFile::exists(tmp.filePath("Farrowdale/QELS.db")));
    EXPECT_FALSE(QFile::exists(tmp.filePath("QELS.db")));
}

TEST(ProgramFolder, EarlierStartPageIsUpdatedButAUsersOwnIsKept) {
    const QByteArray earlier =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title></title></head>"
        "<body></body></html>\n";
    const QByteArray delivered = test::readFile(test::deliveredData() + "/blank.html");
    ASSERT_NE(delivered, earlier);
    test::TestFolder f;
    writeFile(f.file("blank.html"), earlier);
    auto r = prepareProgramFolder(f.path(), test::deliveredData());
    EXPECT_TRUE(r.startPageUpdated);
    EXPECT_EQ(test::readFile(f.file("blank.html")), delivered);

    const QByteArray own = earlier + "<!-- mine -->";
    writeFile(f.file("blank.html"), own);
    r = prepareProgramFolder(f.path(), test::deliveredData());
    EXPECT_FALSE(r.startPageUpdated);
    EXPECT_EQ(test::readFile(f.file("blank.html")), own);
}

TEST(ProgramFolder, FolderProblemsAreFoundWithoutCreatingAnything) {
    QTemporaryDir tmp;
    writeFile(tmp.filePath("plain"), "x");
    const struct {
        QString folder;
        const char* problem;  // "" when the folder can be used
    } cases[] = {
        {tmp.path(), ""},
        {tmp.filePath("new/deeper"), ""},
        {tmp.filePath("plain"), "is not a folder"},
        {tmp.filePath("plain/sub"), "cannot be created"},
        {"", "No program folder"},
    };
    for (const auto& c : cases) {
        const QString p = programFolderProblem(c.folder);
        if (*c.problem)
            EXPECT_TRUE(p.contains(c.problem)) << c.folder.toStdString() << ": " << p.toStdString();
        else
            EXPECT_TRUE(p.isEmpty()) << c.folder.toStdString() << ": " << p.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("new")));
}
