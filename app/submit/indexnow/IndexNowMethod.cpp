#include "IndexNowMethod.h"

#include "IndexNowKey.h"
#include "IndexNowRun.h"

namespace fd {

namespace {

const IndexNowPlan& indexNowPlan(const SubmissionPlan& plan) {
    return std::any_cast<const IndexNowPlan&>(plan.details);
}

}  // namespace

bool IndexNowMethod::matches(const QString& catalogueMethod) const {
    return isIndexNowMethod(catalogueMethod);
}

SubmissionPlan IndexNowMethod::plan(const CADODBAccess& db, ErrorSink& log,
                                    const SubmissionTarget& target,
                                    const std::vector<PageToSubmit>& pages) const {
    const QString& root = target.submitter.rootUrl;
    StoredIndexNowKey key;
    leaveOnError(log, QStringLiteral("IndexNowKeys"), [&] {
        if (const auto stored = loadIndexNowKey(db, root)) key = *stored;
    });
    IndexNowPlan p = planIndexNow(target.engine.name, target.engine.queryTemplate, root, key.key,
                                  key.keyLocation, pages);
    // The pages are kept once, in the plan; the details keep the rest.
    SubmissionPlan plan;
    plan.problem = p.problem;
    plan.pages = std::move(p.pages);
    p.pages.clear();
    plan.details = std::move(p);
    return plan;
}

QString IndexNowMethod::heldBack(const SubmissionPlan& plan, const QString& url) const {
    return skippedPageMessage(indexNowPlan(plan), url);
}

SentPage IndexNowMethod::send(const SubmissionTarget&, const SubmissionPlan& plan,
                              const PlannedPage& page, const SendChannel& channel) const {
    IndexNowPlan one = indexNowPlan(plan);
    one.pages = {page};
    SentPage sent;
    sent.handedOver = true;
    sent.answer = ledgerAnswer(sendIndexNowGet(*channel.http, one, channel.limits, channel.cancel),
                               kChannelIndexNowGet, one.endpoint);
    return sent;
}

QString IndexNowMethod::answerText(const QString& engine, const LedgerAnswer& a) const {
    return a.status ? QStringLiteral("%1 answered %2: %3.").arg(engine).arg(a.status).arg(a.text)
                    : QStringLiteral("%1: %2.").arg(engine, a.text);
}

SubmissionRunResult IndexNowMethod::sendAll(const SubmissionTarget& target,
                                            const SubmissionPlan& plan, const SendChannel& channel,
                                            const QString& databasePath,
                                            const RunProgress& progress) const {
    IndexNowBatchJob job;
    job.databasePath = databasePath;
    job.who = {target.submitter.siteName, target.submitter.rootUrl, target.submitter.submitterEmail,
               target.engine.name};
    job.plan = indexNowPlan(plan);
    job.plan.pages = plan.pages;
    job.limits = channel.limits;
    static const std::atomic<bool> never{false};
    return runIndexNowBatches(job, *channel.http, channel.cancel ? *channel.cancel : never,
                              progress);
}

QString IndexNowMethod::runSummary(const SubmissionRunResult& r, const SubmissionPlan& plan) const {
    return indexNowBatchSummary(r, indexNowPlan(plan));
}

}  // namespace fd
