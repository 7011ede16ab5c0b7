#pragma once
// Query-string templates: a complete URL of an engine's submit or review
// service with the placeholders <%URL%>, <%EMAIL%>, <%COUNTRY%>, <%KEYS%> and
// <%NAME%>; filling them and turning the result into the request the browser
// sends.

#include <QByteArray>
#include <QString>

#include "core/AppError.h"

namespace fd {

class WebBrowser;

// Fills a submit template: every <%URL%>, <%EMAIL%>, <%COUNTRY%>, <%KEYS%>
// and <%NAME%> in turn, each over the whole current text, so a value that
// holds a later placeholder has it replaced too. Values go in verbatim.
QString fillSubmitTemplate(const QString& queryTemplate, const QString& webPage,
                           const QString& email, const QString& country, const QString& keys,
                           const QString& name);

// Fills a review template: only <%URL%>, by the page URL in lower case.
QString fillReviewTemplate(const QString& queryTemplate, const QString& webPage);

// What goes to the browser: a GET of url, or a form POST of body to url.
struct EngineRequest {
    bool post = false;
    QString url;
    QByteArray body;
    QString headers;
};

constexpr const char* kFormContentTypeHeader =
    "Content-Type: application/x-www-form-urlencoded\r\n";

// The request for a filled submit template. Only the method "post", exactly,
// makes a form POST: the text after the first "?" is the body (as UTF-8, the
// system's code page), the text before it the target. A "post" template with
// no "?" has no fields to send: it is posted to the whole filled text with an
// empty body. Any other method ("POST", "get", "") is a GET of the whole text.
EngineRequest submitRequest(const QString& filled, const QString& method);

// SubmitToSearchEngine: fills the template and hands the request to the
// browser. Failures are written to sink under "SubmitToSearchEngine"; returns
// false when the request was not handed over.
bool SubmitToSearchEngine(WebBrowser* browser, ErrorSink& sink, const QString& pURL,
                          const QString& pEmail, const QString& pWebPage, const QString& pCountry,
                          const QString& pKeys, const QString& pName = QString(),
                          const QString& pGetOrPost = QString());

// CheckURLinSearchEngineDB: fills the review template and sends it as a GET.
// Failures are written under "CheckURLinSearchEngineDB"; returns false when
// nothing was sent.
bool CheckURLinSearchEngineDB(WebBrowser* browser, ErrorSink& sink, const QString& pURL,
                              const QString& pWebPage);

}  // namespace fd
