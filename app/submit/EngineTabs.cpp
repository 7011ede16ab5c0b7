#include "EngineTabs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "QueryTemplate.h"
#include "core/Globals.h"
#include "platform/CurlHttpClient.h"
#include "platform/Dialogs.h"

namespace fd {

EngineTab::EngineTab(const EngineTabServices& s, const QString& listName, int nameWidth,
                     int popularityWidth, const QString& urlName, const QString& caption,
                     const QString& buttonName, const QString& buttonCaption, QWidget* parent)
    : QWidget(parent), g_(s.globals), dialogs_(s.dialogs), hub_(s.hub), browser_(s.browser) {
    list_ = new EngineListView(listName, nameWidth, popularityWidth, this);
    label_ = new QLabel(caption, this);
    url_ = new QLineEdit(this);
    url_->setObjectName(urlName);
    label_->setBuddy(url_);
    button_ = new QPushButton(buttonCaption, this);
    button_->setObjectName(buttonName);
    button_->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(label_, 0, 0);
    grid->addWidget(url_, 0, 1);
    grid->addWidget(button_, 0, 2);
    grid->addWidget(list_, 1, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
}

void EngineTab::setPageUrl(const QString& url) {
    url_->setText(url);
}

void EngineTab::message(const QString& text) {
    dialogs_.message(this, text, kProductName, MsgButtons::Ok, MsgIcon::None);
}

// --- Page Check -----------------------------------------------------------

PageCheckTab::PageCheckTab(const EngineTabServices& s, QWidget* parent)
    : EngineTab(s, QStringLiteral("lvwReviewList"), 1600, 1100, QStringLiteral("txtReviewURL"),
                QStringLiteral("Checking: "), QStringLiteral("cmdPageCheck"),
                QStringLiteral("Check"), parent) {
    setObjectName(QStringLiteral("PageCheckTab"));
    list_->setAccessibleName(QStringLiteral("Search engines to check the page with"));
    connect(button_, &QPushButton::clicked, this, &PageCheckTab::cmdPageCheck_Click);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &PageCheckTab::cmdPageCheck_Click);
    connect(list_, &EngineListView::entryConfirmed, this, &PageCheckTab::cmdPageCheck_Click);
}

void PageCheckTab::cmdPageCheck_Click() {
    leaveOnError(*g_.errorLog, QStringLiteral("cmdPageCheck_Click"), [&] {
        const QString page = url_->text();
        if (page.trimmed().isEmpty()) {
            message(QStringLiteral("Please select a URL to Check."));
            return;
        }
        const auto entry = list_->selectedEntry();
        if (!entry) return;
        CheckURLinSearchEngineDB(browser_, *g_.errorLog, entry->queryTemplate, page);
    });
}

// --- Page Submission ------------------------------------------------------

PageSubmissionTab::PageSubmissionTab(const EngineTabServices& s, QWidget* parent)
    : EngineTab(s, QStringLiteral("lvwSubmissionList"), 1500, 1000,
                QStringLiteral("txtSubmissionURL"), QStringLiteral("Submitting: "),
                QStringLiteral("cmdSubmitPage"), QStringLiteral("Submit"), parent),
      http_(s.http ? s.http : std::make_shared<CurlHttpClient>()) {
    setObjectName(QStringLiteral("PageSubmissionTab"));
    cmdSubmitAllPages_ = new QPushButton(QStringLiteral("Submit &All Pages"), this);
    cmdSubmitAllPages_->setObjectName(QStringLiteral("cmdSubmitAllPages"));
    cmdSubmitAllPages_->setAutoDefault(false);
    cmdSubmitAllPages_->setToolTip(
        QStringLiteral("Send every page of the site directory tree to the selected IndexNow "
                       "engine."));
    prgSubmitAll_ = new QProgressBar(this);
    prgSubmitAll_->setObjectName(QStringLiteral("prgSubmitAll"));
    prgSubmitAll_->setFormat(QStringLiteral("%v of %m pages"));
    cmdCancelSubmitAll_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancelSubmitAll_->setObjectName(QStringLiteral("cmdCancelSubmitAll"));
    cmdCancelSubmitAll_->setAutoDefault(false);
    // The button keeps its own width; the progress bar takes the rest of the
    // row while a run is under way.
    cmdSubmitAllPages_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout;
    row->addWidget(cmdSubmitAllPages_);
    row->addWidget(prgSubmitAll_, 1);
    row->addWidget(cmdCancelSubmitAll_);
    row->addStretch(0);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addLayout(row, 2, 0, 1, 3);
    setRunning(false);
    list_->setAccessibleName(QStringLiteral("Search engines to submit the page to"));

    connect(button_, &QPushButton::clicked, this, &PageSubmissionTab::cmdSubmitPage_Click);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            &PageSubmissionTab::lvwSubmissionList_DblClick);
    connect(list_, &EngineListView::entryConfirmed, this,
            &PageSubmissionTab::lvwSubmissionList_DblClick);
    connect(cmdSubmitAllPages_, &QPushButton::clicked, this,
            &PageSubmissionTab::cmdSubmitAllPages_Click);
    connect(cmdCancelSubmitAll_, &QPushButton::clicked, this,
            &PageSubmissionTab::cmdCancelSubmitAll_Click);
    if (browser_)
        connect(browser_, &WebBrowser::mainFrameLoaded, this, &PageSubmissionTab::browserLoaded);
}

