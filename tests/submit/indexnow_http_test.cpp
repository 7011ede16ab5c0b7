// The IndexNow client against a local engine stand-in that keeps the
// protocol's rules and reads the key file from a local site server: what
// arrives, what each request is answered, and that the ledger keeps exactly
// those answers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <QUrl>

#include "core/ExtraTables.h"
#include "platform/CurlHttpClient.h"
#include "submit/indexnow/IndexNowRun.h"
#include "submit/indexnow/KeyFileCheck.h"
#include "support/HostileServer.h"
#include "support/PeerProcess.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {

const QString kKey = QStringLiteral("abcdEFGH-1234");
const QString kFixtures = QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/");

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class IndexNowHttp : public ::testing::Test {
protected:
    test::TestFolder folder;
    QTemporaryDir siteRoot;
    std::unique_ptr<test::PeerProcess> site;
    std::unique_ptr<test::PeerProcess> engine;
    CurlHttpClient http;
    std::atomic<bool> cancel{false};

    void SetUp() override {
        writeFile(siteRoot.filePath(kKey + ".txt"), kKey.toUtf8() + "\n");
        site = std::make_unique<test::PeerProcess>(kFixtures + "http_test_server.py",
                                                   QStringList{siteRoot.path(), "120"});
        ASSERT_TRUE(site->ok());
    }
    QTemporaryDir logDir;
    QString log;
    int logLinesRead = 0;

    void startEngine(const QStringList& extra = {}) {
        log = logDir.filePath(
            QStringLiteral("requests%1.jsonl").arg(QDateTime::currentMSecsSinceEpoch()));
        logLinesRead = 0;
        engine = std::make_unique<test::PeerProcess>(
            kFixtures + "indexnow_server.py",
            QStringList{"--site-port", QString::number(site->port()), "--log", log} + extra);
        ASSERT_TRUE(engine->ok());
    }
    QString root() const { return QStringLiteral("http://127.0.0.1:%1/").arg(site->port()); }
    QString endpoint() const {
        return QStringLiteral("http://127.0.0.1:%1/indexnow").arg(engine->port());
    }
    IndexNowPlan plan(const QStringList& paths, const QString& location = {},
                      const QString& key = kKey) {
        std::vector<PageToSubmit> pages;
        for (const QString& p : paths) pages.push_back({root() + p, p});
        return planIndexNow("IndexNow", endpoint() + "?url=<%URL%>", root(), key, location, pages);
    }
    IndexNowBatchResult run(const IndexNowPlan& p, const IndexNowLimits& limits = {}) {
        IndexNowBatchJob job;
        job.databasePath = folder.globals().gDB->databasePath();
        job.who = {"Acme", root(), "ann@acme.example", "IndexNow"};
        job.plan = p;
        job.limits = limits;
        return runIndexNowBatches(job, http, cancel);
    }
    // The stand-in's records of the next n requests (written before it
    // answered them).
    std::vector<QJsonObject> requests(int n) {
        const QList<QByteArray> lines = test::readFile(log).split('\n');
        std::vector<QJsonObject> out;
        for (int i = 0; i < n && logLinesRead < lines.size(); ++i)
            out.push_back(QJsonDocument::fromJson(lines[logLinesRead++]).object());
        return out;
    }
    // The ledger by page path: "status accepted" ("- 0" for no status).
    QMap<QString, QString> ledger() {
        QMap<QString, QString> rows;
        auto rs = folder.globals().gDB->query(
            "SELECT p.PageURL, ifnull(a.HTTPStatus, '-') || ' ' || a.Accepted FROM "
            "SubmissionAnswers a JOIN Submissions s ON s.SubmissionID = a.SubmissionID JOIN "
            "WebSitePages p ON p.WebSitePageID = s.WebSitePageID");
        for (; !rs->eof(); rs->moveNext()) rows.insert(rs->field(0), rs->field(1));
        return rows;
    }
    // What the stand-in answered each URL, in the ledger's form.
    static QMap<QString, QString> answered(const std::vector<QJsonObject>& reqs,
                                           const QString& root) {
        QMap<QString, QString> m;
        for (const QJsonObject& r : reqs) {
            const int status = r.value("status").toInt();
            const bool ok = status == 200 || status == 202;
            for (const QJsonValue& u : r.value("urls").toArray())
                m.insert(QUrl::fromPercentEncoding(u.toString().mid(root.size()).toUtf8()),
                         QStringLiteral("%1 %2").arg(status).arg(ok ? 1 : 0));
        }
        return m;
    }
};

