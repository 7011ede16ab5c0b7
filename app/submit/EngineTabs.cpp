#include "EngineTabs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "QueryTemplate.h"
#include "core/Globals.h"
#include "core/MainHub.h"
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
    connect(button_, &QPushButton::clicked, this, &PageCheckTab::cmdPageCheck_Click);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &PageCheckTab::cmdPageCheck_Click);
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
                QStringLiteral("cmdSubmitPage"), QStringLiteral("Submit"), parent) {
    setObjectName(QStringLiteral("PageSubmissionTab"));
    connect(button_, &QPushButton::clicked, this, &PageSubmissionTab::cmdSubmitPage_Click);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            &PageSubmissionTab::lvwSubmissionList_DblClick);
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

void PageSubmissionTab::sendAndRecord(bool fromDoubleClick) {
    const auto entry = list_->selectedEntry();
    if (!entry) return;
    const QString page = url_->text();  // sent as typed, blanks and all
    if (!SubmitToSearchEngine(browser_, *g_.errorLog, entry->queryTemplate, hub_.submitterEmail(),
                              page, hub_.countryCode(), QString(), hub_.submitterName(),
                              entry->method))
        return;

    // Recorded without waiting for the engine's answer.
    SubmissionInput in;
    in.siteName = hub_.siteName();
    in.rootUrl = hub_.rootUrl();
    in.email = hub_.submitterEmail();
    in.submissionUrl = page;
    QString treePage;
    if (hub_.selectedTreePage(&treePage)) in.treePage = treePage;
    in.description = hub_.pageDescription();
    in.keywords = hub_.pageKeywords();
    in.engineName = entry->name;
    const RecordResult r = recordSubmission(*g_.gDB, in, fromDoubleClick);
    if (r.outcome == RecordOutcome::EmptyPath)
        message(QStringLiteral("Please select a URL to submit."));
}

}  // namespace fd
