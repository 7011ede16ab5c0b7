// farrowdale-cli run as a separate process on real program folders: bad
// usage, the program folder, the database shared and locked, and each
// command's output read back (JSON parsed, files compared with what the
// window's own code writes).
#include <gtest/gtest.h>
#include <listcaster/clsLVExcelExport.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "CliRun.h"
#include "audit/AuditStore.h"
#include "core/ProgramFolder.h"
#include "reports/ReportFiles.h"
#include "reports/ReportPreviews.h"
#include "sites/PageList.h"
#include "sites/SiteRecords.h"
#include "support/FakeDialogs.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"

using namespace fd;
using test::Cli;
using test::CliResult;
using test::writeFile;

namespace {

QJsonArray jsonArray(const CliResult& r) {
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &e);
    EXPECT_EQ(e.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.array();
}

// A workbook's cell values, row by row, read back with openpyxl.
QJsonArray workbookCells(const QString& path) {
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral("-c"),
              QStringLiteral("import json, sys\nfrom openpyxl import load_workbook\n"
                             "ws = load_workbook(sys.argv[1]).active\n"
                             "print(json.dumps([[c.value for c in r] for r in ws.iter_rows()]))"),
              path});
    EXPECT_TRUE(py.waitForFinished(60000));
    EXPECT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(py.readAllStandardOutput()).array();
}

// A program folder with three sites, entered in an order their names do not
// sort in: "Zeta" with two root URLs, "alpha" with one, "Beta" with none.
class CliFolder : public ::testing::Test {
protected:
    void SetUp() override {
        addSite("Zeta", {"http://zeta.example/", "http://www.zeta.example/"});
        addSite("alpha", {"http://alpha.example/"});
        addSite("Beta", {});
    }
    void addSite(const char* name, const QStringList& roots) {
        folder.exec(QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES ('%1')")
                        .arg(QString::fromUtf8(name)));
        const QString id = folder.scalar("SELECT max(WebSiteID) FROM WebSites");
        for (const QString& r : roots)
            folder.exec(QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL, "
                                       "WebSiteEmailAddress, WebSiteSubmitterName, CountryCode, "
                                       "Industry) VALUES (%1, '%2', 'me@example.org', 'Me', "
                                       "'GB', 'Software')")
                            .arg(id, r));
    }
    test::TestFolder folder;
    Cli cli{folder.path()};
};

}  // namespace

TEST(CliUsage, BadUsageExitsTwoAndSaysWhyOnStderr) {
    test::TestFolder folder;
    const Cli cli(folder.path());
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{}, "no command given"},
        {{"sitez"}, "unknown command 'sitez'"},
        {{"--frobnicate", "sites"}, "unknown option '--frobnicate'"},
        {{"sites", "--frobnicate"}, "Unknown option 'frobnicate'"},
        {{"sites", "extra"}, "unexpected argument 'extra'"},
        {{"pages"}, "expected one of: import list"},
        {{"pages", "list"}, "--site is required"},
        {{"pages", "import", "--site", "x"}, "missing FILE"},
        {{"sitemap", "--site", "x"}, "--out is required"},
        {{"sitemap", "--site", "x", "--gzip", "--out", "."}, "give --xml too"},
        {{"report", "weekly", "--from", "2026-01-01", "--to", "2026-01-02", "--out", "r.txt"},
         "unknown report 'weekly'"},
        {{"report", "changes", "--from", "yesterday", "--to", "2026-01-02", "--out", "r.txt"},
         "--from: 'yesterday' is not a date"},
        {{"report", "changes", "--from", "2026-02-01", "--to", "2026-01-02", "--out", "r.txt"},
         "--to lies before --from"},
        {{"report", "changes", "--from", "2026-01-01", "--to", "2026-01-02", "--out", "r.pdf"},
         "--out"},
        {{"audit", "--site", "x", "--out", "f.csv"}, "--out"},
        {{"audit", "--site", "x", "--per-host", "many"}, "--per-host: 'many' is not a number"},
        {{"audit", "--site", "x", "--keep-runs", "-1"}, "--keep-runs: '-1' is not a number"},
    };
    for (const auto& c : cases) {
        const CliResult r = cli(c.args);
        EXPECT_EQ(r.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("--help")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(CliUsage, EveryCommandHasItsOwnHelp) {
    const CliResult all = test::runCli({"--help"}, test::cliEnvironment(QDir::tempPath()));
    ASSERT_EQ(all.code, 0);
    for (const char* name : {"sites", "pages import", "pages list", "sitemap", "submit", "audit",
                             "report", "update-catalogue"}) {
        const QString command = QString::fromUtf8(name);
        EXPECT_TRUE(all.out.contains("  " + command + " ")) << name;
        const CliResult r = test::runCli(command.split(' ') + QStringList{"--help"},
                                         test::cliEnvironment(QDir::tempPath()));
        EXPECT_EQ(r.code, 0) << name;
        EXPECT_TRUE(r.out.startsWith("Usage: farrowdale-cli [--program-folder DIR] " + command))
            << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("--program-folder DIR")) << name;
        // Help needs no program folder: none of these has one.
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
}

TEST(CliProgramFolder, MissingFolderOrDatabaseFailsAndNothingIsCreated) {
    QTemporaryDir tmp;
    const QString missing = tmp.filePath("gone");
    CliResult r =
        test::runCli({"--program-folder", missing, "sites"}, test::cliEnvironment(tmp.path()));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("does not exist")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));

    // A folder without the database is not seeded either.
    r = test::runCli({"sites", "--program-folder", tmp.path()}, test::cliEnvironment(tmp.path()));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("no database (QELS.db)")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("QELS.db")));
}

