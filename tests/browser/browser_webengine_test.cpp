// Qt WebEngine behind the main window, offscreen, on local pages served by
// the test HTTP server: the events of a load, the fields read from a real
// page, pop-up blocking, a page closing its window, a form POST, printing,
// saving, and pages that never finish or keep their script busy.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>

#include "LocalHttpServer.h"
#include "browser/BrowserLogic.h"
#include "browser/WebEngineBrowser.h"
#include "support/FakeDialogs.h"
#include "support/HostileServer.h"
#include "support/TestFolder.h"
#include "support/Wait.h"
#include "window/frmMain.h"

using namespace fd;
using namespace fd::test;

namespace {

class WebEngine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new LocalHttpServer(QStringLiteral(FARROWDALE_TEST_FIXTURES));
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    WebEngine() {
        browser = std::make_unique<WebEngineBrowser>();
        window = std::make_unique<frmMain>(folder.globals(), dialogs, browser.get());
        window->show();
        const auto record = [this](const char* e) {
            return [this, e] { events << QString::fromLatin1(e); };
        };
        WebBrowser* b = browser.get();
        QObject::connect(b, &WebBrowser::beforeNavigate2, record("BeforeNavigate2"));
        QObject::connect(b, &WebBrowser::progressChange, record("ProgressChange"));
        QObject::connect(b, &WebBrowser::titleChange, record("TitleChange"));
        QObject::connect(b, &WebBrowser::documentComplete, record("DocumentComplete"));
    }
    ~WebEngine() override {
        window.reset();
        browser.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(server && server->ok()) << "test HTTP server did not start";
    }

    int completions() const { return int(events.count(QStringLiteral("DocumentComplete"))); }
    // Navigates and waits for the document's completion.
    bool load(const std::function<void()>& go) {
        const int before = completions();
        go();
        return waitFor([&] { return completions() > before; });
    }
    QString field(const char* name) {
        return window->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }

    static LocalHttpServer* server;
    TestFolder folder;
    FakeDialogs dialogs;
    std::unique_ptr<WebEngineBrowser> browser;
    std::unique_ptr<frmMain> window;
    QStringList events;
};

LocalHttpServer* WebEngine::server = nullptr;

}  // namespace

TEST_F(WebEngine, aLoadRaisesItsEventsInOrderAndFillsTheFields) {
    const QString url = server->url(QStringLiteral("meta.html?ref=1"));
    window->setAddressText(url);
    ASSERT_TRUE(load([&] { window->goToAddress(); }));

    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.first(), QStringLiteral("BeforeNavigate2"));
    EXPECT_EQ(events.last(), QStringLiteral("DocumentComplete"));
    EXPECT_GT(events.indexOf(QStringLiteral("TitleChange")), 0);
    EXPECT_TRUE(events.contains(QStringLiteral("ProgressChange")));

    // The page's scripts replaced the DOM and JSON functions of their own
    // world; the program's snapshot does not see that.
    EXPECT_EQ(field("txtWebPageTitle"), QStringLiteral("Fixture Page"));
    EXPECT_EQ(field("txtPageDescription"), QStringLiteral("A page about widgets"));
    EXPECT_EQ(field("txtPageKeywords"), QStringLiteral("widgets, gadgets"));
    // Behind charset, viewport and http-equiv metas: every named one of the
    // head is read, revisit-after is not, and a meta in the body is not the
    // page's.
    EXPECT_EQ(field("txtPageAuthor"), QStringLiteral("Ann Author"));
    EXPECT_EQ(field("txtPageRevisit"), QString());
    EXPECT_EQ(field("txtSubmitURL"), url);
    EXPECT_EQ(field("txtCurrentURL"), server->url(QStringLiteral("meta.html")));

    // History: Back becomes available after a second page, Forward after Back.
    auto* back = window->findChild<QToolButton*>(QStringLiteral("imgBack"));
    auto* forward = window->findChild<QToolButton*>(QStringLiteral("imgForward"));
    EXPECT_FALSE(back->isEnabled());
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("other.html"))); }));
    EXPECT_TRUE(back->isEnabled());
    EXPECT_EQ(back->property("picture").toString(), QStringLiteral("EnaRew"));
    EXPECT_EQ(field("txtWebPageTitle"), QStringLiteral("Other Page"));
    ASSERT_TRUE(load([&] { back->click(); }));
    EXPECT_EQ(field("txtWebPageTitle"), QStringLiteral("Fixture Page"));
    EXPECT_TRUE(forward->isEnabled());
}

