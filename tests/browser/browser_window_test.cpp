// The main window's browser part over a fake browser: Go, the browser's
// events, the navigation pictures, pop-up blocking, the File menu's
// commands; and the Page Details tab's dirty flag and change logging.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "browser/BrowserLogic.h"
#include "browser/PageDetailsTab.h"
#include "window/frmMain.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"

using namespace fd;
using namespace fd::test;

namespace {

DocumentSnapshot pageWithMetas() {
    DocumentSnapshot d;
    d.isHtml = true;
    d.title = QStringLiteral("Widgets & Co");
    d.elements = {
        {QStringLiteral("HTML"), {}, {}},
        {QStringLiteral("META"), QStringLiteral("description"), QStringLiteral("All widgets")},
        {QStringLiteral("META"), QStringLiteral("keywords"), QStringLiteral("widget,gadget")},
        {QStringLiteral("META"), QStringLiteral("author"), QStringLiteral("W. Smith")},
        {QStringLiteral("META"), QStringLiteral("revisit"), QStringLiteral("7 days")}};
    return d;
}

class BrowserWindow : public ::testing::Test {
protected:
    BrowserWindow() : window(folder.globals(), dialogs, &browser) {}
    template <class T>
    T* find(const char* name) {
        T* w = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* name) { return find<QLineEdit>(name)->text(); }
    QString picture(const char* name) {
        return find<QToolButton>(name)->property("picture").toString();
    }
    QAction* action(const char* name) {
        for (QAction* a : window.findChildren<QAction*>())
            if (a->objectName() == QLatin1String(name)) return a;
        ADD_FAILURE() << name;
        return nullptr;
    }

    TestFolder folder;
    FakeDialogs dialogs;
    FakeBrowser browser;
    frmMain window;
};

}  // namespace

TEST_F(BrowserWindow, goNavigatesToTheCleanedAddress) {
    find<QLineEdit>("txtSubmitURL")
        ->setText(QStringLiteral("HTTP://WWW.Example.COM//Dir//Page.HTML"));
    find<QLineEdit>("txtPageKeywords")->setText(QStringLiteral("old"));
    find<QToolButton>("imgGoButton")->click();
    ASSERT_FALSE(browser.navigations.isEmpty());
    EXPECT_EQ(browser.navigations.last(), QStringLiteral("http://www.example.com/dir/page.html"));
    EXPECT_EQ(text("txtSubmitURL"), QStringLiteral("http://www.example.com/dir/page.html"));
    EXPECT_EQ(text("txtPageKeywords"), QString());
}

TEST_F(BrowserWindow, eventsOfOneLoadFillTheBarTheAddressAndTheFields) {
    auto* bar = find<QProgressBar>("prgWebBrowser");
    folder.globals().gPopUpCount = 2;
    emit browser.beforeNavigate2(QStringLiteral("http://h.example/p?q=1"));
    EXPECT_EQ(text("txtWebPageTitle"), QStringLiteral("loading . . ."));
    EXPECT_EQ(folder.globals().gPopUpCount, 0);

    emit browser.progressChange(10, 100);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(text("txtWebPageTitle"), QStringLiteral("loading . . . ."));
    emit browser.progressChange(20, 100);
    EXPECT_EQ(bar->value(), 96);
    EXPECT_EQ(text("txtWebPageTitle"), QStringLiteral("loading . . . . ."));
    emit browser.progressChange(100, 100);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(text("txtWebPageTitle"), QStringLiteral("loading . . . . ."));

    emit browser.statusTextChange(QStringLiteral("http://h.example/link"));
    EXPECT_EQ(find<QLabel>("sbrWebBrowser_1")->text(), QStringLiteral("http://h.example/link"));

    browser.location = QStringLiteral("http://h.example/p?q=1");
    emit browser.titleChange(QStringLiteral("ignored"));
    EXPECT_EQ(text("txtSubmitURL"), QStringLiteral("http://h.example/p?q=1"));
    EXPECT_EQ(find<QLineEdit>("txtSubmitURL")->toolTip(), QStringLiteral("http://h.example/p?q=1"));
    EXPECT_EQ(text("txtCurrentURL"), QStringLiteral("http://h.example/p"));
    EXPECT_EQ(find<QLabel>("sbrWebBrowser_1")->text(), QStringLiteral("http://h.example/p?q=1"));

    browser.snapshot = pageWithMetas();
    emit browser.progressChange(50, 100);
    emit browser.documentComplete(browser.location);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(text("txtWebPageTitle"), QStringLiteral("Widgets & Co"));
    EXPECT_EQ(text("txtPageDescription"), QStringLiteral("All widgets"));
    EXPECT_EQ(text("txtPageKeywords"), QStringLiteral("widget,gadget"));
    EXPECT_EQ(text("txtPageAuthor"), QStringLiteral("W. Smith"));
    EXPECT_EQ(text("txtPageRevisit"), QStringLiteral("7 days"));
    EXPECT_EQ(find<QLineEdit>("txtPageDescription")->toolTip(), QStringLiteral("All widgets"));
    EXPECT_FALSE(find<QPushButton>("cmdLogChanges")->isEnabled());
    EXPECT_EQ(window.pageKeywords(), QStringLiteral("widget,gadget"));

    // A completion without an address (a frame that never loaded) reads nothing.
    find<QLineEdit>("txtPageAuthor")->setText(QStringLiteral("edited"));
    emit browser.documentComplete(QString());
    EXPECT_EQ(text("txtPageAuthor"), QStringLiteral("edited"));
}

