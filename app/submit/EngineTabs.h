#pragma once
// The "Page Check" and "Page Submission" tabs: an engine list, the URL box of
// the page concerned and the button that sends it, with the double-click on
// an engine doing what the button does.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "BackgroundWork.h"
#include "EngineListView.h"
#include "SubmissionRecord.h"
#include "SubmitWindow.h"
#include "indexnow/IndexNowKey.h"
#include "indexnow/IndexNowRun.h"
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

    Globals& g_;
    Dialogs& dialogs_;
    SubmitWindow& hub_;
    QPointer<WebBrowser> browser_;
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
// engine and records the submission with the engine's answer. An engine
// whose method is "indexnow" is sent by the IndexNow client (a GET, on a
// thread of its own so the window keeps painting); any other through the
// browser, whose load result is its answer. "Submit All Pages" sends every
// page of the tree to an IndexNow engine in POSTs, with a progress bar and
// Cancel.
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
    // An IndexNow request or run is under way.
    bool busy() const { return work_.running(); }
    // The time limits of IndexNow requests (15 s to connect, 60 s in all).
    void setIndexNowLimits(const IndexNowLimits& limits) { limits_ = limits; }

signals:
    // An engine's answer was recorded (or, for a run, the run ended); text
    // is what the status bar shows.
    void answered(const QString& text);

private:
    // Sends the selected entry's request and records it; with no entry
    // selected nothing is sent.
    void sendAndRecord(bool fromDoubleClick);
    void sendThroughBrowser(const EngineEntry& e, bool fromDoubleClick);
    void sendThroughIndexNow(const EngineEntry& e, bool fromDoubleClick);
    // What a submission of the page in the box records.
    SubmissionInput submissionInput(const EngineEntry& e) const;
    // The IndexNow key of the root URL; nothing stored gives empty values.
    StoredIndexNowKey rootKey() const;
    void browserLoaded(const QString& url, LoadOutcome outcome, int httpStatus,
                       const QString& errorText);
    void tell(const QString& text);
    void setRunning(bool running, qsizetype total = 0);

    std::shared_ptr<HttpClient> http_;
    IndexNowLimits limits_;
    BackgroundWork work_;
    // The browser submission whose page is still loading, 0 when none.
    long long pendingBrowserSubmission_ = 0;
    QString pendingEngine_;
    QPushButton* cmdSubmitAllPages_ = nullptr;
    QPushButton* cmdCancelSubmitAll_ = nullptr;
    QProgressBar* prgSubmitAll_ = nullptr;
};

}  // namespace fd
