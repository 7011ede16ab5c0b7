// submit.
#include <QUrl>
#include <atomic>
#include <csignal>

#include "Cli.h"
#include "browser/BrowserLogic.h"
#include "browser/HtmlSnapshot.h"
#include "platform/CurlHttpClient.h"
#include "submit/EngineCatalogue.h"
#include "submit/QueryTemplate.h"
#include "submit/SubmissionLedger.h"
#include "submit/indexnow/IndexNowKey.h"
#include "submit/indexnow/IndexNowRun.h"

namespace fd::cli {

namespace {

std::atomic<bool> gStop{false};

extern "C" void stopSubmitting(int) {
    gStop.store(true);
}

// An address as the browser sends it: what the user typed, made a URL, with
// the apostrophe escaped in the query of a web address as browsers escape it.
QString browserUrl(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    QString text = url.toString(QUrl::FullyEncoded);
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return text;
    const qsizetype query = text.indexOf(u'?');
    if (query < 0) return text;
    qsizetype end = text.indexOf(u'#', query);
    if (end < 0) end = text.size();
    for (qsizetype i = end - 1; i > query; --i)
        if (text[i] == u'\'') text.replace(i, 1, QStringLiteral("%27"));
    return text;
}

// The page details the window reads once the page is open in its browser:
// the page fetched and read as the browser reads it. A page that cannot be
// fetched leaves them empty, as an empty browser does.
PageDetails pageDetails(HttpClient& http, const QString& url) {
    HttpRequest rq;
    rq.url = browserUrl(url);
    rq.followRedirects = true;
    rq.maxBodyBytes = 8 * 1024 * 1024;
    rq.cancel = &gStop;
    const HttpResponse r = http.send(rq);
    if (!r.answered()) return {};
    return finalDetails(getWebPageInformation(snapshotFromHtml(r.body, r.contentType)));
}

}  // namespace

int submitCommand(Invocation& in) {
    in.positional(0, {});
    const bool all = in.isSet(QStringLiteral("all"));
    if (all == in.isSet(QStringLiteral("page")))
        usage(QStringLiteral("give either --page URL or --all"));
    const QString engineName = in.required(QStringLiteral("engine"));
    const QString onePage = in.value(QStringLiteral("page"));
    if (!all && onePage.trimmed().isEmpty()) usage(QStringLiteral("--page needs a URL"));

    const sites::SiteRecord site = in.site();
    const sites::RootRecord root = in.root(site);
    in.ensureExtraTables();
    const CADODBAccess& db = *in.globals().gDB;

    // The six Configuration fields of the root URL, as the tab shows them.
    const sites::RootDetails details = sites::readRootDetails(db, root.id);
    const SubmitterFields fields{site.name,        root.url,
                                 details.industry, details.submitterName,
                                 details.email,    details.countryCode};
    QString missing;
    if (!isReadyForSubmit(fields, &missing))
        fail(configurationMissingMessage(missing).replace(QStringLiteral("\r\n"),
                                                          QStringLiteral("\n")));

    // The engine as the Page Submission tab lists it.
    const EngineLists lists = loadEngineLists(db, in.errors());
    const EngineEntry* engine = nullptr;
    for (const EngineEntry& e : lists.submission)
        if (e.name == engineName) engine = &e;
    if (!engine)
        fail(QStringLiteral("no engine named '%1' in the submission list").arg(engineName));

    // The pages: each as a click on its tree node gives it (the root URL and
    // the node's text), or the one address given.
    const QStringList list = in.pages(site);
    std::vector<PageToSubmit> pages;
    if (all) {
        if (list.isEmpty())
            fail(QStringLiteral("the site '%1' has no pages in its list").arg(site.name));
        for (const QString& p : list)
            pages.push_back({parseWebAddress(p).valid() ? p : root.url + p, p});
    } else {
        QString node;
        for (const QString& p : list)
            if (root.url + p == onePage) node = p;
        pages.push_back({onePage, node});
    }

    CurlHttpClient http;
    gStop.store(false);
    const auto previous = std::signal(SIGINT, stopSubmitting);
    struct Restore {
        decltype(previous) handler;
        ~Restore() { std::signal(SIGINT, handler); }
    } restore{previous};

    if (isIndexNowMethod(engine->method)) {
        const std::optional<StoredIndexNowKey> key = loadIndexNowKey(db, root.url);
        if (!key || key->key.isEmpty())
            fail(QStringLiteral("the root URL %1 has no IndexNow key: make one on the "
                                "Configuration tab")
                     .arg(root.url));
        if (all) {
            // Submit All Pages: POSTs of the plan's pages, each request's
            // pages recorded with its answer.
            IndexNowBatchJob job;
            job.plan = planIndexNow(engine->name, engine->queryTemplate, root.url, key->key,
                                    key->keyLocation, pages);
            if (!job.plan.problem.isEmpty()) fail(job.plan.problem);
            job.databasePath = db.databasePath();
            job.who = {site.name, root.url, details.email, engine->name};
            const IndexNowBatchResult r = runIndexNowBatches(job, http, gStop);
            const QString summary = indexNowBatchSummary(r, job.plan);
            if (!r.recordError.isEmpty())
                fail(summary + QStringLiteral("; not recorded: ") + r.recordError);
            if (r.cancelled || !r.stopText.isEmpty() || r.unanswered || !r.refused.empty() ||
                job.plan.pages.empty())
                fail(summary);
            in.out(summary + u'\n');
            return kOk;
        }
        const IndexNowPlan plan = planIndexNow(engine->name, engine->queryTemplate, root.url,
                                               key->key, key->keyLocation, {{onePage, QString()}});
        if (!plan.problem.isEmpty()) fail(plan.problem);
        if (plan.pages.empty()) fail(skippedPageMessage(plan, onePage));
        const PageDetails d = pageDetails(http, onePage);
        const IndexNowAnswer a = sendIndexNowGet(http, plan, {}, &gStop);
        SubmissionInput si{site.name,    root.url,      details.email, onePage,
                           std::nullopt, d.description, d.keywords,    engine->name};
        if (!pages.front().path.isEmpty()) si.treePage = pages.front().path;
        const QDateTime now = QDateTime::currentDateTime();
        const RecordResult rr = recordSubmission(db, si, false, now);
        if (const long long id = submissionIdOf(db, rr, now))
            recordAnswer(db, id, ledgerAnswer(a, kChannelIndexNowGet, plan.endpoint), now);
        const QString said =
            a.status
                ? QStringLiteral("%1 answered %2: %3.").arg(engine->name).arg(a.status).arg(a.text)
                : QStringLiteral("%1: %2.").arg(engine->name, a.text);
        if (!a.accepted) fail(said);
        in.out(said + u'\n');
        return kOk;
    }

    // GET and form-POST engines: each page as the Submit button sends it,
    // one after another, straight to the engine.
    int refused = 0;
    QString text;
    for (const PageToSubmit& page : pages) {
        if (gStop.load()) fail(QStringLiteral("stopped; the pages before were submitted"));
        const PageDetails d = pageDetails(http, page.url);
        const EngineRequest request =
            submitRequest(fillSubmitTemplate(engine->queryTemplate, page.url, details.email,
                                             details.countryCode, QString(), details.submitterName),
                          engine->method);
        HttpRequest rq;
        rq.url = browserUrl(request.url);
        rq.followRedirects = true;
        rq.cancel = &gStop;
        if (request.post) {
            rq.method = "POST";
            rq.body = request.body;
            rq.contentType = "application/x-www-form-urlencoded";
        }
        const HttpResponse answer = http.send(rq);

        SubmissionInput si{site.name,    root.url,      details.email, page.url,
                           std::nullopt, d.description, d.keywords,    engine->name};
        if (!page.path.isEmpty()) si.treePage = page.path;
        const QDateTime now = QDateTime::currentDateTime();
        const RecordResult rr = recordSubmission(db, si, false, now);
        const LedgerAnswer a = httpAnswer(answer, rq.url);
        if (const long long id = submissionIdOf(db, rr, now)) recordAnswer(db, id, a, now);
        if (!a.accepted) ++refused;
        text +=
            page.url + u'\t' + a.text +
            (rr.outcome == RecordOutcome::Recorded ? QString() : QStringLiteral("\tnot recorded")) +
            u'\n';
    }
    in.out(text);
    if (refused)
        fail(QStringLiteral("%1 of %2 submissions were not accepted")
                 .arg(refused)
                 .arg(pages.size()));
    return kOk;
}

}  // namespace fd::cli
