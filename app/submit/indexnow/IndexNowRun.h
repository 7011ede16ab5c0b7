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
#include <map>
#include <optional>

#include "IndexNowProtocol.h"
#include "platform/HttpClient.h"
#include "submit/SubmissionLedger.h"

namespace fd {

// The time limits of an IndexNow request and the most of an answer read.
struct IndexNowLimits {
    long connectTimeoutMs = 15000;
    long totalTimeoutMs = 60000;
    qint64 maxAnswerBytes = 64 * 1024;
};

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

struct IndexNowBatchResult {
    qsizetype planned = 0;              // pages that could go out
    qsizetype sent = 0;                 // pages in requests that were sent
    qsizetype recorded = 0;             // Submissions rows written
    std::map<int, qsizetype> accepted;  // by status (200, 202)
    std::map<int, qsizetype> refused;   // by status (any other)
    qsizetype unanswered = 0;           // in requests that got no answer
    QString unansweredText;
    qsizetype notSent = 0;  // left out once the run stopped
    bool cancelled = false;
    QString stopText;                  // why the run stopped early, "" when it did not
    std::optional<QDateTime> retryAt;  // after a 429
    QString recordError;               // the recording failed: what happened
    int requests = 0;
};

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
