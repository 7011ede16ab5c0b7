// Reading a site's sitemaps: every kind the protocol accepts gives its
// addresses and dates in file order, gzip is told by its bytes, the result
// does not depend on how the bytes arrive, a document type declaration is
// refused before anything in it is read, malformed XML is named by line and
// column, and a file over the limit, or a gzip bomb, stops at the limit. The
// sitemaps the program writes read back as the pages they were written from.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "sitemap/SitemapReader.h"
#include "sitemap/XmlSitemap.h"
#include "support/QtPrinters.h"

using namespace fd;

namespace {

struct Read {
    bool ok = false;
    SitemapKind kind = SitemapKind::Unknown;
    QStringList addresses;
    QStringList dates;
    QString error;
    bool compressed = false;
};

// Reads bytes fed in pieces of step bytes (all at once when step is 0).
Read readBytes(const QByteArray& bytes, qsizetype step = 0, qint64 limit = kMaxSitemapBytes) {
    Read r;
    SitemapReader reader(
        [&](std::string_view address, std::string_view date) {
            r.addresses << QString::fromUtf8(address.data(), qsizetype(address.size()));
            r.dates << QString::fromUtf8(date.data(), qsizetype(date.size()));
        },
        limit);
    bool ok = true;
    const qsizetype piece = step > 0 ? step : qMax<qsizetype>(1, bytes.size());
    for (qsizetype i = 0; ok && i < bytes.size(); i += piece)
        ok = reader.feed(bytes.constData() + i, qMin(piece, bytes.size() - i));
    r.ok = ok && reader.finish();
    r.kind = reader.kind();
    r.error = reader.error();
    r.compressed = reader.compressed();
    return r;
}

QByteArray gzipped(const QByteArray& data) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

const QByteArray kUrlset =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"\n"
    "        xmlns:image=\"http://www.google.com/schemas/sitemap-image/1.1\">\n"
    "  <url>\n    <loc>\n      http://example.org/a?x=1&amp;y=2\n    </loc>\n"
    "    <lastmod>2024-03-01</lastmod>\n"
    "    <image:image><image:loc>http://example.org/picture.png</image:loc></image:image>\n"
    "  </url>\n"
    "  <url><lastmod>2024-01-01</lastmod><loc><![CDATA[http://example.org/caf\xC3\xA9]]></loc>"
    "</url>\n"
    "  <url><lastmod>2024-01-01</lastmod></url>\n"
    "</urlset>\n";

TEST(SitemapReader, EveryKindGivesItsAddressesAndDatesInFileOrder) {
    const Read urlset = readBytes(kUrlset);
    ASSERT_TRUE(urlset.ok) << urlset.error.toStdString();
    EXPECT_EQ(urlset.kind, SitemapKind::UrlSet);
    // The image's own <loc> is not a page; a <url> without <loc> names none.
    EXPECT_EQ(urlset.addresses,
              QStringList({"http://example.org/a?x=1&y=2", "http://example.org/caf\u00e9"}));
    EXPECT_EQ(urlset.dates, QStringList({"2024-03-01", "2024-01-01"}));

    const Read index = readBytes(
        "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
        "<sitemap><loc>http://example.org/s1.xml</loc><lastmod>2024-02-01</lastmod></sitemap>"
        "<sitemap><loc>http://example.org/s2.xml.gz</loc></sitemap></sitemapindex>");
    EXPECT_EQ(index.kind, SitemapKind::Index);
    EXPECT_EQ(index.addresses,
              QStringList({"http://example.org/s1.xml", "http://example.org/s2.xml.gz"}));

    const Read text = readBytes(
        "http://example.org/1\r\n\r\n  http://example.org/2 \n"
        "http://example.org/3\rhttp://example.org/4");
    EXPECT_TRUE(text.ok);
    EXPECT_EQ(text.kind, SitemapKind::Text);
    EXPECT_EQ(text.addresses, QStringList({"http://example.org/1", "http://example.org/2",
                                           "http://example.org/3", "http://example.org/4"}));

    const Read rss = readBytes(
        "<rss version=\"2.0\" xmlns:atom=\"http://www.w3.org/2005/Atom\"><channel>"
        "<link>http://example.org/</link><atom:link href=\"http://example.org/feed\"/>"
        "<item><link>http://example.org/n1</link><pubDate>Fri, 01 Mar 2024 10:00:00 GMT"
        "</pubDate></item><item><atom:link href=\"http://example.org/no\"/>"
        "<link>http://example.org/n2</link></item></channel></rss>");
    EXPECT_EQ(rss.kind, SitemapKind::Rss);
    EXPECT_EQ(rss.addresses, QStringList({"http://example.org/n1", "http://example.org/n2"}));
    EXPECT_EQ(rss.dates.first(), "Fri, 01 Mar 2024 10:00:00 GMT");

    const Read atom = readBytes(
        "<feed xmlns=\"http://www.w3.org/2005/Atom\"><link href=\"http://example.org/\"/>"
        "<entry><link rel=\"self\" href=\"http://example.org/self\"/>"
        "<link rel=\"alternate\" href=\"http://example.org/p1\"/>"
        "<updated>2024-02-01T00:00:00Z</updated></entry>"
        "<entry><link href=\"http://example.org/p2\"/></entry></feed>");
    EXPECT_EQ(atom.kind, SitemapKind::Atom);
    EXPECT_EQ(atom.addresses, QStringList({"http://example.org/p1", "http://example.org/p2"}));
    EXPECT_EQ(atom.dates, QStringList({"2024-02-01T00:00:00Z", ""}));

    const Read other = readBytes("<html><body><a href='http://example.org/'>x</a></body></html>");
    EXPECT_FALSE(other.ok);
    EXPECT_TRUE(other.error.contains("<html>")) << other.error.toStdString();
    EXPECT_FALSE(readBytes("").ok);
    EXPECT_FALSE(readBytes("  \n\n").ok);
}

TEST(SitemapReader, GzipIsToldByItsBytesAndPiecesDoNotMatter) {
    const Read whole = readBytes(kUrlset);
    const QByteArray packed = gzipped(kUrlset);
    // Two gzip members one after the other are one file.
    const QByteArray twoMembers =
        gzipped("http://example.org/1\n") + gzipped("http://example.org/2\n");
    for (qsizetype step : {0, 1, 2, 7, 4096}) {
        SCOPED_TRACE(step);
        const Read plain = readBytes(kUrlset, step);
        EXPECT_TRUE(plain.ok);
        EXPECT_FALSE(plain.compressed);
        EXPECT_EQ(plain.addresses, whole.addresses);
        const Read inflated = readBytes(packed, step);
        EXPECT_TRUE(inflated.ok) << inflated.error.toStdString();
        EXPECT_TRUE(inflated.compressed);
        EXPECT_EQ(inflated.addresses, whole.addresses);
        EXPECT_EQ(inflated.dates, whole.dates);
        EXPECT_EQ(readBytes(twoMembers, step).addresses,
                  QStringList({"http://example.org/1", "http://example.org/2"}));
    }
    // Damaged data after some that inflates: what came before the damage
    // is read alike, whole or in pieces, and the file fails as damaged (the
    // bytes inflated with the damage were once dropped when they came in one
    // piece, so the file was taken for another kind).
    QByteArray damaged = gzipped("http://example.org/1\nhttp://example.org/2\n");
    damaged[damaged.size() - 12] = char(0xFF);
    damaged[damaged.size() - 11] = char(0xFF);
    const Read damagedWhole = readBytes(damaged);
    EXPECT_FALSE(damagedWhole.ok);
    for (qsizetype step : {1, 5}) {
        const Read inPieces = readBytes(damaged, step);
        EXPECT_EQ(inPieces.ok, damagedWhole.ok);
        EXPECT_EQ(inPieces.kind, damagedWhole.kind);
        EXPECT_EQ(inPieces.addresses, damagedWhole.addresses);
    }

    const Read cut = readBytes(packed.left(packed.size() / 2));
    EXPECT_FALSE(cut.ok);
    EXPECT_TRUE(cut.error.contains("ends early")) << cut.error.toStdString();
}

TEST(SitemapReader, DoctypeAndEntitiesAreRefusedUnread) {
    const QByteArray bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE urlset [\n<!ENTITY a \"aaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;\">\n]>\n"
        "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
        "<url><loc>http://example.org/&c;</loc></url></urlset>";
    const QByteArray external =
        "<?xml version=\"1.0\"?><!DOCTYPE urlset SYSTEM \"http://127.0.0.1:1/x.dtd\">"
        "<urlset><url><loc>http://example.org/1</loc></url></urlset>";
    const QByteArray fileEntity =
        "<?xml version=\"1.0\"?><!DOCTYPE urlset [<!ENTITY f SYSTEM \"file:///etc/passwd\">]>"
        "<urlset><url><loc>http://example.org/&f;</loc></url></urlset>";
    for (const QByteArray& doc : {bomb, external, fileEntity}) {
        for (qsizetype step : {0, 1}) {
            const Read r = readBytes(doc, step);
            EXPECT_FALSE(r.ok);
            EXPECT_TRUE(r.addresses.isEmpty()) << r.addresses.join(' ').toStdString();
            EXPECT_TRUE(r.error.contains("DOCTYPE")) << r.error.toStdString();
        }
    }
    // Without a declaration an entity is undefined, and never looked up.
    const Read undefined =
        readBytes("<urlset><url><loc>http://example.org/&nothing;</loc></url></urlset>");
    EXPECT_FALSE(undefined.ok);
    EXPECT_TRUE(undefined.error.contains("nothing")) << undefined.error.toStdString();
}

TEST(SitemapReader, MalformedXmlIsNamedByLineAndColumn) {
    const QByteArray broken =
        "\n\n<?xml version=\"1.0\"?>\n<urlset>\n<url><loc>http://example.org/1</loc></url>\n"
        "<url><loc>http://example.org/2</url>\n</urlset>\n";
    for (qsizetype step : {0, 3}) {
        const Read r = readBytes(broken, step);
        EXPECT_FALSE(r.ok);
        // The blank lines before the declaration count: the fault is on
        // line 6 of the file as it came.
        EXPECT_TRUE(r.error.startsWith("line 6, column ")) << r.error.toStdString();
        EXPECT_TRUE(r.error.contains("loc")) << r.error.toStdString();
    }
    EXPECT_FALSE(readBytes("<urlset><url><loc>http://example.org/1</loc></url>").ok)
        << "a file that ends inside its root element is incomplete";
}

TEST(SitemapReader, AFileOverTheLimitStopsAtTheLimit) {
    QByteArray big = "<urlset>";
    while (big.size() < 300000) big += "<url><loc>http://example.org/page</loc></url>\n";
    big += "</urlset>";
    const Read over = readBytes(big, 65536, 200000);
    EXPECT_FALSE(over.ok);
    EXPECT_TRUE(over.error.contains("larger than")) << over.error.toStdString();
    EXPECT_TRUE(readBytes(big, 65536, big.size()).ok) << "exactly the limit is allowed";

    // A gzip bomb: a small file that inflates far beyond the limit stops
    // there, the limit counted uncompressed.
    QByteArray zeros = "<urlset>" + QByteArray(20 * 1024 * 1024, ' ');
    const QByteArray bomb = gzipped(zeros);
    ASSERT_LT(bomb.size(), 100000);
    const Read burst = readBytes(bomb, 4096, 1024 * 1024);
    EXPECT_FALSE(burst.ok);
    EXPECT_TRUE(burst.error.contains("uncompressed")) << burst.error.toStdString();
}

TEST(SitemapReader, LastModifiedReadsTheProtocolsDateForms) {
    const struct {
        const char* text;
        const char* utc;  // "" when not a date
    } cases[] = {
        {"2024", "2024-01-01T00:00:00Z"},
        {"2024-03", "2024-03-01T00:00:00Z"},
        {"2024-03-01", "2024-03-01T00:00:00Z"},
        {" 2024-03-01T10:30+02:00 ", "2024-03-01T08:30:00Z"},
        {"2024-03-01T10:30:15Z", "2024-03-01T10:30:15Z"},
        {"2024-03-01T10:30:15.123-05:00", "2024-03-01T15:30:15Z"},
        {"2024-03-01T23:30:00-01:00", "2024-03-02T00:30:00Z"},
        {"Fri, 01 Mar 2024 10:00:00 GMT", "2024-03-01T10:00:00Z"},
        {"Fri, 01 Mar 2024 10:00:00 +0100", "2024-03-01T09:00:00Z"},
        {"Fri, 1 Mar 2024 10:00 EST", "2024-03-01T15:00:00Z"},
        {"2024-02-30", ""},
        {"2024-03-01T25:00Z", ""},
        {"yesterday", ""},
        {"", ""},
        {"2024-03-01junk", ""},
    };
    for (const auto& c : cases) {
        const std::optional<QDateTime> d = parseLastModified(QString::fromLatin1(c.text));
        if (!*c.utc) {
            EXPECT_FALSE(d.has_value()) << c.text;
            continue;
        }
        ASSERT_TRUE(d.has_value()) << c.text;
        EXPECT_EQ(d->toUTC().toString(Qt::ISODate), QString::fromLatin1(c.utc)) << c.text;
    }
}

// What the program writes, it reads: the XML sitemaps of a list (one file,
// and an index of gzip files) give back every page's address and day.
TEST(SitemapReader, TheWrittenSitemapsReadBackAsTheirPages) {
    QTemporaryDir dir;
    QList<SitemapPage> pages;
    for (int i = 0; i < 120; ++i)
        pages.append(
            {QStringLiteral("p/%1 caf\u00e9 & <%1>.html").arg(i), QDate(2024, 1, 1 + i % 28)});
    for (const bool gzip : {false, true}) {
        SCOPED_TRACE(gzip);
        XmlSitemapOptions options;
        options.maxUrlsPerFile = gzip ? 50 : 50000;
        options.gzip = gzip;
        const QString main = dir.filePath(gzip ? "s.xml.gz" : "s.xml");
        const XmlSitemapSummary summary =
            writeXmlSitemaps(QStringLiteral("https://example.org/shop/"), pages, main, options);
        QStringList addresses, dates;
        const QStringList files = summary.indexed ? summary.files.mid(1) : summary.files;
        for (const QString& path : files) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const Read r = readBytes(f.readAll(), 1000);
            ASSERT_TRUE(r.ok) << r.error.toStdString();
            EXPECT_EQ(r.compressed, gzip);
            addresses << r.addresses;
            dates << r.dates;
        }
        ASSERT_EQ(addresses.size(), pages.size());
        const SitemapSite site =
            *SitemapSite::fromRootUrl(QStringLiteral("https://example.org/shop/"));
        for (qsizetype i = 0; i < pages.size(); ++i) {
            std::string loc;
            site.locate(pages[i].entry, loc);
            EXPECT_EQ(addresses[i], QString::fromStdString(loc));
            EXPECT_EQ(dates[i], pages[i].lastModified.toString(Qt::ISODate));
        }
    }
}

}  // namespace
