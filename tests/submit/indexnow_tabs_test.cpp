// IndexNow from the window's side, driven offscreen against the local engine
// stand-in and site server: Submit and "Submit All Pages" on the Page
// Submission tab (progress, Cancel, the answers in the status bar and the
// messages), and the key's field and buttons.
#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "FakeHub.h"
#include "platform/CurlHttpClient.h"
#include "submit/EngineTabs.h"
#include "submit/indexnow/IndexNowKey.h"
#include "submit/indexnow/IndexNowKeyPanel.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"
#include "support/Wait.h"

using namespace fd;
using fd::test::waitFor;

namespace {

const QString kKey = QStringLiteral("tabsKey-0123456789");
const QString kFixtures = QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/");

class IndexNowTabs : public ::testing::Test {
protected:
    test::TestFolder folder;
    test::FakeDialogs dialogs;
    test::FakeBrowser browser;
    test::FakeHub hub;
    QTemporaryDir siteRoot;
    test::PeerProcess site{kFixtures + "http_test_server.py", {siteRoot.path(), "120"}};
    std::unique_ptr<test::PeerProcess> engine;
    std::shared_ptr<HttpClient> http = std::make_shared<CurlHttpClient>();
    EngineTabServices services{folder.globals(), dialogs, hub, &browser, http};
    std::unique_ptr<PageSubmissionTab> tab;
    QStringList told;

    void SetUp() override {
        ASSERT_TRUE(site.ok());
        QFile key(siteRoot.filePath(kKey + ".txt"));
        ASSERT_TRUE(key.open(QIODevice::WriteOnly));
        key.write(kKey.toUtf8());
        key.close();
        hub.fillConfiguration();
        hub.root = QStringLiteral("http://127.0.0.1:%1/").arg(site.port());
        saveIndexNowKey(*folder.globals().gDB, hub.root, {kKey, {}});
    }
    // The stand-in with these options, an IndexNow engine "Local" pointing at
    // it, and the tab.
    void start(const QStringList& options = {}, const QString& tmpl = {}) {
        engine = std::make_unique<test::PeerProcess>(
            kFixtures + "indexnow_server.py",
            QStringList{"--site-port", QString::number(site.port()), "--log",
                        siteRoot.filePath("requests.jsonl")} +
                options);
        ASSERT_TRUE(engine->ok());
        folder.exec(
            QStringLiteral("INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, "
                           "SubmitQueryString, HTTPSubmitMethod, Popularity) VALUES "
                           "(900, 'Local', '%1', 'indexnow', 0)")
                .arg(tmpl.isNull()
                         ? QStringLiteral("http://127.0.0.1:%1/indexnow").arg(engine->port())
                         : tmpl));
        tab = std::make_unique<PageSubmissionTab>(services);
        EngineListView review(QStringLiteral("lvwReviewList"), 1600, 1100);
        UpdateSearchEngineLists(*folder.globals().gDB, *folder.globals().errorLog, review,
                                *tab->list());
        tab->list()->setCurrentItem(tab->list()->findEntry("Local"));
        QObject::connect(tab.get(), &PageSubmissionTab::answered,
                         [this](const QString& t) { told << t; });
        tab->resize(700, 400);
        tab->show();
    }
    QString count(const QString& sql) { return folder.scalar(sql); }
};

}  // namespace

