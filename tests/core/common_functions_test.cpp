// The error log, the change-request insert, the text-file writer and the
// upload account.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/AppError.h"
#include "core/CommonFunctions.h"
#include "core/ErrorLog.h"
#include "support/TestFolder.h"

using namespace fd;

class CommonFunctions : public ::testing::Test {
protected:
    test::TestFolder folder;
    QString log() { return folder.errorLog(); }
};

TEST_F(CommonFunctions, IgnoredFailuresWriteNothingAndCreateNoFile) {
    WriteErrorLog(folder.path(), "R", 0, "x", "s");
    WriteErrorLog(folder.path(), "R", 384, "x", "s");
    WriteErrorLog(folder.path(), "R", 20, "x", "s");
    WriteErrorLog(folder.path(), "R", 5, "Resume without error", "s");
    EXPECT_FALSE(QFile::exists(folder.file("errorlog.txt")));
}

TEST_F(CommonFunctions, FirstEntryCreatesHeaderThenEntriesAppend) {
    WriteErrorLog(folder.path(), "getReportFile", 53, "File 'a,b' not found", "Scripting, Inc");
    WriteErrorLog(folder.path(), "Main Form Load", 3001, "second", "CADODBAccess");
    const QStringList lines = log().split("\r\n");
    ASSERT_EQ(lines.size(), 6) << log().toStdString();  // 2 header, blank, 2 entries, ""
    EXPECT_TRUE(lines[0].startsWith("Error Log - Created: "));
    EXPECT_EQ(lines[1],
              "Format: Date & Time of Error, Routine Name, Error Number, Error "
              "Description, Error Source");
    EXPECT_EQ(lines[2], "");
    // Commas and apostrophes are written as they are.
    EXPECT_TRUE(lines[3].endsWith(",getReportFile,53,'File 'a,b' not found',Scripting, Inc"));
    EXPECT_TRUE(QDateTime::fromString(lines[3].left(19), "yyyy-MM-dd HH:mm:ss").isValid());
    EXPECT_TRUE(lines[4].endsWith(",Main Form Load,3001,'second',CADODBAccess"));
    EXPECT_EQ(lines[5], "");
}

TEST_F(CommonFunctions, LineBreaksInAFieldCannotForgeEntries) {
    WriteErrorLog(folder.path(), "UpdateSearchEngineData", 3001,
                  "near \"x\": syntax error\r\n2026-01-01 00:00:00,Forged,1,'x',y\nz\r",
                  "Update\nConnection");
    const QStringList lines = log().split("\r\n");
    ASSERT_EQ(lines.size(), 5) << log().toStdString();
    EXPECT_TRUE(
        lines[3].endsWith(",UpdateSearchEngineData,3001,'near \"x\": syntax error\\r\\n2026-01-01 "
                          "00:00:00,Forged,1,'x',y\\nz\\r',Update\\nConnection"))
        << lines[3].toStdString();
}

TEST_F(CommonFunctions, TrapsLogUnderTheRoutineLabel) {
    ErrorLog& sink = *folder.globals().errorLog;
    ResumeTrap trap(sink, "cmdAddSite_Click");
    int ran = 0;
    trap.step([&] { throw AppError(53, "File not found", "fs"); });
    trap.step([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(trap.failures(), 1);
    EXPECT_FALSE(leaveOnError(sink, "getReportFile", [&] {
        throw AppError(76, "Path not found", "fs");
        ++ran;
    }));
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(log().contains(",cmdAddSite_Click,53,'File not found',fs"));
    EXPECT_TRUE(log().contains(",getReportFile,76,'Path not found',fs"));
}

TEST_F(CommonFunctions, UnwritableFolderLogsNothingAndDoesNotThrow) {
    EXPECT_NO_THROW(WriteErrorLog(folder.file("no/such/dir"), "R", 5, "x", "s"));
}

TEST_F(CommonFunctions, ChangeRequestKeepsQuotesAndNeedsASite) {
    ChangeRequest cr;
    cr.webSiteId = 7;
    cr.rootUrl = "http://a.example/";
    cr.address = "http://a.example/x.htm";
    cr.title = R"(The "best" O'Brien page)";
    cr.keywords = R"(a, "b")";
    cr.date = QDate(2026, 3, 4);
    InsertChangeRequest(*folder.globals().gDB, cr);  // no site selected
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM WebPageUpdateRequests"), "0");
    cr.siteSelected = true;
    InsertChangeRequest(*folder.globals().gDB, cr);
    auto rs = folder.globals().gDB->query("SELECT * FROM WebPageUpdateRequests");
    ASSERT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(rs->field("PageTitle"), cr.title);
    EXPECT_EQ(rs->field("Keywords"), cr.keywords);
    EXPECT_EQ(rs->field("WebSiteID"), "7");
    EXPECT_EQ(rs->field("SubmissionDate"), "2026-03-04 00:00:00");
    EXPECT_EQ(rs->field("WebPage"), cr.address);
}

TEST_F(CommonFunctions, TextFileIsWrittenExactlyAndReplacedWhole) {
    const QByteArray text = "<%\r\nline\r\n%>";
    ASSERT_TRUE(WriteTextFile(folder.path(), "Update.asp", text));
    EXPECT_EQ(test::readFile(folder.file("Update.asp")), text);
    ASSERT_TRUE(WriteTextFile(folder.path(), "Update.asp", "short"));
    EXPECT_EQ(test::readFile(folder.file("Update.asp")), "short");
    EXPECT_FALSE(WriteTextFile(folder.file("missing-dir"), "Update.asp", text));
}

TEST(FileTransInfo, NeedsFourParts) {
    EXPECT_EQ(parseFileTransInfo("a$b$c").user, "");
    EXPECT_EQ(parseFileTransInfo("a$b$c").password, "");
    EXPECT_EQ(parseFileTransInfo("").user, "");
    const UploadAccount a = parseFileTransInfo("host$alice$x$s3cret$extra");
    EXPECT_EQ(a.user, "alice");
    EXPECT_EQ(a.password, "s3cret");
}
