// Start-up: a fresh folder starts and is seeded; a missing or corrupt
// database ends at the fatal message and nothing is put in its place.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "window/MainModule.h"
#include "window/frmMain.h"
#include "support/FakeBrowser.h"
#include "support/FakeDialogs.h"
#include "support/TestFolder.h"

using namespace fd;

namespace {
StartOptions optionsFor(const QString& folder) {
    StartOptions o;
    o.programFolder = folder;
    o.dataDir = test::deliveredData();
    return o;
}
}  // namespace

TEST(MainStart, FreshFolderStartsSeededOnTheBlankPage) {
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("pf");
    test::FakeDialogs dialogs;
    test::FakeBrowser* browser = nullptr;
    auto app = Main(optionsFor(folder), dialogs, [&] { return browser = new test::FakeBrowser; });
    ASSERT_TRUE(app);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.lastText().toStdString();
    EXPECT_TRUE(QFile::exists(folder + "/QELS.db"));
    EXPECT_EQ(app->mainWindow->windowTitle(), "Farrowdale");
    ASSERT_TRUE(browser);
    ASSERT_FALSE(browser->navigations.isEmpty());
    EXPECT_TRUE(browser->navigations.first().endsWith("/blank.html"));
    EXPECT_EQ(app->globals->gRootKey, "!Root");
    EXPECT_TRUE(app->globals->gFTPUserName.isEmpty());
}

TEST(MainStart, FolderPathMayHoldAnyCharacter) {
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QString::fromUtf8("sites;2026 \"q\" 'a' =b caf\u00e9"));
    for (int start = 0; start < 2; ++start) {  // the first seeds, the second reads back
        test::FakeDialogs dialogs;
        auto app = Main(optionsFor(folder), dialogs, [] { return new test::FakeBrowser; });
        ASSERT_TRUE(app) << start << dialogs.lastText().toStdString();
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.lastText().toStdString();
        EXPECT_EQ(app->globals->gDB->databasePath(), folder + "/QELS.db");
    }
}

TEST(MainStart, UploadAccountComesFromTheSettingsRow) {
    test::TestFolder f;
    f.exec("UPDATE WebSiteConfiguration SET FileTransInfo = 'h$bob$x$pw'");
    test::FakeDialogs dialogs;
    auto app = Main(optionsFor(f.path()), dialogs, [] { return new test::FakeBrowser; });
    ASSERT_TRUE(app);
    EXPECT_EQ(app->globals->gFTPUserName, "bob");
    EXPECT_EQ(app->globals->gFTPPassword, "pw");
}

TEST(MainStart, MissingDatabaseIsFatalAndNothingIsCreated) {
    test::TestFolder f;
    QFile::remove(f.file("QELS.db"));
    QFile::remove(f.file("QELS.db-wal"));
    QFile::remove(f.file("QELS.db-shm"));
    test::FakeDialogs dialogs;
    auto app = Main(optionsFor(f.path()), dialogs, [] { return new test::FakeBrowser; });
    EXPECT_FALSE(app);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Fatal error. Please reinstall");
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
    EXPECT_FALSE(QFile::exists(f.file("QELS.db")));
}

TEST(MainStart, CorruptDatabaseIsFatalAndKept) {
    test::TestFolder f;
    QFile::remove(f.file("QELS.db-wal"));
    QFile::remove(f.file("QELS.db-shm"));
    QFile db(f.file("QELS.db"));
    ASSERT_TRUE(db.open(QIODevice::WriteOnly));
    db.write(QByteArray(4096, 'z'));
    db.close();
    test::FakeDialogs dialogs;
    EXPECT_FALSE(Main(optionsFor(f.path()), dialogs, [] { return new test::FakeBrowser; }));
    EXPECT_EQ(dialogs.lastText(), "Fatal error. Please reinstall");
    EXPECT_EQ(test::readFile(f.file("QELS.db")), QByteArray(4096, 'z'));
}

TEST(MainStart, UnusableFolderIsNamedInTheMessage) {
    QTemporaryDir tmp;
    QFile file(tmp.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    test::FakeDialogs dialogs;
    EXPECT_FALSE(
        Main(optionsFor(tmp.filePath("plain")), dialogs, [] { return new test::FakeBrowser; }));
    EXPECT_TRUE(dialogs.lastText().contains(tmp.filePath("plain")));
}
