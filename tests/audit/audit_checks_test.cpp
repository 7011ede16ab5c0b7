// The checks of a page's markup and headers against a local site with one
// page for each (tests/audit/fixtures/checks_site.py): each finding exactly
// where it was planted and nowhere else; and the checks of https pages,
// on pages read as an https site would serve them.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include "audit/AuditLists.h"
#include "audit/Findings.h"
#include "audit/PageReader.h"
#include "audit/SiteAudit.h"
#include "support/PeerProcess.h"
#include "support/QtPrinters.h"

using namespace fd::audit;

TEST(AuditChecks, EachFindingExactlyWherePlanted) {
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list"));
    fd::test::PeerProcess site(QStringLiteral(FARROWDALE_TEST_FIXTURES "/checks_site.py"), {list});
    ASSERT_TRUE(site.ok());
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList parts =
        QString::fromUtf8(f.readAll()).trimmed().split(QStringLiteral("\n\n"));
    ASSERT_EQ(parts.size(), 3);
    AuditRequest r;
    r.rootUrl = QStringLiteral("http://127.0.0.1:%1/").arg(site.port());
    r.pages = parts[0].split(u'\n');
    const QStringList planted = parts[1].split(u'\n');
    const QSet<QString> expected(planted.begin(), planted.end());
    std::atomic<bool> cancel{false};
    const AuditResult result = runSiteAudit(r, {}, cancel);
    QSet<QString> found;
    for (const AuditFinding& f : result.findings)
        found << QString(f.url).remove(r.rootUrl) + u' ' + findingCode(f.kind);
    EXPECT_EQ(found - expected, QSet<QString>()) << "unexpected findings";
    EXPECT_EQ(expected - found, QSet<QString>()) << "missing findings";

    // The detail says what was seen.
    for (const AuditFinding& f : result.findings) {
        if (f.kind == FindingKind::ImageAltMissing) EXPECT_EQ(f.detail, "1: a.png");
        if (f.kind == FindingKind::HreflangInvalid) EXPECT_EQ(f.detail, "\"english-UK\"");
        if (f.kind == FindingKind::JsonLdInvalid)
            EXPECT_TRUE(f.detail.startsWith("Not valid JSON"));
        if (f.kind == FindingKind::CanonicalHeaderMismatch)
            EXPECT_TRUE(f.detail.endsWith(r.rootUrl + "clean.html")) << f.detail.toStdString();
    }
    // The limits are options of the run: with 300 words every page is thin.
    r.options.thinWords = 300;
    const AuditResult stricter = runSiteAudit(r, {}, cancel);
    int thin = 0;
    for (const AuditFinding& f : stricter.findings) thin += f.kind == FindingKind::ThinContent;
    EXPECT_EQ(thin, r.pages.size() + 1);
}

TEST(AuditChecks, RenderedPagesSayWhatTheirScriptsSetAndEndAtTheirLimit) {
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list"));
    fd::test::PeerProcess site(QStringLiteral(FARROWDALE_TEST_FIXTURES "/checks_site.py"), {list});
    ASSERT_TRUE(site.ok());
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList parts =
        QString::fromUtf8(f.readAll()).trimmed().split(QStringLiteral("\n\n"));
    ASSERT_EQ(parts.size(), 3);
    AuditRequest r;
    r.rootUrl = QStringLiteral("http://127.0.0.1:%1/").arg(site.port());
    for (const QString& p : parts[0].split(u'\n'))
        if (p.startsWith(QLatin1String("script-")) || p == u"clean.html") r.pages << p;
    r.options.rendered = true;
    qputenv("FARROWDALE_RENDER", FARROWDALE_RENDER_PROGRAM);
    std::atomic<bool> cancel{false};
    QElapsedTimer clock;
    clock.start();
    const AuditResult result = runSiteAudit(r, {}, cancel);
    EXPECT_EQ(result.renderError, QString());
    QSet<QString> found;
    QHash<QString, QString> details;
    for (const AuditFinding& x : result.findings) {
        const QString code = findingCode(x.kind);
        if (!code.startsWith(QLatin1String("rendered-"))) continue;
        found << QString(x.url).remove(r.rootUrl) + u' ' + code;
        details.insert(QString(x.url).remove(r.rootUrl) + u' ' + code, x.detail);
    }
    const QStringList planted = parts[2].split(u'\n');
    EXPECT_EQ(found, QSet<QString>(planted.begin(), planted.end()));
    EXPECT_EQ(details.value("script-title.html rendered-title"),
              "raw: \"Page script-title\"; rendered: \"Set by script\"");
    EXPECT_EQ(details.value("script-canonical.html rendered-canonical"),
              "raw: (none); rendered: \"" + r.rootUrl + "clean.html\"");
    EXPECT_TRUE(details.value("script-links.html rendered-links").startsWith("3: "));
    EXPECT_EQ(details.value("script-busy.html rendered-limit"),
              "The page did not finish within 15 s");
    EXPECT_TRUE(details.value("script-window.html rendered-limit").contains("opened a window"));
    EXPECT_TRUE(details.value("script-window.html rendered-limit").contains("tried to leave"));
    // Two at a time: the page that never finishes holds one of the two.
    EXPECT_LT(clock.elapsed(), 40000);
}

