// The audit's logic without a network: robots.txt rules, reading HTML in its
// charset, the page addresses of the tree, and the findings that need more
// than one page.
#include <gtest/gtest.h>

#include "audit/AuditUrl.h"
#include "audit/Findings.h"
#include "audit/PageReader.h"
#include "audit/RobotsTxt.h"
#include "support/QtPrinters.h"

using namespace fd::audit;

namespace {

struct RobotsCase {
    const char* file;
    const char* path;
    bool allowed;
};

const char* const kGroups =
    "User-agent: *\n"
    "Disallow: /\n"
    "\n"
    "User-agent: otherbot\n"
    "User-agent: Farrowdale/1.0\n"  // a version after the token still names us
    "Disallow: /private\n"
    "Allow: /private/open\n"
    "Sitemap: https://example.com/sitemap.xml\n"
    "Disallow: /*.pdf$   # only addresses ending in .pdf\n"
    "\n"
    "user-agent: FARROWDALE\n"  // a second group for us: merged with the first
    "disallow: /tie\n"
    "allow: /tie\n"
    "disallow: /tie-break\n"
    "Disallow: /a*b*c\n"
    "Disallow: /caf%C3%A9\n"
    "Disallow: /%7Euser\n";

TEST(RobotsTxt, GroupsLongestMatchWildcardsAndEscapes) {
    const RobotsCase cases[] = {
        {kGroups, "/", true},  // the "*" group does not apply to us
        {kGroups, "/private", false},
        {kGroups, "/private/x.html", false},
        {kGroups, "/private/open.html", true},  // the longer allow wins
        {kGroups, "/docs/a.pdf", false},
        {kGroups, "/docs/a.pdf?x=1", true},  // "$" anchors at the end
        {kGroups, "/docs/a.pdf.html", true},
        {kGroups, "/tie.html", true},  // allow and disallow equally long: allow
        {kGroups, "/tie-break.html", false},
        {kGroups, "/a-x-b-y-c-z", false},
        {kGroups, "/abxbc", false},  // "*" backtracks past the first "b"
        {kGroups, "/a-c-b", true},
        {kGroups, "/caf\xC3\xA9/menu", false},  // raw UTF-8 against the escaped rule
        {kGroups, "/caf%c3%a9/menu", false},    // lower-case escapes
        {kGroups, "/~user/page", false},        // %7E is "~"
        {kGroups, "/robots.txt", true},
        {"User-agent: *\nDisallow: /\n", "/anything", false},
        {"User-agent: *\nDisallow: /\n", "/robots.txt", true},
        {"User-agent: *\nDisallow: /\n", "/%72obots%2Etxt", true},  // the same file, escaped
        {"User-agent: *\nDisallow:\n", "/anything", true},          // an empty rule matches nothing
        {"Disallow: /\nUser-agent: *\nAllow: /\n", "/x", true},     // a rule before any group
        {"User-agent: other\nDisallow: /\n", "/x", true},           // no group for us, no "*"
        {"\xEF\xBB\xBFUser-agent: *\r\nDisallow: /cr\r\n", "/cr/x", false},  // BOM, CR LF
        // Lines ending in CR alone, and all three endings in one file.
        {"User-agent: *\rDisallow: /private/\r", "/private/secret.html", false},
        {"User-agent: *\rDisallow: /private/\r", "/public.html", true},
        {"User-agent: other\r\nDisallow: /\rUser-agent: *\nDisallow: /a\r\n\rAllow: /a/b\r", "/a/x",
         false},
        {"User-agent: other\r\nDisallow: /\rUser-agent: *\nDisallow: /a\r\n\rAllow: /a/b\r", "/a/b",
         true},
        // A comment ends at its line's CR.
        {"User-agent: * # all\rDisallow: /c # note\r", "/c", false},
        // A literal "*" or "$" in an address meets the rule's escape, never
        // its wildcard or anchor.
        {"User-agent: *\nDisallow: /path/file-with-a-%2A.html\n", "/path/file-with-a-*.html",
         false},
        {"User-agent: *\nDisallow: /path/file-with-a-%2A.html\n", "/path/file-with-a-x.html", true},
        {"User-agent: *\nDisallow: /path/foo-%24\n", "/path/foo-$", false},
        {"User-agent: *\nDisallow: /a$b\n", "/a$b", false},  // "$" inside a rule is itself
        {"User-agent: *\nDisallow: /foo/bar/%E3%83%84\n", "/foo/bar/\xE3\x83\x84", false},
        {"User-agent: *\nDisallow: /foo/bar/baz\n", "/foo/bar/%62%61%7A", false},
        // A path beginning with "//" is its own path: /public/ does not cover it.
        {"User-agent: *\nDisallow: /public/\n", "//public/x", true},
        {"User-agent: *\nDisallow: //public/\n", "//public/x", false},
        // A group for us without rules allows everything, whatever "*" says.
        {"User-agent: *\nDisallow: /\n\nUser-agent: farrowdale\n", "/x", true},
        {"User-agent: *\nDisallow: /*$\n", "/", false},
        {"User-agent: *\nDisallow: /$\nAllow: /", "/", false},
        {"User-agent: *\nDisallow: /$\n", "/page", true},
    };
    for (const RobotsCase& c : cases) {
        const RobotsTxt rules = RobotsTxt::parse(QByteArray(c.file), QStringLiteral("Farrowdale"));
        EXPECT_EQ(rules.allowed(QByteArray(c.path)), c.allowed) << c.path << "\n" << c.file;
    }
    EXPECT_FALSE(RobotsTxt::disallowAll().allowed("/x"));
    EXPECT_TRUE(RobotsTxt::disallowAll().allowed("/robots.txt"));
    EXPECT_TRUE(RobotsTxt::disallowAll().allowed("/%72obots.txt"));
    EXPECT_TRUE(RobotsTxt::allowAll().allowed("/x"));
    EXPECT_EQ(robotsPathOf(QStringLiteral("http://h/a%20b?q=1#frag")), QByteArray("/a%20b?q=1"));
    EXPECT_EQ(robotsPathOf(QStringLiteral("http://h")), QByteArray("/"));
    EXPECT_EQ(robotsPathOf(QStringLiteral("http://h//public/x")), QByteArray("//public/x"));
}

TEST(RobotsTxt, SitemapLinesInAnyCaseAndLineEnding) {
    const QByteArray file =
        "Sitemap: http://h/a.xml\r"
        "User-agent: *\rDisallow: /x\r\n"
        "SITEMAP:http://h/b.xml.gz # compressed\n"
        "sitemap : http://h/a.xml\r\n"  // the same address again: listed once
        "Sitemap:\n"                    // no value
        "Sitemaps: http://h/not-this.xml\n"
        "sItEmAp: http://h/c.xml";  // the last line needs no line end
    EXPECT_EQ(RobotsTxt::sitemaps(file),
              QStringList({"http://h/a.xml", "http://h/b.xml.gz", "http://h/c.xml"}));
    // A byte-order mark at the start is not part of the first key.
    EXPECT_EQ(RobotsTxt::sitemaps("\xEF\xBB\xBFSitemap: http://h/s.xml\r"),
              QStringList({"http://h/s.xml"}));
    // The sitemap lines do not change the rules around them.
    EXPECT_FALSE(RobotsTxt::parse(file, QStringLiteral("Farrowdale")).allowed("/x"));
}

TEST(RobotsTxt, LongFilesAndPathologicalPatternsStayBounded) {
    // Rules past the first 500 KiB are not read.
    QByteArray file = "User-agent: *\n";
    while (file.size() < RobotsTxt::kMaxFileBytes) file += "Disallow: /filler\n";
    file += "Disallow: /late\n";
    EXPECT_TRUE(RobotsTxt::parse(file, QStringLiteral("Farrowdale")).allowed("/late"));
    // Many stars against a long address that almost matches: answers at once.
    const QByteArray stars = "User-agent: *\nDisallow: /" + QByteArray(200, '*') + "x$\n";
    EXPECT_TRUE(RobotsTxt::parse(stars, QStringLiteral("Farrowdale"))
                    .allowed("/" + QByteArray(5000, 'a') + "y"));
}

struct CharsetCase {
    const char* name;
    QByteArray body;
    const char* contentType;
    const char* charset;
    QString title;
};

// Little-endian UTF-16 with its byte-order mark.
QByteArray utf16le(const QString& s) {
    QByteArray b("\xFF\xFE", 2);
    for (QChar c : s) {
        b += static_cast<char>(c.unicode() & 0xFF);
        b += static_cast<char>(c.unicode() >> 8);
    }
    return b;
}

QByteArray htmlWithTitle(const QByteArray& head, const QByteArray& title) {
    return "<!DOCTYPE html><html><head>" + head + "<title>" + title + "</title></head></html>";
}

TEST(PageReader, CharsetFromHeaderBomOrMeta) {
    const QString cafe = QStringLiteral("Caf\u00e9 \u201cquoted\u201d");
    const QByteArray cafe1252 = "Caf\xE9 \x93quoted\x94";
    const QByteArray cafeUtf8 = cafe.toUtf8();
    const CharsetCase cases[] = {
        {"header", htmlWithTitle("", cafe1252), "text/html; charset=windows-1252", "windows-1252",
         cafe},
        {"header quoted, latin1 label", htmlWithTitle("", cafe1252),
         "text/html;charset=\"ISO-8859-1\"", "windows-1252", cafe},
        {"header beats meta", htmlWithTitle("<meta charset=windows-1252>", cafeUtf8),
         "text/html; charset=utf-8", "utf-8", cafe},
        {"meta charset", htmlWithTitle("<meta charset='windows-1252'>", cafe1252), "text/html",
         "windows-1252", cafe},
        {"meta http-equiv",
         htmlWithTitle("<meta http-equiv=Content-Type content='text/html; charset=windows-1252'>",
                       cafe1252),
         "text/html", "windows-1252", cafe},
        {"meta utf-16 means utf-8", htmlWithTitle("<meta charset=utf-16>", cafeUtf8), "text/html",
         "utf-8", cafe},
        {"BOM beats header", "\xEF\xBB\xBF" + htmlWithTitle("", cafeUtf8),
         "text/html; charset=windows-1252", "utf-8", cafe},
        {"UTF-16 BOM", utf16le(QString::fromUtf8(htmlWithTitle("", cafeUtf8))), "text/html",
         "utf-16le", cafe},
        {"undeclared valid UTF-8", htmlWithTitle("", cafeUtf8), "text/html", "utf-8", cafe},
        {"undeclared other bytes", htmlWithTitle("", cafe1252), "text/html", "windows-1252", cafe},
        {"unknown label", htmlWithTitle("", cafeUtf8), "text/html; charset=no-such-thing", "utf-8",
         cafe},
    };
    for (const CharsetCase& c : cases) {
        const PageContent p =
            readPage(c.body, QString::fromLatin1(c.contentType), QStringLiteral("http://h/"));
        EXPECT_EQ(p.charset, QLatin1String(c.charset)) << c.name;
        EXPECT_EQ(p.title, c.title) << c.name;
    }
}

TEST(PageReader, ReadsHeadMetasHeadingsAndLinks) {
    const QByteArray body =
        "<html lang=de-AT><head>"
        "<base href='/docs/'>"
        "<title>\n  Two   words \n</title><title>second title</title>"
        "<meta name=Description content='  About us  '>"
        "<meta name=description content='later description'>"
        "<meta name=keywords content='a, b'><meta name=robots content=noindex>"
        "<meta name=ROBOTS content=nofollow><meta name=author content=Ann>"
        "<meta name=revisit content='7 days'><meta property='og:title' content=OG>"
        "<meta http-equiv=refresh content=30><meta charset=utf-8>"
        "<link rel='alternate canonical' href='page.html#x'>"
        "<link rel=canonical href='/second'>"
        "</head><body>"
        "<svg><title>not the page title</title></svg>"
        "<h1>First <b>bold</b>\n heading</h1><div><h1>Second</h1></div>"
        "<a href='a.html'>a</a><a href='/b.html#frag'>b</a><a href='#top'>t</a>"
        "<a href='HTTP://H/c.html'>c</a><a href='http://other/d.html'>d</a>"
        // Another port or scheme of the host is another site.
        "<a href='http://h:9/x.html'>p</a><a href='https://h/y.html'>s</a>"
        "<a href='http://h:80/z.html'>z</a>"
        // TAB, CR and LF inside an address are dropped, as a browser drops them.
        "<a href='x&#9;y.html'>t</a><a href='\n  sp&#13;ace.html&#10; '>n</a>"
        "<a href='mailto:x@y'>m</a><a href='javascript:void(0)'>j</a>"
        "<map><area href='e.html'></map><a>no href</a>"
        "</body></html>";
    PageReadOptions o;
    o.links = true;
    o.linkOrigin = QStringLiteral("http://h:80");
    const PageContent p =
        readPage(body, QStringLiteral("text/html"), QStringLiteral("http://h/x/"), o);
    EXPECT_EQ(p.lang, "de-AT");
    EXPECT_TRUE(p.hasTitle);
    EXPECT_EQ(p.title, "Two words");
    EXPECT_TRUE(p.hasDescription);
    EXPECT_EQ(p.description, "About us");
    EXPECT_EQ(p.keywords, "a, b");
    EXPECT_EQ(p.robots, "noindex, nofollow");
    EXPECT_EQ(p.author, "Ann");
    EXPECT_EQ(p.revisit, "7 days");
    EXPECT_EQ(p.canonical, "http://h/docs/page.html#x");
    EXPECT_EQ(p.h1Count, 2);
    EXPECT_EQ(p.h1Text, "First bold heading");
    ASSERT_EQ(p.metas.size(), 10);
    EXPECT_EQ(p.metas[7].attribute, "property");
    EXPECT_EQ(p.metas[7].name, "og:title");
    EXPECT_EQ(p.metas[8].attribute, "http-equiv");
    EXPECT_EQ(p.metas[9].attribute, "charset");
    EXPECT_EQ(p.links, QStringList({"http://h/docs/a.html", "http://h/b.html", "http://h/c.html",
                                    "http://h/z.html", "http://h/docs/xy.html",
                                    "http://h/docs/space.html", "http://h/docs/e.html"}));

    // Without links asked for, none are gathered; an empty page reads as
    // having no title and no heading.
    EXPECT_TRUE(readPage(body, {}, QStringLiteral("http://h/")).links.isEmpty());
    const PageContent empty =
        readPage({}, QStringLiteral("text/html"), QStringLiteral("http://h/"));
    EXPECT_FALSE(empty.hasTitle);
    EXPECT_FALSE(empty.hasDescription);
    EXPECT_EQ(empty.h1Count, 0);
}

TEST(PageReader, HostilePagesStayBounded) {
    QByteArray metas = "<html><head>";
    for (int i = 0; i < 5000; ++i) metas += "<meta name=m" + QByteArray::number(i) + " content=x>";
    metas += "<meta name=description content='" + QByteArray(100000, 'd') + "'>";
    const PageContent p = readPage(metas, QStringLiteral("text/html"), QStringLiteral("http://h/"));
    EXPECT_EQ(p.metas.size(), kMaxMetas);
    EXPECT_EQ(p.description.size(), kMaxValue);

    // Deep nesting that the reader takes does not exhaust the stack.
    const QByteArray deep = QByteArray("<div>").repeated(4000) + "<h1>deep</h1>";
    EXPECT_EQ(readPage(deep, QStringLiteral("text/html"), QStringLiteral("http://h/")).h1Text,
              "deep");
}

TEST(PageReader, TooDeeplyNestedPagesAreNotReadAndSaySo) {
    // Tens of thousands of unclosed elements: refused before the parser
    // starts, with the reason, and the page's record says it was not read.
    const QByteArray divs = QByteArray("<div>").repeated(80000);
    const PageContent p = readPage("<title>t</title>" + divs, QStringLiteral("text/html"),
                                   QStringLiteral("http://h/"));
    EXPECT_EQ(p.notRead, "Elements nested more than 5,000 deep; the page was not read");
    EXPECT_FALSE(p.hasTitle);
    AuditPage page;
    page.url = page.finalUrl = "http://h/deep.html";
    page.status = 200;
    page.contentType = "text/html";
    applyContent(page, p);
    const QList<AuditFinding> f = pageFindings(page, AuditOptions{});
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0].kind, FindingKind::NotRead);
    EXPECT_EQ(f[0].detail, p.notRead);

    // The same depth in UTF-16 is measured too.
    QByteArray wide("\xFF\xFE", 2);
    for (char c : divs) wide += QByteArray(1, c) + QByteArray(1, '\0');
    EXPECT_FALSE(readPage(wide, QStringLiteral("text/html"), {}).notRead.isEmpty());
    // Shallow but enormous: the depth at every tag adds up.
    const QByteArray wideDeep =
        QByteArray("<div>").repeated(4000) + QByteArray("<span>x</span>").repeated(30000);
    EXPECT_FALSE(readPage(wideDeep, QStringLiteral("text/html"), {}).notRead.isEmpty());

    // What does not nest is not counted: void elements, elements the parser
    // closes itself, raw text, comments, closed SVG shapes; "<div/>" does
    // nest in HTML.
    const QByteArray flat = QByteArray("<p>a<br><li>b<img src=x><td>c<a href=y>d").repeated(20000) +
                            "<script>" + divs + "</SCRIPT><!--" + divs + "-->" + "<svg>" +
                            QByteArray("<path d='<div>'/>").repeated(20000) + "</svg>" + "<title>" +
                            divs + "</title><h1>flat</h1>";
    const PageContent read = readPage(flat, QStringLiteral("text/html"), {});
    EXPECT_EQ(read.notRead, QString());
    EXPECT_EQ(read.h1Text, "flat");
    EXPECT_FALSE(readPage(QByteArray("<div/>").repeated(6000), QStringLiteral("text/html"), {})
                     .notRead.isEmpty());
}

