#include "KeyFileCheck.h"

#include <QStringDecoder>

#include "IndexNowKey.h"
#include "IndexNowProtocol.h"

namespace fd {

namespace {

KeyFileCheck verdict(KeyFileVerdict v, const QString& url, const QString& message) {
    return {v, url, message};
}

// At most 40 characters of what the file holds, for a message.
QString excerpt(const QString& text) {
    QString t = text.simplified();
    if (t.size() > 40) t = t.left(40) + QStringLiteral("...");
    return t;
}

}  // namespace

KeyFileCheck judgeKeyFile(const QString& url, const QString& key, const HttpResponse& r) {
    using V = KeyFileVerdict;
    if (!r.answered()) {
        if (r.error == err::kTransferTimedOut)
            return verdict(
                V::HostUnreachable, url,
                QStringLiteral("The host did not answer in time when asked for %1.").arg(url));
        if (r.error == err::kRequestCancelled)
            return verdict(V::HostUnreachable, url, QStringLiteral("The check was cancelled."));
        return verdict(
            V::HostUnreachable, url,
            QStringLiteral("The host of %1 cannot be reached: %2").arg(url, r.errorText));
    }
    if (r.status == 404 || r.status == 410)
        return verdict(V::NotFound, url,
                       QStringLiteral("The key file was not found at %1 (the server answered %2). "
                                      "Save it with \"Save Key File...\" and put it there.")
                           .arg(url)
                           .arg(r.status));
    if (r.status != 200)
        return verdict(V::HttpError, url,
                       QStringLiteral("The server answered %1 when asked for the key file at %2.")
                           .arg(r.status)
                           .arg(url));
    if (r.truncated)
        return verdict(V::TooLarge, url,
                       QStringLiteral("The file at %1 is larger than %2 bytes: a key file holds "
                                      "only the key.")
                           .arg(url)
                           .arg(kKeyFileMaxBytes));
    const QString type = r.contentType.section(u';', 0, 0).trimmed().toLower();
    if (!type.isEmpty() && type != QLatin1String("text/plain"))
        return verdict(V::NotPlainText, url,
                       QStringLiteral("The file at %1 is not plain text: the server sends it as "
                                      "\"%2\". A key file is a text file (text/plain).")
                           .arg(url, r.contentType));
    QByteArray bytes = r.body;
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError() || bytes.contains('\0'))
        return verdict(V::NotPlainText, url,
                       QStringLiteral("The file at %1 is not plain UTF-8 text.").arg(url));
    // Line ends and blanks around the key are what editors add; the rest
    // must be the key itself.
    if (text.trimmed() != key)
        return verdict(
            V::ContentDiffers, url,
            text.trimmed().isEmpty()
                ? QStringLiteral("The key file at %1 is empty; it must hold the key.").arg(url)
                : QStringLiteral("The key file at %1 holds \"%2\", not the key.")
                      .arg(url, excerpt(text)));
    return verdict(V::Good, url, QStringLiteral("The key file at %1 holds the key.").arg(url));
}

KeyFileCheck checkKeyFile(HttpClient& http, const QString& rootUrl, const QString& key,
                          const QString& keyLocation, const std::atomic<bool>* cancel) {
    const QString keyProblem = indexNowKeyProblem(key);
    if (!keyProblem.isEmpty()) return verdict(KeyFileVerdict::BadSetup, {}, keyProblem);
    const QString locationProblem = keyLocationProblem(rootUrl, keyLocation);
    if (!locationProblem.isEmpty()) return verdict(KeyFileVerdict::BadSetup, {}, locationProblem);
    // The address as the engines read it: escaped like the pages sent.
    const QString url = indexNowPageUrl(indexNowKeyFileUrl(rootUrl, key, keyLocation));
    if (!parseWebAddress(url).valid())
        return verdict(KeyFileVerdict::BadSetup, {},
                       QStringLiteral("The root URL \"%1\" is not a web address (http or https).")
                           .arg(rootUrl));
    HttpRequest rq;
    rq.url = url;
    rq.followRedirects = true;
    rq.maxBodyBytes = kKeyFileMaxBytes;
    rq.cancel = cancel;
    return judgeKeyFile(url, key, http.send(rq));
}

}  // namespace fd
