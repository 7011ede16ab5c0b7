// The main window's start and close on one program folder: what closing
// stores, what the next start restores, "E&xit", "Save &Configuration",
// leaving the Configuration tab, and the File and Edit menu items.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <memory>

#include "sites/SiteDirectoryTree.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "window/frmMain.h"

using namespace fd;
using namespace fd::test;

namespace {

class MainWindowSites : public ::testing::Test {
protected:
    ~MainWindowSites() override { stop(); }

    // A main window over the test folder, loaded and shown.
    frmMain& start() {
        stop();
        browser = new FakeBrowser;
        window = std::make_unique<frmMain>(folder.globals(), dialogs, browser);
        window->load();
        window->show();
        return *window;
    }
    // Closes the window the way the user does (its unload runs) and drops it.
    void close() {
        if (window) window->close();
        stop();
    }
    void stop() {
        delete browser;  // its widget belongs to the window
        browser = nullptr;
        window.reset();
    }

    template <class T>
    T* find(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* action(const char* name) {
        for (QAction* a : window->findChildren<QAction*>())
            if (a->objectName() == QLatin1String(name)) return a;
        ADD_FAILURE() << name;
        return nullptr;
    }
    sites::SiteDirectoryTree* tree() {
        return find<sites::SiteDirectoryTree>("tvwWebSiteDirectory");
    }
    void type(QComboBox* box, const QString& text) {
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), text);
    }
    QString config(const char* column) {
        return folder.scalar(
            QStringLiteral("select %1 from WebSiteConfiguration").arg(QLatin1String(column)));
    }
    QString rootRow(const char* column) {
        return folder.scalar(
            QStringLiteral("select %1 from WebSiteNames").arg(QLatin1String(column)));
    }
    QString writeList(const QString& name, const QByteArray& bytes) {
        QFile f(folder.file(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

    // First run: a site with one root URL, its details and an imported list.
    void createSite() {
        start();
        type(find<QComboBox>("cmbWebSiteGenericName"), kSite);
        find<QPushButton>("cmdAddSite")->click();
        type(find<QComboBox>("cmbWebSiteRoot"), kRoot);
        find<QLineEdit>("txtSubmittersName")->setText(QStringLiteral("Máire O'Hara"));
        find<QLineEdit>("txtCountryCode")->setText(QStringLiteral("IE"));
        find<QComboBox>("cmdIndustryList")->setCurrentText(QStringLiteral("Retail"));
        find<QPushButton>("cmdAddURL")->click();
        dialogs.files = {writeList(QStringLiteral("WebPageLists/acme.wsr"),
                                   "index.htm\r\nshop/cart.asp\r\nlogo.gif")};
        action("Import")->trigger();
    }

    const QString kSite = QStringLiteral("Acme's \"Best\" Widgets");
    const QString kRoot = QStringLiteral("http://acme.example/");
    TestFolder folder;
    FakeDialogs dialogs;
    FakeBrowser* browser = nullptr;
    std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowSites, closeThenStart_restoresSiteRootIndustryAndList) {
    createSite();
    EXPECT_EQ(tree()->pages(), (QStringList{"index.htm", "shop/cart.asp", "logo.gif"}));
    close();
    EXPECT_EQ(config("WebSiteGenericName"), kSite);
    EXPECT_EQ(config("RootWebSiteAddress"), kRoot);
    EXPECT_EQ(config("Industry"), QStringLiteral("Retail"));
    EXPECT_EQ(config("SubmittersCountryCode"), QStringLiteral("IE"));
    EXPECT_EQ(config("LastReport"), folder.file(QStringLiteral("WebPageLists/acme.wsr")));

    frmMain& w = start();
    EXPECT_EQ(w.siteName(), kSite);
    EXPECT_TRUE(w.siteSelected());
    EXPECT_EQ(w.rootUrl(), kRoot);
    EXPECT_EQ(w.industry(), QStringLiteral("Retail"));
    EXPECT_EQ(w.submitterName(), QStringLiteral("Máire O'Hara"));
    EXPECT_EQ(tree()->rootNode()->text(0), kRoot);
    EXPECT_EQ(tree()->pages(), (QStringList{"index.htm", "shop/cart.asp", "logo.gif"}));
    EXPECT_TRUE(tree()->rootNode()->isExpanded());
    EXPECT_TRUE(browser->navigations.contains(kRoot));
    EXPECT_FALSE(find<QLineEdit>("txtWebSiteConfigurationID")->isVisibleTo(window.get()));
    EXPECT_EQ(find<QLineEdit>("txtWebSiteConfigurationID")->text(), QStringLiteral("1"));
    EXPECT_FALSE(folder.errorLog().contains(QStringLiteral("Main Form Load")));
}

TEST_F(MainWindowSites, exit_savesDetailsAndListButNotTheSettingsRow) {
    createSite();
    close();
    start();
    find<QComboBox>("cmdIndustryList")->setCurrentText(QStringLiteral("Software"));
    window->setAddressText(kRoot + QStringLiteral("new.htm"));
    find<QPushButton>("cmdAddPage")->click();
    action("Exit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(config("Industry"), QStringLiteral("Retail"));
    EXPECT_EQ(rootRow("Industry"), QStringLiteral("Software"));
    const QString saved = folder.file(QStringLiteral("1_Acme's_\"Best\"_Widgets.wsr"));
    EXPECT_EQ(readFile(saved),
              QByteArray("index.htm\r\nshop/cart.asp\r\nlogo.gif\r\nnew.htm\r\n\r\n"));
    EXPECT_EQ(folder.scalar(QStringLiteral("select LastListFile from WebSites")),
              QFileInfo(saved).absoluteFilePath());
    stop();

    // The start shows the root URL's own industry, not the settings row's
    // older one, so merely switching tabs stores nothing stale.
    start();
    EXPECT_EQ(tree()->pages().last(), QStringLiteral("new.htm"));
    EXPECT_EQ(window->industry(), QStringLiteral("Software"));
    auto* tabBar = find<QTabWidget>("tabTasks")->tabBar();
    QTest::mouseClick(tabBar, Qt::LeftButton, {}, tabBar->tabRect(1).center());
    EXPECT_EQ(find<QTabWidget>("tabTasks")->currentIndex(), 1);
    EXPECT_EQ(rootRow("Industry"), QStringLiteral("Software"));
}

// Named by position and name, the second entry "12 Oaks" and the twelfth
// "2 Oaks" would share one list file; each site keeps a list of its own.
TEST_F(MainWindowSites, everySiteKeepsItsOwnListFile) {
    // The box lists the names in sorted order.
    const QStringList names = {"0 Site",  "12 Oaks", "13 Site", "14 Site", "15 Site", "16 Site",
                               "17 Site", "18 Site", "19 Site", "1a Site", "1b Site", "2 Oaks"};
    folder.exec("DELETE FROM WebSites");
    QStringList ids;
    for (int i = 0; i < 12; ++i) {
        const QString& name = names[i];
        folder.exec(
            QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES ('%1')").arg(name));
        ids << folder.scalar("SELECT max(WebSiteID) FROM WebSites");
        folder.exec(QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL) VALUES "
                                   "(%1, 'http://site%2.example/')")
                        .arg(ids.last())
                        .arg(i));
    }
    const auto choose = [this](int index) {
        auto* box = find<QComboBox>("cmbWebSiteGenericName");
        box->setCurrentIndex(index);
        emit box->activated(index);
    };
    start();
    for (int index : {1, 11}) {
        choose(index);
        ASSERT_EQ(window->siteName().toStdString(), index == 1 ? "12 Oaks" : "2 Oaks");
        dialogs.files = {writeList(QStringLiteral("WebPageLists/in%1.wsr").arg(index),
                                   QStringLiteral("page-of-%1.htm\r\n").arg(index).toUtf8())};
        action("Import")->trigger();
        window->setAddressText(QStringLiteral("http://site%1.example/added.htm").arg(index));
        find<QPushButton>("cmdAddPage")->click();
        action("Save")->trigger();
    }
    close();
    start();
    for (int index : {1, 11}) {
        choose(index);
        EXPECT_EQ(tree()->pages(),
                  (QStringList{QStringLiteral("page-of-%1.htm").arg(index), "added.htm"}));
    }
    EXPECT_TRUE(QFile::exists(folder.file(ids[1] + "_12_Oaks.wsr")));
    EXPECT_TRUE(QFile::exists(folder.file(ids[11] + "_2_Oaks.wsr")));
}

// An industry chosen but never saved for the root URL does not come back:
// the start shows what the root URL holds.
TEST_F(MainWindowSites, closeWithUnsavedIndustry_startShowsTheRootUrlsIndustry) {
    createSite();
    find<QComboBox>("cmdIndustryList")->setCurrentText(QStringLiteral("Textiles"));
    close();
    EXPECT_EQ(config("Industry"), QStringLiteral("Textiles"));
    EXPECT_EQ(rootRow("Industry"), QStringLiteral("Retail"));
    frmMain& w = start();
    EXPECT_EQ(w.industry(), QStringLiteral("Retail"));
}

TEST_F(MainWindowSites, leavingConfigurationTabAndSaveMenu_saveDetails) {
    createSite();
    auto* tabs = find<QTabWidget>("tabTasks");
    find<QLineEdit>("txtSubmittersName")->setText(QStringLiteral("Tab \"Leaver\""));
    tabs->setCurrentIndex(1);
    EXPECT_EQ(rootRow("WebSiteSubmitterName"), QStringLiteral("Tab \"Leaver\""));
    // Leaving another tab saves nothing.
    find<QLineEdit>("txtSubmittersName")->setText(QStringLiteral("Other"));
    tabs->setCurrentIndex(2);
    EXPECT_EQ(rootRow("WebSiteSubmitterName"), QStringLiteral("Tab \"Leaver\""));
    action("Save")->trigger();
    EXPECT_EQ(rootRow("WebSiteSubmitterName"), QStringLiteral("Other"));
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("1_Acme's_\"Best\"_Widgets.wsr"))));