TEST(AuditUrl, TreeAddressesAndTheOneFormOfAnAddress) {
    EXPECT_EQ(pageUrls(QStringLiteral("http://site.example/"),
                       {QStringLiteral("a.htm"), QString(), QStringLiteral(" sub/b.htm "),
                        QStringLiteral("HTTPS://other.example/c")}),
              QStringList({"http://site.example/", "http://site.example/a.htm",
                           "http://site.example/sub/b.htm", "HTTPS://other.example/c"}));
    // A root URL without a path gains the "/" a page would otherwise lose.
    EXPECT_EQ(pageUrls(QStringLiteral("http://site.example"), {QStringLiteral("a.htm")}),
              QStringList({"http://site.example", "http://site.example/a.htm"}));
    // A root URL with a path is followed by the page's text, as in the tree.
    EXPECT_EQ(pageUrls(QStringLiteral("http://site.example/shop/"), {QStringLiteral("a.htm")})[1],
              "http://site.example/shop/a.htm");

    EXPECT_EQ(auditUrl(QStringLiteral("HTTP://Site.Example:80/a/../b?q=%41#x")),
              "http://site.example/b?q=A");
    EXPECT_EQ(auditUrl(QStringLiteral("https://site.example:443")), "https://site.example/");
    // Every slash stays as listed; dot segments go, escapes are upper-cased.
    EXPECT_EQ(auditUrl(QStringLiteral("http://h//folder/a.html")), "http://h//folder/a.html");
    EXPECT_EQ(auditUrl(QStringLiteral("http://h/a//b/./c/../d%2f%c3%a9")),
              "http://h/a//b/d%2F%C3%A9");
    EXPECT_EQ(auditUrl(QStringLiteral("http://h/../../x/..")), "http://h/");
    EXPECT_EQ(auditUrl(QStringLiteral("https://site.example:8443/")), "https://site.example:8443/");
    EXPECT_EQ(auditUrl(QStringLiteral("ftp://site.example/")), QString());
    EXPECT_EQ(auditUrl(QStringLiteral("page.html")), QString());
    EXPECT_EQ(originOf(QUrl(QStringLiteral("https://Site.example/x"))), "https://site.example:443");
}

