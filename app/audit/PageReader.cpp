#include "PageReader.h"

#include <gumbo.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <cstring>
#include <memory>
#include <vector>

#include "AuditUrl.h"
#include "HtmlEvents.h"
#include "HtmlNesting.h"
#include "PlainHtml.h"
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

Parsed parse(std::string_view utf8) {
    const GumboOptions& o = parserOptions();
    return Parsed(gumbo_parse_with_options(&o, utf8.data(), utf8.size()), GumboDeleter{&o});
}

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString attr(std::span<const HtmlAttribute> a, std::string_view name) {
    const HtmlAttribute* found = findAttribute(a, name);
    return found ? qs(found->value) : QString();
}

bool hasAttr(std::span<const HtmlAttribute> a, std::string_view name) {
    return findAttribute(a, name) != nullptr;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x + 32);
        if (y >= 'A' && y <= 'Z') y = char(y + 32);
        if (x != y) return false;
    }
    return true;
}

QString cut(const QString& s) {
    return s.size() > kMaxValue ? s.left(kMaxValue) : s;
}

// Text kept while it is read: at most limit bytes.
void keep(std::string& buffer, std::string_view text, std::size_t limit) {
    if (buffer.size() < limit) buffer.append(text.substr(0, limit - buffer.size()));
}

// Elements whose text is not part of what the page shows.
bool hidesText(GumboTag t) {
    switch (t) {
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_NOSCRIPT:
        case GUMBO_TAG_TITLE:
        case GUMBO_TAG_TEMPLATE:
        case GUMBO_TAG_NOFRAMES:
        case GUMBO_TAG_NOEMBED:
        case GUMBO_TAG_IFRAME:
            return true;
        default:
            return false;
    }
}

// Elements inside a line of text: their edges do not end a word.
bool inlineElement(GumboTag t) {
    switch (t) {
        case GUMBO_TAG_A:
        case GUMBO_TAG_ABBR:
        case GUMBO_TAG_B:
        case GUMBO_TAG_BDI:
        case GUMBO_TAG_BDO:
        case GUMBO_TAG_BIG:
        case GUMBO_TAG_CITE:
        case GUMBO_TAG_CODE:
        case GUMBO_TAG_DATA:
        case GUMBO_TAG_DFN:
        case GUMBO_TAG_EM:
        case GUMBO_TAG_FONT:
        case GUMBO_TAG_I:
        case GUMBO_TAG_KBD:
        case GUMBO_TAG_LABEL:
        case GUMBO_TAG_MARK:
        case GUMBO_TAG_NOBR:
        case GUMBO_TAG_Q:
        case GUMBO_TAG_S:
        case GUMBO_TAG_SAMP:
        case GUMBO_TAG_SMALL:
        case GUMBO_TAG_SPAN:
        case GUMBO_TAG_STRIKE:
        case GUMBO_TAG_STRONG:
        case GUMBO_TAG_SUB:
        case GUMBO_TAG_SUP:
        case GUMBO_TAG_TIME:
        case GUMBO_TAG_TT:
        case GUMBO_TAG_U:
        case GUMBO_TAG_VAR:
            return true;
        default:
            return false;
    }
}

// Why an application/ld+json script does not describe anything; empty when
// it does: valid JSON whose object (or each object of its array) names
// its @context and its @type (or a @graph of typed objects).
QString jsonLdProblem(const std::string& text) {
    QJsonParseError error;
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(text.data(), qsizetype(text.size())), &error);
    if (doc.isNull())
        return QStringLiteral("Not valid JSON: %1 at byte %2")
            .arg(error.errorString())
            .arg(error.offset);
    QList<QJsonObject> items;
    if (doc.isObject()) items << doc.object();
    for (const QJsonValue& v : doc.array()) items << v.toObject();
    if (items.isEmpty()) return QStringLiteral("Neither an object nor an array of objects");
    for (const QJsonObject& o : items) {
        if (!o.contains(QLatin1String("@context"))) return QStringLiteral("No @context");
        bool typed = o.contains(QLatin1String("@type"));
        const QJsonArray graph = o.value(QLatin1String("@graph")).toArray();
        if (!typed && !graph.isEmpty()) {
            typed = true;
            for (const QJsonValue& g : graph)
                typed = typed && g.toObject().contains(QLatin1String("@type"));
        }
        if (!typed) return QStringLiteral("No @type");
    }
    return {};
}

