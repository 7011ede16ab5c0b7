#pragma once
// A submission method: how pages go to an engine whose catalogue entry
// (HTTPSubmitMethod) names it. The submission service holds the sequence
// around every method (the checks, the plan, sending, recording, the
// answer and the status text); a method says only which pages go, how one
// page is sent and what its answer means, and, when it can send several
// pages in one request, how a whole run goes.
//
// Adding a method: a class deriving from SubmissionMethod (a file of its own
// in this room, or a folder beside indexnow/ when it brings more), and one
// line in standardSubmissionMethods() that registers it under its
// catalogue name. The test of the delivered catalogue fails while an engine
// names a method that is not registered.

#include <QString>
#include <any>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "EngineCatalogue.h"
#include "SubmissionLedger.h"
#include "SubmissionPages.h"
#include "SubmissionRecord.h"

namespace fd {

class CADODBAccess;
class ErrorSink;
class HttpClient;
class WebBrowser;

// The time limits of a request that waits for the engine's answer, and the
// most of an answer read.
struct RequestLimits {
    long connectTimeoutMs = 15000;
    long totalTimeoutMs = 60000;
    qint64 maxAnswerBytes = 64 * 1024;
};

// What a submission goes to and who makes it.
struct SubmissionTarget {
    EngineEntry engine;
    SubmitterFields submitter;
};

// How requests leave. In the window a page's request goes through the
// browser, which shows the engine's answer page; without one (the command
// line) it goes straight to the engine.
struct SendChannel {
    bool throughBrowser = false;
    WebBrowser* browser = nullptr;  // with throughBrowser; null: nothing can be sent
    HttpClient* http = nullptr;
    ErrorSink* log = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    RequestLimits limits;
};

// Which pages of a submission go out.
struct SubmissionPlan {
    QString problem;  // when not empty, nothing can be sent (shown as is)
    std::vector<PlannedPage> pages;
    std::any details;  // what the method keeps for sending
};

// What sending one page came to.
struct SentPage {
    bool handedOver = false;  // false: the request did not leave (the failure is logged)
    bool pending = false;     // the answer comes later, with the browser's page
    LedgerAnswer answer;
};

// The counts of a run over many pages.
struct SubmissionRunResult {
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

    // Counts one request of n pages with its answer.
    void count(const LedgerAnswer& a, qsizetype n);
    qsizetype acceptedCount() const;
    // Every page planned went out, was accepted and was recorded.
    bool succeeded() const;
};

// progress(done, total) after every request of a run.
using RunProgress = std::function<void(qsizetype done, qsizetype total)>;

class SubmissionMethod {
public:
    virtual ~SubmissionMethod() = default;

    // The catalogue's name of the method.
    virtual QString name() const = 0;
    // Whether an engine's HTTPSubmitMethod names this method (by default:
    // exactly its name).
    virtual bool matches(const QString& catalogueMethod) const;
    // True when a request waits for the engine's answer on the network:
    // the window then sends it on a thread of its own.
    virtual bool waits(const SendChannel& channel) const = 0;

    // Checks what the method needs and which of the pages go; failures of
    // what it reads are written to log. By default every page goes as asked.
    virtual SubmissionPlan plan(const CADODBAccess& db, ErrorSink& log,
                                const SubmissionTarget& target,
                                const std::vector<PageToSubmit>& pages) const;
    // Why the plan held back the one page asked for, in plain words.
    virtual QString heldBack(const SubmissionPlan& plan, const QString& url) const;
    // Sends one page of the plan. With waits() it runs on a thread of its
    // own and touches nothing but the channel.
    virtual SentPage send(const SubmissionTarget& target, const SubmissionPlan& plan,
                          const PlannedPage& page, const SendChannel& channel) const = 0;
    // The status bar's words for an answer: "Engine: answer.".
    virtual QString answerText(const QString& engine, const LedgerAnswer& a) const;

    // True when the method sends several pages in one request. Then
    // sendAll() runs a whole plan (on a thread of its own in the window),
    // recording each request's pages with its answer on a connection of its
    // own to databasePath; other methods send a run page by page.
    virtual bool sendsManyPerRequest() const { return false; }
    virtual SubmissionRunResult sendAll(const SubmissionTarget& target, const SubmissionPlan& plan,
                                        const SendChannel& channel, const QString& databasePath,
                                        const RunProgress& progress) const;
    // A run's counts (and the pages the plan held back) in plain words.
    virtual QString runSummary(const SubmissionRunResult& r, const SubmissionPlan& plan) const;
};

// The methods, by catalogue name.
class SubmissionMethods {
public:
    void add(std::unique_ptr<SubmissionMethod> method);
    // The method registered for a catalogue name, nothing when none is.
    const SubmissionMethod* find(const QString& catalogueMethod) const;
    // The method an engine is sent by: the one its catalogue method names,
    // else the query-string GET (a value that names no method, "GET" or ""
    // among them, is a GET).
    const SubmissionMethod& forEngine(const QString& catalogueMethod) const;
    QStringList names() const;

private:
    std::vector<std::unique_ptr<SubmissionMethod>> methods_;
};

// The program's methods: the query-string GET ("get", also every value that
// names no method), the form POST ("post") and IndexNow ("indexnow").
const SubmissionMethods& standardSubmissionMethods();

}  // namespace fd
