#pragma once
// What the parts of the main window ask of each other. The main window
// implements it by delegating to the tab or control that owns each value, so
// each subsystem is built and tested against this interface alone.

#include <QString>
#include <QStringList>

namespace fd {

class MainHub {
public:
    virtual ~MainHub() = default;

    // Configuration tab (site, root URL and submitter details).
    virtual QString siteName() const = 0;             // cmbWebSiteGenericName text
    virtual bool siteSelected() const = 0;            // an entry of the name box is selected
    virtual long long selectedWebSiteId() const = 0;  // its WebSiteID, 0 when none
    virtual int selectedSiteIndex() const = 0;        // its position in the box, -1 when none
    virtual QString rootUrl() const = 0;              // cmbWebSiteRoot text
    virtual bool rootSelected() const = 0;            // an entry of the root box is selected
    virtual QString industry() const = 0;             // cmdIndustryList text
    virtual QString submitterName() const = 0;
    virtual QString submitterEmail() const = 0;
    virtual QString countryCode() const = 0;

    // Browser: the address bar and Go.
    virtual QString addressText() const = 0;  // txtSubmitURL
    virtual void setAddressText(const QString& url) = 0;
    virtual void goToAddress() = 0;                          // imgGoButton_Click
    virtual void navigate(const QString& url) = 0;           // the browser's Navigate, as is
    virtual void setStatusMessage(const QString& text) = 0;  // status panel 2

    // Page details read from the browser.
    virtual QString pageDescription() const = 0;
    virtual QString pageKeywords() const = 0;

    // Submission and check tabs: the page a tree click chose.
    virtual void setPageToSubmit(const QString& url) = 0;  // txtSubmissionURL and txtReviewURL
    // The selected tree node's text (the root node's included); empty and
    // false when no node is selected.
    virtual bool selectedTreePage(QString* text) const = 0;
    // The text of every page node of the tree, in its order (each page's URL
    // is the root URL followed by it). None by default.
    virtual QStringList treePages() const { return {}; }

    virtual QString programFolder() const = 0;
};

}  // namespace fd
