#pragma once
// A loaded document's snapshot read from its HTML text, without a browser:
// what the embedded browser's snapshot script collects (the title, and every
// element's node name, name and content in document order), so the page
// details of a page fetched by a program without a window are the ones the
// window would read.

#include <QByteArray>
#include <QString>

#include "platform/WebBrowser.h"

namespace fd {

// Decodes body as a browser would (htmlCharset: a byte-order mark, else the
// charset of contentType, else a meta charset the prescan finds, else UTF-8
// when valid, else windows-1252) and parses it as HTML5. A contentType that
// names something other than HTML gives a snapshot without elements (isHtml
// false).
DocumentSnapshot snapshotFromHtml(const QByteArray& body, const QString& contentType = QString());

}  // namespace fd
