#pragma once
// The "Page Check" and "Page Submission" tabs: an engine list, the URL box of
// the page concerned and the button that sends it, with the double-click on
// an engine doing what the button does.

#include <QPointer>
#include <QWidget>

#include "EngineListView.h"
#include "SubmissionRecord.h"
#include "platform/WebBrowser.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace fd {

struct Globals;
class Dialogs;
class MainHub;

// What both tabs are handed: the globals (database and error log), the
// dialogs, the main window's values and the browser requests go through.
struct EngineTabServices {
    Globals& globals;
    Dialogs& dialogs;
    MainHub& hub;
    WebBrowser* browser;
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
    MainHub& hub_;
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
// engine and records the submission.
class PageSubmissionTab : public EngineTab {
    Q_OBJECT
public:
    PageSubmissionTab(const EngineTabServices& s, QWidget* parent = nullptr);
    void cmdSubmitPage_Click();
    void lvwSubmissionList_DblClick();

    // The six Configuration-tab fields as they stand.
    SubmitterFields submitterFields() const;

private:
    // Sends the selected entry's request and records it; with no entry
    // selected nothing is sent.
    void sendAndRecord(bool fromDoubleClick);
};

}  // namespace fd
