// Whole audits against a generated site on 127.0.0.1: every finding the site
// holds is found and no other, robots.txt keeps its pages unrequested (the
// server's own log says so), bodies that never end or never arrive are cut
// off, links are followed up to the page limit, and a second run says what
// is new, still there and fixed.
#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include "audit/AuditStore.h"
#include "audit/SiteAudit.h"
#include "support/FreePort.h"
#include "support/HostileServer.h"
#include "support/PeerProcess.h"
#include "support/QtPrinters.h"
#include "support/TestFolder.h"

using namespace fd::audit;

namespace {

class AuditSite : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = dir_.filePath(QStringLiteral("requests.log"));
        server_ = std::make_unique<fd::test::PeerProcess>(
            QStringLiteral(FARROWDALE_TEST_FIXTURES "/audit_site.py"),
            QStringList{log_, dir_.path()});
        ASSERT_TRUE(server_->ok());
        root_ = QStringLiteral("http://127.0.0.1:%1/").arg(server_->port());
    }

    AuditRequest request(const QStringList& pages) const {
        AuditRequest r;
        r.rootUrl = root_;
        r.pages = pages;
        // Long enough for the slow page, short enough for the stalled one.
        r.options.totalTimeoutMs = 4000;
        return r;
    }

    AuditResult run(const AuditRequest& r) {
        std::atomic<bool> cancel{false};
        return runSiteAudit(r, {}, cancel);
    }

    // The paths the server was asked for, in order.
    QStringList requested() const {
        QFile f(log_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList paths;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("GET ")) paths << QString::fromUtf8(line.split(' ').value(1));
        return paths;
    }
    QStringList userAgents() const {
        QFile f(log_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList agents;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("GET "))
                agents << QString::fromUtf8(line.mid(line.indexOf(' ', 4) + 1));
        return agents;
    }

    // "path kind" for every finding, the path relative to the root.
    QSet<QString> findingSet(const AuditResult& r) const {
        QSet<QString> s;
        for (const AuditFinding& f : r.findings)
            s.insert(QString(f.url).remove(root_) + u' ' + findingCode(f.kind));
        return s;
    }

    const AuditPage* page(const AuditResult& r, const QString& path) const {
        for (const AuditPage& p : r.pages)
            if (p.url == root_ + path) return &p;
        return nullptr;
    }

    QTemporaryDir dir_;
    QString log_;
    QString root_;
    std::unique_ptr<fd::test::PeerProcess> server_;
};

const QStringList kSitePages = {"good1.html",
                                "good2.html",
                                "private/open.html",
                                "tie.html",
                                "gzip.html",
                                "canonical-self.html",
                                "docs/report.pdf?x=1",
                                "docs/report.pdf",
                                "private/secret.html",
                                "tie-break.html",
                                "missing-title.html",
                                "empty-title.html",
                                "long-title.html",
                                "dup-title-a.html",
                                "dup-title-b.html",
                                "missing-desc.html",
                                "empty-desc.html",
                                "long-desc.html",
                                "dup-desc-a.html",
                                "dup-desc-b.html",
                                "noindex-meta.html",
                                "noindex-header.html",
                                "canonical-other.html",
                                "no-h1.html",
                                "two-h1.html",
                                "not-found.html",
                                "server-error.html",
                                "redirect-one",
                                "redirect-chain",
                                "loop-a",
                                "redirect-private",
                                "cp1252.html",
                                "cp1252-header.html",
                                "utf8.html",
                                "slow.html",
                                "huge.html",
                                "bomb.html",
                                "endless.html",
                                "stall.html",
                                "good1.html"};

