// CADODBAccess on real database files: results, failures and what they leave.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "core/AppError.h"
#include "core/CADODBAccess.h"
#include "core/DatabaseConnection.h"
#include "support/TestFolder.h"

using namespace fd;

class DbAccess : public ::testing::Test {
protected:
    test::TestFolder folder;
    CADODBAccess& db() { return *folder.globals().gDB; }
    void expectIntact() { EXPECT_EQ(folder.scalar("PRAGMA integrity_check"), "ok"); }
};

TEST_F(DbAccess, EmptyResultIsAtEndAtOnce) {
    RecordsetPtr rs = db().fnSQL_RS("Select WebSiteID from WebSites where WebSiteID = 42");
    ASSERT_TRUE(rs);
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_THROW(rs->field("WebSiteID"), AppError);
}

TEST_F(DbAccess, RecordsetIsDetachedAndReadsNullAsEmpty) {
    db().fnSQL_NoRS("INSERT INTO WebSites (WebSiteGenericName) VALUES ('a')");
    db().fnSQL_NoRS("INSERT INTO WebSites (WebSiteGenericName) VALUES ('b')");
    RecordsetPtr rs = db().fnSQL_RS(
        "Select WebSiteID, webSiteGenericName, LastListFile from WebSites order by WebSiteID");
    ASSERT_TRUE(rs);
    // The connection is closed; the file can be changed and even removed
    // while the rows are still read.
    db().fnSQL_NoRS("DELETE FROM WebSites");
    QStringList names;
    for (; !rs->eof(); rs->moveNext()) {
        names << rs->field("WEBSITEGENERICNAME");
        EXPECT_EQ(rs->field("LastListFile"), "");
        EXPECT_TRUE(rs->isNull("LastListFile"));
    }
    EXPECT_EQ(names, (QStringList{"a", "b"}));
    EXPECT_THROW(rs->field("NoSuchColumn"), AppError);
}

TEST_F(DbAccess, FailingStatementsHaveNoEffect) {
    // A quote inside its literal, a bad date, two statements in one string.
    const QString bad[] = {
        "INSERT INTO WebSites (WebSiteGenericName) VALUES ('O'Brien')",
        "INSERT INTO WebSites (WebSiteGenericName) VALUES (\"say \"hi\"\")",
        "INSERT INTO WebSites (WebSiteGenericName, LastUpdateRequest) VALUES ('x', #2/30/2026#)",
        "INSERT INTO WebSites (WebSiteGenericName) VALUES ('x'); DELETE FROM Industries",
        "INSERT INTO NoSuchTable VALUES (1)",
    };
    const QString industries = folder.scalar("SELECT count(*) FROM Industries");
    for (const QString& s : bad) {
        db().fnSQL_NoRS(s);
        EXPECT_EQ(db().fnSQL_RS(s), nullptr) << s.toStdString();
    }
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM WebSites"), "0");
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM Industries"), industries);
    expectIntact();
}

// SQLite's parser, not the translator alone, decides where a statement ends:
// whatever follows the first statement refuses the whole text.
TEST_F(DbAccess, OneStatementMeansOne) {
    ConnectionPtr c(openDatabaseConnection(db().databasePath(), "test"));
    EXPECT_TRUE(prepareOne(c.get(), "SELECT 1 ;  \r\n", "test"));
    EXPECT_TRUE(prepareOne(c.get(), "SELECT 1 /* only a comment */", "test"));
    for (const char* two : {"SELECT 1; DELETE FROM Industries", "SELECT `a'` ; DELETE FROM t; -- '",
                            "UPDATE Industries SET Industry='x' /* ' */ ; DELETE FROM Industries",
                            "SELECT 1; -- a comment", ""})
        EXPECT_THROW(prepareOne(c.get(), two, "test"), AppError) << two;
}

// The path of the database reads back unchanged from the connection string,
// whatever characters the program folder's path holds.
TEST(DbAccessFiles, AnyFolderNameSurvivesTheConnectionString) {
    for (const QString name :
         {"plain", "sites;2026", "a=b;Data Source=/x", "say \"hi\";", "O'Brien's", " blanks ",
          "caf\u00e9 \u65e5\u672c", "'\"", "new\nline"}) {
        const QString folder = "/tmp/" + name;
        EXPECT_EQ(CADODBAccess(connectionStringFor(folder)).databasePath(), folder + "/QELS.db")
            << name.toStdString();
    }
    EXPECT_EQ(CADODBAccess::pathFromConnectionString("Provider=x;Data Source=/a/QELS.db;P=F"),
              "/a/QELS.db");
}

// Every connection keeps the truncated rollback journal and full sync, which
// the file itself does not remember.
TEST_F(DbAccess, EveryConnectionUsesTheTruncatedJournal) {
    EXPECT_EQ(db().query("PRAGMA journal_mode")->field(0), "truncate");
    EXPECT_EQ(db().query("PRAGMA synchronous")->field(0), "2");
}

TEST(DbAccessFiles, MissingFileGivesNullAndCreatesNothing) {
    QTemporaryDir dir;
    CADODBAccess db(connectionStringFor(dir.path()));
    EXPECT_EQ(db.fnSQL_RS("Select * from WebSites"), nullptr);
    db.fnSQL_NoRS("CREATE TABLE x (a)");
    EXPECT_FALSE(QFile::exists(dir.filePath("QELS.db")));
    EXPECT_THROW(db.fnSQL_XML("Select 1", dir.filePath("out.xml")), AppError);
}

TEST(DbAccessFiles, CorruptFileGivesNull) {
    QTemporaryDir dir;
    QFile f(dir.filePath("QELS.db"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    CADODBAccess db(connectionStringFor(dir.path()));
    EXPECT_EQ(db.fnSQL_RS("Select * from WebSites"), nullptr);
}

TEST_F(DbAccess, XmlRowSetIsReadableXml) {
    db().execute(R"(INSERT INTO WebSites (WebSiteGenericName) VALUES ("A & B <'co'>"))");
    const QString out = folder.file("rows.xml");
    EXPECT_TRUE(
        db().fnSQL_XML("Select WebSiteID, WebSiteGenericName, LastListFile from WebSites", out));
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader r(&f);
    int rows = 0, attributeTypes = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement()) continue;
        if (r.name() == u"AttributeType") ++attributeTypes;
        if (r.name() == u"row" && r.namespaceUri() == u"#RowsetSchema") {
            ++rows;
            EXPECT_EQ(r.attributes().value("WebSiteGenericName"), u"A & B <'co'>");
            EXPECT_FALSE(r.attributes().hasAttribute("LastListFile"));  // null: left out
        }
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(attributeTypes, 3);
    EXPECT_THROW(db().fnSQL_XML("Select nothing from nowhere", out), AppError);
}
