#include "PageReader.h"

#include <gumbo.h>

#include <QUrl>
#include <memory>
#include <vector>

#include "AuditUrl.h"
#include "HtmlNesting.h"
#include "core/HtmlText.h"
#include "platform/HtmlEncoding.h"

namespace fd::audit {

namespace {

struct GumboDeleter {
    const GumboOptions* options;
    void operator()(GumboOutput* out) const { gumbo_destroy_output(options, out); }
};
using Parsed = std::unique_ptr<GumboOutput, GumboDeleter>;

const GumboOptions& parserOptions() {
    static const GumboOptions options = [] {
        GumboOptions o = kGumboDefaultOptions;
        o.max_errors = 0;  // parse errors are not wanted: do not record them
        return o;
    }();
    return options;
}

Parsed parse(const QByteArray& utf8) {
    const GumboOptions& o = parserOptions();
    return Parsed(gumbo_parse_with_options(&o, utf8.constData(), static_cast<size_t>(utf8.size())),
                  GumboDeleter{&o});
}

QString attr(const GumboElement& el, const char* name) {
    const GumboAttribute* a = gumbo_get_attribute(&el.attributes, name);
    return a ? QString::fromUtf8(a->value) : QString();
}

bool hasAttr(const GumboElement& el, const char* name) {
    return gumbo_get_attribute(&el.attributes, name) != nullptr;
}

// The text of every text node under node, in document order.
QString textOf(const GumboNode* node) {
    QString text;
    std::vector<const GumboNode*> stack{node};
    while (!stack.empty()) {
        const GumboNode* n = stack.back();
        stack.pop_back();
        if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE ||
            n->type == GUMBO_NODE_CDATA) {
            text += QString::fromUtf8(n->v.text.text);
        } else if (n->type == GUMBO_NODE_ELEMENT || n->type == GUMBO_NODE_TEMPLATE) {
            const GumboVector& c = n->v.element.children;
            for (unsigned i = c.length; i-- > 0;)
                stack.push_back(static_cast<const GumboNode*>(c.data[i]));
        }
    }
    return collapseAsciiWhitespace(text);
}

QString cut(const QString& s) {
    return s.size() > kMaxValue ? s.left(kMaxValue) : s;
}

class Reader {
public:
    Reader(const QString& pageUrl, const PageReadOptions& options, PageContent& out)
        : options_(options), out_(out), base_(pageUrl) {}

    void read(const GumboNode* root) {
        std::vector<const GumboNode*> stack{root};
        while (!stack.empty()) {
            const GumboNode* n = stack.back();
            stack.pop_back();
            if (n->type != GUMBO_NODE_ELEMENT && n->type != GUMBO_NODE_TEMPLATE) continue;
            const GumboElement& el = n->v.element;
            if (el.tag_namespace == GUMBO_NAMESPACE_HTML) element(n, el);
            for (unsigned i = el.children.length; i-- > 0;)
                stack.push_back(static_cast<const GumboNode*>(el.children.data[i]));
        }
        if (canonicalSeen_) out_.canonical = cut(base_.resolved(QUrl(canonicalHref_)).toString());
        for (const QString& href : hrefs_) link(href);
        for (PendingLink& p : pending_) record(p);
    }

private:
    void element(const GumboNode* n, const GumboElement& el) {
        switch (el.tag) {
            case GUMBO_TAG_HTML:
                if (out_.lang.isEmpty()) out_.lang = cut(attr(el, "lang").trimmed());
                break;
            case GUMBO_TAG_BASE:
                // The first <base href> sets the address links resolve against.
                if (!baseSet_ && hasAttr(el, "href")) {
                    baseSet_ = true;
                    base_ = base_.resolved(QUrl(urlFromAttribute(attr(el, "href"))));
                }
                break;
            case GUMBO_TAG_TITLE:
                if (!out_.hasTitle) {
                    out_.hasTitle = true;
                    out_.title = cut(textOf(n));
                }
                break;
            case GUMBO_TAG_META:
                meta(el);
                break;
            case GUMBO_TAG_LINK:
                if (!canonicalSeen_ && hasAttr(el, "href") &&
                    attr(el, "rel").simplified().toLower().split(u' ').contains(u"canonical")) {
                    canonicalSeen_ = true;
                    canonicalHref_ = urlFromAttribute(attr(el, "href"));
                }
                break;
            case GUMBO_TAG_H1:
                if (out_.h1Count++ == 0) out_.h1Text = cut(textOf(n));
                break;
            case GUMBO_TAG_A:
            case GUMBO_TAG_AREA:
                // Resolved once the whole document is read, so a <base> later
                // in the head still applies.
                if (options_.links && hasAttr(el, "href")) hrefs_ << attr(el, "href");
                break;
            default:
                break;
        }
        if (options_.linkRecords) linkRecord(n, el);
    }

