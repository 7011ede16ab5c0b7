#include "HtmlSnapshot.h"

#include <gumbo.h>

#include <memory>

#include "core/HtmlText.h"
#include "platform/HtmlEncoding.h"

namespace fd {

namespace {

QString attribute(const GumboElement& e, const char* name) {
    const GumboAttribute* a = gumbo_get_attribute(&e.attributes, name);
    return a ? QString::fromUtf8(a->value) : QString();
}

QString tagName(const GumboElement& e) {
    if (e.tag != GUMBO_TAG_UNKNOWN) return QString::fromUtf8(gumbo_normalized_tagname(e.tag));
    GumboStringPiece original = e.original_tag;
    gumbo_tag_from_original_text(&original);
    return QString::fromUtf8(original.data, static_cast<qsizetype>(original.length)).toLower();
}

void textOf(const GumboNode* node, QString& out) {
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE ||
        node->type == GUMBO_NODE_CDATA) {
        out += QString::fromUtf8(node->v.text.text);
        return;
    }
    if (node->type != GUMBO_NODE_ELEMENT) return;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i)
        textOf(static_cast<const GumboNode*>(children.data[i]), out);
}

// Every element in document order; the first <title> gives the title.
void walk(const GumboNode* node, DocumentSnapshot& snap, bool& titleSeen) {
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) return;
    const GumboElement& e = node->v.element;
    // Elements of the HTML namespace answer nodeName in upper case; SVG keeps
    // its mixed-case names ("foreignObject").
    QString name = tagName(e);
    if (e.tag_namespace == GUMBO_NAMESPACE_HTML) {
        name = name.toUpper();
    } else if (e.tag_namespace == GUMBO_NAMESPACE_SVG) {
        GumboStringPiece original = e.original_tag;
        gumbo_tag_from_original_text(&original);
        if (const char* svg = gumbo_normalize_svg_tagname(&original)) name = QString::fromUtf8(svg);
    }
    snap.elements.push_back({name, attribute(e, "name"), attribute(e, "content")});
    if (!titleSeen && e.tag == GUMBO_TAG_TITLE && e.tag_namespace == GUMBO_NAMESPACE_HTML) {
        titleSeen = true;
        QString text;
        textOf(node, text);
        snap.title = collapseAsciiWhitespace(text);
    }
    // A template's content is a fragment of its own, and with scripting on
    // a noscript element holds text: neither is among the document's
    // elements.
    if (e.tag == GUMBO_TAG_TEMPLATE || e.tag == GUMBO_TAG_NOSCRIPT) return;
    for (unsigned i = 0; i < e.children.length; ++i)
        walk(static_cast<const GumboNode*>(e.children.data[i]), snap, titleSeen);
}

}  // namespace

DocumentSnapshot snapshotFromHtml(const QByteArray& body, const QString& contentType) {
    DocumentSnapshot snap;
    const QString type = contentType.section(u';', 0, 0).trimmed().toLower();
    if (!type.isEmpty() && type != QLatin1String("text/html") &&
        type != QLatin1String("application/xhtml+xml"))
        return snap;
    const QByteArray utf8 = htmlAsUtf8(body, htmlCharset(body, contentType));
    std::unique_ptr<GumboOutput, void (*)(GumboOutput*)> out(
        gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(),
                                 static_cast<size_t>(utf8.size())),
        [](GumboOutput* o) { gumbo_destroy_output(&kGumboDefaultOptions, o); });
    if (!out) return snap;
    snap.isHtml = true;
    bool titleSeen = false;
    walk(out->root, snap, titleSeen);
    return snap;
}

}  // namespace fd
