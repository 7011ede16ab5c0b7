// The Tools menu's site map in the whole main window: it reads the site
// directory tree and the site name, and uploads through the window's one
// transfer control.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QUrl>

#include "core/CADODBAccess.h"
#include "sitemap/SiteMap.h"
#include "sites/SiteDirectoryTree.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "window/MainModule.h"
#include "window/frmMain.h"

using namespace fd;

namespace {
class RecordingTransfer : public InetTransfer {
public:
    explicit RecordingTransfer(QStringList* remotes) : remotes_(remotes) {}
    QByteArray openUrl(const QString&) override { return {}; }
    void startPut(const QString&, const QString&, const QString&, const QString&,
                  const QString& remote) override {
        *remotes_ << remote;
    }
    bool stillExecuting() const override { return false; }
    int responseCode() const override { return 0; }
    QString responseInfo() const override { return {}; }

private:
    QStringList* remotes_;
};
}  // namespace

// The whole main window on a fresh program folder, with scripted dialogs and
// a fake browser.
class SiteMapWindow : public ::testing::Test {
protected:
    void SetUp() override {
        StartOptions o;
        o.programFolder = folder.path();
        o.dataDir = test::deliveredData();
        app = Main(o, dialogs, [&] { return browser = new test::FakeBrowser; });
        ASSERT_TRUE(app);
    }
    test::TestFolder folder;
    test::FakeDialogs dialogs;
    test::FakeBrowser* browser = nullptr;
    std::unique_ptr<Application> app;
};

TEST_F(SiteMapWindow, MenuItemMapsTheTreeShowsItAndUploads) {
    frmMain& w = *app->mainWindow;
    QStringList remotes;
    w.setTransfer(std::make_unique<RecordingTransfer>(&remotes));

    auto* tree = w.findChild<sites::SiteDirectoryTree*>("tvwWebSiteDirectory");
    ASSERT_TRUE(tree);
    tree->resetToRoot("http://a.example");
    tree->addPages({"/index.htm", "/b.htm", "/c.htm"});
    w.findChild<QComboBox*>("cmbWebSiteGenericName")->setEditText("Acme");

    auto* item = w.findChild<QAction*>("CreateSiteMap");
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->isEnabled());
    const QString path = folder.file("map.htm");
    dialogs.files.push_back(path);
    dialogs.answers.push_back(MsgAnswer::Yes);
    dialogs.messages.clear();
    item->trigger();

    EXPECT_EQ(
        test::readFile(path),
        (buildSiteMapHtml("http://a.example", "Acme", {"/index.htm", "/b.htm", "/c.htm"}) + "\r\n")
            .toUtf8());
    EXPECT_EQ(browser->navigations.last(), QUrl::fromLocalFile(path).toString());
    ASSERT_EQ(remotes.size(), 1);
    EXPECT_TRUE(remotes[0].startsWith("/Tallowby/QELS/uploads/SM-"));
    EXPECT_EQ(dialogs.lastText(), "Successfully sent file to Tallowby.");
}

TEST_F(SiteMapWindow, XmlSitemapItemSitsBesideItAndGivesRecordedDays) {
    frmMain& w = *app->mainWindow;
    app->globals->gDB->execute(
        "INSERT INTO WebSites (WebSiteID, WebSiteGenericName) VALUES (7, 'Acme')");
    app->globals->gDB->execute(
        "INSERT INTO WebSitePages (WebSiteID, PageURL, UpdatedDate) VALUES (7, '/b.htm', "
        "'2026-02-03 10:00:00')");

    auto* tree = w.findChild<sites::SiteDirectoryTree*>("tvwWebSiteDirectory");
    ASSERT_TRUE(tree);
    tree->resetToRoot("http://a.example");
    tree->addPages({"/a.htm", "/b.htm"});
    w.findChild<QComboBox*>("cmbWebSiteGenericName")->setEditText("Acme");

    auto* html = w.findChild<QAction*>("CreateSiteMap");
    auto* xml = w.findChild<QAction*>("CreateXmlSitemap");
    ASSERT_TRUE(html && xml);
    EXPECT_EQ(xml->text(), "Create &XML Sitemap");
    ASSERT_TRUE(xml->isEnabled());
    auto* menu = qobject_cast<QWidget*>(html->parent());
    ASSERT_TRUE(menu);
    const QList<QAction*> tools = menu->actions();
    ASSERT_GE(tools.indexOf(html), 0);
    EXPECT_EQ(tools.indexOf(xml), tools.indexOf(html) + 1);

    const QString path = folder.file("sitemap.xml");
    dialogs.files.push_back(path);
    dialogs.messages.clear();
    xml->trigger();
    EXPECT_EQ(test::readFile(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n"
              "<url><loc>http://a.example/a.htm</loc></url>\n"
              "<url><loc>http://a.example/b.htm</loc><lastmod>2026-02-03</lastmod></url>\n"
              "</urlset>\n");
    EXPECT_EQ(browser->navigations.last(), QUrl::fromLocalFile(path).toString());
    ASSERT_EQ(dialogs.messages.size(), 2u);  // the summary, then the upload question
    EXPECT_TRUE(dialogs.messages[0].text.endsWith("Sitemap: http://a.example/sitemap.xml"));
}
