// The query-template filler and the request built from it, fed a template,
// the five values and a method separated by NUL characters (the template
// comes from the update server, the keywords from the page). Oracles: a GET
// asks for the filled text; a POST sends the text after its first "?" as
// the body to the text before it; a review asks for the template with the
// page address in lower case.
#include "FuzzTarget.h"
#include "submit/QueryTemplate.h"

namespace fd::fuzz {

void queryTemplate(const std::uint8_t* data, std::size_t size) {
    std::vector<QString> f = fields(inputText(data, size), QChar(0));
    f.resize(7);
    const QString& tmpl = f[0];
    QString filled;
    try {
        filled = fillSubmitTemplate(tmpl, f[1], f[2], f[3], f[4], f[5]);
    } catch (const AppError&) {
        return;  // refused: nothing is sent
    }
    const EngineRequest r = submitRequest(filled, f[6]);
    if (!r.post) {
        check(r.url == filled && r.body.isEmpty(), "a GET does not ask for the filled text");
    } else {
        const qsizetype mark = filled.indexOf(u'?');
        if (mark < 0)
            check(r.url == filled && r.body.isEmpty(), "a POST without fields sends a body");
        else
            check(r.url == filled.left(mark) && r.body == filled.mid(mark + 1).toUtf8(),
                  "a POST does not send the text after its first \"?\" to the text before it");
    }

    if (!f[1].contains(QLatin1String("<%")) && !tmpl.contains(u'%')) {
        try {
            check(fillReviewTemplate(tmpl, f[1]) == tmpl,
                  "a review template without placeholders changes");
        } catch (const AppError&) {
        }
    }
}

}  // namespace fd::fuzz
