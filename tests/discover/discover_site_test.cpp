// Discovery against real local servers: a generated site whose robots.txt
// names nested and looping indexes, gzip, text and feed sitemaps with
// off-origin, outside, too long and doubled entries; the usual places when
// robots.txt names none; a site with nothing; the hostile peer's sitemaps.
// The list found is the one expected, in order, with the reasons for what is
// left out; the server's log proves what was never asked for; the list
// written and imported again gives the same addresses; and the last-modified
// times are kept, read back and used by the XML sitemap.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include "discover/LastModified.h"
#include "discover/PageDiscovery.h"
#include "sitemap/XmlSitemap.h"
#include "sites/PageAddress.h"
#include "sites/PageList.h"
#include "support/HostileServer.h"
#include "support/PeerProcess.h"
#include "support/QtPrinters.h"
#include "support/TestFolder.h"

using namespace fd;
using namespace fd::discover;

namespace {

class Site {
public:
    explicit Site(const char* scenario)
        : log_(dir_.filePath(QStringLiteral("requests.log"))),
          peer_(QStringLiteral(FARROWDALE_TEST_FIXTURES "/discover_site.py"),
                {QString::fromLatin1(scenario), log_}) {}
    bool ok() const { return peer_.ok(); }
    QString origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(peer_.port()); }
    // The paths asked for, in order.
    QStringList requested() const {
        QFile f(log_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList paths;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("GET ")) paths << QString::fromUtf8(line.mid(4));
        return paths;
    }

private:
    QTemporaryDir dir_;
    QString log_;
    test::PeerProcess peer_;
};

DiscoveryOptions quick() {
    DiscoveryOptions o;
    o.fetch.connectTimeoutMs = 2000;
    o.fetch.totalTimeoutMs = 3000;
    return o;
}

DiscoveryResult discover(const QString& root, const DiscoveryOptions& options = quick(),
                         const QStringList& current = {}) {
    std::atomic<bool> cancel{false};
    return discoverPages(root, current, options, nullptr, cancel);
}

QStringList texts(const DiscoveryResult& r) {
    QStringList out;
    for (const FoundPage& p : r.pages) out << p.text;
    return out;
}

const SourceFile* source(const DiscoveryResult& r, const QString& url) {
    for (const SourceFile& s : r.sources)
        if (s.url == url) return &s;
    return nullptr;
}

qint64 leftOut(const DiscoveryResult& r, LeftOut why) {
    return r.leftOut[std::size_t(why)];
}

const QStringList kMainPages = {"a.html",      "b.html",      "c%7E.html",   "q?id=1&s=2",
                                "g1.html",     "deep.html",   "news-1.html", "news-2.html",
                                "post-1.html", "post-2.html", "t1.html",     "t2.html"};

