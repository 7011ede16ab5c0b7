#pragma once
// The "Page Details" tab: the page's address, title, description, keywords,
// revisit interval and author as read from the browser, editable, and the
// "&Log Changes" button that records them as a change request.

#include <QWidget>

#include "BrowserLogic.h"
#include "sites/SelectedSite.h"

class QLineEdit;
class QPushButton;

namespace fd {

class Dialogs;
struct Globals;

// What the tab asks of the rest of the main window: the site being worked
// on and the browser's address box.
class PageDetailsWindow : public virtual sites::SelectedSite {
public:
    virtual QString addressText() const = 0;  // txtSubmitURL
};

class PageDetailsTab : public QWidget {
    Q_OBJECT
public:
    PageDetailsTab(Globals& g, Dialogs& dialogs, PageDetailsWindow& hub, QWidget* parent = nullptr);

    // The button row of the tab takes this button.
    QPushButton* logChangesButton() const { return cmdLogChanges_; }

    QLineEdit* currentUrlField() const { return txtCurrentURL_; }
    QLineEdit* titleField() const { return txtWebPageTitle_; }
    QString description() const;
    QString keywords() const;

    // The five detail fields := "" (the address stays).
    void clearWebPageInfo();
    // The address field; its query string is cut as the text changes.
    void setCurrentUrl(const QString& url);
    // Reads the document's title and the meta elements of its head into the
    // fields. A document without an element collection leaves only the
    // title and logs the failure under "getWebPageInformation".
    void getWebPageInformation(const DocumentSnapshot& doc);
    // Enables "&Log Changes" when the address holds the site's root URL.
    void setWebPageInfoDirtyFlag();
    // cmdLogChanges_Click.
    void logChanges();

private:
    QLineEdit* addField(const char* name, const char* caption);
    void detailChanged(QLineEdit* field);

    Globals& g_;
    Dialogs& dialogs_;
    PageDetailsWindow& hub_;
    QLineEdit* txtCurrentURL_ = nullptr;
    QLineEdit* txtWebPageTitle_ = nullptr;
    QLineEdit* txtPageDescription_ = nullptr;
    QLineEdit* txtPageKeywords_ = nullptr;
    QLineEdit* txtPageRevisit_ = nullptr;
    QLineEdit* txtPageAuthor_ = nullptr;
    QPushButton* cmdLogChanges_ = nullptr;
};

}  // namespace fd