TEST_F(IndexNowTabs, SubmitAllPagesShowsProgressAndRecordsEveryAnswer) {
    start({"--accept", "202"});
    for (int i = 0; i < 25000; ++i) hub.tree << QStringLiteral("p/%1.htm").arg(i);
    hub.tree << "http://elsewhere.example/x.htm";  // a full address of another host
    int highest = 0;
    QObject::connect(tab->progressBar(), &QProgressBar::valueChanged,
                     [&](int v) { highest = std::max(highest, v); });
    tab->submitAllButton()->click();
    EXPECT_TRUE(tab->busy());
    EXPECT_TRUE(tab->cancelButton()->isVisible());
    EXPECT_FALSE(tab->submitAllButton()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return !told.isEmpty(); }));
    EXPECT_EQ(told.last(), "Local: 25,000 sent, 25,000 accepted (202), 1 skipped: other host.");
    EXPECT_EQ(hub.statuses.last(), told.last());
    EXPECT_EQ(highest, 25000);
    EXPECT_FALSE(tab->cancelButton()->isVisible());
    EXPECT_TRUE(tab->submitAllButton()->isEnabled());
    EXPECT_EQ(count("SELECT count(*) || ' ' || sum(Accepted) || ' ' || min(HTTPStatus) FROM "
                    "SubmissionAnswers"),
              "25000 25000 202");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(IndexNowTabs, BadInputIsReportedAndNothingIsSent) {
    start();
    hub.tree = QStringList{"a.htm"};
    struct Case {
        std::function<void()> arrange;
        const char* says;
    } cases[] = {
        {[&] { folder.exec("DELETE FROM IndexNowKeys"); }, "no IndexNow key"},
        {[&] {
             saveIndexNowKey(*folder.globals().gDB, hub.root, {"has blank s", {}});
         },
         "a blank"},
        {[&] {
             saveIndexNowKey(*folder.globals().gDB, hub.root, {QString(129, u'k'), {}});
         },
         "129 characters"},
        {[&] {
             saveIndexNowKey(*folder.globals().gDB, hub.root, {kKey, {}});
             hub.tree.clear();
         },
         "no pages"},
        {[&] {
             hub.tree = QStringList{"a.htm"};
             hub.site.clear();
         },
         "Website name"},
        {[&] {
             hub.fillConfiguration();
             hub.root = QStringLiteral("http://127.0.0.1:%1/").arg(site.port());
             tab->list()->setCurrentItem(tab->list()->findEntry("DuckDuckGo"));
         },
         "through the browser"},
    };
    for (const Case& c : cases) {
        c.arrange();
        tab->submitAllButton()->click();
        EXPECT_FALSE(tab->busy());
        EXPECT_TRUE(dialogs.lastText().contains(QString::fromUtf8(c.says)))
            << dialogs.lastText().toStdString();
    }
    EXPECT_EQ(count("SELECT count(*) FROM Submissions"), "0");
    EXPECT_TRUE(test::readFile(siteRoot.filePath("requests.jsonl")).isEmpty());
}

TEST_F(IndexNowTabs, EngineWithAnEmptyTemplateIsRefusedWithAMessage) {
    start({}, "   ");  // blanks: listed, yet no address to send to
    tab->urlBox()->setText(hub.root + "a.htm");
    tab->button()->click();
    EXPECT_TRUE(dialogs.lastText().contains("submit template is empty"));
    EXPECT_FALSE(tab->busy());
    EXPECT_EQ(count("SELECT count(*) FROM Submissions"), "0");
}

TEST_F(IndexNowTabs, SubmitSendsTheBoxByGetAndRecordsTheAnswer) {
    start();
    hub.treePageSelected = true;
    hub.treePage = "a b.htm";
    tab->urlBox()->setText(hub.root + "a b.htm");
    tab->button()->click();
    ASSERT_TRUE(waitFor([&] { return !told.isEmpty(); }));
    EXPECT_EQ(told.last(), "Local answered 200: Received.");
    EXPECT_EQ(count("SELECT p.PageURL || '|' || a.HTTPStatus || '|' || a.Accepted || '|' || "
                    "a.Channel FROM SubmissionAnswers a JOIN Submissions s USING (SubmissionID) "
                    "JOIN WebSitePages p ON p.WebSitePageID = s.WebSitePageID"),
              "a b.htm|200|1|IndexNow GET");
    // A page of another host is not sent.
    hub.treePageSelected = false;
    tab->urlBox()->setText("http://elsewhere.example/a.htm");
    tab->button()->click();
    EXPECT_TRUE(dialogs.lastText().startsWith("Not sent:")) << dialogs.lastText().toStdString();
    EXPECT_FALSE(tab->busy());
}

TEST_F(IndexNowTabs, TooManyRequestsTellsWhenToTryAgain) {
    start({"--throttle-after", "0", "--retry-after", "600"});
    hub.tree = QStringList{"a.htm", "b.htm"};
    tab->submitAllButton()->click();
    ASSERT_TRUE(waitFor([&] { return !told.isEmpty(); }));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.lastText().contains("2 refused (429, try again after"))
        << dialogs.lastText().toStdString();
    EXPECT_TRUE(dialogs.lastText().contains("try again after"));
    EXPECT_EQ(count("SELECT count(*) FROM SubmissionAnswers WHERE Accepted = 1"), "0");
}

