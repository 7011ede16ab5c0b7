#include "CreateXmlSitemap.h"

#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QUrl>

#include "WrittenSiteMaps.h"
#include "XmlSitemap.h"
#include "core/Globals.h"

namespace fd {

UploadQueue::UploadQueue(InetTransfer& transfer, ErrorSink& log, UploadTarget target,
                         QList<UploadRequest> requests, QObject* owner)
    : QObject(owner),
      transfer_(transfer),
      log_(log),
      target_(std::move(target)),
      requests_(requests.begin(), requests.end()) {
    // The control tells nobody when a transfer ends, so it is asked.
    timer_.setInterval(200);
    connect(&timer_, &QTimer::timeout, this, &UploadQueue::next);
    timer_.start();
}

void UploadQueue::next() {
    if (requests_.empty()) {
        timer_.stop();
        deleteLater();
        return;
    }
    if (transfer_.stillExecuting()) return;
    const UploadRequest& r = requests_.front();
    try {
        transfer_.startPut(target_.server, target_.user, target_.password, r.localPath,
                           kUploadFolder + r.remoteName);
    } catch (const AppError& e) {
        // Another request took the control in between: wait for it.
        if (e.number() == err::kTransferBusy) return;
        logFailure(log_, r.routine, e);
        requests_.clear();
        return;
    }
    if (transfer_.responseCode() != 0) {
        log_.write(r.routine, transfer_.responseCode(), transfer_.responseInfo(), QString());
        requests_.clear();
        return;
    }
    // A server that cannot be reached is logged and ends the queue; the
    // window that owns the queue also hears of the last file's connection.
    transfer_.whenConnected(
        parent(), [self = QPointer<UploadQueue>(this), &log = log_,
                   routine = r.routine](const std::optional<AppError>& failure) {
            if (!failure) return;
            log.write(routine, failure->number(), failure->description(), failure->source());
            if (self) self->requests_.clear();
        });
    requests_.pop_front();
}

void CreateXmlSitemap_Click(const QStringList& nodes, const QHash<QString, QDate>& updated,
                            const SiteMapServices& s) {
    auto tell = [&s](const QString& text) { s.dialogs.message(s.parent, text, kProductName); };
    if (!siteMapTreeReady(nodes, s)) return;
    const QString root = nodes.first();
    if (!SitemapSite::fromRootUrl(root)) {
        tell(
            QStringLiteral("An XML sitemap needs a root URL that begins with http:// or "
                           "https:// and names the site's host."));
        return;
    }

    try {
        FileDialogRequest r;
        r.initialDir = s.programFolder + QStringLiteral("/WebPageLists");
        r.initialFile = QStringLiteral("sitemap.xml");
        r.filter =
            QStringLiteral("XML Sitemap (*.xml)|*.xml|Compressed XML Sitemap (*.xml.gz)|*.xml.gz");
        r.filterIndex = 1;
        r.extensionFromFilter = true;
        // Sitemaps are rewritten whenever the site changes: as with the HTML
        // site map, the chosen file is replaced without asking.
        r.overwritePrompt = false;
        const std::optional<QString> path = s.dialogs.saveFile(s.parent, r);
        if (!path || path->isEmpty()) return;

        QList<SitemapPage> pages;
        pages.reserve(nodes.size() - 1);
        for (qsizetype i = 1; i < nodes.size(); ++i)
            pages.append({nodes[i], updated.value(nodes[i])});

        XmlSitemapSummary summary;
        try {
            // A long list shows its progress; Cancel leaves the files already
            // there as they were. The bar is gone before anything is told.
            const auto progress =
                s.dialogs.progress(s.parent,
                                   QStringLiteral("Writing the XML sitemap of %1 pages ...")
                                       .arg(QLocale(QLocale::English).toString(pages.size())),
                                   pages.size());
            XmlSitemapOptions options;
            options.progress = [&progress](qint64 done, qint64) { return progress->advance(done); };
            summary = writeXmlSitemaps(root, pages, *path, options);
        } catch (const AppError& e) {
            logFailure(s.log, kXmlSitemapRoutine, e);
            tell(QStringLiteral("The XML sitemap could not be written; the files already there "
                                "are unchanged.\r\n") +
                 e.description());
            return;
        }
        if (summary.cancelled) return;
        rememberWrittenSiteMaps(s.db, s.log, kXmlSitemapRoutine, root, SiteMapKind::Xml,
                                summary.files);
        // The browser shows XML but not compressed files; those are only
        // summed up.
        const bool compressed =
            !summary.files.isEmpty() &&
            summary.files.first().endsWith(QStringLiteral(".gz"), Qt::CaseInsensitive);
        if (s.browser && !summary.files.isEmpty() && !compressed)
            s.browser->navigate(QUrl::fromLocalFile(summary.files.first()).toString());
        tell(xmlSitemapMessage(summary));
        if (summary.files.isEmpty() || !wantsSiteMapUpload(s)) return;

        // The remote names follow the local ones: "SM-<stamp>.xml" for the
        // main file, "SM-<stamp>-2.xml" for the second numbered file.
        InetTransfer& transfer = siteMapTransfer(s);
        const QString stem = siteMapUploadName(s);
        const QString extension = compressed ? QStringLiteral(".xml.gz") : QStringLiteral(".xml");
        QList<UploadRequest> requests;
        for (qsizetype i = 0; i < summary.files.size(); ++i)
            requests.append(siteMapUploadRequest(
                s, summary.files[i], stem + (i ? u'-' + QString::number(i) : QString()) + extension,
                kXmlSitemapRoutine));
        if (!runUpload(transfer, s.dialogs, s.log, s.parent, s.uploadTarget, requests.first()))
            return;
        if (requests.size() > 1)
            new UploadQueue(transfer, s.log, s.uploadTarget, requests.mid(1), s.owner);
    } catch (const AppError& e) {
        endSiteMapRun(e, s, kXmlSitemapRoutine);
    } catch (const std::exception& e) {
        logFailure(s.log, kXmlSitemapRoutine, e);
    }
}

}  // namespace fd
