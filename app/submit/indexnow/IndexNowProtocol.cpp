#include "IndexNowProtocol.h"

#include <QLocale>
#include <QSet>
#include <QTimeZone>
#include <QUrl>
#include <cstring>

#include "IndexNowKey.h"

namespace fd {

namespace {

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Characters a URI holds as they are outside its authority: the unreserved
// ones and the delimiters, except "#", "[" and "]".
bool keptInUri(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return c != '\0' && std::strchr("-._~:/?@!$&'()*+,;=", c) != nullptr;
}

void appendEscaped(QByteArray& out, unsigned char b) {
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[b >> 4];
    out += hex[b & 0xF];
}

QByteArray escapeUriPart(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 16);
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '%' && i + 2 < utf8.size() && isHex(utf8[i + 1]) && isHex(utf8[i + 2])) {
            out += utf8.mid(i, 3);
            i += 2;
        } else if (keptInUri(c)) {
            out += c;
        } else {
            appendEscaped(out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

}  // namespace

bool isIndexNowMethod(const QString& method) {
    return method.trimmed().compare(QLatin1String("indexnow"), Qt::CaseInsensitive) == 0;
}

QString indexNowPageUrl(const QString& url) {
    const QString u = url.trimmed();
    qsizetype schemeLength = 0, authorityEnd = 0;
    if (!splitUriPrefix(u, &schemeLength, &authorityEnd))
        return QString::fromLatin1(escapeUriPart(u));
    QString authority = u.mid(schemeLength + 3, authorityEnd - schemeLength - 3);
    bool ascii = true;
    for (const QChar c : authority) ascii = ascii && c.unicode() < 0x80;
    if (!ascii) {
        // user@host:port with the host in its ASCII form.
        const qsizetype at = authority.lastIndexOf(u'@');
        const QString user = at >= 0 ? authority.left(at + 1) : QString();
        QString hostPort = authority.mid(at + 1);
        const qsizetype colon = hostPort.lastIndexOf(u':');
        const QString port = colon >= 0 ? hostPort.mid(colon) : QString();
        if (colon >= 0) hostPort.truncate(colon);
        authority = QString::fromLatin1(escapeUriPart(user)) +
                    QString::fromLatin1(QUrl::toAce(hostPort)) + port;
    }
    return u.left(schemeLength + 3) + authority +
           QString::fromLatin1(escapeUriPart(u.mid(authorityEnd)));
}

QByteArray jsonString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\u00";
                    static const char hex[] = "0123456789abcdef";
                    out += hex[(c >> 4) & 0xF];
                    out += hex[c & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

QString indexNowEndpoint(const QString& submitTemplate) {
    const QString endpoint = submitTemplate.section(u'?', 0, 0).trimmed();
    return parseWebAddress(endpoint).valid() ? endpoint : QString();
}

QString indexNowGetUrl(const QString& endpoint, const QString& pageUrl, const QString& key,
                       const QString& keyLocation) {
    QString q = endpoint + (endpoint.contains(u'?') ? u'&' : u'?');
    q += QStringLiteral("url=") + QString::fromLatin1(QUrl::toPercentEncoding(pageUrl));
    q += QStringLiteral("&key=") + QString::fromLatin1(QUrl::toPercentEncoding(key));
    if (!keyLocation.isEmpty())
        q += QStringLiteral("&keyLocation=") +
             QString::fromLatin1(QUrl::toPercentEncoding(keyLocation));
    return q;
}

QByteArray indexNowJsonBody(const QString& host, const QString& key, const QString& keyLocation,
                            const QStringList& urls) {
    QByteArray body;
    qsizetype size = 64 + host.size() + key.size() + keyLocation.size();
    for (const QString& u : urls) size += u.size() + 3;
    body.reserve(size);
    body += "{\"host\":" + jsonString(host) + ",\"key\":" + jsonString(key);
    if (!keyLocation.isEmpty()) body += ",\"keyLocation\":" + jsonString(keyLocation);
    body += ",\"urlList\":[";
    for (qsizetype i = 0; i < urls.size(); ++i) {
        if (i) body += ',';
        body += jsonString(urls[i]);
    }
    body += "]}";
    return body;
}

std::optional<QDateTime> parseRetryAfter(const QString& value, const QDateTime& now) {
    const QString v = value.trimmed();
    if (v.isEmpty()) return std::nullopt;
    bool number = false;
    const qlonglong seconds = v.toLongLong(&number);
    if (number) return seconds >= 0 ? std::optional(now.addSecs(seconds)) : std::nullopt;
    // An HTTP date: "Fri, 01 May 2026 12:30:00 GMT", always in UTC.
    const QString date = v.section(u',', 1).trimmed();
    QDateTime at = QDateTime::fromString(date, QStringLiteral("dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!at.isValid()) return std::nullopt;
    at.setTimeZone(QTimeZone::utc());
    // A date already past (the engine's clock differs from ours) allows a
    // new request at once, never one "after" a time that has gone.
    if (at < now) return now.toLocalTime();
    return at.toLocalTime();
}

QString retryAdvice(const std::optional<QDateTime>& retryAt, const QDateTime& now) {
    if (!retryAt) return QStringLiteral("try again later");
    const QDateTime at = retryAt->toLocalTime();
    const QString time = at.toString(QStringLiteral("HH:mm"));
    if (at.date() == now.toLocalTime().date()) return QStringLiteral("try again after ") + time;
    return QStringLiteral("try again after ") +
           QLocale(QLocale::English).toString(at.date(), QStringLiteral("d MMM yyyy")) + u' ' +
           time;
}

IndexNowAnswer interpretIndexNowAnswer(const HttpResponse& r, const QDateTime& now) {
    IndexNowAnswer a;
    if (!r.answered()) {
        a.error = r.error ? r.error : err::kTransferFailed;
        switch (a.error) {
            case err::kCannotConnect:
                a.text = QStringLiteral("No answer: cannot reach the engine (%1)").arg(r.errorText);
                break;
            case err::kTransferTimedOut:
                a.text = QStringLiteral("No answer within the time limit (%1)").arg(r.errorText);
                break;
            case err::kRequestCancelled:
                a.text = QStringLiteral("Cancelled before the engine answered");
                break;
            default:
                a.text = QStringLiteral("No answer: %1").arg(r.errorText);
        }
        return a;
    }
    a.status = r.status;
    switch (r.status) {
        case 200:
            a.text = QStringLiteral("Received");
            break;
        case 202:
            a.text = QStringLiteral("Received; the key is not checked yet");
            break;
        case 400:
            a.text = QStringLiteral("Refused: bad request");
            break;
        case 403:
            a.text = QStringLiteral(
                "Refused: the key is not valid (the key file is missing or holds another text)");
            break;
        case 422:
            a.text = QStringLiteral(
                "Refused: a page is not on the host, or the key does not match the host");
            break;
        case 429:
            a.retryAt = parseRetryAfter(r.retryAfter, now);
            a.text = QStringLiteral("Refused: too many requests; ") + retryAdvice(a.retryAt, now);
            break;
        default:
            if (r.status >= 500)
                a.text = QStringLiteral("The engine failed");
            else if (r.status >= 400)
                a.text = QStringLiteral("Refused");
            else
                a.text = QStringLiteral("Unexpected answer; not taken as received");
    }
    a.accepted = (r.status == 200 || r.status == 202) && !r.truncated;
    if (r.truncated)
        a.text += QStringLiteral(
            "; the answer was too long and was cut off, so it is not taken as received");
    return a;
}

IndexNowPlan planIndexNow(const QString& engineName, const QString& submitTemplate,
                          const QString& rootUrl, const QString& key, const QString& keyLocation,
                          const std::vector<PageToSubmit>& pages) {
    IndexNowPlan plan;
    // A root URL without a key is named, so the window and the command line
    // both say which one needs it.
    const QString keyProblem =
        key.isEmpty() ? QStringLiteral("The root URL \"%1\" has no IndexNow key.").arg(rootUrl)
                      : indexNowKeyProblem(key);
    if (!keyProblem.isEmpty()) {
        plan.problem = keyProblem + QStringLiteral(
                                        " Enter the key of this root URL on the Configuration "
                                        "tab, or press \"New Key\" there.");
        return plan;
    }
    plan.endpoint = indexNowEndpoint(submitTemplate);
    if (plan.endpoint.isEmpty()) {
        plan.problem = submitTemplate.trimmed().isEmpty()
                           ? QStringLiteral(
                                 "The engine \"%1\" has no IndexNow address: its submit "
                                 "template is empty.")
                                 .arg(engineName)
                           : QStringLiteral(
                                 "The engine \"%1\" has no IndexNow address: its submit "
                                 "template \"%2\" is not a web address.")
                                 .arg(engineName, submitTemplate);
        return plan;
    }
    const WebAddress root = parseWebAddress(rootUrl.trimmed());
    if (!root.valid()) {
        plan.problem = QStringLiteral("The root URL \"%1\" is not a web address (http or https).")
                           .arg(rootUrl);
        return plan;
    }
    const QString locationProblem = keyLocationProblem(rootUrl, keyLocation);
    if (!locationProblem.isEmpty()) {
        plan.problem = locationProblem;
        return plan;
    }
    plan.host = root.host;
    plan.key = key;
    plan.keyLocation = keyLocation.trimmed().isEmpty() ? QString() : indexNowPageUrl(keyLocation);

    QSet<QString> seen;
    seen.reserve(static_cast<qsizetype>(pages.size()));
    plan.pages.reserve(pages.size());
    // Pages under the root URL's own "scheme://authority/" (nearly all of
    // them) are on its host without a closer look.
    const QString rootPrefix =
        indexNowPageUrl(root.scheme + QStringLiteral("://") + root.authority) + u'/';
    const bool rootCoversAll = plan.keyLocation.isEmpty();
    for (const PageToSubmit& p : pages) {
        const QString url = indexNowPageUrl(p.url);
        const bool underRoot = url.startsWith(rootPrefix);
        const WebAddress a = underRoot ? WebAddress{} : parseWebAddress(url);
        if (!underRoot && !a.valid())
            ++plan.notWeb;
        else if (!underRoot && a.host != root.host)
            ++plan.otherHost;
        else if (!rootCoversAll && !keyLocationCovers(plan.keyLocation, url))
            ++plan.outsideKeyFolder;
        else if (seen.contains(url))
            ++plan.duplicates;
        else {
            seen.insert(url);
            plan.pages.push_back({url, p.path});
        }
    }
    return plan;
}

QString skippedPageMessage(const IndexNowPlan& plan, const QString& url) {
    const QString u = indexNowPageUrl(url);
    const WebAddress a = parseWebAddress(u);
    if (!a.valid())
        return QStringLiteral("Not sent: \"%1\" is not a web address (http or https).").arg(url);
    if (a.host != plan.host)
        return QStringLiteral("Not sent: %1 is not on the root URL's host (%2).")
            .arg(url, plan.host);
    if (!keyLocationCovers(plan.keyLocation, u))
        return QStringLiteral("Not sent: %1 is not in the folder of the key file (%2).")
            .arg(url, plan.keyLocation);
    return {};
}

}  // namespace fd
