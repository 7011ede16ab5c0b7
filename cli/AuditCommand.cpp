// audit.
#include <listcaster/TableSource.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <atomic>
#include <csignal>
#include <optional>

#include "Cli.h"
#include "audit/AuditLists.h"
#include "audit/SiteAudit.h"
#include "reports/ReportFiles.h"

namespace fd::cli {

namespace {

std::atomic<bool> gCancel{false};

// Ctrl+C ends the run as the window's Cancel does: what was finished is
// kept and stored as a cancelled run.
extern "C" void cancelAudit(int) {
    gCancel.store(true);
}

int optionNumber(Invocation& in, const QString& name, int fallback) {
    if (!in.isSet(name)) return fallback;
    bool ok = false;
    const int n = in.value(name).toInt(&ok);
    if (!ok || n < 0) usage(QStringLiteral("--%1: '%2' is not a number").arg(name, in.value(name)));
    return n;
}

// The findings list as the window shows it, for the list writers.
listcaster::TableRows findingsTable(const audit::AuditResult& r) {
    std::vector<listcaster::TableRows::Column> columns;
    for (const audit::ListColumn& c : audit::findingListColumns())
        columns.push_back({QString::fromLatin1(c.caption), c.width * 15});
    std::vector<std::vector<QString>> rows;
    for (const audit::AuditFinding& f : r.findings) {
        const QStringList texts = audit::findingListRow(f);
        rows.emplace_back(texts.begin(), texts.end());
    }
    return listcaster::TableRows(std::move(columns), std::move(rows));
}

// One value as compact JSON text.
QString jsonText(const QJsonValue& v) {
    const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

// The run as one JSON object, written as it goes: each page as it is
// finished, the findings (which need the whole run) at the end. Nothing of
// the document is kept, so its size does not weigh on memory.
class JsonRun {
public:
    JsonRun(const Invocation& in, const QString& rootUrl) : in_(in) {
        in_.out(QStringLiteral("{\n    \"rootUrl\": ") + jsonText(rootUrl) +
                QStringLiteral(",\n    \"pages\": ["));
    }
    void page(const audit::AuditPage& p) {
        item(QJsonObject{{QStringLiteral("url"), p.url},
                         {QStringLiteral("status"), p.status},
                         {QStringLiteral("finalUrl"), p.finalUrl},
                         {QStringLiteral("title"), p.title},
                         {QStringLiteral("description"), p.description},
                         {QStringLiteral("disallowed"), p.disallowed},
                         {QStringLiteral("error"), p.error}});
    }
    void finish(const audit::AuditResult& r) {
        endList();
        in_.out(QStringLiteral(",\n    \"findings\": ["));
        for (const audit::AuditFinding& f : r.findings)
            item(QJsonObject{
                {QStringLiteral("url"), f.url},
                {QStringLiteral("code"), audit::findingCode(f.kind)},
                {QStringLiteral("finding"), audit::findingText(f.kind)},
                {QStringLiteral("severity"), audit::severityText(audit::findingSeverity(f.kind))},
                {QStringLiteral("detail"), f.detail},
                {QStringLiteral("state"), audit::findingStateText(f.state)}});
        endList();
        in_.out(QStringLiteral(",\n    \"run\": %1,\n    \"cancelled\": %2\n}\n")
                    .arg(r.runId)
                    .arg(r.cancelled ? QStringLiteral("true") : QStringLiteral("false")));
    }

private:
    void item(const QJsonObject& o) {
        in_.out((items_++ ? QStringLiteral(",\n        ") : QStringLiteral("\n        ")) +
                jsonText(o));
    }
    void endList() {
        if (items_) in_.out(QStringLiteral("\n    "));
        in_.out(QStringLiteral("]"));
        items_ = 0;
    }

    const Invocation& in_;
    int items_ = 0;
};

}  // namespace

int auditCommand(Invocation& in) {
    in.positional(0, {});
    const QString out = in.value(QStringLiteral("out"));
    const bool workbook = out.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
    if (in.isSet(QStringLiteral("out")) &&
        (out.isEmpty() || (!workbook && !out.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))))
        usage(
            QStringLiteral("--out: the findings are written to a .txt file or an .xlsx workbook"));
    audit::AuditRequest request;
    request.options.followLinks = in.isSet(QStringLiteral("follow"));
    request.options.pageLimit =
        optionNumber(in, QStringLiteral("page-limit"), request.options.pageLimit);
    request.options.perHostConcurrency =
        optionNumber(in, QStringLiteral("per-host"), request.options.perHostConcurrency);
    request.options.delayMs = optionNumber(in, QStringLiteral("delay"), request.options.delayMs);
    request.options.keepRuns =
        optionNumber(in, QStringLiteral("keep-runs"), request.options.keepRuns);
    request.options.rendered = in.isSet(QStringLiteral("rendered"));
    request.options.thinWords =
        optionNumber(in, QStringLiteral("thin-words"), request.options.thinWords);
    request.options.largeHtmlKb =
        optionNumber(in, QStringLiteral("large-html-kb"), request.options.largeHtmlKb);

    const sites::SiteRecord site = in.site();
    request.rootUrl = in.root(site).url;
    request.pages = in.pages(site);
    in.ensureExtraTables();
    request.databasePath = in.globals().gDB->databasePath();

    // Progress on the terminal only: a redirected stderr keeps just the
    // summary.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    audit::CrawlCallbacks callbacks;
    if (terminal)
        callbacks.progress = [&in](const audit::AuditProgress& p) {
            in.progress(QStringLiteral("Pages done: %1 / found: %2 / findings: %3")
                            .arg(p.done)
                            .arg(p.found)
                            .arg(p.findings));
        };
    std::optional<JsonRun> json;
    if (in.isSet(QStringLiteral("json"))) {
        json.emplace(in, request.rootUrl.trimmed());
        callbacks.pageDone = [&json](const audit::AuditPage& p, int) { json->page(p); };
    }
    gCancel.store(false);
    const auto previous = std::signal(SIGINT, cancelAudit);
    const audit::AuditResult result = audit::runSiteAudit(request, callbacks, gCancel);
    std::signal(SIGINT, previous);
    if (terminal) in.progress(QString());

    int fresh = 0, still = 0, fixed = 0;
    for (const audit::AuditFinding& f : result.findings)
        ++(f.state == audit::FindingState::New     ? fresh
           : f.state == audit::FindingState::Fixed ? fixed
                                                   : still);
    in.note(QStringLiteral("%1 pages audited, %2 findings (%3 new, %4 still there, %5 fixed)%6")
                .arg(result.pages.size())
                .arg(fresh + still)
                .arg(fresh)
                .arg(still)
                .arg(fixed)
                .arg(result.runId ? QStringLiteral("; stored as run %1").arg(result.runId)
                                  : QString()));

    const QString title = QStringLiteral("Findings of ") + result.rootUrl;
    if (!out.isEmpty()) {
        if (workbook)
            writeListWorkbook(out, findingsTable(result), title);
        else
            writeListText(out, findingsTable(result), title);
    }
    if (json)
        json->finish(result);
    else if (out.isEmpty())
        in.out(listText(findingsTable(result)));

    if (!result.renderError.isEmpty()) fail(result.renderError);
    if (!result.storeError.isEmpty())
        fail(QStringLiteral("the run was not stored: ") + result.storeError);
    if (result.cancelled) fail(QStringLiteral("the audit was cancelled"));
    return kOk;
}

}  // namespace fd::cli