AuditPage htmlPage(const QString& url, const QString& title, const QString& description) {
    AuditPage p;
    p.url = p.finalUrl = url;
    p.status = 200;
    p.html = p.hasTitle = p.hasDescription = true;
    p.title = title;
    p.description = description;
    p.h1Count = 1;
    // Nothing else to report: a language, a viewport, Open Graph, enough
    // words of a text of its own.
    p.lang = "en";
    p.checks.hasLang = p.checks.hasViewport = true;
    p.checks.hasOgTitle = p.checks.hasOgDescription = true;
    p.checks.titleCount = 1;
    p.checks.words = 500;
    p.checks.textHash = qHash(url);
    return p;
}

TEST(Findings, DuplicatesNameOtherDocumentsOnly) {
    QList<AuditPage> pages;
    // Two addresses of one document (a redirect and its target) are no duplicate.
    pages << htmlPage("http://h/a", "Same", "d-a");
    pages << htmlPage("http://h/a-old", "Same", "d-b");
    pages.back().finalUrl = "http://h/a";
    pages.back().redirects = {RedirectHop{"http://h/a-old", 301}};
    const QList<AuditFinding> none = allFindings(pages, AuditOptions{});
    EXPECT_TRUE(none.isEmpty()) << none.size();

    // Eight pages sharing a title: each names five others and counts the rest.
    pages.clear();
    for (int i = 0; i < 8; ++i)
        pages << htmlPage(QStringLiteral("http://h/%1").arg(i), "Same",
                          QStringLiteral("d%1").arg(i));
    pages << htmlPage("http://h/other", "Other", "d-other");
    const QList<AuditFinding> dups = allFindings(pages, AuditOptions{});
    ASSERT_EQ(dups.size(), 8);
    EXPECT_EQ(dups[0].kind, FindingKind::TitleDuplicate);
    EXPECT_EQ(dups[0].detail,
              "http://h/1, http://h/2, http://h/3, http://h/4, http://h/5 and 2 more");
    EXPECT_EQ(dups[7].url, "http://h/7");

    // Characters count as a reader counts them: 60 emoji are not too long.
    QString emoji;
    for (int i = 0; i < 60; ++i) emoji += QString::fromUcs4(U"\U0001F600", 1);
    EXPECT_EQ(characterCount(emoji), 60);
    EXPECT_TRUE(pageFindings(htmlPage("http://h/e", emoji, "d"), AuditOptions{}).isEmpty());
}