TEST_F(WebEngine, thirdPopUpAsksAndAfterYesPopUpsOpen) {
    dialogs.answers = {MsgAnswer::Yes};
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("popups.html"))); }));
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    QTest::qWait(200);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kPopUpQuestion);
    QAction* prevent = window->findChild<QAction*>(QStringLiteral("PreventPopUps"));
    EXPECT_FALSE(prevent->isChecked());

    browser->view()->page()->runJavaScript(QStringLiteral("window.open('other.html', 'later');"));
    EXPECT_TRUE(waitFor([] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("popUpWindow") && w->isVisible()) return true;
        return false;
    }));
}

TEST_F(WebEngine, aPageClosingItsWindowLeavesTheBlankPage) {
    // The engine itself refuses to close a window with history; the program
    // always has some, as here.
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("other.html"))); }));
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("close.html"))); }));
    EXPECT_TRUE(
        waitFor([&] { return browser->locationUrl().endsWith(QLatin1String("/blank.html")); }));
    EXPECT_EQ(QUrl(browser->locationUrl()).toLocalFile(),
              folder.file(QStringLiteral("blank.html")));
    EXPECT_TRUE(window->isVisible());
}

// View > Homepage by its shortcut, typed in the address bar (where Ctrl+H
// would otherwise be Backspace): the start page, then the selected root URL.
TEST_F(WebEngine, homepageShortcutLoadsTheStartPageOrTheSelectedRootUrl) {
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* address = window->findChild<QLineEdit*>(QStringLiteral("txtSubmitURL"));
    address->setText(QStringLiteral("typed"));
    address->setFocus();
    ASSERT_TRUE(load([&] { QTest::keyClick(address, Qt::Key_H, Qt::ControlModifier); }));
    EXPECT_EQ(QUrl(browser->locationUrl()).toLocalFile(),
              folder.file(QStringLiteral("blank.html")));

    // A site with its root URL, made on the Configuration tab.
    const QString root = server->url(QString());
    auto* site = window->findChild<QComboBox*>(QStringLiteral("cmbWebSiteGenericName"));
    auto* rootBox = window->findChild<QComboBox*>(QStringLiteral("cmbWebSiteRoot"));
    QTest::keyClicks(site->lineEdit(), QStringLiteral("Local"));
    window->findChild<QPushButton*>(QStringLiteral("cmdAddSite"))->click();
    QTest::keyClicks(rootBox->lineEdit(), root);
    window->findChild<QPushButton*>(QStringLiteral("cmdAddURL"))->click();
    ASSERT_TRUE(window->rootSelected());
    address->setFocus();
    ASSERT_TRUE(load([&] { QTest::keyClick(address, Qt::Key_H, Qt::ControlModifier); }));
    EXPECT_EQ(browser->locationUrl(), root);
}

TEST_F(WebEngine, navigatePostSendsTheBodyAndHeaders) {
    const QByteArray body = "name=a%20b&mail=x%40y&q=%22";
    ASSERT_TRUE(load([&] {
        browser->navigatePost(server->url(QStringLiteral("echo?form=1")), body,
                              QStringLiteral("Content-Type: application/x-www-form-urlencoded\r\n"
                                             "X-Test: posted\r\n"));
    }));
    EXPECT_EQ(field("txtWebPageTitle"), QStringLiteral("echo POST"));
    EXPECT_EQ(field("txtPageDescription"), QString::fromLatin1(body));
    EXPECT_EQ(field("txtPageKeywords"), QStringLiteral("posted"));

    ASSERT_TRUE(load([&] { browser->navigate(server->url(QStringLiteral("echo?x=1"))); }));
    EXPECT_EQ(field("txtWebPageTitle"), QStringLiteral("echo GET"));
}