TEST(DiscoverSite, RobotsSitemapsAndIndexesGiveTheListInOrderWithReasons) {
    Site site("main");
    ASSERT_TRUE(site.ok());
    const QString root = site.origin() + "/site/";
    const DiscoveryResult r = discover(root);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(texts(r), kMainPages);
    // Each page gives its own address back under the root URL.
    for (const FoundPage& p : r.pages)
        EXPECT_TRUE(sites::pageAddress(root, p.text).startsWith(root)) << p.text.toStdString();

    EXPECT_EQ(leftOut(r, LeftOut::OtherOrigin), 2);    // another host, https
    EXPECT_EQ(leftOut(r, LeftOut::OutsideFolder), 1);  // /elsewhere/
    EXPECT_EQ(leftOut(r, LeftOut::NotHttp), 2);        // ftp:, a relative address
    EXPECT_EQ(leftOut(r, LeftOut::TooLong), 1);
    // c~.html (as c%7E.html), a.html in capitals, a.html in the text sitemap.
    EXPECT_EQ(leftOut(r, LeftOut::Duplicate), 3);
    EXPECT_EQ(r.filesTooDeep, 1);
    EXPECT_EQ(r.filesOverLimit, 0);
    EXPECT_EQ(r.comparison.fresh, kMainPages.size());

    // robots.txt, lines ending in CR, LF and CR LF, named the index (in
    // capitals, relative, twice), two feeds, a text sitemap and a broken one.
    const SourceFile* robots = source(r, site.origin() + "/robots.txt");
    ASSERT_TRUE(robots);
    EXPECT_EQ(robots->addresses, 5);
    const SourceFile* broken = source(r, site.origin() + "/broken.xml");
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->state, SourceFile::State::Failed);
    EXPECT_TRUE(broken->problem.startsWith("line 4, column ")) << broken->problem.toStdString();
    EXPECT_FALSE(texts(r).contains("broken-1.html")) << "a malformed file is taken whole or not";
    EXPECT_EQ(r.problems().size(), 2);  // broken.xml and the missing file
    const SourceFile* missing = source(r, site.origin() + "/maps/missing.xml");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->state, SourceFile::State::Failed);
    EXPECT_EQ(missing->problem, "HTTP status 404");
    const SourceFile* gz = source(r, site.origin() + "/maps/gzip-no-suffix");
    ASSERT_TRUE(gz);
    EXPECT_EQ(gz->kind, SitemapKind::UrlSet);
    EXPECT_EQ(source(r, site.origin() + "/feed.rss")->kind, SitemapKind::Rss);
    EXPECT_EQ(source(r, site.origin() + "/atom.xml")->kind, SitemapKind::Atom);
    EXPECT_EQ(source(r, site.origin() + "/pages.txt")->kind, SitemapKind::Text);

    // A file named twice (or in a loop) is read once; the index nested too
    // deep names a file that is never asked for; no page is fetched without
    // a crawl.
    const QStringList asked = site.requested();
    for (const char* once : {"/robots.txt", "/index.xml", "/maps/pages.xml.gz", "/maps/loop.xml",
                             "/maps/nested-3.xml"})
        EXPECT_EQ(asked.count(QLatin1String(once)), 1) << once;
    EXPECT_FALSE(asked.contains("/maps/too-deep.xml"));
    for (const QString& path : asked) EXPECT_FALSE(path.endsWith(".html")) << path.toStdString();

    // The dates as the site gave them, in UTC; none where there was none or
    // it was no date.
    auto when = [&](const char* text) {
        for (const FoundPage& p : r.pages)
            if (p.text == QLatin1String(text))
                return p.lastModified == kNoDate
                           ? QString()
                           : QDateTime::fromSecsSinceEpoch(p.lastModified, Qt::UTC)
                                 .toString(Qt::ISODate);
        return QStringLiteral("(missing)");
    };
    EXPECT_EQ(when("a.html"), "2024-03-01T00:00:00Z");
    EXPECT_EQ(when("b.html"), "2024-03-02T08:30:00Z");
    EXPECT_EQ(when("deep.html"), "2023-12-31T00:00:00Z");
    EXPECT_EQ(when("news-1.html"), "2024-03-01T10:00:00Z");
    EXPECT_EQ(when("post-1.html"), "2024-02-01T00:00:00Z");
    EXPECT_EQ(when("q?id=1&s=2"), "");
    EXPECT_EQ(when("t1.html"), "");
}

TEST(DiscoverSite, TheCrawlAddsLinkedPagesUnderRobotsTxt) {
    Site site("main");
    ASSERT_TRUE(site.ok());
    DiscoveryOptions o = quick();
    o.crawl = true;
    o.pageLimit = 100;
    const DiscoveryResult r = discover(site.origin() + "/site/", o);
    EXPECT_TRUE(r.crawled);
    EXPECT_EQ(texts(r), kMainPages + QStringList({"crawl-1.html", "crawl-2.html"}));
    EXPECT_EQ(r.crawlAdded, 2);
    EXPECT_EQ(r.crawlDisallowed, 1);  // private/secret.html
    // The query page and missing-page.html answer 404.
    EXPECT_EQ(r.crawlFailed, 2);
    EXPECT_EQ(leftOut(r, LeftOut::OutsideFolder), 2);  // and /elsewhere/out.html
    const QStringList asked = site.requested();
    EXPECT_FALSE(asked.contains("/site/private/secret.html"));
    EXPECT_EQ(asked.count("/robots.txt"), 2) << "once for the sitemaps, once by the crawler";

    // The limit holds: with two pages, only the root and one sitemap page.
    o.pageLimit = 2;
    const DiscoveryResult small = discover(site.origin() + "/site/", o);
    EXPECT_LE(small.crawlFetched, 2);
}

