#include "BrowserLogic.h"

namespace fd {

QString removeDoubleSlash(const QString& pURL) {
    QString s = pURL.toLower();
    // "file:///" is the local-file form on this system; without it the third
    // slash of a local address would be collapsed and the path lost.
    static const QString prefixes[] = {QStringLiteral("http://"), QStringLiteral("https://"),
                                       QStringLiteral("ftp://"), QStringLiteral("file:\\\\\\"),
                                       QStringLiteral("file:///")};
    QString prefix;
    for (const QString& p : prefixes) {
        if (s.startsWith(p)) {
            prefix = p;
            break;
        }
    }
    if (!prefix.isEmpty()) s.remove(prefix);
    // QString::replace works left to right without overlaps: "///" -> "//".
    s.replace(QStringLiteral("//"), QStringLiteral("/"));
    return prefix + s;
}

QString removeQuerystring(const QString& pURL) {
    const qsizetype q = pURL.indexOf(u'?');
    return q < 0 ? pURL : pURL.left(q);
}

QString cutPageAddressQuery(const QString& address) {
    const qsizetype q = address.indexOf(u'?');
    return q >= 1 ? address.left(q) : address;
}

double progressBarValue(int progress, int maximum) {
    if (progress < 0 || progress == maximum || maximum <= 0) return 0;
    // 64-bit so a large byte count cannot overflow the product.
    const long long five = 5LL * progress;
    if (five >= maximum) return 96;
    return double(five) / double(maximum);
}

WebPageInformation getWebPageInformation(const DocumentSnapshot& doc) {
    WebPageInformation info;
    info.title = doc.title;
    if (!doc.isHtml) {
        info.failed = true;
        info.failure = QStringLiteral("The document has no element collection");
        return info;
    }
    // Every meta element of the head counts, wherever it stands there: pages
    // open with charset, viewport and http-equiv metas before the ones read.
    // The head ends where the body (or a frameset) begins.
    for (const DocumentElement& e : doc.elements) {
        if (e.nodeName.compare(QLatin1String("body"), Qt::CaseInsensitive) == 0 ||
            e.nodeName.compare(QLatin1String("frameset"), Qt::CaseInsensitive) == 0)
            break;
        if (e.nodeName.compare(QLatin1String("meta"), Qt::CaseInsensitive) != 0) continue;
        const QString name = e.name.toLower();
        MetaRead m;
        m.value = e.content;
        if (name == QLatin1String("keywords"))
            m.field = PageField::Keywords;
        else if (name == QLatin1String("description"))
            m.field = PageField::Description;
        else if (name == QLatin1String("revisit"))
            m.field = PageField::Revisit;
        else if (name == QLatin1String("author"))
            m.field = PageField::Author;
        info.metas.push_back(m);
    }
    return info;
}

PageDetails finalDetails(const WebPageInformation& info) {
    PageDetails d;
    d.title = info.title;
    for (const MetaRead& m : info.metas) {
        switch (m.field) {
            case PageField::Description:
                d.description = m.value;
                break;
            case PageField::Keywords:
                d.keywords = m.value;
                break;
            case PageField::Revisit:
                d.revisit = m.value;
                break;
            case PageField::Author:
                d.author = m.value;
                break;
            case PageField::None:
                break;
        }
    }
    return d;
}

}  // namespace fd
