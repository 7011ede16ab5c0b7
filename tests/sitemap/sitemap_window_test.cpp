// The Tools menu's site map in the whole main window: it reads the site
// directory tree and the site name, and uploads through the window's one
// transfer control.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QUrl>

#include "window/MainModule.h"
#include "window/frmMain.h"
#include "sitemap/SiteMap.h"
#include "sites/SiteDirectoryTree.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"

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

TEST(SiteMapWindow, MenuItemMapsTheTreeShowsItAndUploads) {
    test::TestFolder folder;
    test::FakeDialogs dialogs;
    test::FakeBrowser* browser = nullptr;
    StartOptions o;
    o.programFolder = folder.path();
    o.dataDir = test::deliveredData();
    auto app = Main(o, dialogs, [&] { return browser = new test::FakeBrowser; });
    ASSERT_TRUE(app);
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
