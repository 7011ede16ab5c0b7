// The whole main window offscreen: every menu item reaches its routine, the
// layout follows the window's size, the about box and the hidden gesture.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "browser/BrowserLogic.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "window/MainModule.h"
#include "window/frmAbout.h"
#include "window/frmMain.h"

using namespace fd;

namespace {

class FakeShell : public Shell {
public:
    QString favoritesFolder() const override { return favorites; }
    bool openWithDefaultProgram(const QString& p) override {
        opened << p;
        return true;
    }
    QString favorites;
    QStringList opened;
};

class FakeSound : public SoundPlayer {
public:
    explicit FakeSound(int outputs, QStringList* played) : outputs_(outputs), played_(played) {}
    int audioOutputCount() const override { return outputs_; }
    void play(const QString& f) override { *played_ << f; }

private:
    int outputs_;
    QStringList* played_;
};

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        StartOptions o;
        o.programFolder = folder.path();
        o.dataDir = test::deliveredData();
        app = Main(o, dialogs, [this] { return browser = new test::FakeBrowser; });
        ASSERT_TRUE(app);
        auto shell = std::make_unique<FakeShell>();
        this->shell = shell.get();
        window().setShell(std::move(shell));
        window().setSoundPlayer(std::make_unique<FakeSound>(1, &played));
    }
    void TearDown() override { app.reset(); }
    frmMain& window() { return *app->mainWindow; }
    QAction* action(const char* name) {
        auto* a = window().findChild<QAction*>(QString::fromUtf8(name));
        EXPECT_TRUE(a) << name;
        return a;
    }
    QString lastNavigation() {
        return browser->navigations.isEmpty() ? QString() : browser->navigations.last();
    }

    test::TestFolder folder;
    test::FakeDialogs dialogs;
    test::FakeBrowser* browser = nullptr;
    FakeShell* shell = nullptr;
    QStringList played;
    std::unique_ptr<Application> app;
};

}  // namespace

