// The Page Check and Page Submission tabs driven offscreen: filling, sorting,
// the messages and their order, what is sent and what is recorded.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "FakeHub.h"
#include "submit/EngineTabs.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {

const QString kConfigMessage =
    "You must enter the following items under the Configuration tab before submitting: \r\n";

class Tabs : public ::testing::Test {
protected:
    test::TestFolder folder;
    test::FakeDialogs dialogs;
    test::FakeBrowser browser;
    test::FakeHub hub;
    EngineTabServices services{folder.globals(), dialogs, hub, &browser};
    PageCheckTab check{services};
    PageSubmissionTab submit{services};

    void SetUp() override {
        hub.fillConfiguration();
        // These tests follow submissions through the browser: the seeded
        // IndexNow engines become GET engines with the query their endpoint
        // takes (the IndexNow client has tests of its own).
        folder.exec(
            "UPDATE SearchEngines SET HTTPSubmitMethod = 'get', SubmitQueryString = "
            "SubmitQueryString || '?url=<%URL%>&key=<%KEYS%>' WHERE HTTPSubmitMethod = 'indexnow'");
        reload();
        check.resize(700, 400);
        submit.resize(700, 400);
        check.show();
        submit.show();
    }
    void reload() {
        UpdateSearchEngineLists(*folder.globals().gDB, *folder.globals().errorLog, *check.list(),
                                *submit.list());
    }
    static QStringList column(const EngineListView* list, int c) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(c);
        return out;
    }
    static void clickHeader(EngineListView* list, int c) {
        QHeaderView* h = list->header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(c) + 4, h->height() / 2));
    }
    static void doubleClick(EngineListView* list, const QString& name) {
        QTreeWidgetItem* item = list->findEntry(name);
        ASSERT_TRUE(item) << name.toStdString();
        list->scrollToItem(item);
        // What a real double-click delivers: press, release, double-click, release.
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }
    static void select(EngineListView* list, const QString& name) {
        QTreeWidgetItem* item = list->findEntry(name);
        ASSERT_TRUE(item) << name.toStdString();
        list->setCurrentItem(item);
    }
    QString count(const char* table) {
        return folder.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    }
};

}  // namespace

TEST_F(Tabs, ControlsCarryTheirNamesCaptionsAndBuddies) {
    EXPECT_EQ(submit.list()->objectName(), "lvwSubmissionList");
    EXPECT_EQ(check.list()->objectName(), "lvwReviewList");
    EXPECT_EQ(submit.urlBox()->objectName(), "txtSubmissionURL");
    EXPECT_EQ(check.urlBox()->objectName(), "txtReviewURL");
    EXPECT_EQ(submit.button()->objectName(), "cmdSubmitPage");
    EXPECT_EQ(submit.button()->text(), "Submit");
    EXPECT_EQ(check.button()->objectName(), "cmdPageCheck");
    EXPECT_EQ(check.button()->text(), "Check");
    for (const EngineListView* list : {submit.list(), check.list()}) {
        const QTreeWidgetItem* h = list->headerItem();
        EXPECT_EQ(QStringList({h->text(0), h->text(1), h->text(2)}),
                  QStringList({"Search Engine", "Popularity", "Comments"}));
    }
    for (EngineTab* tab : std::initializer_list<EngineTab*>{&submit, &check}) {
        auto labels = tab->findChildren<QLabel*>();
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(labels[0]->buddy(), tab->urlBox());
    }
    EXPECT_EQ(submit.findChild<QLabel*>()->text(), "Submitting: ");
}

TEST_F(Tabs, ListsFilledFromCatalogueInPopularityThenNameOrder) {
    EXPECT_EQ(column(check.list(), 0),
              QStringList({"Bing", "Google", "Yandex", "DuckDuckGo", "Seznam", "Yahoo",
                           "Brave Search", "Mojeek", "Naver"}));
    EXPECT_EQ(column(submit.list(), 0),
              QStringList({"Bing", "IndexNow", "Yandex", "DuckDuckGo", "Seznam", "Naver"}));
    EXPECT_EQ(column(submit.list(), 1), QStringList({"1", "2", "2", "3", "3", "6"}));
    EXPECT_EQ(submit.list()->findEntry("Seznam")->text(2), "");

    // A refill after the catalogue changed replaces every entry.
    folder.exec("DELETE FROM SearchEngines");
    reload();
    EXPECT_EQ(check.list()->topLevelItemCount(), 0);
    EXPECT_EQ(submit.list()->topLevelItemCount(), 0);
}

