// The submission service on its own: in the window a browser submission
// waits for its page, and the next request sent through the browser ends
// that wait whether or not it is recorded; on the command line a run over
// the site's pages reads each page before sending it and stops at Ctrl+C
// after the page under way, against the local engine stand-in.
#include <gtest/gtest.h>

#include <QStringList>
#include <atomic>

#include "platform/CurlHttpClient.h"
#include "submit/SubmissionService.h"
#include "support/FakeBrowser.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {

class Service : public ::testing::Test {
protected:
    test::TestFolder folder;
    QStringList messages, told;

    void SetUp() override {
        folder.exec(
            "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, SubmitQueryString, "
            "HTTPSubmitMethod, Popularity) VALUES (900, 'Local', "
            "'http://engine.example/s?u=<%URL%>', 'get', 1)");
    }
    void listen(SubmissionService& s) {
        QObject::connect(&s, &SubmissionService::message, [&](const QString& t) { messages << t; });
        QObject::connect(&s, &SubmissionService::answered, [&](const QString& t) { told << t; });
    }
    static SubmitterFields submitter(const QString& root) {
        return {"Acme", root, "Manufacturing", "Ann", "ann@acme.example", "GB"};
    }
    static EngineEntry engine(const QString& tmpl) { return {"Local", "1", {}, tmpl, "get"}; }
    QString answers() {
        return folder.scalar(
            "SELECT group_concat(Accepted || ' ' || AnswerText, ' | ') FROM (SELECT * FROM "
            "SubmissionAnswers ORDER BY SubmissionID)");
    }
};

}  // namespace

TEST_F(Service, ABrowserRequestEndsTheWaitOfTheOneBeforeRecordedOrNot) {
    test::FakeBrowser browser;
    SubmissionService service(*folder.globals().gDB, *folder.globals().errorLog,
                              SubmissionService::Surface::Window, &browser,
                              std::make_shared<CurlHttpClient>());
    listen(service);
    PageSubmission s;
    s.routine = "cmdSubmitpage_Click";
    s.engine = engine("http://engine.example/s?u=<%URL%>");
    s.submitter = submitter("http://acme.example/");
    s.pageUrl = "http://acme.example/a.htm";
    service.submitPage(s);
    // A page outside the root URL is sent but not recorded; its request
    // replaced the first one's page all the same.
    s.pageUrl = "http://other.example/b.htm";
    service.submitPage(s);
    ASSERT_EQ(browser.navigations.size(), 2);
    emit browser.mainFrameLoaded(browser.navigations.last(), LoadOutcome::Loaded, 200, {});

    EXPECT_EQ(folder.scalar("SELECT count(*) FROM Submissions"), "1");
    EXPECT_EQ(answers(), "0 Failed: the next submission replaced it before its page loaded");
    EXPECT_TRUE(told.isEmpty()) << told.join('\n').toStdString();

    // A recorded one waits for its own page, and a stopped load is not it.
    s.pageUrl = "http://acme.example/c.htm";
    service.submitPage(s);
    emit browser.mainFrameLoaded(browser.navigations.last(), LoadOutcome::Stopped, 0, {});
    emit browser.mainFrameLoaded(browser.navigations.last(), LoadOutcome::Loaded, 0, {});
    EXPECT_EQ(answers(),
              "0 Failed: the next submission replaced it before its page loaded | 1 Loaded in the "
              "browser");
    EXPECT_EQ(told, QStringList({"Local: Loaded in the browser."}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Service, CommandLineRunReadsEachPageAndStopsAfterThePageUnderWay) {
    test::PeerProcess engineServer(
        QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/engine_server.py"), {"120"});
    ASSERT_TRUE(engineServer.ok());
    const QString root = "http://acme.example/";
    std::atomic<bool> stop{false};
    SubmissionService service(*folder.globals().gDB, *folder.globals().errorLog,
                              SubmissionService::Surface::CommandLine, nullptr,
                              std::make_shared<CurlHttpClient>());
    listen(service);
    service.setCancelFlag(&stop);
    QStringList read;
    service.setPageReader([&](const QString& url) {
        read << url;
        // Ctrl+C while the second page is read: its request goes out cancelled
        // and is recorded as such; the third is not sent.
        if (read.size() == 2) stop.store(true);
        return PageFacts{"About " + url.section('/', -1), "k"};
    });
    std::optional<RunOutcome> run;
    QObject::connect(&service, &SubmissionService::runFinished,
                     [&](const RunOutcome& o) { run = o; });

    SiteSubmission s;
    s.routine = "cmdSubmitAllPages_Click";
    s.engine =
        engine(QStringLiteral("http://127.0.0.1:%1/submit?u=<%URL%>").arg(engineServer.port()));
    s.submitter = submitter(root);
    s.treePages = {"a.htm", "b.htm", "c.htm"};
    service.submitAll(s);

    ASSERT_TRUE(run);
    EXPECT_TRUE(run->onePagePerRequest);
    EXPECT_TRUE(run->result.cancelled);
    EXPECT_EQ(run->result.sent, 2);
    EXPECT_EQ(run->result.recorded, 2);
    EXPECT_EQ(run->summary, "stopped; the pages before were submitted");
    EXPECT_FALSE(run->result.succeeded());
    EXPECT_EQ(read, QStringList({root + "a.htm", root + "b.htm"}));
    EXPECT_EQ(folder.scalar("SELECT group_concat(PageURL || ':' || PageDescription, ' ') FROM "
                            "WebSitePages"),
              "a.htm:About a.htm b.htm:About b.htm");
    EXPECT_TRUE(answers().startsWith("1 Answered 200 | 0 Failed: ")) << answers().toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}