TEST_F(AuditSite, EveryFindingOfTheSiteAndNoOther) {
    const AuditResult r = run(request(kSitePages));
    EXPECT_FALSE(r.cancelled);
    // The root and each listed page once (good1.html is listed twice).
    EXPECT_EQ(r.pages.size(), kSitePages.size());

    const QSet<QString> expected = {
        "docs/report.pdf?x=1 not-html",
        "docs/report.pdf disallowed",
        "private/secret.html disallowed",
        "tie-break.html disallowed",
        "missing-title.html title-missing",
        "empty-title.html title-missing",
        "long-title.html title-long",
        "dup-title-a.html title-duplicate",
        "dup-title-b.html title-duplicate",
        "missing-desc.html description-missing",
        "empty-desc.html description-missing",
        "long-desc.html description-long",
        "dup-desc-a.html description-duplicate",
        "dup-desc-b.html description-duplicate",
        "noindex-meta.html noindex",
        "noindex-header.html noindex",
        "canonical-other.html canonical-elsewhere",
        // Both canonicals are written relative to the page.
        "canonical-other.html canonical-relative",
        "canonical-self.html canonical-relative",
        "no-h1.html h1-missing",
        "two-h1.html h1-several",
        "not-found.html http-error",
        "server-error.html http-error",
        "redirect-chain redirect-chain",
        "loop-a redirect-loop",
        "redirect-private disallowed",
        "slow.html slow",
        "huge.html network-error",
        "bomb.html network-error",
        "endless.html network-error",
        "stall.html network-error",
    };
    const QSet<QString> found = findingSet(r);
    EXPECT_EQ(found - expected, QSet<QString>()) << "unexpected findings";
    EXPECT_EQ(expected - found, QSet<QString>()) << "missing findings";

    // What robots.txt disallows was never asked for; robots.txt once.
    const QStringList paths = requested();
    for (const char* forbidden :
         {"/private/secret.html", "/private/secret2.html", "/docs/report.pdf", "/tie-break.html"})
        EXPECT_FALSE(paths.contains(QLatin1String(forbidden))) << forbidden;
    EXPECT_EQ(paths.count(QStringLiteral("/robots.txt")), 1);
    EXPECT_EQ(paths.count(QStringLiteral("/good1.html")), 1);
    EXPECT_TRUE(userAgents().front().startsWith(QStringLiteral("Farrowdale/")));

    // What each page holds, read in its own charset and encoding.
    EXPECT_EQ(page(r, "cp1252.html")->title, QStringLiteral("Caf\u00e9 \u201cquoted\u201d"));
    EXPECT_EQ(page(r, "cp1252-header.html")->title,
              QStringLiteral("Na\u00efve \u2013 r\u00e9sum\u00e9"));
    EXPECT_EQ(page(r, "utf8.html")->title,
              QStringLiteral("\u00dcn\u00efc\u00f6d\u00e9 \u2713 \u65e5\u672c"));
    EXPECT_EQ(page(r, "gzip.html")->title, "Good page gz");
    const AuditPage* chain = page(r, "redirect-chain");
    ASSERT_EQ(chain->redirects.size(), 2);
    EXPECT_EQ(chain->redirects[0].status, 302);
    EXPECT_EQ(chain->redirects[1].url, root_ + "redirect-chain-2");
    EXPECT_EQ(chain->finalUrl, root_ + "good4.html");
    EXPECT_EQ(chain->title, "Good page four");
    EXPECT_EQ(page(r, "redirect-one")->redirects.size(), 1);
    EXPECT_EQ(page(r, "noindex-header.html")->xRobotsTag, "noindex");
    // Bodies are cut at the cap, counted after decompression.
    for (const char* big : {"huge.html", "bomb.html", "endless.html"})
        EXPECT_LE(page(r, big)->size, AuditOptions{}.maxBodyBytes) << big;
}

TEST_F(AuditSite, FollowsLinksOnTheHostUpToTheLimit) {
    AuditRequest r = request({"links.html"});
    r.options.followLinks = true;
    r.options.pageLimit = 30;
    const AuditResult result = run(r);
    ASSERT_EQ(result.pages.size(), 30);
    QSet<QString> urls;
    for (const AuditPage& p : result.pages) urls.insert(QString(p.url).remove(root_));
    // The root's links: a fragment dropped, other hosts and schemes left out,
    // a disallowed page listed but not fetched.
    for (const char* linked :
         {"", "links.html", "good1.html", "good2.html", "no-h1.html", "private/secret.html"})
        EXPECT_TRUE(urls.contains(QLatin1String(linked))) << linked;
    EXPECT_EQ(page(result, "private/secret.html")->disallowed, true);
    // Every page asked for is one of the thirty; nothing beyond the limit.
    QStringList pagesAsked = requested();
    pagesAsked.removeAll(QStringLiteral("/robots.txt"));
    for (const QString& path : pagesAsked)
        EXPECT_TRUE(urls.contains(path.mid(1))) << qPrintable(path);
}

