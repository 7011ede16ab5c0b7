// The site audit's HTML reader, fed a Content-Type (first line) and a body
// (the rest), as a hostile server sends them. Oracles: what is kept stays
// within its caps; every link kept is an absolute http(s) address of the
// page's origin (scheme, host and port) without a fragment; the canonical
// address is absolute (as it reads, not necessarily escaped or on the web);
// the body's encoding is always named, unless the body was too deeply
// nested to read, when nothing is read at all; and a page the plain reader
// reads is read exactly as libgumbo's HTML5 parser reads it (a <noscript>
// aside: the plain reader reads it as the browser does, with scripting on).
#include <QUrl>

#include "FuzzTarget.h"
#include "audit/AuditUrl.h"
#include "audit/PageReader.h"

namespace fd::fuzz {

namespace {

bool absoluteWebAddress(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
           !url.host().isEmpty();
}

bool sameLinks(const std::vector<audit::PageLink>& a, const std::vector<audit::PageLink>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].target != b[i].target || a[i].kind != b[i].kind || a[i].element != b[i].element ||
            a[i].rel != b[i].rel || a[i].anchor != b[i].anchor)
            return false;
    return true;
}

bool sameMetas(const QList<audit::MetaTag>& a, const QList<audit::MetaTag>& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].attribute != b[i].attribute || a[i].name != b[i].name ||
            a[i].content != b[i].content)
            return false;
    return true;
}

bool sameReading(const audit::PageContent& a, const audit::PageContent& b) {
    const audit::PageChecks &x = a.checks, &y = b.checks;
    QStringList ax, bx;
    for (const audit::Alternate& alt : x.alternates) ax << alt.hreflang + u' ' + alt.url;
    for (const audit::Alternate& alt : y.alternates) bx << alt.hreflang + u' ' + alt.url;
    return a.hasTitle == b.hasTitle && a.title == b.title && a.hasDescription == b.hasDescription &&
           a.description == b.description && a.keywords == b.keywords && a.robots == b.robots &&
           a.author == b.author && a.revisit == b.revisit && a.canonical == b.canonical &&
           a.h1Count == b.h1Count && a.h1Text == b.h1Text && a.lang == b.lang &&
           sameMetas(a.metas, b.metas) && a.links == b.links &&
           sameLinks(a.linkRecords, b.linkRecords) && x.titleCount == y.titleCount &&
           x.hasLang == y.hasLang && x.hasViewport == y.hasViewport &&
           x.hasOgTitle == y.hasOgTitle && x.hasOgDescription == y.hasOgDescription &&
           x.metasInBody == y.metasInBody && x.canonicalCount == y.canonicalCount &&
           x.canonicalInBody == y.canonicalInBody && x.canonicalWritten == y.canonicalWritten &&
           ax == bx && x.imagesWithoutAlt == y.imagesWithoutAlt &&
           x.imagesWithoutAltNamed == y.imagesWithoutAltNamed && x.mixedContent == y.mixedContent &&
           x.words == y.words && x.textHash == y.textHash && x.jsonLd == y.jsonLd &&
           x.jsonLdProblems == y.jsonLdProblems;
}

}  // namespace

void htmlPage(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype line = input.indexOf('\n');
    const QString contentType = QString::fromLatin1(line < 0 ? QByteArray() : input.left(line));
    const QByteArray body = line < 0 ? input : input.mid(line + 1);
    audit::PageReadOptions options;  // not const: the comparison adds link records
    options.links = true;
    options.linkOrigin = QStringLiteral("http://www.example.com:80");
    const audit::PageContent page = audit::readPage(
        body, contentType, QStringLiteral("http://www.example.com/shop/page.htm"), options);

    if (!page.notRead.isEmpty()) {
        check(page.charset.isEmpty() && !page.hasTitle && page.metas.isEmpty() &&
                  page.links.isEmpty(),
              "a page not read has something read");
        return;
    }
    check(!page.charset.isEmpty(), "the page's encoding is not named");
    check(page.metas.size() <= audit::kMaxMetas, "more metas kept than the cap");
    for (const audit::MetaTag& m : page.metas)
        check(m.name.size() <= audit::kMaxValue && m.content.size() <= audit::kMaxValue,
              "a meta value longer than the cap is kept");
    for (const QString* value : {&page.description, &page.keywords, &page.robots, &page.author,
                                 &page.revisit, &page.title, &page.h1Text, &page.lang})
        check(value->size() <= audit::kMaxValue, "a value longer than the cap is kept");
    // The canonical address is kept as it reads (spaces and letters outside
    // ASCII as they are, any scheme the page names, which the findings then
    // report as pointing elsewhere), but always resolved against the page.
    if (!page.canonical.isEmpty() && QUrl(page.canonical).isRelative())
        fail("the canonical address is not absolute: " + page.canonical.toStdString());
    if (page.plainRead && !body.contains("noscript") && !body.contains("NOSCRIPT")) {
        audit::PageReadOptions full = options;
        full.fullParser = true;
        full.linkRecords = options.linkRecords = true;
        const audit::PageContent a = audit::readPage(
            body, contentType, QStringLiteral("https://www.example.com/shop/page.htm"), options);
        const audit::PageContent b = audit::readPage(
            body, contentType, QStringLiteral("https://www.example.com/shop/page.htm"), full);
        check(sameReading(a, b), "the plain reader and the HTML5 parser read the page differently");
    }
    for (const QString& link : page.links) {
        if (!absoluteWebAddress(link) || link.contains(u'#'))
            fail("a link kept is not an absolute web address without a fragment: " +
                 link.toStdString());
        check(audit::originOf(QUrl(link)) == options.linkOrigin,
              "a link to another origin is kept");
    }
}

}  // namespace fd::fuzz
