// The program's writes into a file system with no room left: each fails with
// a message that says why, and the file or database it was replacing stays
// as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "CrashChecks.h"
#include "ExportList.h"
#include "FullDisk.h"
#include "core/CADODBAccess.h"
#include "listcaster/FakePrompter.h"
#include "listcaster/clsLVExcelExport.h"
#include "platform/CurlTransfer.h"
#include "reports/ReportFiles.h"
#include "sitemap/SiteMap.h"
#include "sitemap/XmlSitemap.h"
#include "sites/PageList.h"
#include "submit/SubmissionRecord.h"
#include "support/Errors.h"
#include "support/FakeDialogs.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"
#include "update/UpdateClient.h"

using namespace fd;
using namespace fd::test;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;

namespace {

// What a full disk says, in the kind of full disk this run has (SQLite
// calls a write past the file-size limit an I/O error).
const char* const kFullDiskReason = "(No space left on device|File too large|disk is full)";
const char* const kFullDatabaseReason = "(disk is full|disk I/O error)";

QStringList pagesNamed(int n) {
    QStringList out;
    for (int i = 0; i < n; ++i) out << QStringLiteral("/section/page-%1.htm").arg(i);
    return out;
}

// The outcome of a failed write as the child reports it: the message, whether
// the old file is byte for byte the same, and what was left beside it.
std::string outcome(const QString& message, const QString& path, const QByteArray& old) {
    QStringList leftovers = QDir(QFileInfo(path).absolutePath())
                                .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    leftovers.removeAll(QStringLiteral(".filler"));
    leftovers.removeAll(QFileInfo(path).fileName());
    return "message: " + message.toStdString() +
           (fileBytes(path) == old ? "\nold file intact" : "\nold file changed") +
           "\nleft beside it: " +
           (leftovers.isEmpty() ? std::string("nothing") : leftovers.join(u',').toStdString());
}

void expectClearFailure(const std::string& out) {
    EXPECT_THAT(out, ContainsRegex(kFullDiskReason)) << out;
    EXPECT_THAT(out, HasSubstr("old file intact")) << out;
    EXPECT_THAT(out, HasSubstr("left beside it: nothing")) << out;
}

TEST(DiskFull, KindOfFullDisk) {
    std::printf("full disk made with %s\n", fullDiskKind().c_str());
    SUCCEED();
}

TEST(DiskFull, PageListSaveFailsAndKeepsTheOldList) {
    expectClearFailure(onFullDisk([](const FullDisk& disk) {
        const QString path = QDir(disk.folder).filePath(QStringLiteral("1Shop.wsr"));
        const QByteArray old = sites::formatPageList({QStringLiteral("/index.htm")});
        putFile(path, old);
        disk.fill();
        try {
            sites::writePageListFile(path, pagesNamed(5000));
        } catch (const AppError& e) {
            return outcome(e.description(), path, old);
        }
        return std::string("saved");
    }));
}

TEST(DiskFull, ReportFileFailsAndKeepsTheOldReport) {
    expectClearFailure(onFullDisk([](const FullDisk& disk) {
        const QString path = QDir(disk.folder).filePath(QString::fromLatin1(kSubmissionLogFile));
        const QByteArray old = submissionLogHeader() + "old report line\r\n";
        putFile(path, old);
        disk.fill();
        try {
            ReportFileWriter file(path, submissionLogHeader());
            for (int i = 0; i < 5000; ++i)
                file.writeLine(submissionLogLine(
                    {QDateTime(QDate(2026, 12, 8), QTime(9, 0)), QStringLiteral("Engine"),
                     QStringLiteral("http://www.example.com/"),
                     QStringLiteral("page-%1.htm").arg(i), QString()}));
            file.close();
        } catch (const AppError& e) {
            return outcome(e.description(), path, old);
        }
        return std::string("written");
    }));
}

TEST(DiskFull, ReportExportFailsAndKeepsTheFileItWouldReplace) {
    QTemporaryDir elsewhere;
    const QString report = QDir(elsewhere.path()).filePath(QString::fromLatin1(kChangeLogFile));
    QByteArray bytes = changeLogHeader();
    for (int i = 0; i < 20000; ++i)
        bytes += "12/08/26|http://www.example.com/|page.htm|T|||D|K\r\n";
    putFile(report, bytes);
    expectClearFailure(onFullDisk([&](const FullDisk& disk) {
        const QString path = QDir(disk.folder).filePath(QStringLiteral("exported.txt"));
        const QByteArray old = "the report exported last week";
        putFile(path, old);
        disk.fill();
        try {
            exportReportFile(report, path);
        } catch (const AppError& e) {
            return outcome(e.description(), path, old);
        }
        return std::string("exported");
    }));
}

TEST(DiskFull, SiteMapIsNotSavedAndTheUserIsTold) {
    expectClearFailure(onFullDisk([](const FullDisk& disk) {
        const QString path = QDir(disk.folder).filePath(QStringLiteral("sitemap.htm"));
        const QByteArray old = "<html>the old map</html>";
        putFile(path, old);
        disk.fill();
        FakeDialogs dialogs;
        dialogs.files.push_back(path);
        RecordingSink log;
        SiteMapServices s(dialogs, log);
        s.programFolder = disk.folder;
        CreateSiteMap_Click(
            QStringList{QStringLiteral("http://www.example.com/")} + pagesNamed(5000),
            QStringLiteral("Shop"), s);
        if (log.lines.isEmpty()) return std::string("no log line");
        return outcome(dialogs.lastText(), path, old);
    }));
}

TEST(DiskFull, XmlSitemapIsNotWrittenAndTheOldFilesStay) {
    expectClearFailure(onFullDisk([](const FullDisk& disk) {
        const QString path = QDir(disk.folder).filePath(QStringLiteral("sitemap.xml"));
        const QByteArray old = "<?xml version=\"1.0\"?><urlset/>";
        putFile(path, old);
        disk.fill();
        QList<SitemapPage> pages;
        for (const QString& p : pagesNamed(5000)) pages.append({p, QDate()});
        try {
            writeXmlSitemaps(QStringLiteral("http://www.example.com/"), pages, path);
        } catch (const AppError& e) {
            return outcome(e.description(), path, old);
        }
        return std::string("written");
    }));
}

TEST(DiskFull, WorkbookExportFailsWithItsMessageAndKeepsTheOldFile) {
    expectClearFailure(onFullDisk([](const FullDisk& disk) {
        const QString path = QDir(disk.folder).filePath(QStringLiteral("list.xlsx"));
        const QByteArray old = "an old workbook";
        putFile(path, old);
        QTreeWidget* list = makeExportList(5000);
        disk.fill();
        listcaster::test::FakePrompter prompter;
        listcaster::setPrompter(&prompter);
        listcaster::clsLVExcelExport e;
        e.setListView(list);
        e.Filename = path;
        if (e.ExportListViewToExcel() || prompter.messages.empty()) return std::string("exported");
        return outcome(prompter.messages.back().caption + u' ' + prompter.messages.back().text,
                       path, old);
    }));
}

QByteArray databaseState(const QString& db) {
    return tableDump(db, "SELECT count(*) FROM Submissions") +
           tableDump(db, "SELECT * FROM SearchEngines");
}

// The database on a full disk: a statement that cannot be written fails,
// and the database stays whole and unchanged.
std::string databaseOutcome(const QString& message, const QString& db, const QByteArray& before) {
    return "message: " + message.toStdString() +
           "\nintegrity: " + (integrityProblem(db).empty() ? "ok" : integrityProblem(db)) +
           (databaseState(db) == before ? "\nunchanged" : "\nchanged");
}

TEST(DiskFull, SubmissionIsNotRecordedAndTheDatabaseStaysWhole) {
    TestFolder folder;
    const QString engine =
        folder.scalar(QStringLiteral("SELECT SearchEngineName FROM SearchEngines"));
    const std::string out = onFullDisk([&](const FullDisk& disk) {
        const QString db = QDir(disk.folder).filePath(QString::fromLatin1(kDatabaseFileName));
        QFile::copy(folder.file(QString::fromLatin1(kDatabaseFileName)), db);
        const QByteArray before = databaseState(db);
        disk.fill();
        try {
            recordSubmission(
                CADODBAccess(connectionStringFor(disk.folder)),
                {QStringLiteral("Shop"), QStringLiteral("http://www.example.com/"),
                 QStringLiteral("me@example.com"), QStringLiteral("http://www.example.com/a.htm"),
                 std::nullopt, QString(), QString(), engine},
                false);
        } catch (const AppError& e) {
            return databaseOutcome(e.description(), db, before);
        }
        return std::string("recorded");
    });
    EXPECT_THAT(out, ContainsRegex(kFullDatabaseReason)) << out;
    EXPECT_THAT(out, HasSubstr("integrity: ok\nunchanged")) << out;
}

TEST(DiskFull, CatalogueUpdateIsRefusedWithItsMessageAndNothingChanges) {
    TestFolder folder;
    QTemporaryDir served;
    QString answer = QStringLiteral("<XML program=\"QELS\">\r\n");
    for (int i = 0; i < 1000; ++i)
        answer += QStringLiteral(
                      "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) "
                      "VALUES (%1, 'Engine %1')\r\n")
                      .arg(5000 + i);
    putFile(QDir(served.path()).filePath(QStringLiteral("Update.asp")), answer.toUtf8());
    PeerProcess server(QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/http_test_server.py"),
                       {served.path()});
    ASSERT_TRUE(server.ok());
    const std::string out = onFullDisk([&](const FullDisk& disk) {
        const QString db = QDir(disk.folder).filePath(QString::fromLatin1(kDatabaseFileName));
        QFile::copy(folder.file(QString::fromLatin1(kDatabaseFileName)), db);
        const CADODBAccess access(connectionStringFor(disk.folder));
        access.execute(QStringLiteral("UPDATE WebSiteConfiguration SET UpdateURL = "
                                      "'http://127.0.0.1:%1/Update.asp'")
                           .arg(server.port()));
        const QByteArray before = databaseState(db);
        disk.fill();
        CurlTransfer transfer;
        FakeDialogs dialogs;
        RecordingSink log;
        QString url;
        UpdateContext context{access, transfer, dialogs, log, nullptr, QStringLiteral("1.0.0"),
                              &url,   {}};
        UpdateSearchEngineData(context, true);
        return databaseOutcome(dialogs.lastText() + u' ' + log.lines.join(u' '), db, before);
    });
    EXPECT_THAT(out, HasSubstr(kUpdateErrorMessage.toStdString())) << out;
    EXPECT_THAT(out, ContainsRegex(kFullDatabaseReason)) << out;
    EXPECT_THAT(out, HasSubstr("integrity: ok\nunchanged")) << out;
}

}  // namespace
