#include "PageReader.h"

#include <gumbo.h>

#include <QStringDecoder>
#include <QUrl>
#include <memory>
#include <vector>

#include "AuditUrl.h"
#include "HtmlNesting.h"
#include "core/HtmlText.h"

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

Parsed parse(const QByteArray& utf8, qsizetype offset = 0) {
    const GumboOptions& o = parserOptions();
    return Parsed(gumbo_parse_with_options(&o, utf8.constData() + offset,
                                           static_cast<size_t>(utf8.size() - offset)),
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

// The encoding a charset label stands for, as browsers read it: the Latin-1
// and ASCII labels mean windows-1252, a UTF-16 label inside the document
// means UTF-8. Empty when the label names nothing known.
QString canonicalCharset(QString label, bool fromDocument) {
    label = label.trimmed().toLower();
    if (label.isEmpty()) return {};
    if (label == u"utf8" || label == u"unicode-1-1-utf-8") label = QStringLiteral("utf-8");
    static const char* const kWestern[] = {
        "ascii",  "us-ascii",   "iso-8859-1",  "iso8859-1",    "latin1",
        "l1",     "cp1252",     "x-cp1252",    "cp819",        "iso_8859-1",
        "ibm819", "iso-ir-100", "csisolatin1", "windows-1252", "x-user-defined"};
    for (const char* w : kWestern)
        if (label == QLatin1String(w)) return QStringLiteral("windows-1252");
    if (fromDocument && label.startsWith(u"utf-16")) return QStringLiteral("utf-8");
    if (label == u"utf-8") return label;
    if (!QStringDecoder(label.toLatin1().constData()).isValid()) return {};
    return label;
}

bool isUtf8(const QString& charset) {
    return charset == u"utf-8";
}

// Whether bytes are well-formed UTF-8.
bool validUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int n;
        unsigned cp;
        if ((*p & 0xE0) == 0xC0) {
            n = 1;
            cp = *p & 0x1F;
        } else if ((*p & 0xF0) == 0xE0) {
            n = 2;
            cp = *p & 0x0F;
        } else if ((*p & 0xF8) == 0xF0) {
            n = 3;
            cp = *p & 0x07;
        } else {
            return false;
        }
        if (end - p <= n) return false;
        for (int i = 1; i <= n; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += n + 1;
    }
    return true;
}

QByteArray toUtf8(const QByteArray& bytes, const QString& charset) {
    QStringDecoder decoder(charset.toLatin1().constData());
    return QString(decoder(bytes)).toUtf8();
}

// The charset a meta element of the parsed document declares ("" when none).
QString declaredCharset(const GumboNode* root) {
    std::vector<const GumboNode*> stack{root};
    while (!stack.empty()) {
        const GumboNode* n = stack.back();
        stack.pop_back();
        if (n->type != GUMBO_NODE_ELEMENT) continue;
        const GumboElement& el = n->v.element;
        if (el.tag == GUMBO_TAG_META) {
            if (hasAttr(el, "charset")) return attr(el, "charset");
            if (attr(el, "http-equiv").trimmed().compare(u"content-type", Qt::CaseInsensitive) ==
                0) {
                const QString cs = charsetOf(attr(el, "content"));
                if (!cs.isEmpty()) return cs;
            }
        }
        // The declaration belongs in the head; the body is not searched.
        if (el.tag == GUMBO_TAG_BODY) continue;
        for (unsigned i = el.children.length; i-- > 0;)
            stack.push_back(static_cast<const GumboNode*>(el.children.data[i]));
    }
    return {};
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
};

}  // namespace

bool isHtmlContentType(const QString& contentType) {
    const QString type = contentType.section(u';', 0, 0).trimmed().toLower();
    return type == u"text/html" || type == u"application/xhtml+xml";
}

QString charsetOf(const QString& contentType) {
    const QStringList params = contentType.split(u';');
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QString p = params[i].trimmed();
        const qsizetype eq = p.indexOf(u'=');
        if (eq < 0 || p.left(eq).trimmed().compare(u"charset", Qt::CaseInsensitive) != 0) continue;
        QString v = p.mid(eq + 1).trimmed();
        if (v.size() >= 2 && (v.startsWith(u'"') || v.startsWith(u'\'')) && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        return v.trimmed();
    }
    return {};
}

PageContent readPage(const QByteArray& body, const QString& contentType, const QString& pageUrl,
                     const PageReadOptions& options) {
    PageContent out;
    out.notRead = nestingTooDeep(body);
    if (!out.notRead.isEmpty()) return out;
    QByteArray converted;  // the body in UTF-8 when it came in another encoding
    qsizetype offset = 0;
    Parsed doc(nullptr, GumboDeleter{&parserOptions()});

    if (body.startsWith("\xEF\xBB\xBF")) {
        out.charset = QStringLiteral("utf-8");
        offset = 3;
    } else if (body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF")) {
        out.charset =
            body.startsWith("\xFF\xFE") ? QStringLiteral("utf-16le") : QStringLiteral("utf-16be");
        converted = toUtf8(body, out.charset);  // the decoder drops the mark
    } else {
        out.charset = canonicalCharset(charsetOf(contentType), false);
        if (out.charset.isEmpty()) {
            // Nothing outside the document says: read it as UTF-8 to find a
            // meta declaration, and read it again when that names another
            // encoding (or when nothing does and the bytes are not UTF-8).
            doc = parse(body);
            QString declared = canonicalCharset(declaredCharset(doc->root), true);
            if (declared.isEmpty()) {
                declared =
                    validUtf8(body) ? QStringLiteral("utf-8") : QStringLiteral("windows-1252");
            }
            out.charset = declared;
            if (!isUtf8(declared)) doc.reset();
        }
        if (!doc && !isUtf8(out.charset)) converted = toUtf8(body, out.charset);
    }
    if (!doc) doc = converted.isNull() ? parse(body, offset) : parse(converted);

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
