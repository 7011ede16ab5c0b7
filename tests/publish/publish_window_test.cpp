// The "Publish to Site" dialog and the Publish Settings driven offscreen
// against sshd and the test web site, with a keyring that keeps passwords in
// memory: an unknown host key asked about with its fingerprint, the files
// last written chosen, the outcome shown.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "../submit/FakeHub.h"
#include "PublishPeers.h"
#include "core/ExtraTables.h"
#include "window/MainHub.h"
#include "platform/CurlHttpClient.h"
#include "platform/Keyring.h"
#include "publish/PublishTargetPanel.h"
#include "publish/frmPublish.h"
#include "sitemap/WrittenSiteMaps.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"
#include "support/Wait.h"

using namespace fd;
using namespace fd::test;

namespace {

struct MemoryKeyring : Keyring {
    std::optional<QString> lookup(const KeyringEntry& e) override {
        const auto it = kept.find(e.server + u'|' + e.user);
        return it == kept.end() ? std::nullopt : std::optional<QString>(it->second);
    }
    void store(const KeyringEntry& e, const QString&, const QString& p) override {
        kept[e.server + u'|' + e.user] = p;
    }
    void remove(const KeyringEntry& e) override { kept.erase(e.server + u'|' + e.user); }
    std::map<QString, QString> kept;
};

class PublishWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ssh.ok() && site.ok());
        ASSERT_TRUE(ensureExtraTables(folder.globals().gDB->databasePath()).isEmpty());
        target = {QStringLiteral("sftp://127.0.0.1:%1%2").arg(ssh.port()).arg(www), ssh.user};
    }
    QTemporaryDir dir;
    QString www = dir.filePath(QStringLiteral("www"));
    SshServer ssh{dir.filePath(QStringLiteral("sshd"))};
    WebSite site{(QDir().mkpath(www), www)};
    TestFolder folder;
    FakeDialogs dialogs;
    std::shared_ptr<MemoryKeyring> keyring = std::make_shared<MemoryKeyring>();
    PublishTarget target;
};

TEST_F(PublishWindow, settingsStoreTheTarget_andThePasswordGoesToTheKeyringOnly) {
    FakeHub hub;
    PublishTargetPanel panel(folder.globals(), dialogs, hub, keyring);
    panel.showRoot(site.rootUrl());
    panel.addressBox()->setText(QStringLiteral("ftp://127.0.0.1/www"));
    panel.userBox()->setText(QStringLiteral("me"));
    ASSERT_TRUE(panel.storeTarget());
    EXPECT_EQ(dialogs.lastText(), kClearTextFtpWarning);
    panel.addressBox()->setText(QStringLiteral("http://wrong/"));
    EXPECT_FALSE(panel.storeTarget());
    EXPECT_TRUE(dialogs.lastText().contains(QStringLiteral("not stored")));
    panel.addressBox()->setText(target.address);
    panel.userBox()->setText(target.user);
    dialogs.passwords.push_back(QString::fromLatin1(SshServer::kPassword));
    panel.findChild<QPushButton*>(QStringLiteral("cmdSetPublishPassword"))->click();
    EXPECT_EQ(keyring->lookup(keyringEntry(target)).value_or(QString()),
              QString::fromLatin1(SshServer::kPassword));
    EXPECT_EQ(loadPublishTarget(*folder.globals().gDB, site.rootUrl())->address, target.address);
    EXPECT_FALSE(bytesOf(folder.file(QStringLiteral("QELS.db"))).contains(SshServer::kPassword));
    panel.findChild<QPushButton*>(QStringLiteral("cmdForgetPublishPassword"))->click();
    EXPECT_FALSE(keyring->lookup(keyringEntry(target)));
}

TEST_F(PublishWindow, unknownHostKeyIsAsked_thenTheLastWrittenFilesArePublishedAndServed) {
    if (!ssh.passwords) GTEST_SKIP() << "sshd cannot check passwords when not run as root";
    const QString out = dir.filePath(QStringLiteral("out"));
    writeBytes(out + "/sitemap.xml", "<urlset>window</urlset>");
    writeBytes(out + "/map.htm", "<html></html>");
    recordWrittenSiteMaps(*folder.globals().gDB, site.rootUrl(), SiteMapKind::Xml,
                          {out + "/sitemap.xml"});
    recordWrittenSiteMaps(*folder.globals().gDB, site.rootUrl(), SiteMapKind::Html,
                          {out + "/map.htm"});
    keyring->store(keyringEntry(target), {}, QString::fromLatin1(SshServer::kPassword));
    const QString home = dir.filePath(QStringLiteral("home"));
    frmPublish window({folder.globals(), dialogs, keyring, std::make_shared<CurlHttpClient>(),
                       curlSiteUploader, home},
                      site.rootUrl(), target);
    ASSERT_EQ(window.filesList()->count(), 2);
    // Only the XML sitemap this time.
    window.filesList()->item(1)->setCheckState(Qt::Unchecked);
    bool done = false, ok = false;
    QObject::connect(&window, &frmPublish::published, [&](bool r) { done = true, ok = r; });
    dialogs.answers.push_back(MsgAnswer::Yes);
    window.findChild<QPushButton*>(QStringLiteral("cmdPublish"))->click();
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_TRUE(ok) << window.resultBox()->toPlainText().toStdString();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.front().text.contains(ssh.hostKey().fingerprint()));
    EXPECT_EQ(dialogs.messages.front().buttons, MsgButtons::YesNo);
    EXPECT_TRUE(window.resultBox()->toPlainText().contains(
        site.rootUrl() + QStringLiteral("sitemap.xml: published and served")));
    EXPECT_TRUE(
        window.resultBox()->toPlainText().contains(QStringLiteral("Sitemap: ") + site.rootUrl()));
    EXPECT_EQ(entriesOf(www), QStringList{QStringLiteral("sitemap.xml")});
    EXPECT_TRUE(bytesOf(knownHostsFile(home)).contains(ssh.hostKey().knownHostsLine().toUtf8()));
}

TEST_F(PublishWindow, aRefusedHostKeyPublishesNothing) {
    const QString home = dir.filePath(QStringLiteral("home"));
    writeBytes(dir.filePath(QStringLiteral("out/sitemap.xml")), "x");
    recordWrittenSiteMaps(*folder.globals().gDB, site.rootUrl(), SiteMapKind::Xml,
                          {dir.filePath(QStringLiteral("out/sitemap.xml"))});
    frmPublish window({folder.globals(), dialogs, keyring, std::make_shared<CurlHttpClient>(),
                       curlSiteUploader, home},
                      site.rootUrl(), target);
    bool done = false;
    QObject::connect(&window, &frmPublish::published, [&](bool) { done = true; });
    dialogs.answers.push_back(MsgAnswer::No);
    window.findChild<QPushButton*>(QStringLiteral("cmdPublish"))->click();
    ASSERT_TRUE(waitFor([&] { return !window.running() && !dialogs.messages.empty(); }));
    EXPECT_FALSE(done);
    EXPECT_TRUE(entriesOf(www).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(knownHostsFile(home)));
}

}  // namespace