TEST(DiscoverSite, WithoutSitemapLinesTheUsualPlacesAreTried) {
    Site site("fallback");
    ASSERT_TRUE(site.ok());
    const DiscoveryResult r = discover(site.origin());
    EXPECT_EQ(texts(r), QStringList({"/a.html", "/b.html", "/c.html"}));
    EXPECT_EQ(source(r, site.origin() + "/robots.txt")->state, SourceFile::State::NotFound);
    const SourceFile* index = source(r, site.origin() + "/sitemap_index.xml");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->state, SourceFile::State::NotFound);
    EXPECT_TRUE(r.problems().isEmpty()) << "a usual place that is empty is no failure";
}

TEST(DiscoverSite, ASiteWithNothingFindsNothing) {
    Site site("empty");
    ASSERT_TRUE(site.ok());
    const DiscoveryResult r = discover(site.origin() + "/");
    EXPECT_TRUE(r.foundNothing());
    EXPECT_EQ(r.sources.size(), 4);
    EXPECT_EQ(discover("ftp://127.0.0.1/").error.isEmpty(), false);
    EXPECT_TRUE(discover("not a url").error.contains("http://"));
}

// The hostile peer's sitemaps, each with what it got: refused or stopped at
// its limit, named with a reason, none of it in the list; its good sitemap
// is still read.
TEST(DiscoverSite, HostileSitemapsAreRefusedAndTheOthersStillRead) {
    test::HostileServer peer;
    ASSERT_TRUE(peer.ok());
    // Long enough to read 50 MB on a busy machine, short enough for the
    // peers that never finish.
    DiscoveryOptions o = quick();
    o.fetch.totalTimeoutMs = 8000;
    const DiscoveryResult r = discover(peer.url("/"), o);
    EXPECT_EQ(texts(r), QStringList({"page-0.html", "page-1.html", "page-2.html"}));
    const struct {
        const char* path;
        const char* says;
    } cases[] = {
        {"/sitemap-entity-bomb", "DOCTYPE"},
        {"/sitemap-external-entity", "DOCTYPE"},
        {"/sitemap-60mb", "larger than 50 MB"},
        {"/sitemap-gzip-bomb", "larger than 50 MB uncompressed"},
        {"/sitemap-drip", "timed out"},
        {"/drip", "timed out"},
        {"/silent", "timed out"},
        {"/huge", "larger than 50 MB"},
        {"/gzip", "larger than 50 MB"},
        {"/loop", "redirects"},
        {"/reset", ""},
        {"/short", ""},
    };
    for (const auto& c : cases) {
        const SourceFile* s = source(r, peer.url(QString::fromLatin1(c.path)));
        ASSERT_TRUE(s) << c.path;
        EXPECT_EQ(s->state, SourceFile::State::Failed) << c.path;
        EXPECT_FALSE(s->problem.isEmpty()) << c.path;
        EXPECT_TRUE(s->problem.contains(QLatin1String(c.says), Qt::CaseInsensitive))
            << c.path << ": " << s->problem.toStdString();
    }
    EXPECT_EQ(r.problems().size(), int(std::size(cases)));
    // The external entities were never fetched.
    QString line;
    QStringList asked;
    while (!(line = peer.nextLine()).isEmpty()) asked << line;
    EXPECT_FALSE(asked.join(' ').contains("/leak")) << asked.join('\n').toStdString();
}

