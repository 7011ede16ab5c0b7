// The site audit's HTML reader, fed a Content-Type (first line) and a body
// (the rest), as a hostile server sends them. Oracles: what is kept stays
// within its caps; every link kept is an absolute http(s) address of the
// page's origin (scheme, host and port) without a fragment; the canonical
// address is absolute (as it reads, not necessarily escaped or on the web);
// the body's encoding is always named, unless the body was too deeply
// nested to read, when nothing is read at all.
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

}  // namespace

void htmlPage(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype line = input.indexOf('\n');
    const QString contentType = QString::fromLatin1(line < 0 ? QByteArray() : input.left(line));
    const QByteArray body = line < 0 ? input : input.mid(line + 1);
    audit::PageReadOptions options;
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
    for (const QString& link : page.links) {
        if (!absoluteWebAddress(link) || link.contains(u'#'))
            fail("a link kept is not an absolute web address without a fragment: " +
                 link.toStdString());
        check(audit::originOf(QUrl(link)) == options.linkOrigin,
              "a link to another origin is kept");
    }
}

}  // namespace fd::fuzz