QStringList manyPages(int n) {
    QStringList paths;
    for (int i = 0; i < n; ++i) paths << QStringLiteral("pages/p%1.htm").arg(i);
    return paths;
}

}  // namespace

TEST_F(IndexNowHttp, GoodKeyOnePageByGetAndPagesWithAwkwardNames) {
    startEngine({"--accept", "202"});
    const QStringList awkward = {"a b.htm", "say \"hi\".htm", "q&a.htm", "c#1.htm", "café/ü.htm"};
    for (const QString& path : awkward) {
        const IndexNowPlan p = plan({path});
        ASSERT_EQ(p.pages.size(), 1u);
        const IndexNowAnswer a = sendIndexNowGet(http, p);
        EXPECT_EQ(a.status, 202) << path.toStdString();
        EXPECT_TRUE(a.accepted);
        const auto got1 = requests(1);
        ASSERT_EQ(got1.size(), 1u);
        const QJsonObject r = got1[0];
        EXPECT_EQ(r.value("method").toString(), "GET");
        EXPECT_EQ(r.value("key").toString(), kKey);
        const QString got = r.value("urls").toArray().at(0).toString();
        EXPECT_EQ(got, p.pages[0].url);
        EXPECT_EQ(QUrl::fromPercentEncoding(got.mid(root().size()).toUtf8()), path);
    }
    // The same names in one POST: valid JSON, each once, as sent.
    const IndexNowBatchResult r = run(plan(awkward));
    EXPECT_EQ(r.accepted.at(202), awkward.size());
    const auto posts = requests(1);
    ASSERT_EQ(posts.size(), 1u);
    const QJsonObject post = posts[0];
    EXPECT_TRUE(post.value("validJson").toBool());
    EXPECT_EQ(post.value("contentType").toString(), "application/json; charset=utf-8");
    EXPECT_EQ(post.value("host").toString(), "127.0.0.1");
    QStringList expected = awkward;
    expected.sort();
    EXPECT_EQ(answered({post}, root()).keys(), expected);
    EXPECT_EQ(ledger(), answered({post}, root()));
}

TEST_F(IndexNowHttp, TwentyFiveThousandPagesGoInThreePostsEachOnce) {
    startEngine({"--accept", "202"});
    const QStringList paths = manyPages(25000);
    const IndexNowBatchResult r = run(plan(paths));
    EXPECT_EQ(r.requests, 3);
    EXPECT_EQ(r.recorded, 25000);
    EXPECT_EQ(r.accepted.at(202), 25000);
    const auto reqs = requests(3);
    QSet<QString> seen;
    std::vector<int> sizes;
    for (const QJsonObject& q : reqs) {
        EXPECT_TRUE(q.value("validJson").toBool());
        EXPECT_EQ(q.value("key").toString(), kKey);
        const QJsonArray urls = q.value("urls").toArray();
        sizes.push_back(static_cast<int>(urls.size()));
        for (const QJsonValue& u : urls) seen.insert(u.toString());
    }
    EXPECT_EQ(sizes, (std::vector<int>{10000, 10000, 5000}));
    EXPECT_EQ(seen.size(), 25000);
    const auto rows = ledger();
    EXPECT_EQ(rows.size(), 25000);
    EXPECT_EQ(rows, answered(reqs, root()));
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM Submissions"), "25000");
    EXPECT_EQ(indexNowBatchSummary(r, plan(paths)), "25,000 sent, 25,000 accepted (202)");
}

TEST_F(IndexNowHttp, KeyFileMissingOrDifferentIsRefusedAndStopsTheRun) {
    startEngine();
    // No file for this key on the site: 403, and the rest is not sent.
    const QString otherKey = "zyxw9876-missing";
    const IndexNowBatchResult missing = run(plan(manyPages(15000), {}, otherKey));
    EXPECT_EQ(missing.requests, 1);
    EXPECT_EQ(missing.refused.at(403), 10000);
    EXPECT_EQ(missing.notSent, 5000);
    EXPECT_TRUE(missing.accepted.empty());
    const auto reqs = requests(1);
    EXPECT_EQ(ledger(), answered(reqs, root()));
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM SubmissionAnswers WHERE Accepted = 1"), "0");

    // A key file holding another text.
    writeFile(siteRoot.filePath(kKey + ".txt"), "not-the-key\n");
    const IndexNowAnswer a = sendIndexNowGet(http, plan({"x.htm"}));
    EXPECT_EQ(a.status, 403);
    EXPECT_FALSE(a.accepted);
}

