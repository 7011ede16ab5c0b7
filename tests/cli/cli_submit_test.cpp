// farrowdale-cli submit against local stand-ins: the page submitted by the
// window (offscreen, Qt WebEngine reading the page) and by the command line
// on twin program folders gives the same rows and the same requests at the
// engine; IndexNow engines through the IndexNow stand-in; refusals and
// missing details.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "CliRun.h"
#include "browser/WebEngineBrowser.h"
#include "core/ExtraTables.h"
#include "sites/PageList.h"
#include "submit/EngineListView.h"
#include "submit/indexnow/IndexNowKey.h"
#include "support/FakeDialogs.h"
#include "support/HostileServer.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"
#include "support/Wait.h"
#include "window/frmMain.h"

using namespace fd;
using namespace fd::test;

namespace {

const QString kFixtures = QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/");
const QString kKey = QStringLiteral("a1b2c3d4e5f6a7b8");

class CliSubmit : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(
            pages.filePath("index.html"),
            "<!DOCTYPE html><html><head><title>Acme</title>"
            "<meta name=\"Description\" content=\"Widgets &amp; more\">"
            "<meta name=\"keywords\" content=\"widgets, tools\"></head><body>x</body></html>");
        writeFile(pages.filePath("about.html"), "<html><head><title>About</title></head></html>");
        writeFile(pages.filePath(kKey + ".txt"), kKey.toUtf8());
        ASSERT_TRUE(site.ok() && engine.ok());
        root = QStringLiteral("http://127.0.0.1:%1/").arg(site.port());
        for (TestFolder* f : {&windowFolder, &cliFolder}) arrange(*f);
    }

    // The site Acme with its submitter, its list, the window's settings row,
    // and engines that answer on the loopback address only.
    void arrange(TestFolder& f) {
        ASSERT_TRUE(ensureExtraTables(f.file("QELS.db")).isEmpty());
        f.exec("INSERT INTO WebSites (WebSiteGenericName) VALUES ('Acme')");
        f.exec(QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL, "
                              "WebSiteEmailAddress, WebSiteSubmitterName, CountryCode, Industry) "
                              "VALUES (1, '%1', 'web@acme.example', 'M\u00e1ire O''Hara', 'IE', "
                              "'Retail')")
                   .arg(root));
        sites::writePageListFile(f.file("acme.wsr"), {"index.html", "about.html"});
        f.exec(QStringLiteral("UPDATE WebSites SET LastListFile = '%1'").arg(f.file("acme.wsr")));
        f.exec(QStringLiteral("UPDATE WebSiteConfiguration SET WebSiteGenericName = 'Acme', "
                              "RootWebSiteAddress = '%1', Industry = 'Retail'")
                   .arg(root));
        const QString e = QStringLiteral("http://127.0.0.1:%1/").arg(engine.port());
        f.exec(QStringLiteral(
                   "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, "
                   "SubmitQueryString, HTTPSubmitMethod, Popularity) VALUES "
                   "(900, 'Local GET', "
                   "'%1submit?url=<%URL%>&mail=<%EMAIL%>&c=<%COUNTRY%>&n=<%NAME%>', "
                   "'get', 1), (901, 'Local POST', '%1form?url=<%URL%>&n=<%NAME%>', 'post', 1), "
                   "(902, 'Gone', '%2nothing-here?u=<%URL%>', 'get', 1)")
                   .arg(e, root));
    }

    // The engine stand-in's next request: method, path, query and body.
    QString engineRequest() {
        const QJsonObject o = QJsonDocument::fromJson(engine.nextLine().toUtf8()).object();
        return o.value("method").toString() + ' ' + o.value("path").toString() + '?' +
               o.value("query").toString() + " body=" +
               QString::fromUtf8(QByteArray::fromBase64(o.value("body").toString().toLatin1()));
    }

    static QString rows(TestFolder& f) {
        return f.scalar(
            "SELECT (SELECT group_concat(r, ' | ') FROM (SELECT s.WebSiteGenericName || ';' || "
            "n.WebSiteBaseURL || ';' || n.WebSiteEmailAddress || ';' || p.PageURL || ';' || "
            "ifnull(p.PageDescription, '-') || ';' || ifnull(p.PageKeywords, '-') || ';' || "
            "e.SearchEngineName || ';' || u.WebSiteID || '/' || u.WebSiteNameID || '/' || "
            "u.WebSitePageID AS r FROM Submissions u JOIN WebSites s ON s.WebSiteID = u.WebSiteID "
            "JOIN WebSiteNames n ON n.WebSiteNameID = u.WebSiteNameID JOIN WebSitePages p ON "
            "p.WebSitePageID = u.WebSitePageID JOIN SearchEngines e ON e.SearchEngineID = "
            "u.SearchEngineID ORDER BY u.SubmissionID)) || ' #' || (SELECT count(*) FROM "
            "WebSites) || (SELECT count(*) FROM WebSiteNames) || (SELECT count(*) FROM "
            "WebSitePages)");
    }

    QTemporaryDir pages;
    PeerProcess site{kFixtures + "http_test_server.py", {pages.path(), "240"}};
    PeerProcess engine{kFixtures + "engine_server.py", {"240"}};
    QString root;
    QStringList windowSent;
    TestFolder windowFolder, cliFolder;
};

}  // namespace

