#pragma once
// Reads one HTML answer with an HTML5 parser: the charset (byte-order mark,
// then the Content-Type header, then a meta element; UTF-8 when nothing says
// and the bytes are valid UTF-8, else windows-1252), the title, every meta,
// the canonical link, the <h1> elements, the language and, when asked, the
// links. No body is kept.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "AuditTypes.h"

namespace fd::audit {

struct PageReadOptions {
    // Collect the links (<a href>, <area href>) as absolute http(s)
    // addresses without their fragment.
    bool links = false;
    // Only links to this origin ("scheme://host:port", as originOf gives
    // it): a page of the site has the root's scheme, host and port. Empty
    // keeps every origin.
    QString linkOrigin;
    // Record every link of the page (see PageLink), whatever its origin.
    bool linkRecords = false;
    // Read with libgumbo's HTML5 parser alone, without trying the plain
    // reader first (the two read a page alike; this is for comparing them).
    bool fullParser = false;
};

// What a link points at: another page, an image, or a resource the page
// loads (a stylesheet, a script, an icon, a frame's document).
enum class LinkKind { Page, Image, Resource };

// One link of a page, as the page holds it.
struct PageLink {
    QString target;  // absolute http(s), resolved against the document's base, no fragment
    LinkKind kind = LinkKind::Page;
    QString element;  // "a", "area", "img", "link", "script", "iframe"
    QString rel;      // the rel tokens in lower case, blank-separated ("nofollow ugc", ...)
    QString anchor;   // the link's text (an image's alt text), white space collapsed
};

// At most this many link records a page; the rest are only counted.
constexpr int kMaxLinkRecords = 5000;
// A link's text is kept to this many characters.
constexpr int kMaxAnchorText = 100;

struct PageContent {
    // Why the body was not read (its elements nest too deeply); empty when
    // it was.
    QString notRead;
    QString charset;  // the encoding the body was read in
    bool hasTitle = false;
    QString title;
    bool hasDescription = false;
    QString description, keywords, robots, author, revisit;
    QString canonical;  // absolute, resolved against the page
    int h1Count = 0;
    QString h1Text;
    QString lang;
    QList<MetaTag> metas;
    QStringList links;
    // With PageReadOptions::linkRecords: every link in document order, and
    // how many there were beyond kMaxLinkRecords.
    std::vector<PageLink> linkRecords;
    int linkRecordsDropped = 0;
    PageChecks checks;
    // Whether the plain reader read the page (else libgumbo did).
    bool plainRead = false;
};

// Whether a Content-Type names an HTML document.
bool isHtmlContentType(const QString& contentType);
// The charset parameter of a Content-Type ("" when none).
QString charsetOf(const QString& contentType);

// Reads body (as the server sent it, after decompression); pageUrl is the
// address the body came from, used to resolve relative addresses.
PageContent readPage(const QByteArray& body, const QString& contentType, const QString& pageUrl,
                     const PageReadOptions& options = {});

// Copies what was read into the page's record.
void applyContent(AuditPage& page, const PageContent& content);

// At most this many metas of a page are kept, each value cut to kMaxValue
// characters, so a hostile page cannot make the audit's memory grow.
constexpr int kMaxMetas = 200;
constexpr int kMaxValue = 2000;
// Lists of examples a page's checks keep (images without alt, ...).
constexpr int kNamedExamples = 5;
// At most this much of an application/ld+json script is read.
constexpr int kMaxJsonLdBytes = 1024 * 1024;

}  // namespace fd::audit
