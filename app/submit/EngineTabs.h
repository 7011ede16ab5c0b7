#pragma once
// The "Page Check" and "Page Submission" tabs: an engine list, the URL box of
// the page concerned and the button that sends it, with the double-click on
// an engine doing what the button does.

#include <QWidget>
#include <memory>

#include "EngineListView.h"
#include "SubmissionService.h"
#include "SubmitWindow.h"
#include "platform/HttpClient.h"
#include "platform/WebBrowser.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace fd {

struct Globals;
class Dialogs;

// What both tabs are handed: the globals (database and error log), the
// dialogs, the main window's values, the browser requests go through and the
// HTTP client of IndexNow engines (a libcurl one when none is given).
struct EngineTabServices {
    Globals& globals;
    Dialogs& dialogs;
    SubmitWindow& hub;
    WebBrowser* browser;
    std::shared_ptr<HttpClient> http = {};
};

class EngineTab : public QWidget {
    Q_OBJECT
public:
    EngineListView* list() const { return list_; }
    QLineEdit* urlBox() const { return url_; }
    QPushButton* button() const { return button_; }
    void setPageUrl(const QString& url);

protected:
    EngineTab(const EngineTabServices& s, const QString& listName, int nameWidth,
              int popularityWidth, const QString& urlName, const QString& caption,
              const QString& buttonName, const QString& buttonCaption, QWidget* parent);
    void message(const QString& text);

    Dialogs& dialogs_;
    SubmitWindow& hub_;
    // The submission sequence: the tab hands it what the user asked for and
    // shows what it says.
    SubmissionService* service_;
    EngineListView* list_;
    QLabel* label_;
    QLineEdit* url_;
    QPushButton* button_;
};

// "Page Check": asks the selected engine about the page in txtReviewURL.
class PageCheckTab : public EngineTab {
    Q_OBJECT
public:
    PageCheckTab(const EngineTabServices& s, QWidget* parent = nullptr);
    // The "Check" button; the double-click on an engine behaves alike.
    void cmdPageCheck_Click();
};

// "Page Submission": submits the page in txtSubmissionURL to the selected
// engine and records the submission with the engine's answer, through the
// submission service (an IndexNow engine's request waits on a thread of its
// own, so the window keeps painting; any other goes through the browser,
// whose load result is its answer). "Submit All Pages" sends every page of
// the tree to an engine that takes many pages per request, with a progress
// bar and Cancel.
class PageSubmissionTab : public EngineTab {
    Q_OBJECT
public:
    PageSubmissionTab(const EngineTabServices& s, QWidget* parent = nullptr);
    void cmdSubmitPage_Click();
    void lvwSubmissionList_DblClick();
    void cmdSubmitAllPages_Click();
    void cmdCancelSubmitAll_Click();

    // The six Configuration-tab fields as they stand.
    SubmitterFields submitterFields() const;

    QPushButton* submitAllButton() const { return cmdSubmitAllPages_; }
    QPushButton* cancelButton() const { return cmdCancelSubmitAll_; }
    QProgressBar* progressBar() const { return prgSubmitAll_; }
    // A request or run is under way.
    bool busy() const { return service_->busy(); }
    // The time limits of requests that wait for the engine's answer (15 s
    // to connect, 60 s in all).
    void setIndexNowLimits(const RequestLimits& limits) { service_->setLimits(limits); }

signals:
    // An engine's answer was recorded (or, for a run, the run ended); text
    // is what the status bar shows.
    void answered(const QString& text);

private:
    // The page in the box to the selected engine, as the trigger asks.
    void submit(const QString& routine, SubmitTrigger trigger);
    void tell(const QString& text);
    void setRunning(bool running, qsizetype total = 0);

    QPushButton* cmdSubmitAllPages_ = nullptr;
    QPushButton* cmdCancelSubmitAll_ = nullptr;
    QProgressBar* prgSubmitAll_ = nullptr;
};

}  // namespace fd
