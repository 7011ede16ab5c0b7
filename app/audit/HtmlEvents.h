#pragma once
// A document as the audit's collector reads it: elements in document order,
// each opened and closed, with the text between them. Two readers produce
// these events: the plain reader (PlainHtml.h), fast, for the markup most
// pages are made of, and the walk of libgumbo's HTML5 tree for the rest.
// Both give the events of the tree a browser builds with scripting on: a
// <template>'s content and a <noscript>'s are not part of it.

#include <gumbo.h>

#include <span>
#include <string_view>

namespace fd::audit {

struct HtmlAttribute {
    std::string_view name;   // in lower case
    std::string_view value;  // character references decoded; UTF-8
};

class HtmlSink {
public:
    virtual ~HtmlSink() = default;
    // An element of the HTML namespace. inHead: the element belongs to the
    // document's <head> (wherever its tag stood).
    virtual void startElement(GumboTag tag, std::span<const HtmlAttribute> attributes,
                              bool inHead) = 0;
    virtual void endElement(GumboTag tag) = 0;
    // Text (UTF-8) inside the element last opened and not yet closed.
    virtual void text(std::string_view utf8) = 0;
};

// The value of the attribute called name (lower case); null when absent.
const HtmlAttribute* findAttribute(std::span<const HtmlAttribute> attributes,
                                   std::string_view name);

// Sends the events of libgumbo's tree, from its root, to sink.
void walkParsedHtml(const GumboNode* root, HtmlSink& sink);

}  // namespace fd::audit