TEST(AuditChecks, HttpsPagesMixedContentHstsAndHttpPagesUnderAnHttpsRoot) {
    auto read = [](const QString& url, const QByteArray& body, bool hsts) {
        AuditPage p;
        p.url = p.finalUrl = url;
        p.status = 200;
        p.contentType = "text/html";
        p.checks.hsts = hsts;
        PageReadOptions o;
        applyContent(p, readPage(body, p.contentType, url, o));
        return p;
    };
    const QByteArray words = QByteArray("word ").repeated(250);
    auto head = [](const QByteArray& name) {
        return "<html lang=en><head><title>" + name +
               "</title><meta name=description content=" + name +
               "><meta name=viewport content=w><meta property=og:title content=t>"
               "<meta property=og:description content=d>";
    };
    QList<AuditPage> pages;
    pages << read("https://h/", head("r") + "</head><body><h1>h</h1>" + words + "root", true);
    // http resources: an image, a script, a stylesheet, a frame; https and
    // protocol-relative ones are not mixed.
    pages << read(
        "https://h/mixed.html",
        head("m") + "<link rel=stylesheet href='http://cdn/s.css'></head><body><h1>h</h1>" + words +
            "mixed<img alt=a src='HTTP://cdn/a.png'><img alt=b src='//cdn/b.png'>"
            "<script src='http://cdn/x.js'></script><iframe src='http://f/'></iframe>"
            "<img alt=c src='https://cdn/c.png'>",
        true);
    pages << read("https://h/no-hsts.html", head("n") + "</head><body><h1>h</h1>" + words + "x",
                  false);
    pages << read("http://h/plain.html", head("p") + "</head><body><h1>h</h1>" + words + "y",
                  false);
    QSet<QString> found;
    QString mixed;
    for (const AuditFinding& f : allFindings(pages, AuditOptions{}, "https://h/")) {
        found << f.url + u' ' + findingCode(f.kind);
        if (f.kind == FindingKind::MixedContent) mixed = f.detail;
    }
    EXPECT_EQ(found, QSet<QString>({"https://h/mixed.html mixed-content",
                                    "https://h/no-hsts.html hsts-missing",
                                    "http://h/plain.html http-under-https"}));
    EXPECT_EQ(mixed,
              "4 over http: stylesheet http://cdn/s.css, img http://cdn/a.png, script "
              "http://cdn/x.js, frame http://f/");
    // The severities the list sorts by.
    EXPECT_EQ(findingSeverity(FindingKind::MixedContent), Severity::Error);
    EXPECT_EQ(findingSeverity(FindingKind::HstsMissing), Severity::Notice);
    EXPECT_EQ(findingListRow({"u", FindingKind::ThinContent, "d", FindingState::New}).last(),
              "warning");
}