    // A link to keep as a record, resolved once the whole document is read.
    struct PendingLink {
        QString href;
        LinkKind kind;
        const char* element;
        QString rel;
        QString anchor;
    };

    void linkRecord(const GumboNode* n, const GumboElement& el) {
        switch (el.tag) {
            case GUMBO_TAG_A:
            case GUMBO_TAG_AREA:
                if (hasAttr(el, "href"))
                    pend(attr(el, "href"), LinkKind::Page, el.tag == GUMBO_TAG_A ? "a" : "area",
                         attr(el, "rel"),
                         el.tag == GUMBO_TAG_A ? textOf(n)
                                               : collapseAsciiWhitespace(attr(el, "alt")));
                break;
            case GUMBO_TAG_IMG: {
                const QString alt = collapseAsciiWhitespace(attr(el, "alt"));
                if (hasAttr(el, "src")) pend(attr(el, "src"), LinkKind::Image, "img", {}, alt);
                // The first candidate of a srcset: its address ends at the
                // first blank, without the commas that end it there (a comma
                // inside an address belongs to it).
                const QString srcset = attr(el, "srcset").trimmed();
                if (!srcset.isEmpty()) {
                    qsizetype end = 0;
                    while (end < srcset.size() && !srcset[end].isSpace()) ++end;
                    QString first = srcset.left(end);
                    while (first.endsWith(u',')) first.chop(1);
                    if (!first.isEmpty()) pend(first, LinkKind::Image, "img", {}, alt);
                }
                break;
            }
            case GUMBO_TAG_LINK: {
                if (!hasAttr(el, "href")) break;
                const QString rel = relTokens(attr(el, "rel"));
                const QStringList tokens = rel.split(u' ', Qt::SkipEmptyParts);
                const bool page = tokens.contains(u"canonical") || tokens.contains(u"alternate");
                const bool icon = tokens.contains(u"icon") || tokens.contains(u"apple-touch-icon");
                if (page || icon || tokens.contains(u"stylesheet"))
                    pend(attr(el, "href"),
                         page   ? LinkKind::Page
                         : icon ? LinkKind::Image
                                : LinkKind::Resource,
                         "link", rel, {});
                break;
            }
            case GUMBO_TAG_SCRIPT:
                if (hasAttr(el, "src")) pend(attr(el, "src"), LinkKind::Resource, "script", {}, {});
                break;
            case GUMBO_TAG_IFRAME:
                if (hasAttr(el, "src")) pend(attr(el, "src"), LinkKind::Resource, "iframe", {}, {});
                break;
            default:
                break;
        }
    }

    static QString relTokens(const QString& rel) { return collapseAsciiWhitespace(rel).toLower(); }

    void pend(const QString& href, LinkKind kind, const char* element, const QString& rel,
              const QString& anchor) {
        if (static_cast<int>(pending_.size()) >= kMaxLinkRecords) {
            ++out_.linkRecordsDropped;
            return;
        }
        pending_.push_back({href, kind, element, relTokens(rel), anchor.left(kMaxAnchorText)});
    }