    // With no root URL selected, leaving the tab writes nothing.
    tabs->setCurrentIndex(0);
    type(find<QComboBox>("cmbWebSiteRoot"), QStringLiteral("http://typed.example/"));
    find<QLineEdit>("txtSubmittersName")->setText(QStringLiteral("Not saved"));
    tabs->setCurrentIndex(1);
    EXPECT_EQ(rootRow("WebSiteSubmitterName"), QStringLiteral("Other"));
}

TEST_F(MainWindowSites, missingLastList_leavesRootAloneAndLogs) {
    createSite();
    close();
    QFile::remove(folder.file(QStringLiteral("WebPageLists/acme.wsr")));
    start();
    EXPECT_EQ(window->siteName(), kSite);
    EXPECT_EQ(tree()->nodeCount(), 1);
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",getReportFile,53,")));
}

TEST_F(MainWindowSites, menusAndControlsAreInPlace) {
    start();
    QMenu* file = find<QMenu>("File");
    QStringList names;
    for (QAction* a : file->actions()) names << a->objectName();
    const int dash0 = names.indexOf(QStringLiteral("Dash0"));
    ASSERT_GE(dash0, 0);
    // The discovery's item stands beside the import, the other way to fill the list.
    EXPECT_EQ(names.mid(dash0),
              (QStringList{"Dash0", "Import", "DiscoverPages", "Save", "Dash1", "Exit"}));
    EXPECT_EQ(action("Import")->text(), QStringLiteral("&Import Webpage List"));
    EXPECT_EQ(action("Import")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    EXPECT_EQ(action("Save")->text(), QStringLiteral("Save &Configuration"));
    EXPECT_EQ(action("Exit")->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(action("Clear")->text(), QStringLiteral("&Clear Webpage List"));
    EXPECT_EQ(find<QPushButton>("cmdAddPage")->text(), QStringLiteral("&Add Page to List"));
    EXPECT_EQ(window->findChildren<QTreeWidget*>(QStringLiteral("tvwWebSiteDirectory")).size(), 1);
    // A fresh folder: the placeholder root and no site.
    EXPECT_EQ(tree()->rootNode()->text(0), QStringLiteral("http://www.yoursite.com/"));
    EXPECT_FALSE(window->siteSelected());

    // A file dropped on the window fills the hidden file list.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(writeList(QStringLiteral("drop.txt"), "a.htm\r\nb.htm"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(find<QListWidget>("lstFiles")->count(), 2);
}

}  // namespace
