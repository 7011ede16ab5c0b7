#include "SubmissionService.h"

#include <utility>

#include "QueryTemplate.h"
#include "core/AppError.h"
#include "core/CADODBAccess.h"

namespace fd {

namespace {

const QString kAnswersRoutine = QStringLiteral("SubmissionAnswers");

// The configuration message when a field is missing; "" when all are there.
QString missingConfiguration(const SubmitterFields& f) {
    QString missing;
    return isReadyForSubmit(f, &missing) ? QString() : configurationMissingMessage(missing);
}

}  // namespace

SubmissionService::SubmissionService(const CADODBAccess& db, ErrorSink& log, Surface surface,
                                     WebBrowser* browser, std::shared_ptr<HttpClient> http,
                                     QObject* parent)
    : QObject(parent),
      db_(db),
      log_(log),
      surface_(surface),
      browser_(browser),
      http_(std::move(http)),
      methods_(standardSubmissionMethods()) {
    if (browser_)
        connect(browser_, &WebBrowser::mainFrameLoaded, this, &SubmissionService::browserLoaded);
}

SendChannel SubmissionService::channel(const std::atomic<bool>* cancel) const {
    SendChannel c;
    c.throughBrowser = surface_ == Surface::Window;
    c.browser = browser_;
    c.http = http_.get();
    c.log = &log_;
    c.cancel = cancel;
    c.limits = limits_;
    return c;
}

const std::atomic<bool>* SubmissionService::startInline() {
    cancelled_.store(false);
    return externalCancel_ ? externalCancel_ : &cancelled_;
}

bool SubmissionService::inBackground(const SubmissionMethod& m) const {
    return surface_ == Surface::Window && m.waits(channel(nullptr));
}

void SubmissionService::cancel() {
    work_.cancel();
    cancelled_.store(true);
    emit status(QStringLiteral("Cancelling..."));
}

void SubmissionService::setRunning(bool running, qsizetype total) {
    emit runningChanged(running, total);
}

SubmissionInput SubmissionService::input(const SubmissionTarget& t, const QString& url,
                                         const std::optional<QString>& treePage,
                                         const QString& description,
                                         const QString& keywords) const {
    SubmissionInput in;
    in.siteName = t.submitter.siteName;
    in.rootUrl = t.submitter.rootUrl;
    in.email = t.submitter.submitterEmail;
    in.submissionUrl = url;
    in.treePage = treePage;
    in.engineName = t.engine.name;
    if (reader_) {
        const PageFacts facts = reader_(url);
        in.description = facts.description;
        in.keywords = facts.keywords;
    } else {
        in.description = description;
        in.keywords = keywords;
    }
    return in;
}

// --- one page ------------------------------------------------------------

void SubmissionService::submitPage(const PageSubmission& s) {
    leaveOnError(log_, s.routine, [&] {
        // The button asks for the Configuration first, a double-click for
        // the page first.
        const QString configuration = missingConfiguration(s.submitter);
        const bool noPage = s.pageUrl.trimmed().isEmpty();
        const QString noPageText = QStringLiteral("Please select a URL to Submit.");
        if (s.trigger == SubmitTrigger::DoubleClick && noPage) {
            emit message(noPageText);
            return;
        }
        if (!configuration.isEmpty()) {
            emit message(configuration);
            return;
        }
        if (noPage) {
            emit message(noPageText);
            return;
        }
        if (!s.engine) return;

        const SubmissionMethod& m = methods_.forEngine(s.engine->method);
        const bool background = inBackground(m);
        if (background && work_.running()) {
            emit message(
                QStringLiteral("A submission is still under way: wait for its answer, or cancel "
                               "it."));
            return;
        }
        const SubmissionTarget target{*s.engine, s.submitter};
        const SubmissionPlan plan = m.plan(db_, log_, target, {{s.pageUrl, QString()}});
        if (!plan.problem.isEmpty()) {
            emit message(plan.problem);
            return;
        }
        if (plan.pages.empty()) {
            emit message(m.heldBack(plan, s.pageUrl));
            return;
        }
        // What is recorded is taken now, as the request leaves.
        const SubmissionInput in = input(target, s.pageUrl, s.treePage, s.description, s.keywords);
        const bool stopOnEmptyPath = s.trigger == SubmitTrigger::DoubleClick;
        const PlannedPage page = plan.pages.front();
        if (!background) {
            const SentPage sent = m.send(target, plan, page, channel(startInline()));
            finishPage(s.routine, m, target, in, stopOnEmptyPath, page.url, sent);
            return;
        }
        emit status(QStringLiteral("Sending %1 to %2...").arg(page.url, target.engine.name));
        setRunning(true);
        const SendChannel ch = channel(nullptr);
        work_.start<SentPage>(
            [&m, target, plan, page, ch](const std::atomic<bool>& cancel) {
                SendChannel c = ch;
                c.cancel = &cancel;
                return m.send(target, plan, page, c);
            },
            [this, &m, routine = s.routine, target, in, stopOnEmptyPath,
             url = page.url](SentPage sent) {
                setRunning(false);
                finishPage(routine, m, target, in, stopOnEmptyPath, url, sent);
            });
    });
}

PageOutcome SubmissionService::finishPage(const QString& routine, const SubmissionMethod& m,
                                          const SubmissionTarget& t, const SubmissionInput& in,
                                          bool stopOnEmptyPath, const QString& url,
                                          const SentPage& sent) {
    PageOutcome o{url, sent, {}, {}};
    if (sent.handedOver) {
        try {
            const QDateTime now = QDateTime::currentDateTime();
            SubmissionRecorder recorder(db_.databasePath());
            o.record = recorder.record(in, stopOnEmptyPath, now);
            if (o.record.outcome == RecordOutcome::EmptyPath)
                emit message(QStringLiteral("Please select a URL to submit."));
            // Without the answer table the submission stands; only its
            // answer is not kept.
            leaveOnError(log_, kAnswersRoutine, [&] {
                // The page of a browser submission still loading will not be
                // its answer now.
                if (sent.pending)
                    if (const long long replaced = std::exchange(pendingSubmission_, 0))
                        recorder.recordAnswer(
                            replaced,
                            browserAnswer(false, 0,
                                          QStringLiteral("the next submission replaced it before "
                                                         "its page loaded"),
                                          QString()),
                            now);
                if (o.record.outcome != RecordOutcome::Recorded) return;
                recorder.recordAnswer(o.record.submissionId, sent.answer, now);
                if (sent.pending) {
                    pendingSubmission_ = o.record.submissionId;
                    pendingEngine_ = t.engine.name;
                    pendingMethod_ = &m;
                }
            });
        } catch (const std::exception& e) {
            logFailure(log_, routine, e);
            const auto* a = dynamic_cast<const AppError*>(&e);
            o.recordError = a ? a->description() : QString::fromUtf8(e.what());
        }
        // A browser submission's answer is told once its page has loaded.
        if (!sent.pending) emit answered(m.answerText(t.engine.name, sent.answer));
    }
    emit pageAnswered(o);
    return o;
}

void SubmissionService::browserLoaded(const QString& url, LoadOutcome outcome, int httpStatus,
                                      const QString& errorText) {
    // A load stopped for the submission's own navigation belongs to the page
    // before it; the submission waits for its own page.
    if (!pendingSubmission_ || outcome == LoadOutcome::Stopped) return;
    const long long id = std::exchange(pendingSubmission_, 0);
    const LedgerAnswer a =
        browserAnswer(outcome == LoadOutcome::Loaded, httpStatus, errorText, url);
    leaveOnError(log_, kAnswersRoutine, [&] { recordAnswer(db_, id, a); });
    emit answered(pendingMethod_ ? pendingMethod_->answerText(pendingEngine_, a)
                                 : pendingEngine_ + QStringLiteral(": ") + a.text + u'.');
}

// --- every page ----------------------------------------------------------

void SubmissionService::submitAll(const SiteSubmission& s) {
    leaveOnError(log_, s.routine, [&] {
        if (work_.running()) return;
        if (!s.engine) {
            emit message(
                QStringLiteral("Please select the IndexNow engine to submit all pages to."));
            return;
        }
        const SubmissionMethod& m = methods_.forEngine(s.engine->method);
        // The browser shows one engine's page at a time: through it, pages go
        // one by one.
        if (!m.sendsManyPerRequest() && surface_ == Surface::Window) {
            emit message(QStringLiteral("\"%1\" takes pages one at a time through the browser. "
                                        "Submit All Pages sends through IndexNow: please select "
                                        "an engine whose method is indexnow.")
                             .arg(s.engine->name));
            return;
        }
        if (const QString configuration = missingConfiguration(s.submitter);
            !configuration.isEmpty()) {
            emit message(configuration);
            return;
        }
        if (s.treePages.isEmpty()) {
            emit message(
                QStringLiteral("There are no pages in the site directory tree to submit."));
            return;
        }
        const SubmissionTarget target{*s.engine, s.submitter};
        // Shared, not copied, by the work and its end: a site may have a
        // hundred thousand pages.
        const auto plan = std::make_shared<const SubmissionPlan>(
            m.plan(db_, log_, target, treePagesToSubmit(s.submitter.rootUrl, s.treePages)));
        if (!plan->problem.isEmpty()) {
            emit message(plan->problem);
            return;
        }
        if (plan->pages.empty()) {
            emit message(QStringLiteral("Nothing was sent: ") +
                         m.runSummary(SubmissionRunResult{}, *plan) + u'.');
            return;
        }
        if (m.sendsManyPerRequest())
            runManyPerRequest(s.routine, m, target, plan);
        else
            runPageByPage(s.routine, m, target, *plan);
    });
}

void SubmissionService::runManyPerRequest(const QString& routine, const SubmissionMethod& m,
                                          const SubmissionTarget& t,
                                          std::shared_ptr<const SubmissionPlan> plan) {
    const qsizetype total = static_cast<qsizetype>(plan->pages.size());
    const QString engine = t.engine.name;
    auto done = [this, &m, routine, engine, plan](SubmissionRunResult r) {
        setRunning(false);
        if (!r.recordError.isEmpty())
            log_.write(routine, err::kDatabase, r.recordError, kAnswersRoutine);
        const QString summary = m.runSummary(r, *plan);
        const QString told = engine + QStringLiteral(": ") + summary + u'.';
        emit answered(told);
        // A run the engine (or the network) stopped is worth a word the user
        // cannot miss: what to do next is in it.
        if (!r.stopText.isEmpty() && !r.cancelled) emit message(told);
        emit runFinished(RunOutcome{false, r, summary});
    };
    emit status(QStringLiteral("Sending %1 pages to %2...").arg(total).arg(engine));
    setRunning(true, total);
    const QString databasePath = db_.databasePath();
    if (surface_ != Surface::Window) {
        done(m.sendAll(t, *plan, channel(startInline()), databasePath,
                       [this](qsizetype n, qsizetype of) { emit progress(n, of); }));
        return;
    }
    const SendChannel ch = channel(nullptr);
    work_.start<SubmissionRunResult>(
        [this, &m, t, plan, ch, databasePath](const std::atomic<bool>& cancel) {
            SendChannel c = ch;
            c.cancel = &cancel;
            return m.sendAll(t, *plan, c, databasePath, [this](qsizetype n, qsizetype of) {
                work_.post([this, n, of] { emit progress(n, of); });
            });
        },
        done);
}

void SubmissionService::runPageByPage(const QString& routine, const SubmissionMethod& m,
                                      const SubmissionTarget& t, const SubmissionPlan& plan) {
    const std::atomic<bool>* cancel = startInline();
    RunOutcome o;
    o.onePagePerRequest = true;
    o.result.planned = static_cast<qsizetype>(plan.pages.size());
    const SendChannel ch = channel(cancel);
    for (const PlannedPage& page : plan.pages) {
        if (cancel->load()) {
            o.result.cancelled = true;
            break;
        }
        const std::optional<QString> node =
            page.path.isEmpty() ? std::nullopt : std::optional<QString>(page.path);
        const SubmissionInput in = input(t, page.url, node, QString(), QString());
        const PageOutcome p =
            finishPage(routine, m, t, in, false, page.url, m.send(t, plan, page, ch));
        o.result.count(p.sent.answer, 1);
        if (p.record.outcome == RecordOutcome::Recorded) ++o.result.recorded;
        if (!p.recordError.isEmpty()) o.result.recordError = p.recordError;
        emit progress(o.result.sent, o.result.planned);
    }
    o.result.notSent = o.result.planned - o.result.sent;
    o.summary = m.runSummary(o.result, plan);
    emit runFinished(o);
}

// --- checking ------------------------------------------------------------

void SubmissionService::checkPage(const QString& routine, const std::optional<EngineEntry>& engine,
                                  const QString& url) {
    leaveOnError(log_, routine, [&] {
        if (url.trimmed().isEmpty()) {
            emit message(QStringLiteral("Please select a URL to Check."));
            return;
        }
        if (!engine) return;
        CheckURLinSearchEngineDB(browser_, log_, engine->queryTemplate, url);
    });
}

}  // namespace fd
