// The XML sitemaps: addresses escaped and checked, files split at 50,000 URLs
// and 50 MB under an index, written whole or not at all, every file read back
// by xmllint against the sitemaps.org 0.9 schemas; and the menu routine with
// scripted dialogs, browser and transfer control.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include "SiteMapFixture.h"
#include "sitemap/CreateXmlSitemap.h"
#include "sitemap/XmlSitemap.h"
#include "support/Errors.h"

using namespace fd;

namespace {

const QString kSchemas = QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/sitemap/schemas/");

QByteArray run(const QString& program, const QStringList& args, const QByteArray& input = {},
               int* exitCode = nullptr, QByteArray* errors = nullptr) {
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (errors) *errors = p.readAllStandardError();
    return p.readAllStandardOutput();
}

// The file's XML (uncompressed with zcat when it ends in .gz).
QByteArray xmlOf(const QString& path) {
    if (path.endsWith(".gz")) return run("zcat", {path});
    return test::readFile(path);
}

// Validates the file against the schema its root element calls for.
::testing::AssertionResult validSitemap(const QString& path) {
    const QByteArray xml = xmlOf(path);
    const QString schema =
        kSchemas + (xml.contains("<sitemapindex") ? "siteindex.xsd" : "sitemap.xsd");
    int code = 0;
    QByteArray errors;
    run("xmllint", {"--noout", "--schema", schema, "-"}, xml, &code, &errors);
    if (code == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << path.toStdString() << ": " << errors.left(2000).data();
}

QString locOf(const QString& root, const QString& entry, SitemapSite::Fit* fit = nullptr) {
    std::string loc;
    const SitemapSite::Fit f = SitemapSite::fromRootUrl(root)->locate(entry, loc);
    if (fit) *fit = f;
    return f == SitemapSite::Fit::Listed ? QString::fromStdString(loc) : QString();
}

QList<SitemapPage> numberedPages(int count) {
    QList<SitemapPage> pages;
    pages.reserve(count);
    for (int i = 0; i < count; ++i) pages.append({QStringLiteral("/p/%1.htm").arg(i), {}});
    return pages;
}

QStringList leftoverFiles(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

}  // namespace

TEST(SitemapAddress, EscapedForTheWebAndJoinedToTheRoot) {
    const struct {
        const char* root;
        const char* entry;
        const char* loc;  // "" when left out
    } cases[] = {
        // Joined with exactly one "/", whether the entry or root has one.
        {"http://a.example", "/index.htm", "http://a.example/index.htm"},
        {"http://a.example", "about.htm", "http://a.example/about.htm"},
        {"http://a.example/", "", "http://a.example/"},
        {"HTTP://A.Example/Shop", "/x.htm", "http://a.example/Shop/x.htm"},
        // Spaces, quotes, markup and characters outside ASCII percent-encoded
        // as UTF-8; sub-delimiters such as "&" and "'" stay for XML to escape.
        {"http://a.example", "/a b.htm", "http://a.example/a%20b.htm"},
        {"http://a.example", "/say \"hi\" <b>.htm",
         "http://a.example/say%20%22hi%22%20%3Cb%3E.htm"},
        {"http://a.example", "/q?a=1&b='2'", "http://a.example/q?a=1&b='2'"},
        {"http://a.example", "/café/über.htm", "http://a.example/caf%C3%A9/%C3%BCber.htm"},
        {"http://a.example", "/\xF0\x9F\x98\x80", "http://a.example/%F0%9F%98%80"},
        // Valid escapes kept; a bare "%" escaped.
        {"http://a.example", "/x%20y%c3%a9.htm", "http://a.example/x%20y%c3%a9.htm"},
        {"http://a.example", "/100%.htm", "http://a.example/100%25.htm"},
        // A fragment names a place in a page, not a page.
        {"http://a.example", "/page.htm#top", "http://a.example/page.htm"},
        // Whole addresses on the root's host, in any case, default port or
        // not; the rest are on another host.
        {"http://a.example/shop", "HTTP://A.EXAMPLE:80/x.htm", "http://a.example/x.htm"},
        {"http://a.example", "https://a.example/x.htm", ""},
        {"http://a.example", "http://www.a.example/x.htm", ""},
        {"http://a.example", "http://a.example:8080/x.htm", ""},
        {"https://a.example:443", "https://a.example/x.htm", "https://a.example/x.htm"},
        // Hosts outside ASCII compare in their ASCII form.
        {"http://bücher.example", "http://BÜCHER.example/a", "http://xn--bcher-kva.example/a"},
    };
    for (const auto& c : cases) {
        SitemapSite::Fit fit;
        EXPECT_EQ(locOf(QString::fromUtf8(c.root), QString::fromUtf8(c.entry), &fit),
                  QString::fromUtf8(c.loc))
            << c.root << " + " << c.entry;
        if (!*c.loc) {
            EXPECT_EQ(fit, SitemapSite::Fit::OtherHost) << c.entry;
        }
    }

    // The length limit counts the escaped address: 2,048 characters pass.
    const QString base = "http://a.example/";
    SitemapSite::Fit fit;
    EXPECT_EQ(locOf(base, QString(2048 - base.size(), 'x'), &fit).size(), 2048);
    EXPECT_EQ(locOf(base, 'a' + QString(677, ' ') + 'b', &fit), QString());  // 2,050 escaped
    EXPECT_EQ(fit, SitemapSite::Fit::TooLong);

    // Found by fuzzing: a host no browser can reach ("&" in its name, a port
    // that is not a number) would have started every address of the map.
    for (const char* bad :
         {"a.example", "ftp://a.example", "http://", "http:///x", "http://a b/",
          "http://www.ex&mple.com/", "http://a.example:abc/", "http://a.example:99999/"})
        EXPECT_FALSE(SitemapSite::fromRootUrl(bad)) << bad;
    EXPECT_EQ(SitemapSite::fromRootUrl("http://a.example/shop")->fileUrl("site map.xml"),
              "http://a.example/shop/site%20map.xml");
}

class XmlSitemapFiles : public ::testing::Test {
protected:
    QString path(const QString& name = "sitemap.xml") const { return dir.filePath(name); }
    XmlSitemapOptions options() const {
        XmlSitemapOptions o;
        o.written = QDate(2026, 7, 3);
        return o;
    }
    QTemporaryDir tmp;
    QDir dir{tmp.path()};
};

TEST_F(XmlSitemapFiles, TheDeliveredListValidatesWithTheRobotsLine) {
    QFile list(test::deliveredData() + "/WebPageLists/Sample.wsr");
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    QList<SitemapPage> pages;
    for (const QString& line : QString::fromUtf8(list.readAll()).split('\n', Qt::SkipEmptyParts))
        pages.append({line.trimmed(), QDate(2026, 1, 2)});
    const XmlSitemapSummary s =
        writeXmlSitemaps("http://www.example.com", pages, path(), options());
    EXPECT_EQ(s.urls, pages.size());
    EXPECT_EQ(s.files, QStringList{path()});
    EXPECT_TRUE(validSitemap(path()));
    EXPECT_TRUE(xmlOf(path()).contains(
        "<url><loc>http://www.example.com/index.html</loc><lastmod>2026-01-02</lastmod></url>\n"));
    EXPECT_TRUE(xmlSitemapMessage(s).endsWith(
        "Add this line to the site's robots.txt:\r\nSitemap: http://www.example.com/sitemap.xml"));
}

TEST_F(XmlSitemapFiles, AwkwardPagesAreEscapedOrLeftOutAndCounted) {
    const QList<SitemapPage> pages = {
        {"/Tom & Jerry's.htm", QDate(2025, 12, 31)},
        {"/a<b>.htm", {}},
        {"/\"quoted\".htm", {}},
        {"/two words.htm", {}},
        {"/two%20words.htm", {}},  // the same page as above once escaped
        {"/index.htm#top", {}},
        {"/index.htm", {}},  // the same page without its fragment
        {"/Zürich.htm", {}},
        {"/a%7eb.htm", {}},
        {"/a~b.htm", {}},  // the same once escapes are normalised
        {"http://elsewhere.example/x.htm", {}},
        {"/" + QString(3000, 'x'), {}},
        {"/robots.txt", {}},  // never listed, as in the HTML site map
    };
    const XmlSitemapSummary s = writeXmlSitemaps("http://a.example", pages, path(), options());
    EXPECT_TRUE(validSitemap(path()));
    EXPECT_EQ(xmlOf(path()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n"
              "<url><loc>http://a.example/Tom%20&amp;%20Jerry&apos;s.htm</loc>"
              "<lastmod>2025-12-31</lastmod></url>\n"
              "<url><loc>http://a.example/a%3Cb%3E.htm</loc></url>\n"
              "<url><loc>http://a.example/%22quoted%22.htm</loc></url>\n"
              "<url><loc>http://a.example/two%20words.htm</loc></url>\n"
              "<url><loc>http://a.example/index.htm</loc></url>\n"
              "<url><loc>http://a.example/Z%C3%BCrich.htm</loc></url>\n"
              "<url><loc>http://a.example/a%7eb.htm</loc></url>\n"
              "</urlset>\n");
    EXPECT_EQ(s.urls, 7);
    EXPECT_EQ(s.duplicates, 3);
    EXPECT_EQ(s.otherHost, 1);
    EXPECT_EQ(s.tooLong, 1);
    EXPECT_EQ(s.notListed, 1);
    EXPECT_EQ(xmlSitemapMessage(s),
              "The XML sitemap lists 7 URLs in one file, sitemap.xml.\r\n"
              "Left out: 1 page on another host, 1 page longer than 2,048 characters, 3 pages "
              "with the same address as an earlier page.\r\n"
              "Not listed, as in the HTML site map: 1 entry (robots.txt, logs, icons and server "
              "files).\r\n"
              "\r\n"
              "Add this line to the site's robots.txt:\r\n"
              "Sitemap: http://a.example/sitemap.xml");
}

TEST_F(XmlSitemapFiles, FiftyThousandUrlsFitOneFileOneMoreNeedsAnIndex) {
    XmlSitemapSummary s =
        writeXmlSitemaps("http://a.example", numberedPages(50000), path(), options());
    EXPECT_EQ(s.files, QStringList{path()});
    EXPECT_FALSE(s.indexed);
    EXPECT_TRUE(validSitemap(path()));

    s = writeXmlSitemaps("http://a.example", numberedPages(50001), path(), options());
    ASSERT_EQ(s.files, (QStringList{path(), path("sitemap-1.xml"), path("sitemap-2.xml")}));
    EXPECT_EQ(s.urls, 50001);
    for (const QString& f : s.files) EXPECT_TRUE(validSitemap(f));
    EXPECT_EQ(xmlOf(path()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n"
              "<sitemap><loc>http://a.example/sitemap-1.xml</loc><lastmod>2026-07-03</lastmod>"
              "</sitemap>\n"
              "<sitemap><loc>http://a.example/sitemap-2.xml</loc><lastmod>2026-07-03</lastmod>"
              "</sitemap>\n"
              "</sitemapindex>\n");
    EXPECT_EQ(xmlOf(path("sitemap-2.xml")).count("<url>"), 1);
    EXPECT_TRUE(xmlSitemapMessage(s).startsWith(
        "The XML sitemap lists 50,001 URLs in 2 files, sitemap-1.xml to sitemap-2.xml, under "
        "the index sitemap.xml.\r\n"));
    EXPECT_EQ(leftoverFiles(tmp.path()).size(), 3);  // no temporary file stays behind

    // New files can be published as they are; a replaced one keeps its mode.
    EXPECT_TRUE(QFileInfo(path("sitemap-2.xml")).permissions() & QFile::ReadOther);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    writeXmlSitemaps("http://a.example", numberedPages(1), path(), options());
    EXPECT_EQ(QFileInfo(path()).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(XmlSitemapFiles, AFileMayReachFiftyMegabytesButNotPassThem) {
    const qint64 limit = 50LL * 1024 * 1024;
    const QString base = "http://a.example/";
    auto page = [&](qint64 n, qint64 locLength) {
        const QString prefix = QStringLiteral("%1-").arg(n, 8, 10, QChar('0'));
        return SitemapPage{prefix + QString(locLength - base.size() - prefix.size(), 'x'), {}};
    };
    // What a file costs beyond its addresses: header and footer once, the
    // tags around each address.
    writeXmlSitemaps(base, {page(0, 100)}, path(), options());
    const qint64 perEntry = 23;
    const qint64 frame = QFileInfo(path()).size() - perEntry - 100;

    // Addresses of 2,000 characters, the last few longer, filling the file
    // to exactly 50 MB.
    const qint64 count = (limit - frame) / (perEntry + 2000);
    std::vector<qint64> lengths(count, 2000);
    qint64 rest = limit - frame - count * (perEntry + 2000);
    for (auto it = lengths.rbegin(); rest > 0; ++it) {
        const qint64 add = std::min<qint64>(rest, kMaxSitemapUrlLength - 2000);
        *it += add;
        rest -= add;
    }
    QList<SitemapPage> pages;
    for (qint64 i = 0; i < count; ++i) pages.append(page(i, lengths[i]));

    XmlSitemapSummary s = writeXmlSitemaps(base, pages, path(), options());
    ASSERT_EQ(s.files.size(), 1);
    EXPECT_EQ(QFileInfo(path()).size(), limit);
    EXPECT_TRUE(validSitemap(path()));

    pages.append(page(count, 40));
    s = writeXmlSitemaps(base, pages, path(), options());
    ASSERT_EQ(s.files.size(), 3);
    EXPECT_EQ(QFileInfo(path("sitemap-1.xml")).size(), limit);
    EXPECT_EQ(xmlOf(path("sitemap-2.xml")).count("<url>"), 1);
    EXPECT_TRUE(validSitemap(path()));
}

TEST_F(XmlSitemapFiles, GzipReadsBackWithZcat) {
    const QList<SitemapPage> pages = {{"/a.htm", QDate(2026, 2, 3)}, {"/b c.htm", {}}};
    writeXmlSitemaps("http://a.example", pages, path("plain.xml"), options());
    const XmlSitemapSummary s =
        writeXmlSitemaps("http://a.example", pages, path("sitemap.xml.gz"), options());
    EXPECT_EQ(s.sitemapUrl, "http://a.example/sitemap.xml.gz");
    EXPECT_TRUE(test::readFile(path("sitemap.xml.gz")).startsWith("\x1f\x8b"));
    EXPECT_EQ(xmlOf(path("sitemap.xml.gz")), test::readFile(path("plain.xml")));
    EXPECT_TRUE(validSitemap(path("sitemap.xml.gz")));

    // Split files are compressed too, and named before the double extension.
    XmlSitemapOptions small = options();
    small.maxUrlsPerFile = 1;
    const XmlSitemapSummary split =
        writeXmlSitemaps("http://a.example", pages, path("sitemap.xml.gz"), small);
    EXPECT_EQ(split.files.last(), path("sitemap-2.xml.gz"));
    for (const QString& f : split.files) EXPECT_TRUE(validSitemap(f));
    EXPECT_TRUE(xmlOf(path("sitemap.xml.gz")).contains("http://a.example/sitemap-2.xml.gz"));
}

TEST_F(XmlSitemapFiles, NothingToListWritesNothing) {
    const XmlSitemapSummary s = writeXmlSitemaps(
        "http://a.example", {{"/robots.txt", {}}, {"http://b.example/", {}}}, path(), options());
    EXPECT_TRUE(s.files.isEmpty());
    EXPECT_TRUE(leftoverFiles(tmp.path()).isEmpty());
    EXPECT_EQ(xmlSitemapMessage(s),
              "No XML sitemap was written: none of the pages can be listed.\r\n"
              "Left out: 1 page on another host.\r\n"
              "Not listed, as in the HTML site map: 1 entry (robots.txt, logs, icons and server "
              "files).");
}

TEST_F(XmlSitemapFiles, AFailureKeepsTheEarlierFiles) {
    QFile old(path());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier sitemap");
    old.close();
    // The second numbered file cannot take its place (a folder has its
    // name): the index is never replaced, no temporary file stays.
    ASSERT_TRUE(dir.mkdir("sitemap-1.xml"));
    XmlSitemapOptions o = options();
    o.maxUrlsPerFile = 1;
    EXPECT_EQ(test::errorNumberOf(
                  [&] { writeXmlSitemaps("http://a.example", numberedPages(2), path(), o); }),
              err::kPermissionDenied);
    EXPECT_EQ(test::readFile(path()), "earlier sitemap");
    EXPECT_EQ(leftoverFiles(tmp.path()), QStringList{"sitemap.xml"});

    EXPECT_EQ(test::errorNumberOf([&] {
                  writeXmlSitemaps("http://a.example", numberedPages(2), path("no/sitemap.xml"));
              }),
              err::kPathNotFound);
    EXPECT_EQ(test::errorNumberOf([&] { writeXmlSitemaps("a.example", numberedPages(2), path()); }),
              err::kInvalidProcedureCall);
}

TEST(XmlSitemapDates, LatestRecordedDayOfTheSitesPages) {
    test::TestFolder folder;
    folder.exec("INSERT INTO WebSites (WebSiteID, WebSiteGenericName) VALUES (41, 'Acme')");
    folder.exec("INSERT INTO WebSites (WebSiteID, WebSiteGenericName) VALUES (42, 'Other')");
    folder.exec(
        "INSERT INTO WebSitePages (WebSiteID, PageURL, UpdatedDate) VALUES "
        "(41, '/a.htm', '2026-03-01 10:00:00'), (41, '/a.htm', '2026-04-02 09:00:00'), "
        "(41, '/b.htm', NULL), (42, '/c.htm', '2026-05-05 00:00:00')");
    const QHash<QString, QDate> dates = pageUpdateDates(*folder.globals().gDB, "Acme");
    EXPECT_EQ(dates, (QHash<QString, QDate>{{"/a.htm", QDate(2026, 4, 2)}}));
}

namespace {

class QueuedTransfer : public InetTransfer {
public:
    QByteArray openUrl(const QString&) override { return {}; }
    void startPut(const QString&, const QString&, const QString&, const QString& local,
                  const QString& remote) override {
        puts << QStringList{local, remote};
        busyChecks = 2;  // the control stays busy for two questions
    }
    bool stillExecuting() const override { return busyChecks-- > 0; }
    int responseCode() const override { return 0; }
    QString responseInfo() const override { return {}; }
    QList<QStringList> puts;
    mutable int busyChecks = 0;
};

}  // namespace

using XmlSitemapRun = test::SiteMapFixture<QueuedTransfer>;

TEST_F(XmlSitemapRun, TreeAndRootProblemsAreToldBeforeTheDialog) {
    CreateXmlSitemap_Click({}, {}, services());
    CreateXmlSitemap_Click({"http://a.example"}, {}, services());
    CreateXmlSitemap_Click({"www.a.example", "/a.htm"}, {}, services());
    const auto texts = dialogs.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], siteMapTreeMessage({}));
    EXPECT_EQ(texts[1], siteMapTreeMessage({"r"}));
    EXPECT_TRUE(texts[2].startsWith("An XML sitemap needs a root URL"));
    EXPECT_TRUE(dialogs.fileRequests.empty());
}

TEST_F(XmlSitemapRun, SavesShowsSumsUpAndDeclines) {
    const QString path = folder.file("WebPageLists/sitemap.xml");
    dialogs.files.push_back(path);
    CreateXmlSitemap_Click({"http://a.example", "/a.htm", "/b.htm"},
                           {{"/a.htm", QDate(2026, 1, 5)}}, services());
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const FileDialogRequest& r = dialogs.fileRequests[0];
    EXPECT_EQ(r.initialDir, folder.path() + "/WebPageLists");
    EXPECT_EQ(r.initialFile, "sitemap.xml");
    EXPECT_TRUE(r.extensionFromFilter);
    EXPECT_EQ(withFilterExtension("/x/sitemap.xml", r.filter, 2), "/x/sitemap.xml.gz");

    EXPECT_TRUE(validSitemap(path));
    EXPECT_TRUE(test::readFile(path).contains("<lastmod>2026-01-05</lastmod>"));
    EXPECT_EQ(browser.navigations, QStringList{QUrl::fromLocalFile(path).toString()});
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("Sitemap: http://a.example/sitemap.xml"));
    EXPECT_EQ(dialogs.messages[1].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(inet.puts.isEmpty());
}

TEST_F(XmlSitemapRun, UploadsTheIndexThenEachFileAsTheControlFrees) {
    QStringList nodes{"http://a.example"};
    for (int i = 0; i < 50001; ++i) nodes << QStringLiteral("/p%1.htm").arg(i);
    dialogs.files.push_back(folder.file("sitemap.xml.gz"));
    dialogs.answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    QObject owner;
    SiteMapServices s = services();
    s.owner = &owner;
    CreateXmlSitemap_Click(nodes, {}, s);
    EXPECT_EQ(dialogs.lastText(), "Successfully sent file to Tallowby.");
    EXPECT_TRUE(browser.navigations.isEmpty());  // compressed files are not shown

    QElapsedTimer clock;
    clock.start();
    while (inet.puts.size() < 3 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(inet.puts.size(), 3);
    EXPECT_EQ(inet.puts[0], (QStringList{folder.file("sitemap.xml.gz"),
                                         "/Tallowby/QELS/uploads/SM-07030507-04.xml.gz"}));
    EXPECT_EQ(inet.puts[2], (QStringList{folder.file("sitemap-2.xml.gz"),
                                         "/Tallowby/QELS/uploads/SM-07030507-04-2.xml.gz"}));
}

TEST_F(XmlSitemapRun, AFileThatCannotBeWrittenIsToldAndLogged) {
    dialogs.files.push_back(folder.file("missing/sitemap.xml"));
    CreateXmlSitemap_Click({"http://a.example", "/a.htm"}, {}, services());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.lastText().startsWith("The XML sitemap could not be written"));
    EXPECT_TRUE(folder.errorLog().contains(",CreateXmlSitemap_Click,76,"));
    EXPECT_TRUE(browser.navigations.isEmpty());
}

// A long list shows its progress. Cancel, whether while the pages are written
// or once every file is complete, says nothing and leaves the earlier sitemap
// and no temporary file; a run to the end replaces it.
TEST_F(XmlSitemapRun, CancelKeepsTheEarlierSitemap) {
    const QString maps = folder.file("maps");
    ASSERT_TRUE(QDir().mkpath(maps));
    const QString path = maps + "/sitemap.xml";
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier sitemap");
    }
    QStringList nodes{"http://a.example"};
    for (int i = 0; i < 60000; ++i) nodes << QStringLiteral("/p%1.htm").arg(i);

    for (const qint64 cancelAt : {30000, 60000}) {
        dialogs.files.push_back(path);
        dialogs.cancelProgressAt = cancelAt;
        CreateXmlSitemap_Click(nodes, {}, services());
        EXPECT_TRUE(dialogs.messages.empty()) << cancelAt;
        EXPECT_EQ(test::readFile(path), "earlier sitemap") << cancelAt;
        EXPECT_EQ(leftoverFiles(maps), QStringList{"sitemap.xml"}) << cancelAt;
        EXPECT_EQ(folder.errorLog(), "");
    }

    dialogs.cancelProgressAt.reset();
    dialogs.files.push_back(path);
    CreateXmlSitemap_Click(nodes, {}, services());
    ASSERT_EQ(dialogs.progresses.size(), 3u);
    EXPECT_EQ(dialogs.progresses[2].maximum, 60000);
    EXPECT_EQ(dialogs.progresses[2].furthest, 60000);
    EXPECT_EQ(leftoverFiles(maps), (QStringList{"sitemap-1.xml", "sitemap-2.xml", "sitemap.xml"}));
    EXPECT_TRUE(dialogs.lastText().startsWith("Would you like to upload"));
}

TEST(FilterExtension, ChosenFilterCompletesTheName) {
    const QString filter = "XML (*.xml)|*.xml|Compressed (*.xml.gz)|*.xml.gz|All (*.*)|*.*";
    const struct {
        const char* typed;
        int chosen;
        const char* result;
    } cases[] = {
        {"/d/sitemap", 1, "/d/sitemap.xml"},           {"/d/sitemap", 2, "/d/sitemap.xml.gz"},
        {"/d/sitemap.xml", 2, "/d/sitemap.xml.gz"},    {"/d/sitemap.XML", 1, "/d/sitemap.XML"},
        {"/d/sitemap.xml.gz", 1, "/d/sitemap.xml.gz"}, {"/d/map.txt", 3, "/d/map.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withFilterExtension(c.typed, filter, c.chosen), c.result) << c.typed;
}