TEST_F(BrowserWindow, navigationPicturesFollowCommandStateAndMouse) {
    auto* back = find<QToolButton>("imgBack");
    EXPECT_EQ(picture("imgBack"), QStringLiteral("DisRew"));
    EXPECT_EQ(picture("imgForward"), QStringLiteral("DisFor"));
    EXPECT_EQ(picture("imgStop"), QStringLiteral("DisSto"));
    EXPECT_FALSE(back->isEnabled());

    emit browser.commandStateChange(kCommandBack, true);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_EQ(picture("imgBack"), QStringLiteral("EnaRew"));
    QTest::mousePress(back, Qt::LeftButton);
    EXPECT_EQ(picture("imgBack"), QStringLiteral("PressRew"));
    QTest::mouseRelease(back, Qt::LeftButton);
    EXPECT_EQ(picture("imgBack"), QStringLiteral("PressRew"));  // until the next state change
    EXPECT_EQ(browser.backs, 1);
    emit browser.commandStateChange(kCommandForward, true);
    EXPECT_EQ(picture("imgForward"), QStringLiteral("EnaFor"));
    emit browser.commandStateChange(kCommandBack, false);
    EXPECT_EQ(picture("imgBack"), QStringLiteral("DisRew"));
    emit browser.commandStateChange(5, false);  // other commands are ignored
    EXPECT_EQ(picture("imgForward"), QStringLiteral("EnaFor"));

    // Stop shows its disabled picture until first released.
    auto* stop = find<QToolButton>("imgStop");
    QTest::mousePress(stop, Qt::LeftButton);
    EXPECT_EQ(picture("imgStop"), QStringLiteral("DisSto"));
    QTest::mouseRelease(stop, Qt::LeftButton);
    EXPECT_EQ(picture("imgStop"), QStringLiteral("EnaSto"));
    EXPECT_EQ(browser.stops, 1);
    QTest::mousePress(stop, Qt::LeftButton);
    EXPECT_EQ(picture("imgStop"), QStringLiteral("PressSto"));
    QTest::mouseRelease(stop, Qt::LeftButton);
}

TEST_F(BrowserWindow, thirdBlockedPopUpAsksAndYesAllowsPopUps) {
    QAction* prevent = action("PreventPopUps");
    ASSERT_TRUE(prevent);
    EXPECT_TRUE(prevent->isChecked());
    emit browser.beforeNavigate2(QStringLiteral("http://h/"));
    dialogs.answers = {MsgAnswer::No, MsgAnswer::Yes};
    for (int i = 0; i < 3; ++i) {
        bool cancel = false;
        emit browser.newWindow2(&cancel);
        EXPECT_TRUE(cancel);
        QApplication::processEvents();
        EXPECT_EQ(dialogs.messages.size(), i < 2 ? 0u : 1u) << "pop-up " << i + 1;
    }
    EXPECT_EQ(find<QLabel>("sbrWebBrowser_2")->text(), QStringLiteral("Preventing Pop-up Window"));
    EXPECT_EQ(dialogs.messages[0].text, kPopUpQuestion);
    EXPECT_EQ(dialogs.messages[0].title, kProductName);
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(prevent->isChecked());  // No changes nothing: the next one asks again

    bool cancel = false;
    emit browser.newWindow2(&cancel);
    QApplication::processEvents();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(prevent->isChecked());
    EXPECT_EQ(folder.globals().gPopUpCount, 0);
    EXPECT_EQ(folder.globals().gPopUpThreshold, 10);

    cancel = true;
    emit browser.newWindow2(&cancel);
    EXPECT_FALSE(cancel);

    prevent->trigger();
    EXPECT_TRUE(prevent->isChecked());
    EXPECT_EQ(find<QLabel>("sbrWebBrowser_2")->text(), QString());
}

TEST_F(BrowserWindow, scriptClosingTheWindowShowsTheBlankPage) {
    bool cancel = false;
    emit browser.windowClosing(&cancel);
    EXPECT_TRUE(cancel);
    ASSERT_FALSE(browser.navigations.isEmpty());
    EXPECT_EQ(browser.navigations.last(), folder.globals().fileUrl(QStringLiteral("blank.html")));
}

