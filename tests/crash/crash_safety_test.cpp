// The program's writes killed with SIGKILL at random moments: whatever they
// were replacing is afterwards the old version or the complete new one, and
// the database opens consistent with no half-written rows.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <map>

#include "CrashChecks.h"
#include "ExportList.h"
#include "KillLoop.h"
#include "core/CADODBAccess.h"
#include "listcaster/FakePrompter.h"
#include "listcaster/clsLVExcelExport.h"
#include "reports/ReportFiles.h"
#include "sitemap/SiteMap.h"
#include "sitemap/XmlSitemap.h"
#include "sites/PageList.h"
#include "submit/SubmissionRecord.h"
#include "support/Errors.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "update/UpdateClient.h"

using namespace fd;
using namespace fd::test;

namespace {

QStringList numbered(const QString& pattern, int n) {
    QStringList out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) out << pattern.arg(i);
    return out;
}

void expectSurvived(const KillCase& c) {
    const KillReport r = runKillLoop(c);
    EXPECT_EQ(r.failure, "") << c.name << " (seed " << crashSeed() << ")";
    EXPECT_GE(r.kills, crashKills()) << c.name << ": too few kills landed during the work";
}

// A database folder whose QELS.db is put back to the state it had when the
// case began before every run (the journal a killed run left goes too).
struct DatabaseCase {
    TestFolder folder;
    QString db = folder.file(QStringLiteral("QELS.db"));
    QString pristine = folder.file(QStringLiteral("pristine.db"));
    void keepPristine() {
        QFile::remove(pristine);
        QFile::copy(db, pristine);
    }
    void restore() const {
        QFile::remove(db);
        QFile::remove(db + QStringLiteral("-journal"));
        QFile::copy(pristine, db);
    }
};

TEST(CrashSafety, SavedPageListIsTheOldOrTheNewList) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("1Shop.wsr"));
    const QByteArray oldBytes =
        sites::formatPageList(numbered(QStringLiteral("/old/page-%1.htm"), 20000));
    const QStringList newPages = numbered(QStringLiteral("/new/section/page-%1.html"), 30000);
    const QByteArray newBytes = sites::formatPageList(newPages);
    expectSurvived({"page list save",
                    [&] {
                        clearFolderExcept(dir.path(), {});
                        putFile(path, oldBytes);
                    },
                    nullptr, [&] { sites::writePageListFile(path, newPages); }, nullptr,
                    [&]() -> std::string {
                        const QByteArray now = fileBytes(path);
                        if (now == oldBytes || now == newBytes) return {};
                        return "the list is neither the old nor the new one (" +
                               std::to_string(now.size()) + " bytes)";
                    }});
}