class Reader final : public HtmlSink {
public:
    Reader(const QString& pageUrl, const PageReadOptions& options, PageContent& out)
        : options_(options), out_(out), base_(pageUrl), page_(pageUrl) {
        https_ = page_.scheme() == u"https";
    }

    void startElement(GumboTag tag, std::span<const HtmlAttribute> a, bool inHead) override {
        if (hidesText(tag)) ++hidden_;
        if (!inlineElement(tag)) wordBreak();
        switch (tag) {
            case GUMBO_TAG_HTML:
                if (!htmlSeen_) {
                    htmlSeen_ = true;
                    out_.checks.hasLang = hasAttr(a, "lang");
                    out_.lang = cut(attr(a, "lang").trimmed());
                }
                break;
            case GUMBO_TAG_BASE:
                // The first <base href> sets the address links resolve against.
                if (!baseSet_ && hasAttr(a, "href")) {
                    baseSet_ = true;
                    base_ = base_.resolved(QUrl(urlFromAttribute(attr(a, "href"))));
                }
                break;
            case GUMBO_TAG_TITLE:
                if (out_.checks.titleCount++ == 0) titleOpen_ = true;
                break;
            case GUMBO_TAG_META:
                meta(a, inHead);
                break;
            case GUMBO_TAG_LINK:
                link(a, inHead);
                break;
            case GUMBO_TAG_H1:
                if (out_.h1Count++ == 0) h1Open_ = true;
                break;
            case GUMBO_TAG_A:
            case GUMBO_TAG_AREA:
                anchor(tag, a);
                break;
            case GUMBO_TAG_IMG:
                image(a);
                break;
            case GUMBO_TAG_SCRIPT:
                if (hasAttr(a, "src")) {
                    resource("script", attr(a, "src"));
                    if (options_.linkRecords)
                        pend(attr(a, "src"), LinkKind::Resource, "script", {}, {});
                }
                if (equalsIgnoringCase(trimmed(findValue(a, "type")), "application/ld+json")) {
                    jsonOpen_ = true;
                    json_.clear();
                }
                break;
            case GUMBO_TAG_IFRAME:
            case GUMBO_TAG_FRAME:
                if (hasAttr(a, "src")) {
                    resource("frame", attr(a, "src"));
                    if (options_.linkRecords && tag == GUMBO_TAG_IFRAME)
                        pend(attr(a, "src"), LinkKind::Resource, "iframe", {}, {});
                }
                break;
            default:
                break;
        }
    }

    void endElement(GumboTag tag) override {
        if (hidesText(tag)) --hidden_;
        if (!inlineElement(tag)) wordBreak();
        switch (tag) {
            case GUMBO_TAG_TITLE:
                if (titleOpen_) {
                    titleOpen_ = false;
                    out_.hasTitle = true;
                    out_.title = cut(collapseAsciiWhitespace(qs(title_)));
                }
                break;
            case GUMBO_TAG_H1:
                if (h1Open_) {
                    h1Open_ = false;
                    out_.h1Text = cut(collapseAsciiWhitespace(qs(h1_)));
                }
                break;
            case GUMBO_TAG_A:
                if (!openAnchors_.empty()) {
                    const int k = openAnchors_.back();
                    openAnchors_.pop_back();
                    if (k >= 0)
                        pending_[std::size_t(k)].anchor =
                            collapseAsciiWhitespace(qs(anchorText_[std::size_t(k)]))
                                .left(kMaxAnchorText);
                }
                break;
            case GUMBO_TAG_SCRIPT:
                if (jsonOpen_) {
                    jsonOpen_ = false;
                    ++out_.checks.jsonLd;
                    const QString problem = jsonLdProblem(json_);
                    if (!problem.isEmpty() && out_.checks.jsonLdProblems.size() < kNamedExamples)
                        out_.checks.jsonLdProblems << problem;
                }
                break;
            default:
                break;
        }
    }

