// The page snapshot parser and the page-detail reading, fed any snapshot
// text (a page controls what its snapshot holds). Oracles: the title is the
// snapshot's; every meta element of the head (before the body or a frameset
// begins) is read, in document order, and nothing after it; each field ends
// with the last value a read meta gave it.
#include "FuzzTarget.h"
#include "browser/BrowserLogic.h"
#include "browser/PageScripts.h"
#include "platform/WebBrowser.h"

namespace fd::fuzz {

void pageMeta(const std::uint8_t* data, std::size_t size) {
    const DocumentSnapshot doc = parseDocumentSnapshot(inputText(data, size));
    const WebPageInformation info = getWebPageInformation(doc);
    const PageDetails details = finalDetails(info);
    check(info.title == doc.title && details.title == doc.title, "the title is not the page's");
    if (!doc.isHtml) {
        check(info.failed && info.metas.isEmpty(), "a page without elements yields metas");
        return;
    }

    PageDetails expected;
    expected.title = doc.title;
    qsizetype read = 0;
    for (const DocumentElement& e : doc.elements) {
        const QString node = e.nodeName.toLower();
        if (node == QLatin1String("body") || node == QLatin1String("frameset")) break;
        if (node != QLatin1String("meta")) continue;
        check(read < info.metas.size() && info.metas[read].value == e.content,
              "the metas read are not the head's meta elements in order");
        const QString name = e.name.toLower();
        if (name == QLatin1String("description")) expected.description = e.content;
        if (name == QLatin1String("keywords")) expected.keywords = e.content;
        if (name == QLatin1String("revisit")) expected.revisit = e.content;
        if (name == QLatin1String("author")) expected.author = e.content;
        ++read;
    }
    check(info.metas.size() == read, "a meta outside the head was read");
    check(details.description == expected.description && details.keywords == expected.keywords &&
              details.revisit == expected.revisit && details.author == expected.author,
          "a field does not hold the last value its metas gave");
}

}  // namespace fd::fuzz