TEST_F(IndexNowHttp, KeyLocationInASubFolderCoversOnlyItsFolder) {
    startEngine();
    writeFile(siteRoot.filePath("shop/key.txt"), kKey.toUtf8());
    const QString location = root() + "shop/key.txt";
    const IndexNowPlan p = plan({"shop/a.htm", "about.htm", "shop/deep/b.htm"}, location);
    EXPECT_EQ(p.outsideKeyFolder, 1);
    const IndexNowBatchResult r = run(p);
    EXPECT_EQ(r.accepted.at(200), 2);
    const auto got = requests(1);
    ASSERT_EQ(got.size(), 1u);
    const QJsonObject q = got[0];
    EXPECT_EQ(q.value("keyLocation").toString(), location);
    EXPECT_EQ(q.value("urls").toArray().size(), 2);
    EXPECT_EQ(ledger().keys(), QStringList({"shop/a.htm", "shop/deep/b.htm"}));
    // A page of another host is held back and counted, the others go.
    std::vector<PageToSubmit> pages{{root() + "a.htm", "a.htm"},
                                    {"http://localhost:1/b.htm", "b.htm"}};
    const IndexNowPlan mixed = planIndexNow("IndexNow", endpoint(), root(), kKey, {}, pages);
    EXPECT_EQ(mixed.otherHost, 1);
    EXPECT_EQ(run(mixed).accepted.at(200), 1);
}

TEST_F(IndexNowHttp, TooManyRequestsStopsTheBatchWithRetryAfter) {
    startEngine({"--throttle-after", "1", "--retry-after", "120"});
    const QDateTime before = QDateTime::currentDateTime();
    const IndexNowBatchResult r = run(plan(manyPages(25000)));
    EXPECT_EQ(r.requests, 2);
    EXPECT_EQ(r.accepted.at(200), 10000);
    EXPECT_EQ(r.refused.at(429), 10000);
    EXPECT_EQ(r.notSent, 5000);
    ASSERT_TRUE(r.retryAt);
    EXPECT_GE(*r.retryAt, before.addSecs(120));
    EXPECT_LE(*r.retryAt, QDateTime::currentDateTime().addSecs(120));
    EXPECT_TRUE(indexNowBatchSummary(r, IndexNowPlan{}).contains("refused (429, try again after"));
    EXPECT_EQ(ledger(), answered(requests(2), root()));
}

TEST_F(IndexNowHttp, NoAnswerIsRecordedAsSuchAndNeverAccepted) {
    // Nothing listens on the discard port.
    IndexNowPlan p = planIndexNow("IndexNow", "http://127.0.0.1:9/indexnow", root(), kKey, {},
                                  {{root() + "a.htm", "a.htm"}, {root() + "b.htm", "b.htm"}});
    IndexNowBatchResult r = run(p);
    EXPECT_EQ(r.unanswered, 2);
    EXPECT_TRUE(r.unansweredText.contains("cannot reach")) << r.unansweredText.toStdString();
    EXPECT_EQ(ledger().value("a.htm"), "- 0");

    // An engine that never answers: the time limit ends the request.
    startEngine({"--hang"});
    IndexNowLimits quick;
    quick.totalTimeoutMs = 800;
    const IndexNowAnswer hang = sendIndexNowGet(http, plan({"c.htm"}), quick);
    EXPECT_EQ(hang.status, 0);
    EXPECT_TRUE(hang.text.contains("time limit")) << hang.text.toStdString();

    // An answer of a gigabyte is cut at the cap and not taken as received.
    startEngine({"--huge", "1073741824"});
    const IndexNowAnswer huge = sendIndexNowGet(http, plan({"d.htm"}));
    EXPECT_EQ(huge.status, 200);
    EXPECT_FALSE(huge.accepted);
    EXPECT_TRUE(huge.text.contains("cut off"));
}