    void text(std::string_view t) override {
        if (titleOpen_) keep(title_, t, 4 * kMaxValue);
        if (h1Open_) keep(h1_, t, 4 * kMaxValue);
        if (jsonOpen_) keep(json_, t, kMaxJsonLdBytes);
        for (int k : openAnchors_)
            if (k >= 0) keep(anchorText_[std::size_t(k)], t, 4 * kMaxAnchorText);
        if (hidden_ > 0) return;
        for (char c : t) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r') {
                wordBreak();
                continue;
            }
            if (!inWord_) {
                inWord_ = true;
                ++out_.checks.words;
            }
            if (spaceDue_) {
                hash(' ');
                spaceDue_ = false;
            }
            hash(c);
            anyText_ = true;
        }
    }

    void finish() {
        if (canonicalSeen_) out_.canonical = cut(base_.resolved(QUrl(canonicalHref_)).toString());
        for (const QString& href : hrefs_) followLink(href);
        for (PendingLink& p : pending_) record(p);
        for (const Alternate& alt : alternates_) {
            const QString h = urlFromAttribute(alt.url);
            const QString target = h.isEmpty() ? QString() : auditUrl(base_.resolved(QUrl(h)));
            out_.checks.alternates.append({cut(alt.hreflang), target.isEmpty() ? cut(h) : target});
        }
        for (const auto& [kind, raw] : resources_) {
            const QUrl u = base_.resolved(QUrl(urlFromAttribute(raw)));
            if (u.scheme() != u"http") continue;
            if (out_.checks.mixedContent++ < kNamedExamples)
                out_.checks.mixedContentNamed << QString::fromLatin1(kind) + u' ' + u.toString();
        }
        out_.checks.textHash = anyText_ ? hash_ : 0;
    }

