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

QString renderedReading() {
    return QStringLiteral(R"JS((function () {
  var d = document, robots = [], description = null, canonical = '', links = [];
  var metas = d.getElementsByTagName('meta');
  for (var i = 0; i < metas.length; ++i) {
    var name = (metas[i].getAttribute('name') || '').trim().toLowerCase();
    var content = (metas[i].getAttribute('content') || '').trim();
    if (name === 'description' && description === null) description = content;
    if (name === 'robots') robots.push(content);
  }
  var rels = d.getElementsByTagName('link');
  for (var j = 0; j < rels.length; ++j) {
    var rel = (rels[j].getAttribute('rel') || '').toLowerCase().split(/[ \t\n\f\r]+/);
    if (rel.indexOf('canonical') >= 0 && rels[j].hasAttribute('href')) {
      canonical = rels[j].href;
      break;
    }
  }
  var anchors = d.querySelectorAll('a[href], area[href]');
  for (var k = 0; k < anchors.length && k < 5000; ++k) links.push(anchors[k].href);
  var h1 = d.getElementsByTagName('h1');
  return JSON.stringify({title: String(d.title || ''), description: description,
                         robots: robots.join(', '), canonical: canonical,
                         h1: [h1.length, h1.length ? h1[0].textContent : ''], links: links});
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
