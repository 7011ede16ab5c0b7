#include "AuditUrl.h"

namespace fd::audit {

QString auditUrl(const QUrl& in) {
    const QString scheme = in.scheme().toLower();
    if ((scheme != u"http" && scheme != u"https") || in.host().isEmpty()) return {};
    QUrl u = in.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
    u.setScheme(scheme);
    if ((scheme == u"http" && u.port() == 80) || (scheme == u"https" && u.port() == 443))
        u.setPort(-1);
    if (u.path().isEmpty()) u.setPath(QStringLiteral("/"));
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
