#include "AuditUrl.h"

namespace fd::audit {

namespace {

// Drops the last segment of a path being built, with the "/" before it.
void dropLastSegment(QString& out) {
    out.truncate(qMax<qsizetype>(0, out.lastIndexOf(u'/')));
}

// RFC 3986's removal of "." and ".." segments from an absolute path.
QString removeDotSegments(const QString& path) {
    // RFC 3986, 5.2.4, step by step on what is left of the input.
    QString in = path, out;
    while (!in.isEmpty()) {
        if (in.startsWith(u"../")) {
            in.remove(0, 3);
        } else if (in.startsWith(u"./") || in.startsWith(u"/./")) {
            in.remove(0, 2);
        } else if (in == u"/.") {
            in = QStringLiteral("/");
        } else if (in.startsWith(u"/../")) {
            in.remove(0, 3);
            dropLastSegment(out);
        } else if (in == u"/..") {
            in = QStringLiteral("/");
            dropLastSegment(out);
        } else if (in == u"." || in == u"..") {
            in.clear();
        } else {
            const qsizetype next = in.indexOf(u'/', in.startsWith(u'/') ? 1 : 0);
            const qsizetype len = next < 0 ? in.size() : next;
            out += QStringView(in).left(len);
            in.remove(0, len);
        }
    }
    return out;
}

}  // namespace

QString auditUrl(const QUrl& in) {
    const QString scheme = in.scheme().toLower();
    if ((scheme != u"http" && scheme != u"https") || in.host().isEmpty()) return {};
    QUrl u = in.adjusted(QUrl::RemoveFragment);
    u.setScheme(scheme);
    if ((scheme == u"http" && u.port() == 80) || (scheme == u"https" && u.port() == 443))
        u.setPort(-1);
    // Dot segments go as a browser removes them; every other "/" stays as
    // written ("//folder/a.html" is another page than "/folder/a.html").
    // The encoded form puts every escape in upper case.
    const QString path = removeDotSegments(u.path(QUrl::FullyEncoded));
    u.setPath(path.isEmpty() ? QStringLiteral("/") : path, QUrl::TolerantMode);
    return u.toString(QUrl::FullyEncoded);
}

QString auditUrl(const QString& url) {
    return auditUrl(QUrl(url.trimmed()));
}

QString originOf(const QUrl& u) {
    const QString scheme = u.scheme().toLower();
    return scheme + QStringLiteral("://") + u.host() + u':' +
           QString::number(u.port(scheme == u"https" ? 443 : 80));
}

QStringList pageUrls(const QString& rootIn, const QStringList& pages) {
    const QString root = rootIn.trimmed();
    const bool rootHasPath = !QUrl(root).path().isEmpty();
    QStringList urls{root};
    for (const QString& pageIn : pages) {
        const QString page = pageIn.trimmed();
        if (page.isEmpty()) continue;
        if (page.startsWith(u"http://", Qt::CaseInsensitive) ||
            page.startsWith(u"https://", Qt::CaseInsensitive)) {
            urls << page;
        } else if (!rootHasPath && !page.startsWith(u'/') && !page.startsWith(u'?')) {
            urls << root + u'/' + page;
        } else {
            urls << root + page;
        }
    }
    return urls;
}

}  // namespace fd::audit
