// Submissions and checks through the real browser to a local HTTP server that
// stands in for an engine: what arrives (method, path, query or body,
// headers) and what is recorded.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <functional>

#include "FakeHub.h"
#include "browser/WebEngineBrowser.h"
#include "submit/EngineTabs.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "support/Wait.h"

using namespace fd;
using fd::test::waitFor;

namespace {

// The engine stand-in: tests/fixtures/engine_server.py, one JSON line per request.
class EngineServer {
public:
    EngineServer() {
        proc_.setProgram(QStringLiteral("/usr/bin/python3"));
        proc_.setArguments(
            {QStringLiteral(FARROWDALE_SOURCE_DIR) + "/tests/fixtures/engine_server.py",
             QStringLiteral("120")});
        proc_.start();
        if (!proc_.waitForStarted(10000)) return;
        waitFor([this] { return proc_.canReadLine(); }, 10000);
        const QByteArray first = proc_.readLine().trimmed();
        if (first.startsWith("PORT ")) port_ = first.mid(5).toInt();
    }
    ~EngineServer() {
        proc_.closeWriteChannel();
        if (!proc_.waitForFinished(5000)) {
            proc_.kill();
            proc_.waitForFinished(2000);
        }
    }
    int port() const { return port_; }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    // Waits for the next request to arrive.
    QJsonObject next() {
        if (!waitFor([this] { return proc_.canReadLine(); })) return {};
        return QJsonDocument::fromJson(proc_.readLine()).object();
    }

private:
    QProcess proc_;
    int port_ = 0;
};

class EngineHttp : public ::testing::Test {
protected:
    test::TestFolder folder;
    test::FakeDialogs dialogs;
    test::FakeHub hub;
    WebEngineBrowser browser;
    EngineServer server;

    void SetUp() override {
        ASSERT_GT(server.port(), 0);
        hub.fillConfiguration();
        hub.name = "Zo\u00eb Example";
        browser.widget()->resize(800, 600);
        browser.widget()->show();
    }
    void addEngine(int id, const QString& name, const QString& review, const QString& submit,
                   const QString& method) {
        folder.exec(QStringLiteral("INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, "
                                   "ReviewQueryString, SubmitQueryString, HTTPSubmitMethod, "
                                   "Popularity) VALUES (%1, '%2', '%3', '%4', '%5', 0)")
                        .arg(id)
                        .arg(name, review, submit, method));
    }
    static QString header(const QJsonObject& request, const char* name) {
        return request.value("headers").toObject().value(QLatin1String(name)).toString();
    }
    static QByteArray body(const QJsonObject& request) {
        return QByteArray::fromBase64(request.value("body").toString().toLatin1());
    }
};

}  // namespace

