// sitemap.
#include <QDir>
#include <QFileInfo>

#include "Cli.h"
#include "discover/LastModified.h"
#include "sitemap/SiteMap.h"
#include "sitemap/WrittenSiteMaps.h"
#include "sitemap/XmlSitemap.h"

namespace fd::cli {

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
        in.ensureExtraTables();
        rememberWrittenSiteMaps(in.globals().gDB.get(), in.errors(), QStringLiteral("sitemap"),
                                root.url, SiteMapKind::Html, {path});
        in.out(QDir::toNativeSeparators(path) + u'\n');
    }
    if (xml) {
        const QHash<QString, QDate> updated =
            discover::sitemapDays(*in.globals().gDB, site.name, root.url);
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
        in.ensureExtraTables();
        rememberWrittenSiteMaps(in.globals().gDB.get(), in.errors(), QStringLiteral("sitemap"),
                                root.url, SiteMapKind::Xml, summary.files);
        for (const QString& f : summary.files) in.out(QDir::toNativeSeparators(f) + u'\n');
    }
    return kOk;
}

}  // namespace fd::cli
