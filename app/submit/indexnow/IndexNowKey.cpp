#include "IndexNowKey.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QUrl>

#include "core/JetSql.h"

namespace fd {

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isKeyCharacter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-';
}

// How a character the key may not hold is named in a message.
QString describe(QChar c) {
    if (c == u' ') return QStringLiteral("a blank");
    if (c == u'\t') return QStringLiteral("a tab");
    if (c.unicode() < 0x20) return QStringLiteral("a control character");
    return u'"' + QString(c) + u'"';
}

}  // namespace

QString indexNowKeyProblem(const QString& key) {
    if (key.isEmpty()) return QStringLiteral("There is no IndexNow key.");
    const auto length = key.size();
    if (length < kIndexNowKeyMinLength || length > kIndexNowKeyMaxLength)
        return QStringLiteral("The IndexNow key has %1 characters; a key has %2 to %3.")
            .arg(length)
            .arg(kIndexNowKeyMinLength)
            .arg(kIndexNowKeyMaxLength);
    for (const QChar c : key)
        if (!isKeyCharacter(c))
            return QStringLiteral(
                       "The IndexNow key holds %1; a key holds only the letters a-z and A-Z, "
                       "the digits 0-9 and \"-\".")
                .arg(describe(c));
    return {};
}

QString newIndexNowKey() {
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr quint32 kSize = sizeof(alphabet) - 1;  // 62
    // Values at or above the largest multiple of 62 are drawn again, so every
    // character is equally likely.
    constexpr quint32 kLimit = 0xFFFFFFFFu - (0xFFFFFFFFu % kSize);
    QRandomGenerator* random = QRandomGenerator::system();
    QString key;
    key.reserve(kNewIndexNowKeyLength);
    while (key.size() < kNewIndexNowKeyLength) {
        const quint32 v = random->generate();
        if (v >= kLimit) continue;
        key += QLatin1Char(alphabet[v % kSize]);
    }
    return key;
}

QString indexNowKeyFileName(const QString& key) {
    return key + QStringLiteral(".txt");
}

bool splitUriPrefix(QStringView url, qsizetype* schemeLength, qsizetype* authorityEnd) {
    const qsizetype sep = url.indexOf(u"://");
    if (sep <= 0 || !isAsciiLetter(url[0])) return false;
    for (qsizetype i = 1; i < sep; ++i) {
        const QChar c = url[i];
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'.' && c != u'-')
            return false;
    }
    qsizetype end = sep + 3;
    while (end < url.size() && url[end] != u'/' && url[end] != u'?' && url[end] != u'#') ++end;
    *schemeLength = sep;
    *authorityEnd = end;
    return true;
}

WebAddress parseWebAddress(const QString& url) {
    WebAddress a;
    qsizetype schemeLength = 0, authorityEnd = 0;
    if (!splitUriPrefix(url, &schemeLength, &authorityEnd)) return a;
    const QString scheme = url.left(schemeLength).toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return a;
    const QString authority = url.mid(schemeLength + 3, authorityEnd - schemeLength - 3);
    QStringView hostPart(authority);
    const qsizetype at = hostPart.lastIndexOf(u'@');
    if (at >= 0) hostPart = hostPart.mid(at + 1);
    if (hostPart.startsWith(u'[')) {
        const qsizetype close = hostPart.indexOf(u']');
        hostPart = close < 0 ? QStringView() : hostPart.left(close + 1);
    } else {
        const qsizetype colon = hostPart.indexOf(u':');
        if (colon >= 0) hostPart = hostPart.left(colon);
    }
    bool ascii = true;
    for (const QChar c : hostPart) ascii = ascii && c.unicode() < 0x80;
    // A host in letters of any script is compared and sent in its ASCII form.
    const QString host = ascii ? hostPart.toString().toLower()
                               : QString::fromLatin1(QUrl::toAce(hostPart.toString())).toLower();
    if (host.isEmpty() || host.contains(u' ')) return a;
    a.scheme = scheme;
    a.authority = authority;
    a.host = host;
    a.rest = url.mid(authorityEnd);
    return a;
}

QString indexNowKeyFileUrl(const QString& rootUrl, const QString& key, const QString& keyLocation) {
    if (!keyLocation.trimmed().isEmpty()) return keyLocation.trimmed();
    const WebAddress root = parseWebAddress(rootUrl.trimmed());
    if (!root.valid()) return {};
    return root.scheme + QStringLiteral("://") + root.authority + u'/' + indexNowKeyFileName(key);
}

QString keyLocationProblem(const QString& rootUrl, const QString& keyLocation) {
    const QString location = keyLocation.trimmed();
    if (location.isEmpty()) return {};
    const WebAddress a = parseWebAddress(location);
    if (!a.valid())
        return QStringLiteral("The key file location must be a web address (http or https).");
    const WebAddress root = parseWebAddress(rootUrl.trimmed());
    if (!root.valid() || root.host != a.host)
        return QStringLiteral("The key file location must lie on the host of the root URL (%1).")
            .arg(root.valid() ? root.host : rootUrl);
    if (a.rest.isEmpty() || a.rest.endsWith(u'/'))
        return QStringLiteral("The key file location must name the key file, not a folder.");
    return {};
}

bool keyLocationCovers(const QString& keyLocation, const QString& pageUrl) {
    const QString location = keyLocation.trimmed();
    if (location.isEmpty()) return true;
    const WebAddress key = parseWebAddress(location);
    const WebAddress page = parseWebAddress(pageUrl);
    if (!key.valid() || !page.valid() || key.host != page.host) return false;
    // The folder of the key file: its path up to the last "/".
    QString keyPath = key.rest.section(u'?', 0, 0).section(u'#', 0, 0);
    keyPath = keyPath.left(keyPath.lastIndexOf(u'/') + 1);
    const QString pagePath = page.rest.isEmpty() ? QStringLiteral("/") : page.rest;
    return pagePath.startsWith(keyPath);
}

std::optional<StoredIndexNowKey> loadIndexNowKey(const CADODBAccess& db, const QString& rootUrl) {
    RecordsetPtr rs =
        db.query(QStringLiteral(
                     "SELECT IndexNowKey, KeyLocation FROM IndexNowKeys WHERE WebSiteBaseURL = ") +
                 dq(rootUrl));
    if (rs->eof()) return std::nullopt;
    return StoredIndexNowKey{rs->field(0), rs->field(1)};
}

void saveIndexNowKey(const CADODBAccess& db, const QString& rootUrl,
                     const StoredIndexNowKey& stored) {
    if (stored.key.isEmpty()) {
        db.execute(QStringLiteral("DELETE FROM IndexNowKeys WHERE WebSiteBaseURL = ") +
                   dq(rootUrl));
        return;
    }
    db.execute(QStringLiteral("INSERT OR REPLACE INTO IndexNowKeys (WebSiteBaseURL, IndexNowKey, "
                              "KeyLocation, SavedDate) VALUES (") +
               dq(rootUrl) + u',' + dq(stored.key) + u',' + dq(stored.keyLocation.trimmed()) +
               QStringLiteral(",#") + jetDateTime(QDateTime::currentDateTime()) +
               QStringLiteral("#)"));
}

}  // namespace fd