// The reader against the browser itself: on pages without scripts, what the
// rendered page shows (title, description, robots, canonical, <h1>, links)
// is what the reader read, so rendering finds nothing. The pages: those the
// browser's snapshot is held to, and a sample of Debian's Python manual.
TEST(AuditChecks, TheReaderReadsWhatTheBrowserRenders) {
    QTemporaryDir dir;
    const struct {
        const char* file;
        QByteArray bytes;
    } pages[] = {
        {"metas.html",
         "<!DOCTYPE html><html lang=en><head><title>\n  Widgets &amp;\tGadgets  </title>"
         "<META NAME=\"Description\" CONTENT=\"First\"><meta name=keywords content='a, b'>"
         "<meta name=\"robots\" content=\"all\"><link rel=canonical href='/c.html'></head>"
         "<body><h1>One <b>two</b></h1><p>x</body></html>"},
        {"messy.html",
         "<title>One</title><title>Two</title><p><b>bold<i>both</b>italic</i>"
         "<table><tr><td>cell</td></tr><meta name=\"description\" content=\"in a table\">x"
         "</table><svg><title>svg title</title><foreignObject><meta name=\"keywords\" "
         "content=\"in svg\"></foreignObject><linearGradient/></svg><template><meta "
         "name=author content=t></template><noscript><meta name=description content=ns>"
         "</noscript><a href=l1>1</a><h1>h<a href=l2>2</a></h1>"},
        {"latin1.html",
         "<html><head><meta charset=\"iso-8859-1\"><title>Caf\xe9</title>"
         "<meta name=\"description\" content=\"cr\xe8me br\xfbl\xe9\"></head></html>"},
        // Over HTTP the browser guesses no UTF-8 for an undeclared page (from a file
        // it does); the reader takes valid UTF-8 for UTF-8, so this one says it.
        {"nbsp.html",
         "<meta charset=utf-8><title>\xc2\xa0 A\xc2\xa0\xc2\xa0"
         "B\t\r\n\f C</title>"},
        {"empty.html", ""},
    };
    QStringList listed;
    for (const auto& page : pages) {
        QFile f(dir.filePath(QString::fromLatin1(page.file)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(page.bytes);
        listed << QString::fromLatin1(page.file);
    }
    fd::test::PeerProcess local(
        QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/http_test_server.py"),
        {dir.path(), QStringLiteral("300")});
    ASSERT_TRUE(local.ok());
    qputenv("FARROWDALE_RENDER", FARROWDALE_RENDER_PROGRAM);
    std::atomic<bool> cancel{false};
    auto renderedDisagreements = [&](const QString& root, const QStringList& list) {
        AuditRequest r;
        r.rootUrl = root;
        r.pages = list;
        r.options.rendered = true;
        const AuditResult result = runSiteAudit(r, {}, cancel);
        EXPECT_EQ(result.renderError, QString());
        QStringList out;
        int rendered = 0;
        for (const AuditPage& p : result.pages) rendered += p.rendered.done;
        EXPECT_GE(rendered, list.size());
        for (const AuditFinding& f : result.findings)
            if (findingCode(f.kind).startsWith(QLatin1String("rendered-")))
                out << f.url + u' ' + findingCode(f.kind) + u' ' + f.detail;
        return out;
    };
    EXPECT_EQ(
        renderedDisagreements(QStringLiteral("http://127.0.0.1:%1/").arg(local.port()), listed),
        QStringList());

    const QString docs = QStringLiteral("/usr/share/doc/python3.11/html");
    if (!QFile::exists(docs + QStringLiteral("/index.html")))
        GTEST_SKIP() << "python3.11-doc is not installed";
    fd::test::PeerProcess manual(
        QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/http_test_server.py"),
        {docs, QStringLiteral("300")});
    ASSERT_TRUE(manual.ok());
    const QStringList sample = {
        "library/index.html",  "library/functions.html", "library/re.html",
        "tutorial/index.html", "tutorial/classes.html",  "reference/datamodel.html",
        "howto/logging.html",  "glossary.html",          "whatsnew/3.11.html",
        "genindex-A.html",     "py-modindex.html",       "search.html"};
    EXPECT_EQ(
        renderedDisagreements(QStringLiteral("http://127.0.0.1:%1/").arg(manual.port()), sample),
        QStringList());
}