SubmitterFields PageSubmissionTab::submitterFields() const {
    return {hub_.siteName(),      hub_.rootUrl(),        hub_.industry(),
            hub_.submitterName(), hub_.submitterEmail(), hub_.countryCode()};
}

void PageSubmissionTab::cmdSubmitPage_Click() {
    leaveOnError(*g_.errorLog, QStringLiteral("cmdSubmitpage_Click"), [&] {
        QString missing;
        if (!isReadyForSubmit(submitterFields(), &missing)) {
            message(configurationMissingMessage(missing));
            return;
        }
        if (url_->text().trimmed().isEmpty()) {
            message(QStringLiteral("Please select a URL to Submit."));
            return;
        }
        sendAndRecord(false);
    });
}

void PageSubmissionTab::lvwSubmissionList_DblClick() {
    leaveOnError(*g_.errorLog, QStringLiteral("lvwSubmissionList_DblClick"), [&] {
        if (url_->text().trimmed().isEmpty()) {
            message(QStringLiteral("Please select a URL to Submit."));
            return;
        }
        QString missing;
        if (!isReadyForSubmit(submitterFields(), &missing)) {
            message(configurationMissingMessage(missing));
            return;
        }
        sendAndRecord(true);
    });
}

void PageSubmissionTab::tell(const QString& text) {
    hub_.setStatusMessage(text);
    emit answered(text);
}

SubmissionInput PageSubmissionTab::submissionInput(const EngineEntry& e) const {
    SubmissionInput in;
    in.siteName = hub_.siteName();
    in.rootUrl = hub_.rootUrl();
    in.email = hub_.submitterEmail();
    in.submissionUrl = url_->text();
    QString treePage;
    if (hub_.selectedTreePage(&treePage)) in.treePage = treePage;
    in.description = hub_.pageDescription();
    in.keywords = hub_.pageKeywords();
    in.engineName = e.name;
    return in;
}

void PageSubmissionTab::sendAndRecord(bool fromDoubleClick) {
    const auto entry = list_->selectedEntry();
    if (!entry) return;
    if (isIndexNowMethod(entry->method))
        sendThroughIndexNow(*entry, fromDoubleClick);
    else
        sendThroughBrowser(*entry, fromDoubleClick);
}

