// The road of one submission through the main window: a site set up on the
// Configuration tab, a page clicked in the tree, submitted to two engines;
// and the IndexNow key of each root URL on the Configuration tab.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "submit/EngineListView.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "window/frmMain.h"

using namespace fd;
using namespace fd::test;

namespace {

class MainWindowSubmit : public ::testing::Test {
protected:
    ~MainWindowSubmit() override {
        delete browser;  // its widget belongs to the window
        window.reset();
    }

    template <class T>
    T* find(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void type(QComboBox* box, const QString& text) {
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), text);
    }
    void click(QTreeWidget* tree, QTreeWidgetItem* item) {
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(item).center());
    }
    QString count(const char* table) {
        return folder.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    }

    const QString kSite = QStringLiteral("Acme's \"Best\" Widgets");
    const QString kRoot = QStringLiteral("http://acme.example/");
    TestFolder folder;
    FakeDialogs dialogs;
    FakeBrowser* browser = nullptr;
    std::unique_ptr<frmMain> window;
};

}  // namespace

TEST_F(MainWindowSubmit, treePageSubmittedToTwoEnginesIsRecordedOnce) {
    // Through the browser: the two seeded IndexNow engines become GET
    // engines with the query their endpoint takes.
    folder.exec(
        "UPDATE SearchEngines SET HTTPSubmitMethod = 'get', SubmitQueryString = "
        "SubmitQueryString || '?url=<%URL%>&key=<%KEYS%>' WHERE SearchEngineID IN (2, 3)");
    browser = new FakeBrowser;
    window = std::make_unique<frmMain>(folder.globals(), dialogs, browser);
    window->load();
    window->show();

    // The site, its root URL and the submitter, then a page list.
    type(find<QComboBox>("cmbWebSiteGenericName"), kSite);
    find<QPushButton>("cmdAddSite")->click();
    type(find<QComboBox>("cmbWebSiteRoot"), kRoot);
    find<QLineEdit>("txtEmail")->setText("web@acme.example");
    find<QLineEdit>("txtSubmittersName")->setText("M\u00e1ire O'Hara");
    find<QLineEdit>("txtCountryCode")->setText("IE");
    find<QComboBox>("cmdIndustryList")->setCurrentText("Retail");
    find<QPushButton>("cmdAddURL")->click();
    QFile list(folder.file("WebPageLists/acme.wsr"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("index.htm\r\nshop/cart.asp\r\n");
    list.close();
    dialogs.files = {list.fileName()};
    for (QAction* a : window->findChildren<QAction*>())
        if (a->objectName() == QLatin1String("Import")) a->trigger();

    // A click on a page fills the three URL boxes.
    auto* tree = find<QTreeWidget>("tvwWebSiteDirectory");
    const auto pages = tree->findItems("shop/cart.asp", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(pages.size(), 1);
    click(tree, pages[0]);
    const QString url = kRoot + "shop/cart.asp";
    EXPECT_EQ(find<QLineEdit>("txtSubmissionURL")->text(), url);
    EXPECT_EQ(find<QLineEdit>("txtReviewURL")->text(), url);
    EXPECT_EQ(find<QLineEdit>("txtSubmitURL")->text(), url);

    find<QTabWidget>("tabTasks")->setCurrentIndex(3);
    auto* engines = find<EngineListView>("lvwSubmissionList");
    ASSERT_GT(engines->topLevelItemCount(), 0);
    browser->navigations.clear();
    for (const char* engine : {"Bing", "Yandex"}) {
        engines->setCurrentItem(engines->findEntry(QString::fromLatin1(engine)));
        find<QPushButton>("cmdSubmitPage")->click();
    }
    EXPECT_EQ(browser->navigations,
              QStringList({"https://www.bing.com/indexnow?url=" + url + "&key=",
                           "https://yandex.com/indexnow?url=" + url + "&key="}));
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.lastText().toStdString();

    // The site and root URL the Configuration tab made are found again by
    // their quoted values; the page is added once; two submissions.
    EXPECT_EQ(count("WebSites"), "1");
    EXPECT_EQ(count("WebSiteNames"), "1");
    EXPECT_EQ(folder.scalar("SELECT group_concat(PageURL) FROM WebSitePages"), "shop/cart.asp");
    EXPECT_EQ(folder.scalar("SELECT count(DISTINCT WebSiteID || '/' || WebSiteNameID || '/' || "
                            "WebSitePageID) || '|' || group_concat(SearchEngineID) FROM "
                            "Submissions"),
              "1|2,3");
    EXPECT_EQ(folder.scalar("SELECT s.WebSiteGenericName FROM Submissions u JOIN WebSites s ON "
                            "s.WebSiteID = u.WebSiteID LIMIT 1"),
              kSite);

    // The root node is the site's home page: a double-click on an engine
    // sends it and records it under the node's text.
    click(tree, tree->topLevelItem(0));
    EXPECT_EQ(find<QLineEdit>("txtSubmissionURL")->text(), kRoot);
    find<QTabWidget>("tabTasks")->setCurrentIndex(3);
    QTreeWidgetItem* bing = engines->findEntry(QStringLiteral("Bing"));
    engines->scrollToItem(bing);
    const QPoint at = engines->visualItemRect(bing).center();
    QTest::mouseClick(engines->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(engines->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(browser->navigations.last(), "https://www.bing.com/indexnow?url=" + kRoot + "&key=");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.lastText().toStdString();
    EXPECT_EQ(count("Submissions"), "3");
    EXPECT_EQ(folder.scalar("SELECT p.PageURL FROM Submissions u JOIN WebSitePages p ON "
                            "p.WebSitePageID = u.WebSitePageID ORDER BY u.SubmissionID DESC "
                            "LIMIT 1"),
              kRoot);
}

TEST_F(MainWindowSubmit, indexNowKeyFollowsTheRootUrlOnTheConfigurationTab) {
    folder.exec(
        QStringLiteral("INSERT INTO WebSites (WebSiteID, WebSiteGenericName) VALUES (1, "
                       "'Acme')"));
    folder.exec(
        QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL) VALUES (1, "
                       "'http://acme.example/'), (1, 'http://www.acme.example/')"));
    folder.exec(
        QStringLiteral("UPDATE WebSiteConfiguration SET WebSiteGenericName = 'Acme', "
                       "RootWebSiteAddress = 'http://acme.example/'"));
    browser = new FakeBrowser;
    window = std::make_unique<frmMain>(folder.globals(), dialogs, browser);
    window->load();
    window->show();

    // The key's field and buttons sit on the Configuration tab, its caption
    // naming the field.
    auto* key = find<QLineEdit>("txtIndexNowKey");
    ASSERT_TRUE(key);
    EXPECT_TRUE(find<QWidget>("fraTabs_0")->isAncestorOf(key));
    EXPECT_EQ(find<QLabel>("lblIndexNowKey")->buddy(), key);
    for (const char* name : {"cmdNewKey", "cmdSaveKeyFile", "cmdCheckKeyFile"})
        EXPECT_TRUE(find<QPushButton>(name)->isVisible()) << name;
    EXPECT_TRUE(find<QWidget>("fraTabs_3")->isAncestorOf(find<QPushButton>("cmdSubmitAllPages")));

    // A new key belongs to the root URL shown, and comes back with it.
    EXPECT_EQ(key->text(), "");
    find<QPushButton>("cmdNewKey")->click();
    const QString made = key->text();
    EXPECT_EQ(made.size(), 32);
    auto* roots = find<QComboBox>("cmbWebSiteRoot");
    roots->setCurrentIndex(roots->findText("http://www.acme.example/"));
    EXPECT_EQ(key->text(), "");
    roots->setCurrentIndex(roots->findText("http://acme.example/"));
    EXPECT_EQ(key->text(), made);
    EXPECT_EQ(folder.scalar("SELECT WebSiteBaseURL || ' ' || IndexNowKey FROM IndexNowKeys"),
              "http://acme.example/ " + made);
}
