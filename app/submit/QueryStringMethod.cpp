#include "QueryStringMethod.h"

#include <QUrl>

#include "QueryTemplate.h"
#include "platform/HttpClient.h"

namespace fd {

QString browserUrl(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    QString text = url.toString(QUrl::FullyEncoded);
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return text;
    const qsizetype query = text.indexOf(u'?');
    if (query < 0) return text;
    qsizetype end = text.indexOf(u'#', query);
    if (end < 0) end = text.size();
    for (qsizetype i = end - 1; i > query; --i)
        if (text[i] == u'\'') text.replace(i, 1, QStringLiteral("%27"));
    return text;
}

QString QueryStringMethod::name() const {
    return form_ == FormPost ? QStringLiteral("post") : QStringLiteral("get");
}

SentPage QueryStringMethod::send(const SubmissionTarget& target, const SubmissionPlan&,
                                 const PlannedPage& page, const SendChannel& channel) const {
    const EngineEntry& e = target.engine;
    const SubmitterFields& who = target.submitter;
    SentPage sent;
    if (channel.throughBrowser) {
        // Sent as typed, blanks and all; the answer is the page's load.
        if (!SubmitToSearchEngine(channel.browser, *channel.log, e.queryTemplate,
                                  who.submitterEmail, page.url, who.countryCode, QString(),
                                  who.submitterName, name()))
            return sent;
        sent.handedOver = true;
        sent.pending = true;
        sent.answer = browserAnswerPending(e.queryTemplate);
        return sent;
    }
    const EngineRequest request =
        submitRequest(fillSubmitTemplate(e.queryTemplate, page.url, who.submitterEmail,
                                         who.countryCode, QString(), who.submitterName),
                      name());
    HttpRequest rq;
    rq.url = browserUrl(request.url);
    rq.followRedirects = true;
    rq.cancel = channel.cancel;
    if (request.post) {
        rq.method = "POST";
        rq.body = request.body;
        rq.contentType = "application/x-www-form-urlencoded";
    }
    sent.handedOver = true;
    sent.answer = httpAnswer(channel.http->send(rq), rq.url);
    return sent;
}

}  // namespace fd