private:
    static std::string_view findValue(std::span<const HtmlAttribute> a, std::string_view name) {
        const HtmlAttribute* found = findAttribute(a, name);
        return found ? found->value : std::string_view();
    }
    static std::string_view trimmed(std::string_view s) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' ||
                              s.front() == '\f' || s.front() == '\r'))
            s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' ||
                              s.back() == '\f' || s.back() == '\r'))
            s.remove_suffix(1);
        return s;
    }

    void wordBreak() {
        inWord_ = false;
        spaceDue_ = anyText_;
    }

    void hash(char c) {
        hash_ ^= static_cast<unsigned char>(c);
        hash_ *= 1099511628211ULL;
    }

    // A resource an https page loads; judged once the base is known.
    void resource(const char* kind, const QString& raw) {
        if (https_ && resources_.size() < std::size_t(kMaxLinkRecords))
            resources_.emplace_back(kind, raw);
    }

    void anchor(GumboTag tag, std::span<const HtmlAttribute> a) {
        const bool href = hasAttr(a, "href");
        // Resolved once the whole document is read, so a <base> later in
        // the head still applies.
        if (options_.links && href) hrefs_ << attr(a, "href");
        int record = -1;
        if (options_.linkRecords && href) {
            if (tag == GUMBO_TAG_A) {
                record = pend(attr(a, "href"), LinkKind::Page, "a", attr(a, "rel"), {});
            } else {
                pend(attr(a, "href"), LinkKind::Page, "area", attr(a, "rel"),
                     collapseAsciiWhitespace(attr(a, "alt")));
            }
        }
        if (tag == GUMBO_TAG_A) openAnchors_.push_back(record);
    }

    void image(std::span<const HtmlAttribute> a) {
        const QString src = attr(a, "src");
        if (!hasAttr(a, "alt")) {
            if (out_.checks.imagesWithoutAlt++ < kNamedExamples)
                out_.checks.imagesWithoutAltNamed << cut(src);
        }
        if (hasAttr(a, "src")) resource("img", src);
        // The first candidate of a srcset: its address ends at the first
        // blank, without the commas that end it there (a comma inside an
        // address belongs to it).
        QString first;
        const QString srcset = attr(a, "srcset").trimmed();
        if (!srcset.isEmpty()) {
            qsizetype end = 0;
            while (end < srcset.size() && !srcset[end].isSpace()) ++end;
            first = srcset.left(end);
            while (first.endsWith(u',')) first.chop(1);
            if (!first.isEmpty()) resource("img", first);
        }
        if (!options_.linkRecords) return;
        const QString alt = collapseAsciiWhitespace(attr(a, "alt"));
        if (hasAttr(a, "src")) pend(src, LinkKind::Image, "img", {}, alt);
        if (!first.isEmpty()) pend(first, LinkKind::Image, "img", {}, alt);
    }

    void link(std::span<const HtmlAttribute> a, bool inHead) {
        if (!hasAttr(a, "href")) return;
        const QString rel = relTokens(attr(a, "rel"));
        const QStringList tokens = rel.split(u' ', Qt::SkipEmptyParts);
        const bool canonical = tokens.contains(u"canonical");
        const bool alternate = tokens.contains(u"alternate");
        if (canonical) {
            if (out_.checks.canonicalCount++ == 0) {
                canonicalSeen_ = true;
                canonicalHref_ = urlFromAttribute(attr(a, "href"));
                out_.checks.canonicalWritten = cut(attr(a, "href").trimmed());
            }
            if (!inHead) out_.checks.canonicalInBody = true;
        }
        if (alternate && hasAttr(a, "hreflang") && alternates_.size() < kMaxLinkRecords)
            alternates_.append({attr(a, "hreflang").trimmed(), attr(a, "href")});
        const bool stylesheet = tokens.contains(u"stylesheet");
        if (stylesheet) resource("stylesheet", attr(a, "href"));
        if (!options_.linkRecords) return;
        const bool page = canonical || alternate;
        const bool icon = tokens.contains(u"icon") || tokens.contains(u"apple-touch-icon");
        if (page || icon || stylesheet)
            pend(attr(a, "href"),
                 page   ? LinkKind::Page
                 : icon ? LinkKind::Image
                        : LinkKind::Resource,
                 "link", rel, {});
    }

    // A link to keep as a record, resolved once the whole document is read.
    struct PendingLink {
        QString href;
        LinkKind kind;
        const char* element;
        QString rel;
        QString anchor;
    };

    static QString relTokens(const QString& rel) { return collapseAsciiWhitespace(rel).toLower(); }

    int pend(const QString& href, LinkKind kind, const char* element, const QString& rel,
             const QString& anchor) {
        if (static_cast<int>(pending_.size()) >= kMaxLinkRecords) {
            ++out_.linkRecordsDropped;
            return -1;
        }
        pending_.push_back({href, kind, element, relTokens(rel), anchor.left(kMaxAnchorText)});
        anchorText_.emplace_back();
        return int(pending_.size() - 1);
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

    void meta(std::span<const HtmlAttribute> a, bool inHead) {
        static const char* const kNaming[] = {"name", "property", "http-equiv", "charset",
                                              "itemprop"};
        MetaTag tag;
        for (const char* n : kNaming) {
            if (hasAttr(a, n)) {
                tag.attribute = QString::fromLatin1(n);
                tag.name = cut(attr(a, n));
                break;
            }
        }
        tag.content = cut(attr(a, "content"));
        const QString name = tag.name.trimmed().toLower();
        if (!inHead) {
            if (out_.checks.metasInBody++ < kNamedExamples)
                out_.checks.metasInBodyNamed
                    << (tag.attribute.isEmpty() ? QStringLiteral("meta")
                                                : tag.attribute + u'=' + tag.name);
        }
        if (tag.attribute == u"property") {
            if (name == u"og:title") out_.checks.hasOgTitle = true;
            if (name == u"og:description") out_.checks.hasOgDescription = true;
        }
        if (tag.attribute == u"name") {
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
            } else if (name == u"viewport") {
                out_.checks.hasViewport = true;
            }
        }
        if (out_.metas.size() < kMaxMetas) out_.metas << tag;
    }

    void followLink(const QString& href) {
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
    const QUrl page_;
    bool https_ = false;
    bool htmlSeen_ = false;
    bool baseSet_ = false;
    bool canonicalSeen_ = false;
    QString canonicalHref_;
    QStringList hrefs_;
    std::vector<PendingLink> pending_;
    std::vector<std::string> anchorText_;
    std::vector<int> openAnchors_;  // record of each open <a>, -1 when none
    QList<Alternate> alternates_;   // as written, resolved at the end
    std::vector<std::pair<const char*, QString>> resources_;
    int hidden_ = 0;
    bool titleOpen_ = false, h1Open_ = false, jsonOpen_ = false;
    std::string title_, h1_, json_;
    bool inWord_ = false, spaceDue_ = false, anyText_ = false;
    quint64 hash_ = 14695981039346656037ULL;
};

