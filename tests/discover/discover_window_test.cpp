// File > "Discover Pages from Site..." driven offscreen in the real main
// window against the generated local site: without a root URL the import's
// own message; the dialog shows the sources and the result; Cancel changes
// nothing, Replace List and Add to List change the tree, which is then saved
// and remembered as an imported list is, with the pages' last-modified times
// kept; a site with nothing to find offers nothing to take.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "discover/frmDiscoverPages.h"
#include "sites/PageList.h"
#include "sites/SiteDirectoryTree.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/PeerProcess.h"
#include "support/QtPrinters.h"
#include "support/TestFolder.h"
#include "support/Wait.h"
#include "window/MainModule.h"
#include "window/frmMain.h"

using namespace fd;
using discover::frmDiscoverPages;

namespace {

class DiscoverWindow : public ::testing::Test {
protected:
    // The site "Shop" with its root URL on a server of the scenario, chosen
    // at the start.
    void start(const char* scenario, const QString& rootPath = QStringLiteral("/site/")) {
        server_ = std::make_unique<test::PeerProcess>(
            QStringLiteral(FARROWDALE_TEST_FIXTURES "/discover_site.py"),
            QStringList{QString::fromLatin1(scenario), dir_.filePath(QStringLiteral("log"))});
        ASSERT_TRUE(server_->ok());
        root_ = QStringLiteral("http://127.0.0.1:%1%2").arg(server_->port()).arg(rootPath);
        folder_.exec(QStringLiteral("INSERT INTO WebSites (WebSiteGenericName) VALUES ('Shop')"));
        siteId_ = folder_.scalar(QStringLiteral("SELECT max(WebSiteID) FROM WebSites"));
        folder_.exec(QStringLiteral("INSERT INTO WebSiteNames (WebSiteID, WebSiteBaseURL) VALUES "
                                    "(%1, '%2')")
                         .arg(siteId_, root_));
        folder_.exec(QStringLiteral("UPDATE WebSiteConfiguration SET WebSiteGenericName = 'Shop', "
                                    "RootWebSiteAddress = '%1'")
                         .arg(root_));
        StartOptions o;
        o.programFolder = folder_.path();
        o.dataDir = test::deliveredData();
        app_ = Main(o, dialogs_, [] { return new test::FakeBrowser; });
        ASSERT_TRUE(app_);
        ASSERT_EQ(window().rootUrl(), root_);
    }

    frmMain& window() { return *app_->mainWindow; }
    sites::SiteDirectoryTree* tree() {
        return window().findChild<sites::SiteDirectoryTree*>("tvwWebSiteDirectory");
    }
    QAction* item() { return window().findChild<QAction*>("DiscoverPages"); }

