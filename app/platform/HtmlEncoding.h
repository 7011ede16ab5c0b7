#pragma once
// A page's character set, as a browser decides it: how the bytes of an HTML
// answer become text (for the page reading without a browser and for the
// site audit alike), and the bytes of a page saved as HTML, in the
// character set the page itself declares, so the saved file reopens exactly
// as it was shown.

#include <QByteArray>
#include <QString>

namespace fd {

// The encoding a charset label names, read as browsers read labels (the
// Encoding standard's table: "latin1", "ascii" and "iso-8859-1" all mean
// windows-1252, "utf-16" means utf-16le, ...): its name in lower case
// ("utf-8", "windows-1252", "shift_jis"), or "" for a label that names no
// encoding this system decodes.
QString encodingForLabel(const QString& label);

// The charset parameter of a Content-Type, without its quotes ("" when
// there is none).
QString contentTypeCharset(const QString& contentType);

// The encoding a <meta charset> or <meta http-equiv="Content-Type"
// content="...; charset=..."> names, found by the HTML standard's prescan
// of the document's first 1024 bytes; past them the scan goes on, as the
// browser engine does, while the document's head lasts. A UTF-16 label
// there means utf-8, x-user-defined windows-1252. "" when none is found.
QString prescanCharset(const QByteArray& bytes);

struct HtmlCharset {
    QString encoding;         // as encodingForLabel names it
    qsizetype bomLength = 0;  // the byte-order mark the body begins with
};

// The encoding a browser reads body in: the one its byte-order mark names;
// else the charset of contentType; else the one the prescan finds; else
// utf-8 when the bytes are valid UTF-8, windows-1252 when they are not.
HtmlCharset htmlCharset(const QByteArray& body, const QString& contentType);

// body as UTF-8, for a parser: without its byte-order mark, decoded from
// the encoding charset names. Bytes already in UTF-8 are handed on as they
// are (the parser replaces an invalid sequence as a browser does).
QByteArray htmlAsUtf8(const QByteArray& body, const HtmlCharset& charset);

// html encoded in charset (a name such as "windows-1252" or "UTF-8", as the
// document reports it). A character the charset cannot hold is written as a
// numeric character reference (&#233;), which every charset can carry. An
// empty or unknown charset gives UTF-8.
QByteArray encodeHtmlForCharset(const QString& html, const QString& charset);

}  // namespace fd
