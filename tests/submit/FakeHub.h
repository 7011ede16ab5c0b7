#pragma once
// The main window's values as plain fields, for the submission tabs' tests.

#include <QStringList>

#include "support/QtPrinters.h"
#include "window/MainHub.h"

namespace fd::test {

class FakeHub : public MainHub {
public:
    QString site, root, industryText, name, email, country, description, keywords;
    bool treePageSelected = false;
    QString treePage;
    QStringList pagesToSubmit;
    QStringList tree;      // the tree's page nodes
    QStringList statuses;  // what went to the status bar

    // Every Configuration field filled.
    void fillConfiguration() {
        site = "Acme";
        root = "http://acme.example/";
        industryText = "Manufacturing";
        name = "Ann Example";
        email = "ann@acme.example";
        country = "GB";
    }

    QString siteName() const override { return site; }
    bool siteSelected() const override { return !site.isEmpty(); }
    long long selectedWebSiteId() const override { return 0; }
    int selectedSiteIndex() const override { return -1; }
    QString rootUrl() const override { return root; }
    bool rootSelected() const override { return !root.isEmpty(); }
    QString industry() const override { return industryText; }
    QString submitterName() const override { return name; }
    QString submitterEmail() const override { return email; }
    QString countryCode() const override { return country; }
    QString addressText() const override { return {}; }
    void setAddressText(const QString&) override {}
    void goToAddress() override {}
    void navigate(const QString&) override {}
    void setStatusMessage(const QString& text) override { statuses << text; }
    QString pageDescription() const override { return description; }
    QString pageKeywords() const override { return keywords; }
    void setPageToSubmit(const QString& url) override { pagesToSubmit << url; }
    bool selectedTreePage(QString* text) const override {
        if (text) *text = treePageSelected ? treePage : QString();
        return treePageSelected;
    }
    QString programFolder() const override { return {}; }
    QStringList treePages() const override { return tree; }
};

}  // namespace fd::test
