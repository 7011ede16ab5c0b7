#pragma once
// How deeply an HTML answer nests its elements, estimated from its tags
// before it is parsed: the HTML5 parser's work grows with the depth of its
// stack of open elements at every tag, so a page of tens of thousands of
// unclosed elements would hold a reader for minutes. Such a page is not read.

#include <QByteArray>
#include <QString>

namespace fd::audit {

// A page nesting deeper than this is not read (browsers themselves stop
// nesting at a few hundred levels).
constexpr int kMaxNestingDepth = 5000;
// Nor one whose tags, each counted at the depth it stands at, add up to more.
constexpr qint64 kMaxNestingWork = 100'000'000;

// Why body is too deeply nested to read; empty when it is not. Void
// elements, elements whose end tag may be left out, raw text (scripts,
// styles, ...) and comments do not nest; zero bytes are skipped, so a
// UTF-16 body is measured as well.
QString nestingTooDeep(const QByteArray& body);

}  // namespace fd::audit