TEST_F(Tabs, HeaderClicksSortByTextWithOneOrderKeptAcrossRefills) {
    folder.exec(
        "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, SubmitQueryString, "
        "HTTPSubmitMethod, Popularity) VALUES (50, 'Tenth', 'http://t.example/?u=<%URL%>', "
        "'get', 10)");
    reload();
    EngineListView* list = submit.list();
    clickHeader(list, 1);  // first click on any column: descending
    EXPECT_EQ(column(list, 1), QStringList({"6", "3", "3", "2", "2", "10", "1"}));
    clickHeader(list, 0);  // the order flips whatever the column
    EXPECT_EQ(column(list, 0), QStringList({"Bing", "DuckDuckGo", "IndexNow", "Naver", "Seznam",
                                            "Tenth", "Yandex"}));
    clickHeader(list, 1);
    EXPECT_EQ(column(list, 1), QStringList({"6", "3", "3", "2", "2", "10", "1"}));

    // A refill keeps the last key and order; new entries take their place.
    folder.exec(
        "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, SubmitQueryString, "
        "Popularity) VALUES (51, 'Fifth', 'http://f.example/', 5)");
    reload();
    EXPECT_EQ(column(list, 1), QStringList({"6", "5", "3", "3", "2", "2", "10", "1"}));
    // The review list keeps its own order: not sorted yet.
    EXPECT_FALSE(check.list()->isListSorted());
    EXPECT_EQ(column(check.list(), 0).first(), "Bing");
}

TEST_F(Tabs, SortedListSendsEachEnginesOwnTemplateMethodAndId) {
    clickHeader(submit.list(), 2);  // by Comments
    clickHeader(submit.list(), 2);
    submit.urlBox()->setText("http://acme.example/a.htm");
    doubleClick(submit.list(), "DuckDuckGo");
    doubleClick(submit.list(), "Bing");
    ASSERT_EQ(browser.posts.size(), 1u);
    EXPECT_EQ(browser.posts[0].url, "https://html.duckduckgo.com/html/");
    EXPECT_EQ(browser.posts[0].body, "q=http://acme.example/a.htm");
    EXPECT_EQ(browser.navigations,
              QStringList({"https://www.bing.com/indexnow?url=http://acme.example/a.htm&key="}));
    EXPECT_EQ(folder.scalar("SELECT group_concat(SearchEngineID) FROM Submissions"), "5,2");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Tabs, ConfigurationMessageListsTheSixItemsInOrder) {
    hub = test::FakeHub();
    submit.urlBox()->setText("http://acme.example/a.htm");
    select(submit.list(), "Bing");
    submit.button()->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              kConfigMessage +
                  "Website name, website URL, Industry, Submitter's Name, "
                  "Submitter's Email address, Country Code");
    EXPECT_EQ(dialogs.messages[0].title, "Farrowdale");
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);

    hub.fillConfiguration();
    hub.site.clear();
    hub.country.clear();
    hub.name = "   ";  // blanks count as filled
    submit.button()->click();
    EXPECT_EQ(dialogs.lastText(), kConfigMessage + "Website name, Country Code");
    EXPECT_TRUE(browser.navigations.isEmpty());
    EXPECT_EQ(count("WebSites"), "0");
}

TEST_F(Tabs, ButtonAndDoubleClickTestInOppositeOrders) {
    hub.industryText.clear();
    submit.urlBox()->setText("  ");
    select(submit.list(), "Bing");
    submit.button()->click();
    EXPECT_EQ(dialogs.lastText(), kConfigMessage + "Industry");
    doubleClick(submit.list(), "Bing");
    EXPECT_EQ(dialogs.lastText(), "Please select a URL to Submit.");
    hub.fillConfiguration();
    submit.button()->click();
    EXPECT_EQ(dialogs.lastText(), "Please select a URL to Submit.");
    EXPECT_EQ(dialogs.messages.size(), 3u);
    EXPECT_TRUE(browser.navigations.isEmpty());
}

TEST_F(Tabs, UrlIsSentAsTypedAndRecordedUnderTheRoot) {
    hub.description = "Desc";
    hub.keywords = "k1, k2";
    submit.urlBox()->setText(" http://acme.example/dir/p.htm");
    select(submit.list(), "Yandex");
    submit.button()->click();
    EXPECT_EQ(browser.navigations,
              QStringList({"https://yandex.com/indexnow?url= http://acme.example/dir/p.htm&key="}));
    EXPECT_EQ(folder.scalar("SELECT PageURL || '|' || PageDescription || '|' || PageKeywords "
                            "FROM WebSitePages"),
              " dir/p.htm|Desc|k1, k2");
    EXPECT_EQ(folder.scalar("SELECT SearchEngineID FROM Submissions"), "3");
}

