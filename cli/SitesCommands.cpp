// sites, pages import, pages list and sitemap.
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "Cli.h"
#include "sitemap/SiteMap.h"
#include "sitemap/XmlSitemap.h"
#include "sites/PageList.h"

namespace fd::cli {

namespace {}  // namespace

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

int pagesImportCommand(Invocation& in) {
    const QString file = in.positional(1, QStringLiteral("FILE")).first();
    const sites::SiteRecord site = in.site();
    // As in the window, a list belongs under a root URL.
    if (site.roots.empty()) fail(QStringLiteral("the site '%1' has no root URL").arg(site.name));
    const QStringList pages = sites::readPageListFile(file);
    const QString saved = in.selection().savePageList(pages);
    in.note(QStringLiteral("%1 %2 imported into %3")
                .arg(pages.size())
                .arg(pages.size() == 1 ? QStringLiteral("page") : QStringLiteral("pages"), saved));
    return kOk;
}

int pagesListCommand(Invocation& in) {
    in.positional(0, {});
    const sites::SiteRecord site = in.site();
    const sites::RootRecord root = in.root(site);
    const QStringList pages = in.pages(site);
    if (in.isSet(QStringLiteral("json"))) {
        QJsonArray array;
        for (const QString& p : pages)
            array.append(
                QJsonObject{{QStringLiteral("page"), p}, {QStringLiteral("url"), root.url + p}});
        in.outJson(QJsonDocument(array));
        return kOk;
    }
    QString text;
    for (const QString& p : pages) text += root.url + p + u'\n';
    in.out(text);
    return kOk;
}

int sitemapCommand(Invocation& in) {
    in.positional(0, {});
    const bool xml = in.isSet(QStringLiteral("xml"));
    const bool html = in.isSet(QStringLiteral("html")) || !xml;
    const bool gzip = in.isSet(QStringLiteral("gzip"));
    if (gzip && !xml) usage(QStringLiteral("--gzip compresses the XML sitemaps: give --xml too"));
    const QString outDir = in.required(QStringLiteral("out"));
    if (!QFileInfo(outDir).isDir())
        fail(QStringLiteral("the folder %1 does not exist").arg(outDir));
    const sites::SiteRecord site = in.site();
    const sites::RootRecord root = in.root(site);
    const QStringList pages = in.pages(site);
    if (pages.isEmpty())
        fail(QStringLiteral("the site '%1' has no pages in its list").arg(site.name));
    if (xml && !SitemapSite::fromRootUrl(root.url))
        fail(QStringLiteral("an XML sitemap needs a root URL that begins with http:// or https:// "
                            "and names the site's host, not '%1'")
                 .arg(root.url));

    const QDir dir(outDir);
    if (html) {
        const QString path = dir.filePath(QStringLiteral("sitemap.htm"));
        writeFileWhole(path, siteMapFileBytes(buildSiteMapHtml(root.url, site.name, pages)));
        in.out(QDir::toNativeSeparators(path) + u'\n');
    }
    if (xml) {
        const QHash<QString, QDate> updated = pageUpdateDates(*in.globals().gDB, site.name);
        QList<SitemapPage> listed;
        listed.reserve(pages.size());
        for (const QString& p : pages) listed.append({p, updated.value(p)});
        XmlSitemapOptions options;
        options.gzip = gzip;
        const QString main =
            dir.filePath(gzip ? QStringLiteral("sitemap.xml.gz") : QStringLiteral("sitemap.xml"));
        const XmlSitemapSummary summary = writeXmlSitemaps(root.url, listed, main, options);
        in.note(xmlSitemapMessage(summary).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        if (summary.files.isEmpty())
            fail(QStringLiteral("no page could be listed: nothing written"));
        for (const QString& f : summary.files) in.out(QDir::toNativeSeparators(f) + u'\n');
    }
    return kOk;
}

}  // namespace fd::cli