TEST(CliProgramFolder, ChosenLikeTheWindowsOptionThenEnvironmentThenDataFolder) {
    // Three folders, each with a site named after it.
    QTemporaryDir home;
    const QString perUser = home.filePath("Farrowdale");
    test::TestFolder optionFolder, envFolder;
    ASSERT_TRUE(prepareProgramFolder(perUser, test::deliveredData()).ok);
    auto name = [](const QString& folder, const char* site) {
        CADODBAccess(connectionStringFor(folder))
            .execute(QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES ('%1')")
                         .arg(QString::fromUtf8(site)));
    };
    name(optionFolder.path(), "from-option");
    name(envFolder.path(), "from-environment");
    name(perUser, "from-data-folder");

    QProcessEnvironment env = test::cliEnvironment(home.path());
    EXPECT_EQ(test::runCli({"sites"}, env).out, "from-data-folder\n");
    env.insert("FARROWDALE_HOME", envFolder.path());
    EXPECT_EQ(test::runCli({"sites"}, env).out, "from-environment\n");
    EXPECT_EQ(test::runCli({"--program-folder", optionFolder.path(), "sites"}, env).out,
              "from-option\n");
}

TEST_F(CliFolder, SitesListInTheConfigurationTabsOrderAsTextAndJson) {
    // The site box lists the sites in the order its query answers.
    QStringList order;
    for (RecordsetPtr rs = folder.globals().gDB->query(sites::selectWebSitesSql()); !rs->eof();
         rs->moveNext())
        order << rs->field(QStringLiteral("WebSiteGenericName"));

    const CliResult json = cli({"sites", "--json"});
    ASSERT_EQ(json.code, 0) << json.err.toStdString();
    const QJsonArray sites = jsonArray(json);
    ASSERT_EQ(sites.size(), 3);
    QStringList names;
    for (const auto& s : sites) names << s.toObject().value("name").toString();
    EXPECT_EQ(names, order);
    for (const auto& s : sites) {
        const QJsonObject o = s.toObject();
        const QJsonArray roots = o.value("roots").toArray();
        if (o.value("name") == "Zeta") {
            EXPECT_EQ(roots, QJsonArray({"http://zeta.example/", "http://www.zeta.example/"}));
        }
        if (o.value("name") == "Beta") {
            EXPECT_TRUE(roots.isEmpty());
        }
        EXPECT_GT(o.value("id").toInteger(), 0);
    }

    const CliResult text = cli({"sites"});
    EXPECT_EQ(text.code, 0);
    EXPECT_TRUE(text.out.contains("Zeta\thttp://zeta.example/\nZeta\thttp://www.zeta.example/\n"));
    EXPECT_TRUE(text.out.contains("alpha\thttp://alpha.example/\n"));
    EXPECT_TRUE(text.out.contains("Beta\n"));
}