TEST_F(BrowserWindow, fileMenuStartsWithTheBrowserCommands) {
    const QList<QAction*> items = window.findChild<QMenu*>(QStringLiteral("File"))->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("SavePageAs"));
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Save Page As"));
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(items[1]->objectName(), QStringLiteral("PrintPreviewPage"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("Print P&review"));
    EXPECT_EQ(items[2]->objectName(), QStringLiteral("PrintPage"));
    EXPECT_EQ(items[2]->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
}

TEST_F(BrowserWindow, failedPrintAsksToUpgradeAndLogs) {
    browser.printOk = false;
    dialogs.answers = {MsgAnswer::Yes, MsgAnswer::No};
    action("PrintPage")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kUpgradeQuestion);
    EXPECT_EQ(browser.navigations.last(), kBrowserDownloadUrl);
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",PrintPage_Click,")));

    const int before = browser.navigations.size();
    action("PrintPreviewPage")->trigger();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(browser.navigations.size(), before);  // No: stays on the page
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",PrintPreviewPage_Click,")));

    // A print job that fails later asks the same question.
    emit browser.printFinished(false);
    EXPECT_EQ(dialogs.messages.size(), 3u);
    emit browser.printFinished(true);
    EXPECT_EQ(dialogs.messages.size(), 3u);
}

TEST_F(BrowserWindow, savePageAsWritesWhereTheUserChose) {
    dialogs.files = {std::nullopt, folder.file(QStringLiteral("copy.html"))};
    action("SavePageAs")->trigger();  // cancelled
    EXPECT_TRUE(browser.saved.isEmpty());
    action("SavePageAs")->trigger();
    ASSERT_EQ(browser.saved.size(), 1);
    EXPECT_EQ(browser.saved[0], folder.file(QStringLiteral("copy.html")));
    EXPECT_TRUE(dialogs.messages.empty());
    emit browser.saveFinished(browser.saved[0], false);
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",SavePageAs_Click,")));
}

TEST_F(BrowserWindow, everyFieldCaptionIsItsFieldsBuddy) {
    for (const char* name : {"txtCurrentURL", "txtWebPageTitle", "txtPageDescription",
                             "txtPageKeywords", "txtPageRevisit", "txtPageAuthor"}) {
        QLineEdit* field = find<QLineEdit>(name);
        bool found = false;
        for (QLabel* l : window.findChildren<QLabel*>())
            if (l->buddy() == field) found = l->text().contains(u'&');
        EXPECT_TRUE(found) << name;
    }
}

// ---- The Page Details tab over a hub whose site and root URL a test sets.

namespace {

struct StubHub : MainHub {
    QString siteName() const override { return site; }
    bool siteSelected() const override { return selected; }
    long long selectedWebSiteId() const override { return id; }
    int selectedSiteIndex() const override { return selected ? 0 : -1; }
    QString rootUrl() const override { return root; }
    bool rootSelected() const override { return !root.isEmpty(); }
    QString industry() const override { return {}; }
    QString submitterName() const override { return {}; }
    QString submitterEmail() const override { return {}; }
    QString countryCode() const override { return {}; }
    QString addressText() const override { return address; }
    void setAddressText(const QString& url) override { address = url; }
    void goToAddress() override {}
    void navigate(const QString&) override {}
    void setStatusMessage(const QString&) override {}
    QString pageDescription() const override { return {}; }
    QString pageKeywords() const override { return {}; }
    void setPageToSubmit(const QString&) override {}
    bool selectedTreePage(QString*) const override { return false; }
    QString programFolder() const override { return {}; }

