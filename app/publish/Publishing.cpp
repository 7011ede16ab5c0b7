#include "Publishing.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <QUrl>

#include "audit/RobotsTxt.h"
#include "sitemap/WrittenSiteMaps.h"
#include "sitemap/XmlSitemap.h"
#include "submit/indexnow/IndexNowKey.h"

namespace fd {

namespace {

QString number(qint64 n) {
    return QLocale(QLocale::English).toString(n);
}

// At most 60 characters of what a server sent, for a message.
QString excerpt(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes.left(240));
    if (bytes.contains('\0') || (utf8.hasError() && bytes.size() < 240))
        return QStringLiteral("binary data");
    QString t = text.simplified();
    if (t.isEmpty()) return QStringLiteral("nothing");
    if (t.size() > 60) t = t.left(60) + QStringLiteral("...");
    return u'"' + t + u'"';
}

QString differenceText(const HttpResponse& r, const QByteArray& expected) {
    if (!r.answered()) return QStringLiteral("it could not be fetched: ") + r.errorText;
    if (r.status != 200) return QStringLiteral("it answers with status %1").arg(r.status);
    if (r.truncated || r.body.size() != expected.size())
        return QStringLiteral("it serves %1%2 bytes, the file has %3: %4")
            .arg(r.truncated ? QStringLiteral("more than ") : QString(),
                 number(r.truncated ? expected.size() : r.body.size()), number(expected.size()),
                 excerpt(r.body));
    qsizetype at = 0;
    while (at < expected.size() && r.body[at] == expected[at]) ++at;
    return QStringLiteral("it serves other bytes from byte %1 on: %2")
        .arg(number(at + 1), excerpt(r.body));
}

QByteArray contentOf(const PublishFile& f) {
    if (f.localPath.isEmpty()) return f.bytes;
    QFile file(f.localPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString robotsUrl(const QString& rootUrl) {
    const WebAddress a = parseWebAddress(rootUrl.trimmed());
    return a.valid()
               ? a.scheme + QStringLiteral("://") + a.authority + QStringLiteral("/robots.txt")
               : QString();
}

bool sameUrl(const QString& a, const QString& b) {
    return a == b || QUrl(a, QUrl::TolerantMode) == QUrl(b, QUrl::TolerantMode);
}

}  // namespace

std::optional<PublishFile> siteFile(const QString& rootUrl, const QString& localPath,
                                    const QString& label, QString* problem) {
    auto refuse = [problem](const QString& why) -> std::optional<PublishFile> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    const auto site = SitemapSite::fromRootUrl(rootUrl);
    if (!site)
        return refuse(QStringLiteral("The root URL \"%1\" is not a web address (http or https).")
                          .arg(rootUrl));
    const QFileInfo info(localPath);
    if (!info.isFile() || !info.isReadable())
        return refuse(QStringLiteral("The file %1 cannot be read.").arg(localPath));
    PublishFile f;
    f.label = label;
    f.localPath = info.absoluteFilePath();
    f.remotePath = info.fileName();
    f.publicUrl = site->fileUrl(info.fileName());
    return f;
}

QList<PublishFile> xmlSitemapFiles(const QString& rootUrl, const QString& mainPath,
                                   QString* problem) {
    QList<PublishFile> files;
    const QString label = QStringLiteral("XML sitemap");
    auto main = siteFile(rootUrl, mainPath, label, problem);
    if (!main) return files;
    main->mainSitemap = true;
    files << *main;
    for (int n = 1;; ++n) {
        const QString numbered = numberedSitemapPath(mainPath, n);
        if (!QFileInfo(numbered).isFile()) break;
        auto f = siteFile(rootUrl, numbered, label, problem);
        if (!f) return {};
        files << *f;
    }
    return files;
}

std::optional<PublishFile> keyFile(const QString& rootUrl, const QString& key,
                                   const QString& keyLocation, QString* problem) {
    auto refuse = [problem](const QString& why) -> std::optional<PublishFile> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    QString p = indexNowKeyProblem(key);
    if (p.isEmpty()) p = keyLocationProblem(rootUrl, keyLocation);
    if (!p.isEmpty()) return refuse(p);
    const auto site = SitemapSite::fromRootUrl(rootUrl);
    const QString url = indexNowKeyFileUrl(rootUrl, key, keyLocation);
    std::string loc;
    if (!site || url.isEmpty() || site->locate(url, loc) != SitemapSite::Fit::Listed)
        return refuse(QStringLiteral("The root URL \"%1\" is not a web address (http or https).")
                          .arg(rootUrl));
    const std::string& base = site->base();
    const QString relative =
        loc.compare(0, base.size(), base) == 0
            ? QUrl::fromPercentEncoding(QByteArray::fromStdString(loc.substr(base.size())))
            : QString();
    if (relative.isEmpty() || relative.split(u'/').contains(QStringLiteral("..")))
        return refuse(QStringLiteral("The key file belongs at %1, outside %2, the part of the site "
                                     "the publish address holds: put it there by hand, or give "
                                     "the key a location below the root URL.")
                          .arg(QString::fromStdString(loc), QString::fromStdString(base)));
    PublishFile f;
    f.label = QStringLiteral("IndexNow key file");
    f.bytes = key.toUtf8();
    f.remotePath = relative;
    f.publicUrl = QString::fromStdString(loc);
    return f;
}

ServedCheck checkServed(HttpClient& http, const QString& url, const QByteArray& expected,
                        const std::atomic<bool>* cancel) {
    HttpRequest rq;
    rq.url = url;
    rq.followRedirects = true;
    rq.maxBodyBytes = std::max<qint64>(expected.size() + 1, 4096);
    rq.cancel = cancel;
    const HttpResponse r = http.send(rq);
    ServedCheck c;
    c.url = url;
    c.served = r.status == 200 && !r.truncated && r.body == expected;
    c.message = c.served ? QStringLiteral("%1: published and served").arg(url)
                         : QStringLiteral(
                               "%1: uploaded, but the site serves something else at this "
                               "address (%2)")
                               .arg(url, differenceText(r, expected));
    return c;
}

RobotsCheck checkRobotsSitemap(HttpClient& http, const QString& rootUrl, const QString& sitemapUrl,
                               const std::atomic<bool>* cancel) {
    const QString line = QStringLiteral("Sitemap: ") + sitemapUrl;
    RobotsCheck c;
    HttpRequest rq;
    rq.url = robotsUrl(rootUrl);
    rq.followRedirects = true;
    rq.maxBodyBytes = 512 * 1024;
    rq.cancel = cancel;
    const HttpResponse r = rq.url.isEmpty() ? HttpResponse{} : http.send(rq);
    if (!r.answered()) {
        c.message =
            QStringLiteral(
                "The site's robots.txt could not be read (%1). It should hold "
                "this line:\n%2")
                .arg(r.errorText.isEmpty() ? QStringLiteral("no web address") : r.errorText, line);
    } else if (r.status == 404 || r.status == 410) {
        c.message = QStringLiteral(
                        "The site has no robots.txt (%1). To point search engines at "
                        "the sitemap, make one with this line:\n%2")
                        .arg(rq.url, line);
    } else if (r.status != 200) {
        c.message = QStringLiteral(
                        "The site's robots.txt answered with status %1. It should hold "
                        "this line:\n%2")
                        .arg(r.status)
                        .arg(line);
    } else {
        for (const QString& s : audit::RobotsTxt::sitemaps(r.body))
            if (sameUrl(s, sitemapUrl)) c.listed = true;
        c.message = c.listed
                        ? QStringLiteral("The site's robots.txt names the sitemap (%1).").arg(line)
                        : QStringLiteral(
                              "The site's robots.txt has no Sitemap: line for %1. "
                              "Add this line to it:\n%2")
                              .arg(sitemapUrl, line);
    }
    return c;
}

bool PublishReport::ok() const {
    if (!upload.ok()) return false;
    for (const ServedCheck& c : checks)
        if (!c.served) return false;
    return true;
}

QString PublishReport::text(const PublishRequest& request) const {
    QStringList lines;
    lines << QStringLiteral("Publishing to %1%2 as %3:")
                 .arg(request.account.address.server(), request.account.address.path,
                      request.account.user);
    for (qsizetype i = 0; i < request.files.size(); ++i)
        lines << (i < checks.size()
                      ? checks[i].message
                      : QStringLiteral("%1: not uploaded").arg(request.files[i].publicUrl));
    if (!upload.ok()) lines << upload.message;
    if (!upload.leftOver.isEmpty())
        lines << QStringLiteral("A part of the file may be left on the server as %1.")
                     .arg(upload.leftOver);
    if (robots) lines << robots->message;
    return lines.join(u'\n');
}

PublishReport publish(SiteUploader& uploader, HttpClient& http, const PublishRequest& request,
                      const std::atomic<bool>* cancel,
                      const std::function<void(qint64, qint64)>& progress) {
    PublishReport report;
    QList<SiteFile> files;
    for (const PublishFile& f : request.files) files.append({f.localPath, f.bytes, f.remotePath});
    report.upload = uploader.upload(request.account, files, cancel, progress);
    if (report.upload.stop == SiteUploadOutcome::Stop::Cancelled) return report;
    for (qsizetype i = 0; i < report.upload.placed && i < request.files.size(); ++i) {
        const PublishFile& f = request.files[i];
        report.checks << checkServed(http, f.publicUrl, contentOf(f), cancel);
        if (f.mainSitemap && !report.robots)
            report.robots = checkRobotsSitemap(http, request.rootUrl, f.publicUrl, cancel);
    }
    return report;
}

QList<PublishFile> lastWrittenFiles(const CADODBAccess& db, const QString& rootUrl,
                                    QStringList* problems) {
    QList<PublishFile> files;
    auto add = [&](std::optional<PublishFile> f, const QString& problem) {
        if (f)
            files << *f;
        else if (problems)
            *problems << problem;
    };
    QString problem;
    const QStringList xml = lastWrittenSiteMaps(db, rootUrl, SiteMapKind::Xml);
    for (qsizetype i = 0; i < xml.size(); ++i) {
        auto f = siteFile(rootUrl, xml[i], QStringLiteral("XML sitemap"), &problem);
        if (f) f->mainSitemap = i == 0;
        add(f, problem);
    }
    for (const QString& html : lastWrittenSiteMaps(db, rootUrl, SiteMapKind::Html))
        add(siteFile(rootUrl, html, QStringLiteral("HTML site map"), &problem), problem);
    if (const auto key = loadIndexNowKey(db, rootUrl))
        add(keyFile(rootUrl, key->key, key->keyLocation, &problem), problem);
    return files;
}

}  // namespace fd