TEST_F(CliSubmit, TheWindowAndTheCommandLineRecordTheSameRowsAndSendTheSameRequests) {
    // The window: a click on the page's node opens it in the browser, whose
    // page details are recorded; then Submit to each engine.
    FakeDialogs dialogs;
    auto* browser = new WebEngineBrowser;
    {
        frmMain window(windowFolder.globals(), dialogs, browser);
        window.load();
        window.show();
        auto* tree = window.findChild<QTreeWidget*>("tvwWebSiteDirectory");
        const auto nodes = tree->findItems("index.html", Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(nodes.size(), 1);
        tree->scrollToItem(nodes[0]);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(nodes[0]).center());
        ASSERT_TRUE(waitFor([&] { return window.pageDescription() == "Widgets & more"; }));
        window.findChild<QTabWidget*>("tabTasks")->setCurrentIndex(3);
        auto* engines = window.findChild<EngineListView*>("lvwSubmissionList");
        for (const char* name : {"Local GET", "Local POST"}) {
            engines->setCurrentItem(engines->findEntry(QString::fromLatin1(name)));
            window.findChild<QPushButton*>("cmdSubmitPage")->click();
            QTest::qWait(200);
        }
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.lastText().toStdString();
        QStringList sent = {engineRequest(), engineRequest()};
        sent.sort();
        windowSent = sent;
    }
    delete browser;

    // The command line on its twin folder.
    const Cli cli(cliFolder.path());
    for (const char* name : {"Local GET", "Local POST"}) {
        const CliResult r = cli({"submit", "--site", "Acme", "--engine", QString::fromLatin1(name),
                                 "--page", root + "index.html"});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, root + "index.html\tAnswered 200\n");
    }
    QStringList sent = {engineRequest(), engineRequest()};
    sent.sort();
    EXPECT_EQ(sent.join('\n').toStdString(), windowSent.join('\n').toStdString());
    EXPECT_TRUE(sent[0].startsWith("GET /submit?url=" + root + "index.html&mail=web@acme.example"))
        << sent[0].toStdString();
    EXPECT_EQ(rows(cliFolder), rows(windowFolder));
    EXPECT_TRUE(rows(cliFolder).contains(";index.html;Widgets & more;widgets, tools;Local GET;"))
        << rows(cliFolder).toStdString();
    // Each command-line submission has the engine's answer beside it.
    EXPECT_EQ(cliFolder.scalar("SELECT group_concat(Channel || ' ' || HTTPStatus || ' ' || "
                               "Accepted, ', ') FROM SubmissionAnswers"),
              "HTTP 200 1, HTTP 200 1");
}