TEST(CrashSafety, RecordedSubmissionsAreWholeRows) {
    DatabaseCase d;
    const QString engine = d.folder.scalar(
        QStringLiteral("SELECT SearchEngineName FROM SearchEngines ORDER BY SearchEngineID"));
    ASSERT_FALSE(engine.isEmpty());
    d.keepPristine();
    const QString folder = d.folder.path();
    const int submissions = 4;
    expectSurvived(
        {"submission recording", [&] { d.restore(); }, nullptr,
         [&] {
             const CADODBAccess db(connectionStringFor(folder));
             for (int i = 0; i < submissions; ++i) {
                 SubmissionInput in{QStringLiteral("Shop"),
                                    QStringLiteral("http://www.example.com/"),
                                    QStringLiteral("me@example.com"),
                                    QStringLiteral("http://www.example.com/page-%1.htm").arg(i),
                                    std::nullopt,
                                    QStringLiteral("Fine goods"),
                                    QStringLiteral("goods, shop"),
                                    engine};
                 const RecordResult r = recordSubmission(
                     db, in, false, QDateTime(QDate(2026, 12, 8), QTime(10, 0, i)));
                 if (r.outcome != RecordOutcome::Recorded)
                     throw std::runtime_error("a submission was not recorded");
             }
         },
         nullptr,
         [&]() -> std::string {
             if (std::string p = integrityProblem(d.db); !p.empty()) return p;
             // Every submission names rows that exist and carries its date.
             const QByteArray dangling =
                 tableDump(d.db,
                           "SELECT count(*) FROM Submissions WHERE SubmitDate IS NULL "
                           "OR WebSiteID NOT IN (SELECT WebSiteID FROM WebSites) "
                           "OR WebSiteNameID NOT IN (SELECT WebSiteNameID FROM WebSiteNames) "
                           "OR WebSitePageID NOT IN (SELECT WebSitePageID FROM WebSitePages) "
                           "OR SearchEngineID NOT IN (SELECT SearchEngineID FROM SearchEngines)");
             if (dangling != "0\x1e") return "a submission names a missing row";
             const QByteArray partial = tableDump(
                 d.db,
                 "SELECT count(*) FROM WebSitePages WHERE PageURL IS NULL OR UpdatedDate IS NULL "
                 "OR PageDescription IS NULL OR PageKeywords IS NULL");
             if (partial != "0\x1e") return "a page row is half written";
             // The submissions recorded are the first ones of the run, in order.
             const QByteArray pages =
                 tableDump(d.db,
                           "SELECT p.PageURL FROM Submissions s JOIN WebSitePages p "
                           "ON p.WebSitePageID = s.WebSitePageID ORDER BY s.SubmissionID");
             QByteArray expected;
             for (int i = 0; i < pages.count('\x1e'); ++i)
                 expected += QStringLiteral("page-%1.htm\x1e").arg(i).toUtf8();
             if (pages != expected) return "the recorded submissions are not the run's first ones";
             return {};
         }});
}

TEST(CrashSafety, CatalogueUpdateOfTenThousandStatementsIsAllOrNothing) {
    DatabaseCase d;
    d.keepPristine();
    QString body = QStringLiteral("<XML program=\"QELS\">\r\n");
    for (int i = 0; i < 5000; ++i)
        body += QStringLiteral(
                    "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, "
                    "ReviewQueryString, SubmitQueryString, SearchEngineTips, HTTPReviewMethod, "
                    "HTTPSubmitMethod, Popularity) VALUES (%1, 'Engine %1', "
                    "'http://engine.example/review?u=<%URL%>', "
                    "'http://engine.example/add?u=<%URL%>&e=<%EMAIL%>', 'Tip', 'get', 'get', 1)"
                    "\r\n")
                    .arg(1000 + i);
    for (int i = 0; i < 5000; ++i)
        body += QStringLiteral(
                    "UPDATE SearchEngines SET Popularity = %1, SearchEngineTips = \"Tip %1\" "
                    "WHERE SearchEngineID = %2\r\n")
                    .arg(i + 2)
                    .arg(1000 + i);
    body += QStringLiteral("</XML>\r\n");
    const char* catalogue = "SELECT * FROM SearchEngines ORDER BY SearchEngineID";
    const QByteArray oldCatalogue = tableDump(d.pristine, catalogue);
    QByteArray newCatalogue;
    expectSurvived({"catalogue update", [&] { d.restore(); }, nullptr,
                    [&] {
                        UpdateConnection connection(d.db);
                        if (applyUpdateAnswer(connection, body) != UpdateOutcome::Applied)
                            throw std::runtime_error("the answer was not applied");
                    },
                    [&] { newCatalogue = tableDump(d.db, catalogue); },
                    [&]() -> std::string {
                        if (std::string p = integrityProblem(d.db); !p.empty()) return p;
                        const QByteArray now = tableDump(d.db, catalogue);
                        if (now == oldCatalogue) return {};
                        if (now == newCatalogue && now != oldCatalogue) return {};
                        return "the catalogue is neither the old nor the new one";
                    }});
}

