// The delivered start page in the real browser: each of its links, clicked in
// the page, does its step in the main window, and the program's links work
// only when clicked on a local page.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>

#include "browser/WebEngineBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "support/Wait.h"
#include "window/frmMain.h"

using namespace fd;
using namespace fd::test;

namespace {

class StartPage : public ::testing::Test {
protected:
    StartPage() {
        browser = std::make_unique<WebEngineBrowser>();
        window = std::make_unique<frmMain>(folder.globals(), dialogs, browser.get());
        window->show();
        tabs = window->findChild<QTabWidget*>(QStringLiteral("tabTasks"));
        QObject::connect(browser.get(), &WebBrowser::documentComplete, [this](const QString& url) {
            ++completions;
            completed << url;
        });
        // A modal dialog a link opens is noted and closed.
        QObject::connect(&closer, &QTimer::timeout, [this] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                modals << modal->objectName();
                modal->reject();
            }
        });
        closer.start(50);
    }
    ~StartPage() override {
        window.reset();
        browser.reset();
    }

    bool load(const std::function<void()>& go) {
        const int before = completions;
        go();
        return waitFor([&] { return completions > before; });
    }
    QVariant js(const QString& script) {
        QVariant result;
        bool done = false;
        browser->view()->page()->runJavaScript(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        waitFor([&] { return done; });
        return result;
    }
    void click(const char* id) {
        js(QStringLiteral("document.getElementById('%1').click()").arg(QLatin1String(id)));
    }

    TestFolder folder;
    FakeDialogs dialogs;
    std::unique_ptr<WebEngineBrowser> browser;
    std::unique_ptr<frmMain> window;
    QTabWidget* tabs = nullptr;
    int completions = 0;
    QTimer closer;
    QStringList modals;
    QStringList completed;
};

}  // namespace

TEST_F(StartPage, eachStepsLinkDoesItsStepInTheWindow) {
    // The start page of a folder without a root URL is the delivered page.
    ASSERT_TRUE(load([&] { window->load(); }));
    ASSERT_TRUE(browser->locationUrl().endsWith(QLatin1String("/blank.html")));
    EXPECT_EQ(js("document.querySelectorAll('a[href^=\"farrowdale:\"]').length").toInt(), 5);

    tabs->setCurrentIndex(2);
    click("configuration");
    ASSERT_TRUE(waitFor([&] { return tabs->currentIndex() == 0; }));
    auto* name = window->findChild<QComboBox*>(QStringLiteral("cmbWebSiteGenericName"));
    EXPECT_TRUE(waitFor([&] {
        QWidget* f = QApplication::focusWidget();
        return f && (f == name || name->isAncestorOf(f));
    })) << "the cursor is in the site's name";

    click("details");
    EXPECT_TRUE(waitFor([&] { return tabs->currentIndex() == 1; }));
    click("submission");
    EXPECT_TRUE(waitFor([&] { return tabs->currentIndex() == 3; }));

    // A new user without a site yet: the import asks for the site first.
    click("import");
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    EXPECT_TRUE(dialogs.lastText().contains(QLatin1String("before importing a list")))
        << dialogs.lastText().toStdString();

    click("reports");
    EXPECT_TRUE(waitFor([&] { return modals.contains(QStringLiteral("frmSendReport")); }))
        << modals.join(' ').toStdString();

    // None of it was a navigation: the start page is still shown.
    EXPECT_TRUE(browser->locationUrl().endsWith(QLatin1String("/blank.html")));
    EXPECT_EQ(completions, 1) << completed.join(' ').toStdString();
}

TEST_F(StartPage, aRealMouseClickFollowsTheLink) {
    ASSERT_TRUE(load([&] { browser->navigate(folder.globals().fileUrl("blank.html")); }));
    tabs->setCurrentIndex(0);
    const QVariantList box =
        js(QStringLiteral(
               "(function(){var r=document.getElementById('submission').getBoundingClientRect();"
               "return [r.left + r.width / 2, r.top + r.height / 2];})()"))
            .toList();
    ASSERT_EQ(box.size(), 2);
    const QPoint at(box[0].toInt(), box[1].toInt());
    QWidget* target = browser->view()->focusProxy();
    ASSERT_TRUE(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    EXPECT_TRUE(waitFor([&] { return tabs->currentIndex() == 3; }));
}

TEST_F(StartPage, programLinksWorkOnlyOnTheStartPage) {
    const QString page = QStringLiteral(
        "<html><body><a id='l' href='farrowdale:submission'>go</a>"
        "<img src='farrowdale:import'></body></html>");
    tabs->setCurrentIndex(0);
    QList<int> shown;
    QObject::connect(tabs, &QTabWidget::currentChanged, [&](int i) { shown << i; });
    // A page from a web site, and another page on disk (one saved from the
    // web, say): their program links do nothing.
    ASSERT_TRUE(load([&] {
        browser->view()->page()->setHtml(page, QUrl(QStringLiteral("http://127.0.0.1:9/")));
    }));
    click("l");
    QFile saved(folder.file(QStringLiteral("saved.html")));
    ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
    saved.write(page.toUtf8());
    saved.close();
    ASSERT_TRUE(load([&] { browser->navigate(folder.globals().fileUrl("saved.html")); }));
    click("l");
    // A click that does work, so the two above had their time to act.
    ASSERT_TRUE(load([&] { browser->navigate(folder.globals().fileUrl("blank.html")); }));
    click("details");
    ASSERT_TRUE(waitFor([&] { return tabs->currentIndex() == 1; }));
    QTest::qWait(100);
    EXPECT_EQ(shown, QList<int>{1}) << "only the start page's link took effect";
    EXPECT_TRUE(dialogs.messages.empty()) << "the image never reached the program's import";
}

int main(int argc, char** argv) {
    // The program's scheme is made known before the application, as the
    // program does at its start.
    WebEngineBrowser::registerProgramScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