TEST(PageReader, TitleKeepsANoBreakSpaceAsTheBrowserDoes) {
    // document.title collapses ASCII white space only.
    const PageContent p = readPage(
        "<title>\t A\xC2\xA0\xC2\xA0"
        "B \r\n\f C\xE2\x80\x83"
        "D </title><h1> x\xC2\xA0 y </h1>",
        QStringLiteral("text/html; charset=utf-8"), {});
    EXPECT_EQ(p.title, QStringLiteral("A\u00a0\u00a0B C\u2003D"));
    EXPECT_EQ(p.h1Text, QStringLiteral("x\u00a0 y"));
    // Two titles that differ only in a no-break space are no duplicates.
    QList<AuditPage> pages{htmlPage("http://h/1", QStringLiteral("A\u00a0B"), "d1"),
                           htmlPage("http://h/2", "A B", "d2")};
    EXPECT_TRUE(allFindings(pages, AuditOptions{}).isEmpty());
}

TEST(Findings, AnUnreadableRobotsTxtIsNotADisallowingOne) {
    AuditPage p;
    p.url = p.finalUrl = "http://h:9/x.html";
    p.disallowed = true;
    p.error = "http://h:9/robots.txt could not be read (Couldn't connect to server)";
    QList<AuditFinding> f = pageFindings(p, AuditOptions{});
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0].kind, FindingKind::RobotsUnreadable);
    EXPECT_EQ(f[0].detail, "Not requested: " + p.error);
    EXPECT_EQ(findingText(f[0].kind), "robots.txt could not be read");
    // A redirect into such an origin says where it went.
    p.redirects = {RedirectHop{"http://h/old", 301}};
    f = pageFindings(p, AuditOptions{});
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0].detail, "Redirects to http://h:9/x.html; not requested: " + p.error);
    // The site's own rule keeps its wording.
    p.error.clear();
    p.redirects.clear();
    f = pageFindings(p, AuditOptions{});
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0].kind, FindingKind::Disallowed);
    EXPECT_EQ(f[0].detail, "robots.txt disallows this page");
}

}  // namespace

