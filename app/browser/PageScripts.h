#pragma once
// The scripts the program runs in a loaded page, one named function each,
// and the plain reading of what they answer. The readers run in the
// application's own script world, where the page's scripts can neither see
// them nor change what they use (a page that replaces JSON or
// document.getElementsByTagName in its own world changes nothing here).

#include <QString>

#include "platform/WebBrowser.h"

namespace fd::pagescripts {

// Reads the document as one JSON text: {"html": whether it is an HTML
// document, "title": its title, "e": [[nodeName, name, content], ...] for
// every element in document order}. Only an HTML document has the element
// collection the program reads; an XHTML page (served as
// application/xhtml+xml) is read like one, any other XML document is not.
QString documentSnapshot();

// Reads what a search engine takes from the page as it stands after its
// scripts ran, as one JSON text: {"title", "description", "robots" (every
// robots meta's content, joined by ", "), "canonical" (the first canonical
// link's resolved address), "h1": [count, the first one's text], "links":
// [every a[href] and area[href], resolved]}. documentSnapshot() reads the
// same title and metas for the page details.
QString renderedReading();

// The name of the character set the document was decoded in
// (document.characterSet), so a saved copy is written in the same one.
QString characterSet();

// Runs in the page's own world before its scripts do: window.close() then
// logs token to the console instead of closing, and the browser hands the
// request to the program. The console function is taken as it was then, so
// a page that replaces console.log later still reaches the program.
QString windowCloseHook(const QString& token);

}  // namespace fd::pagescripts

namespace fd {

// The answer of pagescripts::documentSnapshot() as a DocumentSnapshot. Text
// that is not a snapshot gives a non-HTML snapshot with an empty title.
DocumentSnapshot parseDocumentSnapshot(const QString& json);

}  // namespace fd