TEST_F(CliFolder, PagesImportSavesTheListWhereTheWindowKeepsItAndListsItBack) {
    QTemporaryDir tmp;
    const QString file = tmp.filePath("pages.txt");
    writeFile(file, "/index.html\r\n\r\n/a b.html\n/index.html\r\n/docs/x.pdf\r\n");

    CliResult r = cli({"pages", "import", file, "--site", "Zeta"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const auto all = sites::readSites(*folder.globals().gDB);
    const auto zeta = *sites::findSite(all, "Zeta");
    const QString saved =
        QDir(folder.path()).filePath(sites::listFileName(zeta.id, QStringLiteral("Zeta")));
    EXPECT_EQ(folder.scalar(QStringLiteral("SELECT LastListFile FROM WebSites WHERE "
                                           "WebSiteID = %1")
                                .arg(zeta.id)),
              saved);
    const QStringList pages = {"/index.html", "/a b.html", "/index.html", "/docs/x.pdf"};
    EXPECT_EQ(test::readFile(saved), sites::formatPageList(pages));

    r = cli({"pages", "list", "--site", "Zeta", "--json"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonArray listed = jsonArray(r);
    ASSERT_EQ(listed.size(), 4);
    EXPECT_EQ(listed[1].toObject().value("page"), "/a b.html");
    EXPECT_EQ(listed[1].toObject().value("url"), "http://zeta.example//a b.html");
    r = cli({"pages", "list", "--site", "Zeta", "--root", "http://www.zeta.example/"});
    EXPECT_EQ(r.out.split('\n').first(), "http://www.zeta.example//index.html");

    // What cannot be imported leaves the list as it was.
    const struct {
        QStringList args;
        const char* says;
    } refused[] = {
        {{"pages", "import", tmp.filePath("none.txt"), "--site", "Zeta"}, "File not found"},
        {{"pages", "import", file, "--site", "Nowhere"}, "there is no site named 'Nowhere'"},
        {{"pages", "import", file, "--site", "Beta"}, "has no root URL"},
        {{"pages", "list", "--site", "Zeta", "--root", "http://other/"}, "is not a root URL"},
    };
    for (const auto& c : refused) {
        r = cli(c.args);
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    }
    EXPECT_EQ(test::readFile(saved), sites::formatPageList(pages));
}

// What xmllint says of a file checked against a sitemaps.org schema ("" when
// it is valid).
QString schemaErrors(const QString& file, const char* schema) {
    QProcess lint;
    lint.start(QStringLiteral("xmllint"),
               {QStringLiteral("--noout"), QStringLiteral("--schema"),
                QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/sitemap/schemas/") +
                    QString::fromLatin1(schema),
                file});
    lint.waitForFinished(60000);
    return lint.exitCode() == 0 ? QString() : QString::fromUtf8(lint.readAllStandardError());
}

TEST_F(CliFolder, SitemapWritesTheHtmlAndXmlSiteMapsOfTheList) {
    QTemporaryDir tmp;
    writeFile(tmp.filePath("p.txt"), "/a.html\r\n/robots.txt\r\n/b&c.html\r\nx y.html\r\n");
    ASSERT_EQ(cli({"pages", "import", tmp.filePath("p.txt"), "--site", "alpha"}).code, 0);
    folder.exec(
        "INSERT INTO WebSitePages (WebSiteID, PageURL, UpdatedDate) SELECT WebSiteID, "
        "'/a.html', '2026-03-04 10:00:00' FROM WebSites WHERE WebSiteGenericName = "
        "'alpha'");
    const QString out = tmp.filePath("out");
    QDir().mkpath(out);

    CliResult r = cli({"sitemap", "--site", "alpha", "--out", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QDir(out).filePath("sitemap.htm") + "\n");
    const QString page = QString::fromUtf8(test::readFile(QDir(out).filePath("sitemap.htm")));
    EXPECT_TRUE(page.contains("<a href=\"http://alpha.example/\">alpha</a>"));
    EXPECT_TRUE(page.contains("<a href=\"http://alpha.example//a.html\">a.html</a>"));
    EXPECT_TRUE(page.contains("<a href=\"http://alpha.example//b&amp;c.html\">b&amp;c.html</a>"));
    EXPECT_FALSE(page.contains("robots.txt"));

    r = cli({"sitemap", "--site", "alpha", "--xml", "--out", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString xml = QDir(out).filePath("sitemap.xml");
    EXPECT_EQ(r.out, xml + "\n");
    EXPECT_EQ(schemaErrors(xml, "sitemap.xsd"), QString());
    const QString sitemap = QString::fromUtf8(test::readFile(xml));
    EXPECT_TRUE(sitemap.contains(
        "<url><loc>http://alpha.example/a.html</loc><lastmod>2026-03-04</lastmod></url>"))
        << sitemap.toStdString();
    EXPECT_TRUE(sitemap.contains("http://alpha.example/b&amp;c.html"));
    EXPECT_TRUE(sitemap.contains("http://alpha.example/x%20y.html"));
    EXPECT_TRUE(r.err.contains("Sitemap: http://alpha.example/sitemap.xml")) << r.err.toStdString();

    r = cli({"sitemap", "--site", "alpha", "--xml", "--gzip", "--html", "--out", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split('\n', Qt::SkipEmptyParts),
              QStringList({QDir(out).filePath("sitemap.htm"), xml + ".gz"}));
    QProcess zcat;
    zcat.start("zcat", {xml + ".gz"});
    ASSERT_TRUE(zcat.waitForFinished(30000));
    EXPECT_EQ(zcat.readAllStandardOutput(), test::readFile(xml));

    EXPECT_EQ(cli({"sitemap", "--site", "alpha", "--out", tmp.filePath("missing")}).code, 1);
    const CliResult empty = cli({"sitemap", "--site", "Zeta", "--xml", "--out", out});
    EXPECT_EQ(empty.code, 1);
    EXPECT_TRUE(empty.err.contains("no pages")) << empty.err.toStdString();
}

TEST_F(CliFolder, ReportsAreTheFilesTheReportWindowsWrite) {
    auto change = [this](const char* date, const QString& root, const char* page) {
        folder.exec(QStringLiteral("INSERT INTO WebPageUpdateRequests (SubmissionDate, WebSiteID, "
                                   "RootWebSite, WebPage, PageTitle, Revisit, Author, "
                                   "Description, Keywords) VALUES ('%1', 1, '%2', '%3', "
                                   "'T|1', '7 days', 'Ann', 'D', 'k')")
                        .arg(QString::fromUtf8(date), root, QString::fromUtf8(page)));
    };
    change("2026-03-01 00:00:00", "http://zeta.example/", "http://zeta.example/a.html");
    change("2026-03-31 23:30:00", "http://www.zeta.example/", "http://www.zeta.example/b.html");
    change("2026-03-15 10:00:00", "http://alpha.example/", "http://alpha.example/c.html");
    change("2026-04-01 00:00:00", "http://zeta.example/", "http://zeta.example/late.html");
    folder.exec("INSERT INTO SearchEngines (SearchEngineID, SearchEngineName) VALUES (900, 'Eng')");
    folder.exec("INSERT INTO WebSitePages (WebSiteID, PageURL) VALUES (1, '/a.html')");
    for (const char* date : {"2026-03-02 08:00:00", "2026-02-28 08:00:00"})
        folder.exec(QStringLiteral("INSERT INTO Submissions (SubmitDate, WebSiteID, "
                                   "WebSiteNameID, WebSitePageID, SearchEngineID) VALUES ('%1', "
                                   "1, 1, 1, 900)")
                        .arg(QString::fromUtf8(date)));

    // The report windows over the same range (whole days) and the site's roots.
    ReportFilter filter{QDateTime(QDate(2026, 3, 1), QTime(0, 0)),
                        QDateTime(QDate(2026, 3, 31), QTime(23, 59, 59)),
                        {}};
    test::FakeDialogs dialogs;
    QTemporaryDir tmp;
    // The report file a preview writes, and the workbook its list export
    // control writes of its list.
    auto windowFile = [&](bool changes) {
        std::unique_ptr<ReportPreview> w;
        if (changes) {
            auto* p =
                new frmChangeRequestPreview(folder.globals(), dialogs, [&] { return filter; });
            p->populateChangeRequestPreview();
            w.reset(p);
        } else {
            auto* p = new frmSubmissionReport(
                folder.globals(), [&] { return filter; }, nullptr);
            p->populateSubmissionPreview();
            w.reset(p);
        }
        listcaster::clsLVExcelExport excel;
        excel.setListView(w->list());
        excel.Filename = tmp.filePath("window.xlsx");
        EXPECT_TRUE(excel.ExportListViewToExcel());
        return test::readFile(w->reportFile());
    };
    const QString out = tmp.filePath("r.txt");
    const QStringList range = {"--from", "2026-03-01", "--to", "2026-03-31", "--out", out};
    for (const bool changes : {true, false}) {
        const QString kind = changes ? "changes" : "submissions";
        ASSERT_EQ(cli(QStringList{"report", kind} + range).code, 0);
        const QByteArray all = test::readFile(out);
        EXPECT_EQ(all, windowFile(changes)) << kind.toStdString();

        ASSERT_EQ(cli(QStringList{"report", kind, "--site", "Zeta"} + range).code, 0);
        filter.sites = QStringList{"http://zeta.example/", "http://www.zeta.example/"};
        EXPECT_EQ(test::readFile(out), windowFile(changes)) << kind.toStdString();
        filter.sites.clear();
        EXPECT_EQ(all.count("\r\n"), changes ? 4 : 2);  // the header and the rows in range

        // The workbook: the preview's list, cell for cell.
        const QString book = tmp.filePath("r.xlsx");
        ASSERT_EQ(cli(QStringList{"report", kind, "--out", book} + range.mid(0, 4)).code, 0);
        windowFile(changes);
        const QJsonArray cells = workbookCells(book);
        EXPECT_EQ(cells, workbookCells(tmp.filePath("window.xlsx"))) << kind.toStdString();
        EXPECT_EQ(cells.size(), changes ? 4 : 2);
    }
    // A site without a root URL has nothing to report: the header alone.
    ASSERT_EQ(cli(QStringList{"report", "changes", "--site", "Beta"} + range).code, 0);
    EXPECT_EQ(test::readFile(out), changeLogHeader());
}

TEST_F(CliFolder, AuditListsTheFindingsAndStoresTheRunAsTheWindowDoes) {
    QTemporaryDir tmp;
    test::PeerProcess site(QStringLiteral(FARROWDALE_AUDIT_SITE),
                           {tmp.filePath("requests.log"), tmp.path()});
    ASSERT_TRUE(site.ok());
    const QString root = QStringLiteral("http://127.0.0.1:%1/").arg(site.port());
    addSite("Audited", {root});
    writeFile(tmp.filePath("p.txt"), "good1.html\r\nmissing-title.html\r\nprivate/secret.html\r\n");
    ASSERT_EQ(cli({"pages", "import", tmp.filePath("p.txt"), "--site", "Audited"}).code, 0);

    CliResult r = cli({"audit", "--site", "Audited", "--json"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject run = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(run.value("pages").toArray().size(), 4);  // the root and the three listed
    EXPECT_EQ(run.value("rootUrl").toString(), root);
    EXPECT_EQ(run.value("cancelled"), QJsonValue(false));
    QStringList pageUrls;
    for (const auto& p : run.value("pages").toArray())
        pageUrls << p.toObject().value("url").toString().remove(root);
    pageUrls.sort();
    EXPECT_EQ(pageUrls,
              QStringList({"", "good1.html", "missing-title.html", "private/secret.html"}));
    QStringList findings;
    for (const auto& f : run.value("findings").toArray()) {
        const QJsonObject o = f.toObject();
        findings << QString(o.value("url").toString()).remove(root) + ' ' +
                        o.value("code").toString() + ' ' + o.value("state").toString();
    }
    EXPECT_TRUE(findings.contains("missing-title.html title-missing new"))
        << findings.join(", ").toStdString();
    EXPECT_TRUE(findings.contains("private/secret.html disallowed new"))
        << findings.join(", ").toStdString();
    // The run is stored as the window stores it.
    audit::AuditResult stored;
    QString error;
    ASSERT_TRUE(
        audit::loadAuditRun(folder.file("QELS.db"), run.value("run").toInteger(), &stored, &error))
        << error.toStdString();
    ASSERT_EQ(stored.findings.size(), findings.size());
    for (qsizetype i = 0; i < findings.size(); ++i)
        EXPECT_EQ(QString(stored.findings[i].url).remove(root) + ' ' +
                      audit::findingCode(stored.findings[i].kind) + ' ' +
                      audit::findingStateText(stored.findings[i].state),
                  findings[i]);
    EXPECT_FALSE(test::readFile(tmp.filePath("requests.log")).contains("GET /private/secret.html"));

    // Again, into a text file and a workbook: the same findings, still there.
    r = cli({"audit", "--site", "Audited", "--out", tmp.filePath("findings.txt")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("stored as run")) << r.err.toStdString();
    const QStringList lines =
        QString::fromUtf8(test::readFile(tmp.filePath("findings.txt"))).split("\r\n");
    ASSERT_GT(lines.size(), 5);
    EXPECT_EQ(lines[0], "Findings of " + root);
    EXPECT_EQ(lines[3], "Page\tFinding\tDetail\tState\tSeverity\t");  // each field ends in a tab
    EXPECT_EQ(lines.filter("\tstill there").size(), findings.size());
    ASSERT_EQ(cli({"audit", "--site", "Audited", "--out", tmp.filePath("findings.xlsx")}).code, 0);
    const QJsonArray cells = workbookCells(tmp.filePath("findings.xlsx"));
    EXPECT_EQ(cells.size(), findings.size() + 1);
    EXPECT_EQ(cells[0], QJsonArray({"Page", "Finding", "Detail", "State", "Severity"}));

    // Three complete runs are stored; keeping one removes the others with
    // the fourth run's store.
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM AuditRuns"), "3");
    ASSERT_EQ(cli({"audit", "--site", "Audited", "--keep-runs", "1"}).code, 0);
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM AuditRuns"), "1");
    EXPECT_EQ(folder.scalar("SELECT count(DISTINCT RunID) FROM AuditPages"), "1");
}

TEST_F(CliFolder, ALockedDatabaseFailsWithTheReasonAndChangesNothing) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(folder.file("QELS.db")).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QTemporaryDir tmp;
    writeFile(tmp.filePath("p.txt"), "/x.html\r\n");
    for (const QStringList& args :
         {QStringList{"sites"},
          QStringList{"pages", "import", tmp.filePath("p.txt"), "--site", "alpha"}}) {
        const CliResult r = cli(args);
        EXPECT_EQ(r.code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("locked")) << r.err.toStdString();
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM WebSites WHERE LastListFile IS NOT NULL"), "0");
}

TEST(CliProgram, LinksNeitherWidgetsNorTheBrowserEngine) {
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(FARROWDALE_CLI)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QString libs = QString::fromUtf8(ldd.readAllStandardOutput());
    ASSERT_TRUE(libs.contains("libQt6Core")) << libs.toStdString();
    for (const char* lib : {"libQt6Widgets", "libQt6Gui", "libQt6WebEngine", "libQt6PrintSupport",
                            "libQt6Multimedia", "liblistcaster"})
        EXPECT_FALSE(libs.contains(QString::fromUtf8(lib))) << lib;
}

TEST_F(CliFolder, UpdateCatalogueAppliesTheServersAnswerOrSaysWhyNot) {
    QTemporaryDir served;
    test::PeerProcess http(QStringLiteral(FARROWDALE_HTTP_SERVER), {served.path(), "120"});
    ASSERT_TRUE(http.ok());
    writeFile(served.filePath("good"),
              "<XML program=\"QELS\" version=\"1\">\r\nINSERT INTO SearchEngines (SearchEngineID, "
              "SearchEngineName) VALUES (901, \"Newcomer\")\r\n</XML>\r\n");
    writeFile(served.filePath("refused"), "<html>Not here</html>\r\n");
    auto serve = [&](const QString& url) {
        folder.exec(QStringLiteral("UPDATE WebSiteConfiguration SET UpdateURL = '%1'").arg(url));
    };
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(http.port());

    serve(base + "good");
    CliResult r = cli({"update-catalogue"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "You now have the latest information.\n");
    EXPECT_EQ(
        folder.scalar("SELECT SearchEngineName FROM SearchEngines WHERE SearchEngineID = 901"),
        "Newcomer");
    // The request named the catalogue the way the window's does.
    QString request;
    while (!request.startsWith("GET /good")) request = http.nextLine();
    EXPECT_TRUE(request.contains("SearchEngines=")) << request.toStdString();
    EXPECT_TRUE(request.contains("&ver=1.0.0")) << request.toStdString();

    const QString before = folder.scalar("SELECT count(*) FROM SearchEngines");
    const struct {
        QString url;
        const char* says;
    } failures[] = {
        {base + "refused", "Error getting the update. Please try again later."},
        {QStringLiteral("http://127.0.0.1:9/Update.asp"), "Error connecting."},
        {QString(), "Database Error. Please contact your administrator."},
    };
    for (const auto& f : failures) {
        serve(f.url);
        r = cli({"update-catalogue"});
        EXPECT_EQ(r.code, 1) << f.url.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(f.says))) << r.err.toStdString();
    }
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM SearchEngines"), before);
}

// pages discover against the generated local site: a dry run changes
// nothing and prints the addresses; a run saves the list where the window
// keeps it (pages list reads back the same addresses) and keeps the dates;
// --add with nothing new, a site with nothing and bad usage change nothing.
TEST_F(CliFolder, PagesDiscoverTakesTheSitesOwnListOrChangesNothing) {
    QTemporaryDir logs;
    test::PeerProcess site(QStringLiteral(FARROWDALE_DISCOVER_SITE),
                           {QStringLiteral("main"), logs.filePath(QStringLiteral("main.log"))});
    test::PeerProcess empty(QStringLiteral(FARROWDALE_DISCOVER_SITE),
                            {QStringLiteral("empty"), logs.filePath(QStringLiteral("empty.log"))});
    ASSERT_TRUE(site.ok() && empty.ok());
    const QString root = QStringLiteral("http://127.0.0.1:%1/site/").arg(site.port());
    addSite("Shop", {root});
    addSite("Empty", {QStringLiteral("http://127.0.0.1:%1/").arg(empty.port())});
    const QString shopId =
        folder.scalar("SELECT WebSiteID FROM WebSites WHERE WebSiteGenericName = 'Shop'");
    const auto listFile = [&] {
        return folder.scalar("SELECT LastListFile FROM WebSites WHERE WebSiteID = " + shopId);
    };

    CliResult r = cli({"pages", "discover", "--site", "Shop", "--dry-run"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList addresses = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(addresses.size(), 12) << r.out.toStdString();
    EXPECT_EQ(addresses.first(), root + "a.html");
    EXPECT_TRUE(r.err.contains("12 pages found (12 new, 0 no longer listed)"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("/broken.xml: line 4, column ")) << r.err.toStdString();
    EXPECT_EQ(listFile(), "");

    r = cli({"pages", "discover", "--site", "Shop", "--json"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o["found"].toInt(), 12);
    EXPECT_EQ(o["leftOut"].toObject()["duplicate"].toInt(), 3);
    EXPECT_EQ(o["sources"].toArray().first().toObject()["via"].toString(), "robots");
    EXPECT_EQ(o["pages"].toArray().at(1).toObject()["lastModified"].toString(),
              "2024-03-02T08:30:00Z");
    EXPECT_EQ(o["saved"].toString(), listFile());
    EXPECT_TRUE(listFile().endsWith(shopId + "_Shop.wsr"));
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM PageLastModified"), "5");
    // The list as the window's import reads it gives the same addresses.
    r = cli({"pages", "list", "--site", "Shop"});
    EXPECT_EQ(r.out.split(u'\n', Qt::SkipEmptyParts), addresses);

    // The XML sitemap gives each page the site's own day where none later
    // is recorded.
    QTemporaryDir out;
    r = cli({"sitemap", "--site", "Shop", "--xml", "--out", out.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QByteArray xml = test::readFile(out.filePath("sitemap.xml"));
    EXPECT_TRUE(xml.contains("<loc>" + root.toUtf8() + "b.html</loc><lastmod>2024-03-02</lastmod>"))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains("<loc>" + root.toUtf8() + "t1.html</loc></url>"));

    r = cli({"pages", "discover", "--site", "Shop", "--add"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("nothing new: the list is unchanged")) << r.err.toStdString();

    const QByteArray before = test::readFile(listFile());
    r = cli({"pages", "discover", "--site", "Empty"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("no pages were found; the list is unchanged"))
        << r.err.toStdString();
    EXPECT_EQ(cli({"pages", "discover", "--site", "Shop", "--page-limit", "5"}).code, 2);
    EXPECT_EQ(cli({"pages", "discover", "--site", "Shop", "--crawl", "--page-limit", "x"}).code, 2);
    EXPECT_EQ(test::readFile(listFile()), before);

    r = cli({"pages", "discover", "--site", "Shop", "--crawl", "--dry-run"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split(u'\n', Qt::SkipEmptyParts).size(), 14);
    EXPECT_TRUE(r.err.contains("The crawl fetched")) << r.err.toStdString();
}
