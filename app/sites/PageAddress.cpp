#include "PageAddress.h"

namespace fd::sites {

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

QStringView withoutFragment(QStringView s) {
    const qsizetype hash = s.indexOf(u'#');
    return hash < 0 ? s : s.left(hash);
}

// Where the scheme and authority of an absolute address end: at the first
// "/", "?" or "#" after "://".
qsizetype authorityEnd(QStringView s, qsizetype schemeLength) {
    qsizetype i = schemeLength + 3;
    while (i < s.size() && s[i] != u'/' && s[i] != u'?' && s[i] != u'#') ++i;
    return i;
}

}  // namespace

qsizetype absoluteSchemeLength(QStringView text) {
    const qsizetype sep = text.indexOf(u"://");
    if (sep <= 0 || !isAsciiLetter(text[0])) return 0;
    for (qsizetype i = 1; i < sep; ++i) {
        const QChar c = text[i];
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'.' && c != u'-')
            return 0;
    }
    return sep;
}

QString pageAddress(const QString& rootUrl, const QString& nodeText, Fragment fragment) {
    QStringView text = QStringView(nodeText).trimmed();
    if (fragment == Fragment::Drop) text = withoutFragment(text);
    if (absoluteSchemeLength(text) > 0) return text.toString();
    const QStringView root = withoutFragment(QStringView(rootUrl).trimmed());
    QString address = root.toString();
    if (!text.isEmpty() && !text.startsWith(u'#') && !text.startsWith(u'?')) {
        const bool rootSlash = root.endsWith(u'/');
        const bool textSlash = text.startsWith(u'/');
        if (rootSlash && textSlash)
            text = text.mid(1);
        else if (!rootSlash && !textSlash)
            address += u'/';
    }
    address.append(text);
    return address;
}

QString nodeTextFor(const QString& rootUrl, const QString& addressIn) {
    const QString address = withoutFragment(QStringView(addressIn).trimmed()).toString();
    const QStringView root = withoutFragment(QStringView(rootUrl).trimmed());
    const qsizetype rootScheme = absoluteSchemeLength(root);
    const qsizetype scheme = absoluteSchemeLength(address);
    if (rootScheme == 0 || scheme == 0) return address;
    const qsizetype rootAuthority = authorityEnd(root, rootScheme);
    const qsizetype authority = authorityEnd(address, scheme);
    if (QStringView(address).left(authority).compare(root.left(rootAuthority),
                                                     Qt::CaseInsensitive) != 0)
        return address;
    const QStringView rootRest = root.mid(rootAuthority);
    const QStringView rest = QStringView(address).mid(authority);
    if (!rest.startsWith(rootRest)) return address;
    QString text = rest.mid(rootRest.size()).toString();
    // The join drops one of two slashes, and an empty text is the root URL.
    if (text.startsWith(u'/') && rootRest.endsWith(u'/'))
        text.prepend(u'/');
    else if (text.isEmpty() && !rootRest.isEmpty() && !rootRest.endsWith(u'/'))
        return address;
    if (text.isEmpty()) text = QStringLiteral("/");
    // Blanks at either end would be trimmed away; such an address, and any
    // other that does not come back whole, stays absolute.
    if (text != text.trimmed() || text.contains(u'#') ||
        pageAddress(root.toString(), text) != root.left(rootAuthority).toString().append(rest))
        return address;
    return text;
}

}  // namespace fd::sites
