#pragma once
// The Configuration tab, the site directory tree and their page-list
// controller over a fresh program folder, with the dialogs faked and the rest
// of the main window stood in for by a recording hub.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <memory>

#include "sites/ConfigurationTab.h"
#include "sites/PageListController.h"
#include "sites/SiteDirectoryTree.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "window/MainHub.h"

namespace fd::test {

// The rest of the main window: the address box is real (the controller
// rewrites it); navigation and the other tabs are recorded.
class RecordingHub : public MainHub {
public:
    QLineEdit address;
    QStringList wentTo;       // goToAddress(): the address at the time
    QStringList navigations;  // navigate()
    QString status;
    QStringList pagesToSubmit;

    QString siteName() const override { return {}; }
    bool siteSelected() const override { return false; }
    long long selectedWebSiteId() const override { return 0; }
    int selectedSiteIndex() const override { return -1; }
    QString rootUrl() const override { return {}; }
    bool rootSelected() const override { return false; }
    QString industry() const override { return {}; }
    QString submitterName() const override { return {}; }
    QString submitterEmail() const override { return {}; }
    QString countryCode() const override { return {}; }
    QString addressText() const override { return address.text(); }
    void setAddressText(const QString& url) override { address.setText(url); }
    void goToAddress() override { wentTo << address.text(); }
    void navigate(const QString& url) override { navigations << url; }
    void setStatusMessage(const QString& text) override { status = text; }
    QString pageDescription() const override { return {}; }
    QString pageKeywords() const override { return {}; }
    void setPageToSubmit(const QString& url) override { pagesToSubmit << url; }
    bool selectedTreePage(QString*) const override { return false; }
    QString programFolder() const override { return {}; }
};

class SitesFixture : public ::testing::Test {
protected:
    SitesFixture() {
        const sites::SitesServices services{folder.globals(), dialogs, hub, nullptr};
        config = std::make_unique<sites::ConfigurationTab>(services);
        tree = std::make_unique<sites::SiteDirectoryTree>();
        pages = std::make_unique<sites::PageListController>(services, tree.get(), config.get());
        addPage = std::make_unique<QPushButton>(QStringLiteral("&Add Page to List"));
        pages->attachAddPageButton(addPage.get());
        pages->attachAddressBox(&hub.address);
    }

    template <class T>
    T* child(const char* name) const {
        T* w = config->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QComboBox* siteBox() const { return child<QComboBox>("cmbWebSiteGenericName"); }
    QComboBox* rootBox() const { return child<QComboBox>("cmbWebSiteRoot"); }
    QLineEdit* edit(const char* name) const { return child<QLineEdit>(name); }
    void click(const char* button) const { child<QPushButton>(button)->click(); }

    // Replaces the box's text by typing, as a user would (so its change
    // handler runs even when the new text is empty).
    static void typeInto(QComboBox* box, const QString& text) {
        QLineEdit* e = box->lineEdit();
        QTest::keyClicks(e, QStringLiteral("x"));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        if (!text.isEmpty()) QTest::keyClicks(e, text);
    }
    // Types a site name and presses "Add Site".
    void addSite(const QString& name) {
        typeInto(siteBox(), name);
        click("cmdAddSite");
    }
    // Types a root URL and presses "Add URL".
    void addUrl(const QString& url) {
        typeInto(rootBox(), url);
        click("cmdAddURL");
    }
    // A page-list file in the program folder with exactly these bytes.
    QString writeList(const QString& name, const QByteArray& bytes) {
        const QString path = folder.file(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QString sql(const QString& s) { return folder.scalar(s); }

    TestFolder folder;
    FakeDialogs dialogs;
    RecordingHub hub;
    std::unique_ptr<sites::ConfigurationTab> config;
    std::unique_ptr<sites::SiteDirectoryTree> tree;
    std::unique_ptr<sites::PageListController> pages;
    std::unique_ptr<QPushButton> addPage;
};

}  // namespace fd::test
