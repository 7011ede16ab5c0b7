#include "QueryTemplate.h"

#include "platform/WebBrowser.h"

namespace fd {

QString fillSubmitTemplate(const QString& queryTemplate, const QString& webPage,
                           const QString& email, const QString& country, const QString& keys,
                           const QString& name) {
    QString q = queryTemplate;
    q.replace(QLatin1String("<%URL%>"), webPage);
    q.replace(QLatin1String("<%EMAIL%>"), email);
    q.replace(QLatin1String("<%COUNTRY%>"), country);
    q.replace(QLatin1String("<%KEYS%>"), keys);
    q.replace(QLatin1String("<%NAME%>"), name);
    return q;
}

QString fillReviewTemplate(const QString& queryTemplate, const QString& webPage) {
    QString q = queryTemplate;
    q.replace(QLatin1String("<%URL%>"), webPage.toLower());
    return q;
}

EngineRequest submitRequest(const QString& filled, const QString& method) {
    EngineRequest r;
    if (method != QLatin1String("post")) {
        r.url = filled;
        return r;
    }
    r.post = true;
    r.headers = QString::fromLatin1(kFormContentTypeHeader);
    const qsizetype mark = filled.indexOf(u'?');
    if (mark < 0) {
        r.url = filled;
        return r;
    }
    r.url = filled.left(mark);
    r.body = filled.mid(mark + 1).toUtf8();
    return r;
}

namespace {

AppError noBrowser(const QString& routine) {
    return AppError(err::kInvalidProcedureCall, QStringLiteral("There is no browser to send to."),
                    routine);
}

}  // namespace

bool SubmitToSearchEngine(WebBrowser* browser, ErrorSink& sink, const QString& pURL,
                          const QString& pEmail, const QString& pWebPage, const QString& pCountry,
                          const QString& pKeys, const QString& pName, const QString& pGetOrPost) {
    const QString routine = QStringLiteral("SubmitToSearchEngine");
    return leaveOnError(sink, routine, [&] {
        if (!browser) throw noBrowser(routine);
        const EngineRequest r = submitRequest(
            fillSubmitTemplate(pURL, pWebPage, pEmail, pCountry, pKeys, pName), pGetOrPost);
        if (r.post)
            browser->navigatePost(r.url, r.body, r.headers);
        else
            browser->navigate(r.url);
    });
}

bool CheckURLinSearchEngineDB(WebBrowser* browser, ErrorSink& sink, const QString& pURL,
                              const QString& pWebPage) {
    const QString routine = QStringLiteral("CheckURLinSearchEngineDB");
    return leaveOnError(sink, routine, [&] {
        if (!browser) throw noBrowser(routine);
        browser->navigate(fillReviewTemplate(pURL, pWebPage));
    });
}

}  // namespace fd
