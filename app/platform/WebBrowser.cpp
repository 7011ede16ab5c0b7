#include "WebBrowser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace fd {

DocumentSnapshot parseDocumentSnapshot(const QString& json) {
    DocumentSnapshot snap;
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
    if (!doc.isObject()) return snap;
    const QJsonObject o = doc.object();
    snap.title = o.value(QLatin1String("title")).toString();
    snap.isHtml = o.value(QLatin1String("html")).toBool();
    const QJsonArray elements = o.value(QLatin1String("e")).toArray();
    snap.elements.reserve(elements.size());
    for (const QJsonValue& v : elements) {
        const QJsonArray a = v.toArray();
        snap.elements.push_back({a.at(0).toString(), a.at(1).toString(), a.at(2).toString()});
    }
    return snap;
}

}  // namespace fd