TEST_F(WebEngine, aDocumentThatIsNotHtmlIsLoggedAndLeavesTheFieldsEmpty) {
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("data.xml"))); }));
    EXPECT_FALSE(browser->document().isHtml);
    EXPECT_EQ(field("txtPageDescription"), QString());
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",getWebPageInformation,")));
}

TEST_F(WebEngine, anXhtmlPageIsReadLikeHtml) {
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("page.xhtml"))); }));
    EXPECT_TRUE(browser->document().isHtml);
    EXPECT_EQ(field("txtWebPageTitle"), QStringLiteral("XHTML Page"));
    EXPECT_EQ(field("txtPageDescription"), QStringLiteral("Served as application/xhtml+xml"));
    EXPECT_EQ(field("txtPageKeywords"), QStringLiteral("xhtml, xml"));
    EXPECT_EQ(field("txtPageAuthor"), QStringLiteral("Xavier"));
    EXPECT_FALSE(folder.errorLog().contains(QStringLiteral("getWebPageInformation")));
}

TEST_F(WebEngine, printsToPdfAndSavesAsHtml) {
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("meta.html"))); }));

    const QString pdf = folder.file(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    int printed = -1;
    QObject::connect(browser.get(), &WebBrowser::printFinished, [&](bool ok) { printed = ok; });
    ASSERT_TRUE(browser->printTo(&printer));
    EXPECT_FALSE(browser->printTo(&printer)) << "one print job at a time";
    ASSERT_TRUE(waitFor([&] { return printed >= 0; }));
    EXPECT_EQ(printed, 1);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(20000));
    EXPECT_TRUE(text.readAllStandardOutput().contains("Widgets for everyone"));

    const QString html = folder.file(QStringLiteral("saved.html"));
    int saved = -1;
    QObject::connect(browser.get(), &WebBrowser::saveFinished,
                     [&](const QString&, bool ok) { saved = ok; });
    ASSERT_TRUE(browser->saveAs(html));
    ASSERT_TRUE(waitFor([&] { return saved >= 0; }));
    EXPECT_EQ(saved, 1);
    EXPECT_TRUE(readFile(html).contains("<title>Fixture Page</title>"));

    saved = -1;
    ASSERT_TRUE(browser->saveAs(folder.file(QStringLiteral("no/such/folder/x.html"))));
    ASSERT_TRUE(waitFor([&] { return saved >= 0; }));
    EXPECT_EQ(saved, 0);
}

// Frames that load after the page (an iframe sent elsewhere by a script, one
// added by it) leave the top page's details as they were read.
TEST_F(WebEngine, framesLoadingLateKeepThePageDetails) {
    auto* root = window->findChild<QComboBox*>(QStringLiteral("cmbWebSiteRoot"));
    ASSERT_TRUE(root);
    root->setEditText(server->url(QString()));  // the page belongs to the site: loggable
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("frames.html"))); }));
    const int navigations = int(events.count(QStringLiteral("BeforeNavigate2")));
    QString state;
    ASSERT_TRUE(waitFor([&] {
        browser->view()->page()->runJavaScript(
            QStringLiteral("document.documentElement.getAttribute('data-frames')"),
            [&](const QVariant& v) { state = v.toString(); });
        return state == QLatin1String("done");
    }));
    QTest::qWait(300);
    EXPECT_EQ(events.count(QStringLiteral("BeforeNavigate2")), navigations);
    EXPECT_EQ(field("txtWebPageTitle"), QStringLiteral("Frames Page"));
    EXPECT_EQ(field("txtPageDescription"), QStringLiteral("Top description"));
    EXPECT_EQ(field("txtPageKeywords"), QStringLiteral("top, frames"));
    // As after any page read, Log Changes waits for an edit; nothing with a
    // "loading" title can be recorded.
    auto* log = window->findChild<QPushButton*>(QStringLiteral("cmdLogChanges"));
    EXPECT_FALSE(log->isEnabled());
    log->click();
    EXPECT_EQ(folder.scalar("SELECT count(*) FROM WebPageUpdateRequests"), "0");
}