    // Opens the dialog from the menu and runs a discovery through Start.
    frmDiscoverPages* discover(bool crawl = false) {
        item()->trigger();
        auto* d = window().findChild<frmDiscoverPages*>();
        if (!d) return nullptr;
        d->options().fetch.totalTimeoutMs = 5000;
        if (crawl) d->findChild<QCheckBox*>("chkCrawl")->setChecked(true);
        QSignalSpy done(d, &frmDiscoverPages::discoveryFinished);
        QTest::mouseClick(d->findChild<QPushButton*>("cmdStart"), Qt::LeftButton);
        EXPECT_FALSE(d->findChild<QPushButton*>("cmdStart")->isEnabled());
        EXPECT_TRUE(done.wait(60000));
        return d;
    }
    static void click(frmDiscoverPages* d, const char* button) {
        QPushButton* b = d->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_TRUE(b);
        ASSERT_TRUE(b->isEnabled()) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    bool dialogGone() {
        return test::waitFor([&] { return window().findChild<frmDiscoverPages*>() == nullptr; },
                             5000);
    }
    QString listFile() {
        return folder_.scalar(
            QStringLiteral("SELECT LastListFile FROM WebSites WHERE WebSiteID = %1").arg(siteId_));
    }

    QTemporaryDir dir_;
    test::TestFolder folder_;
    test::FakeDialogs dialogs_;
    std::unique_ptr<test::PeerProcess> server_;
    std::unique_ptr<Application> app_;
    QString root_;
    QString siteId_;
};

const QStringList kFound = {"a.html",      "b.html",      "c%7E.html",   "q?id=1&s=2",
                            "g1.html",     "deep.html",   "news-1.html", "news-2.html",
                            "post-1.html", "post-2.html", "t1.html",     "t2.html"};

TEST_F(DiscoverWindow, BesideImportAndWithoutARootTheImportsMessage) {
    start("empty");
    QMenu* file = window().findChild<QMenu*>("File");
    ASSERT_TRUE(file);
    QStringList names;
    for (QAction* a : file->actions()) names << a->objectName();
    EXPECT_EQ(names.indexOf("DiscoverPages"), names.indexOf("Import") + 1);
    EXPECT_EQ(item()->text(), "Discover Pages from Site...");

    // A site's name typed but not added has no site to keep the list.
    auto* name = window().findChild<QComboBox*>("cmbWebSiteGenericName");
    name->setCurrentIndex(-1);
    name->setEditText(QStringLiteral("Not added yet"));
    item()->trigger();
    EXPECT_EQ(dialogs_.lastText(),
              "Please select the web site on the Configuration tab before discovering its pages.");

    window().findChild<QComboBox*>("cmbWebSiteRoot")->setEditText(QString());
    item()->trigger();
    EXPECT_EQ(dialogs_.lastText(),
              "Please enter the root URL of this web site before importing a list.");
    window().findChild<QComboBox*>("cmbWebSiteGenericName")->setEditText(QString());
    item()->trigger();
    EXPECT_EQ(dialogs_.lastText(),
              "Please Create a web site name and root URL before importing a list.");
    EXPECT_EQ(window().findChild<frmDiscoverPages*>(), nullptr);
}

TEST_F(DiscoverWindow, CancelChangesNothingAndReplaceTakesTheListAsAnImport) {
    start("main");
    tree()->addPages({"old.html"});
    frmDiscoverPages* d = discover();
    ASSERT_TRUE(d);
    QTreeWidget* sources = d->sourcesList();
    ASSERT_GT(sources->topLevelItemCount(), 10);
    EXPECT_TRUE(sources->topLevelItem(0)->text(0).endsWith("/robots.txt"));
    EXPECT_EQ(sources->topLevelItem(0)->text(2), "read, names 5 sitemaps");
    const QString result = d->findChild<QLabel*>("lblDiscoverResult")->text();
    EXPECT_TRUE(
        result.startsWith("Pages found: 12\nNew against the current list: 12\n"
                          "No longer listed: 1\n"))
        << result.toStdString();
    EXPECT_TRUE(result.contains("Left out: 2 on another origin, 1 outside the root's folder"))
        << result.toStdString();
    click(d, "cmdCancel");
    ASSERT_TRUE(dialogGone());
    EXPECT_EQ(tree()->pages(), QStringList{"old.html"});
    EXPECT_EQ(listFile(), "");
    EXPECT_EQ(folder_.scalar("SELECT count(*) FROM PageLastModified"), "0");

    d = discover();
    ASSERT_TRUE(d);
    click(d, "cmdReplaceList");
    ASSERT_TRUE(dialogGone());
    EXPECT_EQ(tree()->pages(), kFound);
    // Saved under the site's list name and remembered, as an import is.
    const QString saved = listFile();
    EXPECT_TRUE(saved.endsWith(siteId_ + "_Shop.wsr")) << saved.toStdString();
    EXPECT_EQ(sites::readPageListFile(saved), kFound);
    EXPECT_EQ(folder_.scalar("SELECT count(*) FROM PageLastModified WHERE WebSiteBaseURL = '" +
                             root_ + "'"),
              "5");
    EXPECT_EQ(folder_.scalar("SELECT LastModified FROM PageLastModified WHERE Page = 'b.html'"),
              "2024-03-02T08:30:00Z");
    EXPECT_FALSE(folder_.errorLog().contains(QStringLiteral("DiscoverPages")))
        << folder_.errorLog().toStdString();
}

TEST_F(DiscoverWindow, AddKeepsTheListAndAppendsWhatItLacks) {
    start("main");
    tree()->addPages({"manual.html", "a.html"});
    frmDiscoverPages* d = discover(true);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->result().comparison.fresh, kFound.size() + 1);  // a.html was there; 2 crawled
    click(d, "cmdAddToList");
    ASSERT_TRUE(dialogGone());
    QStringList expected = {"manual.html", "a.html"};
    expected << kFound.mid(1) << "crawl-1.html"
             << "crawl-2.html";
    EXPECT_EQ(tree()->pages(), expected);
    EXPECT_EQ(sites::readPageListFile(listFile()), expected);
}

TEST_F(DiscoverWindow, NothingFoundOffersNothingToTake) {
    start("empty", QStringLiteral("/"));
    tree()->addPages({"kept.html"});
    frmDiscoverPages* d = discover();
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->findChild<QPushButton*>("cmdReplaceList")->isEnabled());
    EXPECT_FALSE(d->findChild<QPushButton*>("cmdAddToList")->isEnabled());
    EXPECT_TRUE(
        d->findChild<QLabel*>("lblDiscoverResult")->text().startsWith("No pages were found"));
    EXPECT_TRUE(d->findChild<QPushButton*>("cmdCancel")->isEnabled());
    // Every control can be reached with Tab and has a name.
    for (const char* name : {"chkCrawl", "spnPageLimit", "cmdStart", "lvwDiscoverSources",
                             "cmdReplaceList", "cmdAddToList", "cmdCancel"}) {
        QWidget* w = d->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(w) << name;
        EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0) << name;
    }
    d->reject();
    ASSERT_TRUE(dialogGone());
    EXPECT_EQ(tree()->pages(), QStringList{"kept.html"});
}

}  // namespace