TEST_F(AuditSite, SecondRunSaysNewStillThereAndFixed) {
    fd::test::TestFolder folder;
    AuditRequest r = request({"good1.html", "missing-title.html", "long-title.html"});
    r.databasePath = folder.globals().gDB->databasePath();
    const AuditResult first = run(r);
    ASSERT_EQ(first.storeError, QString());
    for (const AuditFinding& f : first.findings) EXPECT_EQ(f.state, FindingState::New);

    // A cancelled run in between is stored but compared against by no one.
    std::atomic<bool> cancelled{true};
    const AuditResult stopped = runSiteAudit(r, {}, cancelled);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.storeError, QString());

    // The site changes: good1 loses its description, missing-title gains a title.
    QFile(dir_.filePath(QStringLiteral("v2"))).open(QIODevice::WriteOnly);
    const AuditResult second = run(r);
    ASSERT_EQ(second.storeError, QString());
    QMap<QString, FindingState> states;
    for (const AuditFinding& f : second.findings)
        states[QString(f.url).remove(root_) + u' ' + findingCode(f.kind)] = f.state;
    const QMap<QString, FindingState> expected = {
        {"good1.html description-missing", FindingState::New},
        {"long-title.html title-long", FindingState::StillThere},
        {"missing-title.html title-missing", FindingState::Fixed},
    };
    EXPECT_EQ(states, expected);

    // The stored run reads back as it was reported.
    AuditResult stored;
    QString error;
    ASSERT_TRUE(loadAuditRun(r.databasePath, second.runId, &stored, &error)) << qPrintable(error);
    EXPECT_EQ(stored.pages.size(), second.pages.size());
    EXPECT_EQ(stored.pages[1].title, second.pages[1].title);
    EXPECT_EQ(stored.pages[1].metas.size(), second.pages[1].metas.size());
    ASSERT_EQ(stored.findings.size(), second.findings.size());
    for (qsizetype i = 0; i < stored.findings.size(); ++i) {
        EXPECT_EQ(stored.findings[i].kind, second.findings[i].kind);
        EXPECT_EQ(stored.findings[i].state, second.findings[i].state);
        EXPECT_EQ(stored.findings[i].detail, second.findings[i].detail);
    }
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM AuditRuns"), "3");
    EXPECT_EQ(folder.scalar("SELECT Cancelled FROM AuditRuns WHERE RunID = 2"), "1");
    EXPECT_EQ(folder.scalar("PRAGMA integrity_check"), "ok");
}

TEST_F(AuditSite, FollowedLinksStayOnTheRootsOriginAndLoseTabsAndLineBreaks) {
    const QString elsewhere =
        QStringLiteral("http://127.0.0.1:%1/x.html").arg(fd::test::unusedLoopbackPort());

    AuditRequest req = request({"links-mixed.html", elsewhere, "deep.html", "good3.html"});
    req.options.followLinks = true;
    const AuditResult r = run(req);
    // links-mixed.html links to xy.html (through a TAB), good1.html (through
    // CR LF), good2.html, and to the host on port 9 and over https: not the site.
    QStringList urls;
    for (const AuditPage& p : r.pages) urls << p.url;
    for (const char* linked : {"xy.html", "good1.html", "good2.html"})
        EXPECT_TRUE(urls.contains(root_ + QLatin1String(linked))) << linked;
    for (const QString& u : urls) {
        EXPECT_FALSE(u.startsWith(u"https:")) << qPrintable(u);
        EXPECT_FALSE(u.contains(u":9/")) << qPrintable(u);
    }
    EXPECT_EQ(page(r, "xy.html")->status, 200);
    EXPECT_FALSE(requested().contains("/x%09y.html"));

    // The listed page on a closed port: its robots.txt could not be read,
    // and the finding says so.
    const AuditFinding* unread = nullptr;
    for (const AuditFinding& f : r.findings)
        if (f.url == elsewhere) unread = &f;
    ASSERT_NE(unread, nullptr);
    EXPECT_EQ(unread->kind, FindingKind::RobotsUnreadable);
    EXPECT_TRUE(unread->detail.startsWith(
        QStringLiteral("Not requested: http://127.0.0.1:%1/robots.txt could not be read (")
            .arg(QUrl(elsewhere).port())))
        << qPrintable(unread->detail);

    // The page of 80,000 unclosed elements is reported as not read, and the
    // run went on with the rest.
    const AuditPage* deep = page(r, "deep.html");
    EXPECT_TRUE(deep->notRead);
    EXPECT_EQ(deep->error, "Elements nested more than 5,000 deep; the page was not read");
    EXPECT_TRUE(findingSet(r).contains("deep.html not-read"));
    EXPECT_EQ(page(r, "good3.html")->title, "Good page three");
}