// Line ends as the HTML parser reads them: CR LF and CR alone become LF.
QByteArray withLinefeeds(const QByteArray& utf8) {
    if (!utf8.contains('\r')) return utf8;
    QByteArray out;
    out.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c != '\r') {
            out += c;
        } else {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        }
    }
    return out;
}

}  // namespace

void walkParsedHtml(const GumboNode* root, HtmlSink& sink) {
    // Each node is visited twice: on the way in (its start and children)
    // and on the way out (its end).
    struct Step {
        const GumboNode* node;
        bool leaving;
    };
    std::vector<Step> stack{{root, false}};
    std::vector<HtmlAttribute> attributes;
    int heads = 0;
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const GumboNode* n = step.node;
        if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE ||
            n->type == GUMBO_NODE_CDATA) {
            sink.text(n->v.text.text);
            continue;
        }
        // A template's content is a fragment of its own, not the document.
        if (n->type != GUMBO_NODE_ELEMENT) continue;
        const GumboElement& el = n->v.element;
        const bool html = el.tag_namespace == GUMBO_NAMESPACE_HTML;
        if (step.leaving) {
            if (el.tag == GUMBO_TAG_HEAD) --heads;
            sink.endElement(el.tag);
            continue;
        }
        if (html) {
            attributes.clear();
            for (unsigned i = 0; i < el.attributes.length; ++i) {
                const auto* a = static_cast<const GumboAttribute*>(el.attributes.data[i]);
                attributes.push_back({a->name, a->value});
            }
            sink.startElement(el.tag, attributes, heads > 0);
            stack.push_back({n, true});
            if (el.tag == GUMBO_TAG_HEAD) ++heads;
            // With scripting on, as in the browser, a <noscript> holds text.
            if (el.tag == GUMBO_TAG_NOSCRIPT) continue;
        }
        for (unsigned i = el.children.length; i-- > 0;)
            stack.push_back({static_cast<const GumboNode*>(el.children.data[i]), false});
    }
}

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
    // Decoded as the browser decodes it; both readers read UTF-8.
    const HtmlCharset charset = htmlCharset(body, contentType);
    const QByteArray utf8 = withLinefeeds(htmlAsUtf8(body, charset));
    const std::string_view text(utf8.constData(), std::size_t(utf8.size()));
    if (!options.fullParser) {
        Reader plain(pageUrl, options, out);
        if (readPlainHtml(text, plain)) {
            plain.finish();
            out.charset = charset.encoding;
            out.plainRead = true;
            return out;
        }
        out = PageContent();
    }
    out.charset = charset.encoding;
    const Parsed doc = parse(text);
    Reader reader(pageUrl, options, out);
    walkParsedHtml(doc->root, reader);
    reader.finish();
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
    // The headers' part was set by the crawler.
    const QString headerCanonical = page.checks.headerCanonical;
    const bool hsts = page.checks.hsts;
    page.checks = c.checks;
    page.checks.headerCanonical = headerCanonical;
    page.checks.hsts = hsts;
}

}  // namespace fd::audit