TEST_F(EngineHttp, GetAndPostSubmissionsArriveAndAreRecorded) {
    const QString fields = "?url=<%URL%>&email=<%EMAIL%>&c=<%COUNTRY%>&n=<%NAME%>";
    addEngine(901, "LocalGet", "", server.base() + "/add" + fields, "get");
    addEngine(902, "LocalPost", "", server.base() + "/post" + fields, "post");
    EngineTabServices services{folder.globals(), dialogs, hub, &browser};
    PageCheckTab check(services);
    PageSubmissionTab submit(services);
    UpdateSearchEngineLists(*folder.globals().gDB, *folder.globals().errorLog, *check.list(),
                            *submit.list());
    submit.show();
    hub.description = "A page's \"best\" description";
    hub.keywords = "tools";
    submit.urlBox()->setText("http://acme.example/dir/page.htm");

    submit.list()->setCurrentItem(submit.list()->findEntry("LocalGet"));
    submit.button()->click();
    QJsonObject got = server.next();
    EXPECT_EQ(got.value("method").toString(), "GET");
    EXPECT_EQ(got.value("path").toString(), "/add");
    // The browser percent-encodes what a URL may not hold as it stands.
    EXPECT_EQ(got.value("query").toString(),
              "url=http://acme.example/dir/page.htm&email=ann@acme.example&c=GB"
              "&n=Zo%C3%AB%20Example");
    EXPECT_TRUE(body(got).isEmpty());

    submit.list()->setCurrentItem(submit.list()->findEntry("LocalPost"));
    submit.button()->click();
    got = server.next();
    EXPECT_EQ(got.value("method").toString(), "POST");
    EXPECT_EQ(got.value("path").toString(), "/post");
    EXPECT_EQ(got.value("query").toString(), "");
    EXPECT_EQ(header(got, "content-type"), "application/x-www-form-urlencoded");
    // The body goes out byte for byte as filled, in UTF-8.
    EXPECT_EQ(body(got),
              QByteArray("url=http://acme.example/dir/page.htm&email=ann@acme.example&c=GB"
                         "&n=Zo\xc3\xab Example"));

    // Both submissions recorded against one site, root URL and page.
    EXPECT_EQ(folder.scalar("SELECT group_concat(WebSiteGenericName) FROM WebSites"), "Acme");
    EXPECT_EQ(folder.scalar("SELECT group_concat(WebSiteBaseURL || '|' || WebSiteEmailAddress) "
                            "FROM WebSiteNames"),
              "http://acme.example/|ann@acme.example");
    EXPECT_EQ(folder.scalar("SELECT group_concat(PageURL || '|' || PageDescription || '|' || "
                            "PageKeywords) FROM WebSitePages"),
              "dir/page.htm|A page's \"best\" description|tools");
    EXPECT_EQ(folder.scalar("SELECT group_concat(SearchEngineID) FROM Submissions"), "901,902");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EngineHttp, CheckSendsAGetWithTheLowerCasedPage) {
    addEngine(903, "LocalCheck", server.base() + "/check?q=site:<%URL%>&e=<%EMAIL%>", "", "post");
    EngineTabServices services{folder.globals(), dialogs, hub, &browser};
    PageCheckTab check(services);
    PageSubmissionTab submit(services);
    UpdateSearchEngineLists(*folder.globals().gDB, *folder.globals().errorLog, *check.list(),
                            *submit.list());
    check.show();
    check.urlBox()->setText("http://Acme.Example/Page.HTM");
    check.list()->setCurrentItem(check.list()->findEntry("LocalCheck"));
    check.button()->click();
    const QJsonObject got = server.next();
    EXPECT_EQ(got.value("method").toString(), "GET");
    EXPECT_EQ(got.value("path").toString(), "/check");
    // The placeholder left in a review template arrives as its own text.
    EXPECT_EQ(QUrl::fromPercentEncoding(got.value("query").toString().toLatin1()),
              "q=site:http://acme.example/page.htm&e=<%EMAIL%>");
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM WebSitePages"), "0");
}

TEST_F(EngineHttp, BrowserSubmissionKeepsWhatTheEnginesPageAnswered) {
    addEngine(904, "Missing", "", server.base() + "/status/404?url=<%URL%>", "get");
    addEngine(905, "Found", "", server.base() + "/add?url=<%URL%>", "get");
    EngineTabServices services{folder.globals(), dialogs, hub, &browser};
    PageCheckTab check(services);
    PageSubmissionTab submit(services);
    UpdateSearchEngineLists(*folder.globals().gDB, *folder.globals().errorLog, *check.list(),
                            *submit.list());
    submit.show();
    QStringList told;
    QObject::connect(&submit, &PageSubmissionTab::answered,
                     [&](const QString& text) { told << text; });
    submit.urlBox()->setText("http://acme.example/a.htm");
    for (const char* engine : {"Missing", "Found"}) {
        submit.list()->setCurrentItem(submit.list()->findEntry(QString::fromLatin1(engine)));
        const qsizetype before = told.size();
        submit.button()->click();
        server.next();
        ASSERT_TRUE(waitFor([&] { return told.size() > before; })) << engine;
    }
    EXPECT_EQ(folder.scalar("SELECT group_concat(ifnull(HTTPStatus, '-') || ' ' || Accepted || ' ' "
                            "|| Channel, '|') FROM (SELECT * FROM SubmissionAnswers ORDER BY "
                            "SubmissionID)"),
              "404 0 Browser|- 1 Browser");
    EXPECT_TRUE(told[0].contains("404")) << told[0].toStdString();
    EXPECT_EQ(hub.statuses.last(), told[1]);
}