TEST_F(CliSubmit, RefusalsAndMissingDetailsFailButWhatWasSentIsRecorded) {
    const Cli cli(cliFolder.path());
    CliResult r = cli({"submit", "--site", "Acme", "--engine", "Gone", "--all"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("2 of 2 submissions were not accepted")) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(root + "about.html\tRefused: the engine's page answered 404"))
        << r.out.toStdString();
    EXPECT_EQ(cliFolder.scalar("SELECT count(*) || '/' || sum(Accepted) FROM SubmissionAnswers"),
              "2/0");
    EXPECT_EQ(cliFolder.scalar("SELECT count(*) FROM Submissions"), "2");

    const struct {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {{"--engine", "Nobody", "--all"}, 1, "no engine named 'Nobody'"},
        {{"--engine", "Local GET", "--all", "--page", root}, 2, "either --page URL or --all"},
        {{"--engine", "Local GET"}, 2, "either --page URL or --all"},
    };
    for (const auto& c : cases) {
        r = cli(QStringList{"submit", "--site", "Acme"} + c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    }
    cliFolder.exec("UPDATE WebSiteNames SET WebSiteEmailAddress = ''");
    r = cli({"submit", "--site", "Acme", "--engine", "Local GET", "--all"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("before submitting: \nSubmitter's Email address"))
        << r.err.toStdString();
    EXPECT_EQ(cliFolder.scalar("SELECT count(*) FROM Submissions"), "2");
}

// Engines behind a server that resets, lies about its length or redirects
// for ever, by GET and by form POST: every page fails, is recorded with its
// failure and never as accepted, and the run says so in its exit code.
TEST_F(CliSubmit, HostileEngineFailsEveryPageAndNothingIsAccepted) {
    HostileServer peer;
    ASSERT_TRUE(peer.ok());
    const Cli cli(cliFolder.path());
    int id = 950, answers = 0;
    for (const char* path : {"/reset", "/short", "/loop"}) {
        for (const char* method : {"get", "post"}) {
            SCOPED_TRACE(std::string(path) + ' ' + method);
            const QString name = QStringLiteral("Hostile %1").arg(id);
            cliFolder.exec(
                QStringLiteral("INSERT INTO SearchEngines (SearchEngineID, "
                               "SearchEngineName, SubmitQueryString, "
                               "HTTPSubmitMethod, Popularity) VALUES "
                               "(%1, '%2', '%3?url=<%URL%>', '%4', 1)")
                    .arg(id++)
                    .arg(name, peer.url(QString::fromLatin1(path)), QString::fromLatin1(method)));
            const CliResult r = cli({"submit", "--site", "Acme", "--engine", name, "--all"});
            EXPECT_EQ(r.code, 1);
            EXPECT_TRUE(r.err.contains("2 of 2 submissions were not accepted"))
                << r.err.toStdString();
            EXPECT_EQ(r.out.count("\tFailed: "), 2) << r.out.toStdString();
            answers += 2;
            EXPECT_EQ(cliFolder.scalar("SELECT count(*) || '/' || sum(Accepted) || '/' || "
                                       "count(HTTPStatus) FROM SubmissionAnswers"),
                      QStringLiteral("%1/0/0").arg(answers));
        }
    }
}

TEST_F(CliSubmit, IndexNowEnginesGoThroughIndexNowWithTheRootsKey) {
    QTemporaryDir logDir;
    const QString log = logDir.filePath("indexnow.log");
    PeerProcess indexNow(kFixtures + "indexnow_server.py",
                         {"--site-port", QString::number(site.port()), "--log", log});
    ASSERT_TRUE(indexNow.ok());
    cliFolder.exec(QStringLiteral("INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, "
                                  "SubmitQueryString, HTTPSubmitMethod, Popularity) VALUES (903, "
                                  "'Local IndexNow', 'http://127.0.0.1:%1/indexnow', 'indexnow', "
                                  "1)")
                       .arg(indexNow.port()));
    const Cli cli(cliFolder.path());
    CliResult r = cli({"submit", "--site", "Acme", "--engine", "Local IndexNow", "--all"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("has no IndexNow key")) << r.err.toStdString();

    saveIndexNowKey(*cliFolder.globals().gDB, root, {kKey, QString()});
    r = cli(
        {"submit", "--site", "Acme", "--engine", "Local IndexNow", "--page", root + "index.html"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = cli({"submit", "--site", "Acme", "--engine", "Local IndexNow", "--all"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();

    // What the stand-in read: one GET, then one POST of both pages.
    QList<QJsonObject> requests;
    for (const QByteArray& line : readFile(log).split('\n'))
        if (!line.isEmpty()) requests << QJsonDocument::fromJson(line).object();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].value("method"), "GET");
    EXPECT_EQ(requests[1].value("method"), "POST");
    EXPECT_EQ(requests[1].value("urls").toArray().size(), 2);
    EXPECT_EQ(cliFolder.scalar("SELECT group_concat(Channel || ' ' || HTTPStatus || ' ' || "
                               "Accepted, ', ') FROM (SELECT * FROM SubmissionAnswers ORDER BY "
                               "SubmissionID)"),
              "IndexNow GET 200 1, IndexNow POST 200 1, IndexNow POST 200 1");
    EXPECT_EQ(cliFolder.scalar("SELECT count(*) FROM Submissions"), "3");
}