    void record(PendingLink& p) {
        const QString h = urlFromAttribute(p.href);
        if (h.isEmpty() || h.startsWith(u'#')) return;
        const QUrl u = base_.resolved(QUrl(h));
        const QString scheme = u.scheme();
        if (scheme != u"http" && scheme != u"https") return;
        const QString target = auditUrl(u);
        if (target.isEmpty()) return;
        out_.linkRecords.push_back({target, p.kind, QString::fromLatin1(p.element),
                                    std::move(p.rel), std::move(p.anchor)});
    }

    void meta(const GumboElement& el) {
        static const char* const kNaming[] = {"name", "property", "http-equiv", "charset",
                                              "itemprop"};
        MetaTag tag;
        for (const char* a : kNaming) {
            if (hasAttr(el, a)) {
                tag.attribute = QString::fromLatin1(a);
                tag.name = cut(attr(el, a));
                break;
            }
        }
        tag.content = cut(attr(el, "content"));
        if (tag.attribute == u"name") {
            const QString name = tag.name.trimmed().toLower();
            if (name == u"description") {
                if (!out_.hasDescription) {
                    out_.hasDescription = true;
                    out_.description = tag.content.trimmed();
                }
            } else if (name == u"keywords") {
                if (out_.keywords.isEmpty()) out_.keywords = tag.content.trimmed();
            } else if (name == u"robots") {
                // Several robots metas all apply.
                if (!out_.robots.isEmpty()) out_.robots += QStringLiteral(", ");
                out_.robots = cut(out_.robots + tag.content.trimmed());
            } else if (name == u"author") {
                if (out_.author.isEmpty()) out_.author = tag.content.trimmed();
            } else if (name == u"revisit") {
                if (out_.revisit.isEmpty()) out_.revisit = tag.content.trimmed();
            }
        }
        if (out_.metas.size() < kMaxMetas) out_.metas << tag;
    }

    void link(const QString& href) {
        const QString h = urlFromAttribute(href);
        if (h.isEmpty() || h.startsWith(u'#')) return;
        const QUrl u = base_.resolved(QUrl(h));
        const QString scheme = u.scheme();
        if (scheme != u"http" && scheme != u"https") return;
        if (!options_.linkOrigin.isEmpty() && originOf(u) != options_.linkOrigin) return;
        const QString s = auditUrl(u);
        if (!s.isEmpty()) out_.links << s;
    }

    const PageReadOptions& options_;
    PageContent& out_;
    QUrl base_;
    bool baseSet_ = false;
    bool canonicalSeen_ = false;
    QString canonicalHref_;
    QStringList hrefs_;
    std::vector<PendingLink> pending_;
};

}  // namespace

bool isHtmlContentType(const QString& contentType) {
    const QString type = contentType.section(u';', 0, 0).trimmed().toLower();
    return type == u"text/html" || type == u"application/xhtml+xml";
}

QString charsetOf(const QString& contentType) {
    return contentTypeCharset(contentType);
}

PageContent readPage(const QByteArray& body, const QString& contentType, const QString& pageUrl,
                     const PageReadOptions& options) {
    PageContent out;
    out.notRead = nestingTooDeep(body);
    if (!out.notRead.isEmpty()) return out;
    // Decoded as the browser decodes it; the parser reads UTF-8.
    const HtmlCharset charset = htmlCharset(body, contentType);
    out.charset = charset.encoding;
    const QByteArray utf8 = htmlAsUtf8(body, charset);
    const Parsed doc = parse(utf8);
    Reader(pageUrl, options, out).read(doc->root);
    return out;
}

void applyContent(AuditPage& page, const PageContent& c) {
    if (!c.notRead.isEmpty()) {
        page.notRead = true;
        page.error = c.notRead;
        return;
    }
    page.html = true;
    page.hasTitle = c.hasTitle;
    page.title = c.title;
    page.hasDescription = c.hasDescription;
    page.description = c.description;
    page.keywords = c.keywords;
    page.robots = c.robots;
    page.author = c.author;
    page.revisit = c.revisit;
    page.canonical = c.canonical;
    page.h1Count = c.h1Count;
    page.h1Text = c.h1Text;
    page.lang = c.lang;
    page.metas = c.metas;
}

}  // namespace fd::audit
