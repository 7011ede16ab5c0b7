#include "PageScripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace fd::pagescripts {

QString documentSnapshot() {
    return QStringLiteral(R"JS((function () {
  var d = document;
  var html = ((typeof HTMLDocument !== 'undefined') && (d instanceof HTMLDocument)) ||
             d.contentType === 'application/xhtml+xml';
  var e = [];
  if (html) {
    var all = d.getElementsByTagName('*');
    for (var i = 0, n = all.length; i < n; ++i) {
      var el = all[i];
      e.push([el.nodeName, el.getAttribute('name') || '', el.getAttribute('content') || '']);
    }
  }
  return JSON.stringify({html: html, title: String(d.title || ''), e: e});
})())JS");
}

QString characterSet() {
    return QStringLiteral("document.characterSet");
}

QString windowCloseHook(const QString& token) {
    return QStringLiteral(
               "(function () {\n"
               "  var log = console.log.bind(console);\n"
               "  var token = '%1';\n"
               "  window.close = function () { log(token); };\n"
               "})();")
        .arg(token);
}

}  // namespace fd::pagescripts

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
