#pragma once
// The plain reader: tokenizes a page as the HTML5 tokenizer does and builds
// the tree of the markup most pages are made of (the head, properly closed
// or omitted end tags, lists, tables of rows and cells, formatting elements
// closed where they were opened), sending its events (HtmlEvents.h) as it
// goes. Whatever it cannot build exactly as an HTML5 parser does (foreign
// content, templates, frames, selects, misnested formatting elements,
// content misplaced in tables, character references it cannot decode with
// certainty, NUL characters, ...) makes it stop and answer false: the page
// is then read by libgumbo instead, from the start.

#include <string_view>

#include "HtmlEvents.h"

namespace fd::audit {

// Reads utf8 (line ends already LF only) into sink. False when the page
// needs the full parser; sink has then received part of the page and is to
// be discarded, and why (when given) says what stopped the plain reader.
bool readPlainHtml(std::string_view utf8, HtmlSink& sink, const char** why = nullptr);

}  // namespace fd::audit