TEST_F(Tabs, TreePageIsRecordedAndReusedForASecondEngine) {
    hub.treePageSelected = true;
    hub.treePage = "products/list.htm";
    submit.urlBox()->setText("http://acme.example/products/list.htm");
    doubleClick(submit.list(), "Bing");
    doubleClick(submit.list(), "Seznam");
    EXPECT_EQ(browser.navigations.size(), 2);
    EXPECT_EQ(count("WebSites"), "1");
    EXPECT_EQ(count("WebSiteNames"), "1");
    EXPECT_EQ(folder.scalar("SELECT group_concat(PageURL) FROM WebSitePages"), "products/list.htm");
    EXPECT_EQ(folder.scalar("SELECT count(DISTINCT WebSitePageID) || '|' || "
                            "group_concat(SearchEngineID) FROM Submissions"),
              "1|2,6");
}

TEST_F(Tabs, DoubleClickOnTheRootSendsThenSaysSelectAUrl) {
    submit.urlBox()->setText("http://acme.example/");
    doubleClick(submit.list(), "Bing");
    EXPECT_EQ(browser.navigations.size(), 1);
    EXPECT_EQ(dialogs.lastText(), "Please select a URL to submit.");
    // Site and root URL were recorded before the path was found empty.
    EXPECT_EQ(count("WebSiteNames"), "1");
    EXPECT_EQ(count("WebSitePages"), "0");
    EXPECT_EQ(count("Submissions"), "0");
    // The button in the same state records a page with an empty path.
    submit.button()->click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(folder.scalar("SELECT '[' || PageURL || ']' FROM WebSitePages"), "[]");
    EXPECT_EQ(count("Submissions"), "1");
}

TEST_F(Tabs, EngineDeletedAfterLoadingIsSentButNotRecorded) {
    folder.exec("DELETE FROM SearchEngines WHERE SearchEngineName = 'Naver'");
    submit.urlBox()->setText("http://acme.example/a.htm");
    doubleClick(submit.list(), "Naver");
    EXPECT_EQ(browser.navigations.size(), 1);
    EXPECT_EQ(count("WebSitePages"), "1");
    EXPECT_EQ(count("Submissions"), "0");
}

TEST_F(Tabs, NoEngineSelectedSendsAndWritesNothing) {
    submit.urlBox()->setText("http://acme.example/a.htm");
    check.urlBox()->setText("http://acme.example/a.htm");
    submit.button()->click();
    check.button()->click();
    EXPECT_TRUE(browser.navigations.isEmpty());
    EXPECT_TRUE(browser.posts.empty());
    EXPECT_EQ(count("WebSites"), "0");
}

TEST_F(Tabs, FailedRecordingIsLoggedAfterTheRequestWasSent) {
    folder.exec("DROP TABLE Submissions");
    submit.urlBox()->setText("http://acme.example/a.htm");
    select(submit.list(), "Bing");
    submit.button()->click();
    EXPECT_EQ(browser.navigations.size(), 1);
    EXPECT_EQ(count("WebSitePages"), "1");
    EXPECT_TRUE(folder.errorLog().contains("cmdSubmitpage_Click"))
        << folder.errorLog().toStdString();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Tabs, CheckSendsTheTypedUrlLowerCasedAndRecordsNothing) {
    folder.exec(
        "INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, ReviewQueryString, "
        "Popularity) VALUES (60, 'Keeper', 'http://k.example/?u=<%URL%>&e=<%EMAIL%>', 1)");
    reload();
    check.button()->click();
    EXPECT_EQ(dialogs.lastText(), "Please select a URL to Check.");
    submit.urlBox()->setText("http://acme.example/a.htm");
    check.urlBox()->setText("HTTP://Acme.Example/Other.HTM");
    select(check.list(), "Keeper");
    check.button()->click();
    doubleClick(check.list(), "Google");
    EXPECT_EQ(browser.navigations,
              QStringList({"http://k.example/?u=http://acme.example/other.htm&e=<%EMAIL%>",
                           "https://www.google.com/search?q=site:http://acme.example/other.htm"}));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(count("WebSites"), "0");
    EXPECT_EQ(count("Submissions"), "0");
}
