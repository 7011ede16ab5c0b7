#pragma once
// The bytes of a page saved as HTML, in the character set the page itself
// declares, so the saved file reopens exactly as it was shown.

#include <QByteArray>
#include <QString>

namespace fd {

// html encoded in charset (a name such as "windows-1252" or "UTF-8", as the
// document reports it). A character the charset cannot hold is written as a
// numeric character reference (&#233;), which every charset can carry. An
// empty or unknown charset gives UTF-8.
QByteArray encodeHtmlForCharset(const QString& html, const QString& charset);

}  // namespace fd
