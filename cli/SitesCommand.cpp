// sites.
#include <QJsonArray>
#include <QJsonObject>

#include "Cli.h"

namespace fd::cli {

int sitesCommand(Invocation& in) {
    in.positional(0, {});
    const std::vector<sites::SiteRecord> list = sites::readSites(*in.globals().gDB);
    if (in.isSet(QStringLiteral("json"))) {
        QJsonArray array;
        for (const sites::SiteRecord& s : list) {
            QJsonArray roots;
            for (const sites::RootRecord& r : s.roots) roots.append(r.url);
            array.append(QJsonObject{{QStringLiteral("name"), s.name},
                                     {QStringLiteral("id"), s.id},
                                     {QStringLiteral("roots"), roots}});
        }
        in.outJson(QJsonDocument(array));
        return kOk;
    }
    QString text;
    for (const sites::SiteRecord& s : list) {
        if (s.roots.empty()) text += s.name + u'\n';
        for (const sites::RootRecord& r : s.roots) text += s.name + u'\t' + r.url + u'\n';
    }
    in.out(text);
    return kOk;
}

}  // namespace fd::cli
