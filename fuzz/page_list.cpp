// The page-list reader, fed any file. Oracles: every page is one non-empty
// line; nothing but line ends is dropped; a list the program saves reads
// back page for page.
#include <QByteArray>
#include <QStringList>

#include "FuzzTarget.h"
#include "sites/PageList.h"

namespace fd::fuzz {

void pageList(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (sites::looksBinary(bytes)) return;  // refused as not a page list
    const QString text = sites::decodePageList(bytes);
    const QStringList pages = sites::splitPageList(text);
    for (const QString& p : pages)
        check(!p.isEmpty() && !p.contains(u'\r') && !p.contains(u'\n'),
              "a page is one non-empty line");
    QString rest = text;
    rest.remove(u'\r');
    rest.remove(u'\n');
    check(pages.join(QString()) == rest, "reading the list drops more than its line ends");

    const QByteArray saved = sites::formatPageList(pages);
    check(!sites::looksBinary(saved), "a saved list looks binary");
    check(sites::splitPageList(sites::decodePageList(saved)) == pages,
          "a saved list does not read back page for page");
}

}  // namespace fd::fuzz