TEST_F(MainWindow, MenusHoldEveryItemInOrderWithShortcuts) {
    struct Menu {
        const char* name;
        QStringList items;
    } menus[] = {
        {"File",
         {"SavePageAs", "PrintPreviewPage", "PrintPage", "Dash0", "Import", "DiscoverPages",
          "Save", "Dash1", "Exit"}},
        {"Edit", {"Clear"}},
        {"View", {"ViewHome", "ViewFavorites"}},
        {"Report",
         {"CreateSiteMap", "CreateXmlSitemap", "PublishToSite", "SendChangeReport", "AuditSite",
          "PreventPopUps"}},
        {"Support", {"LearnMore", "SendErrorLog", "Update", "UpdateBrowser"}},
        {"Help", {"OnlineHelp", "Tallowby", "Dash2", "About"}},
    };
    for (const Menu& m : menus) {
        auto* menu = window().findChild<QMenu*>(QString::fromUtf8(m.name));
        ASSERT_TRUE(menu) << m.name;
        QStringList names;
        for (QAction* a : menu->actions()) names << a->objectName();
        EXPECT_EQ(names, m.items) << m.name;
    }
    EXPECT_EQ(action("ViewHome")->shortcut(), QKeySequence("Ctrl+H"));
    EXPECT_EQ(action("Update")->shortcut(), QKeySequence("Ctrl+U"));
    EXPECT_EQ(action("About")->text(), "&About");
    EXPECT_EQ(action("Tallowby")->text(), "Visit our Website");
    for (const char* name : {"SendErrorLog", "Update"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
}

TEST_F(MainWindow, BrowserMenuItemsGoToTheirPages) {
    action("LearnMore")->trigger();
    EXPECT_EQ(lastNavigation(), kProductPage);
    action("OnlineHelp")->trigger();
    EXPECT_EQ(lastNavigation(), kOnlineHelpPage);
    action("Tallowby")->trigger();
    EXPECT_EQ(lastNavigation(), kMakerHomePage);
    action("UpdateBrowser")->trigger();
    EXPECT_EQ(lastNavigation(), kBrowserDownloadUrl);
    // Without a root URL the home page is the program's start page.
    action("ViewHome")->trigger();
    EXPECT_EQ(lastNavigation(), folder.globals().fileUrl("blank.html"));
}

// A field's own editing keys (Ctrl+U erases a line, Ctrl+H is Backspace)
// never beat a menu shortcut of the window, typed wherever the focus is.
TEST_F(MainWindow, MenuShortcutsWinOverTheFieldsKeyBindings) {
    window().show();
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    auto* address = window().findChild<QLineEdit*>("txtSubmitURL");
    auto* site = window().findChild<QComboBox*>("cmbWebSiteGenericName");
    ASSERT_TRUE(address && site && site->lineEdit());
    // The silent update of the start runs in the background once the window
    // shows; while it runs the menu offers no second one.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window().updateRunning(); }, 20000));
    dialogs.messages.clear();

    address->setText("http://typed.example/page.html");
    address->setFocus();
    ASSERT_TRUE(address->hasFocus());
    address->end(false);
    QTest::keyClick(address, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(address->text(), "http://typed.example/page.html");
    // The catalogue update ran: it could not reach the test folder's closed
    // port and said so.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs.messages.empty(); }, 20000));

    QTest::keyClick(address, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(address->text(), "http://typed.example/page.html");
    EXPECT_EQ(lastNavigation(), folder.globals().fileUrl("blank.html"));

    site->lineEdit()->setText("Acme");
    site->lineEdit()->setFocus();
    QTest::keyClick(site->lineEdit(), Qt::Key_H, Qt::ControlModifier);
    QTest::keyClick(site->lineEdit(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(site->lineEdit()->text(), "Acme");
    // Ctrl+I ran the import, which wants a root URL first.
    EXPECT_EQ(dialogs.lastText(),
              "Please enter the root URL of this web site before importing a list.");

    // Other keys still reach the field.
    QTest::keyClick(site->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(site->lineEdit()->text(), "Acm");
}

TEST_F(MainWindow, FavoritesOpenTheFolderOnlyWhenThereIsOne) {
    const int before = browser->navigations.size();
    action("ViewFavorites")->trigger();
    EXPECT_EQ(browser->navigations.size(), before);
    QTemporaryDir fav;
    shell->favorites = fav.path();
    action("ViewFavorites")->trigger();
    EXPECT_EQ(lastNavigation(), QUrl::fromLocalFile(fav.path()).toString());
}

TEST_F(MainWindow, AboutBoxShowsTitleVersionAndPlaysTheChime) {
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(about);
        EXPECT_EQ(about->windowTitle(), "About Farrowdale");
        // The program's icon beside the title, from the copies built in.
        EXPECT_FALSE(about->findChild<QLabel*>("imgIcon")->pixmap().isNull());
        EXPECT_FALSE(window().windowIcon().isNull());
        EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "Version " + versionText());
        EXPECT_TRUE(versionText().count('.') == 2);
        EXPECT_TRUE(about->findChild<QLabel*>("lblDisclaimer")
                        ->text()
                        .startsWith("Written and Developed by: "));
        // The web address opens in the main browser.
        emit about->findChild<QLabel*>("lblWebAddress")->linkActivated(kMakerHomePage);
        EXPECT_EQ(lastNavigation(), kMakerHomePage);
        QApplication::setActiveWindow(about);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(about, &activate);
        about->findChild<QPushButton*>("cmdOK")->click();
        checked = true;
    });
    action("About")->trigger();
    EXPECT_TRUE(checked);
    ASSERT_FALSE(played.isEmpty());
    EXPECT_EQ(played.first(), folder.file("about.wav"));
}

TEST(AboutBox, NoAudioOutputPlaysNothing) {
    QStringList played;
    FakeSound silent(0, &played);
    frmAbout about("x.wav", &silent, nullptr);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&about, &activate);
    EXPECT_TRUE(played.isEmpty());
}

TEST_F(MainWindow, HiddenGestureWritesTheUpdatePage) {
    QWidget* frame = window().findChild<QWidget*>("fraTabs_0");
    ASSERT_TRUE(frame);
    window().show();
    window().resize(1000, 700);
    // Near the top left corner, or without the modifiers: nothing.
    QTest::mouseClick(frame, Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier,
                      QPoint(5, 5));
    QTest::mouseClick(frame, Qt::RightButton, Qt::NoModifier, QPoint(300, 150));
    EXPECT_FALSE(QFile::exists(folder.file("Update.asp")));
    EXPECT_TRUE(dialogs.messages.empty());
    QTest::mouseClick(frame, Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier,
                      QPoint(300, 150));
    EXPECT_TRUE(QFile::exists(folder.file("Update.asp")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.lastText().contains("Update.asp"));
    EXPECT_TRUE(test::readFile(folder.file("Update.asp")).contains("'Bing'"));
}

TEST_F(MainWindow, LayoutFollowsTheWindowSize) {
    window().show();
    auto* status = window().statusBar();
    auto* progress = window().findChild<QProgressBar*>("prgWebBrowser");
    auto* nav = window().findChild<QWidget*>("fraDirectionalNavigation");
    auto* tabs = window().findChild<QTabWidget*>("tabTasks");
    auto* address = window().findChild<QWidget*>("txtSubmitURL");
    const double tpp = 1440.0 / window().logicalDpiX();

    window().resize(1200, 800);
    QApplication::processEvents();
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(nav->isVisible());
    EXPECT_NEAR(tabs->height() * tpp, 3960, tpp + 1);
    EXPECT_EQ(address->y(), tabs->geometry().bottom() + 1 + qRound(30 / tpp));
    EXPECT_EQ(tabs->width(), window().findChild<QWidget*>("fraRightSide")->width());

    // Narrowing the right side by the splitter hides the progress bar first.
    auto* split = window().findChild<QSplitter*>("splitMain");
    split->setSizes({1200 - 250, 250});
    QApplication::processEvents();
    window().adjustfraRightSide();
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(nav->isVisible());
    split->setSizes({1200 - 40, 40});
    QApplication::processEvents();
    window().adjustfraRightSide();
    EXPECT_FALSE(nav->isVisible());

    // Below 2500 x 1500 twips inside, the status bar goes; it comes back.
    window().setMinimumSize(0, 0);
    window().resize(int(2400 / tpp), int(1400 / tpp));
    QApplication::processEvents();
    EXPECT_FALSE(status->isVisible());
    window().resize(1200, 800);
    QApplication::processEvents();
    EXPECT_TRUE(status->isVisible());
}

namespace {
// The name of the control that has the keyboard focus: the focus may sit in
// a part of it (an editable combo box's field, a tab widget's bar).
QString focusedControl(const QSet<QString>& names) {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (names.contains(w->objectName())) return w->objectName();
    return QApplication::focusWidget() ? "?" + QApplication::focusWidget()->objectName()
                                       : QStringLiteral("(none)");
}
}  // namespace

// Tab walks every tab, button and field of the window in reading order, and
// Shift+Tab walks back; the tabs themselves are changed from the keyboard.
TEST_F(MainWindow, TabAndShiftTabReachEveryControlInReadingOrder) {
    window().show();
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    const QStringList before = {"tvwWebSiteDirectory", "tabTasks"};
    const QStringList after = {"txtSubmitURL", "imgGoButton", "wbWebViewer",
                               "imgBack",      "imgForward",  "imgStop"};
    const QStringList tabs[] = {
        {"cmbWebSiteGenericName",
         "cmdAddSite",
         "cmbWebSiteRoot",
         "cmdAddURL",
         "txtEmail",
         "txtSubmittersName",
         "txtCountryCode",
         "lblLookUpCountryCode",
         "txtReportEmail",
         "cmdIndustryList",
         "txtReportGeneratorURL",
         "imgGoToUpdateURL",
         "cmdReportGenerator",
         "cmdPublishSettings",
         "cmdSaveSettings",
         "txtIndexNowKey",
         "cmdNewKey",
         "cmdSaveKeyFile",
         "cmdCheckKeyFile",
         "txtKeyLocation"},
        {"txtCurrentURL", "txtWebPageTitle", "txtPageDescription", "txtPageKeywords",
         "txtPageRevisit", "txtPageAuthor", "cmdLogChanges", "cmdViewLatestChangeRequest",
         "cmdAddPage"},
        {"txtReviewURL", "cmdPageCheck", "lvwReviewList"},
        {"txtSubmissionURL", "cmdSubmitPage", "lvwSubmissionList", "cmdSubmitAllPages",
         "cmdCancelSubmitAll"},
    };
    QSet<QString> names(before.begin(), before.end());
    for (const QString& n : after) names << n;
    for (const QStringList& t : tabs)
        for (const QString& n : t) names << n;

    auto* tabWidget = window().findChild<QTabWidget*>("tabTasks");
    auto* tree = window().findChild<QWidget*>("tvwWebSiteDirectory");
    for (int tab = 0; tab < 4; ++tab) {
        // What the keyboard can reach on this tab, in reading order.
        QStringList expected;
        for (const QString& n : before + tabs[tab] + after) {
            auto* w = window().findChild<QWidget*>(n);
            ASSERT_TRUE(w) << n.toStdString();
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                expected << n;
        }
        ASSERT_TRUE(expected.contains("tabTasks"));

        tree->setFocus(Qt::TabFocusReason);
        QStringList forward{focusedControl(names)};
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            forward << focusedControl(names);
        }
        EXPECT_EQ(forward.join(' ').toStdString(),
                  (expected + QStringList{expected.first()}).join(' ').toStdString())
            << "tab " << tab;

        QStringList backward{focusedControl(names)};
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            backward << focusedControl(names);
        }
        QStringList reversed(expected.rbegin(), expected.rend());
        EXPECT_EQ(backward.join(' ').toStdString(),
                  (QStringList{expected.first()} + reversed).join(' ').toStdString())
            << "tab " << tab;

        // The next tab, from the keyboard: Right on the tab bar.
        if (tab < 3) {
            tabWidget->tabBar()->setFocus(Qt::TabFocusReason);
            QTest::keyClick(tabWidget->tabBar(), Qt::Key_Right);
            ASSERT_EQ(tabWidget->currentIndex(), tab + 1);
        }
    }
}

// The engine lists from the keyboard alone: an arrow key selects an engine,
// Enter sends the request as a double-click would.
TEST_F(MainWindow, EngineListsSelectAndSendFromTheKeyboard) {
    window().show();
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    auto* tabs = window().findChild<QTabWidget*>("tabTasks");

    tabs->setCurrentIndex(2);
    auto* review = window().findChild<QTreeWidget*>("lvwReviewList");
    window().findChild<QLineEdit*>("txtReviewURL")->setText("http://page.example/a.html");
    review->setFocus(Qt::TabFocusReason);
    QTest::keyClick(review, Qt::Key_Down);
    ASSERT_EQ(review->selectedItems().size(), 1);
    const QString engine = review->selectedItems().first()->text(0);
    const int sent = browser->navigations.size() + int(browser->posts.size());
    QTest::keyClick(review, Qt::Key_Return);
    EXPECT_EQ(browser->navigations.size() + int(browser->posts.size()), sent + 1)
        << engine.toStdString();

    // Submission: Enter runs the double-click's checks; here the
    // Configuration tab is empty, and it says so.
    tabs->setCurrentIndex(3);
    auto* submit = window().findChild<QTreeWidget*>("lvwSubmissionList");
    window().findChild<QLineEdit*>("txtSubmissionURL")->setText("http://page.example/a.html");
    submit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(submit, Qt::Key_Down);
    QTest::keyClick(submit, Qt::Key_Down);
    ASSERT_EQ(submit->selectedItems().size(), 1);
    dialogs.messages.clear();
    QTest::keyClick(submit, Qt::Key_Enter);
    EXPECT_TRUE(dialogs.lastText().startsWith(
        "You must enter the following items under the Configuration tab"));
}