TEST_F(IndexNowHttp, KeyFileCheckSaysWhatIsWrong) {
    struct Case {
        QString key, location;
        KeyFileVerdict verdict;
    };
    writeFile(siteRoot.filePath("differs-0000.txt"), "something else");
    writeFile(siteRoot.filePath("keys/k.html"), kKey.toUtf8());
    writeFile(siteRoot.filePath("big-00000000.txt"), QByteArray(10 * 1024 * 1024, 'k'));
    const Case cases[] = {
        {kKey, {}, KeyFileVerdict::Good},
        {"absent-0000", {}, KeyFileVerdict::NotFound},
        {"differs-0000", {}, KeyFileVerdict::ContentDiffers},
        {kKey, root() + "keys/k.html", KeyFileVerdict::NotPlainText},
        {"big-00000000", {}, KeyFileVerdict::TooLarge},
        {"with blank", {}, KeyFileVerdict::BadSetup},
    };
    for (const Case& c : cases) {
        const KeyFileCheck k = checkKeyFile(http, root(), c.key, c.location);
        EXPECT_EQ(k.verdict, c.verdict) << c.key.toStdString() << ": " << k.message.toStdString();
    }
    const KeyFileCheck down = checkKeyFile(http, "http://127.0.0.1:9/", kKey, {});
    EXPECT_EQ(down.verdict, KeyFileVerdict::HostUnreachable);
    EXPECT_TRUE(down.message.contains("cannot be reached"));
}

TEST_F(IndexNowHttp, WithoutTheAnswerTableSubmissionsAreStillRecorded) {
    startEngine();
    folder.exec("DROP TABLE SubmissionAnswers");
    const IndexNowBatchResult r = run(plan({"a.htm", "b.htm"}));
    EXPECT_EQ(r.accepted.at(200), 2);
    EXPECT_EQ(r.recorded, 2);
    EXPECT_EQ(r.recordError, QString());
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM Submissions"), "2");
}

// An engine (or a site) that stalls, drips, floods, loops, resets, lies about
// its length or sends a gzip bomb: every request ends inside its limits, no
// page is taken for received, and the ledger records each request's pages as
// not accepted. The key-file check never calls such a file good.
TEST_F(IndexNowHttp, HostilePeerIsNeverTakenForAReceivedSubmission) {
    test::HostileServer peer;
    ASSERT_TRUE(peer.ok());
    IndexNowLimits quick;
    quick.connectTimeoutMs = 2000;
    quick.totalTimeoutMs = 2500;
    int n = 0;
    for (const test::HostileAnswer& h : test::hostileAnswers()) {
        SCOPED_TRACE(h.what);
        const QString endpoint = peer.url(QString::fromLatin1(h.path));
        const QString a = QStringLiteral("h%1a.htm").arg(n), b = QStringLiteral("h%1b.htm").arg(n);
        ++n;
        const IndexNowPlan p = planIndexNow("IndexNow", endpoint + "?url=<%URL%>", root(), kKey, {},
                                            {{root() + a, a}, {root() + b, b}});
        ASSERT_EQ(p.pages.size(), 2u) << p.problem.toStdString();
        const IndexNowAnswer get = sendIndexNowGet(http, p, quick);
        EXPECT_FALSE(get.accepted) << get.text.toStdString();
        EXPECT_FALSE(get.text.isEmpty());

        const IndexNowBatchResult r = run(p, quick);
        EXPECT_TRUE(r.accepted.empty()) << indexNowBatchSummary(r, p).toStdString();
        EXPECT_EQ(r.recorded, 2);
        EXPECT_EQ(r.recordError, QString());
        const QMap<QString, QString> rows = ledger();
        EXPECT_TRUE(rows.value(a).endsWith(" 0")) << rows.value(a).toStdString();
        EXPECT_TRUE(rows.value(b).endsWith(" 0")) << rows.value(b).toStdString();
    }
    // The key file at a hostile site: the ways that end at once (a stall
    // waits out the check's own minute-long limit, which the requests above
    // already cover).
    for (const char* path : {"/huge", "/loop", "/reset", "/short", "/gzip"}) {
        const KeyFileCheck k =
            checkKeyFile(http, peer.url("/"), kKey, peer.url(QString::fromLatin1(path)));
        EXPECT_NE(k.verdict, KeyFileVerdict::Good) << path << ": " << k.message.toStdString();
        EXPECT_FALSE(k.message.isEmpty()) << path;
    }
}
