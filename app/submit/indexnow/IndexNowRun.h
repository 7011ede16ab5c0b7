#pragma once
// Sending through IndexNow: one page as a GET, or every page of a plan in
// JSON POSTs of at most 10,000 URLs, each request's pages recorded with its
// answer as soon as it arrives. Plain logic over HttpClient and the
// database: the window runs it on a thread of its own, the command line
// calls it directly.

#include <QDateTime>
#include <QString>
#include <atomic>
#include <functional>

#include "IndexNowProtocol.h"
#include "platform/HttpClient.h"
#include "submit/SubmissionMethod.h"

namespace fd {

// The time limits of an IndexNow request and the most of an answer read.
using IndexNowLimits = RequestLimits;

// An IndexNow answer as the ledger keeps it.
LedgerAnswer ledgerAnswer(const IndexNowAnswer& a, const QString& channel, const QString& endpoint);

// Sends plan's first page as a GET and says what the engine answered.
IndexNowAnswer sendIndexNowGet(HttpClient& http, const IndexNowPlan& plan,
                               const IndexNowLimits& limits = {},
                               const std::atomic<bool>* cancel = nullptr);

// A run of POSTs over every page of a plan.
struct IndexNowBatchJob {
    QString databasePath;
    BatchSubmitter who;
    IndexNowPlan plan;
    IndexNowLimits limits;
    int urlsPerPost = kIndexNowMaxUrlsPerPost;  // at most 10,000
};

using IndexNowBatchResult = SubmissionRunResult;

// Sends the plan's pages in POSTs of at most job.urlsPerPost URLs and
// records each request's pages with its answer. The run stops, leaving the
// rest unsent, when the user cancels, when a request gets no answer, when
// the engine answers 403, 422 or 429 (the key, the host or the rate is
// wrong: the next request would be refused too), and when the recording
// fails. progress(done, total) follows every request.
IndexNowBatchResult runIndexNowBatches(
    const IndexNowBatchJob& job, HttpClient& http, const std::atomic<bool>& cancel,
    const std::function<void(qsizetype done, qsizetype total)>& progress = {});

// "2,000 sent, 1,990 accepted (202), 10 skipped: other host": the counts of a
// run (and the pages its plan held back), in plain words.
QString indexNowBatchSummary(const IndexNowBatchResult& r, const IndexNowPlan& plan);

}  // namespace fd