TEST(CrashSafety, ExportedWorkbookIsTheOldOrACompleteNewOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.xlsx"));
    // The list and the export live in the child, which has the application
    // object a list view needs.
    static listcaster::test::FakePrompter prompter;
    auto write = [&](QTreeWidget* list) {
        listcaster::setPrompter(&prompter);
        listcaster::clsLVExcelExport e;
        e.setListView(list);
        e.Filename = path;
        if (!e.ExportListViewToExcel())
            throw std::runtime_error(prompter.messages.empty()
                                         ? "the export failed"
                                         : prompter.messages.back().text.toStdString());
    };
    ASSERT_EQ(runInChild([&] {
                  write(makeExportList(10));
                  return std::string("written");
              }),
              "written");
    const QByteArray oldBytes = fileBytes(path);
    ASSERT_EQ(zipProblem(oldBytes), "");
    QTreeWidget* list = nullptr;
    expectSurvived({"workbook export",
                    [&] {
                        clearFolderExcept(dir.path(), {});
                        putFile(path, oldBytes);
                    },
                    [&] { list = makeExportList(5000); }, [&] { write(list); }, nullptr,
                    [&]() -> std::string {
                        const QByteArray now = fileBytes(path);
                        if (now == oldBytes) return {};
                        const std::string p = zipProblem(now);
                        return p.empty() ? p : "the workbook is torn: " + p;
                    }});
}

TEST(CrashSafety, ReportFileIsTheOldOrTheNewReport) {
    DatabaseCase d;
    const QString engine = d.folder.scalar(
        QStringLiteral("SELECT SearchEngineID FROM SearchEngines ORDER BY SearchEngineID"));
    d.folder.exec(
        QStringLiteral("INSERT INTO WebSites (WebSiteID, WebSiteGenericName) VALUES "
                       "(1, 'Shop')"));
    d.folder.exec(
        QStringLiteral("INSERT INTO WebSiteNames (WebSiteNameID, WebSiteID, "
                       "WebSiteBaseURL) VALUES (1, 1, 'http://www.example.com/')"));
    d.folder.exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < "
                       "4999) INSERT INTO WebSitePages (WebSitePageID, WebSiteID, PageURL) "
                       "SELECT i + 1, 1, 'page-' || i || '.htm' FROM n"));
    d.folder.exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < "
                       "4999) INSERT INTO Submissions (SubmitDate, WebSiteID, WebSiteNameID, "
                       "WebSitePageID, SearchEngineID) SELECT datetime('2026-01-01', '+' || "
                       "(i / 15) || ' days'), 1, 1, i + 1, %1 FROM n")
            .arg(engine));
    const CADODBAccess db(connectionStringFor(d.folder.path()));
    const QString path = d.folder.file(QString::fromLatin1(kSubmissionLogFile));
    auto writeReport = [&](const ReportFilter& filter) {
        const std::vector<SubmissionRow> rows = readSubmissions(db, filter);
        ReportFileWriter file(path, submissionLogHeader());
        for (const SubmissionRow& r : rows) file.writeLine(submissionLogLine(r));
        file.close();
    };
    writeReport({QDateTime(QDate(2026, 1, 1), QTime(0, 0)),
                 QDateTime(QDate(2026, 1, 31), QTime(23, 59)),
                 {}});
    const QByteArray oldBytes = fileBytes(path);
    const ReportFilter year{QDateTime(QDate(2026, 1, 1), QTime(0, 0)),
                            QDateTime(QDate(2026, 12, 31), QTime(23, 59)),
                            {}};
    writeReport(year);
    const QByteArray newBytes = fileBytes(path);
    ASSERT_GT(newBytes.size(), oldBytes.size());
    const QStringList keep = QDir(d.folder.path()).entryList(QDir::Files | QDir::Hidden);
    expectSurvived({"report file",
                    [&] {
                        clearFolderExcept(d.folder.path(), keep);
                        putFile(path, oldBytes);
                    },
                    nullptr, [&] { writeReport(year); }, nullptr,
                    [&]() -> std::string {
                        const QByteArray now = fileBytes(path);
                        if (now == oldBytes || now == newBytes) return {};
                        return "the report is torn (" + std::to_string(now.size()) + " of " +
                               std::to_string(newBytes.size()) + " bytes)";
                    }});
}