// A page in another character set is saved in that set, its declaration
// kept, and reopens exactly as it was shown.
TEST_F(WebEngine, savedPageKeepsItsCharacterSet) {
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("latin1.html"))); }));
    const QString shown = QString::fromUtf8("Caf\u00e9 \u20ac Page");
    ASSERT_EQ(field("txtWebPageTitle"), shown);
    const QString html = folder.file(QStringLiteral("saved-latin1.html"));
    int saved = -1;
    QObject::connect(browser.get(), &WebBrowser::saveFinished,
                     [&](const QString&, bool ok) { saved = ok; });
    ASSERT_TRUE(browser->saveAs(html));
    ASSERT_TRUE(waitFor([&] { return saved >= 0; }));
    ASSERT_EQ(saved, 1);
    const QByteArray bytes = readFile(html);
    EXPECT_TRUE(bytes.contains("<title>Caf\xe9 \x80 Page</title>")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("caf\xe9 cr\xe8me \x93quoted\x94"));
    EXPECT_TRUE(bytes.contains("windows-1252"));
    // A character the set cannot hold (added by the page's script) travels
    // as a character reference.
    EXPECT_TRUE(bytes.contains("&#26085;"));
    ASSERT_TRUE(load([&] { window->navigate(QUrl::fromLocalFile(html).toString()); }));
    EXPECT_EQ(field("txtWebPageTitle"), shown);
}

TEST_F(WebEngine, printPreviewShowsThePagesOfThePage) {
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("meta.html"))); }));
    int pages = -1;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        if (preview && preview->pageCount() > 0) {
            pages = preview->pageCount();
            dialog->reject();
        }
    });
    closer.start(100);
    EXPECT_TRUE(browser->printPreview());
    EXPECT_GE(pages, 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WebEngine, pagesThatNeverFinishOrKeepTheirScriptBusyDoNotFreezeTheWindow) {
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(50);

    // A page that never finishes loading: the window goes on, Stop ends it.
    window->navigate(server->url(QStringLiteral("slow")));
    ASSERT_TRUE(waitFor([&] { return events.contains(QStringLiteral("TitleChange")); }));
    ticks = 0;
    EXPECT_TRUE(waitFor([&] { return ticks >= 10; }));
    EXPECT_EQ(completions(), 0);
    ASSERT_TRUE(load([&] { window->findChild<QToolButton*>(QStringLiteral("imgStop"))->click(); }));

    // A page whose script is busy: the snapshot waits for it, the window not.
    ticks = 0;
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("busy.html"))); }));
    EXPECT_GE(ticks, 1);
    EXPECT_EQ(field("txtPageKeywords"), QStringLiteral("busy"));
}

// Pages from a server that stalls, drips, resets, lies about its length or
// redirects for ever: the window keeps painting while each loads, every
// load ends (by itself or with Stop), and the next page loads as usual.
TEST_F(WebEngine, hostilePeerPagesNeverHoldTheWindow) {
    HostileServer peer;
    ASSERT_TRUE(peer.ok());
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(50);
    for (const char* path : {"/silent", "/drip", "/reset", "/short", "/loop"}) {
        SCOPED_TRACE(path);
        const int before = completions();
        ticks = 0;
        window->navigate(peer.url(QString::fromLatin1(path)));
        EXPECT_TRUE(waitFor([&] { return ticks >= 10; }));
        if (completions() == before)
            window->findChild<QToolButton*>(QStringLiteral("imgStop"))->click();
        EXPECT_TRUE(waitFor([&] { return completions() > before; }));
    }
    ASSERT_TRUE(load([&] { window->navigate(server->url(QStringLiteral("meta.html"))); }));
    EXPECT_FALSE(field("txtPageKeywords").isEmpty());
}
