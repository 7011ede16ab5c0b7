// submit.
#include <atomic>
#include <csignal>

#include "Cli.h"
#include "browser/BrowserLogic.h"
#include "browser/HtmlSnapshot.h"
#include "platform/CurlHttpClient.h"
#include "submit/EngineCatalogue.h"
#include "submit/QueryStringMethod.h"
#include "submit/SubmissionService.h"

namespace fd::cli {

namespace {

std::atomic<bool> gStop{false};

extern "C" void stopSubmitting(int) {
    gStop.store(true);
}

// The page details the window reads once the page is open in its browser:
// the page fetched and read as the browser reads it. A page that cannot be
// fetched leaves them empty, as an empty browser does.
PageFacts pageDetails(HttpClient& http, const QString& url) {
    HttpRequest rq;
    rq.url = browserUrl(url);
    rq.followRedirects = true;
    rq.maxBodyBytes = 8 * 1024 * 1024;
    rq.cancel = &gStop;
    const HttpResponse r = http.send(rq);
    if (!r.answered()) return {};
    const PageDetails d =
        finalDetails(getWebPageInformation(snapshotFromHtml(r.body, r.contentType)));
    return {d.description, d.keywords};
}

// One line per page: its address, the engine's answer and whether it was
// recorded.
QString pageLine(const PageOutcome& o) {
    return o.url + u'\t' + o.sent.answer.text +
           (o.record.outcome == RecordOutcome::Recorded ? QString()
                                                        : QStringLiteral("\tnot recorded")) +
           u'\n';
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

    sites::SiteSelection& chosen = in.siteAndRoot();
    in.ensureExtraTables();
    const CADODBAccess& db = *in.globals().gDB;

    // The engine as the Page Submission tab lists it.
    const EngineLists lists = loadEngineLists(db, in.errors());
    std::optional<EngineEntry> engine;
    for (const EngineEntry& e : lists.submission)
        if (e.name == engineName) engine = e;
    if (!engine)
        fail(QStringLiteral("no engine named '%1' in the submission list").arg(engineName));

    // The six Configuration fields of the root URL, as the tab shows them.
    const SubmitterFields fields{chosen.siteName(),       chosen.rootUrl(),
                                 chosen.industry(),       chosen.submitterName(),
                                 chosen.submitterEmail(), chosen.countryCode()};
    const QStringList list = chosen.pages();
    if (all && list.isEmpty())
        fail(QStringLiteral("the site '%1' has no pages in its list").arg(fields.siteName));

    auto http = std::make_shared<CurlHttpClient>();
    SubmissionService service(db, in.errors(), SubmissionService::Surface::CommandLine, nullptr,
                              http);
    // The window records what its browser read of each page; here the page
    // is read as the browser reads it, just before it is sent.
    service.setPageReader([&http](const QString& url) { return pageDetails(*http, url); });
    gStop.store(false);
    service.setCancelFlag(&gStop);
    const auto previous = std::signal(SIGINT, stopSubmitting);
    struct Restore {
        decltype(previous) handler;
        ~Restore() { std::signal(SIGINT, handler); }
    } restore{previous};

    QStringList messages;
    std::vector<PageOutcome> pages;
    std::optional<RunOutcome> run;
    QObject::connect(&service, &SubmissionService::message,
                     [&](const QString& text) { messages << text; });
    QObject::connect(&service, &SubmissionService::pageAnswered, [&](const PageOutcome& o) {
        pages.push_back(o);
        in.out(pageLine(o));
    });
    QObject::connect(&service, &SubmissionService::runFinished,
                     [&](const RunOutcome& o) { run = o; });

    if (all) {
        SiteSubmission s;
        s.routine = QStringLiteral("cmdSubmitAllPages_Click");
        s.engine = engine;
        s.submitter = fields;
        s.treePages = list;
        service.submitAll(s);
    } else {
        PageSubmission s;
        s.routine = QStringLiteral("cmdSubmitpage_Click");
        s.engine = engine;
        s.submitter = fields;
        s.pageUrl = onePage;
        // A page of the list is recorded under its node's text, as a click
        // on the node records it.
        for (const QString& p : list)
            if (fields.rootUrl + p == onePage) s.treePage = p;
        service.submitPage(s);
    }

    if (run) {
        const SubmissionRunResult& r = run->result;
        if (!r.recordError.isEmpty())
            fail(run->summary + QStringLiteral("; not recorded: ") + r.recordError);
        if (!r.succeeded()) fail(run->summary);
        if (!run->onePagePerRequest) in.out(run->summary + u'\n');
        return kOk;
    }
    const auto told = [](QString text) { return text.replace(QStringLiteral("\r\n"), "\n"); };
    if (pages.empty())
        fail(messages.isEmpty() ? QStringLiteral("nothing was sent") : told(messages.first()));
    const PageOutcome& o = pages.front();
    if (!o.recordError.isEmpty()) fail(o.recordError);
    if (!o.sent.answer.accepted) fail(QStringLiteral("1 of 1 submissions were not accepted"));
    return kOk;
}

}  // namespace fd::cli
