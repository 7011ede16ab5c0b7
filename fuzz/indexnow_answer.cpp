// The IndexNow answer reading and the key-file check, fed what an engine or
// a site's server sends back: fields separated by NUL characters (status,
// Content-Type, Retry-After, "cut" when the body was cut off, body, key).
// Oracles: only a 200 or 202 read whole is taken as received; a retry time
// is a real time no earlier than the answer; a key file is good only when a
// whole 200 answer holds the key and nothing else. The escaping the requests
// use reads back through a JSON parser unchanged.
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include "FuzzTarget.h"
#include "submit/indexnow/IndexNowKey.h"
#include "submit/indexnow/IndexNowProtocol.h"
#include "submit/indexnow/KeyFileCheck.h"

namespace fd::fuzz {

void indexNowAnswer(const std::uint8_t* data, std::size_t size) {
    std::vector<QString> f = fields(inputText(data, size), QChar(0));
    f.resize(6);
    HttpResponse r;
    r.status = f[0].left(4).toInt();
    r.contentType = f[1];
    r.retryAfter = f[2];
    r.truncated = f[3] == u"cut";
    r.body = f[4].toUtf8();
    const QString& key = f[5];
    const QDateTime now(QDate(2026, 12, 8), QTime(14, 5), QTimeZone::utc());

    const IndexNowAnswer a = interpretIndexNowAnswer(r, now);
    check(!a.text.isEmpty(), "an answer is recorded without words");
    check(a.accepted == ((r.status == 200 || r.status == 202) && !r.truncated),
          "an answer is taken as received that is not a whole 200 or 202");
    if (a.retryAt)
        check(a.retryAt->isValid() && *a.retryAt >= now,
              "a retry time is not a real time after the answer");
    if (const std::optional<QDateTime> at = parseRetryAfter(r.retryAfter, now))
        check(at->isValid() && *at >= now, "Retry-After gives a time before the answer");

    // A key file is judged only for a well-formed key, as the check does.
    if (indexNowKeyProblem(key).isEmpty()) {
        const QString url =
            QStringLiteral("https://www.example.com/") + key + QStringLiteral(".txt");
        const KeyFileCheck k = judgeKeyFile(url, key, r);
        check(!k.message.isEmpty(), "a key file verdict without words");
        if (k.verdict == KeyFileVerdict::Good)
            check(r.status == 200 && !r.truncated &&
                      QString::fromUtf8(r.body).trimmed().endsWith(key),
                  "a key file is taken as good that does not hold the key");
    }

    // The request bodies: every text reads back through a JSON parser. Qt's
    // reader drops U+FEFF in some places of a string (at its start, for one),
    // so a text holding one is not compared, like one holding a surrogate.
    const QJsonDocument doc = QJsonDocument::fromJson('[' + jsonString(f[4]) + ']');
    bool unreadable = false;
    for (const QChar c : f[4]) unreadable = unreadable || c.isSurrogate() || c == QChar(0xFEFF);
    if (!unreadable)
        check(doc.isArray() && doc.array().at(0).toString() == f[4],
              "a JSON string does not read back as its text");
    const QString page = indexNowPageUrl(f[4]);
    for (const QChar c : page)
        check(c.unicode() > 0x20 && c.unicode() < 0x7F && !QStringView(u"\"<>\\^`{|}#").contains(c),
              "an escaped page address holds a character a URI may not");
}

}  // namespace fd::fuzz