void PageSubmissionTab::sendThroughBrowser(const EngineEntry& e, bool fromDoubleClick) {
    const QString page = url_->text();  // sent as typed, blanks and all
    if (!SubmitToSearchEngine(browser_, *g_.errorLog, e.queryTemplate, hub_.submitterEmail(), page,
                              hub_.countryCode(), QString(), hub_.submitterName(), e.method))
        return;

    // Recorded without waiting for the engine's answer, which the page's
    // load brings later.
    const QDateTime now = QDateTime::currentDateTime();
    const RecordResult r = recordSubmission(*g_.gDB, submissionInput(e), fromDoubleClick, now);
    if (r.outcome == RecordOutcome::EmptyPath)
        message(QStringLiteral("Please select a URL to submit."));
    if (r.outcome != RecordOutcome::Recorded) return;
    // Without the answer table the submission stands; only its answer is
    // not kept.
    leaveOnError(*g_.errorLog, QStringLiteral("SubmissionAnswers"), [&] {
        // The page of a submission still loading will not be its answer now.
        if (const long long replaced = std::exchange(pendingBrowserSubmission_, 0))
            recordAnswer(*g_.gDB, replaced,
                         browserAnswer(false, 0,
                                       QStringLiteral("the next submission replaced it before "
                                                      "its page loaded"),
                                       QString()));
        const long long id = submissionIdOf(*g_.gDB, r, now);
        if (!id) return;
        recordAnswer(*g_.gDB, id, browserAnswerPending(e.queryTemplate));
        pendingBrowserSubmission_ = id;
        pendingEngine_ = e.name;
    });
}

void PageSubmissionTab::browserLoaded(const QString& url, LoadOutcome outcome, int httpStatus,
                                      const QString& errorText) {
    // A load stopped for the submission's own navigation belongs to the page
    // before it; the submission waits for its own page.
    if (!pendingBrowserSubmission_ || outcome == LoadOutcome::Stopped) return;
    const long long id = pendingBrowserSubmission_;
    pendingBrowserSubmission_ = 0;
    const LedgerAnswer a =
        browserAnswer(outcome == LoadOutcome::Loaded, httpStatus, errorText, url);
    leaveOnError(*g_.errorLog, QStringLiteral("SubmissionAnswers"),
                 [&] { recordAnswer(*g_.gDB, id, a); });
    tell(pendingEngine_ + QStringLiteral(": ") + a.text + u'.');
}

StoredIndexNowKey PageSubmissionTab::rootKey() const {
    StoredIndexNowKey k;
    leaveOnError(*g_.errorLog, QStringLiteral("IndexNowKeys"), [&] {
        if (const auto stored = loadIndexNowKey(*g_.gDB, hub_.rootUrl())) k = *stored;
    });
    return k;
}

void PageSubmissionTab::sendThroughIndexNow(const EngineEntry& e, bool fromDoubleClick) {
    if (work_.running()) {
        message(
            QStringLiteral("An IndexNow submission is still under way: wait for its answer, "
                           "or cancel it."));
        return;
    }
    const QString page = url_->text();
    const StoredIndexNowKey key = rootKey();
    const IndexNowPlan plan = planIndexNow(e.name, e.queryTemplate, hub_.rootUrl(), key.key,
                                           key.keyLocation, {{page, QString()}});
    if (!plan.problem.isEmpty()) {
        message(plan.problem);
        return;
    }
    if (plan.pages.empty()) {
        message(skippedPageMessage(plan, page));
        return;
    }
    // What is recorded is taken now, as the request leaves.
    const SubmissionInput in = submissionInput(e);
    const QString engine = e.name;
    const IndexNowLimits limits = limits_;
    auto http = http_;
    setRunning(true);
    hub_.setStatusMessage(
        QStringLiteral("Sending %1 to %2...").arg(plan.pages.front().url, engine));
    work_.start<IndexNowAnswer>(
        [http, plan, limits](const std::atomic<bool>& cancel) {
            return sendIndexNowGet(*http, plan, limits, &cancel);
        },
        [this, in, engine, plan, fromDoubleClick](IndexNowAnswer a) {
            setRunning(false);
            leaveOnError(
                *g_.errorLog,
                fromDoubleClick ? QStringLiteral("lvwSubmissionList_DblClick")
                                : QStringLiteral("cmdSubmitpage_Click"),
                [&] {
                    const QDateTime now = QDateTime::currentDateTime();
                    const RecordResult r = recordSubmission(*g_.gDB, in, fromDoubleClick, now);
                    if (r.outcome == RecordOutcome::EmptyPath)
                        message(QStringLiteral("Please select a URL to submit."));
                    if (const long long id = submissionIdOf(*g_.gDB, r, now))
                        recordAnswer(*g_.gDB, id,
                                     ledgerAnswer(a, kChannelIndexNowGet, plan.endpoint), now);
                });
            tell(a.status
                     ? QStringLiteral("%1 answered %2: %3.").arg(engine).arg(a.status).arg(a.text)
                     : QStringLiteral("%1: %2.").arg(engine, a.text));
        });
}

