#pragma once
// Text rules of HTML shared by every room that reads pages without a
// browser, so each reads a page as the browser's document does.

#include <QString>

namespace fd {

// Text as document.title gives it: ASCII white space (TAB, LF, FF, CR and
// space) stripped from both ends and each run of it made one space. Every
// other character stays, a no-break space among them.
QString collapseAsciiWhitespace(const QString& text);

// An attribute's value as the URL parser takes it: C0 controls and spaces
// stripped from both ends, and every TAB, LF and CR inside removed
// ("x&#9;y.html" is "xy.html").
QString urlFromAttribute(const QString& value);

}  // namespace fd
