// pages discover.
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>
#include <atomic>
#include <csignal>

#include "Cli.h"
#include "discover/LastModified.h"
#include "discover/PageDiscovery.h"
#include "sites/PageAddress.h"

namespace fd::cli {

namespace {

std::atomic<bool> gCancel{false};

// Ctrl+C ends the discovery as the dialog's Cancel does: nothing changes.
extern "C" void cancelDiscovery(int) {
    gCancel.store(true);
}

const char* const kLeftOutKeys[discover::kLeftOutReasons] = {"otherOrigin", "outsideFolder",
                                                             "notHttp", "tooLong", "duplicate"};

QString viaCode(discover::SourceFile::Via via) {
    switch (via) {
        case discover::SourceFile::Via::Robots:
            return QStringLiteral("robots");
        case discover::SourceFile::Via::Named:
            return QStringLiteral("named");
        case discover::SourceFile::Via::Fallback:
            return QStringLiteral("tried");
        case discover::SourceFile::Via::Index:
            return QStringLiteral("index");
    }
    return {};
}

QString stateCode(discover::SourceFile::State state) {
    switch (state) {
        case discover::SourceFile::State::Read:
            return QStringLiteral("read");
        case discover::SourceFile::State::NotFound:
            return QStringLiteral("not found");
        case discover::SourceFile::State::Failed:
            return QStringLiteral("failed");
        default:
            return QStringLiteral("not read");
    }
}

QJsonObject resultJson(const discover::DiscoveryResult& r, const QString& saved) {
    QJsonArray pages, sources;
    for (const discover::FoundPage& p : r.pages) {
        QJsonObject page{{QStringLiteral("page"), p.text},
                         {QStringLiteral("url"), sites::pageAddress(r.rootUrl, p.text)}};
        if (p.lastModified != discover::kNoDate)
            page.insert(
                QStringLiteral("lastModified"),
                QDateTime::fromSecsSinceEpoch(p.lastModified, Qt::UTC).toString(Qt::ISODate));
        pages.append(page);
    }
    for (const discover::SourceFile& s : r.sources) {
        QJsonObject source{{QStringLiteral("url"), s.url},
                           {QStringLiteral("via"), viaCode(s.via)},
                           {QStringLiteral("state"), stateCode(s.state)},
                           {QStringLiteral("addresses"), s.addresses}};
        if (s.via != discover::SourceFile::Via::Robots &&
            s.state == discover::SourceFile::State::Read)
            source.insert(QStringLiteral("kind"), sitemapKindText(s.kind));
        if (!s.problem.isEmpty()) source.insert(QStringLiteral("problem"), s.problem);
        sources.append(source);
    }
    QJsonObject leftOut;
    for (int i = 0; i < discover::kLeftOutReasons; ++i)
        leftOut.insert(QLatin1String(kLeftOutKeys[i]), r.leftOut[std::size_t(i)]);
    QJsonObject out{{QStringLiteral("rootUrl"), r.rootUrl},
                    {QStringLiteral("found"), r.pages.size()},
                    {QStringLiteral("new"), r.comparison.fresh},
                    {QStringLiteral("noLongerListed"), r.comparison.gone},
                    {QStringLiteral("leftOut"), leftOut},
                    {QStringLiteral("overAddressLimit"), r.overAddressLimit},
                    {QStringLiteral("filesOverLimit"), r.filesOverLimit},
                    {QStringLiteral("filesTooDeep"), r.filesTooDeep},
                    {QStringLiteral("sources"), sources},
                    {QStringLiteral("pages"), pages},
                    {QStringLiteral("saved"), saved.isEmpty() ? QJsonValue() : QJsonValue(saved)}};
    if (r.crawled)
        out.insert(QStringLiteral("crawl"),
                   QJsonObject{{QStringLiteral("fetched"), r.crawlFetched},
                               {QStringLiteral("added"), r.crawlAdded},
                               {QStringLiteral("failed"), r.crawlFailed},
                               {QStringLiteral("disallowed"), r.crawlDisallowed}});
    return out;
}

}  // namespace

int pagesDiscoverCommand(Invocation& in) {
    in.positional(0, {});
    discover::DiscoveryOptions options;
    options.crawl = in.isSet(QStringLiteral("crawl"));
    if (in.isSet(QStringLiteral("page-limit"))) {
        if (!options.crawl)
            usage(QStringLiteral("--page-limit limits the crawl: give --crawl too"));
        bool ok = false;
        options.pageLimit = in.value(QStringLiteral("page-limit")).toInt(&ok);
        if (!ok || options.pageLimit < 1)
            usage(QStringLiteral("--page-limit: '%1' is not a number of pages")
                      .arg(in.value(QStringLiteral("page-limit"))));
    }
    const bool dryRun = in.isSet(QStringLiteral("dry-run"));
    const discover::ListChange change =
        in.isSet(QStringLiteral("add")) ? discover::ListChange::Add : discover::ListChange::Replace;

    const sites::SiteRecord site = in.site();
    const sites::RootRecord root = in.root(site);
    const QStringList current = in.pages(site);
    if (!dryRun) in.ensureExtraTables();

    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    discover::ProgressFn progress;
    if (terminal)
        progress = [&in](const discover::DiscoveryProgress& p) {
            in.progress(p.crawling ? QStringLiteral("Crawling: %1 of %2 pages fetched")
                                         .arg(p.crawlDone)
                                         .arg(p.crawlFound)
                                   : QStringLiteral("Sitemap files read: %1 of %2; addresses: %3")
                                         .arg(p.filesDone)
                                         .arg(p.filesKnown)
                                         .arg(p.addresses));
        };
    gCancel.store(false);
    const auto previous = std::signal(SIGINT, cancelDiscovery);
    const discover::DiscoveryResult r =
        discover::discoverPages(root.url, current, options, progress, gCancel);
    std::signal(SIGINT, previous);
    if (terminal) in.progress(QString());

    if (!r.error.isEmpty()) fail(r.error);
    for (const QString& problem : r.problems()) in.note(problem);
    if (r.cancelled) fail(QStringLiteral("the discovery was cancelled; the list is unchanged"));
    for (const QString& line : r.summaryLines()) in.note(line);
    if (r.foundNothing()) fail(QStringLiteral("no pages were found; the list is unchanged"));

    QString saved;
    if (!dryRun) {
        if (change == discover::ListChange::Add && r.comparison.fresh == 0) {
            in.note(QStringLiteral("nothing new: the list is unchanged"));
        } else {
            const QStringList pages = discover::listAfter(r.pages, r.comparison, current, change);
            saved =
                sites::saveSitePageList(*in.globals().gDB, in.globals().programFolder, site, pages);
            in.note(QStringLiteral("the list of %1 pages was saved to %2")
                        .arg(pages.size())
                        .arg(saved));
            const QString error = discover::storeLastModified(in.globals().gDB->databasePath(),
                                                              root.url, r.pages, change);
            if (!error.isEmpty())
                fail(
                    QStringLiteral("the list was saved, but not the pages' last-modified times: ") +
                    error);
        }
    }

    if (in.isSet(QStringLiteral("json"))) {
        in.outJson(QJsonDocument(resultJson(r, saved)));
    } else if (dryRun) {
        QString text;
        for (const discover::FoundPage& p : r.pages)
            text += sites::pageAddress(r.rootUrl, p.text) + u'\n';
        in.out(text);
    } else if (!saved.isEmpty()) {
        in.out(saved + u'\n');
    }
    return kOk;
}

}  // namespace fd::cli