TEST_F(IndexNowTabs, AnEngineThatNeverAnswersLeavesTheWindowWorkingAndCanBeCancelled) {
    start({"--hang"});
    hub.tree = QStringList{"a.htm", "b.htm"};
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    tab->submitAllButton()->click();
    // The run waits for its answer on a thread of its own: the window's
    // events go on meanwhile.
    ASSERT_TRUE(waitFor([&] { return ticks >= 20; }, 10000));
    EXPECT_TRUE(tab->busy());
    tab->cancelButton()->click();
    ASSERT_TRUE(waitFor([&] { return !tab->busy(); }, 10000));
    EXPECT_TRUE(told.last().contains("2 not answered (Cancelled")) << told.last().toStdString();
    EXPECT_TRUE(dialogs.messages.empty());  // the user asked for it: no message box
    EXPECT_EQ(count("SELECT count(*) || ' ' || sum(Accepted) FROM SubmissionAnswers"), "2 0");

    // Left alone, the time limit ends it, with a message.
    told.clear();
    tab->setIndexNowLimits({15000, 700, 64 * 1024});
    tab->submitAllButton()->click();
    ASSERT_TRUE(waitFor([&] { return !told.isEmpty(); }));
    EXPECT_TRUE(dialogs.lastText().contains("time limit")) << dialogs.lastText().toStdString();
}

TEST_F(IndexNowTabs, KeyPanelMakesStoresSavesAndChecksTheKey) {
    IndexNowKeyPanel panel(folder.globals(), dialogs, hub, http);
    panel.show();
    panel.showRoot(hub.root);
    EXPECT_EQ(panel.keyBox()->text(), kKey);

    // A key with a blank, or too long, is refused and not stored.
    for (const QString& bad : {QStringLiteral("with blank1"), QString(129, u'x')}) {
        panel.keyBox()->setText(bad);
        EXPECT_FALSE(panel.storeKey());
        EXPECT_EQ(loadIndexNowKey(*folder.globals().gDB, hub.root)->key, kKey);
    }
    EXPECT_TRUE(dialogs.lastText().contains("129 characters"));

    // "Check Key File" says what is wrong, and what is right.
    std::vector<KeyFileVerdict> verdicts;
    QObject::connect(&panel, &IndexNowKeyPanel::checked,
                     [&](KeyFileVerdict v) { verdicts.push_back(v); });
    auto check = [&](const QString& key) {
        panel.keyBox()->setText(key);
        panel.checkButton()->click();
        EXPECT_FALSE(panel.checkButton()->isEnabled());
        const std::size_t before = verdicts.size();
        EXPECT_TRUE(waitFor([&] { return verdicts.size() > before; }));
        return dialogs.lastText();
    };
    EXPECT_TRUE(check(kKey).contains("holds the key"));
    EXPECT_TRUE(check("absent-0123").contains("not found"));
    EXPECT_EQ(verdicts, (std::vector{KeyFileVerdict::Good, KeyFileVerdict::NotFound}));

    // "New Key" asks before it replaces a key, then stores the new one.
    dialogs.answers = {MsgAnswer::No};
    panel.findChild<QPushButton*>("cmdNewKey")->click();
    EXPECT_EQ(panel.keyBox()->text(), "absent-0123");
    dialogs.answers = {MsgAnswer::Yes};
    panel.findChild<QPushButton*>("cmdNewKey")->click();
    const QString made = panel.keyBox()->text();
    EXPECT_EQ(made.size(), 32);
    EXPECT_EQ(loadIndexNowKey(*folder.globals().gDB, hub.root)->key, made);

    // "Save Key File..." writes the key alone, under its own name.
    dialogs.files = {folder.file(made + ".txt")};
    panel.findChild<QPushButton*>("cmdSaveKeyFile")->click();
    EXPECT_EQ(dialogs.fileRequests.back().initialFile, made + ".txt");
    EXPECT_EQ(test::readFile(folder.file(made + ".txt")), made.toUtf8());
}