    QString site = QStringLiteral("Example"), root, address;
    bool selected = true;
    long long id = 7;
};

class PageDetailsTabTest : public ::testing::Test {
protected:
    PageDetailsTabTest() : tab(folder.globals(), dialogs, hub) {}
    QLineEdit* field(const char* name) {
        return tab.findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    bool logEnabled() { return tab.logChangesButton()->isEnabled(); }
    QString requests() {
        return folder.scalar(QStringLiteral("select count(*) from WebPageUpdateRequests"));
    }

    TestFolder folder;
    FakeDialogs dialogs;
    StubHub hub;
    PageDetailsTab tab;
};

}  // namespace

TEST_F(PageDetailsTabTest, editingEnablesLogChangesOnlyForPagesOfTheRootUrl) {
    tab.setCurrentUrl(QStringLiteral("http://www.example.com/a.html"));
    field("txtWebPageTitle")->setText(QStringLiteral("edited"));
    EXPECT_FALSE(logEnabled()) << "no root URL: never";
    hub.root = QStringLiteral("   ");
    field("txtPageAuthor")->setText(QStringLiteral("x"));
    EXPECT_FALSE(logEnabled()) << "a blank root URL counts as none";

    hub.root = QStringLiteral("http://www.Example.com");
    field("txtWebPageTitle")->setText(QStringLiteral("edited again"));
    EXPECT_FALSE(logEnabled()) << "the comparison is case-sensitive";
    hub.root = QStringLiteral("http://www.example.com");
    field("txtWebPageTitle")->setText(QStringLiteral("edited again"));
    EXPECT_FALSE(logEnabled()) << "writing the same text again raises nothing";
    field("txtPageRevisit")->setText(QStringLiteral("7 days"));
    EXPECT_TRUE(logEnabled());
    EXPECT_EQ(field("txtPageRevisit")->toolTip(), QStringLiteral("7 days"));
}

TEST_F(PageDetailsTabTest, logChangesWithoutAnAddressAsksForAPage) {
    tab.show();
    tab.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tab));
    field("txtWebPageTitle")->setFocus();
    tab.setCurrentUrl(QStringLiteral("   "));
    tab.logChanges();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("You must select a web page before you try to log changes."));
    EXPECT_EQ(dialogs.messages[0].title, kProductName);
    EXPECT_EQ(QApplication::focusWidget(), field("txtCurrentURL"));
    EXPECT_EQ(requests(), QStringLiteral("0"));
}

TEST_F(PageDetailsTabTest, loggedValuesAreStoredIntactWhateverTheyHold) {
    hub.root = QStringLiteral("http://www.example.com");
    hub.address = QStringLiteral("http://www.example.com/a.html?x=\"1\"");
    tab.setCurrentUrl(hub.address);
    const QString hostile = QStringLiteral("Say \"hi\"\"\"); DELETE FROM WebSites; -- 'o'");
    field("txtWebPageTitle")->setText(hostile);
    field("txtPageDescription")->setText(QStringLiteral("d \"q\""));
    field("txtPageKeywords")->setText(QStringLiteral("k'1"));
    field("txtPageRevisit")->setText(QStringLiteral("7 days"));
    field("txtPageAuthor")->setText(QStringLiteral("#1/2/2003#"));
    ASSERT_TRUE(logEnabled());
    tab.logChangesButton()->click();

    EXPECT_FALSE(logEnabled());
    EXPECT_EQ(requests(), QStringLiteral("1"));
    const auto col = [&](const char* c) {
        return folder.scalar(
            QStringLiteral("select %1 from WebPageUpdateRequests").arg(QLatin1String(c)));
    };
    EXPECT_EQ(col("PageTitle"), hostile);
    EXPECT_EQ(col("WebPage"), hub.address);
    EXPECT_EQ(col("RootWebSite"), hub.root);
    EXPECT_EQ(col("Description"), QStringLiteral("d \"q\""));
    EXPECT_EQ(col("Keywords"), QStringLiteral("k'1"));
    EXPECT_EQ(col("Revisit"), QStringLiteral("7 days"));
    EXPECT_EQ(col("Author"), QStringLiteral("#1/2/2003#"));
    EXPECT_EQ(col("WebSiteID"), QStringLiteral("7"));
    EXPECT_TRUE(folder.errorLog().isEmpty());

    field("txtPageKeywords")->setText(QStringLiteral("k2"));
    EXPECT_TRUE(logEnabled()) << "the next edit enables it again";
}

TEST_F(PageDetailsTabTest, noSiteSelectedStoresNothing) {
    hub.selected = false;
    tab.setCurrentUrl(QStringLiteral("http://www.example.com/a.html"));
    tab.logChanges();
    EXPECT_EQ(requests(), QStringLiteral("0"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PageDetailsTabTest, readingAPageDisablesLogChangesAfterEachMeta) {
    hub.root = QStringLiteral("http://www.example.com");
    tab.setCurrentUrl(QStringLiteral("http://www.example.com/a.html"));
    tab.getWebPageInformation(pageWithMetas());
    EXPECT_FALSE(logEnabled());

    // Without metas the title's own change leaves the button as an edit would.
    DocumentSnapshot plain;
    plain.isHtml = true;
    plain.title = QStringLiteral("No metas");
    tab.getWebPageInformation(plain);
    EXPECT_EQ(field("txtPageDescription")->text(), QString());
    EXPECT_TRUE(logEnabled());
}

TEST_F(PageDetailsTabTest, nonHtmlDocumentFillsOnlyTheTitleAndLogs) {
    field("txtPageAuthor")->setText(QStringLiteral("stale"));
    DocumentSnapshot doc;
    doc.title = QStringLiteral("data.xml");
    tab.getWebPageInformation(doc);
    EXPECT_EQ(field("txtWebPageTitle")->text(), QStringLiteral("data.xml"));
    EXPECT_EQ(field("txtPageAuthor")->text(), QString());
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",getWebPageInformation,")));
}