TEST(PageReader, LinkRecordsOfEveryKindWithTextRelAndTheDocumentsBase) {
    const QByteArray body =
        "<html><head><base href='http://h/docs/'>"
        "<link rel='stylesheet' href='s.css'><link rel=ICON href='/i.ico'>"
        "<link rel=canonical href='page.html#x'><link rel=preload href='p.js'>"
        "<script src='a.js'></script><script>inline()</script>"
        "</head><body>"
        "<a href='one.html' rel='NoFollow  UGC'>  One\n <b>link</b> </a>"
        "<a href='http://other.example/x'>out</a><a href='#top'>top</a>"
        "<a href='mailto:a@b'>mail</a><a>no href</a>"
        "<img src='pic.png' alt='A  picture'><img srcset='small.png 1x, big.png 2x'>"
        "<img srcset='only.png,, other.png'><img srcset='a,b.png 2x'>"
        "<map><area href='area.html' alt='Area'></map>"
        "<iframe src='/frame.html'></iframe>"
        "<a href='long.html'>" +
        QByteArray(300, 'w') + "</a></body></html>";
    PageReadOptions o;
    o.linkRecords = true;
    const PageContent p =
        readPage(body, QStringLiteral("text/html"), QStringLiteral("http://h/x/"), o);
    struct Want {
        const char* target;
        LinkKind kind;
        const char* element;
        const char* rel;
        const char* anchor;
    };
    const Want want[] = {
        {"http://h/docs/s.css", LinkKind::Resource, "link", "stylesheet", ""},
        {"http://h/i.ico", LinkKind::Image, "link", "icon", ""},
        {"http://h/docs/page.html", LinkKind::Page, "link", "canonical", ""},
        {"http://h/docs/a.js", LinkKind::Resource, "script", "", ""},
        {"http://h/docs/one.html", LinkKind::Page, "a", "nofollow ugc", "One link"},
        {"http://other.example/x", LinkKind::Page, "a", "", "out"},
        {"http://h/docs/pic.png", LinkKind::Image, "img", "", "A picture"},
        {"http://h/docs/small.png", LinkKind::Image, "img", "", ""},
        {"http://h/docs/only.png", LinkKind::Image, "img", "", ""},
        {"http://h/docs/a,b.png", LinkKind::Image, "img", "", ""},
        {"http://h/docs/area.html", LinkKind::Page, "area", "", "Area"},
        {"http://h/frame.html", LinkKind::Resource, "iframe", "", ""},
        {"http://h/docs/long.html", LinkKind::Page, "a", "", nullptr},
    };
    ASSERT_EQ(p.linkRecords.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        const PageLink& l = p.linkRecords[i];
        EXPECT_EQ(l.target, QString::fromUtf8(want[i].target)) << i;
        EXPECT_EQ(l.kind, want[i].kind) << i;
        EXPECT_EQ(l.element, QString::fromUtf8(want[i].element)) << i;
        EXPECT_EQ(l.rel, QString::fromUtf8(want[i].rel)) << i;
        if (want[i].anchor) EXPECT_EQ(l.anchor, QString::fromUtf8(want[i].anchor)) << i;
    }
    EXPECT_EQ(p.linkRecords.back().anchor.size(), kMaxAnchorText);
    EXPECT_EQ(p.linkRecordsDropped, 0);
    // Without the option nothing is recorded.
    EXPECT_TRUE(readPage(body, QStringLiteral("text/html"), QStringLiteral("http://h/"))
                    .linkRecords.empty());

    // A page of many links keeps the first ones and counts the rest.
    QByteArray many = "<body>";
    for (int i = 0; i < kMaxLinkRecords + 7; ++i)
        many += "<a href='p" + QByteArray::number(i) + "'>x</a>";
    const PageContent m =
        readPage(many, QStringLiteral("text/html"), QStringLiteral("http://h/"), o);
    EXPECT_EQ(m.linkRecords.size(), std::size_t(kMaxLinkRecords));
    EXPECT_EQ(m.linkRecordsDropped, 7);
    EXPECT_EQ(m.linkRecords.back().target, QStringLiteral("http://h/p%1").arg(kMaxLinkRecords - 1));
}