TEST(DiscoverSite, LimitsOfFilesAddressesAndCancelAreKept) {
    Site site("main");
    ASSERT_TRUE(site.ok());
    DiscoveryOptions o = quick();
    o.maxFiles = 3;
    o.maxAddresses = 3;
    const DiscoveryResult r = discover(site.origin() + "/site/", o);
    // robots.txt and the first three files it names: the index, the feeds.
    EXPECT_EQ(r.sources.size(), 4);
    // The other two robots.txt names, and the index's five sitemaps (one
    // named twice, counted once).
    EXPECT_EQ(r.filesOverLimit, 7);
    EXPECT_EQ(r.pages.size(), 3);
    EXPECT_TRUE(r.summaryLines().contains("Not taken: 1 beyond the limit of 3 addresses"))
        << r.summaryLines().join('\n').toStdString();
    EXPECT_TRUE(r.summaryLines().contains("Not read: 7 sitemaps beyond the limit of 3 files"));
    EXPECT_GT(r.overAddressLimit, 0);

    std::atomic<bool> cancel{true};
    const DiscoveryResult stopped =
        discoverPages(site.origin() + "/site/", {}, quick(), nullptr, cancel);
    EXPECT_TRUE(stopped.cancelled);
}

// The list found meets the list there: how many are new and gone, and what
// Replace and Add give, by the sitemap's rule of the same address.
TEST(DiscoveredList, ComparedWithTheCurrentListByAddress) {
    const ListRule rule = *ListRule::forRoot("http://example.org/shop/");
    QList<FoundPage> found;
    for (const char* a : {"http://example.org/shop/a.html", "http://EXAMPLE.org:80/shop/b%7e.html",
                          "http://example.org/shop/new.html"}) {
        FoundPage p;
        EXPECT_FALSE(rule.place(QString::fromLatin1(a), &p).has_value()) << a;
        found << p;
    }
    EXPECT_EQ(found[1].text, "b%7e.html");
    const QStringList current = {"a.html", "/b~.html", "old.html", "old.html",
                                 "http://elsewhere.example/x"};
    const ListComparison c = compareWithList(rule, found, current);
    EXPECT_EQ(c.fresh, 1);
    EXPECT_EQ(c.gone, 2);  // old.html once, and the page elsewhere
    EXPECT_EQ(c.isNew, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(listAfter(found, c, current, ListChange::Replace),
              QStringList({"a.html", "b%7e.html", "new.html"}));
    EXPECT_EQ(listAfter(found, c, current, ListChange::Add), current + QStringList{"new.html"});

    // The root itself is the tree's root node, not a page.
    FoundPage rootPage;
    EXPECT_FALSE(rule.place(QStringLiteral("http://example.org/shop/"), &rootPage).has_value());
    EXPECT_TRUE(rootPage.text.isEmpty());
    EXPECT_EQ(rule.place(QStringLiteral("http://example.org/shopping/"), &rootPage),
              LeftOut::OutsideFolder);
    EXPECT_EQ(rule.place(QStringLiteral("mailto:me@example.org"), &rootPage), LeftOut::NotHttp);
}

// A sitemap's address in UTF-8 is placed as the same address in text is,
// whether it takes the short way (plain, under the root as written) or not.
TEST(DiscoveredList, BytesArePlacedAsTextIs) {
    const QStringList roots = {"http://example.org/shop/", "http://example.org/shop",
                               "http://example.org", "HTTP://Example.org:80/shop/",
                               "https://example.org/caf%C3%A9/"};
    const QStringList tails = {"a.html",    "a/b?c=1&d=2",    "/a.html",          "?q=1",
                               "a%7E.html", "caf\u00e9.html", "a b.html",         "a.html#top",
                               "",          "x//y",           QString(2100, u'x')};
    QStringList addresses = {"http://other.example/shop/a", "ftp://example.org/shop/a",
                             "http://example.org/shopping", "https://example.org/shop/a"};
    for (const QString& root : roots)
        for (const QString& tail : tails) addresses << root + tail << root + u'/' + tail;
    for (const QString& root : roots) {
        const ListRule rule = *ListRule::forRoot(root);
        for (const QString& address : addresses) {
            FoundPage fromText, fromBytes;
            const std::optional<LeftOut> a = rule.place(address, &fromText);
            const QByteArray utf8 = address.toUtf8();
            const std::optional<LeftOut> b = rule.place(
                std::string_view(utf8.constData(), std::size_t(utf8.size())), &fromBytes);
            SCOPED_TRACE(root.toStdString() + " " + address.left(80).toStdString());
            EXPECT_EQ(a, b);
            if (a || b) continue;
            EXPECT_EQ(fromText.text, fromBytes.text);
            EXPECT_EQ(fromText.key, fromBytes.key);
            if (!fromText.text.isEmpty()) {
                EXPECT_EQ(fromText.key, rule.hashOfText(fromText.text));
            }
        }
    }
}

// The list written by the page-list writer and read back by the import
// gives the same addresses; the last-modified times go to their table and
// come back, and the XML sitemap takes the later day.
TEST(DiscoverSite, TheListReadsBackAndTheDatesAreKept) {
    Site site("main");
    ASSERT_TRUE(site.ok());
    const QString root = site.origin() + "/site/";
    const DiscoveryResult r = discover(root);
    test::TestFolder folder;
    const QString path = folder.file("list.wsr");
    sites::writePageListFile(path, listAfter(r.pages, r.comparison, {}, ListChange::Replace));
    const QStringList back = sites::readPageListFile(path);
    ASSERT_EQ(back.size(), r.pages.size());
    for (qsizetype i = 0; i < back.size(); ++i)
        EXPECT_EQ(sites::pageAddress(root, back[i]), sites::pageAddress(root, r.pages[i].text));

    const QString db = folder.globals().gDB->databasePath();
    ASSERT_EQ(storeLastModified(db, root, r.pages, ListChange::Replace), "");
    QHash<QString, QDateTime> kept = readLastModified(db, root);
    EXPECT_EQ(kept.size(), 5);
    EXPECT_EQ(kept.value("b.html").toString(Qt::ISODate), "2024-03-02T08:30:00Z");
    EXPECT_TRUE(readLastModified(db, root + "other/").isEmpty());

    // Add keeps the other rows and brings the found ones up to date; Replace
    // makes the root's rows those of the discovery.
    FoundPage extra;
    extra.text = "extra.html";
    extra.lastModified = QDateTime(QDate(2025, 5, 5), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    QList<FoundPage> later = {extra};
    FoundPage a = r.pages.first();
    a.lastModified = QDateTime(QDate(2025, 1, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    later << a;
    ASSERT_EQ(storeLastModified(db, root, later, ListChange::Add), "");
    kept = readLastModified(db, root);
    EXPECT_EQ(kept.size(), 6);
    EXPECT_EQ(kept.value("a.html").toString(Qt::ISODate), "2025-01-01T12:00:00Z");
    // Stopped by its progress, the store changes nothing.
    ASSERT_EQ(storeLastModified(db, root, later, ListChange::Replace,
                                [](qint64, qint64) { return false; }),
              "");
    EXPECT_EQ(readLastModified(db, root).size(), 6);
    ASSERT_EQ(storeLastModified(db, root, later, ListChange::Replace), "");
    EXPECT_EQ(readLastModified(db, root).size(), 2);

    // The sitemap's day: the later of the recorded update and the site's.
    QHash<QString, QDate> days = {{"a.html", QDate(2025, 2, 1)}, {"extra.html", QDate(2025, 1, 1)}};
    keepLaterDates(days, readLastModified(db, root));
    EXPECT_EQ(days.value("a.html"), QDate(2025, 2, 1));
    EXPECT_EQ(days.value("extra.html"), QDate(2025, 5, 5));

    // A database without the table (or none at all) reads as no dates.
    QString error;
    EXPECT_TRUE(readLastModified(folder.file("missing.db"), root, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(
        storeLastModified(folder.file("missing.db"), root, r.pages, ListChange::Add).isEmpty());
}

}  // namespace