TEST(CrashSafety, SiteMapIsTheOldOrTheNewPage) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitemap.htm"));
    const QString root = QStringLiteral("http://www.example.com/");
    const QStringList oldNodes =
        QStringList{root} + numbered(QStringLiteral("old/page-%1.htm"), 20000);
    const QStringList newNodes =
        QStringList{root} + numbered(QStringLiteral("new/section/page-%1.htm"), 30000);
    const QByteArray oldBytes =
        siteMapFileBytes(buildSiteMapHtml(root, QStringLiteral("Shop"), oldNodes.mid(1)));
    const QByteArray newBytes =
        siteMapFileBytes(buildSiteMapHtml(root, QStringLiteral("Shop"), newNodes.mid(1)));
    expectSurvived({"site map",
                    [&] {
                        clearFolderExcept(dir.path(), {});
                        putFile(path, oldBytes);
                    },
                    nullptr,
                    [&] {
                        FakeDialogs dialogs;
                        dialogs.files.push_back(path);
                        RecordingSink log;
                        SiteMapServices s(dialogs, log);
                        s.programFolder = dir.path();
                        CreateSiteMap_Click(newNodes, QStringLiteral("Shop"), s);
                        if (!log.lines.isEmpty())
                            throw std::runtime_error(log.lines.join(u'\n').toStdString());
                    },
                    nullptr,
                    [&]() -> std::string {
                        const QByteArray now = fileBytes(path);
                        if (now == oldBytes || now == newBytes) return {};
                        return "the site map is torn (" + std::to_string(now.size()) + " bytes)";
                    }});
}

TEST(CrashSafety, XmlSitemapFilesAreEachTheOldOrTheNewAndTheIndexComesLast) {
    QTemporaryDir dir;
    const QString main = dir.filePath(QStringLiteral("sitemap.xml"));
    const QString root = QStringLiteral("https://www.example.com/");
    XmlSitemapOptions options;
    options.maxUrlsPerFile = 20000;
    options.written = QDate(2026, 12, 8);
    auto pages = [](const QString& pattern, int n) {
        QList<SitemapPage> out;
        for (int i = 0; i < n; ++i) out.append({pattern.arg(i), QDate(2026, 12, 1)});
        return out;
    };
    const QList<SitemapPage> oldPages = pages(QStringLiteral("/old/page-%1.htm"), 80000);
    const QList<SitemapPage> newPages = pages(QStringLiteral("/new/page-%1.htm"), 100000);
    using Files = std::map<QString, QByteArray>;
    auto readFiles = [&] {
        Files files;
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
            files[name] = fileBytes(dir.filePath(name));
        return files;
    };
    writeXmlSitemaps(root, oldPages, main, options);
    const Files oldFiles = readFiles();
    ASSERT_EQ(oldFiles.size(), 5u);
    Files newFiles;
    expectSurvived({"XML sitemap",
                    [&] {
                        clearFolderExcept(dir.path(), {});
                        for (const auto& [name, bytes] : oldFiles)
                            putFile(dir.filePath(name), bytes);
                    },
                    nullptr, [&] { writeXmlSitemaps(root, newPages, main, options); },
                    [&] { newFiles = readFiles(); },
                    [&]() -> std::string {
                        const Files now = readFiles();
                        bool allNew = true;
                        for (const auto& [name, bytes] : now) {
                            const auto was = oldFiles.find(name);
                            const auto will = newFiles.find(name);
                            const bool isOld = was != oldFiles.end() && was->second == bytes;
                            const bool isNew = will != newFiles.end() && will->second == bytes;
                            if (!isOld && !isNew) return name.toStdString() + " is torn";
                            allNew = allNew && isNew;
                        }
                        const auto index = now.find(QStringLiteral("sitemap.xml"));
                        if (index == now.end()) return "the index is gone";
                        if (index->second == newFiles[QStringLiteral("sitemap.xml")] &&
                            (!allNew || now.size() != newFiles.size()))
                            return "the new index names files that are not yet in place";
                        return {};
                    }});
}

}  // namespace
