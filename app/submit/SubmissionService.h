#pragma once
// The submission sequence, once, for the window and the command line: the
// checks of the Configuration fields and the page, the method's plan of the
// pages, sending, recording every submission with recordSubmission's rules
// and the engine's answer beside it, and the words the status bar shows.
// One page at a time (the Submit button, a double-click, "submit --page") or
// every page of the site (Submit All Pages, "submit --all"); and the check of
// a page (Page Check).
//
// What the caller sees comes as signals: message() for what a message box
// shows, status() and answered() for the status bar, progress() and
// runningChanged() while a run is under way, pageAnswered() and
// runFinished() with the details the command line prints. In the window a
// request that waits on the network goes on a thread of its own and its
// signals come later, on the service's thread; on the command line
// everything has happened when the call returns.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "BackgroundWork.h"
#include "EngineCatalogue.h"
#include "SubmissionMethod.h"
#include "platform/HttpClient.h"
#include "platform/WebBrowser.h"

namespace fd {

class CADODBAccess;
class ErrorSink;

// How a single submission was asked for: the Submit button checks the
// Configuration fields before the page, a double-click the page first, and
// a double-click stops before recording a page with an empty path.
enum class SubmitTrigger { Button, DoubleClick };

// One page to one engine.
struct PageSubmission {
    QString routine;  // the error log's label
    SubmitTrigger trigger = SubmitTrigger::Button;
    std::optional<EngineEntry> engine;  // none selected: nothing is sent
    SubmitterFields submitter;
    QString pageUrl;                  // as typed (sent as it is)
    std::optional<QString> treePage;  // the selected node's text
    QString description;              // the page's details
    QString keywords;
};

// Every page of the site directory tree to one engine.
struct SiteSubmission {
    QString routine;
    std::optional<EngineEntry> engine;
    SubmitterFields submitter;
    QStringList treePages;  // the page nodes' texts, in tree order
};

// What one page's submission came to.
struct PageOutcome {
    QString url;  // as it went out
    SentPage sent;
    RecordResult record;
    QString recordError;  // the recording failed: what happened
};

// What a run over the site's pages came to.
struct RunOutcome {
    bool onePagePerRequest = false;  // each page had its pageAnswered()
    SubmissionRunResult result;
    QString summary;
};

// A page's description and keywords, read before it is sent.
struct PageFacts {
    QString description;
    QString keywords;
};

class SubmissionService : public QObject {
    Q_OBJECT
public:
    // Window: pages through the browser, requests that wait on a thread of
    // their own. CommandLine: every request straight to the engine, at once.
    enum class Surface { Window, CommandLine };

    SubmissionService(const CADODBAccess& db, ErrorSink& log, Surface surface, WebBrowser* browser,
                      std::shared_ptr<HttpClient> http, QObject* parent = nullptr);

    // The time limits of requests that wait for the engine's answer.
    void setLimits(const RequestLimits& limits) { limits_ = limits; }
    // A flag of the caller's own that stops the run (the command line's
    // Ctrl+C) beside cancel().
    void setCancelFlag(const std::atomic<bool>* flag) { externalCancel_ = flag; }
    // Where a page's details come from when the caller has no browser that
    // read them: called with each page's address just before it is sent.
    void setPageReader(std::function<PageFacts(const QString& url)> reader) {
        reader_ = std::move(reader);
    }

    // A request or a run waits for its answer.
    bool busy() const { return work_.running(); }
    // Asks the run under way to stop after the request it is sending.
    void cancel();

    void submitPage(const PageSubmission& s);
    void submitAll(const SiteSubmission& s);
    // Page Check: asks the engine about the page, through the browser.
    void checkPage(const QString& routine, const std::optional<EngineEntry>& engine,
                   const QString& url);

signals:
    void message(const QString& text);
    void status(const QString& text);
    // An engine's answer was recorded (or a run ended): what the status bar
    // shows.
    void answered(const QString& text);
    void pageAnswered(const fd::PageOutcome& outcome);
    void runFinished(const fd::RunOutcome& outcome);
    void runningChanged(bool running, qsizetype total);
    void progress(qsizetype done, qsizetype total);

private:
    SendChannel channel(const std::atomic<bool>* cancel) const;
    // The cancel flag of work done at once, cleared for it.
    const std::atomic<bool>* startInline();
    bool inBackground(const SubmissionMethod& m) const;
    // The page's details: the reader's, else the ones given.
    SubmissionInput input(const SubmissionTarget& t, const QString& url,
                          const std::optional<QString>& treePage, const QString& description,
                          const QString& keywords) const;
    // Records a sent page and its answer, says what happened; returns it.
    PageOutcome finishPage(const QString& routine, const SubmissionMethod& m,
                           const SubmissionTarget& t, const SubmissionInput& in,
                           bool stopOnEmptyPath, const QString& url, const SentPage& sent);
    void runManyPerRequest(const QString& routine, const SubmissionMethod& m,
                           const SubmissionTarget& t, std::shared_ptr<const SubmissionPlan> plan);
    void runPageByPage(const QString& routine, const SubmissionMethod& m, const SubmissionTarget& t,
                       const SubmissionPlan& plan);
    void browserLoaded(const QString& url, LoadOutcome outcome, int httpStatus,
                       const QString& errorText);
    void setRunning(bool running, qsizetype total = 0);

    const CADODBAccess& db_;
    ErrorSink& log_;
    Surface surface_;
    QPointer<WebBrowser> browser_;
    std::shared_ptr<HttpClient> http_;
    const SubmissionMethods& methods_;
    RequestLimits limits_;
    const std::atomic<bool>* externalCancel_ = nullptr;
    std::atomic<bool> cancelled_{false};
    std::function<PageFacts(const QString&)> reader_;
    BackgroundWork work_;
    // The browser submission whose page is still loading, 0 when none.
    long long pendingSubmission_ = 0;
    QString pendingEngine_;
    const SubmissionMethod* pendingMethod_ = nullptr;
};

}  // namespace fd
