#include "EngineTabs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "core/Globals.h"
#include "platform/CurlHttpClient.h"
#include "platform/Dialogs.h"

namespace fd {

EngineTab::EngineTab(const EngineTabServices& s, const QString& listName, int nameWidth,
                     int popularityWidth, const QString& urlName, const QString& caption,
                     const QString& buttonName, const QString& buttonCaption, QWidget* parent)
    : QWidget(parent),
      dialogs_(s.dialogs),
      hub_(s.hub),
      service_(new SubmissionService(*s.globals.gDB, *s.globals.errorLog,
                                     SubmissionService::Surface::Window, s.browser,
                                     s.http ? s.http : std::make_shared<CurlHttpClient>(), this)) {
    connect(service_, &SubmissionService::message, this, &EngineTab::message);
    connect(service_, &SubmissionService::status, this,
            [this](const QString& text) { hub_.setStatusMessage(text); });
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
    service_->checkPage(QStringLiteral("cmdPageCheck_Click"), list_->selectedEntry(), url_->text());
}

// --- Page Submission ------------------------------------------------------

PageSubmissionTab::PageSubmissionTab(const EngineTabServices& s, QWidget* parent)
    : EngineTab(s, QStringLiteral("lvwSubmissionList"), 1500, 1000,
                QStringLiteral("txtSubmissionURL"), QStringLiteral("Submitting: "),
                QStringLiteral("cmdSubmitPage"), QStringLiteral("Submit"), parent) {
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
    connect(service_, &SubmissionService::answered, this, &PageSubmissionTab::tell);
    connect(service_, &SubmissionService::runningChanged, this, &PageSubmissionTab::setRunning);
    connect(service_, &SubmissionService::progress, this,
            [this](qsizetype done, qsizetype) { prgSubmitAll_->setValue(static_cast<int>(done)); });
}

SubmitterFields PageSubmissionTab::submitterFields() const {
    return {hub_.siteName(),      hub_.rootUrl(),        hub_.industry(),
            hub_.submitterName(), hub_.submitterEmail(), hub_.countryCode()};
}

void PageSubmissionTab::submit(const QString& routine, SubmitTrigger trigger) {
    PageSubmission s;
    s.routine = routine;
    s.trigger = trigger;
    s.engine = list_->selectedEntry();
    s.submitter = submitterFields();
    s.pageUrl = url_->text();
    QString treePage;
    if (hub_.selectedTreePage(&treePage)) s.treePage = treePage;
    s.description = hub_.pageDescription();
    s.keywords = hub_.pageKeywords();
    service_->submitPage(s);
}

void PageSubmissionTab::cmdSubmitPage_Click() {
    submit(QStringLiteral("cmdSubmitpage_Click"), SubmitTrigger::Button);
}

void PageSubmissionTab::lvwSubmissionList_DblClick() {
    submit(QStringLiteral("lvwSubmissionList_DblClick"), SubmitTrigger::DoubleClick);
}

void PageSubmissionTab::cmdSubmitAllPages_Click() {
    SiteSubmission s;
    s.routine = QStringLiteral("cmdSubmitAllPages_Click");
    s.engine = list_->selectedEntry();
    s.submitter = submitterFields();
    s.treePages = hub_.treePages();
    service_->submitAll(s);
}

void PageSubmissionTab::cmdCancelSubmitAll_Click() {
    service_->cancel();
}

void PageSubmissionTab::tell(const QString& text) {
    hub_.setStatusMessage(text);
    emit answered(text);
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