TEST_F(AuditSite, OnlyTheLastCompleteRunsOfARootAreKept) {
    fd::test::TestFolder folder;
    AuditRequest r = request({"good1.html", "missing-title.html"});
    r.databasePath = folder.globals().gDB->databasePath();
    r.options.keepRuns = 2;
    // Another root URL's runs are never touched.
    AuditRequest other = r;
    other.rootUrl = QString(root_).replace("127.0.0.1", "localhost");
    other.options.keepRuns = 0;
    ASSERT_EQ(run(other).storeError, QString());
    ASSERT_EQ(run(other).storeError, QString());

    std::atomic<bool> cancelled{true};
    QList<qint64> ids;
    for (int i = 0; i < 4; ++i) {
        ids << run(r).runId;
        if (i == 1) ids << runSiteAudit(r, {}, cancelled).runId;  // a cancelled run between
    }
    // Runs 3 and 4 of the root are its last two complete runs; the cancelled
    // one before them went with the older ones, pages and findings too.
    const QString kept = QStringLiteral("%1,%2").arg(ids[3]).arg(ids[4]);
    EXPECT_EQ(folder.scalar(QStringLiteral("SELECT group_concat(RunID) FROM AuditRuns WHERE "
                                           "RootURL = '%1' ORDER BY RunID")
                                .arg(root_)),
              kept);
    EXPECT_EQ(folder.scalar(QStringLiteral("SELECT count(*) FROM AuditRuns")), "4");
    EXPECT_EQ(folder.scalar(QStringLiteral("SELECT count(DISTINCT RunID) FROM AuditPages WHERE "
                                           "RunID NOT IN (SELECT RunID FROM AuditRuns)")),
              "0");
    EXPECT_EQ(folder.scalar(QStringLiteral("SELECT count(*) FROM AuditFindings WHERE "
                                           "RunID NOT IN (SELECT RunID FROM AuditRuns)")),
              "0");
    // The comparison still has the previous complete run.
    const AuditResult last = run(r);
    ASSERT_FALSE(last.findings.isEmpty());
    for (const AuditFinding& f : last.findings) EXPECT_EQ(f.state, FindingState::StillThere);
}

TEST_F(AuditSite, AMissingDatabaseIsReportedAndTheRunKept) {
    AuditRequest r = request({"good1.html"});
    r.databasePath = dir_.filePath(QStringLiteral("no-such/QELS.db"));
    const AuditResult result = run(r);
    EXPECT_NE(result.storeError, QString());
    EXPECT_EQ(result.pages.size(), 2);
    EXPECT_FALSE(QFile::exists(r.databasePath));
}

}  // namespace

// The shared hostile peer as a site: each of its pages ends inside the
// audit's time limit or size cap, none is taken for a good page, and each
// has a finding that says what went wrong.
TEST(AuditHostilePeer, EveryPageEndsInItsLimitsWithAFinding) {
    fd::test::HostileServer peer;
    ASSERT_TRUE(peer.ok());
    AuditRequest r;
    r.rootUrl = peer.url(QStringLiteral("/"));
    for (const fd::test::HostileAnswer& h : fd::test::hostileAnswers())
        r.pages << QString::fromLatin1(h.path + 1);
    r.options.connectTimeoutMs = 2000;
    r.options.totalTimeoutMs = 2500;
    r.options.maxBodyBytes = 1 << 20;
    std::atomic<bool> cancel{false};
    const AuditResult result = runSiteAudit(r, {}, cancel);
    EXPECT_FALSE(result.cancelled);
    for (const fd::test::HostileAnswer& h : fd::test::hostileAnswers()) {
        SCOPED_TRACE(h.what);
        const QString url = peer.url(QString::fromLatin1(h.path));
        const AuditPage* p = nullptr;
        for (const AuditPage& candidate : result.pages)
            if (candidate.url == url) p = &candidate;
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(!p->error.isEmpty() || p->redirectLoop) << p->status;
        EXPECT_LE(p->size, r.options.maxBodyBytes);
        bool found = false;
        for (const AuditFinding& f : result.findings) found = found || f.url == url;
        EXPECT_TRUE(found);
    }
}