void PageSubmissionTab::cmdSubmitAllPages_Click() {
    leaveOnError(*g_.errorLog, QStringLiteral("cmdSubmitAllPages_Click"), [&] {
        if (work_.running()) return;
        const auto entry = list_->selectedEntry();
        if (!entry) {
            message(QStringLiteral("Please select the IndexNow engine to submit all pages to."));
            return;
        }
        if (!isIndexNowMethod(entry->method)) {
            message(QStringLiteral("\"%1\" takes pages one at a time through the browser. "
                                   "Submit All Pages sends through IndexNow: please select an "
                                   "engine whose method is indexnow.")
                        .arg(entry->name));
            return;
        }
        QString missing;
        if (!isReadyForSubmit(submitterFields(), &missing)) {
            message(configurationMissingMessage(missing));
            return;
        }
        const QStringList tree = hub_.treePages();
        if (tree.isEmpty()) {
            message(QStringLiteral("There are no pages in the site directory tree to submit."));
            return;
        }
        // Each page as the tree gives it: the root URL followed by its text,
        // or the text alone when it is a full address of its own.
        const QString root = hub_.rootUrl();
        std::vector<PageToSubmit> pages;
        pages.reserve(static_cast<std::size_t>(tree.size()));
        for (const QString& p : tree)
            pages.push_back({parseWebAddress(p).valid() ? p : root + p, p});
        const StoredIndexNowKey key = rootKey();
        IndexNowBatchJob job;
        job.plan =
            planIndexNow(entry->name, entry->queryTemplate, root, key.key, key.keyLocation, pages);
        if (!job.plan.problem.isEmpty()) {
            message(job.plan.problem);
            return;
        }
        if (job.plan.pages.empty()) {
            message(QStringLiteral("Nothing was sent: ") +
                    indexNowBatchSummary(IndexNowBatchResult{}, job.plan) + u'.');
            return;
        }
        job.databasePath = g_.gDB->databasePath();
        job.who = {hub_.siteName(), root, hub_.submitterEmail(), entry->name};
        job.limits = limits_;
        const QString engine = entry->name;
        const qsizetype total = static_cast<qsizetype>(job.plan.pages.size());
        setRunning(true, total);
        hub_.setStatusMessage(QStringLiteral("Sending %1 pages to %2...").arg(total).arg(engine));
        auto http = http_;
        work_.start<IndexNowBatchResult>(
            [this, http, job](const std::atomic<bool>& cancel) {
                return runIndexNowBatches(job, *http, cancel, [this](qsizetype done, qsizetype) {
                    work_.post([this, done] { prgSubmitAll_->setValue(static_cast<int>(done)); });
                });
            },
            [this, engine, plan = job.plan](IndexNowBatchResult r) {
                setRunning(false);
                if (!r.recordError.isEmpty())
                    g_.errorLog->write(QStringLiteral("cmdSubmitAllPages_Click"), err::kDatabase,
                                       r.recordError, QStringLiteral("SubmissionAnswers"));
                const QString summary =
                    engine + QStringLiteral(": ") + indexNowBatchSummary(r, plan) + u'.';
                tell(summary);
                // A run the engine (or the network) stopped is worth a word
                // the user cannot miss: what to do next is in it.
                if (!r.stopText.isEmpty() && !r.cancelled) message(summary);
            });
    });
}

void PageSubmissionTab::cmdCancelSubmitAll_Click() {
    work_.cancel();
    hub_.setStatusMessage(QStringLiteral("Cancelling..."));
}

void PageSubmissionTab::setRunning(bool running, qsizetype total) {
    cmdSubmitAllPages_->setEnabled(!running);
    button_->setEnabled(!running);
    cmdCancelSubmitAll_->setVisible(running);
    prgSubmitAll_->setVisible(running && total > 0);
    if (running) {
        prgSubmitAll_->setRange(0, static_cast<int>(total));
        prgSubmitAll_->setValue(0);
    }
}

}  // namespace fd
